#include "vorl/geometry/BoundingPolygon.h"

#include "base/ScalarMath.h"
#include "vorl/geometry/VectorPaths.h"

#include <cmath>

namespace oq {

namespace {

constexpr int32_t kDirectionSpan = 512;

// k in [0, 2n) brought into [0, n).
inline int32_t Wrap(int32_t k, int32_t n) { return k >= n ? k - n : k; }

// The least of a[k] + b[k] for k in [0, n) (+infinity for none). Four running minima, two values at a
// time where SSE2 is there: min takes the sum unless it is not below, as the single loop does.
double LeastSum(const double *a, const double *b, int32_t n)
{
    int32_t k = 0;
    double least = double(FloatInfinity);
#if OQ_GEOMETRY_SSE2
    __m128d m0 = _mm_set1_pd(least), m1 = m0;
    for (; k + 4 <= n; k += 4)
    {
        m0 = _mm_min_pd(_mm_add_pd(_mm_loadu_pd(a + k), _mm_loadu_pd(b + k)), m0);
        m1 = _mm_min_pd(_mm_add_pd(_mm_loadu_pd(a + k + 2), _mm_loadu_pd(b + k + 2)), m1);
    }
    if (k + 2 <= n)
    {
        m0 = _mm_min_pd(_mm_add_pd(_mm_loadu_pd(a + k), _mm_loadu_pd(b + k)), m0);
        k += 2;
    }
    m0 = _mm_min_pd(m1, m0);
    double pair[2];
    _mm_storeu_pd(pair, m0);
    least = pair[1] < pair[0] ? pair[1] : pair[0];
#endif
    for (; k < n; k++)
    {
        double v = a[k] + b[k];
        least = v < least ? v : least;
    }
    return least;
}

// The limits of one polygon kind: its first direction and the turn between consecutive edges.
struct PolygonKind
{
    int32_t sides;
    int32_t firstMax;
    int32_t stepMin;
    int32_t stepMax;
    float degeneracy;
    // Interior edges of an accepted polygon are together at least this times its area: every side
    // is longer than degeneracy x area, the interior angles are at least 180 degrees less the
    // largest turn, so a diagonal skipping one vertex is at least 2 sin(angle / 2) sides long, and
    // a pentagon's two and a hexagon's three interior edges include two such diagonals.
    double diagonalFactor;
    // They are also at least this times the square root of its area. An ear on base d whose apex
    // angle is at least the least interior angle has base angles b and c with b + c at most the
    // largest turn, so at most d^2 sin b sin c / (2 sin(b + c)) of area; where the ear meets the
    // triangle beyond its base, that triangle's angle is at least the least interior angle less b,
    // which makes its side opposite that angle at least d sin(least interior angle - b) (or d when
    // the angle is obtuse); a triangle between interior edges d1 and d2 has at most d1 d2 / 2. A
    // pentagon's fan (two ears, one middle triangle) then holds at most D^2 / (2 sqrt 2) for
    // interior edges of total length D; a hexagon's triangulation with a long diagonal (two ears,
    // two middle triangles) at most 27 D^2 / 128, one with three ears around a middle triangle at
    // most D^2 / (12 sqrt 3) + D^2 / 8. The factors are a little under 1 / sqrt of the largest.
    double rootFactor;
};

constexpr PolygonKind kTriangle = {3, 112, 32, 112, 1.0f / 16.0f, 0.0, 0.0};
constexpr PolygonKind kQuadrilateral = {4, 112, 8, 112, 1.0f / 16.0f, 0.0, 0.0};
constexpr PolygonKind kPentagon = {5, 80, 20, 80, 1.0f / 8.0f, 2.0 * 1.11 / 8.0, 1.681};        // 67.5 degrees
constexpr PolygonKind kHexagon = {6, 64, 20, 64, 3.0f / 8.0f, 2.0 * 1.414 * 3.0 / 8.0, 2.177};  // 90 degrees

// The polygon Q that all candidate lines cut out. A polygon made of some of the candidates has
// exactly the area of Q plus, for each pair of consecutive chosen lines, the pocket between Q and
// the corner where the two lines meet; so the pockets of a partial choice bound the final area from
// below, and choices that cannot beat the best cost are skipped early. Kept in double, and used only
// when every candidate carries an edge of Q (else nothing is skipped).
struct SupportPockets
{
    static constexpr int32_t kMaxLines = 128;
    bool valid;
    int32_t count;
    const float *lines;
    double area;
    double width;  // least width of Q (quadrilaterals only): every diagonal of one around it is at least as long
    double corners[kMaxLines][2];  // corner k: lines k - 1 and k
    double chain[kMaxLines + 1];   // twice the area swept from corner 0 to corner k along Q

