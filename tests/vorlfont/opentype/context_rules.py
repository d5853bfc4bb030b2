#!/usr/bin/python3
"""Prints the 'ccmp' context entries the importer must make of a font, read with fontTools: one line
"glyph ccmp b:g,g f:g,g -> replacement" per entry (backtrack classes nearest first, then lookahead
classes), sorted.

Chained context substitutions (formats 1 and 3) of 'ccmp', each (feature, lookup) pair once per
face, whose rule has one input glyph and one substitution record at index 0; the replacement is the
first single substitution of the nested lookup that covers the input glyph. Classes hold each glyph
below the glyph count once, in coverage order; an entry with an empty class, or whose context glyph
or replacement lies past the glyph count, is not made; an entry with the same classes as an earlier
one of the glyph is not made. A shared collection (FACE "all") walks its faces in order.

Usage: context_rules.py FONT [FACE|all]
"""
import sys

from layout_walk import feature_subtables, lookup_subtables, open_faces


def main():
    entries = {}
    for font in open_faces(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "-1"):
        order = {name: i for i, name in enumerate(font.getGlyphOrder())}
        count = font["maxp"].numGlyphs
        if "GSUB" not in font:
            continue
        lookups = font["GSUB"].table.LookupList.Lookup

        def listed(names):
            glyphs = []
            for name in names:
                g = order.get(name, count)
                if g < count and g not in glyphs:
                    glyphs.append(g)
            return tuple(glyphs)

        def substitute(index, name):
            if index >= len(lookups):
                return 0
            for kind, sub in lookup_subtables(lookups[index]):
                if kind == 1 and sub.mapping.get(name) is not None and order[sub.mapping[name]] != 0:
                    return order[sub.mapping[name]]
            return 0

        def add(name, backtrack, lookahead, index):
            first = order.get(name, count)
            if first == 0 or first >= count:
                return
            replacement = substitute(index, name)
            if replacement == 0 or replacement >= count or () in backtrack + lookahead:
                return
            entries.setdefault((first, backtrack, lookahead), replacement)

        for tag, kind, sub in feature_subtables(font["GSUB"].table, lambda tag: tag == "ccmp"):
            if kind != 6:
                continue
            if sub.Format == 1:
                for name, ruleset in zip(sub.Coverage.glyphs, sub.ChainSubRuleSet):
                    for rule in ruleset.ChainSubRule if ruleset else []:
                        records = rule.SubstLookupRecord
                        if rule.InputGlyphCount != 1 or len(records) != 1 or records[0].SequenceIndex != 0:
                            continue
                        context = [order.get(n, count) for n in rule.Backtrack + rule.LookAhead]
                        if any(g >= count for g in context):
                            continue
                        backtrack = tuple((order[n],) for n in rule.Backtrack)
                        lookahead = tuple((order[n],) for n in rule.LookAhead)
                        add(name, backtrack, lookahead, records[0].LookupListIndex)
            elif sub.Format == 3:
                records = sub.SubstLookupRecord
                if sub.InputGlyphCount != 1 or len(records) != 1 or records[0].SequenceIndex != 0:
                    continue
                backtrack = tuple(listed(c.glyphs) for c in sub.BacktrackCoverage)
                lookahead = tuple(listed(c.glyphs) for c in sub.LookAheadCoverage)
                for name in sub.InputCoverage[0].glyphs:
                    add(name, backtrack, lookahead, records[0].LookupListIndex)
    lines = []
    for (first, backtrack, lookahead), replacement in entries.items():
        classes = ["b:" + ",".join(map(str, c)) for c in backtrack] + ["f:" + ",".join(map(str, c)) for c in lookahead]
        lines.append("%d ccmp %s -> %d" % (first, " ".join(classes), replacement))
    for line in sorted(lines):
        print(line)


if __name__ == "__main__":
    main()
