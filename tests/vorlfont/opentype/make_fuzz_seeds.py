#!/usr/bin/python3
"""Writes the seed fonts of fuzz/corpus/opentype_import_fuzz: small subsets of Debian's fonts
(python3 -m fontTools.subset), collections rebuilt from them, and the colour fonts of
make_color_fonts.py.

Usage: make_fuzz_seeds.py OUTPUT_FOLDER
"""
import os
import shutil
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTCollection, TTFont

SOURCES = [
    ("dejavu_sans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "--text=AVbx09", 0),
    ("dejavu_mono.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", "--text=Wi1", 0),
    ("dejavu_math.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf", "--text=x+=", 0),
    ("lmroman.otf", "/usr/share/texmf/fonts/opentype/public/lm/lmroman10-regular.otf", "--text=Afi", 0),
    ("wine_symbol.ttf", "/usr/share/wine/fonts/symbol.ttf", "--unicodes=U+41,U+3B1,U+2211", 0),
    ("wingdings.ttf", "/usr/share/wine/fonts/wingding.ttf", "--unicodes=U+F020,U+F047,U+F06C", 0),
    ("urw_symbols.otf", "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf", "--unicodes=U+41,U+E5,U+F0", 0),
    ("cjk_face0.otf", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "--text=A\u4e00", 0),
    ("cjk_face1.otf", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "--text=A\u4e00", 1),
]


def subset(source, output, selection, number):
    subprocess.run(["/usr/bin/python3", "-m", "fontTools.subset", source, selection,
                    "--output-file=" + output, "--font-number=%d" % number, "--no-hinting",
                    "--desubroutinize", "--name-IDs=*", "--name-languages=*", "--layout-features=",
                    "--notdef-outline", "--symbol-cmap"], check=True)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, source, selection, number in SOURCES:
        subset(source, os.path.join(out, name), selection, number)
    # A shared collection (two faces on the same glyph tables) and an independent one.
    with tempfile.TemporaryDirectory() as scratch:
        bold = os.path.join(scratch, "bold.ttf")
        font = TTFont(os.path.join(out, "dejavu_sans.ttf"))
        font["name"].setName("Bold", 2, 3, 1, 0x409)
        font.save(bold)
        shared = TTCollection()
        shared.fonts = [TTFont(os.path.join(out, "dejavu_sans.ttf")), TTFont(bold)]
        shared.save(os.path.join(out, "shared.ttc"), shareTables=True)
    independent = TTCollection()
    independent.fonts = [TTFont(os.path.join(out, "dejavu_sans.ttf")), TTFont(os.path.join(out, "dejavu_mono.ttf"))]
    independent.save(os.path.join(out, "independent.ttc"), shareTables=True)
    cjk = TTCollection()
    cjk.fonts = [TTFont(os.path.join(out, "cjk_face0.otf")), TTFont(os.path.join(out, "cjk_face1.otf"))]
    cjk.save(os.path.join(out, "cjk.ttc"), shareTables=True)
    os.remove(os.path.join(out, "cjk_face1.otf"))
    with tempfile.TemporaryDirectory() as scratch:
        subprocess.run(["/usr/bin/python3", "-B", os.path.join(os.path.dirname(__file__), "make_color_fonts.py"),
                        scratch], check=True)
        for source, name in (("colr0.ttf", "colour_v0.ttf"), ("colr1.ttf", "colour_v1.ttf"),
                             ("shared.ttc", "colour_shared.ttc")):
            shutil.copy(os.path.join(scratch, source), os.path.join(out, name))


if __name__ == "__main__":
    main()
