// Marks, negations, slashes and enclosures: their Kettric forms and reading errors, bold marks,
// the decoration outlines over a purpose-built font, and the winding of the enclosure rings.
#include "DecorationTesting.h"
#include "OneFontTest.h"
#include "support/SvgRaster.h"

#include "editor/document/DecorationNode.h"
#include "editor/document/MarkNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace oq {
namespace {

using test::DecorationTestDocument;
using test::ResultText;
using test::SetDesignParam;

// Texts that read and then write as given.
TEST(DecorationText, KettricRoundTrip)
{
    struct Case
    {
        const char *what;
        const char *input;
        const char *output;
    } cases[] = {
        {"a hat keeps four digits", "Sb { s{\"x\"} Mk {u32{0x302}} }", "\tMk {u32{0x0302}}\n"},
        {"an under-mark in its own colour", "Sb { s{\"x\"} Mk (co=0xFF0000FF,un) {u32{0x20EF}} }",
         "\tMk (co=0xFF0000FF,un) {u32{0x20EF}}\n"},
        {"a code point past U+FFFF", "Sb { s{\"x\"} Mk {u32{0x1D15F}} }", "\tMk {u32{0x01D15F}}\n"},
        {"a surrogate reads as U+FFFD", "Sb { s{\"x\"} Mk {u32{0xD800}} }", "\tMk {u32{0xFFFD}}\n"},
        {"0 reads as U+FFFD", "Sb { s{\"x\"} Mk {u32{0}} }", "\tMk {u32{0xFFFD}}\n"},
        {"a value past U+10FFFF reads as U+FFFD", "Sb { s{\"x\"} Mk {u32{0x110000}} }", "\tMk {u32{0xFFFD}}\n"},
        {"default types are not written", "Sb { s{\"x\"} Ng (t='frwd') {} Sl (t='frwd') {} En (t='circ') {} }",
         "\tNg {}\n\tSl {}\n\tEn {}\n"},
        {"other types are", "Sb { s{\"x\"} Ng (t='vert') {} Sl (t='bkwd') {} En (t='rdsq',pi=3) {} }",
         "\tNg (t='vert') {}\n\tSl (t='bkwd') {}\n\tEn (pi=3,t='rdsq') {}\n"},
        {"an unknown type reads as the default", "Sb { s{\"x\"} Ng (t='xxxx') {} Sl (t='vert') {} En (t=7) {} }",
         "\tNg {}\n\tSl {}\n\tEn {}\n"},
        {"a palette index past 15 reads as 0", "Sb { s{\"x\"} Ng (pi=16) {} }", "\tNg {}\n"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        DecorationTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.input)), "0");
        std::string written = document.WriteText();
        std::string expected = std::string("Sb\n{\n\ts{\"x\"}\n") + c.output + "}\n";
        EXPECT_EQ(written, expected);
        DecorationTestDocument reread;
        ASSERT_EQ(ResultText(reread.ParseAndResolve(written.c_str())), "0");
        EXPECT_EQ(reread.WriteText(), written);
    }
}

TEST(DecorationText, ReadingErrors)
{
    struct Case
    {
        const char *input;
        const char *result;
    } cases[] = {
        {"Sb { s{\"x\"} Mk {} }", "MSSB"},
        {"Sb { s{\"x\"} Mk {u32{0x302} u32{0x303}} }", "EXSB"},
        {"Sb { s{\"x\"} Mk {u32{0x302,0x303}} }", "IVDF"},
        {"Sb { s{\"x\"} Mk {u32{}} }", "IVDF"},
        {"Sb { s{\"x\"} Mk {i32{1}} }", "IVST"},
        {"Sb { s{\"x\"} Ng { Mk {u32{0x302}} } }", "IVST"},
        {"Sb { s{\"x\"} En { s{\"y\"} } }", "IVST"},
        {"Gr { Bg {} Mk {u32{0x302}} }", "IVST"},
        {"Gr { Bg {} Ph { Bg {} Mk {u32{0x302}} } }", "IVST"},
        {"Gr { Bg {} Sl {} }", "IVST"},
    };
    for (const Case &c : cases)
    {
        DecorationTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.input)), c.result) << c.input;
    }
}

