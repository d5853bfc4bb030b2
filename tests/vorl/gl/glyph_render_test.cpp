#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/TextDrawGeometry.h"
#include "support/TextRunStorage.h"
#include "support/VorlFontBuilder.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestFixtures.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/ShaderSource.h"
#include "vorl/text/TextLayoutState.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;
constexpr float kTextSize = 40;
constexpr float kPen[2] = {12.37F, 52.61F};   // layout x and baseline y (object space is y down)

// Text drawn by the glyph writer through the run builder: the layout moves and scales each
// glyph, flips y into object space, and the draw's matrix flips it back to pixels (a mirrored
// matrix for the vertex stage). Coverage matches the reference of the outline placed the same way.
TEST(GlyphRenderGL, RunGlyphsMatchTheReference)
{
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
    {
        SCOPED_TRACE(fixture.name);
        VorlTestShape shape = BuildVorlTestShape(fixture.curves, fixture.width, fixture.height, 3, 4, fixture.evenOdd ? 0x10 : 0);
        LoadedVorlFont font(MakeFixtureFont(fixture, shape).Build());
        ASSERT_TRUE(font.valid);
        TextLayoutState state;
        ResetTextLayoutState(&state);
        state.size = kTextSize;
        state.fillPaint.color = {1, 1, 1, 1};
        TextDrawGeometry geometry;
        BuildTextDrawGeometry(font, state, "A", 1, kPen, &geometry);
        ASSERT_FALSE(geometry.vertices.empty());

        VorlDrawData data;
        const uint8_t *bytes = reinterpret_cast<const uint8_t *>(geometry.vertices.data());
        data.vertices.assign(bytes, bytes + sizeof(AttribStruct) * geometry.vertices.size());
        data.triangles = geometry.triangles;
        SetShapeTextures(&data, shape);
        SetPixelMatrix(&data, kSize, kSize, true);
        uint32_t variant = fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0U;
        std::vector<float> rgba;
        ASSERT_TRUE(DrawVorlImage(GetVorlProgram(variant), data, kSize, kSize, &rgba, &error)) << error;
        std::vector<float> alpha(size_t(kSize) * kSize);
        for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = std::max(rgba[i * 4 + 3], 0.0F);

        // The outline at the pen: pixel x = pen x + size em x, pixel y = 64 - (baseline - size em y).
        const VorlTestView view = {{kTextSize, 0, kPen[0], 0, kTextSize, kSize - kPen[1]}, kSize, kSize};
        std::vector<float> reference = RasterizeReference(fixture.curves, view.pixelFromEm, kSize, kSize,
            fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
        CoverageComparison r = CompareWithReference(alpha, reference, view, fixture.crossings);
        EXPECT_LE(r.interiorError, 1.0F / 255.0F);
        EXPECT_LE(r.edgeError, 0.25F);
        EXPECT_NEAR(r.ink, r.referenceInk, r.referenceInk * (fixture.name == "slash" ? 0.1 : 0.02));

        // The C++ pixel stage over the vertex's own em mapping agrees on every drawn pixel.
        const AttribStruct &v = geometry.vertices[0];
        double emFromPixel[6] = {v.jacobian[0], -v.jacobian[1], 0, v.jacobian[2], -v.jacobian[3], 0};
        // em = J (object - position) + texcoord with object = (px, 64 - py).
        emFromPixel[2] = v.texcoord[0] + v.jacobian[1] * kSize - (v.jacobian[0] * v.position[0] + v.jacobian[1] * v.position[1]);
        emFromPixel[5] = v.texcoord[1] + v.jacobian[3] * kSize - (v.jacobian[2] * v.position[0] + v.jacobian[3] * v.position[1]);
        const float white[4] = {1, 1, 1, 1};
        std::vector<float> cpu = RenderVorlImage(shape.Textures(), variant, emFromPixel, kSize, kSize, v.bandLocation,
                                                 v.bandLimits, v.banding, white);
        float cpuError = 0;
        for (size_t i = 0; i < alpha.size(); ++i)
            if (rgba[i * 4 + 3] >= 0.0F) cpuError = std::max(cpuError, std::fabs(rgba[i * 4 + 3] - cpu[i * 4 + 3]));
        EXPECT_LE(cpuError, 1.0F / 255.0F);
    }
}

}   // namespace
}   // namespace oq::test
