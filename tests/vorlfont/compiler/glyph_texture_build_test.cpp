#include "vorlfont/compiler/GlyphTextureBuild.h"

#include "../VorlFontTestSupport.h"
#include "support/ComponentFontText.h"
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/Half.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFileHeader.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace oq {
namespace {

// Glyph 3 refers to 2, which refers to 1 (a chain of three); 4 and 5 refer to each other; 6 to
// itself; 7 refers to 8, which is not selected.
const char kReferenceFont[] = R"(
Font (glyph_count = 9)
{
	Glyph (index = 0) {Advance {float {0.5}} Rect {float[2] {{0.1, 0}, {0.4, 0.7}}}}
	Glyph (index = 1) {Advance {float {0.6}} Polygon {float[2] {{0, 0}, {0.6, 0}, {0.3, 0.7}}}}
	Glyph (index = 2) {Advance {float {0.7}} Component {Translation {float[2] {{0.125, 0}}} uint32 {1}}}
	Glyph (index = 3)
	{
		Advance {float {0.8, 1.25}}
		Bearing {float {0, 0.0625}}
		Component {Translation {float[2] {{0, 0.25}}} uint32 {2}}
	}
	Glyph (index = 4) {Advance {float {0.3}} Component {uint32 {5}}}
	Glyph (index = 5) {Advance {float {0.35}} Component {uint32 {4}}}
	Glyph (index = 6) {Advance {float {0.4}} Component {uint32 {6}}}
	Glyph (index = 7) {Advance {float {0.45}} Component {Translation {float[2] {{0.5, 0}}} uint32 {8}}}
	Glyph (index = 8) {Rect {float[2] {{0, 0}, {0.25, 0.25}}}}
}
)";

// Texture buffers and lists of one build, in memory the test owns.
struct Build
{
    std::vector<uint8_t> curveBytes, bandBytes;
    TexelBuffer curve, band;
    Array<uint32_t> contours;
    std::vector<VorlGlyphRecord> records, outline;

    Build(uint32_t count, int32_t curveRows = 8, int32_t bandRows = 8)
        : curveBytes(size_t(4096) * curveRows * 8), bandBytes(size_t(4096) * bandRows * 4), records(count),
          outline(count)
    {
        curve = {curveBytes.data(), kTexelFormatHalf4, 4096, curveRows, 0, 0};
        band = {bandBytes.data(), kTexelFormatUint16x2, 4096, bandRows, 0, 0};
        for (uint32_t n = 0; n < count; ++n) records[n] = outline[n] = VorlGlyphRecord{};
    }

    uint32_t Run(const FontStructure *font, const std::vector<uint32_t> &selection, uint32_t flags,
                 const FontCompileSettings &settings)
    {
        std::vector<int32_t> numbers(font->glyphCount, 0);
        for (size_t n = 0; n < selection.size(); ++n) numbers[selection[n]] = int32_t(n);
        GlyphTextureInput input = {font, uint32_t(selection.size()), selection.data(), numbers.data(),
                                   uint32_t(numbers.size()), flags, &settings};
        GlyphTextureOutput output = {records.data(), (flags & kCompileOutline) ? outline.data() : nullptr, &curve,
                                     &band, &contours};
        return BuildGlyphCurvesAndBands(input, output);
    }

    // The record's curves read back through its contour runs, moved by its curve origin.
    std::vector<QuadraticBezier2D> Curves(const VorlGlyphRecord &record) const
    {
        std::vector<QuadraticBezier2D> curves;
        const auto *texels = reinterpret_cast<const uint16_t *>(curveBytes.data());
        uint32_t word = record.firstContour;
        while (curves.size() < record.curveCount)
        {
            uint32_t run = contours[int32_t(word++)];
            for (uint32_t k = 0; k < ContourCurveCount(run); ++k)
            {
                const uint16_t *t = texels + (size_t(ContourRow(run)) * 4096 + ContourColumn(run) + k) * 4;
                float v[6];
                for (int32_t j = 0; j < 6; ++j) v[j] = HalfToFloat(&t[j]);
                curves.emplace_back(Point2D(v[0] + record.curveOrigin[0], v[1] + record.curveOrigin[1]),
                                    Point2D(v[2] + record.curveOrigin[0], v[3] + record.curveOrigin[1]),
                                    Point2D(v[4] + record.curveOrigin[0], v[5] + record.curveOrigin[1]));
            }
        }
        return curves;
    }
};

float Half(float v)
{
    uint16_t h;
    FloatToHalf(&h, v);
    return HalfToFloat(&h);
}

TEST(GlyphTextureBuild, SingleReferenceChainsCyclesAndUnselectedTargets)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(kReferenceFont), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    // The chain's glyphs come before the glyph they end at.
    const std::vector<uint32_t> selection = {0, 3, 2, 4, 5, 6, 7, 1};
    const uint32_t flags = kCompileContours | kCompilePoly | kCompileOutline;
    Build build(uint32_t(selection.size()));
    ASSERT_EQ(build.Run(font, selection, flags, document.compileSettings), 0u);
    const VorlGlyphRecord &base = build.records[7];  // glyph 1
    ASSERT_EQ(base.curveCount, 3);

    struct Case
    {
        uint32_t number;
        float dx, dy;
        float advance, advanceHeight, verticalOrigin;
    };
    const Case chains[] = {
        {1, 0.125f, 0.25f, 0.8f, 1.25f, 0.7f + 0.25f + 0.0625f},  // glyph 3 -> 2 -> 1
        {2, 0.125f, 0.0f, 0.7f, 0.0f, 0.7f},                       // glyph 2 -> 1
    };
    for (const Case &c : chains)
    {
        SCOPED_TRACE(c.number);
        for (const std::vector<VorlGlyphRecord> *set : {&build.records, &build.outline})
        {
            const VorlGlyphRecord &r = (*set)[c.number];
            const VorlGlyphRecord &b = (*set)[7];
            EXPECT_FLOAT_EQ(r.box[0], b.box[0] + c.dx);
            EXPECT_FLOAT_EQ(r.box[1], b.box[1] + c.dy);
            EXPECT_FLOAT_EQ(r.box[3], b.box[3] + c.dy);
            EXPECT_EQ(r.bandColumn, b.bandColumn);
            EXPECT_EQ(r.bandRow, b.bandRow);
            EXPECT_EQ(r.bandCountX, b.bandCountX);
            EXPECT_EQ(r.bandWordY, b.bandWordY);
            EXPECT_EQ(r.polygonWord, b.polygonWord);
            EXPECT_EQ(r.curveOrigin[0], c.dx);
            EXPECT_EQ(r.curveOrigin[1], c.dy);
            EXPECT_FLOAT_EQ(r.advance, c.advance);
            EXPECT_FLOAT_EQ(r.verticalAdvance, c.advanceHeight);
            EXPECT_FLOAT_EQ(r.verticalOrigin, c.verticalOrigin);
            // All six polygon slots are moved, the unused ones hold the offset.
            for (int32_t k = 0; k < 12; ++k)
                EXPECT_EQ(HalfToFloat(&r.polygon[k]), Half(HalfToFloat(&b.polygon[k]) + ((k & 1) ? c.dy : c.dx)));
        }
        // Drawn like glyph 1 moved by the summed offsets.
        const VorlGlyphRecord &r = build.records[c.number];
        EXPECT_EQ(r.curveCount, base.curveCount);
        EXPECT_EQ(r.firstContour, base.firstContour);
        std::vector<QuadraticBezier2D> moved = build.Curves(r), original = build.Curves(base);
        for (size_t i = 0; i < moved.size(); ++i)
        {
            EXPECT_FLOAT_EQ(moved[i].p0.x, original[i].p0.x + c.dx);
            EXPECT_FLOAT_EQ(moved[i].p2.y, original[i].p2.y + c.dy);
        }
        EXPECT_EQ(build.outline[c.number].curveCount, 0);
    }

    // Cycles and a self-reference end with records without curves and their own advance.
    const float advances[3] = {0.3f, 0.35f, 0.4f};
    for (uint32_t n = 3; n <= 5; ++n)
    {
        SCOPED_TRACE(n);
        const VorlGlyphRecord &r = build.records[n];
        EXPECT_EQ(r.curveCount, 0);
        EXPECT_EQ(r.bandCountX, 0);
        EXPECT_EQ(r.box[2], 0.0f);
        EXPECT_FLOAT_EQ(r.advance, advances[n - 3]);
    }

    // A reference to a glyph that is not compiled keeps its own (collected) curves.
    const VorlGlyphRecord &own = build.records[6];
    EXPECT_EQ(own.curveCount, 4);
    EXPECT_EQ(own.curveOrigin[0], 0.0f);
    EXPECT_FLOAT_EQ(own.box[0], 0.5f);
    EXPECT_NE(own.bandCountX, 0);
}

