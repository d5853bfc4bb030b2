#!/usr/bin/python3
"""Writes small CFF fonts whose charstrings exercise Type 2 operators, and prints how fontTools'
charstring decoder draws them.

Usage: make_cff_fonts.py OUTPUT_FOLDER [CASE...]   writes CASE.otf for the cases (all when none is named)
       make_cff_fonts.py --draw FONT...            prints every glyph's segments as fontTools draws them

Charstrings are written as text: numbers, operator names, and "hintmask:HEX" or "cntrmask:HEX"
for a mask operator with its bytes. The fonts are saved with recalcBBoxes=False: fontTools cannot
run the arithmetic and storage operators to measure them.

The drawing is printed as "glyph NAME", then one line per segment, "L x0,y0 x1,y1" or
"C x0,y0 x1,y1 x2,y2 x3,y3", every contour closed by a line back to its start when it does not end
there, zero-length lines left out, and "component NAME dx,dy" for a seac-style endchar.
"""
import os
import sys

from fontTools.cffLib import FDArrayIndex, FDSelect, FontDict, PrivateDict, SubrsIndex
from fontTools.fontBuilder import FontBuilder
from fontTools.misc.psCharStrings import T2CharString
from fontTools.pens.recordingPen import RecordingPen
from fontTools.ttLib import TTFont

# The arithmetic and storage cases draw from (100, 100) by the deltas the operators leave.
START = "100 100 rmoveto "
TRIANGLE = " rlineto endchar"