    static bool Intersect(const float *l1, const float *l2, double *x, double *y)
    {
        double det = double(l1[0]) * l2[1] - double(l2[0]) * l1[1];
        if (!(det > 0.0))
            return false;
        double xn = double(l1[1]) * l2[2] - double(l2[1]) * l1[2];
        double yn = double(l2[0]) * l1[2] - double(l1[0]) * l2[2];
#if OQ_GEOMETRY_SSE2
        // Both quotients in one division.
        __m128d q = _mm_div_pd(_mm_set_pd(yn, xn), _mm_set1_pd(det));
        *x = _mm_cvtsd_f64(q);
        *y = _mm_cvtsd_f64(_mm_unpackhi_pd(q, q));
#else
        *x = xn / det;
        *y = yn / det;
#endif
        return true;
    }

    void Prepare(int32_t n, const float *candidateLines, const uint8_t *directions)
    {
        count = n;
        lines = candidateLines;
        valid = n >= 3 && n <= kMaxLines;
        for (int32_t k = 0; valid && k < n; k++)
        {
            int32_t previous = (k + n - 1) % n;
            int32_t step = (directions[k] - directions[previous] + 256) % 256;
            // The windows of the search need the directions in increasing order.
            valid = step > 0 && step < 128 && (k == 0 || directions[k] > directions[k - 1]) &&
                    Intersect(lines + 3 * previous, lines + 3 * k, &corners[k][0], &corners[k][1]);
        }
        chain[0] = 0.0;
        for (int32_t k = 0; valid && k < n; k++)
        {
            // Corner k to corner k + 1 must run forward along line k.
            const double *a = corners[k], *b = corners[(k + 1) % n];
            const float *l = lines + 3 * k;
            double along = (b[0] - a[0]) * -double(l[1]) + (b[1] - a[1]) * double(l[0]);
            valid = along >= 0.0;
            chain[k + 1] = chain[k] + (a[0] * b[1] - b[0] * a[1]);
        }
        area = valid ? chain[n] * 0.5 : 0.0;
    }

    // The least width of Q over the normals of its edges (where its least width lies): for each
    // edge the farthest corner, followed round as the edge turns. A corner missed by rounding only
    // lowers the result.
    double GetWidth() const
    {
        auto depth = [this](int32_t k, int32_t p) {
            const float *l = lines + 3 * k;
            return -(double(l[0]) * corners[p][0] + double(l[1]) * corners[p][1] + double(l[2]));
        };
        int32_t far = 0;
        for (int32_t p = 1; p < count; p++)
            far = depth(0, p) > depth(0, far) ? p : far;
        double least = depth(0, far);
        for (int32_t k = 1; k < count; k++)
        {
            for (int32_t steps = 0; steps < count && depth(k, (far + 1) % count) >= depth(k, far); steps++)
                far = (far + 1) % count;
            double d = depth(k, far);
            least = d < least ? d : least;
        }
        return least > 0.0 ? least : 0.0;
    }

    // Pockets of the pairs within a turn window, by line and list distance (1 to kMaxDistance).
    static constexpr int32_t kMaxDistance = 63;
    double table[kMaxLines][kMaxDistance + 1];
    bool tabled;

    void FillTable(const uint8_t *directions, int32_t stepMin, int32_t stepMax)
    {
        tabled = count <= kMaxLines;
        if (!valid || !tabled)
            return;
#if OQ_GEOMETRY_SSE2
        for (int32_t k = 0; k < count; k++)
        {
            lineX[k] = lines[3 * k];
            lineY[k] = lines[3 * k + 1];
            lineC[k] = lines[3 * k + 2];
            cornerX[k] = corners[k][0];
            cornerY[k] = corners[k][1];
        }
#endif
        for (int32_t i = 0; i < count; i++)
        {
            // Pairs closer than stepMin have no pocket in the window; the rest run to stepMax.
            int32_t first = 0, end = 1;
            for (int32_t d = 1; d <= kMaxDistance && d < count; d++)
            {
                int32_t step = (directions[Wrap(i + d, count)] - directions[i] + 256) % 256;
                if (step > stepMax)
                    break;
                if (step < stepMin)
                    table[i][d] = 0.0;
                else if (first == 0)
                    first = d;
                end = d + 1;
            }
            if (first == 0)
                continue;
#if OQ_GEOMETRY_SSE2
            // Up to the end of the list, then from its start.
            int32_t split = count - i < end ? count - i : end;
            if (first < split)
                ComputeRun(i, first, split);
            if (split < end)
                ComputeRun(i, split > first ? split : first, end);
#else
            for (int32_t d = first; d < end; d++)
                table[i][d] = Compute(i, Wrap(i + d, count));
#endif
        }
    }

#if OQ_GEOMETRY_SSE2
    // The lines and corners as doubles, one array per coordinate, for ComputeRun.
    double lineX[kMaxLines], lineY[kMaxLines], lineC[kMaxLines], cornerX[kMaxLines], cornerY[kMaxLines];

