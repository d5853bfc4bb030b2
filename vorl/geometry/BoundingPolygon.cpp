#include "vorl/geometry/BoundingPolygon.h"

#include "base/Half.h"
#include "base/ScalarMath.h"
#include "vorl/geometry/VectorPaths.h"

#include <cmath>

namespace oq {

namespace {

constexpr int32_t kSupportLines = 128;
constexpr float kMinEdgeSquared = 1.0e-6f;

inline bool IsStraight(const QuadraticBezier2D &c) { return c.p1.x == c.p2.x && c.p1.y == c.p2.y; }

inline float Cross(float ux, float uy, float vx, float vy) { return ux * vy - uy * vx; }

void StoreVertices(uint16_t *vertices, const float *v, int32_t n)
{
    for (int32_t k = 0; k < 2 * n; k++)
        FloatToHalf(&vertices[k], v[k]);
}

// Three or four straight sides: the shape is its own polygon.
uint16_t GetStraightPolygon(int32_t count, const QuadraticBezier2D *curves, uint16_t *vertices)
{
    float p[8];
    for (int32_t i = 0; i < count; i++)
    {
        p[2 * i] = curves[i].p2.x;
        p[2 * i + 1] = curves[i].p2.y;
    }
    float q[8];
    if (count == 3)
    {
        float t = Cross(p[2] - p[0], p[3] - p[1], p[4] - p[2], p[5] - p[3]);
        const int32_t order[3] = {0, 1, 2};
        for (int32_t i = 0; i < 3; i++)
        {
            int32_t j = t > 0.0f ? order[i] : 2 - order[i];
            q[2 * i] = p[2 * j];
            q[2 * i + 1] = p[2 * j + 1];
        }
        StoreVertices(vertices, q, 3);
        return 3;
    }

    auto turn = [](const float *r, int32_t i) {
        int32_t a = (i + 3) % 4, c = (i + 1) % 4;
        return Cross(r[2 * i] - r[2 * a], r[2 * i + 1] - r[2 * a + 1], r[2 * c] - r[2 * i], r[2 * c + 1] - r[2 * i + 1]);
    };
    bool forward = turn(p, 1) + turn(p, 3) > 0.0f;
    for (int32_t i = 0; i < 4; i++)
    {
        int32_t j = forward ? i : 3 - i;
        q[2 * i] = p[2 * j];
        q[2 * i + 1] = p[2 * j + 1];
    }
    int32_t pattern;
    if (turn(q, 0) < 0.0f || turn(q, 2) < 0.0f)
        pattern = 1;
    else if (turn(q, 1) < 0.0f || turn(q, 3) < 0.0f)
        pattern = 2;
    else
    {
        float dx02 = q[0] - q[4], dy02 = q[1] - q[5], dx13 = q[2] - q[6], dy13 = q[3] - q[7];
        pattern = dx13 * dx13 + dy13 * dy13 >= dx02 * dx02 + dy02 * dy02 ? 1 : 2;
    }
    StoreVertices(vertices, q, 4);
    return uint16_t(pattern << 8 | 4);
}

// The highest and lowest projection of the shape on 64 directions (cosine, sine): curve ends and
// interior extremes. Four directions at a time where SSE is there, with the same operations per
// direction as the scalar loop, so both give the same values.
void FindSupportValues(int32_t listCount, const int32_t *curveCounts, const QuadraticBezier2D *const *curveLists,
                       const float *cosines, const float *sines, float *highest, float *lowest)
{
    constexpr int32_t n = kSupportLines / 2;
#if OQ_GEOMETRY_SSE2
    const __m128 two = _mm_set1_ps(2.0f), one = _mm_set1_ps(1.0f), zero = _mm_setzero_ps();
    const __m128 tiny = _mm_set1_ps(FloatMinNormal), negativeTiny = _mm_set1_ps(-FloatMinNormal);
    for (int32_t k = 0; k < n; k += 4)
    {
        _mm_store_ps(highest + k, _mm_set1_ps(FloatMinusInfinity));
        _mm_store_ps(lowest + k, _mm_set1_ps(FloatInfinity));
    }
    for (int32_t list = 0; list < listCount; list++)
    {
        const QuadraticBezier2D *curves = curveLists[list];
        for (int32_t i = 0; i < curveCounts[list]; i++)
        {
            const QuadraticBezier2D &c = curves[i];
            const __m128 x0 = _mm_set1_ps(c.p0.x), y0 = _mm_set1_ps(c.p0.y), x1 = _mm_set1_ps(c.p1.x),
                         y1 = _mm_set1_ps(c.p1.y), x2 = _mm_set1_ps(c.p2.x), y2 = _mm_set1_ps(c.p2.y);
            for (int32_t k = 0; k < n; k += 4)
            {
                __m128 dx = _mm_load_ps(cosines + k), dy = _mm_load_ps(sines + k);
                __m128 g = _mm_add_ps(_mm_mul_ps(dx, x0), _mm_mul_ps(dy, y0));
                __m128 e = _mm_add_ps(_mm_mul_ps(dx, x1), _mm_mul_ps(dy, y1));
                __m128 f = _mm_add_ps(_mm_mul_ps(dx, x2), _mm_mul_ps(dy, y2));
                // max and min give their second operand unless the first is strictly beyond it.
                __m128 high = _mm_max_ps(g, f), low = _mm_min_ps(g, f);
                __m128 den = _mm_add_ps(_mm_sub_ps(g, _mm_mul_ps(two, e)), f);
                __m128 t = _mm_div_ps(_mm_sub_ps(g, e), den);
                __m128 inside = _mm_and_ps(_mm_or_ps(_mm_cmpgt_ps(den, tiny), _mm_cmplt_ps(den, negativeTiny)),
                                           _mm_and_ps(_mm_cmpgt_ps(t, zero), _mm_cmplt_ps(t, one)));
                __m128 u = _mm_sub_ps(one, t);
                __m128 v = _mm_add_ps(_mm_add_ps(_mm_mul_ps(_mm_mul_ps(u, u), g),
                                                 _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(two, t), u), e)),
                                      _mm_mul_ps(_mm_mul_ps(t, t), f));
                __m128 above = _mm_and_ps(inside, _mm_cmpgt_ps(v, high));
                __m128 below = _mm_and_ps(inside, _mm_cmplt_ps(v, low));
                high = _mm_or_ps(_mm_and_ps(above, v), _mm_andnot_ps(above, high));
                low = _mm_or_ps(_mm_and_ps(below, v), _mm_andnot_ps(below, low));
                _mm_store_ps(highest + k, _mm_max_ps(high, _mm_load_ps(highest + k)));
                _mm_store_ps(lowest + k, _mm_min_ps(low, _mm_load_ps(lowest + k)));
            }
        }
    }
#else
    for (int32_t k = 0; k < n; k++)
    {
        highest[k] = FloatMinusInfinity;
        lowest[k] = FloatInfinity;
    }
    for (int32_t list = 0; list < listCount; list++)
    {
        const QuadraticBezier2D *curves = curveLists[list];
        for (int32_t i = 0; i < curveCounts[list]; i++)
        {
            const QuadraticBezier2D &c = curves[i];
            for (int32_t k = 0; k < n; k++)
            {
                float dx = cosines[k], dy = sines[k];
                float g = dx * c.p0.x + dy * c.p0.y;
                float e = dx * c.p1.x + dy * c.p1.y;
                float f = dx * c.p2.x + dy * c.p2.y;
                float high = g > f ? g : f;
                float low = g < f ? g : f;
                float den = g - 2.0f * e + f;
                if (den > FloatMinNormal || den < -FloatMinNormal)
                {
                    float t = (g - e) / den;
                    if (t > 0.0f && t < 1.0f)
                    {
                        float u = 1.0f - t;
                        float v = u * u * g + 2.0f * t * u * e + t * t * f;
                        high = v > high ? v : high;
                        low = v < low ? v : low;
                    }
                }
                highest[k] = high > highest[k] ? high : highest[k];
                lowest[k] = low < lowest[k] ? low : lowest[k];
            }
        }
    }
#endif
}

