#include "vorl/geometry/ShapeGeometry.h"

#include "base/Half.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/PolygonTriangulation.h"
#include "vorl/geometry/TextPaintColor.h"

#include <cmath>

namespace oq {

namespace {

constexpr float kMinCornerTerm = 1.0f / 1024.0f;

// Whether the record is drawn through its bounding polygon.
bool IsPolygon(uint32_t polygonWord, uint32_t geometryType)
{
    return geometryType == 'POLY' && (polygonWord & 0xF) != 0 && IsDrawablePolygonWord(polygonWord);
}

}  // namespace

template <int32_t kVariant>
void WriteShapeGeometryVariant(const VorlShapeRecord *record, const float *position, const Matrix2D &transform,
                               const TextPaint *paint, uint32_t flags, uint32_t geometryType,
                               GeometryBuffer *geometry)
{
    using Variant = GeometryVariant<kVariant>;
    using Vertex = typename Variant::Vertex;

    Matrix2D n(transform(0, 0), transform(0, 1), -transform(1, 0), -transform(1, 1));
    float determinant = n.GetDeterminant();
    float sign = determinant < 0.0f ? -1.0f : 1.0f;
    Matrix2D inverse = InvertMatrix2D(n);

    // The vertex set with each vertex's neighbours.
    Point2D q[6];
    int32_t previous[6];
    int32_t next[6];
    int32_t count;
    int32_t written;
    uint32_t base = geometry->vertexIndex;
    uint32_t polygonWord = record->polygonWord;
    if (IsPolygon(polygonWord, geometryType))
    {
        count = int32_t(polygonWord & 0xF);
        for (int32_t i = 0; i < count; ++i)
        {
            q[i] = Point2D(HalfToFloat(&record->polygon[i][0]), HalfToFloat(&record->polygon[i][1]));
            previous[i] = i == 0 ? count - 1 : i - 1;
            next[i] = i == count - 1 ? 0 : i + 1;
        }
        written = count;
        // Without triangle memory, as for the quad, only the vertices are written.
        uint32_t triangles = geometry->triangleData != nullptr ? uint32_t(count - 2) : 0;
        auto *triangle = Variant::Triangles(geometry);
        const uint8_t(*pattern)[3] = kPolygonTriangulationTable[polygonWord >> 8];
        for (uint32_t t = 0; t < triangles; ++t)
            Variant::StoreTriangle(triangle + t, base + pattern[t][0], base + pattern[t][1], base + pattern[t][2]);
        Variant::Advance(geometry, uint32_t(count), triangles, uint32_t(count));
    }
    else
    {
        static const int32_t kPrevious[4] = {2, 0, 3, 1};
        static const int32_t kNext[4] = {1, 3, 0, 2};
        const float *box = record->box;
        q[0] = Point2D(box[0], box[1]);
        q[1] = Point2D(box[2], box[1]);
        q[2] = Point2D(box[0], box[3]);
        q[3] = Point2D(box[2], box[3]);
        count = 4;
        for (int32_t i = 0; i < 4; ++i)
        {
            previous[i] = kPrevious[i];
            next[i] = kNext[i];
        }
        if (geometryType == 'RECT')
        {
            written = 3;
            Variant::Advance(geometry, 3, 0, 0);
        }
        else
        {
            written = 4;
            if (geometry->triangleData != nullptr)
            {
                auto *triangle = Variant::Triangles(geometry);
                Variant::StoreTriangle(triangle, base, base + 1, base + 2);
                Variant::StoreTriangle(triangle + 1, base + 1, base + 3, base + 2);
                Variant::Advance(geometry, 4, 2, 4);
            }
            else
            {
                geometry->vertexData = Variant::Vertices(geometry) + 4;
                geometry->vertexIndex += 4;
            }
        }
    }

    VerticalPaint colors;
    colors.Set(paint, nullptr);
    uint32_t location = (flags & kShapeDrawLayers) != 0
                            ? uint32_t(record->layerColumn) | uint32_t(record->layerRow) << 16
                            : uint32_t(record->bandColumn) | uint32_t(record->bandRow) << 16;
    uint32_t bandLimits = ((uint32_t(record->bandCountX) - 1) & 0xFFFF) | ((uint32_t(record->bandCountY) - 1) & 0xFF) << 16;
    if ((record->flags & kShapeAllStraight) != 0) bandLimits |= 1u << 24;
    if ((record->flags & kShapeEvenOdd) != 0) bandLimits |= 1u << 28;
    bandLimits |= uint32_t(record->gradientType & 7) << 29;
    float bandOffsetX = -record->box[0] * record->bandScale[0];
    float bandOffsetY = -record->box[1] * record->bandScale[1];

    Vertex *vertex = static_cast<Vertex *>(geometry->vertexData) - written;
    for (int32_t i = 0; i < written; ++i, ++vertex)
    {
        Vector2D e1 = n * (q[previous[i]] - q[i]);
        Vector2D e2 = n * (q[i] - q[next[i]]);
        e1 *= InverseSqrt(SquaredMag(e1));
        e2 *= InverseSqrt(SquaredMag(e2));
        Vector2D sum = e1 + e2;
        float d = (1.0f + Dot(e1, e2)) * SquaredMag(sum);
        float f = sign * Sqrt(2.0f / (d > kMinCornerTerm ? d : kMinCornerTerm));
        Point2D p = n * q[i];
        ColorRGBA color = colors.At(q[i].y);
        vertex->position[0] = p.x + position[0];
        vertex->position[1] = p.y + position[1];
        vertex->position[2] = -sum.y * f;
        vertex->position[3] = sum.x * f;
        vertex->texcoord[0] = q[i].x;
        vertex->texcoord[1] = q[i].y;
        vertex->bandLocation = location;
        vertex->bandLimits = bandLimits;
        vertex->jacobian[0] = inverse(0, 0);
        vertex->jacobian[1] = inverse(0, 1);
        vertex->jacobian[2] = inverse(1, 0);
        vertex->jacobian[3] = inverse(1, 1);
        vertex->banding[0] = record->bandScale[0];
        vertex->banding[1] = record->bandScale[1];
        vertex->banding[2] = bandOffsetX;
        vertex->banding[3] = bandOffsetY;
        Variant::StoreColor(vertex, color);
    }
}

template void WriteShapeGeometryVariant<0>(const VorlShapeRecord *, const float *, const Matrix2D &,
                                           const TextPaint *, uint32_t, uint32_t, GeometryBuffer *);
template void WriteShapeGeometryVariant<1>(const VorlShapeRecord *, const float *, const Matrix2D &,
                                           const TextPaint *, uint32_t, uint32_t, GeometryBuffer *);
template void WriteShapeGeometryVariant<2>(const VorlShapeRecord *, const float *, const Matrix2D &,
                                           const TextPaint *, uint32_t, uint32_t, GeometryBuffer *);
template void WriteShapeGeometryVariant<3>(const VorlShapeRecord *, const float *, const Matrix2D &,
                                           const TextPaint *, uint32_t, uint32_t, GeometryBuffer *);

void WriteShapeGeometry(const VorlShapeRecord *record, const float *position, const Matrix2D &transform,
                        const TextPaint *paint, uint32_t flags, uint32_t geometryType, GeometryBuffer *geometry)
{
    kGeometryBuilderTable.writeShapeGeometry[GetGeometryVariant(geometry)](record, position, transform, paint, flags,
                                                                           geometryType, geometry);
}

void CountGlyphGeometry(uint32_t polygonWord, uint32_t geometryType, int32_t *vertexCount, int32_t *triangleCount)
{
    if (IsPolygon(polygonWord, geometryType))
    {
        *vertexCount = int32_t(polygonWord & 0xF);
        *triangleCount = *vertexCount - 2;
    }
    else if (geometryType == 'RECT')
    {
        *vertexCount = 3;
        *triangleCount = 0;
    }
    else
    {
        *vertexCount = 4;
        *triangleCount = 2;
    }
}

void CountGlyphGeometry(const VorlGlyphRecord *record, uint32_t geometryType, int32_t *vertexCount,
                        int32_t *triangleCount)
{
    CountGlyphGeometry(record->polygonWord, geometryType, vertexCount, triangleCount);
}

void CountGlyphGeometry(const VorlShapeRecord *record, uint32_t geometryType, int32_t *vertexCount,
                        int32_t *triangleCount)
{
    CountGlyphGeometry(record->polygonWord, geometryType, vertexCount, triangleCount);
}

}  // namespace oq