    // Compute(i, i + d) into the table for d in [from, to), where i + d wraps the same way for all;
    // two pairs at a time with the same operations.
    void ComputeRun(int32_t i, int32_t from, int32_t to)
    {
        int32_t d = from;
        if (d == 1)
        {
            table[i][1] = Compute(i, Wrap(i + 1, count));
            d++;
        }
        int32_t k = Wrap(i + 1, count);
        int32_t j = Wrap(i + d, count);
        // Compute's swept area: chain[j] - chain[k], or round the end of the list when j < k.
        bool around = !(k <= j);
        const __m128d lx1 = _mm_set1_pd(lines[3 * i]), ly1 = _mm_set1_pd(lines[3 * i + 1]),
                      lc1 = _mm_set1_pd(lines[3 * i + 2]);
        const __m128d ax = _mm_set1_pd(corners[k][0]), ay = _mm_set1_pd(corners[k][1]);
        const __m128d chainK = _mm_set1_pd(chain[k]), tail = _mm_set1_pd(chain[count] - chain[k]);
        const __m128d zero = _mm_setzero_pd(), half = _mm_set1_pd(0.5), sign = _mm_set1_pd(-0.0);
        for (; d + 2 <= to; d += 2, j += 2)
        {
            __m128d lx2 = _mm_loadu_pd(lineX + j), ly2 = _mm_loadu_pd(lineY + j), lc2 = _mm_loadu_pd(lineC + j);
            __m128d det = _mm_sub_pd(_mm_mul_pd(lx1, ly2), _mm_mul_pd(lx2, ly1));
            __m128d xn = _mm_sub_pd(_mm_mul_pd(ly1, lc2), _mm_mul_pd(ly2, lc1));
            __m128d yn = _mm_sub_pd(_mm_mul_pd(lx2, lc1), _mm_mul_pd(lx1, lc2));
            __m128d x = _mm_div_pd(xn, det), y = _mm_div_pd(yn, det);
            __m128d chainJ = _mm_loadu_pd(chain + j);
            __m128d swept = around ? _mm_add_pd(tail, chainJ) : _mm_sub_pd(chainJ, chainK);
            __m128d bx = _mm_loadu_pd(cornerX + j), by = _mm_loadu_pd(cornerY + j);
            __m128d twice = _mm_add_pd(_mm_add_pd(swept, _mm_sub_pd(_mm_mul_pd(bx, y), _mm_mul_pd(x, by))),
                                       _mm_sub_pd(_mm_mul_pd(x, ay), _mm_mul_pd(ax, y)));
            // -twice below zero, as Compute's select; 0 where the lines do not cross forward.
            __m128d pocket = _mm_mul_pd(_mm_xor_pd(twice, _mm_and_pd(_mm_cmplt_pd(twice, zero), sign)), half);
            _mm_storeu_pd(&table[i][d], _mm_and_pd(pocket, _mm_cmpgt_pd(det, zero)));
        }
        if (d < to)
            table[i][d] = Compute(i, j);
    }
#endif

    // The float crossing of lines l1 and l2, as the polygon's vertex.
    static void Cross(const float *l1, const float *l2, float *v)
    {
        float det = l1[0] * l2[1] - l2[0] * l1[1];
        v[0] = (l1[1] * l2[2] - l2[1] * l1[2]) / det;
        v[1] = (l2[0] * l1[2] - l1[0] * l2[2]) / det;
    }

    // The pocket of a pair within the window given to FillTable.
    double Pocket(int32_t i, int32_t j) const
    {
        int32_t d = Wrap(j - i + count, count);
        return d <= kMaxDistance ? table[i][d] : Compute(i, j);
    }

    // The pocket between Q and the corner of candidate i and the next chosen candidate j (after i,
    // cyclically).
    double Compute(int32_t i, int32_t j) const
    {
        int32_t k = Wrap(i + 1, count);
        if (k == j)
            return 0.0;
        double x, y;
        if (!Intersect(lines + 3 * i, lines + 3 * j, &x, &y))
            return 0.0;
        double swept = k <= j ? chain[j] - chain[k] : chain[count] - chain[k] + chain[j];
        const double *a = corners[k], *b = corners[j];
        double twice = swept + (b[0] * y - x * b[1]) + (x * a[1] - a[0] * y);
        return twice < 0.0 ? -twice * 0.5 : twice * 0.5;
    }
};

// The crossings of lines with the lines that bound the rays of GetLastRayStarts, each kept while
// that other line stays the same (other is -1 before the first).
struct RayStarts
{
    int32_t other[SupportPockets::kMaxLines];
    double points[SupportPockets::kMaxLines][2];
};

struct Search
{
    const PolygonKind &kind;
    int32_t count;
    const float *lines;
    const uint8_t *directions;
    float tolerance;
    float *vertices;
    float *bestCost;
    const SupportPockets &pockets;
    int16_t *atLeast;  // see PrepareDirections
    RayStarts *forwardStarts;   // by the next-to-last line, see GetLastRayStarts
    RayStarts *backwardStarts;  // by the last line
    int32_t chosen[6];
    double partial[6];  // pocket area of the chosen lines so far
    int32_t word;