// DejaVu Sans draws U+0305 through uni203E, which refers to the underscore: compiled before
// either, it still gets the underscore's textures, moved by both offsets.
TEST(GlyphTextureBuild, DejaVuOverlineChainIsCopiedFromTheUnderscore)
{
    std::string bytes = test::ReadWholeFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_FALSE(bytes.empty());
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(bytes.data(), bytes.size(), &document), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    auto glyphOf = [font](uint32_t c) {
        const CharacterTable *table = font->FindCharacterTable(c);
        return table != nullptr ? uint32_t(table->Get(c)) : 0u;
    };
    const uint32_t overline = glyphOf(0x0305), macron = glyphOf(0x203E), underscore = glyphOf(0x005F);
    ASSERT_NE(overline, 0u);
    ASSERT_NE(macron, 0u);
    ASSERT_NE(underscore, 0u);
    ASSERT_GT(font->GetGlyph(underscore)->curves.GetElementCount(), 0);
    ASSERT_NE(font->GetGlyph(overline)->singleReference, nullptr);
    ASSERT_NE(font->GetGlyph(macron)->singleReference, nullptr);
    ASSERT_EQ(font->GetGlyph(underscore)->singleReference, nullptr);

    Build build(4);
    ASSERT_EQ(build.Run(font, {0, overline, macron, underscore}, kCompileContours | kCompilePoly,
                        document.compileSettings),
              0u);
    const VorlGlyphRecord &o = build.records[1], &m = build.records[2], &u = build.records[3];
    ASSERT_GT(u.curveCount, 0);
    for (const VorlGlyphRecord *r : {&o, &m})
    {
        EXPECT_EQ(r->curveCount, u.curveCount);
        EXPECT_EQ(r->bandColumn, u.bandColumn);
        EXPECT_EQ(r->bandRow, u.bandRow);
        EXPECT_FLOAT_EQ(r->box[0], u.box[0] + r->curveOrigin[0]);
        EXPECT_FLOAT_EQ(r->box[3], u.box[3] + r->curveOrigin[1]);
        EXPECT_LT(r->box[0], r->box[2]);
    }
    // The overline sits above the baseline, the underscore below it.
    EXPECT_GT(o.box[1], 0.0f);
    EXPECT_LT(u.box[3], 0.0f);
    EXPECT_FLOAT_EQ(o.advance, font->GetGlyph(overline)->advance[0]);
}

