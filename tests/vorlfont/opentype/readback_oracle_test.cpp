// End to end: each test font imported, compiled with contour runs, validated, and every compiled
// glyph's curves read back from the file against FreeType's unscaled outline of the glyph it came
// from (advance, signed area, tight box size, contour count, and where the outline sits).
#include "../VorlFontTestSupport.h"
#include "FreeTypeOutline.h"
#include "ImportDump.h"
#include "ambrel/FontStructure.h"
#include "base/Bezier.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFontValidator.h"
#include "vorlfont/compiler/FontCompiler.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include FT_TRUETYPE_TABLES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace oq {
namespace {

using test::OutlineMeasure;

// The editor's switches: -no-poly -contours -math.
constexpr uint32_t kEditorFlags = (kDefaultCompileFlags & ~kCompilePoly) | kCompileContours | kCompileMath;

// Half floats keep 11 significant bits.
constexpr double kHalfPrecision = 1.0 / 2048.0;

// PrepareGeometry leaves an outline whose leftmost point or left edge is closer than this to the
// bearing.
constexpr double kBearingThreshold = 1.0 / 4096.0;

struct ReadbackCase
{
    const char *name;
    const char *path;
    // 0: every character; else one in this many code points of the large CJK blocks.
    int32_t sampleStep;
};

// A fixed sample of a CJK font's characters: ASCII and the kana whole, one in `step` of the
// ideographs and Hangul syllables, and the full-width forms.
std::vector<uint32_t> SampleCodePoints(int32_t step)
{
    std::vector<uint32_t> codePoints;
    auto add = [&](uint32_t first, uint32_t last, uint32_t every) {
        for (uint32_t c = first; c <= last; c += every) codePoints.push_back(c);
    };
    add(0x20, 0x7E, 1);
    add(0x3040, 0x30FF, 1);
    add(0x4E00, 0x9FFF, uint32_t(step));
    add(0xAC00, 0xD7A3, uint32_t(step));
    add(0xFF01, 0xFF5E, 1);
    return codePoints;
}

// The left side bearing of 'hmtx' in font units.
int32_t LeftSideBearing(const FontBytes &hmtx, uint32_t metricCount, uint32_t glyph)
{
    uint64_t offset = glyph < metricCount ? uint64_t(glyph) * 4 + 2 : uint64_t(metricCount) * 4 + (glyph - metricCount) * 2;
    return hmtx.GetInt16(offset);
}

// FreeType places a TrueType outline so that the x minimum of its 'glyf' header lies at the left
// side bearing; this is how far it moves it.
int32_t FreeTypeTrueTypeShift(const FontBytes &glyf, const FontBytes &loca, int16_t locaFormat, uint32_t glyph,
                              int32_t bearing)
{
    uint64_t start = locaFormat == 0 ? uint64_t(loca.GetUInt16(uint64_t(glyph) * 2)) * 2 : loca.GetUInt32(uint64_t(glyph) * 4);
    return bearing - glyf.GetInt16(start + 2);
}

void PrintTo(const ReadbackCase &c, std::ostream *os) { *os << c.name; }

class ReadbackOracle : public testing::TestWithParam<ReadbackCase>
{
};

TEST_P(ReadbackOracle, CompiledCurvesMatchFreeType)
{
    const ReadbackCase &param = GetParam();
    std::vector<unsigned char> fileBytes = test::ReadFileBytes(param.path);
    ASSERT_FALSE(fileBytes.empty()) << param.path << ": missing test font (make deps)";
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(fileBytes.data(), fileBytes.size(), &document), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    ASSERT_NE(font, nullptr);
    const uint32_t glyphCount = font->glyphCount;

    std::unique_ptr<FontCompiler> compiler;
    std::vector<uint32_t> sample;
    if (param.sampleStep == 0) compiler = std::make_unique<FontCompiler>(&document, kEditorFlags, nullptr, 0, nullptr, 0);
    else
    {
        // Under the sanitizers a fifth of the sample: the whole collection imports either way.
#if defined(__SANITIZE_ADDRESS__)
        sample = SampleCodePoints(param.sampleStep * 5);
#else
        sample = SampleCodePoints(param.sampleStep);
#endif
        compiler = std::make_unique<FontCompiler>(&document, kEditorFlags, int32_t(sample.size()), sample.data());
    }
    std::vector<uint8_t> bytes;
    OutputSink sink(test::AppendToBytes, &bytes);
    ASSERT_EQ(compiler->CompileAndWrite(&sink, nullptr, 0), 0u);

    std::vector<uint32_t> image((bytes.size() + 3) / 4);
    std::memcpy(image.data(), bytes.data(), bytes.size());
    ASSERT_TRUE(ValidateVorlFontFile(image.data(), bytes.size()));
    const auto *header = reinterpret_cast<const VorlFileHeader *>(image.data());
    const VorlFontRecord *record = GetVorlFontRecord(header, 0);
    std::vector<uint8_t> texels(GetCurveTextureDataSize(header));
    ASSERT_TRUE(CopyCurveTextureData(header, texels.data(), uint32_t(texels.size())));
    const GlyphSelection &selection = compiler->GetGlyphSelection();
    ASSERT_EQ(record->glyphCount, selection.GetCount());

    test::FreeTypeFont freeType(param.path, 0);
    ASSERT_TRUE(freeType.IsOpen());
    FT_Face face = freeType.face;
    ASSERT_EQ(glyphCount, uint32_t(face->num_glyphs));
    const double unitsPerEm = face->units_per_EM;
    std::vector<uint8_t> hmtxBytes, glyfBytes, locaBytes, headBytes;
    FontBytes hmtx = test::LoadSfntTable(face, 'hmtx', &hmtxBytes);
    FontBytes glyf = test::LoadSfntTable(face, 'glyf', &glyfBytes);
    FontBytes loca = test::LoadSfntTable(face, 'loca', &locaBytes);
    int16_t locaFormat = test::LoadSfntTable(face, 'head', &headBytes).GetInt16(50);
    const auto *hhea = static_cast<const TT_HoriHeader *>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    ASSERT_NE(hhea, nullptr);
    const bool trueType = glyf.IsPresent();
    // Cubics become quadratics within 2^-10 em, and FreeType's unscaled CFF points are whole units.
    const double slack = trueType ? 1e-3 : 1.0 + 2.0 * unitsPerEm / 1024.0;

    std::vector<QuadraticBezier2D> curves;
    int32_t checked = 0, moved = 0, failures = 0;
    for (uint32_t g = 0; g < glyphCount && failures < 10; ++g)
    {
        if (!selection.IsSelected(g)) continue;
        ++checked;
        uint32_t number = selection.GetNewNumber(g);
        const VorlGlyphRecord &glyph = record->GetGlyphRecords()[number];
        curves.resize(glyph.curveCount);
        if (!curves.empty()) ExtractGlyphCurves(record, number, header, texels.data(), curves.data());

        OutlineMeasure theirs;
        ASSERT_TRUE(test::MeasureFreeTypeGlyph(face, g, trueType ? 3 : 2, &theirs)) << g;
        const double theirAdvance = double(face->glyph->metrics.horiAdvance);
        OutlineMeasure ours = test::MeasureQuadratics(curves.data(), int32_t(curves.size()), unitsPerEm);

        // The half floats' rounding, in font units, for the largest coordinate of the glyph.
        double largest = std::max(std::fabs(glyph.curveOrigin[0]), std::fabs(glyph.curveOrigin[1]));
        double leftmost = INFINITY;   // of all curve points, in ems
        double length = 0.0;          // of the control polygons, in font units
        for (const QuadraticBezier2D &q : curves)
        {
            for (const Point2D &p : {q.p0, q.p1, q.p2})
            {
                largest = std::max({largest, std::fabs(double(p.x)), std::fabs(double(p.y))});
                leftmost = std::min(leftmost, double(p.x));
            }
            length += (std::hypot(q.p1.x - q.p0.x, q.p1.y - q.p0.y) + std::hypot(q.p2.x - q.p1.x, q.p2.y - q.p1.y)) * unitsPerEm;
        }
        const double half = (largest * kHalfPrecision + 1e-6) * unitsPerEm;

        std::string fault;
        if (std::fabs(double(glyph.advance) * unitsPerEm - theirAdvance) > 1e-3) fault += " advance";
        double perimeter = theirs.contours > 0 ? 2.0 * ((theirs.maxX - theirs.minX) + (theirs.maxY - theirs.minY)) : 0.0;
        double areaTolerance = (trueType ? 1e-6 * perimeter * perimeter + 1e-2 : perimeter * slack + 1.0) + 2.0 * half * length;
        if (ours.contours != theirs.contours) fault += " contours";
        if (std::fabs(ours.area - theirs.area) > areaTolerance) fault += " area";
        if (theirs.contours > 0 && ours.contours > 0)
        {
            double boxTolerance = slack + 2.0 * half;
            if (std::fabs((ours.maxX - ours.minX) - (theirs.maxX - theirs.minX)) > boxTolerance ||
                std::fabs((ours.maxY - ours.minY) - (theirs.maxY - theirs.minY)) > boxTolerance)
                fault += " size";
            // y never moves.
            if (std::fabs(ours.minY - theirs.minY) > slack + half) fault += " y";
            // x: an outline not at a positive left side bearing moves onto it by the nearer of its
            // leftmost point and its curves' left edge; any other outline stays where the font has
            // it (FreeType moves TrueType outlines itself).
            int32_t bearing = LeftSideBearing(hmtx, hhea->number_Of_HMetrics, g);
            double fontMinX = theirs.minX - (trueType ? FreeTypeTrueTypeShift(glyf, loca, locaFormat, g, bearing) : 0);
            bool stayed = std::fabs(ours.minX - fontMinX) <= slack + half;
            double atBearing = kBearingThreshold * unitsPerEm + half;
            if (bearing <= 0)
            {
                if (!stayed) fault += " x";
            }
            else if (std::fabs(leftmost * unitsPerEm - bearing) > atBearing && std::fabs(ours.minX - bearing) > atBearing)
                fault += " bearing";
            else if (!stayed)
            {
                ++moved;
                // Converted cubics reach left of their curves: a curve edge at the bearing stays.
                if (std::fabs(fontMinX - bearing) <= 0.25) fault += " moved";
            }
            // The record's box holds the curves.
            const double box[4] = {ours.minX, ours.minY, ours.maxX, ours.maxY};
            for (int32_t k = 0; k < 4; ++k)
                if (std::fabs(double(glyph.box[k]) * unitsPerEm - box[k]) > half) fault += " record box";
        }
        if (!fault.empty())
        {
            ++failures;
            ADD_FAILURE() << param.name << " glyph " << g << " (compiled " << number << "):" << fault << "; advance "
                          << glyph.advance * unitsPerEm << " / " << theirAdvance << ", contours " << ours.contours << " / "
                          << theirs.contours << ", area " << ours.area << " / " << theirs.area << ", box (" << ours.minX
                          << ", " << ours.minY << ", " << ours.maxX << ", " << ours.maxY << ") / (" << theirs.minX << ", "
                          << theirs.minY << ", " << theirs.maxX << ", " << theirs.maxY << "), leftmost "
                          << leftmost * unitsPerEm << ", bearing " << LeftSideBearing(hmtx, hhea->number_Of_HMetrics, g);
        }
    }
    std::printf("%s: %d of %u glyphs compiled and checked, %d moved to their bearing\n", param.name, checked,
                glyphCount, moved);
    EXPECT_EQ(uint32_t(checked), selection.GetCount());
    // Glyphs that no character, alternate, ligature or decomposition reaches are not compiled
    // (math size variants, most of a CJK sample's font); enough remain to mean something.
    EXPECT_GE(checked, 1000);
}

INSTANTIATE_TEST_SUITE_P(
    TestFonts, ReadbackOracle,
    testing::Values(ReadbackCase{"DejaVuSans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
                    ReadbackCase{"FreeSerif", "/usr/share/fonts/opentype/freefont/FreeSerif.otf", 0},
                    ReadbackCase{"LatinModernMath", "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf", 0},
                    ReadbackCase{"NotoSansCJK", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 8}),
    [](const testing::TestParamInfo<ReadbackCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace oq
