#include <gtest/gtest.h>

#include <cmath>

#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestFixtures.h"
#include "vorl/text/ShaderSource.h"

namespace oq::test {
namespace {

std::vector<float> Alpha(const std::vector<float> &rgba)
{
    std::vector<float> alpha(rgba.size() / 4);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = rgba[i * 4 + 3];
    return alpha;
}

TEST(ReferenceRasterizer, AreasOfKnownShapes)
{
    const double view[6] = {40, 0, 2.5, 0, 40, 3.25};
    struct Case
    {
        std::vector<ReferenceCurve> curves;
        ReferenceFillRule rule;
        double area;   // in pixels
    };
    std::vector<ReferenceCurve> twice = MakeSquareOutline(0, 0, 1, 1);
    std::vector<ReferenceCurve> inner = MakeSquareOutline(0.25, 0.25, 0.75, 0.75);
    twice.insert(twice.end(), inner.begin(), inner.end());
    std::vector<ReferenceCurve> ring = MakeSquareOutline(0, 0, 1, 1);
    std::vector<ReferenceCurve> hole = MakeSquareOutline(0.25, 0.25, 0.75, 0.75, true);
    ring.insert(ring.end(), hole.begin(), hole.end());
    const Case cases[] = {
        {MakeSquareOutline(0, 0, 1, 1), ReferenceFillRule::kNonZero, 1600},
        {MakeSquareOutline(0, 0, 1, 1, true), ReferenceFillRule::kEvenOdd, 1600},
        {twice, ReferenceFillRule::kNonZero, 1600},            // same winding: the inner square stays filled
        {twice, ReferenceFillRule::kEvenOdd, 1600 - 400},
        {ring, ReferenceFillRule::kNonZero, 1600 - 400},
        {MakePolygonOutline({0, 0, 1, 0, 0, 1}), ReferenceFillRule::kNonZero, 800},
        // Parabolic segment under y = x(1 - x) scaled: area 2/3 of its triangle of height 0.5.
        {{{0, 0, 0.5, 1, 1, 0}, {1, 0, 0, 0, 0, 0}}, ReferenceFillRule::kNonZero, 1600 * (1.0 / 3.0)},
    };
    for (const Case &c : cases)
    {
        std::vector<float> image = RasterizeReference(c.curves, view, 48, 48, c.rule);
        double sum = 0;
        for (float value : image) sum += value;
        EXPECT_NEAR(sum, c.area, c.area * 0.002 + 0.5);
    }
    // A pixel half covered by a vertical edge through its middle.
    const double shift[6] = {1, 0, 0.5, 0, 1, 0};
    std::vector<float> half = RasterizeReference(MakeSquareOutline(0, 0, 4, 4), shift, 6, 4, ReferenceFillRule::kNonZero);
    EXPECT_FLOAT_EQ(half[0], 0.5F);
    EXPECT_FLOAT_EQ(half[1], 1.0F);
    EXPECT_FLOAT_EQ(half[4], 0.5F);
    EXPECT_FLOAT_EQ(half[5], 0.0F);
}

// The pixel stage of the shader, evaluated on the CPU over plain texels, against the reference.
TEST(VorlPixelStage, MatchesTheReferenceUnderEveryView)
{
    struct Variant
    {
        uint32_t bits;
        float edgeTolerance;
    };
    const Variant variants[] = {{0, 0.25F}, {kShaderOptionLinear, 0.25F}};
    const float white[4] = {1, 1, 1, 1};
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
        for (int32_t bands : {1, 4})
        {
            VorlTestShape shape = BuildVorlTestShape(fixture.curves, fixture.width, fixture.height, bands, bands,
                                                     fixture.evenOdd ? 0x10 : 0);
            for (const VorlTestViewCase &view : MakeVorlTestViews(fixture.width, fixture.height))
            {
                std::vector<float> reference = RasterizeReference(fixture.curves, view.view.pixelFromEm, 64, 64,
                    fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
                double emFromPixel[6];
                view.view.EmFromPixel(emFromPixel);
                for (const Variant &variant : variants)
                {
                    SCOPED_TRACE(fixture.name + " " + view.name + " bands " + std::to_string(bands) + " variant " +
                                 std::to_string(variant.bits));
                    uint32_t bits = variant.bits | (fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0U);
                    std::vector<float> image = Alpha(RenderVorlImage(shape.Textures(), bits, emFromPixel, 64, 64,
                                                                     shape.locationWord, shape.limitWord, shape.banding, white));
                    CoverageComparison c = CompareWithReference(image, reference, view.view, fixture.crossings);
                    EXPECT_LE(c.interiorError, 1.0F / 255.0F);
                    EXPECT_LE(c.edgeError, variant.edgeTolerance);
                    if (fixture.name != "slash") EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.02);
                    else EXPECT_NEAR(c.ink, c.referenceInk, c.referenceInk * 0.1);
                }
            }
        }
}

// At small sizes the super-sampled variant comes closer to the reference than the plain one.
TEST(VorlPixelStage, SuperSamplingAtSmallSizes)
{
    const float white[4] = {1, 1, 1, 1};
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
        for (double scale : {6.0, 10.0})
        {
            SCOPED_TRACE(fixture.name + " at " + std::to_string(scale));
            VorlTestShape shape = BuildVorlTestShape(fixture.curves, fixture.width, fixture.height, 2, 2, fixture.evenOdd ? 0x10 : 0);
            VorlTestView view = MakeVorlTestView(fixture.width, fixture.height, scale);
            std::vector<float> reference = RasterizeReference(fixture.curves, view.pixelFromEm, 64, 64,
                fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
            double emFromPixel[6];
            view.EmFromPixel(emFromPixel);
            uint32_t evenOdd = fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0U;
            CoverageComparison plain = CompareWithReference(Alpha(RenderVorlImage(shape.Textures(), evenOdd, emFromPixel, 64, 64,
                shape.locationWord, shape.limitWord, shape.banding, white)), reference, view, fixture.crossings);
            CoverageComparison super = CompareWithReference(Alpha(RenderVorlImage(shape.Textures(), evenOdd | kShaderOptionSuper,
                emFromPixel, 64, 64, shape.locationWord, shape.limitWord, shape.banding, white)), reference, view, fixture.crossings);
            EXPECT_LE(plain.interiorError, 1.0F / 255.0F);
            EXPECT_LE(super.interiorError, 1.0F / 255.0F);
            EXPECT_LE(super.edgeError, 0.1F);
            EXPECT_LE(super.edgeError, plain.edgeError + 0.01F);
        }
}

}   // namespace
}   // namespace oq::test