    // Least pocket area from line j back round to the first chosen line through exactly r more
    // lines, every turn within the kind's window (+infinity when there is no such way), for the
    // lines that can follow the current first line.
    double remaining[6][SupportPockets::kMaxLines];
    // The lines k > j whose turn from line j lies within the kind's window: lower[j] <= k < upper[j].
    int32_t lower[SupportPockets::kMaxLines];
    int32_t upper[SupportPockets::kMaxLines];

    int32_t Step(int32_t from, int32_t to) const { return (directions[to] - directions[from] + 256) % 256; }

    void PrepareWindows()
    {
        int32_t lo = 0, hi = 0;
        for (int32_t j = 0; j < count; j++)
        {
            lo = lo > j + 1 ? lo : j + 1;
            while (lo < count && directions[lo] - directions[j] < kind.stepMin)
                lo++;
            hi = hi > lo ? hi : lo;
            while (hi < count && directions[hi] - directions[j] <= kind.stepMax)
                hi++;
            lower[j] = lo;
            upper[j] = hi;
        }
    }

    void PrepareRemaining(int32_t first)
    {
        // Level r covers the lines that r more lines may follow before the closing one; each lower
        // level covers the windows of the level above.
        int32_t levels = kind.sides - 1;
        int32_t from[6], to[6];
        from[levels - 1] = lower[first];
        to[levels - 1] = upper[first];
        for (int32_t r = levels - 2; r >= 0; r--)
        {
            from[r] = from[r + 1] < to[r + 1] ? lower[from[r + 1]] : count;
            to[r] = from[r + 1] < to[r + 1] ? upper[to[r + 1] - 1] : count;
        }
        // Only the lines in [finiteFrom, finiteTo) of a level can have a finite value; the windows of
        // the level above are cut to them (the rest would only add +infinity).
        int32_t finiteFrom = count, finiteTo = 0;
        for (int32_t k = from[0]; k < to[0]; k++)
        {
            int32_t closing = Step(k, first);
            remaining[0][k] = double(FloatInfinity);
            if (closing >= kind.stepMin && closing <= kind.stepMax)
            {
                remaining[0][k] = pockets.Pocket(k, first);
                finiteFrom = finiteFrom < k ? finiteFrom : k;
                finiteTo = k + 1;
            }
        }
        for (int32_t r = 1; r < levels; r++)
        {
            const double *next = remaining[r - 1];
            int32_t nextFrom = count, nextTo = 0;
            for (int32_t j = from[r]; j < to[r]; j++)
            {
                double least = double(FloatInfinity);
                int32_t lo = lower[j] > finiteFrom ? lower[j] : finiteFrom;
                int32_t hi = upper[j] < finiteTo ? upper[j] : finiteTo;
                if (lo < hi)
                {
                    if (pockets.tabled && hi - 1 - j <= SupportPockets::kMaxDistance)
                        least = LeastSum(pockets.table[j] + (lo - j), next + lo, hi - lo);
                    else
                    {
                        for (int32_t k = lo; k < hi; k++)
                        {
                            double v = pockets.Pocket(j, k) + next[k];
                            least = v < least ? v : least;
                        }
                    }
                    nextFrom = nextFrom < j ? nextFrom : j;
                    nextTo = j + 1;
                }
                remaining[r][j] = least;
            }
            finiteFrom = nextFrom;
            finiteTo = nextTo;
        }
    }

    // Set by Prepare: whether the directions increase, whether the area bound applies, and its terms.
    bool sorted;
    bool bounded;
    double factor;      // the interior-edge price an accepted polygon pays at least, per unit of area
    double widthPrice;  // the same for a quadrilateral's shorter diagonal, which Q's width bounds
    double limit;       // the bound a choice must not exceed to beat the best cost
    double areaLimit;   // the largest area whose cost bound stays within the limit

    void Prepare()
    {
        sorted = true;
        for (int32_t k = 1; k < count; k++)
            sorted = sorted && directions[k] > directions[k - 1];
        if (sorted)
            PrepareDirections();
        for (int32_t k = 0; k < count && k < SupportPockets::kMaxLines; k++)
        {
            forwardStarts->other[k] = -1;
            backwardStarts->other[k] = -1;
        }
        // A negative tolerance lets a larger polygon cost less: no area bound then.
        bounded = pockets.valid && pockets.tabled && tolerance >= 0.0f;
        if (bounded)
        {
            PrepareWindows();
            for (int32_t j = 0; j < count; j++)
                bounded = bounded && upper[j] - 1 - j <= SupportPockets::kMaxDistance;
        }
        factor = 1.0 + kind.diagonalFactor * double(tolerance);
        widthPrice = kind.sides == 4 ? double(tolerance) * pockets.width : 0.0;
        UpdateLimit();
    }

    // A margin for the float evaluation.
    void UpdateLimit()
    {
        double best = double(*bestCost);
        limit = best + 1.0e-3 * (best < 0.0 ? -best : best) + 1.0e-12;
        // The cost is at least area x factor + widthPrice and area + root x sqrt(area) + widthPrice,
        // both rising with the area: the area where each reaches the limit.
        double rest = limit - widthPrice;
        areaLimit = rest / factor;
        double root = kind.rootFactor * double(tolerance);
        if (root > 0.0)
        {
            double side = rest < 0.0 ? -1.0 : (std::sqrt(root * root + 4.0 * rest) - root) * 0.5;
            double rootLimit = side < 0.0 ? -1.0 : side * side;
            areaLimit = rootLimit < areaLimit ? rootLimit : areaLimit;
        }
    }

