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

// Counts and builds the text at the pen with the font's fonts; the count must fit 64 vertices and
// 64 triangles and the build must write vertices (test failures otherwise).
inline void BuildTextDrawGeometry(const LoadedVorlFont &font, const TextLayoutState &state, const char *text,
                                  int32_t length, const float *pen, TextDrawGeometry *out)
{
    const int32_t capacity = 64;
    int32_t vertexCount = 0, triangleCount = 0;
    TextRunStorage storage;
    CountTextGeometry(font.Count(), font.fonts.data(), nullptr, &state, text, length, &vertexCount, &triangleCount,
                      nullptr, &storage.run);
    ASSERT_GT(vertexCount, 0);
    ASSERT_LE(vertexCount, capacity);
    ASSERT_LE(triangleCount, capacity);
    std::vector<AttribStruct> vertices(capacity);
    std::vector<VorlTriangle> triangles(capacity);
    GeometryBuffer buffer = {vertices.data(), triangles.data(), 0, 0, 0};
    Box2D bounds;
    float endPen[2];
    BuildTextGeometry(font.Count(), font.fonts.data(), nullptr, &state, text, length, pen, &buffer, &bounds, endPen,
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
