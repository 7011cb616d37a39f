"""docs/artwork.png: every picture at 100 % and 200 %, the nine-piece sets also put together
the way the main window paints them (edges tiled with horizontal flips)."""

import os
import subprocess
import tempfile

import formats
import raster as r
from palette import WHITE

FONT = "Liberation-Sans"


def nine_piece(pieces, w, h):
    """Paints nine pieces over w x h on white, as the window's painter does."""
    c = r.Canvas(w, h, fill=WHITE + (255,))
    left, right = pieces[0].w, pieces[2].w
    top, bottom = pieces[0].h, pieces[6].h
    cols = [(0, left), (left, max(0, w - left - right)), (w - right, right)]
    rows = [(0, top), (top, max(0, h - top - bottom)), (h - bottom, bottom)]
    for j, (y0, ch) in enumerate(rows):
        for i, (x0, cw) in enumerate(cols):
            piece = pieces[j * 3 + i]
            for y in range(ch):
                for x in range(cw):
                    tile, px = divmod(x, piece.w)
                    if tile % 2:
                        px = piece.w - 1 - px
                    p = piece.get(px, y % piece.h)
                    c.blend(x0 + x, y0 + y, p[:3], p[3] / 255.0)
    return c


def _canvas_png(canvas, path):
    with open(path, "wb") as f:
        f.write(formats.png_bytes(canvas.rgba()))
    return path


def _widen(path, width):
    """Pads a narrow tile so that its label fits under it."""
    w, h = map(int, subprocess.run(["identify", "-format", "%w %h", path], check=True,
                                   capture_output=True, text=True).stdout.split())
    if w < width:
        subprocess.run(["convert", path, "-background", "#ecece6", "-gravity", "center",
                        "-extent", "%dx%d" % (width, h), path], check=True)


def write(out, sections):
    """sections: (title, [(label, file path, 'path[frame]' or canvas)]), one row each; every
    picture at 100 % and at 200 %."""
    os.makedirs(os.path.dirname(out), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        rows = []
        for s, (title, items) in enumerate(sections):
            args = ["montage", "-font", FONT, "-pointsize", "11"]
            for n, (label, src) in enumerate(items):
                if not isinstance(src, str):
                    src = _canvas_png(src, os.path.join(tmp, "canvas%d_%d.png" % (s, n)))
                for scale in (100, 200):
                    tile = os.path.join(tmp, "tile%d_%d_%d.png" % (s, n, scale))
                    subprocess.run(["convert", src, "-filter", "point", "-resize",
                                    "%d%%" % scale, "-background", "white", "-flatten", tile],
                                   check=True)
                    _widen(tile, 84)
                    args += ["-label", "%s %d%%" % (label, scale), tile]
            row = os.path.join(tmp, "row%d.png" % s)
            args += ["-tile", "%dx1" % (2 * len(items)), "-geometry", "+12+6", "-background",
                     "#ecece6", row]
            subprocess.run(args, check=True)
            heading = os.path.join(tmp, "head%d.png" % s)
            subprocess.run(["convert", "-background", "#ecece6", "-fill", "#404652", "-font",
                            FONT + "-Bold", "-pointsize", "14", "label:" + title, "-bordercolor",
                            "#ecece6", "-border", "10x6", heading], check=True)
            rows += [heading, row]
        subprocess.run(["convert", "-background", "#ecece6"] + rows +
                       ["-gravity", "west", "-append", "-depth", "8", "-strip", out], check=True)
    return out
