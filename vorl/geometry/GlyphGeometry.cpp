#include "vorl/geometry/GlyphGeometry.h"

#include <cmath>

#include "base/Half.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/TextPaintColor.h"

namespace oq {

namespace {

// Squared em distance below which a polygon edge counts as zero length.
constexpr float kShortEdge = 1.0e-6F;
// Floor of the normal's length term: bounds the normal near hairpin turns (about 9.51).
constexpr float kMinNormalTerm = 1.0F / 1024.0F;

// The glyph's polygon, or its quad Q0 = (min x, min y), Q1, Q2, Q3 = (max x, max y) walked
// Q0 -> Q1 -> Q3 -> Q2, with the x and y normal multipliers of each vertex.
struct GlyphPolygon
{
    int32_t count;
    float x[8];
    float y[8];
    int32_t previous[8];
    int32_t next[8];
    float multiplierX[8];
    float multiplierY[8];
};

void MakeGlyphPolygon(const VorlGlyphRecord *glyph, const float *box, uint32_t word, bool polygon, GlyphPolygon *p)
{
    if (polygon)
    {
        int32_t n = int32_t(word & 0xF);
        p->count = n;
        for (int32_t i = 0; i < n; ++i)
        {
            p->x[i] = HalfToFloat(&glyph->polygon[2 * i]);
            p->y[i] = HalfToFloat(&glyph->polygon[2 * i + 1]);
            p->previous[i] = i == 0 ? n - 1 : i - 1;
            p->next[i] = i == n - 1 ? 0 : i + 1;
            p->multiplierX[i] = 1.0F;
            p->multiplierY[i] = 1.0F;
        }
        return;
    }
    static const int32_t kPrevious[4] = {2, 0, 3, 1};
    static const int32_t kNext[4] = {1, 3, 0, 2};
    p->count = 4;
    for (int32_t k = 0; k < 4; ++k)
    {
        p->x[k] = box[(k & 1) ? 2 : 0];
        p->y[k] = box[(k & 2) ? 3 : 1];
        p->previous[k] = kPrevious[k];
        p->next[k] = kNext[k];
        p->multiplierX[k] = (word >> (8 + k)) & 1 ? 0.0F : 1.0F;
        p->multiplierY[k] = (word >> (12 + k)) & 1 ? 0.0F : 1.0F;
    }
}

}  // namespace

template <int32_t kVariant>
void WriteGlyphGeometryVariant(const TextLayoutState *state, const VorlGlyphRecord *glyph, const float *box,
                               uint32_t word, const float *pen, const Matrix2D &matrix, const TextPaint *paint,
                               const uint8_t *layerColor, GeometryBuffer *geometry, Box2D *bounds)
{
    using Variant = GeometryVariant<kVariant>;
    using Vertex = typename Variant::Vertex;

    // A 'RECT' glyph is drawn from Q0, Q1 and Q2 of its quad; a word that is no drawable polygon
    // is drawn as the quad, its pattern bits taken for no clip bits.
    bool rect = state->geometryType == 'RECT';
    bool polygon = !rect && (word & 0xF) != 0 && IsDrawablePolygonWord(word);
    if (!polygon && (word & 0xF) != 0) word = 0;
    GlyphPolygon p;
    MakeGlyphPolygon(glyph, box, word, polygon, &p);
    int32_t written = rect ? 3 : p.count;

    float sx = state->outputScale[0];
    float sy = state->outputScale[1];
    Matrix2D n(sx * matrix(0, 0), sx * matrix(0, 1), -sy * matrix(1, 0), -sy * matrix(1, 1));
    float baseX = sx * pen[0] + state->outputOffset[0];
    float baseY = sy * pen[1] + state->outputOffset[1];

    float positionX[8];
    float positionY[8];
    Box2D &grown = *bounds;
    for (int32_t i = 0; i < written; ++i)
    {
        float x = n(0, 0) * p.x[i] + n(0, 1) * p.y[i] + baseX;
        float y = n(1, 0) * p.x[i] + n(1, 1) * p.y[i] + baseY;
        positionX[i] = x;
        positionY[i] = y;
        grown.min.x = x < grown.min.x ? x : grown.min.x;
        grown.min.y = y < grown.min.y ? y : grown.min.y;
        grown.max.x = x > grown.max.x ? x : grown.max.x;
        grown.max.y = y > grown.max.y ? y : grown.max.y;
    }
    if (geometry == nullptr) return;

    VerticalPaint colors;
    colors.Set(paint, layerColor);

    // The inverse Jacobian: the adjugate of N times 1 / det.
    float determinant = n(0, 0) * n(1, 1) - n(0, 1) * n(1, 0);
    float inverseDeterminant = 1.0F / determinant;
    const float jacobian[4] = {n(1, 1) * inverseDeterminant, -n(0, 1) * inverseDeterminant,
                               -n(1, 0) * inverseDeterminant, n(0, 0) * inverseDeterminant};
    float sign = std::signbit(determinant) ? -1.0F : 1.0F;

    uint32_t bandLocation = uint32_t(glyph->bandColumn) | uint32_t(glyph->bandRow) << 16;
    uint32_t bandLimits = ((uint32_t(glyph->bandCountX) - 1) & 0xFFFF) | ((uint32_t(glyph->bandWordY) - 1) & 0xFFFF) << 16;
    float bandOffsetX = (glyph->curveOrigin[0] - glyph->box[0]) * glyph->bandScale[0];
    float bandOffsetY = (glyph->curveOrigin[1] - glyph->box[1]) * glyph->bandScale[1];

    // Object-space unit direction of each edge from vertex i back from its successor,
    // N (q_i - q_next(i)); a vertex's two edges are its own and its predecessor's, unless an edge
    // is too short and the neighbour beyond it is taken.
    float unitX[8];
    float unitY[8];
    auto unit = [&](int32_t from, int32_t to, float *ux, float *uy) {
        float dx = p.x[from] - p.x[to];
        float dy = p.y[from] - p.y[to];
        float x = n(0, 0) * dx + n(0, 1) * dy;
        float y = n(1, 0) * dx + n(1, 1) * dy;
        float scale = InverseSqrt(x * x + y * y);
        *ux = x * scale;
        *uy = y * scale;
    };
    bool shortEdge[8];
    // A quad's opposite edges run exactly opposite (Q3 - Q2 = -(Q0 - Q1)): two are normalised.
    int32_t distinctEdges = polygon ? p.count : 2;
    for (int32_t i = 0; i < distinctEdges; ++i)
    {
        int32_t b = p.next[i];
        float dx = p.x[i] - p.x[b];
        float dy = p.y[i] - p.y[b];
        shortEdge[i] = dx * dx + dy * dy < kShortEdge;
        unit(i, b, &unitX[i], &unitY[i]);
    }
    if (!polygon)
    {
        unitX[3] = -unitX[0];
        unitY[3] = -unitY[0];
        unitX[2] = -unitX[1];
        unitY[2] = -unitY[1];
        shortEdge[3] = shortEdge[0];
        shortEdge[2] = shortEdge[1];
    }
    // With no short edge, Q3 and Q2 meet the negated edges of Q0 and Q1: the same length term.
    bool shareCorners = !polygon && !shortEdge[0] && !shortEdge[1];
    float cornerTerm[2] = {0.0F, 0.0F};

    // Without a gradient every vertex takes the same colour, converted once.
    typename Variant::StoredColor flatColor = Variant::PrepareColor(colors.bottom);

    Vertex *vertex = Variant::Vertices(geometry);
    for (int32_t i = 0; i < written; ++i, ++vertex)
    {
        int32_t a = p.previous[i];
        float e1x;
        float e1y;
        float e2x;
        float e2y;
        if (shortEdge[a])
            unit(p.previous[a], i, &e1x, &e1y);
        else
            e1x = unitX[a], e1y = unitY[a];
        if (shortEdge[i])
            unit(i, p.next[p.next[i]], &e2x, &e2y);
        else
            e2x = unitX[i], e2y = unitY[i];
        float sumX = e1x + e2x;
        float sumY = e1y + e2y;
        float f;
        if (shareCorners && i >= 2)
        {
            f = cornerTerm[3 - i];
        }
        else
        {
            float d = (1.0F + e1x * e2x + e1y * e2y) * (sumX * sumX + sumY * sumY);
            // sqrt(2 / d) as the inverse root of d / 2.
            f = sign * InverseSqrtNewton((d > kMinNormalTerm ? d : kMinNormalTerm) * 0.5F);
            if (i < 2) cornerTerm[i] = f;
        }

        vertex->position[0] = positionX[i];
        vertex->position[1] = positionY[i];
        vertex->position[2] = -sumY * f * p.multiplierX[i];
        vertex->position[3] = sumX * f * p.multiplierY[i];
        vertex->texcoord[0] = p.x[i] - glyph->curveOrigin[0];
        vertex->texcoord[1] = p.y[i] - glyph->curveOrigin[1];
        vertex->bandLocation = bandLocation;
        vertex->bandLimits = bandLimits;
        vertex->jacobian[0] = jacobian[0];
        vertex->jacobian[1] = jacobian[1];
        vertex->jacobian[2] = jacobian[2];
        vertex->jacobian[3] = jacobian[3];
        vertex->banding[0] = glyph->bandScale[0];
        vertex->banding[1] = glyph->bandScale[1];
        vertex->banding[2] = bandOffsetX;
        vertex->banding[3] = bandOffsetY;
        if (colors.gradient)
            Variant::StoreColor(vertex, colors.At(p.y[i]));
        else
            Variant::PutColor(vertex, flatColor);
    }

    uint32_t base = geometry->vertexIndex;
    typename Variant::Triangle *triangle = Variant::Triangles(geometry);
    if (rect)
    {
        Variant::Advance(geometry, 3, 0, 0);
    }
    else if (polygon)
    {
        const uint8_t(*pattern)[3] = kPolygonTriangulationTable[(word >> 8) & 0xF];
        for (int32_t t = 0; t + 2 < p.count; ++t)
            Variant::StoreTriangle(triangle + t, base + pattern[t][0], base + pattern[t][1], base + pattern[t][2]);
        Variant::Advance(geometry, uint32_t(p.count), uint32_t(p.count - 2), uint32_t(p.count));
    }
    else
    {
        Variant::StoreTriangle(triangle, base, base + 1, base + 2);
        Variant::StoreTriangle(triangle + 1, base + 1, base + 3, base + 2);
        Variant::Advance(geometry, 4, 2, 4);
    }
}

template void WriteGlyphGeometryVariant<0>(const TextLayoutState *, const VorlGlyphRecord *, const float *, uint32_t,
                                           const float *, const Matrix2D &, const TextPaint *, const uint8_t *,
                                           GeometryBuffer *, Box2D *);
template void WriteGlyphGeometryVariant<1>(const TextLayoutState *, const VorlGlyphRecord *, const float *, uint32_t,
                                           const float *, const Matrix2D &, const TextPaint *, const uint8_t *,
                                           GeometryBuffer *, Box2D *);
template void WriteGlyphGeometryVariant<2>(const TextLayoutState *, const VorlGlyphRecord *, const float *, uint32_t,
                                           const float *, const Matrix2D &, const TextPaint *, const uint8_t *,
                                           GeometryBuffer *, Box2D *);
template void WriteGlyphGeometryVariant<3>(const TextLayoutState *, const VorlGlyphRecord *, const float *, uint32_t,
                                           const float *, const Matrix2D &, const TextPaint *, const uint8_t *,
                                           GeometryBuffer *, Box2D *);

void WriteGlyphGeometry(const TextLayoutState *state, const VorlGlyphRecord *glyph, const float *box, uint32_t word,
                        const float *pen, const Matrix2D &matrix, const TextPaint *paint, const uint8_t *layerColor,
                        GeometryBuffer *geometry, Box2D *bounds)
{
    kGeometryBuilderTable.writeGlyphGeometry[GetGeometryVariant(geometry)](state, glyph, box, word, pen, matrix, paint,
                                                                         layerColor, geometry, bounds);
}

bool ClipGlyphQuad(const TextLayoutState *state, float *box, uint32_t *word, const float *pen, const float *scale,
                   bool rotated)
{
    uint32_t options = state->optionFlags;
    if ((options & kTextOptionClipX) == 0) return true;
    const float *clip = state->clipRect;
    float sxg = scale[0];
    float syg = scale[1];
    uint32_t cut = 0;
    if (!rotated)
    {
        float left = pen[0] + sxg * box[0];
        if (clip[0] > left)
        {
            box[0] += (clip[0] - left) / sxg;
            cut |= kQuadClipMinX;
        }
        float right = pen[0] + sxg * box[2];
        if (right > clip[2])
        {
            box[2] -= (right - clip[2]) / sxg;
            cut |= kQuadClipMaxX;
        }
        if ((options & kTextOptionClipY) != 0)
        {
            float top = pen[1] - syg * box[3];
            if (clip[1] > top)
            {
                box[3] -= (clip[1] - top) / syg;
                cut |= kQuadClipMaxY;
            }
            float bottom = pen[1] - syg * box[1];
            if (bottom > clip[3])
            {
                box[1] += (bottom - clip[3]) / syg;
                cut |= kQuadClipMinY;
            }
        }
    }
    else
    {
        // Em y runs along layout -x, em x along layout -y: the bits keep the cut edge's vertices
        // fixed along the layout axis of the cut.
        float left = pen[0] - syg * box[3];
        if (clip[0] > left)
        {
            box[3] -= (clip[0] - left) / syg;
            cut |= 0x0C00;
        }
        float right = pen[0] - syg * box[1];
        if (right > clip[2])
        {
            box[1] += (right - clip[2]) / syg;
            cut |= 0x0300;
        }
        if ((options & kTextOptionClipY) != 0)
        {
            float top = pen[1] - sxg * box[2];
            if (clip[1] > top)
            {
                box[2] -= (clip[1] - top) / sxg;
                cut |= 0xA000;
            }
            float bottom = pen[1] - sxg * box[0];
            if (bottom > clip[3])
            {
                box[0] += (bottom - clip[3]) / sxg;
                cut |= 0x5000;
            }
        }
    }
    if (cut != 0) *word = cut;
    return box[2] > box[0] && box[3] > box[1];
}

}  // namespace oq
