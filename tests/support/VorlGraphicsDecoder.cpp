#include "support/VorlGraphicsDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Compression.h"
#include "base/Half.h"

namespace oq::test {

namespace {

template <typename T> bool ReadAt(const uint8_t *bytes, size_t size, uint64_t offset, T *out)
{
    if (offset > size || sizeof(T) > size - offset) return false;
    std::memcpy(out, bytes + offset, sizeof(T));
    return true;
}

bool ReadTexture(const uint8_t *bytes, size_t size, const TextureDescriptor &d, uint32_t texelSize,
                 std::vector<uint8_t> *out)
{
    uint64_t expanded = uint64_t(d.width) * d.height * texelSize;
    if (expanded > (uint64_t(1) << 31)) return false;
    out->assign(size_t(expanded), 0);
    if (d.compression != 0)
    {
        if (d.dataOffset > size || d.compressedSize > size - d.dataOffset) return false;
        return DecompressData(bytes + d.dataOffset, d.compressedSize, out->data(), uint32_t(expanded));
    }
    if (d.dataOffset > size || expanded > size - d.dataOffset) return false;
    std::memcpy(out->data(), bytes + d.dataOffset, size_t(expanded));
    return true;
}

// Winding number of the flattened quadratic (p0, p1, p2) for a ray from (x, y) towards +x.
int32_t CurveWinding(const double p[6], double x, double y)
{
    const int kSegments = 32;
    int32_t winding = 0;
    double ax = p[0];
    double ay = p[1];
    for (int k = 1; k <= kSegments; ++k)
    {
        double t = double(k) / kSegments;
        double u = 1.0 - t;
        double bx = u * u * p[0] + 2.0 * u * t * p[2] + t * t * p[4];
        double by = u * u * p[1] + 2.0 * u * t * p[3] + t * t * p[5];
        if ((ay <= y) != (by <= y))
        {
            double cx = ax + (y - ay) * (bx - ax) / (by - ay);
            if (cx > x) winding += (by > ay) ? 1 : -1;
        }
        ax = bx;
        ay = by;
    }
    return winding;
}

}   // namespace

bool VorlGraphicsDecoder::Load(const uint8_t *bytes, size_t size)
{
    if (!ReadAt(bytes, size, 0, &file) || !ReadAt(bytes, size, 80, &header)) return false;
    if (header.shapeCount < 0 || header.iconCount < 0) return false;
    shapes.resize(size_t(header.shapeCount));
    for (int32_t s = 0; s < header.shapeCount; ++s)
    {
        if (!ReadAt(bytes, size, 80 + uint64_t(header.shapeRecordOffset) + 96 * uint64_t(s), &shapes[size_t(s)])) return false;
    }
    icons.resize(size_t(header.iconCount));
    items.assign(size_t(header.iconCount), {});
    meshes.assign(size_t(header.iconCount), {});
    int32_t vertexEnd = 0;
    int32_t triangleEnd = 0;
    for (int32_t i = 0; i < header.iconCount; ++i)
    {
        uint64_t at = 80 + uint64_t(header.iconRecordOffset) + 64 * uint64_t(i);
        VorlIconRecord &icon = icons[size_t(i)];
        if (!ReadAt(bytes, size, at, &icon) || icon.layerCount < 0) return false;
        for (int32_t k = 0; k < icon.layerCount; ++k)
        {
            VorlIconLayer layer;
            if (!ReadAt(bytes, size, at + uint64_t(icon.layerOffset) + 32 * uint64_t(k), &layer)) return false;
            items[size_t(i)].push_back(layer);
            if (layer.shape >= 0) continue;
            int32_t m = ~layer.shape;
            if (icon.meshOffset == 0) return false;
            while (int32_t(meshes[size_t(i)].size()) <= m)
            {
                VorlIconMesh mesh;
                uint64_t meshAt = at + uint64_t(icon.meshOffset) + 16 * uint64_t(meshes[size_t(i)].size());
                if (!ReadAt(bytes, size, meshAt, &mesh)) return false;
                meshes[size_t(i)].push_back(mesh);
                vertexEnd = std::max(vertexEnd, mesh.firstVertex + mesh.vertexCount);
                triangleEnd = std::max(triangleEnd, mesh.firstTriangle + mesh.triangleCount);
            }
        }
    }
    vertices.resize(size_t(vertexEnd));
    triangles.resize(size_t(triangleEnd));
    for (int32_t v = 0; v < vertexEnd; ++v)
    {
        if (!ReadAt(bytes, size, 80 + uint64_t(header.meshVertexOffset) + 40 * uint64_t(v), &vertices[size_t(v)])) return false;
    }
    for (int32_t t = 0; t < triangleEnd; ++t)
    {
        if (!ReadAt(bytes, size, 80 + uint64_t(header.meshTriangleOffset) + 6 * uint64_t(t), &triangles[size_t(t)])) return false;
    }
    uint32_t curveSize = file.curveTexture.format == kTexelFormatFloat4 ? 16 : 8;
    return ReadTexture(bytes, size, file.curveTexture, curveSize, &curveTexels) &&
           ReadTexture(bytes, size, file.bandTexture, 4, &bandTexels);
}

const VorlIconLayer &VorlGraphicsDecoder::Item(int32_t icon, int32_t item) const
{
    return items[size_t(icon)][size_t(item)];
}

void VorlGraphicsDecoder::CurveTexel(int32_t column, int32_t row, double out[4]) const
{
    std::fill(out, out + 4, 0.0);
    if (column < 0 || row < 0 || uint32_t(column) >= file.curveTexture.width || uint32_t(row) >= file.curveTexture.height)
        return;
    size_t index = size_t(row) * file.curveTexture.width + size_t(column);
    if (file.curveTexture.format == kTexelFormatFloat4)
    {
        float v[4];
        std::memcpy(v, curveTexels.data() + index * 16, 16);
        for (int k = 0; k < 4; ++k) out[k] = v[k];
    }
    else
    {
        uint16_t h[4];
        std::memcpy(h, curveTexels.data() + index * 8, 8);
        for (int k = 0; k < 4; ++k) out[k] = HalfToFloat(&h[k]);
    }
}

uint32_t VorlGraphicsDecoder::BandTexel(int32_t column, int32_t row) const
{
    // Offsets from a location carry into the next rows of the 4096-texel-wide texture.
    row += column >> 12;
    column &= 4095;
    if (uint32_t(column) >= file.bandTexture.width || row < 0 || uint32_t(row) >= file.bandTexture.height) return 0;
    uint32_t texel;
    std::memcpy(&texel, bandTexels.data() + (size_t(row) * file.bandTexture.width + size_t(column)) * 4, 4);
    return texel;
}

int32_t VorlGraphicsDecoder::LayerCount(int32_t shape) const
{
    const VorlShapeRecord &s = Shape(shape);
    if ((s.flags & kShapeLayered) == 0) return 1;
    return int32_t(BandTexel(s.layerColumn, s.layerRow) & 0xFFFF);
}

void VorlGraphicsDecoder::LayerColor(int32_t shape, int32_t layer, uint8_t rgb[3]) const
{
    const VorlShapeRecord &s = Shape(shape);
    rgb[0] = rgb[1] = rgb[2] = 0;
    if ((s.flags & kShapeLayered) == 0) return;
    uint32_t texel = BandTexel(s.layerColumn + 2 + 2 * layer, s.layerRow);
    rgb[0] = uint8_t(texel);
    rgb[1] = uint8_t(texel >> 8);
    rgb[2] = uint8_t(texel >> 16);
}

bool VorlGraphicsDecoder::BandInside(const VorlShapeRecord &s, int32_t column, int32_t row, double x, double y) const
{
    if (s.bandCountY == 0) return false;
    int32_t band = int32_t(std::floor((y - s.box[1]) * s.bandScale[1]));
    band = std::clamp(band, 0, int32_t(s.bandCountY) - 1);
    uint32_t head = BandTexel(column + band, row);
    uint32_t count = head & 0xFFFF;
    int32_t list = column + int32_t(head >> 16);
    int32_t listRow = row + (list >> 12);
    list &= 4095;
    int32_t winding = 0;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint32_t entry = BandTexel(list + int32_t(i), listRow);
        double a[4];
        double b[4];
        CurveTexel(int32_t(entry & 0xFFFF), int32_t(entry >> 16), a);
        CurveTexel(int32_t(entry & 0xFFFF) + 1, int32_t(entry >> 16), b);
        double p[6] = {a[0], a[1], a[2], a[3], b[0], b[1]};
        winding += CurveWinding(p, x, y);
    }
    return (s.flags & kShapeEvenOdd) ? (winding & 1) != 0 : winding != 0;
}