TEST(DecorationText, ClonesKeepTheirProperties)
{
    DecorationTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(
                  "Sb { s{\"x\"} Mk $m (un,pi=2) {u32{0x303}} En $e (t='squa',co=0x80FF0000) {} }")),
              "0");
    auto *mark = static_cast<MarkNode *>(document.Find<MarkNode>("m")->Clone());
    EXPECT_EQ(mark->codePoint, 0x303u);
    EXPECT_TRUE(mark->under);
    EXPECT_EQ(mark->paletteIndex, 2);
    auto *enclosure = static_cast<DecorationNode *>(document.Find<DecorationNode>("e")->Clone());
    EXPECT_EQ(enclosure->type, uint32_t('squa'));
    EXPECT_EQ(enclosure->colorValue, 0x80FF0000u);
    EXPECT_EQ(enclosure->outlineCount, 0);
    delete mark;
    delete enclosure;
}

enum : uint32_t
{
    kMissing,
    kX,        // 'x', box 0.1..0.5 x 0..0.5
    kNarrow,   // '|', 0.04 em wide
    kHat,      // U+0302; bold alternate kHatBold
    kHatBold,
    kGlyphCount
};

struct GlyphShape
{
    float x0, y0, x1, y1, advance;
};
const GlyphShape kShapes[kGlyphCount] = {
    {0, 0, 0.5F, 0.5F, 0.6F}, {0.1F, 0, 0.5F, 0.5F, 0.6F}, {0.2F, -0.1F, 0.24F, 0.7F, 0.44F},
    {0, 0.6F, 0.3F, 0.75F, 0}, {0, 0.6F, 0.4F, 0.8F, 0},
};

std::vector<uint8_t> MakeDecorationFont()
{
    test::VorlFontBuilder builder;
    builder.curveFormat = kTexelFormatFloat4;
    builder.curveWidth = 64;
    builder.bandWidth = 64;
    test::VorlFontDescription &font = builder.AddFont();
    font.AddFloats('AXIS', {0.25F});
    font.AddFloats('HITE', {0.7F, 0.5F});
    font.Map('x', kX);
    font.Map('|', kNarrow);
    font.Map(0x302, kHat);
    for (const GlyphShape &s : kShapes) builder.AddBoxGlyph(s.advance, s.x0, s.y0, s.x1, s.y1);
    builder.SetAlternates(kHat, {{0x800 | 2u << 24, kHatBold}});
    return builder.Build();
}

// The factory design: em 11 pt, mu 11/18 pt.
constexpr float kEm = 11.0F;
constexpr float kMu = 11.0F / 18.0F;

// Twice the signed area of the closed curve list (positive counter-clockwise, y up), by Green's
// theorem over each quadratic: the integral of x dy - y dx is (2 p0xp1 + 2 p1xp2 + p0xp2) / 3.
double SignedArea(const QuadraticBezier2D *curves, int32_t count)
{
    double sum = 0.0;
    auto cross = [](const Point2D &a, const Point2D &b) { return double(a.x) * b.y - double(a.y) * b.x; };
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        sum += (2.0 * cross(c.p0, c.p1) + 2.0 * cross(c.p1, c.p2) + cross(c.p0, c.p2)) / 3.0;
    }
    return sum / 2.0;
}

bool IsFinite(const QuadraticBezier2D *curves, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
    {
        for (const Point2D &p : {curves[i].p0, curves[i].p1, curves[i].p2})
        {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
        }
    }
    return true;
}

class DecorationFontTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(MakeDecorationFont(), "decorations.vorl"); }

    void TearDown() override
    {
        delete document;
        OneFontTest::TearDown();
    }

    void Lay(const std::string &row)
    {
        delete document;
        document = new DecorationTestDocument;
        std::string text = "Gr { Bg {} " + row + " }";
        ASSERT_EQ(ResultText(document->ParseAndResolve(text.c_str())), "0") << text;
        document->LayoutAll(&design);
    }

    DecorationTestDocument *document = nullptr;
};

TEST_F(DecorationFontTest, MarksAreBoldOverBoldRuns)
{
    const struct
    {
        const char *run;
        uint32_t glyph;
    } cases[] = {
        {"(st='bold')", kHatBold}, {"(st='bisn')", kHatBold}, {"(st='bold',nb)", kHat},
        {"(st='uprt')", kHat},     {"", kHat},                 {"(st='sans')", kHat},
    };
    for (const auto &c : cases)
    {
        Lay(std::string("Sb ") + c.run + " { s{\"x\"} Mk $m {u32{0x302}} }");
        const auto *mark = document->Find<MarkNode>("m");
        ASSERT_TRUE(mark->glyph.present) << c.run;
        EXPECT_EQ(mark->glyph.glyphIndex, c.glyph) << c.run;
        const GlyphShape &s = kShapes[c.glyph];
        EXPECT_NEAR(mark->width, kEm * (s.x1 - s.x0), 1e-4F) << c.run;
        EXPECT_EQ(mark->bottom, 0.0F);
        EXPECT_NEAR(mark->top, kEm * (s.y1 - s.y0), 1e-4F) << c.run;
        EXPECT_NEAR(mark->glyphOffsetY, kEm * s.y0, 1e-4F) << c.run;
    }
}

// Decorations outside a symbol run (a stand-in structure passes them through) lay out empty.
TEST_F(DecorationFontTest, DecorationsOutsideARunAreEmpty)
{
    Lay("St { Mk $m {u32{0x302}} Ng $n {} Sl $s {} En $e {} }");
    EXPECT_FALSE(document->Find<MarkNode>("m")->glyph.present);
    for (const char *name : {"n", "s", "e"})
    {
        const auto *node = document->Find<DecorationNode>(name);
        EXPECT_EQ(node->outlineCount, 0) << name;
        EXPECT_EQ(node->width, 0.0F) << name;
        EXPECT_EQ(node->top, 0.0F) << name;
    }
}