TEST(GlyphTextureBuild, RecordsAndTextureLimits)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(kReferenceFont), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    FontCompileSettings settings = document.compileSettings;

    // Glyph 0 and glyph 8 are rectangles of 4 curves; glyph 1 a triangle; glyph 0 again as glyph
    // 8 shares nothing. Curve texels: 5 + 5 + 4.
    Build build(3);
    ASSERT_EQ(build.Run(font, {0, 8, 1}, kCompileContours, settings), 0u);
    EXPECT_EQ(build.curve.cursorX, 14);
    EXPECT_EQ(build.contours.GetElementCount(), 3);
    EXPECT_EQ(build.records[2].firstContour, 2u);
    const VorlGlyphRecord &r = build.records[0];
    EXPECT_FLOAT_EQ(r.box[0], 0.1f);
    EXPECT_FLOAT_EQ(r.box[3], 0.7f);
    EXPECT_FLOAT_EQ(r.bandScale[0], float(r.bandCountX) / (0.4f - 0.1f));
    EXPECT_EQ(r.polygonWord, 0);  // no poly option

    // Without the contours option the curve words stay zero.
    Build plain(1);
    ASSERT_EQ(plain.Run(font, {0}, 0, settings), 0u);
    EXPECT_EQ(plain.records[0].curveCount, 0);
    EXPECT_EQ(plain.contours.GetElementCount(), 0);

    // Maximum band count 1: one band each way.
    settings.maxBandCount = 1;
    Build one(1);
    ASSERT_EQ(one.Run(font, {1}, 0, settings), 0u);
    EXPECT_EQ(one.records[0].bandCountX, 1);
    EXPECT_EQ(one.records[0].bandWordY, 1);

    // A glyph of more curves than its record can count: 'SIZE', also through the whole compile.
    AmbrelDocument large;
    ASSERT_EQ(large.ParseAndResolve(test::ComponentFanOutFontText(5, 7, true).c_str()), 0u);
    Build many(1, 64, 64);
    EXPECT_EQ(many.Run(large.fontList.GetFirst(), {0}, 0, large.compileSettings), 'SIZE');
    uint32_t result = 0;
    EXPECT_TRUE(test::CompileDocument(&large, kDefaultCompileFlags, &result).empty());
    EXPECT_EQ(result, 'SIZE');

    // A curve texture of one row that is full: 'SIZE'.
    Build full(1, 1, 1);
    full.curve.cursorX = 4094;
    EXPECT_EQ(full.Run(font, {0}, 0, document.compileSettings), 'SIZE');
    Build fullBands(1, 1, 1);
    fullBands.band.cursorX = 4093;
    EXPECT_EQ(fullBands.Run(font, {0}, 0, document.compileSettings), 'SIZE');
}

