#!/usr/bin/python3
"""Prints the ligature entries the importer must make of a font, read with fontTools: one line
"first tag components... -> ligature" per entry, sorted.

Ligature substitutions of every feature, each (feature, lookup) pair once; components and
ligature below the glyph count, 2 to 255 components, an entry with the same components once.

Usage: ligature_pairs.py FONT
"""
import sys

from fontTools.ttLib import TTFont


def main():
    font = TTFont(sys.argv[1], lazy=False)
    order = {name: i for i, name in enumerate(font.getGlyphOrder())}
    entries = {}
    if "GSUB" in font:
        table = font["GSUB"].table
        seen = set()
        for record in table.FeatureList.FeatureRecord:
            tag = record.FeatureTag
            for index in record.Feature.LookupListIndex:
                if (tag, index) in seen or index >= len(table.LookupList.Lookup):
                    continue
                seen.add((tag, index))
                lookup = table.LookupList.Lookup[index]
                for sub in lookup.SubTable:
                    kind = lookup.LookupType
                    if kind == 7:
                        kind, sub = sub.ExtensionLookupType, sub.ExtSubTable
                    if kind != 4:
                        continue
                    for first, ligatures in sub.ligatures.items():
                        for lig in ligatures:
                            components = tuple(order[c] for c in lig.Component)
                            if order[first] == 0 or not 1 <= len(components) <= 254:
                                continue
                            key = (order[first], tag, components)
                            entries.setdefault(key, order[lig.LigGlyph])
    lines = ["%d %s %s -> %d" % (first, tag, " ".join(map(str, comps)), result)
             for (first, tag, comps), result in entries.items()]
    for line in sorted(lines):
        print(line)


if __name__ == "__main__":
    main()
