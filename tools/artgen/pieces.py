"""The nine-piece backgrounds: stream panel, history-list header band and list frame. Each set
is drawn once as a whole and cut into its nine pieces, so the pieces always join."""

import raster as r
from palette import PANEL, PANEL_LIGHT, PANEL_SHADE, PANEL_BORDER, WHITE

# Piece order: top-left, top, top-right, left, centre, right, bottom-left, bottom, bottom-right.
PANEL_IDS = [2038, 2039, 2040, 2041, 2042, 2043, 2044, 2045, 2037]
HEADER_IDS = [2012, 2015, 2016, 2017, 2018, 2019, 2020, 2021, 2014]
FRAME_IDS = [2024, 2025, 2026, 2027, 2028, 2032, 2030, 2031, 2023]
NAMES = ["tl", "t", "tr", "l", "c", "r", "bl", "b", "br"]


def _cut(canvas, size):
    return [canvas.crop(col * size, row * size, size, size) for row in range(3) for col in range(3)]


def stream_panel():
    """Rounded panel, flat grey-beige with a light inner top edge."""
    c = r.Canvas(24, 24)
    outer = r.rect(0, 0, 24, 24, 6)
    c.fill(outer, PANEL_BORDER)
    inner = r.rect(1, 1, 23, 23, 5)
    c.fill(inner, PANEL)
    c.fill(r.intersect(inner, r.rect(0, 1, 24, 2)), PANEL_LIGHT)
    return _cut(c, 8)


def header_band():
    """Rounded top, square bottom; light at the top, shaded towards the bottom line. The band is
    23 pixels high: the middle row of pieces is flat so that it may be cut short."""
    c = r.Canvas(24, 24)
    outer = r.union(r.rect(0, 0, 24, 24, 4), r.rect(0, 12, 24, 24))
    c.fill(outer, PANEL_BORDER)
    inner = r.union(r.rect(1, 1, 23, 23, 3), r.rect(1, 12, 23, 23))

    def shade(x, y):
        if y < 8:
            return r.mix(PANEL_LIGHT, PANEL, (y - 1) / 7.0)
        if y < 16:
            return PANEL
        return r.mix(PANEL, PANEL_SHADE, (y - 16) / 7.0)
    c.fill(inner, shade)
    return _cut(c, 8)


def list_frame():
    """A one-pixel border around white."""
    c = r.Canvas(6, 6)
    c.fill(r.rect(0, 0, 6, 6), PANEL_BORDER)
    c.fill(r.rect(1, 1, 5, 5), WHITE)
    return _cut(c, 2)
