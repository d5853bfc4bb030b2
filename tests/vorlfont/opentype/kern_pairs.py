#!/usr/bin/python3
"""Prints the kerning pairs the importer must make of a font, read with fontTools: one line
"second first value v" per pair (value in font units, v 1 for vertical), sorted.

'kern' and 'vkrn' lookups in feature order, each lookup once per direction; within a lookup only
the first subtable that covers a pair gives its value (format 1: it lists the pair; format 2: its
coverage holds the first glyph), 0 included; over the lookups the first nonzero value wins;
class-based subtables pair the glyphs of class definition 1 and the coverage
with only the second glyphs their class definition 2 names; then a legacy 'kern' table of one
horizontal format-0 subtable. A shared collection (FACE "all") walks its faces in order into the one
glyph set, so a pair's first value over all faces wins.

Usage: kern_pairs.py FONT [FACE|all]
"""
import sys

from layout_walk import feature_lookups, lookup_subtables, open_faces


def value(record, field):
    return (getattr(record, field, 0) or 0) if record is not None else 0


def main():
    pairs = {}
    for font in open_faces(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "-1"):
        read_face(font, pairs)
    for (second, first, vertical), amount in sorted(pairs.items()):
        print(second, first, amount, int(vertical))


def read_pair_subtable(sub, order, vertical, add, covered_firsts, covered_pairs):
    count = len(order)
    f1, f2 = ("YAdvance", "YPlacement") if vertical else ("XAdvance", "XPlacement")
    if sub.Format == 1:
        for name, pairset in zip(sub.Coverage.glyphs, sub.PairSet):
            first = order[name]
            if first == 0 or first >= count or first in covered_firsts:
                continue
            for r in pairset.PairValueRecord:
                second = order[r.SecondGlyph]
                if second == 0 or second >= count or (first, second) in covered_pairs:
                    continue
                covered_pairs.add((first, second))
                add(second, first, value(r.Value1, f1) + value(r.Value2, f2), vertical)
    elif sub.Format == 2:
        classes1 = sub.ClassDef1.classDefs
        seconds = {}
        for name, c in sub.ClassDef2.classDefs.items():
            seconds.setdefault(c, []).append(order[name])
        firsts = list(classes1) + [n for n in sub.Coverage.glyphs if n not in classes1]
        for name in firsts:
            c1 = classes1.get(name, 0)
            first = order[name]
            if c1 >= sub.Class1Count or first in covered_firsts:
                continue
            row = sub.Class1Record[c1].Class2Record
            for c2, glyphs in seconds.items():
                if c2 >= sub.Class2Count:
                    continue
                amount = value(row[c2].Value1, f1) + value(row[c2].Value2, f2)
                for second in glyphs:
                    if (first, second) not in covered_pairs:
                        add(second, first, amount, vertical)
        if sub.Class2Count > 0:
            covered_firsts.update(order[n] for n in sub.Coverage.glyphs if classes1.get(n, 0) < sub.Class1Count)


def read_face(font, pairs):
    order = {name: i for i, name in enumerate(font.getGlyphOrder())}
    count = len(order)

    def add(second, first, amount, vertical):
        if amount == 0 or first == 0 or second == 0 or first >= count or second >= count:
            return
        pairs.setdefault((second, first, vertical), amount)

    if "GPOS" in font:
        for tag, lookup in feature_lookups(font["GPOS"].table, lambda tag: tag in ("kern", "vkrn")):
            vertical = tag == "vkrn"
            # Pairs that an earlier subtable of the lookup covers, whatever its value: first glyphs
            # of class-pair subtables, pairs that format-1 subtables list.
            covered_firsts, covered_pairs = set(), set()
            for kind, sub in lookup_subtables(lookup):
                if kind == 2:
                    read_pair_subtable(sub, order, vertical, add, covered_firsts, covered_pairs)
    if "kern" in font:
        kern = font["kern"]
        if kern.version == 0 and len(kern.kernTables) == 1:
            sub = kern.kernTables[0]
            if sub.format == 0 and sub.coverage == 1:
                for (left, right), amount in sub.kernTable.items():
                    add(order[right], order[left], amount, False)


if __name__ == "__main__":
    main()
