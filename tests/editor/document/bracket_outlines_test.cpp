// Constructed bracket delimiters: the outline of every family (curve count, closure, straight edges,
// width), the parenthesis hooks, the hole of the white square bracket, pictures that do not depend
// on the fill rule, and the switch between an outline and a scaled glyph (with a test font).
#include "support/DocumentTestKinds.h"
#include "support/SvgRaster.h"
#include "support/VorlFontBuilder.h"

#include "editor/document/BracketNode.h"
#include "editor/document/MathDesign.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/RendererProbe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace oq {
namespace {

bool Same(const Point2D &a, const Point2D &b)
{
    return std::fabs(a.x - b.x) < 1e-4F && std::fabs(a.y - b.y) < 1e-4F;
}

bool IsStraight(const QuadraticBezier2D &c)
{
    return c.p1.x == c.p2.x && c.p1.y == c.p2.y;
}

// The curves split into contours: a contour ends where the next curve does not start at its end.
std::vector<std::vector<QuadraticBezier2D>> Contours(const DelimiterGeometry &g)
{
    std::vector<std::vector<QuadraticBezier2D>> contours(1);
    for (int32_t i = 0; i < g.curveCount; ++i)
    {
        contours.back().push_back(g.curves[i]);
        if (i + 1 < g.curveCount && !Same(g.curves[i].p2, g.curves[i + 1].p0)) contours.emplace_back();
    }
    return contours;
}

// The signed area of a contour of straight edges (positive counter-clockwise, y up).
float PolygonArea(const std::vector<QuadraticBezier2D> &contour)
{
    double area = 0;
    for (const QuadraticBezier2D &c : contour) area += double(c.p0.x) * c.p2.y - double(c.p2.x) * c.p0.y;
    return float(area / 2);
}

class BracketOutlines : public ::testing::Test
{
protected:
    float Em() const { return design.GetBaseFontSize(); }
    float Mu() const { return Em() / 18.0F; }
    float P(uint32_t key) const { return GetGroupParam(&design, kBracketKind, key); }
    float T(uint32_t key) const { return Mu() * P(key); }

    float Build(uint32_t codePoint, float height, float stretch, DelimiterGeometry *geometry,
                Point2D origin = Point2D(3.0F, -2.0F)) const
    {
        return bracket.BuildStretchedDelimiter(&design, codePoint, origin, height, stretch, geometry);
    }

