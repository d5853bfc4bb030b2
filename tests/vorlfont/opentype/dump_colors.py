#!/usr/bin/python3
"""Dumps the ligature carets, palette Metrics and colour structures the font importer must make,
from fontTools' reading of the 'GDEF', 'CPAL' and 'COLR' tables.

Usage: dump_colors.py FONT

A line "font" starts each glyph Font (one for a collection whose faces share their glyphs), then
one line per structure, indented one space per level: "metric KEY VALUE", "glyph N", "cart",
"emoj", "comp", "pant comp=MODE", "colr PALETTE", "grad KIND", "stop EXT", "radi", "angl",
"xfrm", "xslt KIND", "scal KIND", "rota KIND", and data lists as "TYPE/ARRAYSIZE VALUES".
"""
import math
import sys

from fontTools.misc.transform import Identity
from fontTools.ttLib import TTCollection, TTFont

from dump_font import dump_palette_metrics, shares


def num(x):
    return "%.9g" % x


def srgb_to_linear(byte):
    c = byte / 255
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def clamp(x):
    return min(max(x, 0.0), 1.0)


class Dumper:
    def __init__(self, font):
        self.font = font
        self.s = 1.0 / font["head"].unitsPerEm
        self.count = font["maxp"].numGlyphs
        self.out = []
        cpal = font["CPAL"] if "CPAL" in font else None
        self.palettes = cpal.palettes if cpal else []
        self.layers = None

    def line(self, depth, text):
        self.out.append(" " * depth + text)

    def values(self, depth, kind, size, values):
        self.line(depth, "%s/%d %s" % (kind, size, " ".join(num(v) if kind == "FLOT" else str(v) for v in values)))

    def entry(self, index):
        """Palette 0's entry as (red, green, blue, alpha) bytes, or None past the entries."""
        if index >= len(self.palettes[0]):
            return None
        c = self.palettes[0][index]
        return c.red, c.green, c.blue, c.alpha

    def color_line(self, depth, line):
        self.line(depth, "stop " + {0: "clamp", 1: "repeat", 2: "mirror"}.get(int(line.Extend), "clamp"))
        self.values(depth + 1, "FLOT", 0, [stop.StopOffset for stop in line.ColorStop])
        self.line(depth, "colr 0")
        colours = []
        for stop in line.ColorStop:
            a = clamp(stop.Alpha)
            e = self.entry(stop.PaletteIndex)
            colours += [0.0, 0.0, 0.0, a] if e is None else [srgb_to_linear(b) for b in e[:3]] + [e[3] * a / 255]
        self.values(depth + 1, "FLOT", 4, colours)

    def matrix(self, depth, kind, size, values):
        self.line(depth, kind)
        self.values(depth + 1, "FLOT", size, values)

    def paint(self, depth, p):
        """The structures of one paint at the depth, in the order the importer appends them."""
        f, s = int(p.Format), self.s
        if f in (4, 6, 8) and not p.ColorLine.ColorStop:
            return  # a gradient without stops paints nothing
        if f == 1:
            for layer in self.layers[p.FirstLayerIndex:p.FirstLayerIndex + p.NumLayers]:
                self.paint(depth, layer)
        elif f == 2:
            a = clamp(p.Alpha)
            e = self.entry(p.PaletteIndex)
            self.line(depth, "colr 0")
            self.values(depth + 1, "UIN8", 4, [0, 0, 0, int(255 * a)] if e is None else list(e[:3]) + [int(e[3] * a)])
        elif f == 4:
            p0, p1, p2 = (p.x0 * s, p.y0 * s), (p.x1 * s, p.y1 * s), (p.x2 * s, p.y2 * s)
            # t = 0 at p0 and 1 at p1 projected onto the line through p0 perpendicular to p0p2.
            n = (-(p2[1] - p0[1]), p2[0] - p0[0])
            d = (p1[0] - p0[0], p1[1] - p0[1])
            nn = n[0] ** 2 + n[1] ** 2
            if nn > 0:
                k = (d[0] * n[0] + d[1] * n[1]) / nn
                d = (n[0] * k, n[1] * k)
            dd = d[0] ** 2 + d[1] ** 2
            abc = [d[0] / dd, d[1] / dd, -(d[0] * p0[0] + d[1] * p0[1]) / dd] if dd > 0 else [0.0, 0.0, 0.0]
            self.line(depth, "grad linear")
            self.values(depth + 1, "FLOT", 3, abc)
            self.color_line(depth + 1, p.ColorLine)
        elif f == 6:
            centres = [p.x0 * s, p.y0 * s] + ([] if (p.x0, p.y0) == (p.x1, p.y1) else [p.x1 * s, p.y1 * s])
            self.line(depth, "grad radial")
            self.values(depth + 1, "FLOT", 2, centres)
            self.line(depth + 1, "radi")
            self.values(depth + 2, "FLOT", 0, [p.r1 * s] if p.r0 == 0 else [p.r0 * s, p.r1 * s])
            self.color_line(depth + 1, p.ColorLine)
        elif f == 8:
            # fontTools gives the angles in degrees, already biased by 180.
            self.line(depth, "grad sweep")
            self.values(depth + 1, "FLOT", 2, [p.centerX * s, p.centerY * s])
            self.line(depth + 1, "angl")
            self.values(depth + 2, "FLOT", 2, [p.startAngle, p.endAngle])
            self.color_line(depth + 1, p.ColorLine)
        elif f in (10, 11):
            gid = self.font.getGlyphID(p.Glyph)
            if gid >= self.count:
                return
            self.line(depth, "pant comp=3")
            if f == 10:
                self.values(depth + 1, "UI32", 0, [gid])
                self.paint(depth + 1, p.Paint)
            else:
                self.line(depth + 1, "comp")
                self.values(depth + 2, "UI32", 0, [gid])
        elif f == 32:
            self.line(depth, "pant comp=3")
            self.line(depth + 1, "pant comp=3")
            self.paint(depth + 2, p.BackdropPaint)
            self.line(depth + 1, "pant comp=%d" % int(p.CompositeMode))
            self.paint(depth + 2, p.SourcePaint)
        elif f in range(12, 31, 2):
            self.transform(depth, f, p)
            self.paint(depth, p.Paint)

    def transform(self, depth, f, p):
        """The matrix structure of a transform paint; general matrices from fontTools' Transform,
        whose tuple (xx, xy, yx, yy, dx, dy) is the structure's column order."""
        s = self.s
        if f == 12:
            t = p.Transform
            self.matrix(depth, "xfrm", 6, [t.xx, t.yx, t.xy, t.yy, t.dx * s, t.dy * s])
        elif f == 14:
            self.matrix(depth, "xslt xy", 2, [p.dx * s, p.dy * s])
        elif f in (16, 20):
            scale = (p.scaleX, p.scaleY) if f == 16 else (p.scale, p.scale)
            self.matrix(depth, "scal xy", 2, list(scale))
        elif f == 24:
            self.matrix(depth, "rota z", 0, [p.angle])
        else:
            # Skews lean x against y clockwise, so the x angle is negated.
            ops = {18: lambda t: t.scale(p.scaleX, p.scaleY),
                   22: lambda t: t.scale(p.scale),
                   26: lambda t: t.rotate(math.radians(p.angle)),
                   28: lambda t: t.skew(-math.radians(p.xSkewAngle), math.radians(p.ySkewAngle)),
                   30: lambda t: t.skew(-math.radians(p.xSkewAngle), math.radians(p.ySkewAngle))}
            cx, cy = (getattr(p, "centerX", 0) * s, getattr(p, "centerY", 0) * s)
            t = ops[f](Identity.translate(cx, cy)).translate(-cx, -cy)
            self.matrix(depth, "xfrm", 6, list(t))

    def carets(self):
        """{glyph: [positions]} of the ligatures whose carets are all coordinates."""
        result = {}
        if "GDEF" not in self.font or self.font["GDEF"].table.LigCaretList is None:
            return result
        caret_list = self.font["GDEF"].table.LigCaretList
        for name, lig in zip(caret_list.Coverage.glyphs, caret_list.LigGlyph):
            gid = self.font.getGlyphID(name)
            if gid == 0 or gid >= self.count or not lig.CaretValue:
                continue
            if all(c.Format in (1, 3) for c in lig.CaretValue):
                result[gid] = [c.Coordinate * self.s for c in lig.CaretValue]
        return result

    def emojis(self):
        """{glyph: [(depth, line), ...]} of the colour glyphs, version-0 Components first."""
        result = {}
        if not self.palettes or "COLR" not in self.font:
            return result
        colr = self.font["COLR"]
        table = getattr(colr, "table", None)
        if colr.version == 0:
            records = [(self.font.getGlyphID(g), [(l.name, l.colorID) for l in layers])
                       for g, layers in colr.ColorLayers.items()]
            records.sort()
        else:
            layer_records = table.LayerRecordArray.LayerRecord if table.LayerRecordArray else []
            records = [(self.font.getGlyphID(r.BaseGlyph),
                        [(l.LayerGlyph, l.PaletteIndex) for l in layer_records[r.FirstLayerIndex:
                                                                               r.FirstLayerIndex + r.NumLayers]])
                       for r in (table.BaseGlyphRecordArray.BaseGlyphRecord if table.BaseGlyphRecordArray else [])]
        for gid, layers in records:
            kept = [(self.font.getGlyphID(name), entry) for name, entry in layers]
            kept = [(g, e) for g, e in kept if g < self.count]
            if not kept:
                continue
            self.out = []
            self.line(0, "comp")
            self.values(1, "UI32", 0, [g for g, _ in kept])
            for p, palette in enumerate(self.palettes):
                self.line(1, "colr %d" % p)
                colours = []
                for _, e in kept:
                    c = palette[e] if e < len(palette) else None
                    colours += [0, 0, 0, 255] if c is None else [c.red, c.green, c.blue, c.alpha]
                self.values(2, "UIN8", 4, colours)
            result.setdefault(gid, []).extend(self.out)
        if colr.version != 0 and table.BaseGlyphList:
            self.layers = table.LayerList.Paint if table.LayerList else []
            for record in table.BaseGlyphList.BaseGlyphPaintRecord:
                self.out = []
                self.paint(0, record.Paint)
                result.setdefault(self.font.getGlyphID(record.BaseGlyph), []).extend(self.out)
        return result

    def dump(self):
        lines = []
        dump_palette_metrics(self.font, lines)
        carets, emojis = self.carets(), self.emojis()
        for gid in sorted(set(carets) | set(emojis)):
            lines.append("glyph %d" % gid)
            if gid in carets:
                lines.append(" cart")
                lines.append("  FLOT/0 " + " ".join(num(v) for v in carets[gid]))
            if gid in emojis:
                lines.append(" emoj")
                lines += ["  " + text for text in emojis[gid]]
        return lines


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        collection = f.read(4) == b"ttcf"
    faces = TTCollection(path).fonts if collection else [TTFont(path)]
    # Faces that share their glyphs share one glyph Font, read from the first face's tables.
    if shares(faces):
        faces = faces[:1]
    lines = []
    for face in faces:
        lines += ["font"] + Dumper(face).dump()
    sys.stdout.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
