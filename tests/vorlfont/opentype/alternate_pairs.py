#!/usr/bin/python3
"""Prints the Alternates and Decomposes the importer must make of a font, read with fontTools: one
line "glyph TAG replacements..." per Alternate and "glyph dcmp components..." per Decompose, sorted.

Every feature but 'aalt', each (feature, lookup) pair once per face; single substitutions, one-glyph
multiple substitutions outside 'ccmp' and alternate substitutions become Alternates, the first one
of a glyph and feature winning; 'ccmp' multiple substitutions of 2 to 254 glyphs become the glyph's
one Decompose. Glyphs past the glyph count are dropped (an entry naming one is not made). A shared
collection (FACE "all") walks its faces in order into the one glyph set.

Usage: alternate_pairs.py FONT [FACE|all]
"""
import sys

from layout_walk import feature_subtables, open_faces


def main():
    alternates = {}
    decomposes = {}
    for font in open_faces(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "-1"):
        order = {name: i for i, name in enumerate(font.getGlyphOrder())}
        count = font["maxp"].numGlyphs

        def glyph(name):
            number = order.get(name, count)
            return number if number < count else None

        def alternate(first, tag, replacements):
            if first is None or first == 0 or (first, tag) in alternates:
                return
            kept = [g for g in map(glyph, replacements) if g is not None]
            if kept:
                alternates[(first, tag)] = kept

        if "GSUB" not in font:
            continue
        for tag, kind, sub in feature_subtables(font["GSUB"].table, lambda tag: tag != "aalt"):
            if kind == 1:
                for name, replacement in sub.mapping.items():
                    # Glyph 0 as the replacement would be an Alternate without a glyph.
                    if glyph(replacement) != 0:
                        alternate(glyph(name), tag, [replacement])
            elif kind == 2:
                for name, sequence in sub.mapping.items():
                    first = glyph(name)
                    if first is None or first == 0:
                        continue
                    if len(sequence) == 1 and tag != "ccmp" and glyph(sequence[0]) != 0:
                        alternate(first, tag, sequence)
                    elif 2 <= len(sequence) <= 254 and tag == "ccmp" and first not in decomposes:
                        parts = [glyph(n) for n in sequence]
                        if None not in parts:
                            decomposes[first] = parts
            elif kind == 3:
                for name, replacements in sub.alternates.items():
                    alternate(glyph(name), tag, replacements)
    lines = ["%d %s %s" % (first, tag, " ".join(map(str, kept))) for (first, tag), kept in alternates.items()]
    lines += ["%d dcmp %s" % (first, " ".join(map(str, parts))) for first, parts in decomposes.items()]
    for line in sorted(lines):
        print(line)


if __name__ == "__main__":
    main()