    // Whether the chosen lines with line i at this level can still give a polygon cheaper than the
    // best cost.
    bool MayBeat(int32_t level, int32_t i)
    {
        if (!bounded)
            return true;
        if (level == 0)
        {
            partial[0] = 0.0;
            PrepareRemaining(i);
            return true;
        }
        int32_t previous = chosen[level - 1];
        partial[level] = partial[level - 1] + pockets.table[previous][i - previous];
        double area = pockets.area + partial[level] + remaining[kind.sides - 1 - level][i];
        return !(area > areaLimit);
    }

    // The first line at or after `from` whose direction is at least d (the directions increase).
    int32_t FindDirection(int32_t from, int32_t d) const
    {
        int32_t k = atLeast[d < 0 ? 0 : d < kDirectionSpan ? d : kDirectionSpan - 1];
        return k > from ? k : from;
    }

    // Fills atLeast (kDirectionSpan entries, the caller's, left unset until here): the first line
    // whose direction is at least d, for every d a window can name (below first + 256 + 1 <= 369).
    void PrepareDirections()
    {
        int32_t d = 0;
        for (int32_t k = 0; k < count; k++)
            for (; d <= directions[k]; d++)
                atLeast[d] = int16_t(k);
        for (; d < kDirectionSpan; d++)
            atLeast[d] = int16_t(count);
    }

    float Distance(int32_t a, int32_t b) const
    {
        float dx = v[2 * a] - v[2 * b], dy = v[2 * a + 1] - v[2 * b + 1];
        return Sqrt(dx * dx + dy * dy);
    }

    // What the chosen lines fix of the polygon so far: vertex k once line k + 1 is chosen, the area
    // sum and the shortest side through each completed side (in the order Evaluate adds them), and
    // the diagonals between fixed vertices (pentagons and hexagons).
    float v[12];
    float twicePrefix[6];
    float shortestPrefix[6];
    float lengths[6][6];

    float AreaTerm(int32_t k, int32_t j) const { return v[2 * k] * v[2 * j + 1] - v[2 * j] * v[2 * k + 1]; }

    float SideSquared(int32_t k, int32_t j) const
    {
        float dx = v[2 * j] - v[2 * k], dy = v[2 * j + 1] - v[2 * k + 1];
        return dx * dx + dy * dy;
    }

    // Line `level` (1 to sides - 2) is chosen: vertex level - 1 is fixed.
    void Enter(int32_t level)
    {
        int32_t k = level - 1;
        SupportPockets::Cross(lines + 3 * chosen[k], lines + 3 * chosen[level], v + 2 * k);
        if (k == 0)
            return;
        twicePrefix[k - 1] = (k == 1 ? 0.0f : twicePrefix[k - 2]) + AreaTerm(k - 1, k);
        float side = SideSquared(k - 1, k), shortest = k == 1 ? FloatInfinity : shortestPrefix[k - 2];
        shortestPrefix[k - 1] = side < shortest ? side : shortest;
        if (kind.sides >= 5)
            for (int32_t a = 0; a + 2 <= k; a++)
                lengths[a][k] = Distance(a, k);
    }

