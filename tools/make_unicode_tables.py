#!/usr/bin/env python3
"""Generates vorl/text/UnicodeTables.cpp: the text run's property table and bracket mirroring hash.

Reads the Unicode Character Database as Debian's unicode-data package installs it
(/usr/share/unicode, version 15.0). Usage:

    python3 tools/make_unicode_tables.py [ucd-folder] > vorl/text/UnicodeTables.cpp
"""

import os
import sys

LIMIT = 0x30000             # code points from here up have property 0
BLOCK = 32                  # code points per block of the two-level table
BUCKETS = 128
SLOTS = 6

CONTROL = 0x1
MARK = 0x2
STRONG_LTR = 0x4
STRONG_RTL = 0x8
OTHER_NEUTRAL = 0x10
ARABIC_NUMBER = 0x20
MIRRORED = 0x40
JOINS_NEXT = 0x80
JOINS_PREVIOUS = 0x100
TRANSPARENT = 0x200
UPRIGHT = 0x400
NO_BREAK_BEFORE = 0x800
NO_BREAK_AFTER = 0x1000

NO_BREAK_BEFORE_CLASSES = {'CL', 'CP', 'EX', 'IS', 'SY', 'NS', 'GL', 'QU', 'CM', 'ZWJ', 'WJ', 'PO'}
NO_BREAK_AFTER_CLASSES = {'OP', 'QU', 'GL', 'PR', 'ZWJ', 'WJ'}

# Decimal digits that count as strong left to right so that numbers keep their order in
# right-to-left text: ASCII, Arabic-Indic and Extended Arabic-Indic (Persian, Urdu).
LTR_DIGIT_RANGES = [(0x30, 0x39), (0x660, 0x669), (0x6F0, 0x6F9)]


def parse_range(field):
    field = field.strip()
    if '..' in field:
        first, last = field.split('..')
        return int(first, 16), int(last, 16)
    value = int(field, 16)
    return value, value


def read_property(path, default=None):
    """Returns a list of LIMIT values from a UCD file of 'range ; value' lines (with @missing defaults)."""
    values = [default] * LIMIT
    with open(path, encoding='utf-8') as file:
        lines = file.readlines()
    for line in lines:
        if line.startswith('# @missing:'):
            fields = line[len('# @missing:'):].split(';')
            first, last = parse_range(fields[0])
            fill(values, first, last, fields[1].strip())
    for line in lines:
        data = line.split('#', 1)[0].strip()
        if not data:
            continue
        fields = data.split(';')
        first, last = parse_range(fields[0])
        fill(values, first, last, fields[1].strip())
    return values


def fill(values, first, last, value):
    if first >= LIMIT:
        return
    for c in range(first, min(last, LIMIT - 1) + 1):
        values[c] = value


def read_binary_property(path, name):
    flags = [False] * LIMIT
    with open(path, encoding='utf-8') as file:
        for line in file:
            data = line.split('#', 1)[0].strip()
            if not data:
                continue
            fields = data.split(';')
            if fields[1].strip() == name:
                first, last = parse_range(fields[0])
                fill(flags, first, last, True)
    return flags


def read_mirrors(path):
    pairs = []
    with open(path, encoding='utf-8') as file:
        for line in file:
            data = line.split('#', 1)[0].strip()
            if not data:
                continue
            source, mirror = data.split(';')
            pairs.append((int(source, 16), int(mirror, 16)))
    return pairs


