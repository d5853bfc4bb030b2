#include "vorl/geometry/VorlGraphicsValidator.h"

#include <cstdint>
#include <cstring>

#include "base/Memory.h"
#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/PolygonWord.h"
#include "vorl/text/VorlFileHeader.h"
#include "vorl/text/VorlFontValidator.h"

namespace oq {

namespace {

// One bit per 4-byte word of the file, marking the mesh records already checked by position.
class RecordBitmap
{
public:
    explicit RecordBitmap(uint64_t records)
    {
        bytes = size_t(records / 8 + 1);
        bits = static_cast<uint8_t *>(MemoryAllocate(bytes));
        std::memset(bits, 0, bytes);
    }
    ~RecordBitmap() { MemoryRelease(bits); }
    RecordBitmap(const RecordBitmap &) = delete;
    RecordBitmap &operator=(const RecordBitmap &) = delete;

    // Marks the record; true when it was marked already.
    bool TestAndSet(uint64_t record)
    {
        uint8_t mask = uint8_t(1u << (record & 7));
        bool was = (bits[record >> 3] & mask) != 0;
        bits[record >> 3] = uint8_t(bits[record >> 3] | mask);
        return was;
    }

private:
    uint8_t *bits;
    size_t bytes;
};

class VorlGraphicsValidator
{
public:
    VorlGraphicsValidator(const uint8_t *image, uint64_t size) : file(image), fileSize(size), meshes(size / 4) {}

    bool Validate()
    {
        const uint64_t graphics = kVorlGraphicsHeaderOffset;
        if (!Inside(0, graphics + sizeof(VorlGraphicsHeader))) return false;
        std::memcpy(&header, file, sizeof(header));
        if (std::memcmp(header.kind, "alb", 4) != 0) return false;
        if (!IsVorlTextureInFile(header.curveTexture, header.curveTexture.format == kTexelFormatFloat4 ? 16 : 8,
                                 kMaxVorlCurveTextureRows, fileSize) ||
            !IsVorlTextureInFile(header.bandTexture, 4, kMaxVorlBandTextureRows, fileSize))
            return false;
        std::memcpy(&g, file + graphics, sizeof(g));

        if (g.shapeCount < 0 || !Locate(graphics, g.shapeRecordOffset, &shapes) ||
            !Inside(shapes, uint64_t(g.shapeCount) * sizeof(VorlShapeRecord)))
            return false;
        for (int32_t s = 0; s < g.shapeCount; ++s)
        {
            if (!ValidateShape(shapes + uint64_t(s) * sizeof(VorlShapeRecord))) return false;
        }

        if (g.iconCount < 0) return false;
        if (g.iconCount == 0) return true;
        if (!Locate(graphics, g.iconRecordOffset, &icons) || !Inside(icons, uint64_t(g.iconCount) * sizeof(VorlIconRecord)))
            return false;
        if (g.meshVertexOffset != 0)
        {
            if (!Locate(graphics, g.meshVertexOffset, &vertices)) return false;
            vertexCount = (fileSize - vertices) / sizeof(VorlMeshVertex);
        }
        if (g.meshTriangleOffset != 0)
        {
            if (!Locate(graphics, g.meshTriangleOffset, &triangles)) return false;
            triangleCount = (fileSize - triangles) / sizeof(VorlMeshTriangle);
        }
        for (int32_t i = 0; i < g.iconCount; ++i)
        {
            if (!ValidateIcon(icons + uint64_t(i) * sizeof(VorlIconRecord))) return false;
        }
        return true;
    }

private:
    bool Inside(uint64_t offset, uint64_t bytes) const { return offset <= fileSize && bytes <= fileSize - offset; }

    // A signed offset from a base that names 4-byte aligned data inside the file.
    bool Locate(uint64_t base, int64_t offset, uint64_t *position) const
    {
        int64_t at = int64_t(base) + offset;
        if (at < 0 || at % 4 != 0 || uint64_t(at) > fileSize) return false;
        *position = uint64_t(at);
        return true;
    }

    static bool IsRunInRow(const TextureDescriptor &texture, uint32_t column, uint32_t row, uint32_t count)
    {
        return row < texture.height && uint64_t(column) + count <= texture.width;
    }