# Case name -> the charstring of its one glyph, or a dictionary: "glyphs" (name -> charstring) with
# "local" and "global" subroutines, "bias" (local and global subroutine counts) or "cid" (FDSelect format).
CASES = {
    # Arithmetic: each leaves 300 0 -100 200 (or the deltas its comment gives).
    "abs": START + "-300 abs 0 abs -100 200 abs" + TRIANGLE,
    "add": START + "250 50 add 0 -150 50 add 150 50 add" + TRIANGLE,
    "sub": START + "500 200 sub 0 100 200 sub 250 50 sub" + TRIANGLE,
    "mul": START + "30 10 mul 0 -4 25 mul 8 25 mul" + TRIANGLE,
    "div": START + "600 2 div 0 -300 3 div 50 0.25 div" + TRIANGLE,
    "neg": START + "-300 neg 0 100 neg 200" + TRIANGLE,
    "sqrt": START + "22500 sqrt 2 mul 0 -100 1600 sqrt 5 mul" + TRIANGLE,
    "drop": START + "300 0 -100 7 drop 200" + TRIANGLE,
    "dup": START + "150 dup add 0 -100 dup -2 mul" + TRIANGLE,
    "exch": START + "0 300 exch 200 -100 exch" + TRIANGLE,
    "index": START + "300 0 -100 2 index" + TRIANGLE,  # 300 0 -100 300
    "index_negative": START + "300 0 -100 -1 index" + TRIANGLE,  # 300 0 -100 -100
    "index_past_bottom": START + "200 0 -100 9 index" + TRIANGLE,  # 200 0 -100 200
    "roll_up": START + "0 -100 200 300 4 1 roll" + TRIANGLE,
    "roll_down": START + "200 300 0 -100 4 -1 roll" + TRIANGLE,
    "roll_wide_up": START + "0 -100 200 300 4 9 roll" + TRIANGLE,
    "roll_wide_down": START + "200 300 0 -100 4 -5 roll" + TRIANGLE,
    "roll_top_two": START + "300 0 200 -100 2 1 roll" + TRIANGLE,
    "roll_nothing": START + "300 0 -100 200 0 3 roll 4 0 roll" + TRIANGLE,
    "and": START + "300 0.5 3 and mul 0 -100 200 0 7 and add" + TRIANGLE,
    "or": START + "300 0 -4 or mul 0 -100 200 0 0 or add" + TRIANGLE,
    "not": START + "300 0 not mul 0 -100 200 5 not add" + TRIANGLE,
    "eq": START + "300 7 7 eq mul 0 -100 200 7 8 eq add" + TRIANGLE,
    "ifelse": START + "300 -300 1 2 ifelse 0 -100 77 3 3 ifelse 999 200 5 4 ifelse" + TRIANGLE,
    "put_get": START + "300 0 put 200 31 put 0 get 5 get -100 31 get" + TRIANGLE,
    "random": START + "300 random mul 0 -100 200" + TRIANGLE,  # random is 1.0 here

    # Path operators, each in its operand-count forms; fontTools draws them.
    "rlineto": "500 100 100 rmoveto 300 0 0 200 -100 50 rlineto 400 0 rmoveto 50 60 rlineto endchar",
    "hlineto": "100 100 rmoveto 300 200 -300 hlineto 400 0 rmoveto 200 100 hlineto endchar",
    "vlineto": "100 100 rmoveto 300 200 -300 vlineto 400 0 rmoveto 200 100 vlineto endchar",
    "movetos": "600 100 hmoveto 100 50 rlineto 200 vmoveto 100 -50 rlineto -50 -60 rmoveto 30 40 rlineto endchar",
    "rrcurveto": "100 100 rmoveto 10 20 30 40 50 60 70 -20 -30 -40 -50 -60 rrcurveto endchar",
    "rcurveline": "100 100 rmoveto 10 20 30 40 50 60 70 80 90 -100 -110 -120 -30 50 rcurveline endchar",
    "rlinecurve": "100 100 rmoveto 200 0 0 100 -10 20 -30 40 -50 60 rlinecurve endchar",
    "vvcurveto": "100 100 rmoveto 10 20 30 40 vvcurveto 15 25 35 45 -55 vvcurveto "
                 "5 -10 20 30 -40 -50 60 70 80 vvcurveto endchar",
    "hhcurveto": "100 100 rmoveto 10 20 30 40 hhcurveto 15 25 35 45 -55 hhcurveto "
                 "5 -10 20 30 -40 -50 60 70 80 hhcurveto endchar",
    "vhcurveto": "100 100 rmoveto 10 20 30 40 vhcurveto 11 21 31 41 51 vhcurveto "
                 "12 22 32 42 -52 -62 -72 -82 vhcurveto 13 23 33 43 53 63 73 83 93 vhcurveto "
                 "-14 -24 -34 -44 -54 -64 -74 -84 -94 -104 -114 -124 vhcurveto endchar",
    "hvcurveto": "100 100 rmoveto 10 20 30 40 hvcurveto 11 21 31 41 51 hvcurveto "
                 "12 22 32 42 -52 -62 -72 -82 hvcurveto 13 23 33 43 53 63 73 83 93 hvcurveto "
                 "-14 -24 -34 -44 -54 -64 -74 -84 -94 -104 -114 -124 -134 hvcurveto endchar",
    "flex": "100 100 rmoveto 10 20 30 40 50 60 70 -60 -50 -40 -30 -20 50 flex 0 -300 rlineto endchar",
    "hflex": "100 100 rmoveto 20 30 40 50 60 70 80 hflex 0 -200 rlineto endchar",
    "hflex1": "100 100 rmoveto 10 20 30 40 50 60 70 80 90 hflex1 0 -200 rlineto endchar",
    # flex1: the last delta goes to x (x moves more), to y (y moves more), and to y on a tie.
    "flex1": "100 100 rmoveto 10 2 20 3 30 4 40 5 50 6 60 flex1 0 -200 rlineto "
             "400 0 rmoveto 2 10 3 20 4 30 5 40 6 50 60 flex1 -200 0 rlineto "
             "400 0 rmoveto 10 10 10 10 10 10 10 10 10 10 70 flex1 -200 0 rlineto endchar",

    # Hints: mask bytes that would read as operators when skipped wrongly (14 endchar, 21 rmoveto).
    "hints": {
        "glyphs": {
            # 4 + 3 stems and 2 implicit vertical ones before the first mask: two bytes.
            ".notdef": "10 20 30 40 50 60 70 80 hstemhm 90 10 110 10 130 10 vstemhm 150 10 170 10 hintmask:FF0E "
                       "100 100 rmoveto 300 0 0 200 rlineto hintmask:150E -100 0 rlineto cntrmask:0E0E endchar",
            "nine": "500 1 2 3 4 5 6 7 8 9 10 11 12 hstem 13 14 15 16 17 18 vstem cntrmask:150E 100 100 rmoveto "
                    "200 0 0 100 rlineto hintmask:0E15 -100 50 rlineto endchar",
            "one_byte": "5 6 7 8 hstemhm 9 10 hintmask:15 100 100 rmoveto 100 0 0 100 rlineto endchar",
        },
    },

    # Local and global subroutines called from each other, with endchar and a mask inside them.
    "subrs": {
        "glyphs": {
            ".notdef": "100 100 rmoveto -107 callsubr -106 callgsubr -40 -107 callgsubr endchar",
            "ends_in_subr": "10 20 hstemhm 100 100 rmoveto -105 callsubr",
            "nested": "100 100 rmoveto -104 callgsubr -104 callsubr -100 50 rlineto endchar",
        },
        "local": [
            "300 0 rlineto return",                    # -107
            "0 200 rlineto -20 -107 callgsubr return",  # -106
            "hintmask:0E 50 0 rlineto 0 60 rlineto endchar",  # -105
            "-106 callsubr return",                    # -104
        ],
        "global": [
            "30 rlineto return",                       # -107: dx from the caller
            "-107 callsubr 0 100 rlineto return",      # -106
            "-106 callsubr return",                    # -105
            "-105 callgsubr return",                   # -104
        ],
    },

    # Subroutine biases: 1131 for 1240 local subroutines, 107 for 1239 global ones; 32768 for
    # 33900 local, 1131 for 33899 global. The glyph calls the first and last of each.
    "bias_1131": {"bias": (1240, 1239)},
    "bias_32768": {"bias": (33900, 33899)},

    # CID-keyed: two Font DICTs whose Local Subrs draw differently, FDSelect in format 3 and 0.
    "cid_format3": {"cid": 3},
    "cid_format0": {"cid": 0},

    # A seac-style endchar: the operands name A and grave by their standard codes (65, 193).
    "seac": {
        "glyphs": {
            ".notdef": "endchar",
            "A": "100 0 rmoveto 300 0 0 500 rlineto endchar",
            "grave": "200 600 rmoveto 100 -50 -50 100 rlineto endchar",
            "Agrave": "50 700 rmoveto 50 0 0 50 rlineto 30 40 65 193 endchar",
        },
    },
}


