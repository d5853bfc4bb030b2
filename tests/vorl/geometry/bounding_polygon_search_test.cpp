// The pruned bounding polygon searches against a plain exhaustive search: the same polygon word,
// best cost and vertices, bit for bit, on the candidate lines of shapes with many near ties.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "base/ScalarMath.h"
#include "vorl/geometry/BoundingPolygon.h"

namespace oq {
namespace {

// Candidate lines (a, b, c) with their directions in 1/256 turn.
struct Candidates
{
    std::vector<float> lines;
    std::vector<uint8_t> directions;
    int32_t Count() const { return int32_t(directions.size()); }
};

struct Kind
{
    int32_t sides, firstMax, stepMin, stepMax;
    float degeneracy;
};

constexpr Kind kKinds[4] = {
    {3, 112, 32, 112, 1.0f / 16.0f},
    {4, 112, 8, 112, 1.0f / 16.0f},
    {5, 80, 20, 80, 1.0f / 8.0f},
    {6, 64, 20, 64, 3.0f / 8.0f},
};

// The interior edges of hexagon triangulations 8 to 15, in the order they are summed.
constexpr int kHexagonDiagonals[8][3][2] = {
    {{0, 2}, {2, 4}, {4, 0}}, {{1, 3}, {3, 5}, {5, 1}}, {{0, 2}, {0, 3}, {3, 5}}, {{0, 2}, {2, 5}, {3, 5}},
    {{1, 3}, {1, 4}, {0, 4}}, {{1, 3}, {0, 3}, {0, 4}}, {{1, 5}, {2, 5}, {2, 4}}, {{1, 5}, {1, 4}, {2, 4}},
};

// Every combination the direction rules allow, evaluated in list order.
struct ExhaustiveSearch
{
    Kind kind;
    const Candidates &candidates;
    float tolerance;
    float *vertices;
    float *bestCost;
    int32_t chosen[6] = {};
    int32_t word = 0;

    float Length(const float *v, int a, int b) const
    {
        float dx = v[2 * a] - v[2 * b], dy = v[2 * a + 1] - v[2 * b + 1];
        return Sqrt(dx * dx + dy * dy);
    }

    void Evaluate()
    {
        const int n = kind.sides;
        float v[12];
        for (int k = 0; k < n; k++)
        {
            const float *l1 = &candidates.lines[3 * size_t(chosen[k])];
            const float *l2 = &candidates.lines[3 * size_t(chosen[(k + 1) % n])];
            float det = l1[0] * l2[1] - l2[0] * l1[1];
            v[2 * k] = (l1[1] * l2[2] - l2[1] * l1[2]) / det;
            v[2 * k + 1] = (l2[0] * l1[2] - l1[0] * l2[2]) / det;
        }
        float twice = 0.0f, shortest = FloatInfinity;
        for (int k = 0; k < n; k++)
        {
            int j = (k + 1) % n;
            twice += v[2 * k] * v[2 * j + 1] - v[2 * j] * v[2 * k + 1];
            float dx = v[2 * j] - v[2 * k], dy = v[2 * j + 1] - v[2 * k + 1];
            shortest = std::fmin(shortest, dx * dx + dy * dy);
        }
        float area = twice * 0.5f;
        if (!(area < *bestCost)) return;
        float limit = kind.degeneracy * area;
        if (!(shortest > limit * limit)) return;
        float cost = area;
        int pattern = 0;
        if (n == 4)
        {
            float dx02 = v[0] - v[4], dy02 = v[1] - v[5], dx13 = v[2] - v[6], dy13 = v[3] - v[7];
            bool first = dx02 * dx02 + dy02 * dy02 <= dx13 * dx13 + dy13 * dy13;
            pattern = first ? 1 : 2;
            cost = area + tolerance * (first ? Length(v, 0, 2) : Length(v, 1, 3));
        }
        else if (n == 5)
        {
            float least = FloatInfinity;
            for (int k = 0; k < 5; k++)
            {
                float sum = Length(v, k, (k + 2) % 5) + Length(v, k, (k + 3) % 5);
                if (sum < least)
                {
                    least = sum;
                    pattern = 3 + k;
                }
            }
            cost = area + tolerance * least;
        }
        else if (n == 6)
        {
            float least = FloatInfinity;
            for (int p = 0; p < 8; p++)
            {
                float sum = 0.0f;
                for (const auto &edge : kHexagonDiagonals[p])
                    sum += Length(v, edge[0], edge[1]);
                if (sum < least)
                {
                    least = sum;
                    pattern = 8 + p;
                }
            }
            cost = area + tolerance * least;
        }
        if (!(cost < *bestCost)) return;
        *bestCost = cost;
        std::memcpy(vertices, v, sizeof(float) * 2 * size_t(n));
        word = pattern << 8 | n;
    }

