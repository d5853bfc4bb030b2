// Vorl graphics file images: the validator, then the shape and icon writers on the images it
// accepts, into memory of exactly the counted sizes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/Memory.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeGeometry.h"
#include "vorl/geometry/VorlGraphicsValidator.h"

namespace {

// Writes through the counted sizes only; false when the writer moved its cursors elsewhere.
template <typename Write> bool WriteCounted(int32_t vertices, int32_t triangles, int32_t variant, Write write)
{
    size_t vertexSize = (variant & 2) ? sizeof(oq::AttribStructFloat) : sizeof(oq::AttribStruct);
    size_t triangleSize = (variant & 1) ? sizeof(oq::VorlTriangle32) : sizeof(oq::VorlTriangle);
    uint8_t *vertexData = static_cast<uint8_t *>(oq::MemoryAllocate(size_t(vertices) * vertexSize + 1));
    uint8_t *triangleData = static_cast<uint8_t *>(oq::MemoryAllocate(size_t(triangles) * triangleSize + 1));
    oq::GeometryBuffer geometry = {vertexData, triangleData, 0, (variant & 2) ? 1 : 0, (variant & 1) ? 1 : 0};
    write(&geometry);
    bool exact = static_cast<uint8_t *>(geometry.vertexData) - vertexData == ptrdiff_t(size_t(vertices) * vertexSize) &&
                 static_cast<uint8_t *>(geometry.triangleData) - triangleData ==
                     ptrdiff_t(size_t(triangles) * triangleSize);
    oq::MemoryRelease(vertexData);
    oq::MemoryRelease(triangleData);
    return exact;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // An exact-size, aligned copy, so that any read past the image is caught.
    void *image = oq::MemoryAllocate(size != 0 ? size : 1);
    if (size != 0) std::memcpy(image, data, size);
    if (oq::ValidateVorlGraphicsFile(image, size))
    {
        const auto *header =
            reinterpret_cast<const oq::VorlGraphicsHeader *>(static_cast<const uint8_t *>(image) + 80);
        const auto *shapes = reinterpret_cast<const oq::VorlShapeRecord *>(reinterpret_cast<const uint8_t *>(header) +
                                                                           header->shapeRecordOffset);
        const uint32_t types[] = {'QUAD', 'RECT', 'POLY', 0};
        oq::TextPaint paint = {};
        paint.color = {1, 1, 1, 1};
        float position[2] = {1, 2};
        float scale[2] = {3, -2};
        oq::Matrix2D transform(2, 1, 0, 1);
        for (int32_t s = 0; s < header->shapeCount && s < 256; ++s)
        {
            for (uint32_t type : types)
            {
                int32_t vertices, triangles;
                oq::CountGlyphGeometry(&shapes[s], type, &vertices, &triangles);
                if (!WriteCounted(vertices, triangles, s & 3, [&](oq::GeometryBuffer *geometry) {
                        oq::WriteShapeGeometry(&shapes[s], position, transform, &paint, s & 1, type, geometry);
                    }))
                    std::abort();
            }
        }
        for (int32_t i = 0; i < header->iconCount && i < 256; ++i)
        {
            for (uint32_t type : types)
            {
                int32_t vertices, triangles;
                oq::CountIconGeometry(header, i, type, &vertices, &triangles);
                if (vertices > (1 << 20) || triangles > (1 << 20)) continue;
                if (!WriteCounted(vertices, triangles, 1 + 2 * (i & 1), [&](oq::GeometryBuffer *geometry) {
                        oq::BuildIconGeometry(header, i, position, scale, type, geometry);
                    }))
                    std::abort();
            }
        }
    }
    oq::MemoryRelease(image);
    return 0;
}