def parse(text):
    """The charstring program of a text."""
    program = []
    for word in text.split():
        if ":" in word:
            operator, mask = word.split(":")
            program += [operator, bytes.fromhex(mask)]
        elif word[0] in "-0123456789":
            program.append(float(word) if "." in word else int(word))
        else:
            program.append(word)
    return program


def charstring(text):
    return T2CharString(program=parse(text))


def subrs_index(texts):
    index = SubrsIndex()
    for text in texts:
        index.append(charstring(text))
    return index


def bias_case(local_count, global_count):
    """Glyph and subroutines calling the first and last entries of both INDEXes."""
    def bias(count):
        return 107 if count < 1240 else 1131 if count < 33900 else 32768

    local = ["return"] * local_count
    local[0] = "300 0 rlineto return"
    local[-1] = "0 200 rlineto return"
    global_ = ["return"] * global_count
    global_[0] = "-100 0 rlineto return"
    global_[-1] = "-50 -50 rlineto return"
    lb, gb = bias(local_count), bias(global_count)
    glyph = "100 100 rmoveto %d callsubr %d callsubr %d callgsubr %d callgsubr endchar" % (
        -lb, local_count - 1 - lb, -gb, global_count - 1 - gb)
    return {"glyphs": {".notdef": glyph}, "local": local, "global": global_}


