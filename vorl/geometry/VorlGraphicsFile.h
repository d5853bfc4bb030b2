#pragma once

#include <cstddef>
#include <cstdint>

namespace oq {

// The records of a Vorl graphics file (kind "alb") as the shape and icon writers read them.

// Follows the file's VorlFileHeader (file offset 80); its offsets count from its own start.
struct VorlGraphicsHeader
{
    int32_t shapeCount;
    int32_t shapeRecordOffset;   // VorlShapeRecord array (112 in compiled files)
    int32_t iconCount;
    int32_t iconRecordOffset;    // VorlIconRecord array
    int32_t meshVertexOffset;    // VorlMeshVertex array, 0 when there is none
    int32_t meshTriangleOffset;  // mesh triangles (three uint16 each), 0 when there are none
    uint32_t reserved[9];
};

// Shape record flags.
inline constexpr uint16_t kShapeAllStraight = 1;
inline constexpr uint16_t kShapeLayered = 2;
inline constexpr uint16_t kShapeEvenOdd = 4;

// A filled shape compiled like a glyph; the first 64 bytes are laid out as in a VorlGlyphRecord.
struct VorlShapeRecord
{
    float box[4];             // min x, min y, max x, max y in shape units (y up)
    uint16_t bandColumn;      // band data location
    uint16_t bandRow;
    uint16_t bandCountX;      // 1 to 32
    uint16_t bandCountY;
    float bandScale[2];       // band counts over the box width and height
    uint16_t reserved0;
    uint16_t polygonWord;     // bounding polygon: vertex count | pattern << 8, 0 for none
    uint32_t reserved1;
    uint16_t polygon[6][2];   // half-float vertices
    uint16_t flags;           // kShapeAllStraight, kShapeLayered, kShapeEvenOdd
    uint16_t gradientType;    // 0 none, 1 linear, 2 radial
    uint16_t layerColumn;     // layer header location, 0 without one
    uint16_t layerRow;
    uint32_t reserved2[6];
};

// An icon: a stack of layers that place shapes or meshes.
struct VorlIconRecord
{
    uint32_t flags;
    float range[4];           // the drawing the icon was compiled from
    float bounds[4];
    int32_t layerCount;
    int32_t layerOffset;      // first VorlIconLayer, from the start of this record
    int32_t meshOffset;       // first VorlIconMesh, from the start of this record; 0 without meshes
    uint32_t reserved[4];
};

// One layer of an icon: a shape with a colour, or a mesh, under a 2x2 transform and an offset.
struct VorlIconLayer
{
    int32_t shape;            // shape index (>= 0), or ~mesh number (< 0) of this icon's meshes
    uint8_t color[4];         // sRGB R, G, B; alpha linear (shape layers only)
    float matrix[4];          // m00, m10, m01, m11 (column by column)
    float offset[2];          // icon units, y up
};

// A prebuilt triangle mesh: ranges of the file's vertex and triangle arrays.
struct VorlIconMesh
{
    int32_t firstVertex;
    int32_t vertexCount;
    int32_t firstTriangle;
    int32_t triangleCount;
};

// A prebuilt vertex in icon units.
struct VorlMeshVertex
{
    float position[2];
    float normal[2];
    float texcoord[2];
    uint32_t bandLocation;
    uint32_t bandLimits;
    float jacobianScale;      // the inverse Jacobian was this times the identity
    uint8_t color[4];         // linear R, G, B, A
};

// Mesh triangle: three vertex numbers of the file's whole vertex array.
struct VorlMeshTriangle
{
    uint16_t index[3];
};

static_assert(sizeof(VorlGraphicsHeader) == 60);
static_assert(sizeof(VorlShapeRecord) == 96);
static_assert(offsetof(VorlShapeRecord, polygonWord) == 34 && offsetof(VorlShapeRecord, polygon) == 40);
static_assert(offsetof(VorlShapeRecord, flags) == 64 && offsetof(VorlShapeRecord, layerColumn) == 68);
static_assert(sizeof(VorlIconRecord) == 64);
static_assert(offsetof(VorlIconRecord, layerCount) == 36 && offsetof(VorlIconRecord, meshOffset) == 44);
static_assert(sizeof(VorlIconLayer) == 32 && offsetof(VorlIconLayer, matrix) == 8);
static_assert(sizeof(VorlIconMesh) == 16);
static_assert(sizeof(VorlMeshVertex) == 40 && offsetof(VorlMeshVertex, jacobianScale) == 32);
static_assert(sizeof(VorlMeshTriangle) == 6);

// The file offset of the graphics header.
inline constexpr size_t kVorlGraphicsHeaderOffset = 80;

}  // namespace oq
