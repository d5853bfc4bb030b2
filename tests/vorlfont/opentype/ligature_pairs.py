#!/usr/bin/python3
"""Prints the ligature entries the importer must make of a font, read with fontTools: one line
"first tag components... -> ligature" per entry, sorted.

Ligature substitutions of every feature, each (feature, lookup) pair once; components and
ligature below the glyph count, 2 to 255 components, an entry with the same components once. A
shared collection (FACE "all") walks its faces in order into the one glyph set.

Usage: ligature_pairs.py FONT [FACE|all]
"""
import sys

from layout_walk import feature_subtables, open_faces


def main():
    entries = {}
    for font in open_faces(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "-1"):
        if "GSUB" not in font:
            continue
        order = {name: i for i, name in enumerate(font.getGlyphOrder())}
        for tag, kind, sub in feature_subtables(font["GSUB"].table, lambda tag: True):
            if kind != 4:
                continue
            for first, ligatures in sub.ligatures.items():
                for lig in ligatures:
                    components = tuple(order[c] for c in lig.Component)
                    if order[first] == 0 or not 1 <= len(components) <= 254:
                        continue
                    entries.setdefault((order[first], tag, components), order[lig.LigGlyph])
    lines = ["%d %s %s -> %d" % (first, tag, " ".join(map(str, comps)), result)
             for (first, tag, comps), result in entries.items()]
    for line in sorted(lines):
        print(line)


if __name__ == "__main__":
    main()