    Design design;
    BracketNode bracket;
};

// One row per family at a tall height and a large stretch.
TEST_F(BracketOutlines, EveryFamilyIsClosedWithItsWidth)
{
    const float h = 40.0F;
    auto angle = [&](bool doubled) {
        float t = h / 2, E = Em() * P('anwd');
        float C = std::sqrt(t * t + E * E) * T('anmt') / t;
        float r = C / 2 + E;
        return doubled ? r + C + T('ands') : r;
    };
    const struct
    {
        uint32_t codePoint;
        int32_t curves;
        int32_t contours;
        bool polygon;  // straight edges only
        std::function<float()> width;
    } cases[] = {
        {'|', 4, 1, true, [&] { return T('brth'); }},
        {0x2016, 8, 2, true, [&] { return 2 * T('brth') + T('brds'); }},
        {'[', 8, 1, true, [&] { return T('bkmt') / 2 + Em() * P('bkwd'); }},
        {']', 8, 1, true, [&] { return T('bkmt') / 2 + Em() * P('bkwd'); }},
        {0x27E6, 12, 2, true, [&] { return 1.5F * T('bkmt') + T('bkds') + Em() * P('bkwd'); }},
        {0x27E7, 12, 2, true, [&] { return 1.5F * T('bkmt') + T('bkds') + Em() * P('bkwd'); }},
        {0x230A, 6, 1, true, [&] { return Em() * P('flwd') + T('flmt') / 2; }},
        {0x230B, 6, 1, true, [&] { return Em() * P('flwd') + T('flmt') / 2; }},
        {0x2308, 6, 1, true, [&] { return Em() * P('flwd') + T('flmt') / 2; }},
        {0x2309, 6, 1, true, [&] { return Em() * P('flwd') + T('flmt') / 2; }},
        {0x27E8, 6, 1, true, [&] { return angle(false); }},
        {0x27E9, 6, 1, true, [&] { return angle(false); }},
        {0x27EA, 12, 2, true, [&] { return angle(true); }},
        {0x27EB, 12, 2, true, [&] { return angle(true); }},
        {'(', 8, 1, false, [&] { return T('prmt') / 2 + Em() * P('prwd'); }},
        {')', 8, 1, false, [&] { return T('prmt') / 2 + Em() * P('prwd'); }},
        {'{', 15, 1, false, [&] { return 2 * Em() * P('bcwd'); }},
        {'}', 15, 1, false, [&] { return 2 * Em() * P('bcwd'); }},
        {0x2997, 8, 1, true, [&] { return T('shmt') / 2 + Em() * P('shwd'); }},
        {0x2998, 8, 1, true, [&] { return T('shmt') / 2 + Em() * P('shwd'); }},
        {0x2772, 8, 1, true, [&] { return T('shmt') / 2 + Em() * P('shwd'); }},
        {0x2773, 8, 1, true, [&] { return T('shmt') / 2 + Em() * P('shwd'); }},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << c.codePoint);
        DelimiterGeometry g;
        float width = Build(c.codePoint, h, 10.0F, &g);
        ASSERT_EQ(g.curveCount, c.curves);
        EXPECT_NEAR(width, c.width(), 1e-4F);
        auto contours = Contours(g);
        ASSERT_EQ(int32_t(contours.size()), c.contours);
        for (const auto &contour : contours) EXPECT_TRUE(Same(contour.back().p2, contour.front().p0));
        float minY = INFINITY, maxY = -INFINITY;
        for (int32_t i = 0; i < g.curveCount; ++i)
        {
            EXPECT_TRUE(!c.polygon || IsStraight(g.curves[i])) << i;
            minY = std::min(minY, g.curves[i].p0.y);
            maxY = std::max(maxY, g.curves[i].p0.y);
            EXPECT_TRUE(std::isfinite(g.curves[i].p1.x) && std::isfinite(g.curves[i].p1.y)) << i;
        }
        // Every outline spans the height from the origin's y (angle tips poke out by their cut).
        EXPECT_NEAR(minY, -2.0F, 1.0F);
        EXPECT_NEAR(maxY, h - 2.0F, 1.0F);
    }
    // Any other delimiter, and a brace or shell too short for its hooks, gives no outline.
    for (uint32_t codePoint : {uint32_t('x'), uint32_t('/'), uint32_t(0x2225)})
    {
        DelimiterGeometry g;
        EXPECT_EQ(Build(codePoint, h, 10.0F, &g), 0.0F) << codePoint;
        EXPECT_EQ(g.curveCount, 0);
    }
}

// '(' has a straight stem above twice the hook height; below it each hook takes half the height and
// its width shrinks with it down to the least width. Every control point of a hook lies on the line
// through its tip corner along the hook direction.
TEST_F(BracketOutlines, ParenthesisHooks)
{
    float em = Em();
    float hookHeight = em * P('prhi');
    float a = T('prmt');
    int32_t group = FindDesignGroup(kBracketKind);
    float least = em * design.GetGroupSlots(group)[11];
    const float heights[] = {3.0F * hookHeight, 2.0F * hookHeight + 0.01F, 2.0F * hookHeight, 1.5F * hookHeight,
                             1.34F * em, 1.3F * em, 0.5F * em};
    float previousWidth = INFINITY;
    for (float h : heights)
    {
        SCOPED_TRACE(h);
        DelimiterGeometry g;
        float width = Build('(', h, 1.0F, &g, Point2D(0, 0));
        bool straight = h > 2.0F * hookHeight;
        ASSERT_EQ(g.curveCount, straight ? 8 : 6);
        float w = straight ? hookHeight : h / 2;
        float k = straight ? em * P('prwd') : std::max(em * P('prwd') * (h / 2) / hookHeight, least);
        EXPECT_NEAR(width, a / 2 + k, 1e-4F);
        EXPECT_GE(width - a / 2, least - 1e-5F);
        EXPECT_LE(width, previousWidth + 1e-5F);
        previousWidth = width;

        float B = w * (1.0F - P('prcp'));
        for (int32_t i = 0; i < g.curveCount; ++i)
        {
            const QuadraticBezier2D &c = g.curves[i];
            if (IsStraight(c)) continue;
            // The tip corner is the end off the stem (x = 0 and x = a).
            bool startOnStem = std::fabs(c.p0.x) < 1e-5F || std::fabs(c.p0.x - a) < 1e-5F;
            const Point2D &corner = startOnStem ? c.p2 : c.p0;
            float dy = corner.y > h / 2 ? B : -B;
            float cross = (c.p1.x - corner.x) * dy - (c.p1.y - corner.y) * k;
            EXPECT_NEAR(cross / std::sqrt(k * k + B * B), 0.0F, 1e-3F) << "curve " << i;
        }
    }
    // Continuous at the switch.
    DelimiterGeometry above, below;
    float wide = Build('(', 2.0F * hookHeight + 1e-3F, 1.0F, &above);
    float narrow = Build('(', 2.0F * hookHeight, 1.0F, &below);
    EXPECT_NEAR(wide, narrow, 1e-3F);
    // ')' mirrors '(' within the same width.
    DelimiterGeometry open, close;
    float width = Build('(', 30.0F, 1.0F, &open, Point2D(0, 0));
    Build(')', 30.0F, 1.0F, &close, Point2D(0, 0));
    for (int32_t i = 0; i < open.curveCount; ++i)
    {
        EXPECT_NEAR(close.curves[i].p1.x, width - open.curves[i].p1.x, 1e-4F);
        EXPECT_NEAR(close.curves[i].p1.y, open.curves[i].p1.y, 1e-4F);
    }
}