TEST_F(DecorationFontTest, Outlines)
{
    enum Shape
    {
        kAnyShape,
        kUpright,  // x only at the centre of the glyph's box plus or minus the half thickness
        kSlanted,
    };
    struct Case
    {
        const char *what;
        std::vector<std::pair<uint32_t, float>> params;  // 'mark' group, 'cptl' in the general group
        const char *text;
        const char *decoration;
        int32_t curves;
        Shape shape;
    } cases[] = {
        {"a negation over a wide glyph slants", {}, "x", "Ng", 4, kSlanted},
        {"a negation over a narrow glyph with a large padding is upright", {{'ngis', 18.0F}}, "|", "Ng", 4, kUpright},
        {"'vert' is upright", {}, "x", "Ng (t='vert')", 4, kUpright},
        {"a negation of no extent stays finite", {{'ngve', 0.0F}}, "", "Ng", 0, kAnyShape},
        {"a slash", {}, "x", "Sl", 4, kAnyShape},
        {"a slash without height is finite", {{'slas', 0.0F}, {'slds', 0.0F}, {'cptl', 0.0F}}, "x", "Sl", 4, kAnyShape},
        {"a circle", {}, "x", "En", 24, kAnyShape},
        {"a square", {}, "x", "En (t='squa')", 8, kAnyShape},
        {"a rounded square", {}, "x", "En (t='rdsq')", 32, kAnyShape},
        {"a rounded square with inner corners square", {{'enrr', 0.01F}, {'enth', 1.0F}}, "x", "En (t='rdsq')", 20,
         kAnyShape},
        {"a thickness past twice the radius makes a disc", {{'enth', 18.0F}, {'encr', 0.01F}}, "x", "En", 12, kAnyShape},
        {"... or a filled square", {{'enth', 18.0F}, {'encr', 0.01F}}, "x", "En (t='rdsq')", 16, kAnyShape},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<uint32_t, float>> factory;
        for (const auto &[key, value] : c.params)
        {
            uint32_t group = key == 'cptl' ? 0 : 'mark';
            factory.emplace_back(key, GetGroupParam(&design, group, key));
            SetDesignParam(&design, group, key, value);
        }
        std::string decoration = std::string(c.decoration).insert(2, " $d");
        Lay(std::string("Sb (st='uprt') { s{\"") + c.text + "\"} " + decoration + " {} }");
        for (const auto &[key, value] : factory) SetDesignParam(&design, key == 'cptl' ? 0 : 'mark', key, value);
        const auto *node = document->Find<DecorationNode>("d");
        if (c.curves == 0)
        {
            EXPECT_TRUE(IsFinite(node->outline, node->outlineCount));
            continue;
        }
        ASSERT_EQ(node->outlineCount, c.curves);
        EXPECT_TRUE(IsFinite(node->outline, node->outlineCount));
        EXPECT_GT(SignedArea(node->outline, node->outlineCount), 0.0);
        EXPECT_TRUE(std::isfinite(node->bottom) && std::isfinite(node->top));
        if (c.shape == kAnyShape) continue;
        const GlyphShape &s = kShapes[c.text[0] == 'x' ? kX : kNarrow];
        float xm = kEm * (s.x0 + s.x1) / 2.0F;
        float e = kMu * 0.75F / 2.0F;
        bool upright = true;
        for (int32_t i = 0; i < 4; ++i)
        {
            float x = node->outline[i].p0.x;
            if (std::fabs(std::fabs(x - xm) - e) > 1e-4F) upright = false;
        }
        EXPECT_EQ(upright, c.shape == kUpright);
        EXPECT_NEAR(node->bottom, kEm * s.y0 - kMu * 2.52F, 1e-4F);
        EXPECT_NEAR(node->top, kEm * s.y1 + kMu * 2.52F, 1e-4F);
    }
}

// The points of an outline mirrored about x = axis, sorted.
std::vector<std::pair<float, float>> MirroredPoints(const DecorationNode *node, float axis)
{
    std::vector<std::pair<float, float>> points;
    for (int32_t i = 0; i < node->outlineCount; ++i) points.emplace_back(2.0F * axis - node->outline[i].p0.x, node->outline[i].p0.y);
    std::sort(points.begin(), points.end());
    return points;
}

TEST_F(DecorationFontTest, BackwardMirrorsForward)
{
    float xm = kEm * (kShapes[kX].x0 + kShapes[kX].x1) / 2.0F;
    for (const auto &[kind, axis] : {std::pair<std::string, float>{"Ng", xm}, {"Sl", 0.0F}})
    {
        Lay("Sb (st='uprt') { s{\"x\"} " + kind + " $f {} " + kind + " $b (t='bkwd') {} }");
        const auto *forward = document->Find<DecorationNode>("f");
        const auto *backward = document->Find<DecorationNode>("b");
        ASSERT_EQ(forward->outlineCount, 4);
        ASSERT_EQ(backward->outlineCount, 4);
        std::vector<std::pair<float, float>> mirrored = MirroredPoints(forward, axis);
        std::vector<std::pair<float, float>> own = MirroredPoints(backward, 0.0F);
        for (auto &p : own) p.first = -p.first;
        std::sort(own.begin(), own.end());
        for (size_t i = 0; i < own.size(); ++i)
        {
            EXPECT_NEAR(own[i].first, mirrored[i].first, 1e-4F) << kind;
            EXPECT_NEAR(own[i].second, mirrored[i].second, 1e-4F) << kind;
        }
        EXPECT_NE(forward->outline[0].p0.x, backward->outline[0].p0.x) << kind;
        EXPECT_NEAR(SignedArea(forward->outline, 4), SignedArea(backward->outline, 4), 1e-3) << kind;
        EXPECT_EQ(forward->bottom, backward->bottom);
        EXPECT_EQ(forward->top, backward->top);
    }
}