    // The last line is chosen: the last two vertices close the polygon. True when it lowered the
    // best cost.
    template <int32_t n>
    bool Evaluate()
    {
        SupportPockets::Cross(lines + 3 * chosen[n - 2], lines + 3 * chosen[n - 1], v + 2 * (n - 2));
        SupportPockets::Cross(lines + 3 * chosen[n - 1], lines + 3 * chosen[0], v + 2 * (n - 1));
        float twiceArea = 0.0f, shortest = FloatInfinity;
        if constexpr (n > 3)
        {
            twiceArea = twicePrefix[n - 4];
            shortest = shortestPrefix[n - 4];
        }
        for (int32_t k = n - 3; k < n; k++)
        {
            int32_t j = Wrap(k + 1, n);
            twiceArea += AreaTerm(k, j);
            float side = SideSquared(k, j);
            shortest = side < shortest ? side : shortest;
        }
        float area = twiceArea * 0.5f;
        if (!(area < *bestCost))
            return false;
        float limit = kind.degeneracy * area;
        if (!(shortest > limit * limit))
            return false;

        float cost = area;
        int32_t pattern = 0;
        if constexpr (n == 4)
        {
            float dx02 = v[0] - v[4], dy02 = v[1] - v[5], dx13 = v[2] - v[6], dy13 = v[3] - v[7];
            float squared02 = dx02 * dx02 + dy02 * dy02, squared13 = dx13 * dx13 + dy13 * dy13;
            bool first = squared02 <= squared13;
            pattern = first ? 1 : 2;
            cost = area + tolerance * Sqrt(first ? squared02 : squared13);
        }
        else if constexpr (n >= 5)
        {
            // Pentagons fan from one vertex (patterns 3-7), hexagons use patterns 8-15; ties go to
            // the lower pattern. The diagonals to the last two vertices complete the lengths.
            for (int32_t a = 0; a + 4 <= n; a++)
                lengths[a][n - 2] = Distance(a, n - 2);
            for (int32_t a = 1; a + 3 <= n; a++)
                lengths[a][n - 1] = Distance(a, n - 1);
            // The sums add the interior edges in the order the pattern's triangles name them.
            const float(*l)[6] = lengths;
            float sums[8];
            int32_t first;
            if constexpr (n == 5)
            {
                first = 3;
                sums[0] = l[0][2] + l[0][3];
                sums[1] = l[1][3] + l[1][4];
                sums[2] = l[2][4] + l[0][2];
                sums[3] = l[0][3] + l[1][3];
                sums[4] = l[1][4] + l[2][4];
            }
            else
            {
                first = 8;
                sums[0] = l[0][2] + l[2][4] + l[0][4];
                sums[1] = l[1][3] + l[3][5] + l[1][5];
                sums[2] = l[0][2] + l[0][3] + l[3][5];
                sums[3] = l[0][2] + l[2][5] + l[3][5];
                sums[4] = l[1][3] + l[1][4] + l[0][4];
                sums[5] = l[1][3] + l[0][3] + l[0][4];
                sums[6] = l[2][4] + l[2][5] + l[1][5];
                sums[7] = l[2][4] + l[1][4] + l[1][5];
            }
            // The least sum first, taken as a pattern search that keeps a sum only when it is below
            // the best so far (so none when no sum is below infinity); the pattern, the first sum
            // that reaches it, only for a polygon that wins.
            constexpr int32_t patterns = n == 5 ? 5 : 8;
            float least = FloatInfinity;
            for (int32_t k = 0; k < patterns; k++)
                least = sums[k] < least ? sums[k] : least;
            cost = area + tolerance * least;
            if (!(cost < *bestCost))
                return false;
            for (int32_t k = 0; k < patterns && least < FloatInfinity; k++)
            {
                if (sums[k] == least)
                {
                    pattern = first + k;
                    break;
                }
            }
        }
        if (!(cost < *bestCost))
            return false;
        *bestCost = cost;
        for (int32_t k = 0; k < 2 * n; k++)
            vertices[k] = v[k];
        word = pattern << 8 | n;
        return true;
    }

    // Evaluate for this kind; the limit follows a lower best cost.
    void EvaluateChoice()
    {
        bool lowered = kind.sides == 3   ? Evaluate<3>()
                       : kind.sides == 4 ? Evaluate<4>()
                       : kind.sides == 5 ? Evaluate<5>()
                                         : Evaluate<6>();
        if (lowered)
            UpdateLimit();
    }

    // The distance from vertex k to the ray from (x, y) along line j (forward, or backward with sign -1).
    double GetRayDistance(int32_t k, double x, double y, int32_t j, double sign) const
    {
        const float *l = lines + 3 * j;
        double dx = -double(l[1]) * sign, dy = double(l[0]) * sign;
        double px = double(v[2 * k]) - x, py = double(v[2 * k + 1]) - y;
        double along = px * dx + py * dy;
        double squared = along > 0.0 ? (px * dy - py * dx) * (px * dy - py * dx) : px * px + py * py;
        return std::sqrt(squared);
    }

    // Where the last two vertices can lie when the last line is one of the lines `next` to `last`.
    // The crossing of a line with a later support line moves forward along it as that line turns
    // further, so the next-to-last vertex lies on the next-to-last line at or past its crossing with
    // line `next` (the ray start written to `forward`), and the last vertex on line 0 at or before its
    // crossing with line `last` (written to `backward`).
    void GetLastRayStarts(int32_t next, int32_t last, double *forward, double *backward) const
    {
        int32_t first = chosen[0], penultimate = chosen[kind.sides - 2];
        double *f = forwardStarts->points[penultimate];
        if (forwardStarts->other[penultimate] != next)
        {
            forwardStarts->other[penultimate] = next;
            if (!SupportPockets::Intersect(lines + 3 * penultimate, lines + 3 * next, &f[0], &f[1]))
            {
                f[0] = pockets.corners[Wrap(penultimate + 1, count)][0];
                f[1] = pockets.corners[Wrap(penultimate + 1, count)][1];
            }
        }
        double *b = backwardStarts->points[last];
        if (backwardStarts->other[last] != first)
        {
            backwardStarts->other[last] = first;
            if (!SupportPockets::Intersect(lines + 3 * last, lines + 3 * first, &b[0], &b[1]))
            {
                b[0] = pockets.corners[first][0];
                b[1] = pockets.corners[first][1];
            }
        }
        forward[0] = f[0];
        forward[1] = f[1];
        backward[0] = b[0];
        backward[1] = b[1];
    }

