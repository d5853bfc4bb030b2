#!/usr/bin/python3
"""Prints the ligature carets the importer must make of a font, read with fontTools: one line
"glyph positions..." (font units) per ligature glyph, sorted.

The 'GDEF' ligature caret list: a glyph other than 0 below the glyph count with at least one caret,
all of them coordinates (formats 1 and 3). A shared collection (FACE "all") gives a glyph the carets
of the first face that has them.

Usage: ligature_carets.py FONT [FACE|all]
"""
import sys

from layout_walk import open_faces


def main():
    carets = {}
    for font in open_faces(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "-1"):
        order = {name: i for i, name in enumerate(font.getGlyphOrder())}
        count = font["maxp"].numGlyphs
        if "GDEF" not in font or font["GDEF"].table.LigCaretList is None:
            continue
        caret_list = font["GDEF"].table.LigCaretList
        for name, ligature in zip(caret_list.Coverage.glyphs, caret_list.LigGlyph):
            glyph = order.get(name, count)
            values = ligature.CaretValue
            if glyph == 0 or glyph >= count or not values or any(v.Format not in (1, 3) for v in values):
                continue
            carets.setdefault(glyph, [v.Coordinate for v in values])
    for glyph, values in sorted(carets.items()):
        print(glyph, " ".join(map(str, values)))


if __name__ == "__main__":
    main()
