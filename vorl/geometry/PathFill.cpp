#include "vorl/geometry/PathFill.h"

#include "base/Half.h"
#include "vorl/geometry/BoundingPolygon.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/PolygonTriangulation.h"

#include <cstring>

namespace oq {

namespace {

constexpr uint32_t kAllStraightFlag = 1u << 24;
constexpr uint32_t kEvenOddFlag = 1u << 28;

// Everything a fill writes besides its texels, found by the texel pass.
struct FillPlan
{
    int32_t vertexCount;  // 0: nothing to draw
    int32_t triangleCount;
    uint32_t word;         // bounding polygon word, 0 for the box quad
    float vertices[12];    // polygon vertices in normalised space
    float scale;           // s, the larger extent
    float inverseScale;    // g = 1 / s
    float minX, minY;      // box minimum in the caller's space
    float width, height;   // normalised box size
    int32_t bx, by;
    uint32_t location;
    uint32_t limits;
};

inline bool SamePoint(const Point2D &a, const Point2D &b) { return a.x == b.x && a.y == b.y; }

// The bounding polygon of the scratch's n normalised curves. A count followed by a build of the same
// path asks twice, so the scratch keeps the last result with its inputs, compared byte for byte.
uint32_t FindFillPolygon(ShapeScratch *s, int32_t n, const PathFillSettings &limits, uint16_t *halves)
{
    const QuadraticBezier2D *list = s->curves;
    if (limits.polygonVertexCount <= 0)
        return ComputeBoundingPolygon(1, &n, &list, halves, limits.polygonVertexCount, limits.polygonEdgeFactor);
    const size_t curveBytes = size_t(n) * sizeof(QuadraticBezier2D);
    if (s->polygonCurveCount == n && s->polygonVertexLimit == limits.polygonVertexCount &&
        std::memcmp(&s->polygonEdgeFactor, &limits.polygonEdgeFactor, sizeof(float)) == 0 &&
        std::memcmp(s->polygonCurves, s->curves, curveBytes) == 0)
    {
        std::memcpy(halves, s->polygonVertices, sizeof(s->polygonVertices));
        return s->polygonWord;
    }
    uint32_t word = ComputeBoundingPolygon(1, &n, &list, halves, limits.polygonVertexCount, limits.polygonEdgeFactor);
    s->polygonCurveCount = n;
    s->polygonVertexLimit = limits.polygonVertexCount;
    s->polygonEdgeFactor = limits.polygonEdgeFactor;
    s->polygonWord = word;
    std::memcpy(s->polygonVertices, halves, sizeof(s->polygonVertices));
    std::memcpy(s->polygonCurves, s->curves, curveBytes);
    return word;
}

// Runs the texel writers and finds the covering polygon. -1 when the texels do not fit or the path
// cannot be cut to 8192 curves, 0 for nothing to draw, 1 with a plan. Cursors are stored back
// whenever a writer ran.
int32_t PlanPathFill(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                     TexelBuffer *bandTexels, const PathFillSettings *settings, ShapeScratch *scratch, FillPlan *plan)
{
    plan->vertexCount = 0;
    plan->triangleCount = 0;
    if (count <= 0)
        return 0;
    int32_t n = GetFillCurveCount(count, curves);
    if (n == 0)
        return -1;
    const PathFillSettings &limits = settings ? *settings : kDefaultPathFillSettings;
    ShapeScratch *s = GetShapeScratch(scratch);

    Box2D box;
    if (!ComputeShapeCurveExtents(&box, n, curves, s))
        return -1;
    float boxWidth = box.max.x - box.min.x, boxHeight = box.max.y - box.min.y;
    float extent = boxWidth > boxHeight ? boxWidth : boxHeight;
    // No area, or no finite size: nothing to draw (and no infinite scale).
    if (!(boxWidth > 0.0f && boxHeight > 0.0f && extent < FloatInfinity))
        return 0;

    float g = 1.0f / extent;
    float ox = -box.min.x * g, oy = -box.min.y * g;
    auto map = [g, ox, oy](Point2D &p) { p.Set(p.x * g + ox, p.y * g + oy); };
    bool allStraight = true;
    for (int32_t i = 0; i < n; i++)
    {
        QuadraticBezier2D c = curves[i];
        map(c.p0);
        map(c.p1);
        map(c.p2);
        s->curves[i] = c;
        allStraight = allStraight && SamePoint(c.p1, c.p2);
        map(s->exactBoxes[i].min);
        map(s->exactBoxes[i].max);
        map(s->controlBoxes[i].min);
        map(s->controlBoxes[i].max);
    }
    float width = boxWidth * g, height = boxHeight * g;
    Box2D normalBox(Point2D(0.0f, 0.0f), Point2D(width, height));

    int32_t curveCursor[2] = {curveTexels->cursorX, curveTexels->cursorY};
    int32_t bandCursor[2] = {bandTexels->cursorX, bandTexels->cursorY};
    int32_t paint[2] = {0, 0};
    int32_t location[2] = {0, 0};
    int32_t bx = 0, by = 0;
    int32_t gradient = style.WriteGradientTexels(*curveTexels, g, ox, oy, curveCursor, paint);
    bool ok = gradient >= 0 &&
              WriteShapeCurveTexels(n, s->curves, curveTexels->texels, curveTexels->format, curveTexels->width,
                                    curveTexels->height, curveCursor, s) &&
              ChooseShapeBandCounts(&bx, &by, n, normalBox, limits.maxBandCount, s) &&
              BuildShapeBandLists(n, normalBox, bx, by, s) &&
              WriteShapeBandTexels(bx, by, bandTexels->texels, bandTexels->width, bandTexels->height, bandCursor,
                                   gradient > 0 ? paint : nullptr, location, s);
    curveTexels->cursorX = curveCursor[0];
    curveTexels->cursorY = curveCursor[1];
    bandTexels->cursorX = bandCursor[0];
    bandTexels->cursorY = bandCursor[1];
    if (!ok)
        return -1;

    uint16_t halves[12] = {};
    uint32_t word = FindFillPolygon(s, n, limits, halves);
    int32_t k = int32_t(word & 0xF);
    if (k == 0 || !IsDrawablePolygonWord(word))
    {
        word = 0;
        const float quad[8] = {0.0f, 0.0f, width, 0.0f, 0.0f, height, width, height};
        for (int32_t j = 0; j < 8; j++)
            plan->vertices[j] = quad[j];
        plan->vertexCount = 4;
        plan->triangleCount = 2;
    }
    else
    {
        for (int32_t j = 0; j < 2 * k; j++)
            plan->vertices[j] = HalfToFloat(&halves[j]);
        plan->vertexCount = k;
        plan->triangleCount = k - 2;
    }
    plan->word = word;
    plan->scale = extent;
    plan->inverseScale = g;
    plan->minX = box.min.x;
    plan->minY = box.min.y;
    plan->width = width;
    plan->height = height;
    plan->bx = bx;
    plan->by = by;
    plan->location = uint32_t(location[0]) | uint32_t(location[1]) << 16;
    plan->limits = uint32_t(bx - 1) | uint32_t(by - 1) << 16 | uint32_t(gradient) << 29 |
                   (allStraight ? kAllStraightFlag : 0u) | (style.rule == kFillRuleEvenOdd ? kEvenOddFlag : 0u);
    return 1;
}

// The dilation direction of vertex v between its neighbours p (previous) and q (next): length 1
// along a straight edge, 1 / cos of half the turn at a corner.
void GetCornerVector(const float *p, const float *v, const float *q, float *normal)
{
    float ax = p[0] - v[0], ay = p[1] - v[1];
    float bx = v[0] - q[0], by = v[1] - q[1];
    float fa = InverseSqrt(ax * ax + ay * ay), fb = InverseSqrt(bx * bx + by * by);
    float e1x = ax * fa, e1y = ay * fa, e2x = bx * fb, e2y = by * fb;
    float sx = e1x + e2x, sy = e1y + e2y;
    float d = (1.0f + e1x * e2x + e1y * e2y) * (sx * sx + sy * sy);
    const float minimum = 1.0f / 1024.0f;
    float f = Sqrt(2.0f / (d > minimum ? d : minimum));
    normal[0] = -sy * f;
    normal[1] = sx * f;
}

}  // namespace

int32_t GetFillCurveCount(int32_t count, const QuadraticBezier2D *curves)
{
    if (count <= kMaxShapeCurves)
        return count > 0 ? count : 0;
    int32_t boundary = 0;
    Point2D start = curves[0].p0;
    for (int32_t i = 1; i <= kMaxShapeCurves; i++)
    {
        const Point2D &end = curves[i - 1].p2;
        if (!SamePoint(curves[i].p0, end) || SamePoint(end, start))
        {
            boundary = i;
            start = curves[i].p0;
        }
    }
    return boundary;
}

template <int32_t kVariant>
bool BuildPathFillVariant(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves,
                          TexelBuffer *curveTexels, TexelBuffer *bandTexels, GeometryBuffer *geometry,
                          const PathFillSettings *settings, ShapeScratch *scratch, bool write)
{
    using Variant = GeometryVariant<kVariant>;
    FillPlan plan;
    int32_t result = PlanPathFill(style, count, curves, curveTexels, bandTexels, settings, scratch, &plan);
    if (result <= 0)
        return result == 0;

    const int32_t k = plan.vertexCount;
    if (write)
    {
        // The quad goes around Q0 -> Q1 -> Q3 -> Q2; a polygon in stored order.
        static constexpr int32_t kQuadPrevious[4] = {2, 0, 3, 1};
        static constexpr int32_t kQuadNext[4] = {1, 3, 0, 2};
        typename Variant::Vertex *vertex = Variant::Vertices(geometry);
        const float *v = plan.vertices;
        float scaleX = float(plan.bx) / plan.width, scaleY = float(plan.by) / plan.height;
        for (int32_t i = 0; i < k; i++, vertex++)
        {
            int32_t previous = plan.word ? (i + k - 1) % k : kQuadPrevious[i];
            int32_t next = plan.word ? (i + 1) % k : kQuadNext[i];
            vertex->position[0] = v[2 * i] * plan.scale + plan.minX;
            vertex->position[1] = v[2 * i + 1] * plan.scale + plan.minY;
            GetCornerVector(v + 2 * previous, v + 2 * i, v + 2 * next, &vertex->position[2]);
            vertex->texcoord[0] = v[2 * i];
            vertex->texcoord[1] = v[2 * i + 1];
            vertex->bandLocation = plan.location;
            vertex->bandLimits = plan.limits;
            vertex->jacobian[0] = plan.inverseScale;
            vertex->jacobian[1] = 0.0f;
            vertex->jacobian[2] = 0.0f;
            vertex->jacobian[3] = plan.inverseScale;
            vertex->banding[0] = scaleX;
            vertex->banding[1] = scaleY;
            vertex->banding[2] = 0.0f;
            vertex->banding[3] = 0.0f;
            Variant::StoreColor(vertex, style.color);
        }

        // Triangles wind opposite to the glyph writer's: fill positions are not y-flipped.
        typename Variant::Triangle *triangle = Variant::Triangles(geometry);
        uint32_t b = geometry->vertexIndex;
        if (plan.word == 0)
        {
            Variant::StoreTriangle(triangle, b, b + 2, b + 1);
            Variant::StoreTriangle(triangle + 1, b + 1, b + 2, b + 3);
        }
        else
        {
            const uint8_t(*pattern)[3] = kPolygonTriangulationTable[(plan.word >> 8) & 0xF];
            for (int32_t t = 0; t < plan.triangleCount; t++)
                Variant::StoreTriangle(triangle + t, b + pattern[t][0], b + pattern[t][2], b + pattern[t][1]);
        }
    }
    Variant::Advance(geometry, uint32_t(k), uint32_t(plan.triangleCount), uint32_t(k));
    return true;
}

template bool BuildPathFillVariant<0>(const FillStyle &, int32_t, const QuadraticBezier2D *, TexelBuffer *,
                                      TexelBuffer *, GeometryBuffer *, const PathFillSettings *, ShapeScratch *, bool);
template bool BuildPathFillVariant<1>(const FillStyle &, int32_t, const QuadraticBezier2D *, TexelBuffer *,
                                      TexelBuffer *, GeometryBuffer *, const PathFillSettings *, ShapeScratch *, bool);
template bool BuildPathFillVariant<2>(const FillStyle &, int32_t, const QuadraticBezier2D *, TexelBuffer *,
                                      TexelBuffer *, GeometryBuffer *, const PathFillSettings *, ShapeScratch *, bool);
template bool BuildPathFillVariant<3>(const FillStyle &, int32_t, const QuadraticBezier2D *, TexelBuffer *,
                                      TexelBuffer *, GeometryBuffer *, const PathFillSettings *, ShapeScratch *, bool);

bool BuildPathFill(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                   TexelBuffer *bandTexels, GeometryBuffer *geometry, const PathFillSettings *settings,
                   ShapeScratch *scratch)
{
    return kGeometryBuilderTable.buildPathFill[GetGeometryVariant(geometry)](
        style, count, curves, curveTexels, bandTexels, geometry, settings, scratch, true);
}

bool CountPathFill(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves, int32_t curveWidth,
                   int32_t curveHeight, int32_t *curveCursor, int32_t bandWidth, int32_t bandHeight,
                   int32_t *bandCursor, int32_t *vertexCount, int32_t *triangleCount,
                   const PathFillSettings *settings, ShapeScratch *scratch)
{
    TexelBuffer curveTexels = {nullptr, 0, curveWidth, curveHeight, curveCursor[0], curveCursor[1]};
    TexelBuffer bandTexels = {nullptr, 0, bandWidth, bandHeight, bandCursor[0], bandCursor[1]};
    FillPlan plan;
    int32_t result = PlanPathFill(style, count, curves, &curveTexels, &bandTexels, settings, scratch, &plan);
    curveCursor[0] = curveTexels.cursorX;
    curveCursor[1] = curveTexels.cursorY;
    bandCursor[0] = bandTexels.cursorX;
    bandCursor[1] = bandTexels.cursorY;
    *vertexCount = result > 0 ? plan.vertexCount : 0;
    *triangleCount = result > 0 ? plan.triangleCount : 0;
    return result >= 0;
}

}  // namespace oq
