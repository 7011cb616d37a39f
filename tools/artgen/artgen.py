#!/usr/bin/env python3
"""Writes every icon, bitmap and PNG piece of the program into res/. Run it from anywhere;
the files it writes are committed, so a build never needs it:

    python3 tools/artgen/artgen.py            # write the artwork
    python3 tools/artgen/artgen.py --montage  # also write docs/artwork.png (ImageMagick)
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import banner  # noqa: E402
import faces  # noqa: E402
import formats  # noqa: E402
import glyphs  # noqa: E402
import montage as montage_tool  # noqa: E402
import pieces  # noqa: E402
import raster as r  # noqa: E402
from palette import WHITE, BLACK, MAGENTA, FACE_KEY, PANEL  # noqa: E402

TOP = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(TOP, "res")
ART = os.path.join(RES, "art")

PROGRAM_ICON_SIZES = [16, 20, 24, 32, 48, 256]
TRAY_ICON_SIZES = [16, 20, 24, 32, 48]


def icon(size, on=True):
    c = r.Canvas(size, size)
    glyphs.record_light(c, 0, 0, size / 16.0, on)
    return c.rgba()


def strip(glyph_calls, width, height=16):
    """Several 16 x 16 glyphs side by side."""
    c = r.Canvas(width, height)
    for i, call in enumerate(glyph_calls):
        if call:
            call(c, 16 * i, 0, 1.0)
    return c


def picture(draw):
    c = r.Canvas(12, 12)
    draw(c)
    return c


def outputs():
    """(path below res/, bytes) of every file."""
    files = [("quorvantine_msn.ico", formats.ico_bytes([icon(s) for s in PROGRAM_ICON_SIZES])),
             ("art/tray_still.ico", formats.ico_bytes([icon(s) for s in TRAY_ICON_SIZES])),
             ("art/tray_blink.ico",
              formats.ico_bytes([icon(s, on=False) for s in TRAY_ICON_SIZES]))]
    files.append(("art/about_banner.bmp", formats.bmp_bytes(banner.banner().flatten(PANEL))))
    # 12 x 12 pictures of the folder line and the audio line; magenta is transparent.
    files.append(("art/folder_picture.bmp", formats.bmp_bytes(
        picture(lambda c: glyphs.folder(c, 0, 0, 1.0)).flatten(WHITE, MAGENTA))))
    files.append(("art/audio_picture.bmp", formats.bmp_bytes(
        picture(lambda c: glyphs.speaker_small(c, 0, 0)).flatten(WHITE, MAGENTA))))
    for state in ("normal", "hot", "pressed"):
        files.append(("art/record_%s.bmp" % state,
                      formats.bmp_bytes(faces.record(state).flatten(WHITE, FACE_KEY))))
        files.append(("art/stop_%s.bmp" % state,
                      formats.bmp_bytes(faces.stop(state).flatten(WHITE, FACE_KEY))))
    # History marks (audio, video, cut short) masked with black; stream icons keyed on white and
    # drawn on the panel colour.
    marks = strip([glyphs.speaker, lambda c, x, y, u: glyphs.camcorder(c, x, y, u),
                   glyphs.torn_film], 48)
    files.append(("art/history_marks.bmp", formats.bmp_bytes(marks.flatten(WHITE, BLACK))))
    streams = strip([glyphs.speaker, glyphs.webcam], 32)
    files.append(("art/stream_icons.bmp", formats.bmp_bytes(streams.flatten(PANEL, WHITE))))
    for prefix, cut in (("panel", pieces.stream_panel()), ("header", pieces.header_band()),
                        ("frame", pieces.list_frame())):
        for name, piece in zip(pieces.NAMES, cut):
            files.append(("art/%s_%s.png" % (prefix, name), formats.png_bytes(piece.rgba())))
    return files


def montage():
    """docs/artwork.png through montage.py."""
    def res(rel):
        return os.path.join(RES, rel)

    def bmps(*names):
        return [(name, res("art/%s.bmp" % name)) for name in names]
    sections = [
        ("Program icon (143)", [("%d" % size, res("quorvantine_msn.ico") + "[%d]" % k)
                                for k, size in enumerate(PROGRAM_ICON_SIZES[:-1])]),
        ("Program icon 256", [("256", res("quorvantine_msn.ico") + "[5]")]),
        ("Tray icons: still (2065) and blink (2068)",
         [("still %d" % size, res("art/tray_still.ico") + "[%d]" % k)
          for k, size in enumerate(TRAY_ICON_SIZES[:4])] +
         [("blink %d" % size, res("art/tray_blink.ico") + "[%d]" % k)
          for k, size in enumerate(TRAY_ICON_SIZES[:4])]),
        ("Record faces 229/241/242 and Stop faces 243/244/245",
         bmps("record_normal", "record_hot", "record_pressed", "stop_normal", "stop_hot",
              "stop_pressed")),
        ("Pictures 153/154, history marks 2033, stream icons 2036 (keys show as they are)",
         bmps("folder_picture", "audio_picture", "history_marks", "stream_icons")),
        ("About banner 134", bmps("about_banner")),
        ("Nine-piece sets as painted: stream panel, list header band, list frame",
         [("panel", montage_tool.nine_piece(pieces.stream_panel(), 150, 70)),
          ("header", montage_tool.nine_piece(pieces.header_band(), 150, 23)),
          ("frame", montage_tool.nine_piece(pieces.list_frame(), 150, 40))]),
    ]
    return montage_tool.write(os.path.join(TOP, "docs", "artwork.png"), sections)


def main():
    written = []
    for rel, data in outputs():
        path = os.path.join(RES, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        written.append(path)
    print("artgen: wrote %d files" % len(written))
    if "--montage" in sys.argv:
        print("artgen: wrote", montage())


if __name__ == "__main__":
    main()