    bool ValidateShape(uint64_t offset) const
    {
        VorlShapeRecord shape;
        std::memcpy(&shape, file + offset, sizeof(shape));
        if (shape.bandCountX > 32 || shape.bandCountY > 32 || !IsValidPolygonWord(shape.polygonWord)) return false;
        uint32_t bands = uint32_t(shape.bandCountX) + shape.bandCountY;
        if (bands != 0 && !IsRunInRow(header.bandTexture, shape.bandColumn, shape.bandRow, bands)) return false;
        if ((shape.layerColumn != 0 || shape.layerRow != 0) &&
            !IsRunInRow(header.bandTexture, shape.layerColumn, shape.layerRow, 1))
            return false;
        return true;
    }

    bool ValidateIcon(uint64_t offset)
    {
        VorlIconRecord icon;
        std::memcpy(&icon, file + offset, sizeof(icon));
        if (icon.layerCount < 0) return false;
        if (icon.layerCount == 0) return true;
        uint64_t layers;
        uint64_t layerBytes = uint64_t(icon.layerCount) * sizeof(VorlIconLayer);
        // Icons' layer arrays lie apart, so together they fit in the file.
        layerBytesClaimed += layerBytes;
        if (!Locate(offset, icon.layerOffset, &layers) || !Inside(layers, layerBytes) || layerBytesClaimed > fileSize)
            return false;
        for (int32_t l = 0; l < icon.layerCount; ++l)
        {
            VorlIconLayer layer;
            std::memcpy(&layer, file + layers + uint64_t(l) * sizeof(layer), sizeof(layer));
            if (layer.shape >= 0)
            {
                if (layer.shape >= g.shapeCount) return false;
                continue;
            }
            uint64_t meshList;
            if (icon.meshOffset == 0 || !Locate(offset, icon.meshOffset, &meshList)) return false;
            uint64_t mesh = meshList + uint64_t(~layer.shape) * sizeof(VorlIconMesh);
            if (!Inside(mesh, sizeof(VorlIconMesh)) || !ValidateMesh(mesh)) return false;
        }
        return true;
    }

    // A mesh whose vertices and triangles lie in the file's arrays and whose triangles name only
    // its own vertices; each mesh record is checked once, and meshes' triangles lie apart.
    bool ValidateMesh(uint64_t offset)
    {
        if (meshes.TestAndSet(offset / 4)) return true;
        VorlIconMesh mesh;
        std::memcpy(&mesh, file + offset, sizeof(mesh));
        if (mesh.firstVertex < 0 || mesh.vertexCount < 0 || mesh.firstTriangle < 0 || mesh.triangleCount < 0)
            return false;
        uint64_t vertexEnd = uint64_t(mesh.firstVertex) + uint64_t(mesh.vertexCount);
        uint64_t triangleEnd = uint64_t(mesh.firstTriangle) + uint64_t(mesh.triangleCount);
        if ((mesh.vertexCount != 0 && (vertices == 0 || vertexEnd > vertexCount)) ||
            (mesh.triangleCount != 0 && (triangles == 0 || triangleEnd > triangleCount)))
            return false;
        trianglesClaimed += uint64_t(mesh.triangleCount);
        if (trianglesClaimed > triangleCount) return false;
        for (uint64_t t = uint64_t(mesh.firstTriangle); t < triangleEnd; ++t)
        {
            VorlMeshTriangle triangle;
            std::memcpy(&triangle, file + triangles + t * sizeof(triangle), sizeof(triangle));
            for (uint16_t index : triangle.index)
            {
                if (index < uint64_t(mesh.firstVertex) || index >= vertexEnd) return false;
            }
        }
        return true;
    }

    const uint8_t *file;
    uint64_t fileSize;
    VorlFileHeader header;
    VorlGraphicsHeader g;
    uint64_t shapes = 0;
    uint64_t icons = 0;
    uint64_t vertices = 0;
    uint64_t vertexCount = 0;
    uint64_t triangles = 0;
    uint64_t triangleCount = 0;
    uint64_t layerBytesClaimed = 0;
    uint64_t trianglesClaimed = 0;
    RecordBitmap meshes;
};

}  // namespace

bool ValidateVorlGraphicsFile(const void *image, size_t size)
{
    if (image == nullptr || reinterpret_cast<uintptr_t>(image) % 4 != 0) return false;
    VorlGraphicsValidator validator(static_cast<const uint8_t *>(image), size);
    return validator.Validate();
}

}  // namespace oq
