#!/usr/bin/python3
"""Writes colour fonts no Debian font provides, with fontTools' FontBuilder and colorLib.

Usage: make_color_fonts.py OUTPUT_FOLDER
  colr0.ttf   COLR and CPAL version 0: two palettes, layers with the text colour
  colr1.ttf   COLR version 1 with every non-variable paint format, version-0 glyphs beside them,
              and CPAL version 1 with light and dark palette types
  shared.ttc  two faces sharing glyphs, 'liga' ligatures with GDEF carets, COLR and CPAL
  independent.ttc  colr0.ttf and colr1.ttf: the same glyph tables, each face its own colour tables
"""
import os
import sys

from fontTools.colorLib.builder import buildCOLR
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables import otTables as ot
from fontTools.ttLib.ttCollection import TTCollection

LAYERS = ["square", "triangle", "bar", "dot"]
BASES = ["c%02d" % i for i in range(1, 25)]
LIGATURES = ["f_i", "f_f_i", "f_l"]
LETTERS = ["f", "i", "l"]
# Each glyph's advance is 700 + its index (the tests find glyphs of compiled files by it).
GLYPHS = [".notdef"] + LAYERS + BASES + LIGATURES + LETTERS


def outline(index):
    pen = TTGlyphPen(None)
    x = 40 * (index % 5)
    pen.moveTo((x, 0))
    pen.lineTo((x, 600))
    pen.lineTo((x + 300 + 10 * index, 600))
    pen.lineTo((x + 300, 0))
    pen.closePath()
    return pen.glyph()


