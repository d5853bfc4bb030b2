// Type 2 charstring operators in small CFF fonts written by make_cff_fonts.py, decoded by our CFF
// reader against segments computed by hand, FreeType's unscaled outlines and fontTools' decoder.
#include "ImportDump.h"
#include "support/TempDirectory.h"

#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/CffFont.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace oq {
namespace {

const std::string kScript = OQ_SOURCE_DIR "/tests/vorlfont/opentype/make_cff_fonts.py";

// Writes the named cases of make_cff_fonts.py as CASE.otf into a folder of its own.
struct CaseFonts
{
    test::TempDirectory folder;

    explicit CaseFonts(const std::vector<std::string> &cases)
    {
        std::string command = "/usr/bin/python3 -B " + kScript + " '" + folder.Path() + "'";
        for (const std::string &c : cases) command += " " + c;
        std::string result = test::RunCommand(command + " 2>'" + folder.File("make.log") + "' && echo built");
        EXPECT_EQ(result, "built\n") << test::RunCommand("cat '" + folder.File("make.log") + "'");
    }

    std::string Path(const std::string &name) const { return folder.Path() + "/" + name + ".otf"; }
};

// Coordinates in font units, rounded to 1/64 as the script prints them.
std::string Number(double v)
{
    char text[32];
    snprintf(text, sizeof(text), "%g", std::round(v * 64.0) / 64.0 + 0.0);
    return text;
}

std::string PointText(double x, double y) { return Number(x) + "," + Number(y); }

// One line per segment: "L p0 p3" for straight ones, "C p0 p1 p2 p3" for curves; no zero-length lines.
struct SegmentText
{
    std::string text;

    void Line(double x0, double y0, double x1, double y1)
    {
        if (x0 == x1 && y0 == y1) return;
        text += "L " + PointText(x0, y0) + " " + PointText(x1, y1) + "\n";
    }

    void Curve(const double (&p)[8])
    {
        text += "C " + PointText(p[0], p[1]) + " " + PointText(p[2], p[3]) + " " + PointText(p[4], p[5]) + " " +
                PointText(p[6], p[7]) + "\n";
    }
};

// A closed polygon "x,y x,y ..." as the text of its lines.
std::string PolygonText(const char *polygon)
{
    std::vector<std::pair<double, double>> points;
    std::istringstream in(polygon);
    std::string word;
    while (in >> word)
    {
        size_t comma = word.find(',');
        points.emplace_back(std::stod(word.substr(0, comma)), std::stod(word.substr(comma + 1)));
    }
    SegmentText out;
    for (size_t i = 0; i < points.size(); ++i)
    {
        const auto &a = points[i];
        const auto &b = points[(i + 1) % points.size()];
        out.Line(a.first, a.second, b.first, b.second);
    }
    return out.text;
}

// Every glyph of the font as our CFF reader decodes it, in font units; empty on a failure.
std::vector<std::string> DecodeOurs(const std::string &path)
{
    std::vector<std::string> glyphs;
    std::vector<unsigned char> bytes = test::ReadFileBytes(path);
    FontBytes file{bytes.data(), bytes.size()};
    FontBytes cffTable, maxp, head;
    if (FindSfntTable(file, 0, 'CFF ', &cffTable) != 0 || FindSfntTable(file, 0, 'maxp', &maxp) != 0 ||
        FindSfntTable(file, 0, 'head', &head) != 0)
    {
        ADD_FAILURE() << path;
        return glyphs;
    }
    uint32_t glyphCount = maxp.GetUInt16(4);
    double unitsPerEm = head.GetUInt16(18);
    CffFont *font = new CffFont;
    EXPECT_EQ(OpenCffFont(cffTable, glyphCount, font), 0u) << path;
    CffCharstringDecoder decoder(font->globalSubrs);
    Array<CubicBezier2D> segments;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        EXPECT_EQ(DecodeCffGlyph(*font, &decoder, g, &segments), 0u) << path << " glyph " << g;
        SegmentText out;
        for (const CubicBezier2D &c : segments)
        {
            double p[8] = {c.p0.x * unitsPerEm, c.p0.y * unitsPerEm, c.p1.x * unitsPerEm, c.p1.y * unitsPerEm,
                           c.p2.x * unitsPerEm, c.p2.y * unitsPerEm, c.p3.x * unitsPerEm, c.p3.y * unitsPerEm};
            bool straight = c.p1.x == c.p3.x && c.p1.y == c.p3.y && c.p2.x == c.p3.x && c.p2.y == c.p3.y;
            if (straight) out.Line(p[0], p[1], p[6], p[7]);
            else out.Curve(p);
        }
        glyphs.push_back(out.text);
    }
    delete font;