    // The least of the patterns' sums, less a margin against the float lengths.
    template <int32_t n>
    static double GetLeastSum(const double (&sums)[n])
    {
        double least = sums[0];
        for (double sum : sums)
            least = sum < least ? sum : least;
        return least * (1.0 - 1.0e-6);
    }

    // With the first five lines of a hexagon chosen (vertices 0-3 fixed) and the last line one of
    // the lines `next` to `last`, a lower bound of the interior edges of every triangulation: each
    // diagonal to vertex 4 or 5 is at least the distance to the ray it lies on. Against the float
    // lengths the bound keeps the limit's margin.
    double GetLastHexagonEdges(int32_t next, int32_t last) const
    {
        int32_t first = chosen[0], fourth = chosen[4];
        double f[2], b[2];
        GetLastRayStarts(next, last, f, b);
        double d04 = GetRayDistance(0, f[0], f[1], fourth, 1.0);
        double d14 = GetRayDistance(1, f[0], f[1], fourth, 1.0);
        double d24 = GetRayDistance(2, f[0], f[1], fourth, 1.0);
        double d15 = GetRayDistance(1, b[0], b[1], first, -1.0);
        double d25 = GetRayDistance(2, b[0], b[1], first, -1.0);
        double d35 = GetRayDistance(3, b[0], b[1], first, -1.0);
        double l02 = double(lengths[0][2]), l03 = double(lengths[0][3]), l13 = double(lengths[1][3]);
        const double sums[8] = {l02 + d24 + d04, l13 + d35 + d15, l02 + l03 + d35, l02 + d25 + d35,
                                l13 + d14 + d04, l13 + l03 + d04, d24 + d25 + d15, d24 + d14 + d15};
        return GetLeastSum(sums);
    }

    // The same for a pentagon with its first four lines chosen (vertices 0-2 fixed).
    double GetLastPentagonEdges(int32_t next, int32_t last) const
    {
        int32_t first = chosen[0], third = chosen[3];
        double f[2], b[2];
        GetLastRayStarts(next, last, f, b);
        double d03 = GetRayDistance(0, f[0], f[1], third, 1.0);
        double d13 = GetRayDistance(1, f[0], f[1], third, 1.0);
        double d14 = GetRayDistance(1, b[0], b[1], first, -1.0);
        double d24 = GetRayDistance(2, b[0], b[1], first, -1.0);
        double l02 = double(lengths[0][2]);
        const double sums[5] = {l02 + d03, d13 + d14, d24 + l02, d03 + d13, d14 + d24};
        return GetLeastSum(sums);
    }

    // The same for a quadrilateral with its first three lines chosen (vertices 0 and 1 fixed): its
    // shorter diagonal, also at least the support polygon's width.
    double GetLastQuadrilateralDiagonal(int32_t next, int32_t last) const
    {
        double f[2], b[2];
        GetLastRayStarts(next, last, f, b);
        double d02 = GetRayDistance(0, f[0], f[1], chosen[2], 1.0);
        double d13 = GetRayDistance(1, b[0], b[1], chosen[0], -1.0);
        double shorter = d02 < d13 ? d02 : d13;
        shorter *= 1.0 - 1.0e-6;
        return shorter > pockets.width ? shorter : pockets.width;
    }

    // The interior-edge price every polygon completed by one of the lines start to end (exclusive) as
    // the last line pays at least (quadrilaterals, pentagons and hexagons).
    double GetLastEdgePrice(int32_t start, int32_t end) const
    {
        if (start >= end)
            return 0.0;
        if (kind.sides == 6)
            return double(tolerance) * GetLastHexagonEdges(start, end - 1);
        if (kind.sides == 5)
            return double(tolerance) * GetLastPentagonEdges(start, end - 1);
        if (kind.sides == 4)
            return double(tolerance) * GetLastQuadrilateralDiagonal(start, end - 1);
        return 0.0;
    }

    // The directions line `level` (after the first) may take after the lines chosen before it.
    void GetWindow(int32_t level, int32_t *lo, int32_t *hi) const
    {
        int32_t first = directions[chosen[0]];
        int32_t previous = directions[chosen[level - 1]];
        int32_t remaining = kind.sides - level;  // n - K + 1 for the 1-based K = level + 1
        int32_t lo2 = first + 256 - kind.stepMax * remaining;
        int32_t hi2 = first + 256 - kind.stepMin * remaining;
        *lo = previous + kind.stepMin;
        *hi = previous + kind.stepMax;
        *lo = *lo > lo2 ? *lo : lo2;
        *hi = *hi < hi2 ? *hi : hi2;
        *hi = *hi < first + 255 ? *hi : first + 255;
    }

    // The end of the lines from `start` on whose direction is at most hi.
    int32_t FindEnd(int32_t start, int32_t hi) const { return FindDirection(start, hi + 1); }