bool VorlGraphicsDecoder::ShapeInside(int32_t shape, int32_t layer, double x, double y) const
{
    const VorlShapeRecord &s = Shape(shape);
    if ((s.flags & kShapeLayered) == 0) return BandInside(s, s.bandColumn, s.bandRow, x, y);
    uint32_t location = BandTexel(s.layerColumn + 1 + 2 * layer, s.layerRow);
    return BandInside(s, int32_t(location & 0xFFFF), int32_t(location >> 16), x, y);
}

bool VorlGraphicsDecoder::MeshInside(const VorlIconMesh &mesh, double x, double y) const
{
    for (int32_t t = mesh.firstTriangle; t < mesh.firstTriangle + mesh.triangleCount; ++t)
    {
        const VorlMeshVertex &a = vertices[triangles[size_t(t)].index[0]];
        const VorlMeshVertex &b = vertices[triangles[size_t(t)].index[1]];
        const VorlMeshVertex &c = vertices[triangles[size_t(t)].index[2]];
        double det = (double(b.position[0]) - a.position[0]) * (double(c.position[1]) - a.position[1]) -
                     (double(c.position[0]) - a.position[0]) * (double(b.position[1]) - a.position[1]);
        if (det == 0.0) continue;
        double u = ((x - a.position[0]) * (double(c.position[1]) - a.position[1]) -
                    (double(c.position[0]) - a.position[0]) * (y - a.position[1])) / det;
        double v = ((double(b.position[0]) - a.position[0]) * (y - a.position[1]) -
                    (x - a.position[0]) * (double(b.position[1]) - a.position[1])) / det;
        if (u < 0.0 || v < 0.0 || u + v > 1.0) continue;
        double ex = a.texcoord[0] + u * (double(b.texcoord[0]) - a.texcoord[0]) + v * (double(c.texcoord[0]) - a.texcoord[0]);
        double ey = a.texcoord[1] + u * (double(b.texcoord[1]) - a.texcoord[1]) + v * (double(c.texcoord[1]) - a.texcoord[1]);
        int32_t count = int32_t((a.bandLimits >> 25) & 7);
        if (count == 0)
        {
            ++unnamedPieces;
            continue;
        }
        int32_t column = int32_t(a.bandLocation & 0xFFFF);
        int32_t row = int32_t(a.bandLocation >> 16);
        int32_t winding = 0;
        for (int32_t k = 0; k < count; ++k)
        {
            double p0[4];
            double p2[4];
            CurveTexel(column + k, row, p0);
            CurveTexel(column + k + 1, row, p2);
            double p[6] = {p0[0], p0[1], p0[2], p0[3], p2[0], p2[1]};
            winding += CurveWinding(p, ex, ey);
        }
        if (winding != 0) return true;
    }
    return false;
}

bool VorlGraphicsDecoder::ItemInside(int32_t icon, int32_t item, double x, double y) const
{
    const VorlIconLayer &layer = Item(icon, item);
    // Stored point q maps to offset + M q, M column by column.
    double m00 = layer.matrix[0], m10 = layer.matrix[1], m01 = layer.matrix[2], m11 = layer.matrix[3];
    double det = m00 * m11 - m01 * m10;
    if (det == 0.0) return false;
    double dx = x - layer.offset[0];
    double dy = y - layer.offset[1];
    double qx = (m11 * dx - m01 * dy) / det;
    double qy = (-m10 * dx + m00 * dy) / det;
    if (layer.shape >= 0) return layer.shape < header.shapeCount && ShapeInside(layer.shape, 0, qx, qy);
    const std::vector<VorlIconMesh> &list = meshes[size_t(icon)];
    int32_t m = ~layer.shape;
    return m < int32_t(list.size()) && MeshInside(list[size_t(m)], qx, qy);
}

}   // namespace oq::test
