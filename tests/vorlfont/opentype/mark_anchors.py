#!/usr/bin/python3
"""Prints the mark anchors the importer must make of a font, read with fontTools: one line
"glyph b|m class x y" per base or mark anchor (coordinates in font units), sorted.

Mark-to-base subtables of 'abvm', 'blwm' and 'mark' take class indices from 0, mark-to-mark
subtables of 'mkmk' from 65536: each subtable met (a lookup again each time a feature record names
it) takes the next markClassCount indices. A glyph keeps the first anchor of a kind and class
index; glyph 0, glyphs past the glyph count, mark classes past the class count and null base
anchors make none. A shared collection (FACE "all") walks its faces in order, each from 0 and
65536 again.

Usage: mark_anchors.py FONT [FACE|all]
"""
import sys

from layout_walk import feature_subtables, open_faces


def main():
    anchors = {}
    for font in open_faces(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "-1"):
        read_face(font, anchors)
    for (glyph, kind, index), (x, y) in sorted(anchors.items()):
        print(glyph, kind, index, x, y)


def read_face(font, anchors):
    if "GPOS" not in font:
        return
    order = {name: i for i, name in enumerate(font.getGlyphOrder())}
    count = font["maxp"].numGlyphs
    table = font["GPOS"].table
    counters = {4: 0, 6: 0x10000}

    def add(name, kind, index, anchor):
        glyph = order.get(name, count)
        if glyph != 0 and glyph < count and anchor is not None:
            anchors.setdefault((glyph, kind, index), (anchor.XCoordinate, anchor.YCoordinate))

    mark_tags = ("abvm", "blwm", "mark", "mkmk")
    for tag, kind, sub in feature_subtables(table, lambda tag: tag in mark_tags, once=False):
        wanted = 6 if tag == "mkmk" else 4
        if kind != wanted:
            continue
        first = counters[wanted]
        if wanted == 4:
            marks, bases = sub.MarkCoverage.glyphs, sub.BaseCoverage.glyphs
            mark_records = sub.MarkArray.MarkRecord
            base_anchors = [r.BaseAnchor for r in sub.BaseArray.BaseRecord]
        else:
            marks, bases = sub.Mark1Coverage.glyphs, sub.Mark2Coverage.glyphs
            mark_records = sub.Mark1Array.MarkRecord
            base_anchors = [r.Mark2Anchor for r in sub.Mark2Array.Mark2Record]
        if sub.ClassCount != 0:
            for name, mark in zip(marks, mark_records):
                if mark.Class < sub.ClassCount:
                    add(name, "m", first + mark.Class, mark.MarkAnchor)
        for name, row in zip(bases, base_anchors):
            for k in range(sub.ClassCount):
                add(name, "b", first + k, row[k])
        counters[wanted] += sub.ClassCount


if __name__ == "__main__":
    main()
