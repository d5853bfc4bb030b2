#!/usr/bin/env python3
"""Writes a font collection of two faces that share every table but 'name': two copies of one
font, renamed, saved with the tables shared. vorlfont compiles such a collection into one Vorl file
with a font record per face (the Data folder's file 21: face 0 text, face 1 math).

Needs fontTools (Debian's python3-fonttools). Usage:

    python3 tools/make_shared_collection.py source.otf output.otc "Face 0 family" "Face 1 family"
"""

import sys

from fontTools.ttLib import TTCollection, TTFont

# Name ids that carry the family or the full name; PostScript names have no spaces.
FAMILY_IDS = (1, 16, 21)
FULL_IDS = (4,)
UNIQUE_IDS = (3,)
POSTSCRIPT_IDS = (6, 20)


def rename(font, family):
    """Gives the face a family of its own; its style name (id 2) stays."""
    names = font['name']
    style = names.getDebugName(2) or 'Regular'
    full = family if style == 'Regular' else family + ' ' + style
    postscript = (family + '-' + style).replace(' ', '')
    for record in names.names:
        if record.nameID in FAMILY_IDS:
            record.string = family
        elif record.nameID in FULL_IDS:
            record.string = full
        elif record.nameID in UNIQUE_IDS:
            record.string = full
        elif record.nameID in POSTSCRIPT_IDS:
            record.string = postscript


def main(arguments):
    if len(arguments) != 4:
        sys.stderr.write(__doc__)
        return 2
    source, output, first, second = arguments
    collection = TTCollection()
    for family in (first, second):
        # Tables other than 'name' are written as read, so the two copies share them byte for byte.
        face = TTFont(source)
        rename(face, family)
        collection.fonts.append(face)
    collection.save(output, shareTables=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