// The crossing of lines (a1, b1, c1) and (a2, b2, c2).
void Intersect(const float *l1, const float *l2, float *x, float *y)
{
    float det = l1[0] * l2[1] - l2[0] * l1[1];
    *x = (l1[1] * l2[2] - l2[1] * l1[2]) / det;
    *y = (l2[0] * l1[2] - l1[0] * l2[2]) / det;
}

// A lower bound of the area of every triangle made of the support lines (rows a, b, c with unit
// normals; line k + 64 opposite line k), raised no further once it passes `enough`. Such a triangle
// holds everything the lines hold: a disk of radius r, which needs a triangle of at least
// 3 sqrt(3) r^2, and a rectangle, which needs twice its area. Both are centred on the middle of the
// box; 0 when that middle is not inside the lines.
double GetTriangleAreaBound(const float (*lines)[3], double enough)
{
    constexpr int32_t half = kSupportLines / 2, quarter = kSupportLines / 4;
    double cx = (double(lines[half][2]) - double(lines[0][2])) * 0.5;
    double cy = (double(lines[half + quarter][2]) - double(lines[quarter][2])) * 0.5;
    double room[kSupportLines], ax[kSupportLines], by[kSupportLines];
    double radius = FloatInfinity;
    for (int32_t k = 0; k < kSupportLines; k++)
    {
        double a = double(lines[k][0]), b = double(lines[k][1]);
        room[k] = -(a * cx + b * cy + double(lines[k][2]));
        radius = room[k] < radius ? room[k] : radius;
        ax[k] = a < 0.0 ? -a : a;
        by[k] = b < 0.0 ? -b : b;
    }
    if (!(radius > 0.0 && radius < double(FloatInfinity)))
        return 0.0;
    // Slightly inside, against rounding.
    constexpr double shrink = 1.0 - 1.0e-9;
    radius *= shrink;
    double bound = 3.0 * 1.7320508075688772 * radius * radius;
    // Rectangles with their corners along eight directions (u, v) from the middle: the corner goes
    // out to the least room[k] / along[k], found without dividing.
    for (int32_t step = 1; step < 16 && !(bound > enough); step += 2)
    {
        float cosine, sine;
        GetTrigTableEntry(4 * step, &cosine, &sine);
        double u = double(cosine), v = double(sine);
        double room0 = room[0], along0 = ax[0] * u + by[0] * v;
        // Every 16th line first: when they alone keep the rectangle below `enough`, the rest can
        // only shrink it.
        for (int32_t k = 16; k < kSupportLines; k += 16)
        {
            double along = ax[k] * u + by[k] * v;
            if (room[k] * along0 < room0 * along)
            {
                room0 = room[k];
                along0 = along;
            }
        }
        double most = room0 / along0;
        if (!(8.0 * most * most * u * v > enough))
            continue;
        for (int32_t k = 1; k < kSupportLines; k++)
        {
            double along = ax[k] * u + by[k] * v;
            if (room[k] * along0 < room0 * along)
            {
                room0 = room[k];
                along0 = along;
            }
        }
        double reach = room0 / along0 * shrink;
        double rectangle = 2.0 * (4.0 * reach * reach * u * v);
        bound = rectangle > bound ? rectangle : bound;
    }
    return bound;
}

}  // namespace

