#!/usr/bin/python3
"""Writes the seeds of fuzz/corpus/layout_tables_fuzz: the positioning, substitution and caret
tables of small fontTools subsets of Debian's fonts, small hand-built colour tables, and the
colour tables of make_color_fonts.py's fonts.

Usage: make_layout_seeds.py OUTPUT_FOLDER
"""
import os
import struct
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTFont

SOURCES = [
    ("dejavu", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "--text=AVTofi\u00e9\u0301"),
    ("noto", "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf", "--text=AVTfi\u00ef\u0301j"),
    ("arabic", "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf", "--text=\u0628\u064a\u0644"),
    # Kerning lookups of two class-pair subtables each.
    ("freeserif", "/usr/share/fonts/opentype/freefont/FreeSerif.otf", "--text=AVTo\u0435\u0448\u0430\u0442\u0413"),
]


def write(folder, name, kind, glyphs, data):
    with open(os.path.join(folder, name), "wb") as out:
        out.write(bytes([kind]) + struct.pack(">H", glyphs) + data)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    with tempfile.TemporaryDirectory() as temp:
        for name, source, text in SOURCES:
            output = os.path.join(temp, name + ".ttf")
            subprocess.run(["/usr/bin/python3", "-m", "fontTools.subset", source, text, "--output-file=" + output,
                            "--layout-features=*", "--no-hinting"], check=True)
            font = TTFont(output)
            glyphs = len(font.getGlyphOrder())
            for kind, tag in enumerate(["GPOS", "GSUB", "GDEF"]):
                if tag in font.reader.tables:
                    write(folder, "%s_%s" % (name, tag), kind, glyphs, font.reader[tag])
    # Two palettes of two entries (version 1 with types) and a version-0 glyph of two layers.
    cpal = struct.pack(">HHHHI", 1, 2, 2, 4, 20) + struct.pack(">HH", 0, 2) + struct.pack(">I", 36)
    cpal += bytes([10, 20, 30, 255, 40, 50, 60, 128, 1, 2, 3, 4, 5, 6, 7, 8]) + struct.pack(">II", 1, 2)
    colr = struct.pack(">HHIIH", 0, 1, 14, 20, 2) + struct.pack(">HHH", 1, 0, 2) + struct.pack(">HHHH", 2, 0, 3, 0xFFFF)
    write(folder, "colour_v0", 3, 8, struct.pack(">I", len(cpal)) + cpal + colr)
    # Version 1: glyph 1 paints PaintColrLayers of one layer: a translated PaintGlyph 2 filled by a
    # linear gradient of two stops.
    head = struct.pack(">HHIIHIIIII", 1, 0, 0, 0, 0, 34, 44, 0, 0, 0)
    base = struct.pack(">IHI", 1, 1, 18)  # the paint follows the record and the layer list
    layers = struct.pack(">II", 1, 14)
    colr_layers = bytes([1, 1]) + struct.pack(">I", 0)
    translate = bytes([14, 0, 0, 8]) + struct.pack(">hh", 100, -50)
    glyph = bytes([10, 0, 0, 6, 0, 2])
    linear = bytes([4, 0, 0, 16]) + struct.pack(">hhhhhh", 0, 0, 500, 0, 0, 500)
    line = bytes([1]) + struct.pack(">H", 2) + struct.pack(">HHh", 0, 0, 0x4000) + struct.pack(">HHh", 0x4000, 1, 0x2000)
    colr1 = head + base + layers + colr_layers + translate + glyph + linear + line
    write(folder, "colour_v1", 3, 8, struct.pack(">I", len(cpal)) + cpal + colr1)
    # Every paint format and version-0 glyphs beside them, with the palettes of CPAL version 1.
    with tempfile.TemporaryDirectory() as temp:
        subprocess.run(["/usr/bin/python3", "-B", os.path.join(os.path.dirname(__file__), "make_color_fonts.py"),
                        temp], check=True)
        font = TTFont(os.path.join(temp, "colr1.ttf"))
        cpal, colr = font.reader["CPAL"], font.reader["COLR"]
        write(folder, "colour_all_paints", 3, len(font.getGlyphOrder()), struct.pack(">I", len(cpal)) + cpal + colr)


if __name__ == "__main__":
    main()