// The slash crosses x = 0 at the math axis; the run places it at the glyph's centre.
TEST_F(DecorationFontTest, SlashCrossesTheAxisAtTheGlyphCentre)
{
    Lay("Sb $r (st='uprt') { s{\"x\"} Sl $s {} }");
    const auto *slash = document->Find<DecorationNode>("s");
    const auto *run = document->Find<SymbolRunNode>("r");
    const QuadraticBezier2D *o = slash->outline;
    Point2D bottom((o[0].p0.x + o[1].p0.x) / 2.0F, (o[0].p0.y + o[1].p0.y) / 2.0F);
    Point2D top((o[2].p0.x + o[3].p0.x) / 2.0F, (o[2].p0.y + o[3].p0.y) / 2.0F);
    float axis = kEm * 0.25555F;
    float t = (axis - bottom.y) / (top.y - bottom.y);
    EXPECT_NEAR(bottom.x + t * (top.x - bottom.x), 0.0F, 1e-4F);
    EXPECT_NEAR(slash->position.x, run->glyphPositions[0] + kEm * 0.3F, 1e-4F);
}

TEST_F(DecorationFontTest, RingAreas)
{
    struct Case
    {
        const char *type;
        float enth;  // mu
        float encr;  // em
        float enrr;  // em
    } cases[] = {
        {"circ", 1.0F, 0.8525F, 0.16F}, {"circ", 4.0F, 0.3F, 0.16F},  {"squa", 1.0F, 0.8525F, 0.16F},
        {"rdsq", 1.0F, 0.8525F, 0.16F}, {"rdsq", 3.0F, 0.5F, 0.01F},  {"circ", 18.0F, 0.01F, 0.16F},
        {"squa", 18.0F, 0.01F, 0.16F},
    };
    const double pi = 3.14159265358979;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.enth) + " " + std::to_string(c.encr));
        SetDesignParam(&design, 'mark', 'enth', c.enth);
        SetDesignParam(&design, 'mark', 'encr', c.encr);
        SetDesignParam(&design, 'mark', 'enrr', c.enrr);
        Lay(std::string("Sb { s{\"x\"} En $e (t='") + c.type + "') {} }");
        const auto *ring = document->Find<DecorationNode>("e");
        double k = kMu * c.enth;
        double r = kEm * c.encr;
        double outer = r + k / 2.0;
        double inner = std::max(0.0, r - k / 2.0);
        double expected = 0.0;
        if (std::string(c.type) == "circ")
        {
            expected = pi * (outer * outer - inner * inner);
        }
        else
        {
            double rho = std::string(c.type) == "rdsq" ? kEm * c.enrr + k / 2.0 : 0.0;
            double innerRho = std::max(0.0, rho - k);
            expected = 4.0 * outer * outer - (4.0 - pi) * rho * rho - (4.0 * inner * inner - (4.0 - pi) * innerRho * innerRho);
        }
        EXPECT_NEAR(SignedArea(ring->outline, ring->outlineCount) / expected, 1.0, 0.002);
        EXPECT_NEAR(ring->width, 2.0 * outer, 1e-4);
    }
}

