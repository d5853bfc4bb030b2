#include "support/VorlTestFixtures.h"

#include <cmath>

namespace oq::test {

std::vector<VorlTestFixture> MakeVorlTestFixtures()
{
    std::vector<VorlTestFixture> fixtures;
    fixtures.push_back({"square", MakeSquareOutline(0, 0, 1, 1), 1, 1, false, {}});
    fixtures.push_back({"triangle", MakePolygonOutline({0, 0, 1, 0, 0.4, 0.9}), 1, 0.9F, false, {}});
    std::vector<ReferenceCurve> ring = MakeCircleOutline(0.5, 0.5, 0.5);
    std::vector<ReferenceCurve> hole = MakeCircleOutline(0.5, 0.5, 0.25, true);
    ring.insert(ring.end(), hole.begin(), hole.end());
    fixtures.push_back({"ring", ring, 1, 1, false, {}});
    fixtures.push_back({"circle", MakeCircleOutline(0.5, 0.5, 0.5), 1, 1, false, {}});
    fixtures.push_back({"roundrect", MakeRoundedRectOutline(0, 0, 1, 0.6, 0.15), 1, 0.6F, false, {}});
    fixtures.push_back({"slash", MakePolygonOutline({0, 0, 0.015, 0, 1, 1, 0.985, 1}), 1, 1, false, {}});
    std::vector<double> star;
    for (int i = 0; i < 5; ++i)
    {
        double angle = M_PI / 2 + i * 4 * M_PI / 5;
        star.push_back(0.5 + 0.5 * std::cos(angle));
        star.push_back(0.5 + 0.5 * std::sin(angle));
    }
    // Moved so the box starts at (0, 0).
    double minX = 1, minY = 1, maxX = 0, maxY = 0;
    for (size_t i = 0; i < star.size(); i += 2)
    {
        minX = std::min(minX, star[i]), maxX = std::max(maxX, star[i]);
        minY = std::min(minY, star[i + 1]), maxY = std::max(maxY, star[i + 1]);
    }
    for (size_t i = 0; i < star.size(); i += 2) star[i] -= minX, star[i + 1] -= minY;
    // Each edge crosses the two edges that do not share a point with it. Tips and crossings are
    // where the per-axis coverage is known to stray furthest.
    std::vector<double> crossings(star);   // the tips, then the crossings
    for (int i = 0; i < 5; ++i)
    {
        int j = (i + 2) % 5;
        double ax = star[2 * i], ay = star[2 * i + 1], bx = star[2 * ((i + 1) % 5)], by = star[2 * ((i + 1) % 5) + 1];
        double cx = star[2 * j], cy = star[2 * j + 1], dx = star[2 * ((j + 1) % 5)], dy = star[2 * ((j + 1) % 5) + 1];
        double denominator = (bx - ax) * (dy - cy) - (by - ay) * (dx - cx);
        double t = ((cx - ax) * (dy - cy) - (cy - ay) * (dx - cx)) / denominator;
        crossings.push_back(ax + t * (bx - ax));
        crossings.push_back(ay + t * (by - ay));
    }
    fixtures.push_back({"star", MakePolygonOutline(star), float(maxX - minX), float(maxY - minY), false, crossings});
    fixtures.push_back({"star_evenodd", MakePolygonOutline(star), float(maxX - minX), float(maxY - minY), true, crossings});
    return fixtures;
}

VorlTestView MakeVorlTestView(float width, float height, double k)
{
    double cx = width * 0.5, cy = height * 0.5;
    return {{k, 0, 32.37 - k * cx, 0, k, 32.61 - k * cy}, 64, 64};
}

std::vector<VorlTestViewCase> MakeVorlTestViews(float width, float height)
{
    struct Linear
    {
        const char *name;
        double a, b, c, d;
    };
    const double k = 48;
    const double angle = 0.5236;   // 30 degrees
    const Linear maps[] = {
        {"translated", k, 0, 0, k},
        {"rotated", k * std::cos(angle), -k * std::sin(angle), k * std::sin(angle), k * std::cos(angle)},
        {"skewed", k, 0.35 * k, 0, k},
        {"mirrored", -k, 0, 0, k},
    };
    std::vector<VorlTestViewCase> views;
    for (const Linear &m : maps)
    {
        // The box centre goes to (32.37, 32.61): off the pixel grid.
        double cx = width * 0.5, cy = height * 0.5;
        VorlTestView view = {{m.a, m.b, 32.37 - (m.a * cx + m.b * cy), m.c, m.d, 32.61 - (m.c * cx + m.d * cy)}, 64, 64};
        views.push_back({m.name, view});
    }
    return views;
}

VorlFontBuilder MakeFixtureFont(const VorlTestFixture &fixture, const VorlTestShape &shape)
{
    VorlFontBuilder builder;
    builder.AddFont().Map('A', 1);
    builder.AddGlyph(0.5F);
    uint32_t glyph = builder.AddGlyph(1.1F);
    VorlGlyphRecord &record = builder.glyphs[glyph];
    record.box[2] = fixture.width;
    record.box[3] = fixture.height;
    builder.SetBands(glyph, uint16_t(shape.locationWord & 0xFFFF), uint16_t(shape.locationWord >> 16),
                     uint16_t((shape.limitWord & 0xFFFF) + 1), uint16_t(((shape.limitWord >> 16) & 0xFF) + 1));
    record.bandWordY = uint16_t(record.bandWordY | ((shape.limitWord >> 24) << 8));
    record.bandScale[0] = shape.banding[0];
    record.bandScale[1] = shape.banding[1];
    record.curveCount = uint16_t(fixture.curves.size());
    // One contour run of one curve per curve: the shape stores two texels a curve, 32 a row.
    record.firstContour = 0;
    for (uint32_t i = 0; i < fixture.curves.size(); ++i)
        builder.contours.push_back((i / 32) << 12 | (i % 32) * 2);
    builder.curveWidth = uint32_t(shape.curveWidth);
    builder.curveTexels = shape.curveHalves;
    builder.bandWidth = uint32_t(shape.bandWidth);
    builder.bandTexels = shape.bandTexels;
    return builder;
}

}   // namespace oq::test
