#!/usr/bin/env python3
"""Dumps what the font importer must make of a font file, read with fontTools.

Usage: dump_font.py FONT. One block per Font (parent Fonts of shared collections hold units,
glyph count and glyph metrics; their members the names, metrics and character maps).
"""
import struct
import sys

from fontTools.ttLib import TTCollection, TTFont


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def quote(text):
    out = []
    for b in text.encode("utf-8", errors="surrogatepass"):
        out.append(chr(b) if 0x20 <= b < 0x7F and b not in (0x22, 0x5C) else "\\x%02X" % b)
    return '"' + "".join(out) + '"'


def num(x):
    return "%.9g" % x


USABLE = lambda p, e: p == 0 or (p == 3 and e in (0, 1, 10)) or (p == 1 and e == 0)
KINDS = {0: "copyright", 4: "fullname", 5: "version", 6: "postscript", 7: "trademark",
         8: "manufacturer", 9: "designer", 10: "description", 11: "vendor_url",
         12: "designer_url", 13: "license", 14: "license_url"}


def decode(rec):
    data = rec.string if isinstance(rec.string, bytes) else rec.string.encode("utf-16-be")
    p, e = rec.platformID, rec.platEncID
    if p == 1 or (p == 0 and e == 0 and data[:1] not in (b"", b"\0")):
        data = data.split(b"\0")[0]
        return data.decode("mac_roman") if p == 1 else data.decode("latin-1")
    data = data[: len(data) // 2 * 2]
    text = data.decode("utf-16-be", errors="surrogatepass").split("\0")[0]
    return "".join("\ufffd" if 0xD800 <= ord(c) < 0xE000 else c for c in text)


def dump_names(font, out):
    records = font["name"].names
    cand = {}
    for r in records:
        if not USABLE(r.platformID, r.platEncID) or r.nameID not in (16, 17, 1, 2):
            continue
        if r.nameID not in cand or r.langID == 0x409:
            cand[r.nameID] = r
    fam = cand.get(16) or cand.get(1)
    sty = cand.get(17) or cand.get(2)
    if fam and sty:
        out.append("name %s %s" % (quote(decode(fam)), quote(decode(sty))))
    taken = set()
    for r in records:
        if not USABLE(r.platformID, r.platEncID) or r.nameID >= 15 or r.nameID in taken:
            continue
        taken.add(r.nameID)
        if r.nameID in KINDS:
            out.append("message %s %s" % (KINDS[r.nameID], quote(decode(r))))
    return decode(fam) if fam and sty else None


def dump_metrics(font, hhea, s, out):
    m = lambda v: f32(v * s)
    out.append("metric ascent " + num(m(hhea.ascent)))
    out.append("metric descent " + num(m(hhea.descent)))
    out.append("metric line_gap " + num(m(hhea.lineGap)))
    family = 0
    if "OS/2" in font:
        o = font["OS/2"]
        out.append("metric typo_ascent " + num(m(o.sTypoAscender)))
        out.append("metric typo_descent " + num(m(o.sTypoDescender)))
        out.append("metric typo_line_gap " + num(m(o.sTypoLineGap)))
        if o.version >= 2:
            out.append("metric cap_height " + num(m(o.sCapHeight)))
            out.append("metric ex_height " + num(m(o.sxHeight)))
        out.append("metric sub_scale %s %s" % (num(m(o.ySubscriptXSize)), num(m(o.ySubscriptYSize))))
        out.append("metric sub_offset %s %s" % (num(m(o.ySubscriptXOffset)), num(-m(o.ySubscriptYOffset))))
        out.append("metric super_scale %s %s" % (num(m(o.ySuperscriptXSize)), num(m(o.ySuperscriptYSize))))
        out.append("metric super_offset %s %s" % (num(m(o.ySuperscriptXOffset)), num(m(o.ySuperscriptYOffset))))
        size = m(o.yStrikeoutSize)
        out.append("metric strike_size " + num(size))
        out.append("metric strike_position " + num(f32(m(o.yStrikeoutPosition) - size)))
        if o.usWeightClass:
            out.append("metric weight_class %d" % o.usWeightClass)
        if o.usWidthClass:
            out.append("metric width_class %d" % o.usWidthClass)
        fc = o.sFamilyClass
        fc = fc - 0x10000 if fc >= 0x8000 else fc
        if fc:
            out.append("metric family_class %d" % (fc & 0xFFFFFFFF))
            family = fc & 0xFFFFFFFF
    if "post" in font:
        p = font["post"]
        size = m(p.underlineThickness)
        out.append("metric under_size " + num(size))
        out.append("metric under_position " + num(f32(m(p.underlinePosition) - size)))
        angle = round(p.italicAngle * 65536)
        slant = f32(f32(angle) * f32(f32(3.14159265) / -11796480.0))
        if slant != 0:
            out.append("metric slant_angle " + num(slant))
    if "MATH" in font:
        out.append("metric math_axis_height " + num(m(font["MATH"].table.MathConstants.AxisHeight.Value)))
    return family


SYMBOL = None


def symbol_tables():
    # The importer's own generated tables, read from its source.
    import os, re
    src = open(os.path.join(os.path.dirname(__file__), "../../../vorlfont/opentype/SymbolTables.cpp")).read()
    body = src.split("kSymbolEncodingTable[256] = {")[1].split("};")[0]
    return [int(v, 16) for v in re.findall(r"0x[0-9A-F]+", body)]


def symbol_font_rows():
    # Family name -> {byte: code point}, from the importer's own rows.
    import os, re
    src = open(os.path.join(os.path.dirname(__file__), "../../../vorlfont/opentype/SymbolFontEncodings.cpp")).read()
    names = re.findall(r'\{"([^"]*)", "([^"]*)", \{\}\}', src)
    entries = re.findall(r"\{(\d), (0x[0-9A-F]+), (0x[0-9A-F]+)\}", src)
    rows = {}
    for index, (first, second) in enumerate(names):
        row = {int(b, 16): int(u, 16) for r, b, u in entries if int(r) == index}
        for name in (first, second):
            if name and name not in rows:
                rows[name] = row
    return rows


def dump_cmap(font, family_class, family_name, out):
    table = None
    symbol = False
    for pair in ((3, 10), (3, 1), (0, 4), (0, 3), (3, 0)):
        table = font["cmap"].getcmap(*pair)
        if table is not None:
            symbol = pair == (3, 0)
            break
    codes = {}
    for c, g in table.cmap.items():
        gid = font.getGlyphID(g)
        if gid:
            codes[c] = gid
    if symbol or (family_class >> 8 & 0xFF) == 12:
        if family_class == 0x0C03:
            sym = symbol_tables()
            low = {b: codes.get(0xF000 + b) or codes.get(b, 0) for b in range(256)}
            for b in range(0x80, 0x100):
                codes.pop(b, None)
            for b in range(0x20, 0xFF):
                if sym[b] and not codes.get(sym[b]) and low[b]:
                    codes[sym[b]] = low[b]
            for b in range(0x80):
                if not codes.get(b) and low[b]:
                    codes[b] = low[b]
            for b in range(256):
                if not codes.get(0xF000 + b) and low[b]:
                    codes[0xF000 + b] = low[b]
        elif family_name in symbol_font_rows():
            for b, u in symbol_font_rows()[family_name].items():
                if not codes.get(u) and codes.get(0xF000 + b):
                    codes[u] = codes[0xF000 + b]
        else:
            for b in range(256):
                if not codes.get(b) and codes.get(0xF000 + b):
                    codes[b] = codes[0xF000 + b]
    keys = sorted(c for c in codes if codes[c])
    i = 0
    while i < len(keys):
        j = i
        while j + 1 < len(keys) and keys[j + 1] == keys[j] + 1:
            j += 1
        run = [codes[keys[k]] for k in range(i, j + 1)]
        if all(run[k + 1] == run[k] + 1 for k in range(len(run) - 1)):
            out.append("cmap %d %d %d" % (keys[i], j - i, run[0]))
        else:
            out.append("cmap %d 0 %s" % (keys[i], " ".join(map(str, run))))
        i = j + 1


def dump_glyphs(font, s, out):
    order = font.getGlyphOrder()
    hmtx = font["hmtx"].metrics
    vertical = None
    if "vhea" in font and "vmtx" in font:
        n = font["vhea"].numberOfVMetrics
        if 0 < n <= len(order):
            vertical = font["vmtx"].metrics
    # Without vertical metrics every glyph advances by the line height of 'hhea'.
    implied = f32((font["hhea"].ascent - font["hhea"].descent) * s)
    for i, name in enumerate(order):
        adv, lsb = hmtx[name]
        a = [num(f32(adv * s))]
        b = [num(f32(lsb * s))]
        if vertical is not None:
            va, tsb = vertical[name]
            if f32(va * s) != 0:
                a.append(num(f32(va * s)))
            if f32(tsb * s) != 0:
                b.append(num(f32(tsb * s)))
        elif implied != 0:
            a.append(num(implied))
        out.append("glyph %d advance %s bearing %s" % (i, " ".join(a), " ".join(b)))


def head_of(font, out, s):
    out.append("units %s glyphs %d" % (num(float(font["head"].unitsPerEm)), font["maxp"].numGlyphs))


def dump_palette_metrics(font, out):
    # The colour step adds them to the glyph Font from a version-1 'CPAL'.
    if "CPAL" not in font or font["CPAL"].version == 0:
        return
    types = font["CPAL"].paletteTypes or []
    for key, bit in (("light_palette", 1), ("dark_palette", 2)):
        first = next((i for i, t in enumerate(types) if t & bit), None)
        if first is not None:
            out.append("metric %s %d" % (key, first))


def face_block(font, glyph_font, out, palettes):
    s = f32(1.0 / glyph_font["head"].unitsPerEm)
    family = dump_names(font, out)
    fc = dump_metrics(font, glyph_font["hhea"], s, out)
    if palettes:
        dump_palette_metrics(font, out)
    dump_cmap(font, fc, family, out)


def shares(faces):
    def offset(f, tag):
        e = f.reader.tables.get(tag)
        return None if e is None else e.offset
    first = faces[0]
    for f in faces[1:]:
        if f["head"].unitsPerEm != first["head"].unitsPerEm:
            return False
        if "loca" in first and f["head"].indexToLocFormat != first["head"].indexToLocFormat:
            return False
        if f["hhea"].numberOfHMetrics != first["hhea"].numberOfHMetrics:
            return False
        if f["maxp"].numGlyphs != first["maxp"].numGlyphs:
            return False
        tags = ["hmtx", "COLR", "CPAL"] + (["glyf", "loca"] if "glyf" in first else ["CFF "])
        if any(offset(f, t) != offset(first, t) for t in tags):
            return False
    return True


def main():
    path = sys.argv[1]
    out = []
    with open(path, "rb") as f:
        collection = f.read(4) == b"ttcf"
    if not collection:
        font = TTFont(path, lazy=True)
        out.append("font")
        head_of(font, out, None)
        face_block(font, font, out, True)
        dump_glyphs(font, f32(1.0 / font["head"].unitsPerEm), out)
    else:
        faces = TTCollection(path, lazy=True).fonts
        if shares(faces):
            first = faces[0]
            s = f32(1.0 / first["head"].unitsPerEm)
            out.append("font")
            head_of(first, out, s)
            dump_palette_metrics(first, out)
            dump_glyphs(first, s, out)
            for face in faces:
                out.append("member")
                face_block(face, first, out, False)
        else:
            for face in faces:
                out.append("font")
                head_of(face, out, None)
                face_block(face, face, out, True)
                dump_glyphs(face, f32(1.0 / face["head"].unitsPerEm), out)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
