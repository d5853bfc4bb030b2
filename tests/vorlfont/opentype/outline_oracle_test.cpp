// Every glyph of the test fonts decoded by our readers against FreeType's unscaled outlines:
// signed area, tight box and contour count.
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "vorlfont/opentype/CffFont.h"
#include "vorlfont/opentype/GlyfOutline.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include "FreeTypeOutline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

namespace oq {
namespace {

using test::MeasureFreeTypeGlyph;
using test::OutlineMeasure;

// Our TrueType outline: contours of at least 3 points, with implied on-curve midpoints.
OutlineMeasure MeasureGlyfPoints(const Array<GlyfPoint> &points, float unitsPerEm)
{
    OutlineMeasure m;
    auto unit = [unitsPerEm](const GlyfPoint &p) { return Point2D(p.x * unitsPerEm, p.y * unitsPerEm); };
    auto mid = [](const Point2D &a, const Point2D &b) { return Point2D((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f); };
    for (int32_t first = 0; first < points.GetElementCount();)
    {
        int32_t count = std::abs(points[first].link);
        if (count >= 3)
        {
            ++m.contours;
            // Start on an on-curve point, or between the last and first points when all are off.
            int32_t s = 0;
            while (s < count && points[first + s].link < 0) ++s;
            bool allOff = s == count;
            Point2D start = allOff ? mid(unit(points[first + count - 1]), unit(points[first])) : unit(points[first + s]);
            int32_t steps = allOff ? count + 1 : count;
            Point2D current = start;
            bool pending = false;
            Point2D control;
            for (int32_t k = 1; k <= steps; ++k)
            {
                bool closing = k == steps;
                const GlyfPoint &gp = points[first + (allOff ? k - 1 : s + k) % count];
                Point2D p = closing ? start : unit(gp);
                bool on = closing || gp.link > 0;
                if (!on)
                {
                    if (pending)
                    {
                        Point2D m2 = mid(control, p);
                        m.AddQuadratic(QuadraticBezier2D(current, control, m2));
                        current = m2;
                    }
                    control = p;
                    pending = true;
                    continue;
                }
                m.AddQuadratic(pending ? QuadraticBezier2D(current, control, p) : QuadraticBezier2D(current, p, p));
                current = p;
                pending = false;
            }
            if (pending) m.AddQuadratic(QuadraticBezier2D(current, control, start));
        }
        first += std::max(count, 1);
    }
    return m;
}

OutlineMeasure MeasureCubics(const Array<CubicBezier2D> &segments, float unitsPerEm)
{
    OutlineMeasure m;
    bool startsContour = true;
    Point2D contourStart;
    for (const CubicBezier2D &c : segments)
    {
        if (startsContour)
        {
            ++m.contours;
            contourStart = c.p0;
        }
        m.AddCubic(CubicBezier2D(Point2D(c.p0.x * unitsPerEm, c.p0.y * unitsPerEm), Point2D(c.p1.x * unitsPerEm, c.p1.y * unitsPerEm),
                                 Point2D(c.p2.x * unitsPerEm, c.p2.y * unitsPerEm), Point2D(c.p3.x * unitsPerEm, c.p3.y * unitsPerEm)));
        startsContour = c.p3.x == contourStart.x && c.p3.y == contourStart.y;
    }
    return m;
}

struct OracleFont
{
    const char *path;
    int32_t face;
};

class OutlineOracle : public testing::TestWithParam<OracleFont>
{
};

TEST_P(OutlineOracle, EveryGlyphMatchesFreeType)
{
    test::FreeTypeFont freeType(GetParam().path, GetParam().face);
    ASSERT_TRUE(freeType.IsOpen()) << GetParam().path;
    FT_Face face = freeType.face;
    float unitsPerEm = float(face->units_per_EM);
    uint32_t glyphCount = uint32_t(face->num_glyphs);

    std::vector<uint8_t> glyfBytes, locaBytes, headBytes, cffBytes;
    FontBytes glyf = test::LoadSfntTable(face, 'glyf', &glyfBytes);
    FontBytes head = test::LoadSfntTable(face, 'head', &headBytes);
    bool trueType = glyf.IsPresent();
    GlyfOutlineReader reader;
    CffFont *cff = new CffFont;
    if (trueType)
    {
        FontBytes loca = test::LoadSfntTable(face, 'loca', &locaBytes);
        ASSERT_EQ(reader.Open(glyf, loca, head.GetInt16(50), glyphCount, 1.0f / unitsPerEm), 0u);
    }
    else
    {
        FontBytes table = test::LoadSfntTable(face, 'CFF ', &cffBytes);
        ASSERT_TRUE(table.IsPresent());
        ASSERT_EQ(OpenCffFont(table, glyphCount, cff), 0u);
    }
    CffCharstringDecoder decoder(cff->globalSubrs);

    Array<GlyfPoint> points;
    Array<CubicBezier2D> segments;
    int32_t failures = 0;
    for (uint32_t g = 0; g < glyphCount && failures < 10; ++g)
    {
        OutlineMeasure ours;
        OutlineMeasure theirs;
        ASSERT_TRUE(MeasureFreeTypeGlyph(face, g, trueType ? 3 : 2, &theirs)) << g;
        double tolerance;
        if (trueType)
        {
            int64_t count = reader.CountGlyfPoints(g);
            ASSERT_GE(count, 0) << g;
            ASSERT_EQ(reader.DecodeGlyfOutline(g, &points), count) << g;
            ours = MeasureGlyfPoints(points, unitsPerEm);
            double box = (theirs.maxX - theirs.minX) * (theirs.maxY - theirs.minY);
            tolerance = 1e-6 * (std::isfinite(box) ? box : 0.0) + 1e-3;
        }
        else
        {
            ASSERT_EQ(DecodeCffGlyph(*cff, &decoder, g, &segments), 0u) << g;
            ours = MeasureCubics(segments, unitsPerEm);
            // FreeType's unscaled CFF points are whole units.
            double perimeter = 2.0 * ((theirs.maxX - theirs.minX) + (theirs.maxY - theirs.minY));
            tolerance = std::isfinite(perimeter) ? perimeter + 1.0 : 1.0;
        }
        bool same = ours.contours == theirs.contours && std::fabs(ours.area - theirs.area) <= tolerance;
        if (theirs.contours > 0)
        {
            // Width and height: FreeType moves a TrueType outline whose box does not start at its
            // left side bearing.
            double boxTolerance = trueType ? 1e-3 : 1.0;
            same = same && std::fabs((ours.maxX - ours.minX) - (theirs.maxX - theirs.minX)) <= boxTolerance &&
                   std::fabs((ours.maxY - ours.minY) - (theirs.maxY - theirs.minY)) <= boxTolerance;
            if (!trueType) same = same && std::fabs(ours.minX - theirs.minX) <= 1.0 && std::fabs(ours.minY - theirs.minY) <= 1.0;
        }
        if (!same)
        {
            ++failures;
            ADD_FAILURE() << GetParam().path << " glyph " << g << ": contours " << ours.contours << " / " << theirs.contours
                          << ", area " << ours.area << " / " << theirs.area << ", box (" << ours.minX << ", " << ours.minY
                          << ", " << ours.maxX << ", " << ours.maxY << ") / (" << theirs.minX << ", " << theirs.minY << ", "
                          << theirs.maxX << ", " << theirs.maxY << ")";
        }
    }
    delete cff;
}

// The quadratic curves the import leaves on each Glyph (Path commands resolved, Components
// collected) against FreeType.
TEST_P(OutlineOracle, ImportedGlyphsMatchFreeType)
{
    if (GetParam().face != 0) return;  // a collection imports its first face's glyphs
    std::ifstream stream(GetParam().path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(file.empty()) << GetParam().path;
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(file.data(), file.size(), &document), 0u);
    const FontStructure *font = document.fontList.GetFirst();
    ASSERT_NE(font, nullptr);

    test::FreeTypeFont freeType(GetParam().path, 0);
    ASSERT_TRUE(freeType.IsOpen()) << GetParam().path;
    FT_Face face = freeType.face;
    ASSERT_EQ(font->glyphCount, uint32_t(face->num_glyphs));
    double unitsPerEm = face->units_per_EM;
    std::vector<uint8_t> glyfBytes;
    bool trueType = test::LoadSfntTable(face, 'glyf', &glyfBytes).IsPresent();
    // Cubics become quadratics within 2^-10 em.
    double slack = trueType ? 1e-3 : 1.0 + 2.0 * unitsPerEm / 1024.0;

    Array<QuadraticBezier2D> curves;
    int32_t failures = 0;
    for (uint32_t g = 0; g < font->glyphCount && failures < 10; ++g)
    {
        const GlyphStructure *glyph = font->GetGlyph(g);
        ASSERT_NE(glyph, nullptr);
        curves.SetElementCount(0);
        GeometryCollection collection{&curves, {}, 0, false};
        glyph->CollectGeometry(font, &collection);
        ASSERT_FALSE(collection.tooLarge) << g;

        OutlineMeasure ours = test::MeasureQuadratics(curves.GetElements(), curves.GetElementCount(), unitsPerEm);
        OutlineMeasure theirs;
        ASSERT_TRUE(MeasureFreeTypeGlyph(face, g, trueType ? 3 : 2, &theirs)) << g;
        double perimeter = theirs.contours > 0 ? 2.0 * ((theirs.maxX - theirs.minX) + (theirs.maxY - theirs.minY)) : 0.0;
        double areaTolerance = trueType ? 1e-6 * perimeter * perimeter + 1e-2 : perimeter * slack + 1.0;
        bool same = ours.contours == theirs.contours && std::fabs(ours.area - theirs.area) <= areaTolerance;
        if (theirs.contours > 0)
        {
            same = same && std::fabs((ours.maxX - ours.minX) - (theirs.maxX - theirs.minX)) <= slack &&
                   std::fabs((ours.maxY - ours.minY) - (theirs.maxY - theirs.minY)) <= slack;
        }
        if (!same)
        {
            ++failures;
            ADD_FAILURE() << GetParam().path << " glyph " << g << ": contours " << ours.contours << " / " << theirs.contours
                          << ", area " << ours.area << " / " << theirs.area << ", size " << ours.maxX - ours.minX << " x "
                          << ours.maxY - ours.minY << " / " << theirs.maxX - theirs.minX << " x " << theirs.maxY - theirs.minY;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(TestFonts, OutlineOracle,
                         testing::Values(OracleFont{"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0},
                                         OracleFont{"/usr/share/fonts/opentype/freefont/FreeSerif.otf", 0},
                                         OracleFont{"/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf", 0},
                                         OracleFont{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 0},
                                         OracleFont{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 9}));

}  // namespace
}  // namespace oq