TEST_F(BracketOutlines, WhiteSquareBracketHoleIsWoundAgainstItsOutline)
{
    const float h = 30.0F;
    float S = T('bkmt'), s = T('bkds'), t = T('bket'), E = Em() * P('bkwd');
    for (uint32_t codePoint : {0x27E6u, 0x27E7u})
    {
        SCOPED_TRACE(codePoint);
        DelimiterGeometry g;
        Build(codePoint, h, 1.0F, &g);
        auto contours = Contours(g);
        ASSERT_EQ(contours.size(), 2u);
        float outer = PolygonArea(contours[0]);
        float hole = PolygonArea(contours[1]);
        EXPECT_LT(outer * hole, 0.0F);
        // Two stems, the arms beyond them, minus the hole between the stems.
        float arms = 2.0F * t * (E - 0.5F * S);
        float ring = 2.0F * S * h + s * 2.0F * t + arms;
        EXPECT_NEAR(std::fabs(outer + hole), ring, 1e-2F);
        EXPECT_NEAR(std::fabs(outer) - std::fabs(hole), ring, 1e-2F);
    }
}

// Every outline filled with the non-zero and with the even-odd rule gives the same picture: no
// contour overlaps another or itself, and every hole is a real hole.
TEST_F(BracketOutlines, PicturesDoNotDependOnTheFillRule)
{
    const uint32_t codePoints[] = {'|',    0x2016, '[',    ']',    0x27E6, 0x27E7, 0x230A, 0x230B,
                                   0x2308, 0x2309, 0x27E8, 0x27E9, 0x27EA, 0x27EB, '(',    ')',
                                   '{',    '}',    0x2997, 0x2998, 0x2772, 0x2773};
    for (uint32_t codePoint : codePoints)
    {
        SCOPED_TRACE(codePoint);
        DelimiterGeometry g;
        float width = Build(codePoint, 40.0F, 10.0F, &g, Point2D(2.0F, 2.0F));
        ASSERT_GT(g.curveCount, 0);
        std::string path;
        Point2D start = g.curves[0].p0;
        path += "M" + std::to_string(start.x) + " " + std::to_string(44.0F - start.y);
        for (int32_t i = 0; i < g.curveCount; ++i)
        {
            const QuadraticBezier2D &c = g.curves[i];
            if (i > 0 && !Same(c.p0, g.curves[i - 1].p2))
                path += "ZM" + std::to_string(c.p0.x) + " " + std::to_string(44.0F - c.p0.y);
            path += "Q" + std::to_string(c.p1.x) + " " + std::to_string(44.0F - c.p1.y) + " " + std::to_string(c.p2.x) +
                    " " + std::to_string(44.0F - c.p2.y);
        }
        path += "Z";
        float pictureWidth = width + 4.0F;
        auto picture = [&](const char *rule) {
            std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(pictureWidth) +
                              "\" height=\"44\" viewBox=\"0 0 " + std::to_string(pictureWidth) +
                              " 44\"><path fill=\"black\" fill-rule=\"" + rule + "\" d=\"" + path + "\"/></svg>";
            std::string error;
            std::vector<uint8_t> pixels = test::RasterizeSvg(svg, int32_t(std::ceil(pictureWidth * 4)), 176, &error);
            EXPECT_FALSE(pixels.empty()) << error;
            return pixels;
        };
        std::vector<uint8_t> nonZero = picture("nonzero");
        std::vector<uint8_t> evenOdd = picture("evenodd");
        EXPECT_TRUE(nonZero == evenOdd);
        size_t inked = 0;
        for (size_t i = 3; i < nonZero.size(); i += 4) inked += nonZero[i] > 128;
        EXPECT_GT(inked, 100u);
    }
}