def build(glyphs, local=None, global_=None):
    names = list(glyphs)
    fb = FontBuilder(1000, isTTF=False)
    fb.font.recalcBBoxes = False
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap({0x41 + i: name for i, name in enumerate(names[1:])})
    private = {"Subrs": subrs_index(local)} if local else {}
    fb.setupCFF("CffOperators", {"FullName": "CFF Operators"}, {n: charstring(glyphs[n]) for n in names}, private)
    if global_:
        for text in global_:
            fb.font["CFF "].cff.GlobalSubrs.append(charstring(text))
    fb.setupHorizontalMetrics({n: (600, 0) for n in names})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "CFF Operators", "styleName": "Regular"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    return fb


def build_cid(fdselect_format):
    """Three glyphs over two Font DICTs; each glyph calls Local Subr 0 of its own Font DICT."""
    names = [".notdef", "cid00001", "cid00002"]
    glyph_fd = [1, 0, 1]
    local = [["300 0 rlineto return"], ["0 300 rlineto -100 -50 rlineto return"]]
    glyphs = {n: "100 100 rmoveto -107 callsubr 0 200 rlineto endchar" for n in names}
    glyphs[".notdef"] = "endchar"
    fb = build(glyphs)
    cff = fb.font["CFF "].cff
    top = cff.topDictIndex[0]
    top.ROS = ("Adobe", "Identity", 0)
    top.CIDCount = len(names)
    top.FDArray = FDArrayIndex()
    for subrs in local:
        fd = FontDict()
        fd.Private = PrivateDict()
        fd.Private.Subrs = subrs_index(subrs)
        top.FDArray.append(fd)
    top.FDSelect = FDSelect(format=fdselect_format)
    for fd in glyph_fd:
        top.FDSelect.append(fd)
    for name, fd in zip(names, glyph_fd):
        top.CharStrings[name].private = top.FDArray[fd].Private
    del top.Private
    return fb


def write(folder, name):
    case = CASES[name]
    path = os.path.join(folder, name + ".otf")
    if isinstance(case, str):
        fb = build({".notdef": case})
    elif "bias" in case:
        c = bias_case(*case["bias"])
        fb = build(c["glyphs"], c["local"], c["global"])
    elif "cid" in case:
        fb = build_cid(case["cid"])
    else:
        fb = build(case["glyphs"], case.get("local"), case.get("global"))
    fb.save(path)


def number(v):
    v = round(v * 64) / 64 + 0.0
    return "%g" % v


def point(p):
    return number(p[0]) + "," + number(p[1])


def draw(path):
    """Prints fontTools' drawing of every glyph of the font."""
    font = TTFont(path)
    glyph_set = font.getGlyphSet()
    lines = []
    for name in font.getGlyphOrder():
        pen = RecordingPen()
        glyph_set[name].draw(pen)
        lines.append("glyph " + name)
        start = current = None
        for operator, args in pen.value + [("closePath", ())]:
            if operator == "moveTo":
                start = current = args[0]
            elif operator == "lineTo":
                if args[0] != current:
                    lines.append("L %s %s" % (point(current), point(args[0])))
                current = args[0]
            elif operator == "curveTo":
                lines.append("C " + " ".join(point(p) for p in (current,) + tuple(args)))
                current = args[-1]
            elif operator in ("closePath", "endPath"):
                if current is not None and current != start:
                    lines.append("L %s %s" % (point(current), point(start)))
                start = current = None
            elif operator == "addComponent":
                lines.append("component %s %s" % (args[0], point(args[1][4:6])))
    print("\n".join(lines))


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--draw":
        for path in sys.argv[2:]:
            draw(path)
        return
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in sys.argv[2:] or CASES:
        write(folder, name)


if __name__ == "__main__":
    main()
