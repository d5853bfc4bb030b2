#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "../VorlFontTestSupport.h"
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/Half.h"
#include "FontTextDrawing.h"
#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/TextDrawGeometry.h"
#include "support/TextRunStorage.h"
#include "support/VorlTestShape.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/TextLayoutState.h"
#include "vorlfont/compiler/OutlineEffect.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;
constexpr float kTextSize = 48;
constexpr float kPen[2] = {6.37F, 58.61F};   // layout x and baseline y (object space is y down)

// Fonts whose glyph drawn for "A" (glyph 0 where "A" is not mapped) is the shape.
struct RenderCase
{
    const char *name;
    const char *glyphs;
    uint32_t shown = 0;   // the glyph "A" shows: 0 unless the font maps it
};

const RenderCase kCases[] = {
    {"triangle", "Glyph (index = 0) {Advance {float {0.7}} Polygon {float[2] {{0.05, 0}, {0.95, 0.1}, {0.35, 0.8}}}}"},
    {"ring with a square hole",
     "Glyph (index = 0) {Advance {float {0.8}}\n"
     "Circle {Radius {float {0.4}} float[2] {{0.45, 0.42}}}\n"
     "Polygon {float[2] {{0.3, 0.3}, {0.3, 0.55}, {0.6, 0.55}, {0.6, 0.3}}}}"},
    {"many circles",
     "Glyph (index = 0) {Advance {float {0.9}}\n"
     "Circle {Radius {float {0.12}} float[2] {{0.15, 0.15}}} Circle {Radius {float {0.12}} float[2] {{0.45, 0.2}}}\n"
     "Circle {Radius {float {0.12}} float[2] {{0.75, 0.3}}} Circle {Radius {float {0.12}} float[2] {{0.3, 0.55}}}\n"
     "Circle {Radius {float {0.1}} float[2] {{0.65, 0.7}}}}"},
    // A chain of three single references: drawn like glyph 2 moved by both offsets.
    {"single-reference chain",
     "Glyph (index = 0) {Advance {float {0.8}} Component {Translation {float[2] {{0.125, 0.0625}}} uint32 {1}}}\n"
     "Glyph (index = 1) {Advance {float {0.8}} Component {Translation {float[2] {{0.25, 0.125}}} uint32 {2}}}\n"
     "Glyph (index = 2) {Advance {float {0.8}} Polygon {float[2] {{0, 0}, {0.4, 0}, {0.2, 0.6}}}\n"
     "Rect {float[2] {{0.05, 0.3}, {0.35, 0.4}}}}"},
    // "A" maps to glyph 1, which reaches glyph 3 through glyph 2.
    {"mapped single-reference chain",
     "CharMap (char = 0x0041) {uint16 {1}}\n"
     "Glyph (index = 0) {Advance {float {0.5}} Rect {float[2] {{0.1, 0}, {0.4, 0.7}}}}\n"
     "Glyph (index = 1) {Advance {float {0.8}} Component {Translation {float[2] {{0.0625, 0.125}}} uint32 {2}}}\n"
     "Glyph (index = 2) {Advance {float {0.8}} Component {Translation {float[2] {{0.25, 0}}} uint32 {3}}}\n"
     "Glyph (index = 3) {Advance {float {0.8}} Circle {Radius {float {0.25}} float[2] {{0.3, 0.3}}}}",
     1},
};

std::string FontText(const RenderCase &c)
{
    int32_t glyphCount = 0;
    for (const char *p = std::strstr(c.glyphs, "Glyph ("); p != nullptr; p = std::strstr(p + 1, "Glyph (")) ++glyphCount;
    return "Font (glyph_count = " + std::to_string(glyphCount) + ")\n{\n" + c.glyphs + "\n}\n";
}

double Half(float v)
{
    uint16_t h;
    FloatToHalf(&h, v);
    return double(HalfToFloat(&h));
}

std::vector<ReferenceCurve> HalfCurves(const QuadraticBezier2D *q, int32_t count)
{
    std::vector<ReferenceCurve> curves;
    for (int32_t i = 0; i < count; ++i)
        curves.push_back({Half(q[i].p0.x), Half(q[i].p0.y), Half(q[i].p1.x), Half(q[i].p1.y), Half(q[i].p2.x),
                          Half(q[i].p2.y)});
    return curves;
}

// Compiles the document, draws the text (one glyph, "A" by default) with the effect through the
// run builder and the Vorl shaders, keeping the first `triangleLimit` triangles (all for -1), and
// gives the coverage.
void DrawShownGlyph(AmbrelDocument *document, uint32_t flags, TextEffect effect, int32_t triangleLimit,
                    std::vector<float> *alpha, const char *text = "A")
{
    uint32_t result = 1;
    std::vector<uint8_t> bytes = CompileDocument(document, flags, &result);
    ASSERT_EQ(result, 0u);
    ExpectReadableFontFile(bytes);

    LoadedVorlFont font(bytes);
    ASSERT_TRUE(font.valid);
    DrawFontText(font, text, kTextSize, kPen, effect, triangleLimit, kSize, kSize, alpha);
}

