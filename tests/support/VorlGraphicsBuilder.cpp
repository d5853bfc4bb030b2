#include "VorlGraphicsBuilder.h"

#include <algorithm>
#include <cstring>

#include "vorl/text/VorlFileHeader.h"

namespace oq::test {

namespace {

void PadTo(std::vector<uint8_t> &bytes, size_t multiple)
{
    while (bytes.size() % multiple != 0) bytes.push_back(0);
}

template <typename Type> void Append(std::vector<uint8_t> &bytes, const Type &value)
{
    const uint8_t *p = reinterpret_cast<const uint8_t *>(&value);
    bytes.insert(bytes.end(), p, p + sizeof(Type));
}

template <typename Type> void Put(std::vector<uint8_t> &bytes, size_t offset, const Type &value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof(Type));
}

}  // namespace

std::vector<uint32_t> VorlGraphicsBuilder::Build() const
{
    std::vector<uint8_t> bytes(192, 0);
    VorlGraphicsHeader graphics = {};
    graphics.shapeCount = int32_t(shapes.size());
    graphics.shapeRecordOffset = 112;
    for (const VorlShapeRecord &shape : shapes) Append(bytes, shape);
    PadTo(bytes, 64);

    if (!icons.empty())
    {
        graphics.iconCount = int32_t(icons.size());
        size_t iconStart = bytes.size();
        graphics.iconRecordOffset = int32_t(iconStart - kVorlGraphicsHeaderOffset);
        bytes.resize(iconStart + icons.size() * sizeof(VorlIconRecord), 0);
        for (size_t i = 0; i < icons.size(); ++i)
        {
            size_t record = iconStart + i * sizeof(VorlIconRecord);
            VorlIconRecord icon = {};
            icon.layerCount = int32_t(icons[i].layers.size());
            icon.layerOffset = int32_t(bytes.size() - record);
            for (const VorlIconLayer &layer : icons[i].layers) Append(bytes, layer);
            if (!icons[i].meshes.empty())
            {
                icon.meshOffset = int32_t(bytes.size() - record);
                for (const VorlIconMesh &mesh : icons[i].meshes) Append(bytes, mesh);
            }
            Put(bytes, record, icon);
        }
        PadTo(bytes, 64);
        if (!vertices.empty())
        {
            graphics.meshVertexOffset = int32_t(bytes.size() - kVorlGraphicsHeaderOffset);
            for (const VorlMeshVertex &vertex : vertices) Append(bytes, vertex);
            graphics.meshTriangleOffset = int32_t(bytes.size() - kVorlGraphicsHeaderOffset);
            for (const VorlMeshTriangle &triangle : triangles) Append(bytes, triangle);
        }
        PadTo(bytes, 64);
    }

    VorlFileHeader header = {};
    header.magic = kVorlFileMagic;
    header.version = kVorlFileVersion;
    std::memcpy(header.kind, "alb", 4);
    header.count = 1;
    uint32_t curveTexelSize = floatCurveTexels ? 16 : 8;
    header.curveTexture = {floatCurveTexels ? kTexelFormatFloat4 : kTexelFormatHalf4, curveWidth, curveHeight, 0, 0,
                           uint32_t(bytes.size())};
    std::vector<uint8_t> curve(size_t(curveWidth) * curveHeight * curveTexelSize, 0);
    if (!curveTexels.empty()) std::memcpy(curve.data(), curveTexels.data(), std::min(curve.size(), curveTexels.size()));
    bytes.insert(bytes.end(), curve.begin(), curve.end());
    header.bandTexture = {kTexelFormatUint16x2, bandWidth, bandHeight, 0, 0, uint32_t(bytes.size())};
    std::vector<uint8_t> band(size_t(bandWidth) * bandHeight * 4, 0);
    if (!bandTexels.empty()) std::memcpy(band.data(), bandTexels.data(), std::min(band.size(), bandTexels.size()));
    bytes.insert(bytes.end(), band.begin(), band.end());
    PadTo(bytes, 4);

    Put(bytes, 0, header);
    Put(bytes, kVorlGraphicsHeaderOffset, graphics);
    std::vector<uint32_t> image(bytes.size() / 4);
    std::memcpy(image.data(), bytes.data(), bytes.size());
    return image;
}

VorlShapeRecord MakeShapeRecord(float x0, float y0, float x1, float y1, uint16_t bandColumn, uint16_t bandRow)
{
    VorlShapeRecord shape = {};
    shape.box[0] = x0;
    shape.box[1] = y0;
    shape.box[2] = x1;
    shape.box[3] = y1;
    shape.bandColumn = bandColumn;
    shape.bandRow = bandRow;
    shape.bandCountX = 1;
    shape.bandCountY = 1;
    shape.bandScale[0] = 1.0f / (x1 - x0);
    shape.bandScale[1] = 1.0f / (y1 - y0);
    return shape;
}

VorlIconLayer MakeIconLayer(int32_t shape, float offsetX, float offsetY, uint32_t rgba)
{
    VorlIconLayer layer = {};
    layer.shape = shape;
    layer.color[0] = uint8_t(rgba >> 24);
    layer.color[1] = uint8_t(rgba >> 16);
    layer.color[2] = uint8_t(rgba >> 8);
    layer.color[3] = uint8_t(rgba);
    layer.matrix[0] = 1;
    layer.matrix[3] = 1;
    layer.offset[0] = offsetX;
    layer.offset[1] = offsetY;
    return layer;
}

}  // namespace oq::test
