#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/Memory.h"
#include "vorl/geometry/GeometryBuffer.h"

namespace oq::test {

// One vertex record read back from any variant: colour as bytes (float colours converted as the
// RGBA8 variants store them) and as floats (bytes / 255 for the RGBA8 variants).
struct CapturedVertex
{
    float position[2];
    float normal[2];
    float texcoord[2];
    uint32_t bandLocation;
    uint32_t bandLimits;
    float jacobian[4];
    float banding[4];
    uint8_t colorBytes[4];
    float color[4];
};

// Vertex and triangle memory of exactly the sizes asked for, in the program's allocator (so the
// sanitizers catch any write past them), and the GeometryBuffer that fills it.
class GeometryCapture
{
public:
    GeometryCapture(int32_t variant, int32_t vertexCount, int32_t triangleCount, uint32_t firstIndex = 0)
        : variant(variant), vertexCapacity(vertexCount), triangleCapacity(triangleCount)
    {
        vertices = static_cast<unsigned char *>(MemoryAllocate(size_t(vertexCount) * VertexSize()));
        triangles = static_cast<unsigned char *>(MemoryAllocate(size_t(triangleCount) * TriangleSize()));
        buffer = {vertices, triangles, firstIndex, (variant & 2) ? 1 : 0, (variant & 1) ? 1 : 0};
        startIndex = firstIndex;
    }
    ~GeometryCapture()
    {
        MemoryRelease(vertices);
        MemoryRelease(triangles);
    }
    GeometryCapture(const GeometryCapture &) = delete;
    GeometryCapture &operator=(const GeometryCapture &) = delete;

    size_t VertexSize() const { return (variant & 2) ? sizeof(AttribStructFloat) : sizeof(AttribStruct); }
    size_t TriangleSize() const { return (variant & 1) ? sizeof(VorlTriangle32) : sizeof(VorlTriangle); }

    // Records written so far (how far the cursors moved).
    int32_t VertexCount() const
    {
        return int32_t((static_cast<unsigned char *>(buffer.vertexData) - vertices) / ptrdiff_t(VertexSize()));
    }
    int32_t TriangleCount() const
    {
        return int32_t((static_cast<unsigned char *>(buffer.triangleData) - triangles) / ptrdiff_t(TriangleSize()));
    }
    // Whether the cursors stayed within the memory and on record boundaries.
    bool CursorsInside() const
    {
        ptrdiff_t v = static_cast<unsigned char *>(buffer.vertexData) - vertices;
        ptrdiff_t t = static_cast<unsigned char *>(buffer.triangleData) - triangles;
        return v >= 0 && t >= 0 && v % ptrdiff_t(VertexSize()) == 0 && t % ptrdiff_t(TriangleSize()) == 0 &&
               VertexCount() <= vertexCapacity && TriangleCount() <= triangleCapacity;
    }

    CapturedVertex Vertex(int32_t i) const
    {
        CapturedVertex v;
        const unsigned char *record = vertices + size_t(i) * VertexSize();
        std::memcpy(v.position, record, 8);
        std::memcpy(v.normal, record + 8, 8);
        std::memcpy(v.texcoord, record + 16, 8);
        std::memcpy(&v.bandLocation, record + 24, 4);
        std::memcpy(&v.bandLimits, record + 28, 4);
        std::memcpy(v.jacobian, record + 32, 16);
        std::memcpy(v.banding, record + 48, 16);
        if (variant & 2)
        {
            std::memcpy(v.color, record + 64, 16);
            for (int k = 0; k < 4; ++k) v.colorBytes[k] = ColorComponentToByte(v.color[k]);
        }
        else
        {
            std::memcpy(v.colorBytes, record + 64, 4);
            for (int k = 0; k < 4; ++k) v.color[k] = float(v.colorBytes[k]) / 255.0F;
        }
        return v;
    }

    std::array<uint32_t, 3> Triangle(int32_t i) const
    {
        std::array<uint32_t, 3> t;
        const unsigned char *record = triangles + size_t(i) * TriangleSize();
        for (int k = 0; k < 3; ++k)
        {
            if (variant & 1)
            {
                std::memcpy(&t[k], record + 4 * k, 4);
            }
            else
            {
                uint16_t index;
                std::memcpy(&index, record + 2 * k, 2);
                t[k] = index;
            }
        }
        return t;
    }

    int32_t variant;
    int32_t vertexCapacity;
    int32_t triangleCapacity;
    uint32_t startIndex;
    unsigned char *vertices;
    unsigned char *triangles;
    GeometryBuffer buffer;
};

}  // namespace oq::test
