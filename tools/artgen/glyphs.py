"""Small glyphs drawn in a box of `unit` pixels per design unit: speaker, webcam, camcorder,
folder, torn film. Each takes the canvas, an origin and the scale."""

import raster as r
from palette import INK, INK_LIGHT, LENS, FOLDER, FOLDER_DARK, RED, RED_LIGHT, WHITE


def speaker(c, ox, oy, unit, ink=INK):
    """A speaker with two sound waves, designed on a 16-unit box."""
    def p(x, y):
        return ox + x * unit, oy + y * unit
    body = r.rect(*p(1, 6), *p(4.5, 10), 0.5 * unit)
    cone = r.polygon([p(4, 6), p(8, 2.5), p(8, 13.5), p(4, 10)])
    c.fill(r.union(body, cone), ink)
    cx, cy = p(8, 8)
    c.fill(r.arc(cx, cy, 3.2 * unit, 1.7 * unit, -48, 48), ink)
    c.fill(r.arc(cx, cy, 6.2 * unit, 1.7 * unit, -52, 52), ink)


def speaker_small(c, ox, oy, ink=INK):
    """The speaker redrawn for 12 pixels: one wave, strokes on whole pixels."""
    body = r.rect(ox + 0.5, oy + 4, ox + 3.5, oy + 8, 0.4)
    cone = r.polygon([(ox + 3, oy + 4), (ox + 6.5, oy + 1), (ox + 6.5, oy + 11), (ox + 3, oy + 8)])
    c.fill(r.union(body, cone), ink)
    c.fill(r.arc(ox + 6.5, oy + 6, 3.4, 1.6, -50, 50), ink)


def torn_film(c, ox, oy, unit, ink=INK, tear=RED):
    """A film strip torn in two, the right piece sagging: a recording that ends short."""
    def p(x, y):
        return ox + x * unit, oy + y * unit

    def piece(x0, x1, y0):
        holes = r.union(*[r.rect(*p(x, y0 + dy), *p(x + 1.4, y0 + dy + 1.4), 0.2 * unit)
                          for x in (x0 + 1, x1 - 2.4) for dy in (1, 7.6)])
        c.fill(r.subtract(r.rect(*p(x0, y0), *p(x1, y0 + 10), 0.6 * unit), holes), ink)
        c.fill(r.rect(*p(x0 + 1, y0 + 3.2), *p(x1 - 1, y0 + 6.8), 0.4 * unit), INK_LIGHT)
    piece(0.5, 7.2, 2.5)
    piece(8.8, 15.5, 4)
    zigzag = [(8, 1.5), (7, 4.5), (9, 7.5), (7, 10.5), (8.5, 14)]
    c.fill(r.union(*[r.segment(*p(*a), *p(*b), 1.1 * unit) for a, b in zip(zigzag, zigzag[1:])]),
           tear)


def webcam(c, ox, oy, unit, ink=INK):
    """A round webcam on a small stand, designed on a 16-unit box."""
    def p(x, y):
        return ox + x * unit, oy + y * unit
    cx, cy = p(8, 6.8)
    c.fill(r.segment(*p(8, 10.5), *p(8, 13.6), 2.0 * unit), ink)
    c.fill(r.rect(*p(3.5, 13.2), *p(12.5, 15.2), 0.9 * unit), ink)
    c.fill(r.circle(cx, cy, 6.2 * unit), ink)
    c.fill(r.circle(cx, cy, 3.3 * unit), r.radial(cx - unit, cy - unit, 4 * unit, (170, 205, 240), LENS))
    c.fill(r.circle(cx, cy, 1.5 * unit), (30, 36, 48))
    c.fill(r.circle(cx - 1.3 * unit, cy - 1.3 * unit, 0.7 * unit), (255, 255, 255, 200))


def camcorder(c, ox, oy, unit, light=RED, ink=INK, ink_top=INK_LIGHT, ring=WHITE):
    """A video camera with its recording light, designed on a 16-unit box."""
    def p(x, y):
        return ox + x * unit, oy + y * unit
    body = r.rect(*p(0.5, 3.5), *p(11.2, 13), 1.8 * unit)
    lens = r.polygon([p(10.4, 7.0), p(15.5, 3.8), p(15.5, 12.7), p(10.4, 9.5)])
    shape = r.union(body, lens)
    c.fill(shape, r.vgradient(oy + 3.5 * unit, ink_top, oy + 13 * unit, ink))
    lx, ly = p(5.85, 8.25)
    if ring is not None:
        c.fill(r.circle(lx, ly, 3.75 * unit), ring)
    c.fill(r.circle(lx, ly, 2.85 * unit), light)


def record_light(c, ox, oy, unit, on):
    """The camcorder with its light on (red) or off (dim)."""
    if on:
        paint = lambda x, y: r.radial(ox + 5.0 * unit, oy + 7.3 * unit, 3.6 * unit, RED_LIGHT, RED)(x, y)
        camcorder(c, ox, oy, unit, light=paint)
    else:
        camcorder(c, ox, oy, unit, light=r.vgradient(oy + 5 * unit, (150, 62, 58), oy + 11 * unit,
                                                     (112, 40, 38)), ring=(206, 208, 212))


def folder(c, ox, oy, unit):
    """A folder, designed on a 12-unit box."""
    def p(x, y):
        return ox + x * unit, oy + y * unit
    tab = r.rect(*p(0.5, 1.5), *p(5.5, 4.5), 0.8 * unit)
    body = r.rect(*p(0.5, 3), *p(11.5, 10.5), 0.8 * unit)
    c.fill(r.union(tab, body), FOLDER_DARK)
    c.fill(r.rect(*p(1.5, 2.5), *p(4.5, 4.5), 0.3 * unit), FOLDER)
    c.fill(r.rect(*p(1.5, 4), *p(10.5, 9.5), 0.3 * unit),
           r.vgradient(oy + 4 * unit, (240, 206, 120), oy + 9.5 * unit, FOLDER))
