// The bounding polygons of every glyph of DejaVu Sans (outlines read with FreeType, in em units)
// against digests of the words and half-float vertices taken before the searches were sped up, so
// that any change to a polygon of a real font shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/GlyphQuadratics.h"
#include "vorl/geometry/BoundingPolygon.h"

namespace oq {
namespace {

// FNV-1a over each glyph's polygon word and six vertex slots (unwritten slots stay 0).
uint64_t PolygonDigest(const std::vector<std::vector<QuadraticBezier2D>> &glyphs, size_t step, int32_t limit,
                       float edgeFactor)
{
    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](uint16_t value) {
        for (int32_t shift = 0; shift < 16; shift += 8)
            hash = (hash ^ ((value >> shift) & 0xFF)) * 1099511628211ull;
    };
    for (size_t g = 0; g < glyphs.size(); g += step)
    {
        const int32_t count = int32_t(glyphs[g].size());
        const QuadraticBezier2D *list = glyphs[g].data();
        uint16_t vertices[12] = {};
        add(ComputeBoundingPolygon(1, &count, &list, vertices, limit, edgeFactor));
        for (uint16_t v : vertices)
            add(v);
    }
    return hash;
}

TEST(BoundingPolygonGlyphs, EveryGlyphKeepsItsPolygon)
{
    const auto glyphs = test::ReadGlyphQuadratics("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_EQ(glyphs.size(), 6253u);
    // Hexagons take longest: every 8th glyph. The sanitizer build (about 20 times slower) takes
    // every 4th glyph for pentagons and every 32nd for hexagons, with digests of its own.
#if defined(__SANITIZE_ADDRESS__)
    const bool sanitized = true;
#else
    const bool sanitized = false;
#endif
    struct Case
    {
        int32_t limit;
        float edgeFactor;
        size_t step, sanitizedStep;
        uint64_t digest, sanitizedDigest;
    };
    const Case cases[] = {
        {4, 1.0f, 1, 1, 0xb89f4c572e38a3d9ull, 0xb89f4c572e38a3d9ull},
        // A negative price of interior edges: the triangles are searched before the quadrilaterals.
        {4, -1.0f, 1, 1, 0x187b611a8e8495e6ull, 0x187b611a8e8495e6ull},
        {5, 1.0f, 1, 4, 0xa309bb632d043f2dull, 0xb4706be70f5ecc8cull},
        {6, 1.0f, 8, 32, 0xd30c3c4e3fdb4fb3ull, 0xdf5acb0c3958f207ull},
        {6, 0.0f, 8, 32, 0xd92f3da36db29d8eull, 0xb57da7f4b824f2faull},
        {6, 4.0f, 8, 32, 0x9a2083ee7dd2bde9ull, 0x3da3085933c3ad2bull},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << "limit " << c.limit << " edge factor " << c.edgeFactor);
        EXPECT_EQ(PolygonDigest(glyphs, sanitized ? c.sanitizedStep : c.step, c.limit, c.edgeFactor),
                  sanitized ? c.sanitizedDigest : c.digest);
    }
}

}  // namespace
}  // namespace oq
