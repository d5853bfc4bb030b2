#include "vorl/geometry/IconGeometry.h"

#include "base/Color.h"
#include "base/Matrix2D.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/ShapeGeometry.h"

#include <cmath>

namespace oq {

namespace {

const uint8_t *GraphicsBase(const VorlGraphicsHeader *header)
{
    return reinterpret_cast<const uint8_t *>(header);
}

const VorlIconRecord *GetIcon(const VorlGraphicsHeader *header, int32_t icon)
{
    if (icon < 0 || icon >= header->iconCount) return nullptr;
    return reinterpret_cast<const VorlIconRecord *>(GraphicsBase(header) + header->iconRecordOffset) + icon;
}

const VorlIconLayer *GetLayers(const VorlIconRecord *icon)
{
    return reinterpret_cast<const VorlIconLayer *>(reinterpret_cast<const uint8_t *>(icon) + icon->layerOffset);
}

const VorlIconMesh *GetMesh(const VorlIconRecord *icon, int32_t shape)
{
    return reinterpret_cast<const VorlIconMesh *>(reinterpret_cast<const uint8_t *>(icon) + icon->meshOffset) + ~shape;
}

const VorlShapeRecord *GetShape(const VorlGraphicsHeader *header, int32_t shape)
{
    return reinterpret_cast<const VorlShapeRecord *>(GraphicsBase(header) + header->shapeRecordOffset) + shape;
}

}  // namespace

template <int32_t kVariant>
void BuildIconGeometryVariant(const VorlGraphicsHeader *header, int32_t icon, const float *position,
                              const float *scale, uint32_t geometryType, GeometryBuffer *geometry)
{
    using Variant = GeometryVariant<kVariant>;
    using Vertex = typename Variant::Vertex;
    const VorlIconRecord *record = GetIcon(header, icon);
    if (record == nullptr) return;
    const VorlIconLayer *layers = GetLayers(record);
    float sx = scale[0];
    float sy = scale[1];
    for (int32_t l = 0; l < record->layerCount; ++l)
    {
        const VorlIconLayer &layer = layers[l];
        const float *m = layer.matrix;
        Matrix2D transform(sx * m[0], sx * m[2], sy * m[1], sy * m[3]);
        float origin[2] = {sx * layer.offset[0] + position[0], position[1] - sy * layer.offset[1]};
        if (layer.shape >= 0)
        {
            TextPaint paint = {};
            paint.color = {kSrgbByteToLinear[layer.color[0]], kSrgbByteToLinear[layer.color[1]],
                           kSrgbByteToLinear[layer.color[2]], float(layer.color[3]) / 255.0f};
            WriteShapeGeometryVariant<kVariant>(GetShape(header, layer.shape), origin, transform, &paint, 0,
                                                geometryType, geometry);
            continue;
        }

        // A mesh: its vertices under the y-flipped transform, its triangles turned around.
        const VorlIconMesh *mesh = GetMesh(record, layer.shape);
        Matrix2D flipped(transform(0, 0), transform(0, 1), -transform(1, 0), -transform(1, 1));
        Matrix2D inverse = InvertMatrix2D(flipped);
        uint32_t base = geometry->vertexIndex - uint32_t(mesh->firstVertex);
        const VorlMeshVertex *source =
            reinterpret_cast<const VorlMeshVertex *>(GraphicsBase(header) + header->meshVertexOffset) + mesh->firstVertex;
        Vertex *vertex = Variant::Vertices(geometry);
        for (int32_t i = 0; i < mesh->vertexCount; ++i, ++vertex)
        {
            const VorlMeshVertex &v = source[i];
            Point2D p = flipped * Point2D(v.position[0], v.position[1]);
            Vector2D stored(v.normal[0], v.normal[1]);
            Vector2D normal = flipped * stored;
            // A zero normal, or one a singular transform flattens, keeps the vertex fixed.
            float length = SquaredMag(normal);
            normal = length >= FloatMinNormal && std::isfinite(length)
                         ? normal * (InverseSqrt(length) * Sqrt(SquaredMag(stored)))
                         : Vector2D(0.0f, 0.0f);
            vertex->position[0] = p.x + origin[0];
            vertex->position[1] = p.y + origin[1];
            vertex->position[2] = normal.x;
            vertex->position[3] = normal.y;
            vertex->texcoord[0] = v.texcoord[0];
            vertex->texcoord[1] = v.texcoord[1];
            vertex->bandLocation = v.bandLocation;
            vertex->bandLimits = v.bandLimits;
            vertex->jacobian[0] = inverse(0, 0) * v.jacobianScale;
            vertex->jacobian[1] = inverse(0, 1) * v.jacobianScale;
            vertex->jacobian[2] = inverse(1, 0) * v.jacobianScale;
            vertex->jacobian[3] = inverse(1, 1) * v.jacobianScale;
            vertex->banding[0] = 0.0f;
            vertex->banding[1] = 0.0f;
            vertex->banding[2] = 0.0f;
            vertex->banding[3] = 0.0f;
            if constexpr (Variant::kFloatColor)
                vertex->color = {float(v.color[0]) / 255.0f, float(v.color[1]) / 255.0f, float(v.color[2]) / 255.0f,
                                 float(v.color[3]) / 255.0f};
            else
                for (int k = 0; k < 4; ++k) vertex->color[k] = v.color[k];
        }
        const VorlMeshTriangle *triangles =
            reinterpret_cast<const VorlMeshTriangle *>(GraphicsBase(header) + header->meshTriangleOffset) +
            mesh->firstTriangle;
        // Without triangle memory only the vertices are written, as for shape layers.
        int32_t triangleCount = geometry->triangleData != nullptr ? mesh->triangleCount : 0;
        auto *triangle = Variant::Triangles(geometry);
        for (int32_t t = 0; t < triangleCount; ++t)
        {
            const uint16_t *index = triangles[t].index;
            Variant::StoreTriangle(triangle + t, index[0] + base, index[2] + base, index[1] + base);
        }
        Variant::Advance(geometry, uint32_t(mesh->vertexCount), uint32_t(triangleCount), uint32_t(mesh->vertexCount));
    }
}

template void BuildIconGeometryVariant<0>(const VorlGraphicsHeader *, int32_t, const float *, const float *, uint32_t,
                                          GeometryBuffer *);
template void BuildIconGeometryVariant<1>(const VorlGraphicsHeader *, int32_t, const float *, const float *, uint32_t,
                                          GeometryBuffer *);
template void BuildIconGeometryVariant<2>(const VorlGraphicsHeader *, int32_t, const float *, const float *, uint32_t,
                                          GeometryBuffer *);
template void BuildIconGeometryVariant<3>(const VorlGraphicsHeader *, int32_t, const float *, const float *, uint32_t,
                                          GeometryBuffer *);

void BuildIconGeometry(const VorlGraphicsHeader *header, int32_t icon, const float *position, const float *scale,
                       uint32_t geometryType, GeometryBuffer *geometry)
{
    kGeometryBuilderTable.buildIconGeometry[GetGeometryVariant(geometry)](header, icon, position, scale, geometryType,
                                                                          geometry);
}

void CountIconGeometry(const VorlGraphicsHeader *header, int32_t icon, uint32_t geometryType, int32_t *vertexCount,
                       int32_t *triangleCount)
{
    *vertexCount = 0;
    *triangleCount = 0;
    const VorlIconRecord *record = GetIcon(header, icon);
    if (record == nullptr) return;
    // Many layers may draw one large mesh: the sums saturate instead of overflowing.
    int64_t vertexSum = 0;
    int64_t triangleSum = 0;
    const VorlIconLayer *layers = GetLayers(record);
    for (int32_t l = 0; l < record->layerCount; ++l)
    {
        int32_t vertices, triangles;
        if (layers[l].shape >= 0)
        {
            CountGlyphGeometry(GetShape(header, layers[l].shape), geometryType, &vertices, &triangles);
        }
        else
        {
            const VorlIconMesh *mesh = GetMesh(record, layers[l].shape);
            vertices = mesh->vertexCount;
            triangles = mesh->triangleCount;
        }
        vertexSum += vertices;
        triangleSum += triangles;
    }
    *vertexCount = int32_t(vertexSum < INT32_MAX ? vertexSum : INT32_MAX);
    *triangleCount = int32_t(triangleSum < INT32_MAX ? triangleSum : INT32_MAX);
}

}  // namespace oq