def compute_properties(ucd):
    extracted = os.path.join(ucd, 'extracted')
    category = read_property(os.path.join(extracted, 'DerivedGeneralCategory.txt'), 'Cn')
    bidi = read_property(os.path.join(extracted, 'DerivedBidiClass.txt'), 'L')
    joining = read_property(os.path.join(extracted, 'DerivedJoiningType.txt'), 'U')
    vertical = read_property(os.path.join(ucd, 'VerticalOrientation.txt'), 'R')
    line_break = read_property(os.path.join(ucd, 'LineBreak.txt'), 'XX')
    mirrored = read_binary_property(os.path.join(extracted, 'DerivedBinaryProperties.txt'), 'Bidi_Mirrored')

    bidi_bits = {'L': STRONG_LTR, 'Left_To_Right': STRONG_LTR,
                 'R': STRONG_RTL, 'Right_To_Left': STRONG_RTL,
                 'AL': STRONG_RTL, 'Arabic_Letter': STRONG_RTL,
                 'ON': OTHER_NEUTRAL, 'Other_Neutral': OTHER_NEUTRAL,
                 'AN': ARABIC_NUMBER, 'Arabic_Number': ARABIC_NUMBER}
    # Joining type C (join causing, e.g. ZWJ and tatweel) joins on both sides like D.
    joining_bits = {'D': JOINS_NEXT | JOINS_PREVIOUS, 'Dual_Joining': JOINS_NEXT | JOINS_PREVIOUS,
                    'C': JOINS_NEXT | JOINS_PREVIOUS, 'Join_Causing': JOINS_NEXT | JOINS_PREVIOUS,
                    'R': JOINS_PREVIOUS, 'Right_Joining': JOINS_PREVIOUS}

    words = [0] * LIMIT
    for c in range(LIMIT):
        word = 0
        gc = category[c]
        if gc in ('Cc', 'Cf', 'Cs') or 0xFE00 <= c <= 0xFE0F:
            word |= CONTROL
        if gc in ('Mn', 'Mc', 'Me'):
            word |= MARK
        if gc in ('Mn', 'Me'):
            word |= TRANSPARENT
        word |= bidi_bits.get(bidi[c], 0)
        if mirrored[c]:
            word |= MIRRORED
        word |= joining_bits.get(joining[c], 0)
        if vertical[c] in ('U', 'Tu'):
            word |= UPRIGHT
        if line_break[c] in NO_BREAK_BEFORE_CLASSES:
            word |= NO_BREAK_BEFORE
        if line_break[c] in NO_BREAK_AFTER_CLASSES:
            word |= NO_BREAK_AFTER
        words[c] = word
    for first, last in LTR_DIGIT_RANGES:
        for c in range(first, last + 1):
            words[c] |= STRONG_LTR
    return words, mirrored


def build_blocks(words):
    index = []
    pool = []
    seen = {}
    for start in range(0, LIMIT, BLOCK):
        block = tuple(words[start:start + BLOCK])
        if block not in seen:
            seen[block] = len(pool)
            pool.extend(block)
        index.append(seen[block])
    return index, pool


def mirror_bucket(c):
    return ((c >> 12 & 15) + 17 * (c >> 4 & 15) + 7 * (c >> 8 & 15) + 19 * (c & 15)) & 127


def build_mirror_hash(pairs, mirrored):
    buckets = [[] for _ in range(BUCKETS)]
    for source, mirror in pairs:
        if source >= LIMIT or not mirrored[source]:
            continue
        bucket = buckets[mirror_bucket(source)]
        if len(bucket) >= SLOTS:
            sys.exit('mirroring bucket overflow at U+%04X' % source)
        bucket.append((source, mirror))
    return buckets


def write_words(out, values, per_line, digits):
    for start in range(0, len(values), per_line):
        row = values[start:start + per_line]
        out.write('    ' + ', '.join('0x%0*X' % (digits, v) for v in row) + ',\n')


def main():
    ucd = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/unicode'
    words, mirrored = compute_properties(ucd)
    index, pool = build_blocks(words)
    buckets = build_mirror_hash(read_mirrors(os.path.join(ucd, 'BidiMirroring.txt')), mirrored)
    pair_count = sum(len(b) for b in buckets)

    out = sys.stdout
    out.write('// Generated by tools/make_unicode_tables.py from the Unicode Character Database 15.0.\n')
    out.write('// Do not edit: run the script again.\n\n')
    out.write('#include "vorl/text/UnicodeTables.h"\n\n')
    out.write('namespace oq {\n\n')
    out.write('const int32_t kUnicodePropertyWordCount = %d;\n' % len(pool))
    out.write('const int32_t kBidiMirrorPairCount = %d;\n\n' % pair_count)
    out.write('const uint16_t kUnicodePropertyBlockIndex[kUnicodePropertyBlockCount] = {\n')
    write_words(out, index, 12, 4)
    out.write('};\n\n')
    out.write('const uint16_t kUnicodePropertyWords[%d] = {\n' % len(pool))
    write_words(out, pool, 12, 4)
    out.write('};\n\n')
    out.write('const BidiMirrorPair kBidiMirrorTable[kBidiMirrorBucketCount][kBidiMirrorSlotCount] = {\n')
    for bucket in buckets:
        slots = list(bucket) + [(0, 0)] * (SLOTS - len(bucket))
        out.write('    {' + ', '.join('{0x%05X, 0x%05X}' % slot for slot in slots) + '},\n')
    out.write('};\n\n')
    out.write('}  // namespace oq\n')
    sys.stderr.write('%d blocks, %d words, %d mirror pairs, fullest bucket %d\n'
                     % (len(pool) // BLOCK, len(pool), pair_count, max(len(b) for b in buckets)))


if __name__ == '__main__':
    main()
