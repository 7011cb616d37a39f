"""The 48 x 48 faces of the Record and Stop buttons: a light disc with a red dot or a dark grey
square, in three states. Outside the disc is the key colour; edges are smoothed against the
window's white."""

import raster as r
from palette import (RIM_TOP, RIM_BOTTOM, PANEL_BORDER, PANEL_LIGHT, PANEL_SHADE, RED, RED_LIGHT,
                     RED_DARK, STOP, STOP_LIGHT, STOP_DARK, WHITE)

SIZE = 48
C = SIZE / 2.0


def _disc(c, state):
    """The common disc: a soft shadow, a border and a vertical gradient."""
    c.fill(r.circle(C, C + 0.8, 22.0), (0, 0, 0, 36))  # shadow under the disc
    border = (150, 150, 140) if state == "hot" else PANEL_BORDER
    c.fill(r.circle(C, C, 22.0), border)
    if state == "pressed":
        paint = r.vgradient(3, PANEL_SHADE, 45, RIM_TOP)
    elif state == "hot":
        paint = r.vgradient(3, WHITE, 45, PANEL_LIGHT)
    else:
        paint = r.vgradient(3, RIM_TOP, 45, RIM_BOTTOM)
    c.fill(r.circle(C, C, 21.0), paint)


def record(state):
    c = r.Canvas(SIZE, SIZE)
    _disc(c, state)
    dot = r.circle(C, C, 13.0)
    c.fill(r.circle(C, C + 0.8, 13.6), (90, 10, 10, 70))  # inner shadow line
    top, bottom = {
        "normal": (RED_LIGHT, RED),
        "hot": ((252, 118, 100), (228, 58, 48)),
        "pressed": (RED, RED_DARK),
    }[state]
    c.fill(dot, r.vgradient(C - 13, top, C + 13, bottom))
    # a soft gloss over the top of the dot
    c.fill(r.intersect(r.circle(C, C - 10.0, 13.0), dot),
           (255, 255, 255, 40 if state != "pressed" else 16))
    return c


def stop(state):
    c = r.Canvas(SIZE, SIZE)
    _disc(c, state)
    sq = r.rect(C - 10.5, C - 10.5, C + 10.5, C + 10.5, 2.5)
    c.fill(r.rect(C - 11, C - 10.2, C + 11, C + 11.2, 3.0), (0, 0, 0, 60))
    top, bottom = {
        "normal": (STOP_LIGHT, STOP),
        "hot": ((128, 131, 139), (84, 87, 94)),
        "pressed": (STOP, STOP_DARK),
    }[state]
    c.fill(sq, r.vgradient(C - 10.5, top, C + 10.5, bottom))
    return c