void ExpectReference(const std::vector<float> &alpha, const std::vector<ReferenceCurve> &curves,
                     double minimumInk = 100.0)
{
    const VorlTestView view = {{kTextSize, 0, kPen[0], 0, kTextSize, kSize - kPen[1]}, kSize, kSize};
    std::vector<float> reference = RasterizeReference(curves, view.pixelFromEm, kSize, kSize, ReferenceFillRule::kNonZero);
    CoverageComparison r = CompareWithReference(alpha, reference, view, {});
    EXPECT_LE(r.interiorError, 1.0F / 255.0F);
    EXPECT_LE(r.edgeError, 0.25F);
    EXPECT_GT(r.referenceInk, minimumInk);
    EXPECT_NEAR(r.ink, r.referenceInk, r.referenceInk * 0.02);
}

// The compiled glyph matches the reference rasterizer on the document's outline at half precision,
// placed the same way, with each set of options and band limits.
TEST(FontRenderGL, CompiledGlyphsMatchTheReference)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    const uint32_t optionSets[] = {0x1037D, kCompileContours, kCompilePoly | kCompileOutline};
    for (const RenderCase &c : kCases)
        for (uint32_t flags : optionSets)
            for (int32_t maxBands : {32, 1})
            {
                SCOPED_TRACE(std::string(c.name) + " flags " + std::to_string(flags) + " bands " +
                             std::to_string(maxBands));
                AmbrelDocument document;
                ASSERT_EQ(document.ParseAndResolve(FontText(c).c_str()), 0u);
                document.compileSettings.maxBandCount = maxBands;
                std::vector<float> alpha;
                DrawShownGlyph(&document, flags, 0, -1, &alpha);
                const GlyphStructure *glyph = document.fontList.GetFirst()->GetGlyph(c.shown);
                ASSERT_NE(glyph, nullptr);
                ExpectReference(alpha, HalfCurves(glyph->curves.GetElements(), glyph->curves.GetElementCount()));
            }
}

// The outline pass draws the outline records: the glyph grown by the outline effect, with each join.
TEST(FontRenderGL, OutlineRecordsDrawTheGrownGlyph)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    for (const RenderCase &c : kCases)
        for (uint32_t join : {uint32_t('BEVL'), uint32_t('ROND')})
        {
            SCOPED_TRACE(std::string(c.name) + (join == 'BEVL' ? " bevel" : " round"));
            AmbrelDocument document;
            ASSERT_EQ(document.ParseAndResolve(FontText(c).c_str()), 0u);
            FontCompileSettings &settings = document.compileSettings;
            settings.outlineEffectSize = 0.05f;
            settings.outlineMiterLimit = 1.5f;
            settings.outlineJoin = join;
            // Quads only: the outline pass is the first two triangles.
            std::vector<float> alpha;
            DrawShownGlyph(&document, kCompileOutline, 'OTLN', 2, &alpha);
            const GlyphStructure *glyph = document.fontList.GetFirst()->GetGlyph(c.shown);
            ASSERT_NE(glyph, nullptr);
            Array<QuadraticBezier2D> grown;
            int32_t n = BuildGlyphCurveList(glyph->curves.GetElementCount(), glyph->curves.GetElements(),
                                            settings.outlineEffectSize, settings.outlineMiterLimit, join, &grown);
            ExpectReference(alpha, HalfCurves(grown.GetElements(), n));
        }
}

// DejaVu Sans' overline U+203E refers to the underscore: compiled whole, it draws the underscore
// moved up, as its own collected outline.
TEST(FontRenderGL, DejaVuOverlineDrawsTheUnderscoreMoved)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    std::string bytes = ReadWholeFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_FALSE(bytes.empty());
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    const CharacterTable *table = font->FindCharacterTable(0x203E);
    ASSERT_NE(table, nullptr);
    const GlyphStructure *glyph = font->GetGlyph(uint32_t(table->Get(0x203E)));
    ASSERT_NE(glyph, nullptr);
    ASSERT_NE(glyph->singleReference, nullptr);
    ASSERT_GT(glyph->curves.GetElementCount(), 0);
    std::vector<float> alpha;
    DrawShownGlyph(&document, kDefaultCompileFlags | kCompileContours, 0, -1, &alpha, "\xE2\x80\xBE");
    ExpectReference(alpha, HalfCurves(glyph->curves.GetElements(), glyph->curves.GetElementCount()), 50.0);
}

}   // namespace
}   // namespace oq::test