uint16_t ComputeBoundingPolygon(int32_t listCount, const int32_t *curveCounts,
                                const QuadraticBezier2D *const *curveLists, uint16_t *vertices,
                                int32_t maxVertexCount, float edgeFactor)
{
    if (maxVertexCount <= 0)
        return 0;
    if (listCount == 1)
    {
        int32_t count = curveCounts[0];
        if (count < 3)
            return 0;
        if (count <= 4)
        {
            const QuadraticBezier2D *curves = curveLists[0];
            bool straight = true;
            for (int32_t i = 0; i < count; i++)
                straight = straight && IsStraight(curves[i]);
            if (straight)
                return GetStraightPolygon(count, curves, vertices);
        }
    }

    // Support lines: line k has the outward normal of table entry 2k; the shape lies where
    // a x + b y + c <= 0. Line k + 64 is the opposite of line k, from the same projections.
    float lines[kSupportLines][3];
    alignas(16) float cosines[kSupportLines / 2], sines[kSupportLines / 2];
    alignas(16) float highest[kSupportLines / 2], lowest[kSupportLines / 2];
    for (int32_t k = 0; k < kSupportLines; k++)
        GetTrigTableEntry(2 * k, &lines[k][0], &lines[k][1]);
    for (int32_t k = 0; k < kSupportLines / 2; k++)
    {
        cosines[k] = lines[k][0];
        sines[k] = lines[k][1];
    }
    FindSupportValues(listCount, curveCounts, curveLists, cosines, sines, highest, lowest);
    for (int32_t k = 0; k < kSupportLines / 2; k++)
    {
        lines[k][2] = -highest[k];
        lines[k + kSupportLines / 2][2] = lowest[k];
    }

    // Corners of the 128-gon and the lines that carry an edge of it.
    float corners[kSupportLines][2];
    for (int32_t k = 0; k < kSupportLines; k++)
        Intersect(lines[(k + kSupportLines - 1) % kSupportLines], lines[k], &corners[k][0], &corners[k][1]);
    float firstLines[kSupportLines][3];
    uint8_t firstDirections[kSupportLines];
    int32_t firstCount = 0;
    for (int32_t k = 0; k < kSupportLines; k++)
    {
        const float *a = corners[k];
        const float *b = corners[(k + 1) % kSupportLines];
        float dx = b[0] - a[0], dy = b[1] - a[1];
        if (dx * dx + dy * dy > kMinEdgeSquared)
        {
            for (int32_t j = 0; j < 3; j++)
                firstLines[firstCount][j] = lines[k][j];
            firstDirections[firstCount++] = uint8_t(2 * k);
        }
    }

    // The even lines only, for the larger polygons.
    float evenCorners[kSupportLines / 2][2];
    for (int32_t k = 0; k < kSupportLines; k += 2)
        Intersect(lines[(k + kSupportLines - 2) % kSupportLines], lines[k], &evenCorners[k / 2][0],
                  &evenCorners[k / 2][1]);
    float secondLines[kSupportLines / 2][3];
    uint8_t secondDirections[kSupportLines / 2];
    int32_t secondCount = 0;
    for (int32_t k = 0; k < kSupportLines / 2; k++)
    {
        const float *a = evenCorners[k];
        const float *b = evenCorners[(k + 1) % (kSupportLines / 2)];
        float dx = b[0] - a[0], dy = b[1] - a[1];
        if (dx * dx + dy * dy > kMinEdgeSquared)
        {
            for (int32_t j = 0; j < 3; j++)
                secondLines[secondCount][j] = lines[2 * k][j];
            secondDirections[secondCount++] = uint8_t(4 * k);
        }
    }

    // The quadrilaterals first when no triangle is likely to beat the box, searched for one cheaper
    // than every triangle (below a lower bound of their area, less the float margin): when there is
    // one, the triangle search is skipped. A search keeps the first cheapest choice it meets, so this
    // order does not change the winner (a triangle wins a tie, as when it was searched first). A
    // negative tolerance lets a choice that costs less than the best be refused on its area (the
    // order then matters): triangles first, as when no such quadrilateral is found.
    float tolerance = 0.025f * edgeFactor;
    double width = -double(lines[0][2]) - double(lines[kSupportLines / 2][2]);
    double height = -double(lines[kSupportLines / 4][2]) - double(lines[3 * kSupportLines / 4][2]);
    double boxCost = width * height + double(tolerance) * std::sqrt(width * width + height * height);
    double triangleBound = 0.0;
    if (tolerance >= 0.0f)
        triangleBound = GetTriangleAreaBound(lines, boxCost * (1.0 + 1.0e-3));
    float best = FloatInfinity;
    float found[12];
    float candidate[12];
    int32_t word = 0;
    if (triangleBound > boxCost * (1.0 + 1.0e-3))
    {
        // A ceiling at or below the bound less the margin: below it, the margin keeps every triangle out.
        double ceiling = (triangleBound - 1.0e-12) / (1.0 + 1.0e-3);
        best = float(ceiling);
        if (double(best) > ceiling)
            best = std::nextafter(best, 0.0f);
        word = FindBoundingQuadrilateral(secondCount, &secondLines[0][0], secondDirections, tolerance, found, &best);
        if (!word)
            best = FloatInfinity;
    }
    if (!word)
    {
        int32_t w = FindBoundingTriangle(firstCount, &firstLines[0][0], firstDirections, found, &best);
        word = w;
        w = FindBoundingQuadrilateral(secondCount, &secondLines[0][0], secondDirections, tolerance, candidate, &best);
        if (w)
        {
            word = w;
            for (int32_t j = 0; j < 8; j++)
                found[j] = candidate[j];
        }
    }

    for (int32_t sides = 5; sides <= maxVertexCount && sides <= 6; sides++)
    {
        int32_t w = sides == 5
                        ? FindBoundingPentagon(secondCount, &secondLines[0][0], secondDirections, tolerance, candidate, &best)
                        : FindBoundingHexagon(secondCount, &secondLines[0][0], secondDirections, tolerance, candidate, &best);
        if (w)
        {
            word = w;
            for (int32_t j = 0; j < 2 * sides; j++)
                found[j] = candidate[j];
        }
    }
    if (word)
        StoreVertices(vertices, found, word & 0xF);
    return uint16_t(word);
}

}  // namespace oq
