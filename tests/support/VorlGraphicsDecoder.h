#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq::test {

// Reads a Vorl graphics file at the offsets of its layout (independently of the library's
// readers) and decides coverage at single points: shapes by the winding number of the curves of
// the point's horizontal band, read from the band lists and curve texels; stroke meshes by the
// winding number of the piece contour (the curve texels its vertices name) at the em coordinate
// interpolated inside the triangles that hold the point. Curves are flattened into 32 segments.
class VorlGraphicsDecoder
{
public:
    // False when the image cannot be read (a section past its end, textures that do not expand).
    bool Load(const uint8_t *bytes, size_t size);

    const VorlFileHeader &FileHeader() const { return file; }
    const VorlGraphicsHeader &Header() const { return header; }
    // The expanded textures, width x height texels each.
    const std::vector<uint8_t> &CurveTexels() const { return curveTexels; }
    const std::vector<uint8_t> &BandTexels() const { return bandTexels; }
    const VorlIconMesh &Mesh(int32_t icon, int32_t mesh) const { return meshes[size_t(icon)][size_t(mesh)]; }
    const VorlShapeRecord &Shape(int32_t shape) const { return shapes[size_t(shape)]; }
    const VorlIconRecord &Icon(int32_t icon) const { return icons[size_t(icon)]; }
    const VorlIconLayer &Item(int32_t icon, int32_t item) const;

    // A layered shape's layer count and the linear colour bytes of a layer; 1 and black otherwise.
    int32_t LayerCount(int32_t shape) const;
    void LayerColor(int32_t shape, int32_t layer, uint8_t rgb[3]) const;

    // Whether the shape point (shape units) is inside layer (0 for a one-layer shape).
    bool ShapeInside(int32_t shape, int32_t layer, double x, double y) const;

    // Whether the icon point (icon units, y up) is inside the item's shape or mesh.
    bool ItemInside(int32_t icon, int32_t item, double x, double y) const;

    // Counts of stroke triangles met whose vertices name no piece contour (for the caller's check).
    mutable int32_t unnamedPieces = 0;

private:
    void CurveTexel(int32_t column, int32_t row, double out[4]) const;
    uint32_t BandTexel(int32_t column, int32_t row) const;
    bool BandInside(const VorlShapeRecord &shape, int32_t column, int32_t row, double x, double y) const;
    bool MeshInside(const VorlIconMesh &mesh, double x, double y) const;

    VorlFileHeader file{};
    VorlGraphicsHeader header{};
    std::vector<VorlShapeRecord> shapes;
    std::vector<VorlIconRecord> icons;
    std::vector<std::vector<VorlIconLayer>> items;
    std::vector<std::vector<VorlIconMesh>> meshes;
    std::vector<VorlMeshVertex> vertices;
    std::vector<VorlMeshTriangle> triangles;
    std::vector<uint8_t> curveTexels;
    std::vector<uint8_t> bandTexels;
};

}   // namespace oq::test