    // The whole import takes the font too.
    AmbrelDocument document;
    EXPECT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u) << path;
    return glyphs;
}

struct FreeTypeWalk
{
    SegmentText out;
    FT_Vector current{};
};

int WalkMove(const FT_Vector *to, void *user)
{
    static_cast<FreeTypeWalk *>(user)->current = *to;
    return 0;
}

int WalkLine(const FT_Vector *to, void *user)
{
    auto *walk = static_cast<FreeTypeWalk *>(user);
    walk->out.Line(double(walk->current.x), double(walk->current.y), double(to->x), double(to->y));
    walk->current = *to;
    return 0;
}

int WalkConic(const FT_Vector *, const FT_Vector *to, void *user)
{
    ADD_FAILURE() << "a quadratic segment in a CFF outline";
    static_cast<FreeTypeWalk *>(user)->current = *to;
    return 0;
}

int WalkCubic(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    auto *walk = static_cast<FreeTypeWalk *>(user);
    const double p[8] = {double(walk->current.x), double(walk->current.y), double(c1->x), double(c1->y),
                         double(c2->x), double(c2->y), double(to->x), double(to->y)};
    walk->out.Curve(p);
    walk->current = *to;
    return 0;
}

// Every glyph of the font as FreeType loads it unscaled and unhinted.
std::vector<std::string> DecodeFreeType(const std::string &path)
{
    std::vector<std::string> glyphs;
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0) return glyphs;
    FT_Face face;
    if (FT_New_Face(library, path.c_str(), 0, &face) == 0)
    {
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
        {
            EXPECT_EQ(FT_Load_Glyph(face, FT_UInt(g), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
            FreeTypeWalk walk;
            const FT_Outline_Funcs funcs = {WalkMove, WalkLine, WalkConic, WalkCubic, 0, 0};
            EXPECT_EQ(FT_Outline_Decompose(&face->glyph->outline, &funcs, &walk), 0);
            glyphs.push_back(walk.out.text);
        }
        FT_Done_Face(face);
    }
    else ADD_FAILURE() << "FreeType cannot open " << path;
    FT_Done_FreeType(library);
    return glyphs;
}

// fontTools' drawing of every glyph of the fonts (make_cff_fonts.py --draw), by font, in glyph order.
std::vector<std::vector<std::string>> DrawWithFontTools(const std::vector<std::string> &paths)
{
    std::string command = "/usr/bin/python3 -B " + kScript + " --draw";
    for (const std::string &path : paths) command += " '" + path + "'";
    std::istringstream in(test::RunCommand(command));
    std::vector<std::vector<std::string>> fonts;
    std::string line;
    while (std::getline(in, line))
    {
        if (line == "glyph .notdef") fonts.emplace_back();
        if (fonts.empty()) break;
        if (line.rfind("glyph ", 0) == 0) fonts.back().emplace_back();
        else fonts.back().back() += line + "\n";
    }
    EXPECT_EQ(fonts.size(), paths.size()) << command;
    return fonts;
}

TEST(CffOperatorFonts, ArithmeticAndStorageAsComputedByHand)
{
    // The charstrings are in make_cff_fonts.py; each draws from (100, 100) by the deltas left.
    struct Case
    {
        const char *name;
        const char *polygon;
        // FreeType's random is not 1.0, and FreeType 2.12 rolls the bottom N operands instead of the top N.
        bool freeType;
    } cases[] = {
        {"abs", "100,100 400,100 300,300", true},
        {"add", "100,100 400,100 300,300", true},
        {"sub", "100,100 400,100 300,300", true},
        {"mul", "100,100 400,100 300,300", true},
        {"div", "100,100 400,100 300,300", true},
        {"neg", "100,100 400,100 300,300", true},
        {"sqrt", "100,100 400,100 300,300", true},
        {"drop", "100,100 400,100 300,300", true},
        {"dup", "100,100 400,100 300,300", true},
        {"exch", "100,100 400,100 300,300", true},
        {"index", "100,100 400,100 300,400", true},
        {"index_negative", "100,100 400,100 300,0", true},
        {"index_past_bottom", "100,100 300,100 200,300", true},
        {"roll_up", "100,100 400,100 300,300", true},
        {"roll_down", "100,100 400,100 300,300", true},
        {"roll_wide_up", "100,100 400,100 300,300", true},
        {"roll_wide_down", "100,100 400,100 300,300", true},
        {"roll_top_two", "100,100 400,100 300,300", false},
        {"roll_nothing", "100,100 400,100 300,300", true},
        {"and", "100,100 400,100 300,300", true},
        {"or", "100,100 400,100 300,300", true},
        {"not", "100,100 400,100 300,300", true},
        {"eq", "100,100 400,100 300,300", true},
        {"ifelse", "100,100 400,100 300,300", true},
        {"put_get", "100,100 400,100 300,300", true},
        {"random", "100,100 400,100 300,300", false},
    };
    std::vector<std::string> names;
    for (const Case &c : cases) names.push_back(c.name);
    CaseFonts fonts(names);
    for (const Case &c : cases)
    {
        std::string expected = PolygonText(c.polygon);
        std::vector<std::string> ours = DecodeOurs(fonts.Path(c.name));
        ASSERT_EQ(ours.size(), 1u) << c.name;
        EXPECT_EQ(ours[0], expected) << c.name;
        if (!c.freeType) continue;
        std::vector<std::string> freeType = DecodeFreeType(fonts.Path(c.name));
        ASSERT_EQ(freeType.size(), 1u) << c.name;
        EXPECT_EQ(freeType[0], expected) << c.name;
    }
}

TEST(CffOperatorFonts, PathsFlexHintsAndSubroutinesAsFontToolsDrawsThem)
{
    const std::vector<std::string> names = {
        "rlineto", "hlineto",   "vlineto", "movetos", "rrcurveto", "rcurveline", "rlinecurve", "vvcurveto",
        "hhcurveto", "vhcurveto", "hvcurveto", "flex", "hflex",    "hflex1",     "flex1",      "hints",
        "subrs",   "bias_1131", "bias_32768", "cid_format3", "cid_format0",
    };
    CaseFonts fonts(names);
    std::vector<std::string> paths;
    for (const std::string &name : names) paths.push_back(fonts.Path(name));
    std::vector<std::vector<std::string>> fontTools = DrawWithFontTools(paths);
    ASSERT_EQ(fontTools.size(), names.size());
    for (size_t f = 0; f < names.size(); ++f)
    {
        std::vector<std::string> ours = DecodeOurs(paths[f]);
        std::vector<std::string> freeType = DecodeFreeType(paths[f]);
        ASSERT_EQ(ours.size(), fontTools[f].size()) << names[f];
        ASSERT_EQ(freeType.size(), fontTools[f].size()) << names[f];
        for (size_t g = 0; g < ours.size(); ++g)
        {
            EXPECT_EQ(ours[g], fontTools[f][g]) << names[f] << " glyph " << g;
            EXPECT_EQ(freeType[g], fontTools[f][g]) << names[f] << " glyph " << g;
        }
    }
}

// The operands of a seac-style endchar are not used: the glyph keeps only its own contour, where
// fontTools and FreeType add the base and accent glyphs they name.
TEST(CffOperatorFonts, SeacEndcharDrawsOnlyItsOwnContours)
{
    CaseFonts fonts({"seac"});
    std::string path = fonts.Path("seac");
    std::vector<std::vector<std::string>> fontTools = DrawWithFontTools({path});
    ASSERT_EQ(fontTools.size(), 1u);
    ASSERT_EQ(fontTools[0].size(), 4u);
    std::vector<std::string> ours = DecodeOurs(path);
    ASSERT_EQ(ours.size(), 4u);
    for (size_t g = 0; g < 3; ++g) EXPECT_EQ(ours[g], fontTools[0][g]) << g;

    const std::string own = PolygonText("50,700 100,700 100,750");
    EXPECT_EQ(ours[3], own);
    EXPECT_EQ(fontTools[0][3], own + "component A 0,0\ncomponent grave 30,40\n");
    std::vector<std::string> freeType = DecodeFreeType(path);
    ASSERT_EQ(freeType.size(), 4u);
    const std::string base = PolygonText("100,0 400,0 400,500"), accent = PolygonText("230,640 330,590 280,690");
    EXPECT_NE(freeType[3].find(own), std::string::npos) << freeType[3];
    EXPECT_NE(freeType[3].find(base), std::string::npos) << freeType[3];
    EXPECT_NE(freeType[3].find(accent), std::string::npos) << freeType[3];
    EXPECT_EQ(freeType[3].size(), own.size() + base.size() + accent.size()) << freeType[3];
}

}  // namespace
}  // namespace oq
