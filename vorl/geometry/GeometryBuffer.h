#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "base/Color.h"
#include "base/ScalarMath.h"

namespace oq {

// Where a builder appends vertices and triangles; the caller sizes the memory with the family's
// count and fills the record before the first builder call.
struct GeometryBuffer
{
    void *vertexData;           // the next vertex record
    void *triangleData;         // the next triangle
    uint32_t vertexIndex;       // index of the next vertex in the caller's vertex buffer
    int32_t colorFormat;        // 1 = float colour (80-byte vertices), else RGBA8 (68 bytes)
    int32_t indexFormat;        // 1 = 32-bit indices, else 16-bit
};

// The vertex the Vorl vertex shader reads, with RGBA8 colour (68 bytes).
struct AttribStruct
{
    float position[4];          // x, y in object space; dilation normal
    float texcoord[2];          // em coordinate relative to the curve origin
    uint32_t bandLocation;      // band data: column | row << 16
    uint32_t bandLimits;        // bands x - 1 | bands y - 1 << 16 | shape flags << 24
    float jacobian[4];          // inverse of em -> object, row by row
    float banding[4];           // band scale x, y; band offset x, y
    uint8_t color[4];           // linear R, G, B, A as bytes
};

// The same vertex with float colour (80 bytes).
struct AttribStructFloat
{
    float position[4];
    float texcoord[2];
    uint32_t bandLocation;
    uint32_t bandLimits;
    float jacobian[4];
    float banding[4];
    ColorRGBA color;
};

static_assert(sizeof(AttribStruct) == 68);
static_assert(sizeof(AttribStructFloat) == 80);
static_assert(offsetof(AttribStruct, texcoord) == 16 && offsetof(AttribStruct, bandLocation) == 24);
static_assert(offsetof(AttribStruct, bandLimits) == 28 && offsetof(AttribStruct, jacobian) == 32);
static_assert(offsetof(AttribStruct, banding) == 48 && offsetof(AttribStruct, color) == 64);
static_assert(offsetof(AttribStructFloat, banding) == 48 && offsetof(AttribStructFloat, color) == 64);

// A triangle of 16-bit vertex indices (6 bytes), and of 32-bit indices (12 bytes).
struct VorlTriangle
{
    uint16_t index[3];
};

struct VorlTriangle32
{
    uint32_t index[3];
};

static_assert(sizeof(VorlTriangle) == 6);
static_assert(sizeof(VorlTriangle32) == 12);

// A 16-bit index buffer reaches vertex 65535: a caller whose buffer holds more vertices chooses
// 32-bit indices or starts a new draw.
constexpr uint32_t kMaxVertices16 = 65536;

// The variant of a 4-way builder family: 2 x float colour + 32-bit indices. No buffer gives 0.
inline int32_t GetGeometryVariant(const GeometryBuffer *geometry)
{
    if (geometry == nullptr) return 0;
    return 2 * int32_t(geometry->colorFormat == 1) + int32_t(geometry->indexFormat == 1);
}

// The stroke variant adds 4 for float32 ('FLT4') texels.
inline int32_t GetStrokeVariant(uint32_t texelFormat, const GeometryBuffer *geometry)
{
    return 4 * int32_t(texelFormat == 'FLT4') + GetGeometryVariant(geometry);
}

// A colour component as a vertex byte: clamped to [0, 1] (NaN gives 0), then trunc(c * 255 + 0.5).
inline uint8_t ColorComponentToByte(float component)
{
    return uint8_t(Saturate(component) * 255.0F + 0.5F);
}

// Record types and stores of one variant of a 4-way family (bit 1 float colour, bit 0 32-bit
// indices), so that the per-vertex loops of a builder test no format.
template <int32_t kVariant> struct GeometryVariant
{
    static constexpr bool kFloatColor = (kVariant & 2) != 0;
    static constexpr bool kWideIndex = (kVariant & 1) != 0;
    using Vertex = std::conditional_t<kFloatColor, AttribStructFloat, AttribStruct>;
    using Triangle = std::conditional_t<kWideIndex, VorlTriangle32, VorlTriangle>;

    // A colour in the form the variant stores, so that a colour shared by several vertices is
    // converted once.
    using StoredColor = std::conditional_t<kFloatColor, ColorRGBA, std::array<uint8_t, 4>>;

    static StoredColor PrepareColor(const ColorRGBA &color)
    {
        if constexpr (kFloatColor)
            return color;
        else
            return {ColorComponentToByte(color.red), ColorComponentToByte(color.green),
                    ColorComponentToByte(color.blue), ColorComponentToByte(color.alpha)};
    }

    static void PutColor(Vertex *vertex, const StoredColor &color)
    {
        if constexpr (kFloatColor)
            vertex->color = color;
        else
            std::memcpy(vertex->color, color.data(), 4);
    }

    static void StoreColor(Vertex *vertex, const ColorRGBA &color) { PutColor(vertex, PrepareColor(color)); }

    // 16-bit indices store the low 16 bits: the indices used must stay below kMaxVertices16.
    static void StoreTriangle(Triangle *triangle, uint32_t a, uint32_t b, uint32_t c)
    {
        if constexpr (!kWideIndex) assert(a < kMaxVertices16 && b < kMaxVertices16 && c < kMaxVertices16);
        using Index = std::remove_reference_t<decltype(triangle->index[0])>;
        triangle->index[0] = Index(a);
        triangle->index[1] = Index(b);
        triangle->index[2] = Index(c);
    }

    static Vertex *Vertices(const GeometryBuffer *geometry) { return static_cast<Vertex *>(geometry->vertexData); }
    static Triangle *Triangles(const GeometryBuffer *geometry) { return static_cast<Triangle *>(geometry->triangleData); }

    // Moves the cursors past what a builder wrote.
    static void Advance(GeometryBuffer *geometry, uint32_t vertexCount, uint32_t triangleCount, uint32_t indexCount)
    {
        geometry->vertexData = Vertices(geometry) + vertexCount;
        geometry->triangleData = Triangles(geometry) + triangleCount;
        geometry->vertexIndex += indexCount;
    }
};

}  // namespace oq
