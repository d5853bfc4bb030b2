#pragma once

#include <cstdint>
#include <vector>

#include "vorl/geometry/VorlGraphicsFile.h"

namespace oq::test {

// One icon of a graphics file being built: its layers and the meshes they name (layer shape
// ~m is mesh m of this list).
struct VorlIconDescription
{
    std::vector<VorlIconLayer> layers;
    std::vector<VorlIconMesh> meshes;
};

// Writes Vorl graphics file images (kind "alb") in the layout the graphics compile uses, with
// uncompressed textures whose texels the caller supplies or leaves zero.
class VorlGraphicsBuilder
{
public:
    std::vector<VorlShapeRecord> shapes;
    std::vector<VorlIconDescription> icons;
    std::vector<VorlMeshVertex> vertices;
    std::vector<VorlMeshTriangle> triangles;

    bool floatCurveTexels = false;
    uint32_t curveWidth = 64;
    uint32_t curveHeight = 1;
    std::vector<uint8_t> curveTexels;  // width x height texels; zero when shorter
    uint32_t bandWidth = 64;
    uint32_t bandHeight = 1;
    std::vector<uint8_t> bandTexels;

    // The file image, in a vector whose data are 4-byte aligned.
    std::vector<uint32_t> Build() const;
};

// A shape record over the box with one band each way at the given band location.
VorlShapeRecord MakeShapeRecord(float x0, float y0, float x1, float y1, uint16_t bandColumn = 0, uint16_t bandRow = 0);

// A layer placing a shape (or, with shape = ~m, mesh m) with the identity matrix at an offset.
VorlIconLayer MakeIconLayer(int32_t shape, float offsetX = 0, float offsetY = 0, uint32_t rgba = 0xFFFFFFFF);

}  // namespace oq::test