def base_builder(family, codes):
    fb = FontBuilder(2048, isTTF=True)
    fb.setupGlyphOrder(GLYPHS)
    fb.setupCharacterMap({codes + i: g for i, g in enumerate(BASES + LIGATURES + LETTERS)})
    fb.setupGlyf({g: outline(i) for i, g in enumerate(GLYPHS)})
    fb.setupHorizontalMetrics({g: (700 + i, 20) for i, g in enumerate(GLYPHS)})
    fb.setupHorizontalHeader(ascent=1600, descent=-448)
    fb.setupNameTable({"familyName": family, "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=1600, sTypoDescender=-448, usWinAscent=1600, usWinDescent=448)
    fb.setupPost()
    return fb


def rgba(r, g, b, a=255):
    return (r / 255, g / 255, b / 255, a / 255)


def line(extend, *stops):
    return {"Extend": extend,
            "ColorStop": [{"StopOffset": o, "PaletteIndex": p, "Alpha": a} for o, p, a in stops]}


def solid(entry, alpha=1.0):
    return {"Format": ot.PaintFormat.PaintSolid, "PaletteIndex": entry, "Alpha": alpha}


def glyph(name, paint):
    return {"Format": ot.PaintFormat.PaintGlyph, "Paint": paint, "Glyph": name}


def v1_glyphs():
    """Every non-variable paint format, each extend mode, stops outside the palette, and variable
    paints."""
    F = ot.PaintFormat
    stops = line("pad", (0.0, 0, 1.0), (0.5, 1, 0.5), (1.0, 2, 1.0))
    linear = {"Format": F.PaintLinearGradient, "ColorLine": stops,
              "x0": 100, "y0": 50, "x1": 900, "y1": 250, "x2": 200, "y2": 800}
    radial = {"Format": F.PaintRadialGradient, "ColorLine": line("repeat", (0.0, 3, 1.0), (1.0, 0, 0.25)),
              "x0": 500, "y0": 500, "r0": 0, "x1": 500, "y1": 500, "r1": 400}
    radial2 = {"Format": F.PaintRadialGradient, "ColorLine": line("reflect", (0.25, 1, 1.0), (0.75, 0xFFFF, 0.5)),
               "x0": 300, "y0": 400, "r0": 50, "x1": 600, "y1": 420, "r1": 350}
    sweep = {"Format": F.PaintSweepGradient, "ColorLine": line("reflect", (0.0, 2, 1.0), (1.0, 1, 1.0)),
             "centerX": 512, "centerY": -256, "startAngle": 0.0, "endAngle": 180.0}
    sweep2 = {"Format": F.PaintSweepGradient, "ColorLine": line("pad", (-0.5, 0, 1.0), (1.5, 3, 1.0)),
              "centerX": 0, "centerY": 100, "startAngle": -90.0, "endAngle": 270.0}
    inner = glyph("square", solid(1))
    return {
        "c05": {"Format": F.PaintColrLayers,
                "Layers": [glyph("square", solid(0)), glyph("triangle", solid(1, 0.5)), glyph("bar", solid(3, 0.75)),
                           glyph("dot", solid(0xFFFF, 0.5))]},
        "c06": glyph("triangle", linear),
        "c07": glyph("square", radial),
        "c08": glyph("bar", radial2),
        "c09": glyph("dot", sweep),
        "c10": glyph("square", sweep2),
        "c11": {"Format": F.PaintColrGlyph, "Glyph": "c05"},
        "c12": {"Format": F.PaintTransform, "Paint": inner,
                "Transform": {"xx": 0.5, "yx": 0.25, "xy": -0.25, "yy": 1.5, "dx": 120.5, "dy": -40.25}},
        "c13": {"Format": F.PaintTranslate, "Paint": inner, "dx": 100, "dy": -300},
        "c14": {"Format": F.PaintScale, "Paint": inner, "scaleX": 0.5, "scaleY": 1.75},
        "c15": {"Format": F.PaintScaleAroundCenter, "Paint": inner, "scaleX": 1.5, "scaleY": -0.5,
                "centerX": 400, "centerY": 300},
        "c16": {"Format": F.PaintScaleUniform, "Paint": inner, "scale": 0.75},
        "c17": {"Format": F.PaintScaleUniformAroundCenter, "Paint": inner, "scale": 1.25,
                "centerX": -200, "centerY": 600},
        "c18": {"Format": F.PaintRotate, "Paint": inner, "angle": 30.0},
        "c19": {"Format": F.PaintRotateAroundCenter, "Paint": inner, "angle": -45.0, "centerX": 500, "centerY": 250},
        "c20": {"Format": F.PaintSkew, "Paint": inner, "xSkewAngle": 15.0, "ySkewAngle": -10.0},
        "c21": {"Format": F.PaintSkewAroundCenter, "Paint": inner, "xSkewAngle": -20.0, "ySkewAngle": 5.0,
                "centerX": 300, "centerY": 700},
        "c22": {"Format": F.PaintComposite, "SourcePaint": glyph("dot", solid(2)), "CompositeMode": "multiply",
                "BackdropPaint": {"Format": F.PaintTranslate, "Paint": glyph("bar", linear), "dx": 10, "dy": 20}},
        # Layers nesting a glyph colour reference, a composite and a transform.
        "c23": {"Format": F.PaintColrLayers,
                "Layers": [{"Format": F.PaintColrGlyph, "Glyph": "c12"},
                           {"Format": F.PaintComposite, "SourcePaint": glyph("square", radial),
                            "CompositeMode": "src_in", "BackdropPaint": glyph("triangle", solid(0))},
                           {"Format": F.PaintRotate, "Paint": glyph("bar", sweep), "angle": 90.0}]},
        # Variable paints are passed over with everything under them; the plain layer stays.
        "c24": {"Format": F.PaintColrLayers,
                "Layers": [glyph("square", solid(1)),
                           {"Format": F.PaintVarTranslate, "dx": 10, "dy": 20, "VarIndexBase": 0,
                            "Paint": glyph("dot", {"Format": F.PaintVarSolid, "PaletteIndex": 0, "Alpha": 0.5,
                                                   "VarIndexBase": 0})},
                           glyph("bar", {"Format": F.PaintVarLinearGradient, "ColorLine": {
                               "Extend": "pad", "ColorStop": [{"StopOffset": 0, "PaletteIndex": 0, "Alpha": 1.0,
                                                               "VarIndexBase": 0}]},
                               "x0": 0, "y0": 0, "x1": 1, "y1": 1, "x2": 0, "y2": 5, "VarIndexBase": 0})]},
    }


def v0_glyphs():
    return {
        "c01": [("square", 0), ("triangle", 0xFFFF), ("bar", 1)],
        "c02": [("dot", 2)],
        # Entry 3 lies past colr0.ttf's three palette entries.
        "c03": [("bar", 1), ("square", 0), ("dot", 1), ("triangle", 2), ("dot", 3)],
    }


PALETTES = [
    [rgba(255, 0, 0), rgba(0, 128, 255, 200), rgba(128, 128, 128), rgba(10, 250, 30, 64)],
    [rgba(1, 2, 3), rgba(200, 100, 50, 255), rgba(188, 188, 188, 128), rgba(0, 0, 0, 0)],
    [rgba(90, 90, 255), rgba(255, 255, 255, 17), rgba(64, 64, 64), rgba(254, 1, 127)],
]


def write_colr0(path):
    fb = base_builder("Colour Zero", 0x41)
    fb.setupCOLR(v0_glyphs())
    fb.setupCPAL([p[:3] for p in PALETTES[:2]])
    fb.save(path)


def write_colr1(path):
    fb = base_builder("Colour One", 0x41)
    fb.setupCOLR(v0_glyphs() | v1_glyphs())
    # Palette 0 untyped, 1 dark, 2 light and dark; the labels are not read.
    fb.setupCPAL(PALETTES, paletteTypes=[0, 2, 3], paletteLabels=["Plain", "Dark", "Both"],
                 paletteEntryLabels=["Red", "Blue", "Grey", "Green"])
    fb.save(path)


def caret(format, value):
    c = ot.CaretValue()
    c.Format = format
    if format == 2:
        c.CaretValuePoint = value
    else:
        c.Coordinate = value
    if format == 3:
        device = ot.Device()
        device.StartSize, device.EndSize, device.DeltaFormat, device.DeltaValue = 10, 11, 1, [1, -1]
        c.DeviceTable = device
    return c


def gdef_carets(carets):
    """A GDEF table whose ligature caret list holds the {glyph: [(format, value), ...]} carets."""
    caret_list = ot.LigCaretList()
    caret_list.Coverage = ot.Coverage()
    caret_list.Coverage.glyphs = sorted(carets, key=GLYPHS.index)
    caret_list.LigGlyph = []
    for name in caret_list.Coverage.glyphs:
        lig = ot.LigGlyph()
        lig.CaretValue = [caret(f, v) for f, v in carets[name]]
        lig.CaretCount = len(lig.CaretValue)
        caret_list.LigGlyph.append(lig)
    caret_list.LigGlyphCount = len(caret_list.LigGlyph)
    gdef = ot.GDEF()
    gdef.Version = 0x00010000
    gdef.GlyphClassDef = gdef.AttachList = gdef.MarkAttachClassDef = None
    gdef.LigCaretList = caret_list
    table = newTable("GDEF")
    table.table = gdef
    return table


def write_shared(path, folder):
    faces = []
    for index, (family, codes) in enumerate((("Shared Colour", 0x41), ("Shared Colour Two", 0x61))):
        fb = base_builder(family, codes)
        fb.setupCOLR(v0_glyphs() | {k: v for k, v in v1_glyphs().items() if k in ("c05", "c06", "c11", "c22")})
        fb.setupCPAL(PALETTES[:2], paletteTypes=[1, 2])
        fb.addOpenTypeFeatures("feature liga { sub f f i by f_f_i; sub f i by f_i; sub f l by f_l; } liga;")
        # A contour-point caret leaves f_l without a Caret; device tables are not read.
        fb.font["GDEF"] = gdef_carets({"f_i": [(1, 600)], "f_f_i": [(1, 500), (3, 1000)],
                                       "f_l": [(1, 550), (2, 3)]})
        face = os.path.join(folder, "face%d.ttf" % index)
        fb.save(face)
        faces.append(TTFont(face))
    collection = TTCollection()
    collection.fonts = faces
    collection.save(path, shareTables=True)
    for index in range(len(faces)):
        os.remove(os.path.join(folder, "face%d.ttf" % index))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_colr0(os.path.join(out, "colr0.ttf"))
    write_colr1(os.path.join(out, "colr1.ttf"))
    write_shared(os.path.join(out, "shared.ttc"), out)
    independent = TTCollection()
    independent.fonts = [TTFont(os.path.join(out, "colr0.ttf")), TTFont(os.path.join(out, "colr1.ttf"))]
    independent.save(os.path.join(out, "independent.ttc"), shareTables=True)


if __name__ == "__main__":
    main()
