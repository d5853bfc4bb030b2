// Compiled graphics files decoded at their byte offsets and evaluated at pixel centres, against
// cairo drawing the document's own curves.
#include "GraphicsReference.h"
#include "base/Color.h"
#include "support/VorlGraphicsDecoder.h"

namespace oq {
namespace {

using test::CompileKind;
using test::ComposedImage;

constexpr test::DrawingView kView = {0.0, 32.0, 4.0, 128, 128};

// The decoded file composed as the reference is: items (icons) or colour layers (canvas) in order.
ComposedImage ComposeDecoded(const test::VorlGraphicsDecoder &decoder, const AmbrelDocument &document, CompileKind kind)
{
    ComposedImage image{kView.width, kView.height, std::vector<float>(size_t(kView.width * kView.height) * 3, -1.0f)};
    for (int j = 0; j < kView.height; ++j)
    {
        for (int i = 0; i < kView.width; ++i)
        {
            double x;
            double y;
            kView.PixelCentre(i, j, &x, &y);
            float *out = &image.rgb[size_t(j * kView.width + i) * 3];
            if (kind == CompileKind::kIcon)
            {
                for (int32_t k = 0; k < decoder.Icon(0).layerCount; ++k)
                {
                    if (!decoder.ItemInside(0, k, x, y)) continue;
                    const uint8_t *c = decoder.Item(0, k).color;
                    for (int n = 0; n < 3; ++n) out[n] = kSrgbByteToLinear[c[n]];
                }
                continue;
            }
            const CanvasView &v = document.canvasView;
            double u = (x - v.originX) * v.scale;
            double w = (y - v.originY) * v.scale;
            for (int32_t layer = 0; layer < decoder.LayerCount(0); ++layer)
            {
                if (!decoder.ShapeInside(0, layer, u, w)) continue;
                uint8_t c[3];
                decoder.LayerColor(0, layer, c);
                for (int n = 0; n < 3; ++n) out[n] = float(c[n]) / 255.0f;
            }
        }
    }
    return image;
}

TEST(GraphicsRenderTest, DecodedFilesMatchCairo)
{
    struct Case
    {
        const char *name;
        test::CompileOptions options;
    };
    const Case cases[] = {
        {"canvas", {CompileKind::kCanvas}},
        {"canvas compressed", {CompileKind::kCanvas, false, true}},
        {"icon", {CompileKind::kIcon}},
        {"icon float texels compressed", {CompileKind::kIcon, true, true}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        AmbrelDocument document;
        ASSERT_EQ(document.ParseAndResolve(test::kRenderFixture), 0u);
        test::CompiledFile file = test::CompileDocument(&document, c.options);
        ASSERT_EQ(file.result, 0u);
        test::VorlGraphicsDecoder decoder;
        ASSERT_TRUE(decoder.Load(file.Bytes(), file.size));
        ASSERT_EQ(decoder.LayerCount(0), c.options.kind == CompileKind::kCanvas ? 4 : 1);

        std::vector<bool> edge;
        ComposedImage reference = test::ComposeReference(test::DrawReferenceItems(&document, kView, c.options.kind), kView, &edge);
        ComposedImage decoded = ComposeDecoded(decoder, document, c.options.kind);
        EXPECT_EQ(decoder.unnamedPieces, 0);
        std::string report;
        int differing = test::CompareComposed(decoded, reference, edge, 0.02f, &report);
        EXPECT_EQ(differing, 0) << report;
        int compared = int(std::count(edge.begin(), edge.end(), false));
        EXPECT_GT(compared, kView.width * kView.height / 2);
    }
}

}  // namespace
}  // namespace oq