TEST(GlyphTextureBuild, DecorationRectangle)
{
    Build build(0, 1, 1);
    build.curve.cursorX = 4093;  // does not fit: next row
    uint16_t column = 99, row = 99;
    EXPECT_FALSE(AddDecorationGeometry(-0.1f, -0.05f, &build.curve, &build.band, &column, &row));

    Build fits(0, 2, 1);
    fits.curve.cursorX = 4093;
    fits.band.cursorX = 7;
    ASSERT_TRUE(AddDecorationGeometry(-0.1f, -0.05f, &fits.curve, &fits.band, &column, &row));
    EXPECT_EQ(column, 7);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(fits.curve.cursorY, 1);
    EXPECT_EQ(fits.curve.cursorX, 5);
    const auto *t = reinterpret_cast<const uint16_t *>(fits.curveBytes.data()) + size_t(4096) * 4;
    const float expected[5][4] = {{0, -0.1f, 0, -0.1f}, {1, -0.1f, 1, -0.1f}, {1, -0.05f, 0, -0.05f},
                                  {0, -0.05f, 0, -0.1f}, {0, -0.1f, 0, 0}};
    for (int32_t i = 0; i < 5; ++i)
        for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(HalfToFloat(&t[i * 4 + k]), Half(expected[i][k]));
    const auto *b = reinterpret_cast<const uint32_t *>(fits.bandBytes.data()) + 7;
    const uint32_t bands[6] = {0x20002, 0x40002, 1 | 1u << 16, 3 | 1u << 16, 2 | 1u << 16, 0 | 1u << 16};
    for (int32_t k = 0; k < 6; ++k) EXPECT_EQ(b[k], bands[k]);
}