    // Line `level` (after the first) among the lines start to end (exclusive), with MayBeat's test
    // (plus edgePrice for the last line): the tests of up to 64 lines are taken together against the
    // current limit, and a line that passes is tested again before it is taken, since the limit only
    // falls. Before the last line of a larger polygon than a triangle, the least area of the completions and
    // the edge price of the last line's window are tested once for all its lines.
    void ChooseBatch(int32_t level, int32_t start, int32_t end, double edgePrice)
    {
        int32_t previous = chosen[level - 1];
        const double *row = pockets.table[previous];
        const double *rest = remaining[kind.sides - 1 - level];
        double base = partial[level - 1];
        auto passes = [&](int32_t i) {
            double area = pockets.area + (base + row[i - previous]) + rest[i];
            return !(area > areaLimit) && !(area + edgePrice > limit);
        };
        for (int32_t chunk = start; chunk < end; chunk += 64)
        {
            int32_t size = end - chunk < 64 ? end - chunk : 64;
            uint64_t bits = 0;
            for (int32_t k = 0; k < size; k++)
                bits |= uint64_t(passes(chunk + k)) << k;
            for (; bits != 0; bits &= bits - 1)
            {
                int32_t i = chunk + __builtin_ctzll(bits);
                if (!passes(i))
                    continue;
                chosen[level] = i;
                if (level + 1 == kind.sides)
                {
                    EvaluateChoice();
                    continue;
                }
                partial[level] = base + row[i - previous];
                Enter(level);
                if (level + 2 == kind.sides && kind.sides >= 4)
                {
                    int32_t lo, hi;
                    GetWindow(level + 1, &lo, &hi);
                    int32_t lastStart = FindDirection(i + 1, lo);
                    int32_t lastEnd = FindEnd(lastStart, hi);
                    if (lastStart >= lastEnd)
                        continue;
                    double price = GetLastEdgePrice(lastStart, lastEnd);
                    if (pockets.area + partial[level] + rest[i] + price > limit)
                        continue;
                    ChooseBatch(level + 1, lastStart, lastEnd, price);
                }
                else
                {
                    Choose(level + 1, i + 1);
                }
            }
        }
    }

    // Chooses line `level` (0-based) after the lines already chosen, in list order.
    void Choose(int32_t level, int32_t from)
    {
        const int32_t n = kind.sides;
        int32_t lo, hi;
        if (level == 0)
        {
            lo = 0;
            hi = kind.firstMax;
        }
        else
        {
            GetWindow(level, &lo, &hi);
        }
        if (level > 0 && bounded && sorted)
        {
            int32_t start = FindDirection(from, lo), end = FindEnd(start, hi);
            ChooseBatch(level, start, end, level + 1 == n ? GetLastEdgePrice(start, end) : 0.0);
            return;
        }
        for (int32_t i = sorted ? FindDirection(from, lo) : from; i < count; i++)
        {
            int32_t d = directions[i];
            if (d < lo)
                continue;
            if (d > hi)
                break;
            if (!MayBeat(level, i))
                continue;
            chosen[level] = i;
            if (level + 1 == n)
            {
                EvaluateChoice();
            }
            else
            {
                if (level > 0)
                    Enter(level);
                Choose(level + 1, i + 1);
            }
        }
    }
};

int32_t RunSearch(const PolygonKind &kind, int32_t count, const float *lines, const uint8_t *directions,
                  float tolerance, float *vertices, float *bestCost)
{
    if (count < kind.sides)
        return 0;
    SupportPockets pockets;
    pockets.Prepare(count, lines, directions);
    pockets.width = kind.sides == 4 && pockets.valid ? pockets.GetWidth() : 0.0;
    pockets.FillTable(directions, kind.stepMin, kind.stepMax);
    int16_t atLeast[kDirectionSpan];
    RayStarts forwardStarts, backwardStarts;
    Search search{kind, count, lines, directions, tolerance, vertices, bestCost, pockets, atLeast, &forwardStarts,
                  &backwardStarts, {}, {}, 0, {}, {}, {}, false, false, 0.0, 0.0, 0.0, 0.0, {}, {}, {}, {}};
    search.Prepare();
    search.Choose(0, 0);
    return search.word;
}

}  // namespace

int32_t FindBoundingTriangle(int32_t count, const float *lines, const uint8_t *directions, float *vertices,
                             float *bestCost)
{
    return RunSearch(kTriangle, count, lines, directions, 0.0f, vertices, bestCost);
}

int32_t FindBoundingQuadrilateral(int32_t count, const float *lines, const uint8_t *directions, float tolerance,
                                  float *vertices, float *bestCost)
{
    return RunSearch(kQuadrilateral, count, lines, directions, tolerance, vertices, bestCost);
}

int32_t FindBoundingPentagon(int32_t count, const float *lines, const uint8_t *directions, float tolerance,
                             float *vertices, float *bestCost)
{
    return RunSearch(kPentagon, count, lines, directions, tolerance, vertices, bestCost);
}

int32_t FindBoundingHexagon(int32_t count, const float *lines, const uint8_t *directions, float tolerance,
                            float *vertices, float *bestCost)
{
    return RunSearch(kHexagon, count, lines, directions, tolerance, vertices, bestCost);
}

}  // namespace oq
