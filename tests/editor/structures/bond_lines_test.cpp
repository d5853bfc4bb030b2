// Bond lines: curve counts per style, dash and mark spacing, wedge widths, stroke offsets, the wavy
// stroke's width, and well-formed outlines at every range end and at random designs.
#include "editor/structures/BondNode.h"

#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace oq {
namespace {

constexpr float kSize = 11.0f;
constexpr float kMu = kSize / 18.0f;

std::vector<QuadraticBezier2D> Build(const Design &design, float size, uint32_t style, const Point2D &p0,
                                     const Point2D &p1, int32_t *count)
{
    BondCurveArray curves;
    *count = BondNode::BuildBondLines(&design, size, style, p0, p1, &curves);
    return std::vector<QuadraticBezier2D>(curves.begin(), curves.end());
}

// The counts the design gives a line of the length: dashes, hashed marks, wave periods.
struct Counts
{
    int32_t dashes;
    int32_t marks;
    int32_t periods;
};

Counts GetCounts(const Design &design, float s, float length)
{
    auto get = [&design](uint32_t key) { return GetGroupParam(&design, 'bond', key); };
    float mu = s / 18.0f;
    float t1 = get('rul1') * mu;
    float D = std::max(get('pdsh') * s, t1), G = std::max(get('pgap') * s, t1);
    float Dw = std::max(get('wdsh') * s, get('wth1') * mu), Gw = std::max(get('wgap') * s, get('wth1') * mu);
    auto clamp = [](float v, int32_t low, int32_t high) { return std::clamp(int32_t(std::floor(v)), low, high); };
    return {clamp((length + G) / (D + G) + 0.5f, 2, 8), clamp((length + Gw) / (Dw + Gw) + 0.5f, 2, 16),
            clamp(length / (get('wave') * s) + 0.5f, 1, 8)};
}

// Curves of a style: fixed, per dash, per hashed mark, per wave period.
struct StyleRow
{
    uint32_t style;
    int32_t fixed;
    int32_t perDash;
    int32_t perMark;
    int32_t perPeriod;
};

const StyleRow kStyles[] = {
    {'sing', 4, 0, 0, 0}, {'hevy', 4, 0, 0, 0}, {'doub', 8, 0, 0, 0}, {'trip', 12, 0, 0, 0}, {'wavy', 2, 0, 0, 8},
    {'swgo', 4, 0, 0, 0}, {'swgi', 4, 0, 0, 0}, {'dwgo', 0, 0, 4, 0}, {'dwgi', 0, 0, 4, 0}, {'part', 0, 4, 0, 0},
    {'prd1', 4, 4, 0, 0}, {'prd2', 4, 4, 0, 0}, {'prt1', 8, 4, 0, 0}, {'prt2', 8, 4, 0, 0}, {'prt3', 8, 4, 0, 0},
};

int32_t ExpectedCount(const StyleRow &row, const Counts &counts)
{
    return row.fixed + row.perDash * counts.dashes + row.perMark * counts.marks + row.perPeriod * counts.periods;
}

// Finite, closed, straight edges straight, every contour counter-clockwise (no holes).
std::string CheckBondOutline(const std::vector<QuadraticBezier2D> &curves)
{
    test::OutlineChecks checks;
    checks.outerContours = int32_t(test::FindContourStarts(curves.data(), int32_t(curves.size()), 0.0f).size());
    return test::CheckOutline(curves, checks);
}

// A point in the line's frame: along u from p0 and along the left normal.
struct LineFrame
{
    Point2D p0;
    Vector2D u;

