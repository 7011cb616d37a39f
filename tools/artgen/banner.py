"""The about box's 294 x 43 banner: the program icon and its name on the panel colour. The
text is set by ImageMagick with Liberation Sans; the rest is drawn here. The left and right
edges are plain panel colour, because a wider about box fills its sides with the banner's
corner colour."""

import subprocess

import formats
import glyphs
import raster as r
from palette import PANEL, INK

W, H = 294, 43


def _text(text, font, size, colour):
    """RGBA rows of the text, rendered on a transparent background."""
    png = subprocess.run(
        ["convert", "-background", "none", "-fill", "rgb(%d,%d,%d)" % colour, "-font", font,
         "-pointsize", str(size), "label:" + text, "-strip", "png32:-"],
        check=True, capture_output=True).stdout
    rows = formats.read_png(png)
    c = r.Canvas(len(rows[0]), len(rows))
    for y, row in enumerate(rows):
        for x, px in enumerate(row):
            c.px[y * c.w + x] = [float(v) for v in px]
    return c


def banner():
    c = r.Canvas(W, H, fill=PANEL + (255,))
    glyphs.record_light(c, 12, 5.5, 2.0, on=True)
    title = _text("Quorvantine for Msn", "Liberation-Sans-Bold", 17, INK)
    c.draw(title, 52, 3)
    subtitle = _text("Video recorder for MSN calls", "Liberation-Sans", 11, (100, 107, 120))
    c.draw(subtitle, 53, 24)
    return c