// A font whose '(' '{' and 'x' are one em tall (from -0.25 to 0.75 em, 0.3 em wide) and whose 'E'
// and U+2223 have no height at all.
std::vector<uint8_t> MakeDelimiterFont()
{
    test::VorlFontBuilder builder;
    builder.curveFormat = kTexelFormatFloat4;
    builder.curveWidth = 64;
    builder.bandWidth = 64;
    test::VorlFontDescription &font = builder.AddFont();
    font.AddFloats('AXIS', {0.25F});
    font.AddFloats('HITE', {0.7F, 0.5F});
    font.AddFloats('SLNT', {0.0F});
    for (uint32_t c : {uint32_t('('), uint32_t('{'), uint32_t('x')}) font.Map(c, 1);
    font.Map('E', 2);
    font.Map(0x2223, 2);
    builder.AddGlyph(0.5F);  // the missing glyph
    float *box = builder.glyphs[0].box;
    box[0] = 0.0F, box[1] = 0.0F, box[2] = 0.4F, box[3] = 0.5F;
    builder.SetContours(0, {{{0, 0}, {0.4F, 0}, {0.4F, 0.5F}, {0, 0.5F}, {0, 0}}});
    builder.AddGlyph(0.5F);
    box = builder.glyphs[1].box;
    box[0] = 0.1F, box[1] = -0.25F, box[2] = 0.4F, box[3] = 0.75F;
    builder.SetContours(1, {{{0.1F, -0.25F}, {0.4F, -0.25F}, {0.4F, 0.75F}, {0.1F, 0.75F}, {0.1F, -0.25F}}});
    builder.AddGlyph(0.3F);
    return builder.Build();
}

class BracketStretch : public BracketOutlines
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(r.WriteShaders());
        ASSERT_TRUE(r.Start());
        SetRenderer(&r.renderer);
        font = test::LoadTestFont(r.renderer, r.data, "delimiters.vorl", MakeDelimiterFont());
        ASSERT_NE(font, nullptr);
        design.SetFont(0, font);
        for (int32_t s = 0; s < kCharacterStyleCount; ++s)
        {
            uint8_t *map = design.styleMaps[s];
            map[0] = 0;
            map[1] = map[2] = map[3] = kStyleMapEnd;
        }
    }

    void TearDown() override
    {
        design.ReleaseFonts();
        if (font) font->Release();
        SetRenderer(nullptr);
    }

    // Lays the delimiter out as the bracket's left one and stretches it.
    float Stretch(uint32_t codePoint, float height, DelimiterGeometry *geometry)
    {
        bracket.left = codePoint;
        bracket.LayoutAfterChildren(&design);
        EXPECT_TRUE(bracket.glyphs[0].present);
        return bracket.StretchDelimiter(&design, codePoint, bracket.glyphs[0], height, -1.0F, 5.0F, geometry);
    }

    test::RecordingRenderer r;
    Font *font = nullptr;
};

