#pragma once

#include "base/Half.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/StrokeOffsets.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>
#include <cstring>

namespace oq {

// The em space of one stroked piece, shared by its join and caps: em(q) = q * scale + offset.
struct StrokeEm
{
    float scale;
    Vector2D offset;

    Point2D operator()(const Point2D &q) const { return Point2D(q.x * scale + offset.x, q.y * scale + offset.y); }
};

// One vertex of a stroke polygon before it is stored.
struct StrokeVertex
{
    Point2D position;
    Vector2D normal;
};

inline Vector2D StrokeLeftNormal(const Vector2D &v)
{
    return Vector2D(-v.y, v.x);
}

// The stores of one of the eight stroke variants: bit 2 float32 texels, bit 1 float colour,
// bit 0 32-bit indices.
template <int32_t kVariant> struct StrokeWriter
{
    static constexpr bool kFloatTexels = (kVariant & 4) != 0;
    using Geometry = GeometryVariant<kVariant & 3>;
    using Vertex = typename Geometry::Vertex;
    using Triangle = typename Geometry::Triangle;
    static constexpr int32_t kTexelSize = kFloatTexels ? 16 : 8;

    static uint8_t *TexelAddress(const TexelBuffer *texels, int32_t x, int32_t y)
    {
        return static_cast<uint8_t *>(texels->texels) + (int64_t(y) * texels->width + x) * kTexelSize;
    }

    // Places a block of count texels on one row: when the rest of the row is too short it is zeroed
    // (stored rows only) and the block goes to column 0 of the next row. Returns the location word;
    // x and y receive the block's texel position.
    static uint32_t ReserveBlock(TexelBuffer *texels, int32_t count, int32_t *x, int32_t *y)
    {
        if (texels->cursorX + count > texels->width)
        {
            if (texels->texels != nullptr && texels->cursorY >= 0 && texels->cursorY < texels->height &&
                texels->cursorX >= 0 && texels->cursorX < texels->width)
            {
                std::memset(TexelAddress(texels, texels->cursorX, texels->cursorY), 0,
                            size_t(texels->width - texels->cursorX) * kTexelSize);
            }
            texels->cursorX = 0;
            texels->cursorY += 1;
        }
        *x = texels->cursorX;
        *y = texels->cursorY;
        texels->cursorX += count;
        return uint32_t(*x) | uint32_t(*y) << 16;
    }

    // Stores the contour points p0 .. p(2n) of an n-curve block, two to a texel, and the closing
    // (0, 0). A block on a row at or past the height, or wider than a row, is not stored.
    static void StoreBlock(const TexelBuffer *texels, int32_t x, int32_t y, const Point2D *points, int32_t curveCount,
                           const StrokeEm &em)
    {
        if (texels->texels == nullptr || y < 0 || y >= texels->height || x < 0 || x + curveCount + 1 > texels->width)
            return;
        uint8_t *texel = TexelAddress(texels, x, y);
        for (int32_t k = 0; k <= curveCount; ++k)
        {
            Point2D a = em(points[2 * k]);
            Point2D b = k < curveCount ? em(points[2 * k + 1]) : Point2D(0.0f, 0.0f);
            StoreTexel(texel, a.x, a.y, b.x, b.y);
            texel += kTexelSize;
        }
    }

    static void StoreTexel(uint8_t *texel, float a, float b, float c, float d)
    {
        if constexpr (kFloatTexels)
        {
            float values[4] = {a, b, c, d};
            std::memcpy(texel, values, sizeof(values));
        }
        else
        {
            uint16_t values[4];
            FloatToHalf(&values[0], a);
            FloatToHalf(&values[1], b);
            FloatToHalf(&values[2], c);
            FloatToHalf(&values[3], d);
            std::memcpy(texel, values, sizeof(values));
        }
    }

    static void StoreVertices(Vertex *vertex, const StrokeVertex *vertices, int32_t count, const StrokeEm &em,
                              uint32_t location, uint32_t bandLimits, const ColorRGBA &color)
    {
        for (int32_t i = 0; i < count; ++i, ++vertex)
        {
            const StrokeVertex &v = vertices[i];
            Point2D e = em(v.position);
            vertex->position[0] = v.position.x;
            vertex->position[1] = v.position.y;
            vertex->position[2] = v.normal.x;
            vertex->position[3] = v.normal.y;
            vertex->texcoord[0] = e.x;
            vertex->texcoord[1] = e.y;
            vertex->bandLocation = location;
            vertex->bandLimits = bandLimits;
            vertex->jacobian[0] = em.scale;
            vertex->jacobian[1] = 0.0f;
            vertex->jacobian[2] = 0.0f;
            vertex->jacobian[3] = em.scale;
            vertex->banding[0] = 0.0f;
            vertex->banding[1] = 0.0f;
            vertex->banding[2] = 0.0f;
            vertex->banding[3] = 0.0f;
            Geometry::StoreColor(vertex, color);
        }
    }

    // Triangles as vertex numbers of the builder's output, added to base.
    static void StoreTriangles(Triangle *triangle, const uint8_t (*triangles)[3], int32_t count, uint32_t base)
    {
        for (int32_t i = 0; i < count; ++i)
            Geometry::StoreTriangle(triangle + i, base + triangles[i][0], base + triangles[i][1], base + triangles[i][2]);
    }

    // Reserves and, when writing, stores one polygon with its triangles.
    static void Emit(GeometryBuffer *geometry, const StrokeVertex *vertices, int32_t vertexCount,
                     const uint8_t (*triangles)[3], int32_t triangleCount, const StrokeEm &em, uint32_t location,
                     uint32_t bandLimits, const ColorRGBA &color, bool write)
    {
        Vertex *vertex = Geometry::Vertices(geometry);
        Triangle *triangle = Geometry::Triangles(geometry);
        uint32_t base = geometry->vertexIndex;
        Geometry::Advance(geometry, uint32_t(vertexCount), uint32_t(triangleCount), uint32_t(vertexCount));
        if (!write) return;
        StoreVertices(vertex, vertices, vertexCount, em, location, bandLimits, color);
        StoreTriangles(triangle, triangles, triangleCount, base);
    }
};

// The band-limit word of a stroke contour of n curves.
constexpr uint32_t StrokeBandLimits(int32_t curveCount)
{
    return uint32_t(curveCount) << 25;
}

}  // namespace oq
