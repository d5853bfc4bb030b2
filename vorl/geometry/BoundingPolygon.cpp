#include "vorl/geometry/BoundingPolygon.h"

#include "base/Half.h"
#include "base/ScalarMath.h"
#include "vorl/geometry/VectorPaths.h"

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

    float best = FloatInfinity;
    float found[12];
    float candidate[12];
    int32_t word = 0;
    int32_t w = FindBoundingTriangle(firstCount, &firstLines[0][0], firstDirections, candidate, &best);
    if (w)
    {
        word = w;
        for (int32_t j = 0; j < 6; j++)
            found[j] = candidate[j];
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

    float tolerance = 0.025f * edgeFactor;
    for (int32_t sides = 4; sides <= 6; sides++)
    {
        if (sides > 4 && maxVertexCount < sides)
            break;
        if (sides == 4)
            w = FindBoundingQuadrilateral(secondCount, &secondLines[0][0], secondDirections, tolerance, candidate, &best);
        else if (sides == 5)
            w = FindBoundingPentagon(secondCount, &secondLines[0][0], secondDirections, tolerance, candidate, &best);
        else
            w = FindBoundingHexagon(secondCount, &secondLines[0][0], secondDirections, tolerance, candidate, &best);
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
