#!/usr/bin/python3
"""Writes fonts for cases no Debian font has, with fontTools' FontBuilder.

Usage: make_test_fonts.py OUTPUT_FOLDER
  format6.ttf    a (3, 1) cmap of format 6
  unicode03.ttf  only (0, 3) and (1, 0) cmap subtables
  name1.ttf      a version-1 'name' table with two language-tag records
  vertical.ttf   'vhea' and 'vmtx' beside 'hmtx'
"""
import os
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

GLYPHS = [".notdef", "A", "B", "C", "D", "E", "alpha"]


def triangle():
    pen = TTGlyphPen(None)
    pen.moveTo((0, 0))
    pen.lineTo((0, 500))
    pen.lineTo((400, 0))
    pen.closePath()
    return pen.glyph()


def base_font(path, vertical=False):
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(GLYPHS)
    fb.setupCharacterMap({0x41 + i: GLYPHS[1 + i] for i in range(5)} | {0x3B1: "alpha"})
    fb.setupGlyf({g: triangle() for g in GLYPHS})
    fb.setupHorizontalMetrics({g: (500 + 10 * i, 5 * i) for i, g in enumerate(GLYPHS)})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "Builder Sample", "styleName": "Regular",
                       "fullName": "Builder Sample \"Regular\"\nLine two"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200,
                sxHeight=500, sCapHeight=700, version=4)
    fb.setupPost(italicAngle=-12.0)
    if vertical:
        fb.setupVerticalMetrics({g: (1000 if i % 2 else 0, 30 * i) for i, g in enumerate(GLYPHS)})
        fb.setupVerticalHeader(ascent=500, descent=-500)
    fb.save(path)


def subtable(fmt, platform, encoding, mapping):
    table = CmapSubtable.newSubtable(fmt)
    table.platformID, table.platEncID, table.language = platform, encoding, 0
    table.cmap = mapping
    return table


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    mapping = {0x41 + i: GLYPHS[1 + i] for i in range(5)}

    base_font(os.path.join(out, "format6.ttf"))
    font = TTFont(os.path.join(out, "format6.ttf"))
    font["cmap"].tables = [subtable(6, 3, 1, mapping)]
    font.save(os.path.join(out, "format6.ttf"))

    base_font(os.path.join(out, "unicode03.ttf"))
    font = TTFont(os.path.join(out, "unicode03.ttf"))
    font["cmap"].tables = [subtable(0, 1, 0, {0x41: "E"}), subtable(4, 0, 3, mapping | {0x3B1: "alpha"})]
    font.save(os.path.join(out, "unicode03.ttf"))

    base_font(os.path.join(out, "vertical.ttf"), vertical=True)

    # Version 1: langTagCount and two records between the name records and the storage.
    base_font(os.path.join(out, "name1.ttf"))
    font = TTFont(os.path.join(out, "name1.ttf"))
    data = font.reader["name"]
    count, storage = struct.unpack(">HH", data[2:6])
    records = data[6:6 + 12 * count]
    strings = data[storage:]
    tags = "en-US".encode("utf-16-be") + "de".encode("utf-16-be")
    tag_records = struct.pack(">HHHHH", 2, 10, len(strings), 4, len(strings) + 10)
    new_storage = 6 + 12 * count + len(tag_records)
    name = struct.pack(">HHH", 1, count, new_storage) + records + tag_records + strings + tags
    raw = open(os.path.join(out, "name1.ttf"), "rb").read()
    num_tables = struct.unpack(">H", raw[4:6])[0]
    tables = []
    for i in range(num_tables):
        tag, _, offset, length = struct.unpack(">4sIII", raw[12 + 16 * i:28 + 16 * i])
        tables.append((tag, name if tag == b"name" else raw[offset:offset + length]))
    body = b""
    directory = b""
    position = 12 + 16 * num_tables
    for tag, table in tables:
        directory += struct.pack(">4sIII", tag, 0, position + len(body), len(table))
        body += table + b"\0" * (-len(table) % 4)
    with open(os.path.join(out, "name1.ttf"), "wb") as f:
        f.write(raw[:12] + directory + body)


if __name__ == "__main__":
    main()
