"""The one palette of the program's artwork."""

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
MAGENTA = (255, 0, 255)           # key of the 12 x 12 pictures
FACE_KEY = (213, 204, 187)        # key of the Record and Stop faces
PANEL = (223, 224, 217)           # soft grey-beige of the panels
PANEL_LIGHT = (238, 239, 233)
PANEL_SHADE = (207, 208, 199)
PANEL_BORDER = (184, 183, 170)
RIM_TOP = (250, 250, 247)         # button discs
RIM_BOTTOM = (214, 215, 206)
RED = (214, 46, 40)
RED_LIGHT = (240, 92, 78)
RED_DARK = (160, 26, 24)
STOP = (74, 76, 82)               # dark grey of the stop face
STOP_LIGHT = (104, 107, 114)
STOP_DARK = (50, 52, 56)
INK = (64, 70, 82)                # glyphs: marks, stream icons, pictures
INK_LIGHT = (120, 128, 142)
FOLDER = (222, 180, 84)
FOLDER_DARK = (168, 124, 38)
LENS = (96, 150, 210)