    LineFrame(const Point2D &a, const Point2D &b) : p0(a)
    {
        float length = std::hypot(b.x - a.x, b.y - a.y);
        u = Vector2D((b.x - a.x) / length, (b.y - a.y) / length);
    }
    float Along(const Point2D &p) const { return (p.x - p0.x) * u.x + (p.y - p0.y) * u.y; }
    float Across(const Point2D &p) const { return -(p.x - p0.x) * u.y + (p.y - p0.y) * u.x; }
};

const Point2D kStart(3.0f, -2.0f);

Point2D EndAt(float length, float degrees)
{
    double angle = degrees * std::numbers::pi / 180.0;
    return Point2D(kStart.x + float(length * std::cos(angle)), kStart.y + float(length * std::sin(angle)));
}

TEST(BondLines, CurveCountsPerStyle)
{
    Design design;
    for (float lengthEm : {0.2f, 0.75f, 1.5938f, 3.0f})
    {
        for (float angle : {0.0f, 60.0f, 210.0f})
        {
            float length = lengthEm * kSize;
            Point2D p1 = EndAt(length, angle);
            Counts counts = GetCounts(design, kSize, LineFrame(kStart, p1).Along(p1));
            for (const StyleRow &row : kStyles)
            {
                SCOPED_TRACE(testing::Message() << test::KeyName(row.style) << " " << lengthEm << " em at " << angle);
                int32_t count = 0;
                std::vector<QuadraticBezier2D> curves = Build(design, kSize, row.style, kStart, p1, &count);
                EXPECT_EQ(count, ExpectedCount(row, counts));
                EXPECT_EQ(int32_t(curves.size()), count);
                EXPECT_EQ(CheckBondOutline(curves), "");
            }
        }
    }
}

TEST(BondLines, UnknownStylesDrawNothingAndLinesAppend)
{
    Design design;
    BondCurveArray curves;
    for (uint32_t style : {0u, uint32_t('Sing'), uint32_t('xxxx'), uint32_t('sin ')})
    {
        EXPECT_EQ(BondNode::BuildBondLines(&design, kSize, style, kStart, EndAt(8.0f, 0.0f), &curves), 0);
    }
    EXPECT_EQ(curves.GetElementCount(), 0);
    // Each call appends after what the array holds.
    ASSERT_EQ(BondNode::BuildBondLines(&design, kSize, 'sing', kStart, EndAt(8.0f, 0.0f), &curves), 4);
    ASSERT_EQ(BondNode::BuildBondLines(&design, kSize, 'doub', kStart, EndAt(8.0f, 90.0f), &curves), 8);
    ASSERT_EQ(curves.GetElementCount(), 12);
    EXPECT_EQ(curves[0].p0.x, kStart.x);  // the single stroke is still first
    EXPECT_NEAR(curves[4].p0.x, kStart.x - 3.2959f * kMu / 2.0f - 0.8525f * kMu / 2.0f, 1e-5f);
}

// The dashes of a dashed line as (start, end) along the line, in order.
std::vector<std::pair<float, float>> DashSpans(const std::vector<QuadraticBezier2D> &curves, int32_t first,
                                               int32_t count, const LineFrame &frame)
{
    std::vector<std::pair<float, float>> spans;
    for (int32_t i = first; i < first + count; i += 4)
    {
        float low = INFINITY, high = -INFINITY;
        for (int32_t k = i; k < i + 4; ++k)
        {
            low = std::min(low, frame.Along(curves[k].p0));
            high = std::max(high, frame.Along(curves[k].p0));
        }
        spans.push_back({low, high});
    }
    return spans;
}

TEST(BondLines, DashesFillTheLineExactly)
{
    Design design;
    const float D = 0.1519f * kSize;
    const float G = 0.07593f * kSize;
    // A 3-em line would take 14 dashes; it gets the most, 8.
    EXPECT_EQ(std::floor((3.0f * kSize + G) / (D + G) + 0.5f), 14.0f);
    const struct
    {
        float length;
        float angle;
        int32_t dashes;
    } rows[] = {{3.0f * kSize, 30.0f, 8}, {0.9f * (D + G), 0.0f, 2}, {0.75f * kSize, 135.0f, 4}, {0.1f, 270.0f, 2}};
    for (const auto &row : rows)
    {
        SCOPED_TRACE(row.length);
        Point2D p1 = EndAt(row.length, row.angle);
        LineFrame frame(kStart, p1);
        float length = frame.Along(p1);
        int32_t count = 0;
        std::vector<QuadraticBezier2D> curves = Build(design, kSize, 'part', kStart, p1, &count);
        ASSERT_EQ(count, 4 * row.dashes);
        std::vector<std::pair<float, float>> spans = DashSpans(curves, 0, count, frame);
        float tolerance = 2e-6f * (kSize + length);
        EXPECT_NEAR(spans.front().first, 0.0f, tolerance);
        EXPECT_NEAR(spans.back().second, length, tolerance);
        float dash = spans[0].second - spans[0].first;
        float total = 0.0f;
        for (size_t i = 0; i < spans.size(); ++i)
        {
            total += spans[i].second - spans[i].first;
            EXPECT_NEAR(spans[i].second - spans[i].first, dash, tolerance);
            if (i == 0) continue;
            float gap = spans[i].first - spans[i - 1].second;
            total += gap;
            EXPECT_NEAR(gap / dash, G / D, 1e-4f);
        }
        EXPECT_NEAR(total, length, tolerance);
    }
}

TEST(BondLines, MultipleStrokesStandApart)
{
    Design design;
    const float t1 = 0.8525f * kMu;
    const float m = 3.2959f * kMu;
    const struct
    {
        uint32_t style;
        std::vector<float> offsets;  // the lines' offsets in the order they are appended
        std::vector<bool> dashed;
    } rows[] = {
        {'doub', {m / 2, -m / 2}, {false, false}},    {'trip', {m, 0, -m}, {false, false, false}},
        {'prd1', {m / 2, -m / 2}, {true, false}},     {'prd2', {m / 2, -m / 2}, {false, true}},
        {'prt1', {m, 0, -m}, {true, false, false}},   {'prt2', {m, 0, -m}, {false, false, true}},
        {'prt3', {m, 0, -m}, {false, true, false}},   {'sing', {0}, {false}},
    };
    Point2D p1 = EndAt(1.5938f * kSize, 120.0f);
    LineFrame frame(kStart, p1);
    for (const auto &row : rows)
    {
        SCOPED_TRACE(test::KeyName(row.style));
        int32_t count = 0;
        std::vector<QuadraticBezier2D> curves = Build(design, kSize, row.style, kStart, p1, &count);
        int32_t first = 0;
        for (size_t line = 0; line < row.offsets.size(); ++line)
        {
            int32_t lineCurves = row.dashed[line] ? 4 * GetCounts(design, kSize, frame.Along(p1)).dashes : 4;
            ASSERT_LE(first + lineCurves, count);
            for (int32_t i = first; i < first + lineCurves; ++i)
            {
                float across = frame.Across(curves[i].p0) - row.offsets[line];
                EXPECT_NEAR(std::fabs(across), t1 / 2.0f, 1e-5f) << "line " << line;
            }
            std::vector<std::pair<float, float>> spans = DashSpans(curves, first, lineCurves, frame);
            EXPECT_NEAR(spans.front().first, 0.0f, 1e-5f);
            EXPECT_NEAR(spans.back().second, frame.Along(p1), 1e-4f);
            first += lineCurves;
        }
        EXPECT_EQ(first, count);
    }
}

TEST(BondLines, WedgesWidenTowardsTheirWideEnd)
{
    Design design;
    const float narrow = 0.426f * kMu;
    const float wide = 4.26f * kMu;
    Point2D p1 = EndAt(0.75f * kSize, 210.0f);
    LineFrame frame(kStart, p1);
    float length = frame.Along(p1);
    const struct
    {
        uint32_t style;
        float atStart;
        float atEnd;
    } rows[] = {{'swgo', narrow, wide}, {'swgi', wide, narrow}, {'dwgo', narrow, wide}, {'dwgi', wide, narrow}};
    for (const auto &row : rows)
    {
        SCOPED_TRACE(test::KeyName(row.style));
        int32_t count = 0;
        std::vector<QuadraticBezier2D> curves = Build(design, kSize, row.style, kStart, p1, &count);
        ASSERT_GT(count, 0);
        for (const QuadraticBezier2D &c : curves)
        {
            // Straight edges only; every corner at the wedge's half width where it stands.
            EXPECT_EQ(c.p1.x, c.p2.x);
            EXPECT_EQ(c.p1.y, c.p2.y);
            float x = frame.Along(c.p0) / length;
            EXPECT_NEAR(std::fabs(frame.Across(c.p0)), ((1.0f - x) * row.atStart + x * row.atEnd) / 2.0f, 2e-5f);
        }
        std::vector<std::pair<float, float>> spans = DashSpans(curves, 0, count, frame);
        EXPECT_NEAR(spans.front().first, 0.0f, 1e-5f);
        EXPECT_NEAR(spans.back().second, length, 1e-4f);
    }
}

// The wave's centre line as the Part of the bond draws it: k periods of four quadratics.
std::vector<Point2D> SampleWaveCentre(const LineFrame &frame, float length, float wavelength, float amplitude)
{
    int32_t k = std::clamp(int32_t(std::floor(length / wavelength + 0.5f)), 1, 8);
    double P = double(length) / k;
    std::vector<Point2D> samples;
    const double ys[5] = {0.0, amplitude, 0.0, -amplitude, 0.0};
    const double controls[4] = {amplitude, amplitude, -amplitude, -amplitude};
    for (int32_t j = 0; j < k; ++j)
    {
        for (int32_t q = 0; q < 4; ++q)
        {
            double x0 = j * P + q * P / 4, x1 = x0 + P / 4, cx = x0 + P / 8;
            for (int32_t i = 0; i <= 400; ++i)
            {
                double t = i / 400.0;
                double x = (1 - t) * (1 - t) * x0 + 2 * t * (1 - t) * cx + t * t * x1;
                double y = (1 - t) * (1 - t) * ys[q] + 2 * t * (1 - t) * controls[q] + t * t * ys[q + 1];
                samples.push_back(Point2D(float(frame.p0.x + x * frame.u.x - y * frame.u.y),
                                          float(frame.p0.y + x * frame.u.y + y * frame.u.x)));
            }
        }
    }
    return samples;
}

TEST(BondLines, WavyStrokeKeepsItsWidth)
{
    Design design;
    const float t1 = 0.8525f * kMu;
    const float wavelength = 0.3037f * kSize;
    const float amplitude = 0.076f * kSize;
    for (float lengthEm = 0.5f; lengthEm <= 3.0f; lengthEm += 0.25f)
    {
        SCOPED_TRACE(lengthEm);
        Point2D p1 = EndAt(lengthEm * kSize, 300.0f);
        LineFrame frame(kStart, p1);
        float length = frame.Along(p1);
        int32_t count = 0;
        std::vector<QuadraticBezier2D> curves = Build(design, kSize, 'wavy', kStart, p1, &count);
        int32_t k = GetCounts(design, kSize, length).periods;
        ASSERT_EQ(count, 8 * k + 2);
        EXPECT_EQ(CheckBondOutline(curves), "");
        std::vector<Point2D> centre = SampleWaveCentre(frame, length, wavelength, amplitude);
        double worst = 0.0;
        for (int32_t i = 0; i < count; ++i)
        {
            if (i == 4 * k || i == 8 * k + 1) continue;  // the end caps cross the centre line
            for (float t : {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f})
            {
                const QuadraticBezier2D &c = curves[i];
                float a = (1 - t) * (1 - t), b = 2 * t * (1 - t), d = t * t;
                Point2D p(a * c.p0.x + b * c.p1.x + d * c.p2.x, a * c.p0.y + b * c.p1.y + d * c.p2.y);
                double nearest = INFINITY;
                for (const Point2D &q : centre) nearest = std::min(nearest, double(std::hypot(p.x - q.x, p.y - q.y)));
                worst = std::max(worst, std::fabs(nearest - t1 / 2.0) / (t1 / 2.0));
            }
        }
        EXPECT_LT(worst, 0.05);
    }
}

TEST(BondLines, ShortWavyBondDrawsOnePeriod)
{
    Design design;
    const float wavelength = 0.3037f * kSize;
    for (float length : {0.49f * wavelength, 0.1f, 1e-3f})
    {
        SCOPED_TRACE(length);
        Point2D p1 = EndAt(length, 45.0f);
        LineFrame frame(kStart, p1);
        int32_t count = 0;
        std::vector<QuadraticBezier2D> curves = Build(design, kSize, 'wavy', kStart, p1, &count);
        ASSERT_EQ(count, 10);
        EXPECT_EQ(CheckBondOutline(curves), "");
        // Crest and trough of the one period stand the amplitude and half the stroke off the line.
        float top = -INFINITY, bottom = INFINITY;
        for (const QuadraticBezier2D &c : curves)
        {
            top = std::max(top, frame.Across(c.p0));
            bottom = std::min(bottom, frame.Across(c.p0));
        }
        float reach = 0.076f * kSize + 0.8525f * kMu / 2.0f;
        EXPECT_NEAR(top, reach, 1e-5f);
        EXPECT_NEAR(bottom, -reach, 1e-5f);
    }
    // A line without length has no direction for the wave: nothing is drawn.
    const Point2D origin(0.0f, 0.0f);
    for (const Point2D &p1 : {origin, Point2D(1e-39f, 0.0f), Point2D(0.0f, 1e-20f)})
    {
        int32_t count = 0;
        Build(design, kSize, 'wavy', origin, p1, &count);
        EXPECT_EQ(count, 0);
    }
    // Just above it the wave is drawn, finite and closed.
    int32_t count = 0;
    std::vector<QuadraticBezier2D> tiny = Build(design, kSize, 'wavy', origin, Point2D(2e-19f, 0.0f), &count);
    EXPECT_EQ(count, 10);
    test::OutlineChecks checks;
    checks.emptyAllowed = true;
    checks.orientation = false;
    EXPECT_EQ(test::CheckOutline(tiny, checks), "");
}

// The lines a bond of the design draws: the short and long horizontal, vertical and diagonal ones
// (steep and shallow, towards the upper left).
std::vector<Point2D> GetDesignLineEnds(const Design &design, float s)
{
    auto get = [&design](uint32_t key) { return GetGroupParam(&design, 'bond', key); };
    std::vector<Point2D> ends;
    for (uint32_t key : {'hsln', 'hlln'}) ends.push_back(EndAt(get(key) * s, 0.0f));
    for (uint32_t key : {'vsln', 'vlln'}) ends.push_back(EndAt(get(key) * s, 90.0f));
    for (uint32_t key : {'dsln', 'dlln'})
    {
        for (uint32_t angle : {'astp', 'ashl'}) ends.push_back(EndAt(get(key) * s, 180.0f - get(angle)));
    }
    return ends;
}

void ExpectWellFormedBonds(const Design &design, float s, const std::vector<Point2D> &ends)
{
    for (const Point2D &p1 : ends)
    {
        float length = std::hypot(p1.x - kStart.x, p1.y - kStart.y);
        Counts counts = GetCounts(design, s, length);
        for (const StyleRow &row : kStyles)
        {
            int32_t count = 0;
            std::vector<QuadraticBezier2D> curves = Build(design, s, row.style, kStart, p1, &count);
            ASSERT_EQ(count, ExpectedCount(row, counts)) << test::KeyName(row.style) << " length " << length;
            ASSERT_EQ(CheckBondOutline(curves), "") << test::KeyName(row.style) << " length " << length;
        }
    }
}

TEST(BondLines, WellFormedAtEveryRangeEnd)
{
    test::ForEachRangeEnd('bond', [](const Design &design, const std::string &label) {
        SCOPED_TRACE(label);
        for (float size : test::kRangeSizes)
        {
            SCOPED_TRACE(testing::Message() << "size " << size);
            ExpectWellFormedBonds(design, size, GetDesignLineEnds(design, size));
        }
    });
}

TEST(BondLines, WellFormedAtRandomDesigns)
{
    std::mt19937 random(52115);
    std::uniform_real_distribution<float> logSize(0.0f, std::log(1800.0f));
    std::uniform_real_distribution<float> lengthEm(0.1f, 4.0f);
    std::uniform_real_distribution<float> angle(0.0f, 360.0f);
    Design design;
    for (int32_t draw = 0; draw < 3000; ++draw)
    {
        test::DrawGroupInsideRanges('bond', &random, &design);
        float size = std::exp(logSize(random));
        SCOPED_TRACE(testing::Message() << "draw " << draw << ", size " << size);
        ExpectWellFormedBonds(design, size, {EndAt(lengthEm(random) * size, angle(random))});
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace oq