// The outline as one SVG path in a picture of the given fill rule: y turned downward, the
// picture spanning x from 0 to 2R and y from -R to R.
std::string RingPicture(const DecorationNode *ring, const char *rule)
{
    float r = ring->top;
    std::string d;
    char text[160];
    for (int32_t i = 0; i < ring->outlineCount; ++i)
    {
        const QuadraticBezier2D &c = ring->outline[i];
        if (i == 0 || !(c.p0 == ring->outline[i - 1].p2))
        {
            std::snprintf(text, sizeof(text), "%sM%.5f %.5f", i == 0 ? "" : "Z", c.p0.x, -c.p0.y);
            d += text;
        }
        std::snprintf(text, sizeof(text), "Q%.5f %.5f %.5f %.5f", c.p1.x, -c.p1.y, c.p2.x, -c.p2.y);
        d += text;
    }
    std::snprintf(text, sizeof(text), "viewBox=\"0 %.5f %.5f %.5f\"", -r, 2.0F * r, 2.0F * r);
    return std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" ") + text +
           "><path fill=\"#000000\" fill-rule=\"" + rule + "\" d=\"" + d + "Z\"/></svg>";
}

// Inner contours wind against the outer ones: the non-zero and even-odd pictures are the same, and
// a ring is empty at its centre while a disc is not.
TEST_F(DecorationFontTest, RingsRasterizeAlikeUnderBothFillRules)
{
    struct Case
    {
        const char *type;
        float enth;  // mu
        float encr;  // em
        bool hole;
    } cases[] = {
        {"circ", 1.0F, 0.8525F, true},  {"squa", 1.0F, 0.8525F, true}, {"rdsq", 3.0F, 0.4F, true},
        {"rdsq", 1.0F, 0.05F, true},    {"circ", 18.0F, 0.01F, false}, {"rdsq", 18.0F, 0.01F, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::string(c.type) + " " + std::to_string(c.enth) + " " + std::to_string(c.encr));
        SetDesignParam(&design, 'mark', 'enth', c.enth);
        SetDesignParam(&design, 'mark', 'encr', c.encr);
        Lay(std::string("Sb { s{\"x\"} En $e (t='") + c.type + "') {} }");
        const auto *ring = document->Find<DecorationNode>("e");
        std::string error;
        std::vector<uint8_t> nonzero = test::RasterizeSvg(RingPicture(ring, "nonzero"), 64, 64, &error);
        ASSERT_EQ(nonzero.size(), size_t(64 * 64 * 4)) << error;
        std::vector<uint8_t> evenodd = test::RasterizeSvg(RingPicture(ring, "evenodd"), 64, 64, &error);
        ASSERT_EQ(evenodd.size(), size_t(64 * 64 * 4)) << error;
        EXPECT_EQ(nonzero, evenodd);
        EXPECT_EQ(nonzero[(32 * 64 + 32) * 4 + 3], c.hole ? 0 : 255);
        EXPECT_EQ(nonzero[(32 * 64 + 1) * 4 + 3], 255);  // on the ring's left edge
    }
}

// The export and path items carry the same outline at the node's absolute position.
TEST_F(DecorationFontTest, ExportAndPathItems)
{
    Lay("Sb { s{\"x\"} En $e (co=0xFF00FF00) {} }");
    const auto *ring = document->Find<DecorationNode>("e");
    DisplayList exports;
    DisplayList paths;
    ring->BuildExportItems(&design, &exports);
    ring->BuildPathItems(&design, &paths);
    const auto *exported = dynamic_cast<const ExportCurveItem *>(exports.GetFirstListElement());
    const auto *path = dynamic_cast<const FillPathItem *>(paths.GetFirstListElement());
    ASSERT_NE(exported, nullptr);
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(exported->color, 0xFF00FF00u);
    EXPECT_EQ(path->color, 0xFF00FF00u);
    ASSERT_EQ(exported->curveCount, 24);
    ASSERT_EQ(path->curveCount, 24);
    EXPECT_FLOAT_EQ(exported->curves[5].p1.x, ring->outline[5].p1.x + ring->absolutePosition.x);
    EXPECT_FLOAT_EQ(path->curves[5].p1.y, -(ring->outline[5].p1.y + ring->absolutePosition.y));
}

}  // namespace
}  // namespace oq
