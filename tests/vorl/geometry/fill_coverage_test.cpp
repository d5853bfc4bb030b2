#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestFixtures.h"
#include "vorl/geometry/PathFill.h"
#include "vorl/text/ShaderSource.h"

namespace oq {
namespace {

using namespace oq::test;

std::vector<float> Alpha(const std::vector<float> &rgba)
{
    std::vector<float> alpha(rgba.size() / 4);
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = rgba[i * 4 + 3];
    return alpha;
}

// A fixture filled by BuildPathFill into float curve texels and a 4096-wide band texture.
struct FilledFixture
{
    std::vector<float> curveTexels;
    std::vector<uint32_t> bandTexels;
    AttribStruct vertices[6];
    VorlTriangle triangles[4];
    int32_t curveRows = 0, bandRows = 0;

    bool Build(const VorlTestFixture &fixture)
    {
        std::vector<QuadraticBezier2D> path;
        for (const ReferenceCurve &c : fixture.curves)
            path.emplace_back(Point2D(float(c.x0), float(c.y0)), Point2D(float(c.x1), float(c.y1)),
                              Point2D(float(c.x2), float(c.y2)));
        FillStyle style;
        ResetFillStyle(&style);
        style.color = {1, 1, 1, 1};
        style.rule = fixture.evenOdd ? 'EVOD' : 0;
        int32_t curveCursor[2] = {0, 0}, bandCursor[2] = {0, 0}, v, t;
        if (!CountPathFill(style, int32_t(path.size()), path.data(), 64, 1000, curveCursor, 4096, 1000, bandCursor, &v,
                           &t, nullptr, nullptr))
            return false;
        curveRows = curveCursor[1] + 1;
        bandRows = bandCursor[1] + 1;
        curveTexels.assign(size_t(64 * curveRows * 4), 0.0f);
        bandTexels.assign(size_t(4096 * bandRows), 0);
        TexelBuffer curves = {curveTexels.data(), 'FLT4', 64, curveRows, 0, 0};
        TexelBuffer bands = {bandTexels.data(), 0, 4096, bandRows, 0, 0};
        GeometryBuffer geometry = {vertices, triangles, 0, 0, 0};
        return BuildPathFill(style, int32_t(path.size()), path.data(), &curves, &bands, &geometry, nullptr, nullptr);
    }

    VorlTexelArrays Textures() const
    {
        VorlTexelArrays t;
        t.curveFloats = curveTexels.data();
        t.curveWidth = 64;
        t.curveHeight = curveRows;
        t.band = bandTexels.data();
        t.bandWidth = 4096;
        t.bandHeight = bandRows;
        return t;
    }
};

// Fills drawn by the CPU pixel stage from the builder's texels and vertex words match the
// independent reference rasterizer under every test view.
TEST(FillCoverage, BuiltFillsMatchTheReference)
{
    const float white[4] = {1, 1, 1, 1};
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
    {
        FilledFixture fill;
        ASSERT_TRUE(fill.Build(fixture)) << fixture.name;
        const AttribStruct &v = fill.vertices[0];
        // The builder's em space: em = (p - origin) / s.
        double s = 1.0 / double(v.jacobian[0]);
        double ox = double(v.position[0]) - double(v.texcoord[0]) * s;
        double oy = double(v.position[1]) - double(v.texcoord[1]) * s;
        for (const VorlTestViewCase &view : MakeVorlTestViews(fixture.width, fixture.height))
        {
            SCOPED_TRACE(fixture.name + " " + view.name);
            const double *m = view.view.pixelFromEm;
            VorlTestView filled = view.view;
            double *f = filled.pixelFromEm;
            f[0] = m[0] * s;
            f[1] = m[1] * s;
            f[2] = m[0] * ox + m[1] * oy + m[2];
            f[3] = m[3] * s;
            f[4] = m[4] * s;
            f[5] = m[3] * ox + m[4] * oy + m[5];
            double emFromPixel[6];
            filled.EmFromPixel(emFromPixel);
            std::vector<float> reference = RasterizeReference(
                fixture.curves, m, 64, 64, fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
            for (uint32_t option : {0u, uint32_t(kShaderOptionLinear)})
            {
                uint32_t bits = option | (fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0u);
                std::vector<float> image = Alpha(RenderVorlImage(fill.Textures(), bits, emFromPixel, 64, 64,
                                                                 v.bandLocation, v.bandLimits, v.banding, white));
                CoverageComparison c = CompareWithReference(image, reference, view.view, fixture.crossings);
                EXPECT_LE(c.interiorError, 1.0f / 255.0f) << option;
                EXPECT_LE(c.edgeError, 0.25f) << option;
                double tolerance = fixture.name == "slash" ? 0.1 : 0.02;
                EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * tolerance) << option;
            }
        }
    }
}

}  // namespace
}  // namespace oq
