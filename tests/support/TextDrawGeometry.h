#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/TextRunStorage.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/text/TextLayoutState.h"

namespace oq::test {

// The vertices and triangle indices (three a triangle) the run builder gives a text.
struct TextDrawGeometry
{
    std::vector<AttribStruct> vertices;
    std::vector<uint16_t> triangles;
};

// Counts and builds the text at the pen with the font's fonts; the text must be drawn by the
// first font, whose count must fit 64 vertices and 64 triangles, and the build must write vertices
// (test failures otherwise). The counts and buffers are one per font of the file.
inline void BuildTextDrawGeometry(const LoadedVorlFont &font, const TextLayoutState &state, const char *text,
                                  int32_t length, const float *pen, TextDrawGeometry *out)
{
    const int32_t capacity = 64;
    ASSERT_GT(font.Count(), 0);
    std::vector<int32_t> vertexCounts(size_t(font.Count()), 0), triangleCounts(size_t(font.Count()), 0);
    TextRunStorage storage;
    CountTextGeometry(font.Count(), font.fonts.data(), nullptr, &state, text, length, vertexCounts.data(),
                      triangleCounts.data(), nullptr, &storage.run);
    ASSERT_GT(vertexCounts[0], 0);
    ASSERT_LE(vertexCounts[0], capacity);
    ASSERT_LE(triangleCounts[0], capacity);
    for (int32_t f = 1; f < font.Count(); ++f) ASSERT_EQ(vertexCounts[size_t(f)], 0) << "font " << f;
    std::vector<AttribStruct> vertices(capacity);
    std::vector<VorlTriangle> triangles(capacity);
    std::vector<GeometryBuffer> buffers(size_t(font.Count()), GeometryBuffer{nullptr, nullptr, 0, 0, 0});
    buffers[0] = {vertices.data(), triangles.data(), 0, 0, 0};
    GeometryBuffer &buffer = buffers[0];
    Box2D bounds;
    float endPen[2];
    BuildTextGeometry(font.Count(), font.fonts.data(), nullptr, &state, text, length, pen, buffers.data(), &bounds, endPen,
                      nullptr, &storage.run);
    const int32_t built = int32_t(static_cast<AttribStruct *>(buffer.vertexData) - vertices.data());
    const int32_t builtTriangles = int32_t(static_cast<VorlTriangle *>(buffer.triangleData) - triangles.data());
    ASSERT_GT(built, 0);
    out->vertices.assign(vertices.begin(), vertices.begin() + built);
    out->triangles.clear();
    for (int32_t t = 0; t < builtTriangles; ++t)
        out->triangles.insert(out->triangles.end(), triangles[size_t(t)].index, triangles[size_t(t)].index + 3);
}

}  // namespace oq::test