    void Choose(int level, int32_t from)
    {
        const int n = kind.sides;
        int32_t lo = 0, hi = kind.firstMax;
        if (level > 0)
        {
            int32_t first = candidates.directions[size_t(chosen[0])];
            int32_t previous = candidates.directions[size_t(chosen[level - 1])];
            int32_t rest = n - level;
            lo = std::max(previous + kind.stepMin, first + 256 - kind.stepMax * rest);
            hi = std::min({previous + kind.stepMax, first + 256 - kind.stepMin * rest, first + 255});
        }
        for (int32_t i = from; i < candidates.Count(); i++)
        {
            int32_t d = candidates.directions[size_t(i)];
            if (d < lo) continue;
            if (d > hi) break;
            chosen[level] = i;
            if (level + 1 == n)
                Evaluate();
            else
                Choose(level + 1, i + 1);
        }
    }
};

int32_t RunExhaustive(int kindIndex, const Candidates &c, float tolerance, float *vertices, float *bestCost)
{
    if (c.Count() < kKinds[kindIndex].sides) return 0;
    ExhaustiveSearch search{kKinds[kindIndex], c, tolerance, vertices, bestCost};
    search.Choose(0, 0);
    return search.word;
}

int32_t RunPruned(int kindIndex, const Candidates &c, float tolerance, float *vertices, float *bestCost)
{
    switch (kindIndex)
    {
    case 0: return FindBoundingTriangle(c.Count(), c.lines.data(), c.directions.data(), vertices, bestCost);
    case 1:
        return FindBoundingQuadrilateral(c.Count(), c.lines.data(), c.directions.data(), tolerance, vertices,
                                         bestCost);
    case 2: return FindBoundingPentagon(c.Count(), c.lines.data(), c.directions.data(), tolerance, vertices, bestCost);
    default: return FindBoundingHexagon(c.Count(), c.lines.data(), c.directions.data(), tolerance, vertices, bestCost);
    }
}

// The crossing of two lines.
void Cross(const float *l1, const float *l2, float *x, float *y)
{
    float det = l1[0] * l2[1] - l2[0] * l1[1];
    *x = (l1[1] * l2[2] - l2[1] * l1[2]) / det;
    *y = (l2[0] * l1[2] - l1[0] * l2[2]) / det;
}

// The support lines of a point set at 128 directions, keeping those that carry an edge longer than
// 0.001 of the polygon they cut out; with step 2 only the even ones, as the larger polygons use.
Candidates SupportCandidates(const std::vector<std::pair<float, float>> &points, int step)
{
    float lines[128][3];
    for (int k = 0; k < 128; k++)
    {
        GetTrigTableEntry(2 * k, &lines[k][0], &lines[k][1]);
        float high = -FloatInfinity;
        for (const auto &p : points)
            high = std::fmax(high, lines[k][0] * p.first + lines[k][1] * p.second);
        lines[k][2] = -high;
    }
    const int n = 128 / step;
    std::vector<float> corners(2 * size_t(n));
    for (int k = 0; k < n; k++)
        Cross(lines[((k + n - 1) % n) * step], lines[k * step], &corners[2 * size_t(k)], &corners[2 * size_t(k) + 1]);
    Candidates c;
    for (int k = 0; k < n; k++)
    {
        size_t a = 2 * size_t(k), b = 2 * size_t((k + 1) % n);
        float dx = corners[b] - corners[a], dy = corners[b + 1] - corners[a + 1];
        if (dx * dx + dy * dy > 1.0e-6f)
        {
            c.lines.insert(c.lines.end(), lines[k * step], lines[k * step] + 3);
            c.directions.push_back(uint8_t(2 * k * step));
        }
    }
    return c;
}

std::vector<std::pair<float, float>> Ellipse(float cx, float cy, float rx, float ry, float turn, int points)
{
    std::vector<std::pair<float, float>> p;
    for (int i = 0; i < points; i++)
    {
        double a = 2 * M_PI * i / points, x = rx * std::cos(a), y = ry * std::sin(a);
        p.emplace_back(float(cx + x * std::cos(turn) - y * std::sin(turn)),
                       float(cy + x * std::sin(turn) + y * std::cos(turn)));
    }
    return p;
}

TEST(BoundingPolygonSearch, PrunedSearchesEqualTheExhaustiveSearch)
{
    std::vector<std::vector<std::pair<float, float>>> shapes = {
        Ellipse(0.5f, 0.5f, 0.4f, 0.4f, 0, 256),       // circle: rotations of one polygon tie
        Ellipse(-0.25f, -0.13f, 0.05f, 0.05f, 0, 96),   // a small ring away from the origin
        Ellipse(3.0f, 2.0f, 0.3f, 0.3f, 0, 200),        // far from the origin
        Ellipse(0.4f, 0.3f, 0.45f, 0.12f, 0.3f, 160),   // long and tilted
        Ellipse(0.5f, 0.5f, 0.3f, 0.29f, 1.0f, 31),     // almost round, few corners
    };
    // Half disk, rounded square and random clouds.
    std::vector<std::pair<float, float>> half = Ellipse(0.5f, 0, 0.5f, 0.5f, 0, 128);
    for (auto &p : half)
        p.second = std::fmax(p.second, 0.0f);
    shapes.push_back(half);
    std::vector<std::pair<float, float>> rounded;
    for (auto &p : Ellipse(0, 0, 0.1f, 0.1f, 0, 64))
        rounded.emplace_back(p.first + (p.first > 0 ? 0.3f : -0.3f), p.second + (p.second > 0 ? 0.3f : -0.3f));
    shapes.push_back(rounded);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    for (int s = 0; s < 4; s++)
    {
        std::vector<std::pair<float, float>> cloud;
        for (int i = 0; i < 12 + 20 * s; i++)
            cloud.emplace_back(unit(random), 0.6f * unit(random));
        shapes.push_back(cloud);
    }

    // The sanitizer build (about 20 times slower here) searches every other shape.
#if defined(__SANITIZE_ADDRESS__)
    const size_t kShapeStep = 2;
#else
    const size_t kShapeStep = 1;
#endif
    for (size_t s = 0; s < shapes.size(); s += kShapeStep)
    {
        Candidates first = SupportCandidates(shapes[s], 1), second = SupportCandidates(shapes[s], 2);
        for (float factor : {0.0f, 1.0f, 4.0f, -1.0f})
        {
            SCOPED_TRACE(testing::Message() << "shape " << s << " factor " << factor);
            float tolerance = 0.025f * factor;
            float prunedBest = FloatInfinity, exhaustiveBest = FloatInfinity;
            // Hexagons are the slowest to search exhaustively (about 1 s here in an optimized
            // build): only at the compiler's edge factor, and not under the sanitizers.
            int lastKind = factor == 1.0f && kShapeStep == 1 ? 3 : 2;
            for (int kind = 0; kind <= lastKind; kind++)
            {
                const Candidates &c = kind == 0 ? first : second;
                float pruned[12] = {}, exhaustive[12] = {};
                int32_t a = RunPruned(kind, c, tolerance, pruned, &prunedBest);
                int32_t b = RunExhaustive(kind, c, tolerance, exhaustive, &exhaustiveBest);
                ASSERT_EQ(a, b) << "kind " << kind;
                ASSERT_EQ(std::memcmp(&prunedBest, &exhaustiveBest, sizeof(float)), 0)
                    << prunedBest << " " << exhaustiveBest;
                EXPECT_EQ(std::memcmp(pruned, exhaustive, sizeof(pruned)), 0) << "kind " << kind;
            }
            EXPECT_LT(prunedBest, FloatInfinity);
        }
    }
}

}  // namespace
}  // namespace oq