// Settings a document may hold, however odd, still give files the runtime accepts.
TEST(GlyphTextureBuild, OddSettingsGiveReadableFiles)
{
    struct Case
    {
        const char *name;
        int32_t bands, vertices;
        float edge, size, miter;
        uint32_t join;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {"no bands, one vertex", 0, 1, 1.0f, 0.02f, 4.0f, 'BEVL'},
        {"negative counts", -5, -3, 1.0f, 0.02f, 4.0f, 'ROND'},
        {"large counts", 1000, 100, 1.0f, 0.02f, 4.0f, 'BEVL'},
        {"two vertices, no edge factor", 32, 2, 0.0f, 0.02f, 4.0f, 'BEVL'},
        {"huge outline, miter below 1", 32, 6, 1e6f, 0.5f, 0.5f, 'ROND'},
        {"NaN settings", 32, 5, nan, nan, nan, 'XXXX'},
    };
    std::string text = test::ReadWholeFile(test::FixturePath("plain.ambrel"));
    const std::string rect = "Rect {float[2] {{0.05, 0}, {0.45, 0.7}}}";
    text.replace(text.find(rect), rect.size(),
                 "Circle {Radius {float {0.3}} float[2] {{0.3, 0.35}}} Polygon {float[2] {{0, 0}, {0.6, 0}, {0.3, 0.7}}}");
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
        FontCompileSettings &s = document.compileSettings;
        s = {c.bands, c.vertices, c.edge, c.size, c.miter, c.join};
        uint32_t result = 1;
        std::vector<uint8_t> bytes =
            test::CompileDocument(&document, kDefaultCompileFlags | kCompileContours | kCompileOutline, &result);
        ASSERT_EQ(result, 0u);
        test::ExpectReadableFontFile(bytes);
    }
}

// Every compile of the fixtures, with each option set, passes the verifier, the validator and the
// accessors; with contours the glyphs' curves come back at half precision.
TEST(GlyphTextureBuild, CompiledFixturesGiveBackTheirCurves)
{
    const uint32_t optionSets[] = {0x1037D, 0x1037D | kCompileContours | kCompileOutline, kCompileContours,
                                   kCompilePoly | kCompileUnderline | kCompileStrikethrough | kCompileContours};
    for (const char *name : {"plain.ambrel", "collection.ambrel"})
        for (uint32_t flags : optionSets)
        {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(flags));
            std::string text = test::ReadWholeFile(test::FixturePath(name));
            AmbrelDocument document;
            ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
            uint32_t result = 1;
            std::vector<uint8_t> bytes = test::CompileDocument(&document, flags, &result);
            ASSERT_EQ(result, 0u);
            test::ExpectReadableFontFile(bytes);
            if (!(flags & kCompileContours)) continue;

            std::vector<uint32_t> image((bytes.size() + 3) / 4);
            std::memcpy(image.data(), bytes.data(), bytes.size());
            const auto *header = reinterpret_cast<const VorlFileHeader *>(image.data());
            const auto *record = reinterpret_cast<const VorlFontRecord *>(reinterpret_cast<const char *>(image.data()) + 80);
            std::vector<uint8_t> curveTexels(GetCurveTextureDataSize(header));
            ASSERT_TRUE(CopyCurveTextureData(header, curveTexels.data(), uint32_t(curveTexels.size())));

            // Glyph 0 and every glyph the character map reaches.
            const FontStructure *font = document.fontList.GetFirst()->GetGlyphFont();
            std::vector<std::pair<uint32_t, uint32_t>> glyphs = {{0, 0}};
            for (uint32_t c = 0; c < 0x110000; ++c)
            {
                uint32_t g = record->GetGlyphIndex(c);
                const CharacterTable *table = document.fontList.GetFirst()->FindCharacterTable(c);
                if (g != 0 && table != nullptr) glyphs.push_back({g, uint32_t(table->Get(c))});
            }
            for (auto [number, index] : glyphs)
            {
                const GlyphStructure *glyph = font->GetGlyph(index);
                ASSERT_NE(glyph, nullptr);
                uint16_t count = record->GetGlyphCurveCount(number);
                ASSERT_EQ(count, glyph->curves.GetElementCount()) << number;
                std::vector<QuadraticBezier2D> curves(count);
                ExtractGlyphCurves(record, number, header, curveTexels.data(), curves.data());
                for (uint16_t i = 0; i < count; ++i)
                {
                    const QuadraticBezier2D &a = curves[i], &e = glyph->curves[i];
                    EXPECT_EQ(a.p0.x, Half(e.p0.x));
                    EXPECT_EQ(a.p0.y, Half(e.p0.y));
                    EXPECT_EQ(a.p1.x, Half(e.p1.x));
                    EXPECT_EQ(a.p1.y, Half(e.p1.y));
                    EXPECT_EQ(a.p2.x, Half(e.p2.x));
                    EXPECT_EQ(a.p2.y, Half(e.p2.y));
                }
            }
        }
}

}  // namespace
}  // namespace oq