// A brace is built only when it is stretched at least 'bcmx' and is taller than four hook lengths;
// otherwise its glyph is scaled by the stretch vertically and by its root horizontally.
TEST_F(BracketStretch, BraceOutlineOrScaledGlyph)
{
    float em = Em();
    float hooks = 4.0F * em * P('bchi');
    ASSERT_GT(hooks, P('bcmx') * em);  // the hook rule decides between 1.5 em and 2 em
    const struct
    {
        float height;  // in em; the glyph is one em tall
        bool outline;
    } cases[] = {{0.5F, false}, {1.0F, false}, {1.4F, false}, {1.8F, false}, {2.0F, false}, {2.05F, true}, {6.0F, true}};
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.height);
        DelimiterGeometry g;
        float penX = Stretch('{', c.height * em, &g);
        if (c.outline)
        {
            EXPECT_EQ(g.curveCount, 15);
            EXPECT_NEAR(penX, 5.0F + 2.0F * em * P('bcwd'), 1e-4F);
            continue;
        }
        float u = std::max(1.0F, c.height);
        float root = std::sqrt(u);
        EXPECT_EQ(g.curveCount, 0);
        EXPECT_NEAR(g.scale(0, 0), root * em, 1e-4F);
        EXPECT_NEAR(g.scale(1, 1), u * em, 1e-4F);
        EXPECT_EQ(g.scale(0, 1), 0.0F);
        EXPECT_NEAR(g.x, 5.0F - em * 0.1F * root, 1e-4F);
        EXPECT_NEAR(g.y, em * -0.25F * u + 1.0F, 1e-4F);
        EXPECT_NEAR(penX, 5.0F + 0.3F * em * root, 1e-4F);
        EXPECT_EQ(g.vertexCounts[0], 4);
        EXPECT_EQ(g.triangleCounts[0], 2);
    }
}

// A glyph without height is not stretched: everything stays finite, and a parenthesis is still
// constructed.
TEST_F(BracketStretch, FlatGlyphStaysFinite)
{
    for (uint32_t codePoint : {uint32_t('E'), uint32_t(0x2223)})
    {
        DelimiterGeometry g;
        float penX = Stretch(codePoint, 30.0F, &g);
        EXPECT_TRUE(std::isfinite(penX));
        EXPECT_EQ(g.curveCount, 0);
        EXPECT_EQ(g.scale(0, 0), Em());
        EXPECT_EQ(g.scale(1, 1), Em());
        EXPECT_TRUE(std::isfinite(g.x) && std::isfinite(g.y));
    }
    DelimiterGeometry g;
    Stretch('(', 30.0F, &g);
    EXPECT_EQ(g.curveCount, 8);
}

// A short body gets the braces' glyphs scaled (a glyph mesh and the glyph's export curves each), a
// tall one their outlines (a fill path and an export item each); the body draws nothing itself.
TEST_F(BracketStretch, ItemsOfScaledGlyphsAndOutlines)
{
    const struct
    {
        float top;  // of the body, in em; its bottom is at -top
        int32_t meshes;
        int32_t paths;
    } cases[] = {{0.3F, 2, 0}, {3.0F, 0, 2}};
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.top);
        BracketNode braces('{', '}');
        auto *body = new test::FixedBoxNode;
        body->givenWidth = 10.0F;
        body->givenTop = c.top * Em();
        body->givenBottom = -c.top * Em();
        braces.AddBodyGroup()->AppendSubnode(body);
        braces.Layout(&design);
        ASSERT_TRUE(braces.glyphs[0].present && braces.glyphs[1].present);
        EXPECT_EQ(braces.leftGeometry.curveCount > 0, c.paths > 0);

        DisplayList meshes, paths, exported;
        braces.BuildMeshItems(&design, &meshes);
        braces.BuildPathItems(&design, &paths);
        braces.BuildExportItems(&design, &exported);
        EXPECT_EQ(meshes.GetListElementCount(), c.meshes);
        EXPECT_EQ(paths.GetListElementCount(), c.paths);
        EXPECT_EQ(exported.GetListElementCount(), 2);
        // The left item first; glyph boxes reach out to their advance, so only their starts are ordered.
        float previous = -INFINITY;
        for (ListElement *e = exported.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
        {
            const auto *item = static_cast<const ExportCurveItem *>(e);
            EXPECT_GT(item->curveCount, 0);
            EXPECT_GT(item->box[0], previous);
            previous = item->box[0];
        }
        meshes.Purge();
        paths.Purge();
        exported.Purge();
    }
}

}  // namespace
}  // namespace oq
