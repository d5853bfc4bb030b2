// The corner, quarter and zigzag lines: bends and fitted ellipses, the straight fallback, dashes and
// corner pieces, end offsets, anchors and their directions, items, hit tests and Kettric text.
#include "DrawingTesting.h"

#include "editor/document/MathDesign.h"
#include "editor/drawing/CornerLineObject.h"
#include "editor/drawing/QuarterLineObject.h"
#include "editor/drawing/ZigzagLineObject.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace oq {
namespace {

void ClearList(DisplayList *list)
{
    while (ListElement *element = list->GetFirstListElement())
    {
        list->Remove(element);
        delete element;
    }
}

// The curve counts of the items a drawing object builds.
std::vector<int32_t> ItemCounts(const Design &design, const DrawingObject &object)
{
    DisplayList list;
    object.BuildPathItems(&design, &list);
    std::vector<int32_t> counts;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        counts.push_back(static_cast<FillPathItem *>(e)->curveCount);
    }
    ClearList(&list);
    return counts;
}

// The start points of a run of straight curves: the polygon's corners.
std::vector<Point2D> Corners(const QuadraticBezier2D *curves, int32_t count)
{
    std::vector<Point2D> corners;
    for (int32_t i = 0; i < count; ++i) corners.push_back(curves[i].p0);
    return corners;
}

double PolygonArea(const std::vector<Point2D> &polygon)
{
    double area = 0.0;
    for (size_t i = 0; i < polygon.size(); ++i)
    {
        const Point2D &a = polygon[i];
        const Point2D &b = polygon[(i + 1) % polygon.size()];
        area += (double(a.x) * b.y - double(b.x) * a.y) / 2.0;
    }
    return area;
}

// The part of a polygon inside an axis-parallel box (clipped edge by edge).
std::vector<Point2D> ClipToBox(std::vector<Point2D> polygon, float x0, float y0, float x1, float y1)
{
    auto clip = [&](auto inside, auto cross) {
        std::vector<Point2D> out;
        for (size_t i = 0; i < polygon.size(); ++i)
        {
            const Point2D &a = polygon[i];
            const Point2D &b = polygon[(i + 1) % polygon.size()];
            if (inside(a)) out.push_back(a);
            if (inside(a) != inside(b)) out.push_back(cross(a, b));
        }
        polygon = out;
    };
    auto atX = [](float x) {
        return [x](const Point2D &a, const Point2D &b) { return Point2D(x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x)); };
    };
    auto atY = [](float y) {
        return [y](const Point2D &a, const Point2D &b) { return Point2D(a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y); };
    };
    clip([&](const Point2D &p) { return p.x >= x0; }, atX(x0));
    clip([&](const Point2D &p) { return p.x <= x1; }, atX(x1));
    clip([&](const Point2D &p) { return p.y >= y0; }, atY(y0));
    clip([&](const Point2D &p) { return p.y <= y1; }, atY(y1));
    return polygon;
}

void ExpectNearPoint(const Point2D &actual, const Point2D &expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

class BentLineTest : public ::testing::Test
{
protected:
    void SetUp() override { test::PrepareDrawingTests(); }

    float Fsiz() const { return design.GetBaseFontSize(); }
    float Width() const { return Fsiz() * GetGroupParam(&design, 'line', 'wid0'); }
    float Short() const { return Fsiz() * GetGroupParam(&design, 'line', 'shto'); }
    float EndOffset() const { return Fsiz() * GetGroupParam(&design, 'anno', 'lned'); }
    float MiddleOffset() const { return Fsiz() * GetGroupParam(&design, 'anno', 'lnmd'); }
    DashFit Fit(float length, uint8_t dashIndex) const
    {
        LineObject probe;
        probe.dashIndex = dashIndex;
        float dash = 0.0f, gap = 0.0f;
        EXPECT_TRUE(probe.GetDashLengths(&design, Width(), &dash, &gap));
        DashFit fit{};
        EXPECT_TRUE(FitDashPattern(length, dash, gap, &fit));
        return fit;
    }

    Design design;
};

TEST_F(BentLineTest, CornerBendsAndHitsAlongItsLegs)
{
    struct Case
    {
        bool v;
        Point2D corner;
        Point2D onLegs[2];
        Point2D off;
    };
    const Case cases[] = {
        {false, Point2D(10, 0), {Point2D(5, 0.2f), Point2D(10.2f, 3)}, Point2D(2, 4)},
        {true, Point2D(0, 5), {Point2D(-0.2f, 2), Point2D(7, 5.2f)}, Point2D(8, 1)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.v);
        CornerLineObject line(c.v);
        line.RebuildGeometry(&design, Point2D(0, 0), Point2D(10, 5));
        ASSERT_TRUE(line.IsPlaced());
        EXPECT_FALSE(line.straight);
        EXPECT_EQ(line.corner, c.corner);
        EXPECT_EQ(line.lineAnchors[2], c.corner);
        EXPECT_EQ(line.direction, Vector2D(1, 1));
        for (const Point2D &p : c.onLegs) EXPECT_TRUE(line.HitTest(p, 0.5f));
        EXPECT_FALSE(line.HitTest(c.off, 0.5f));
        // Solid: one item per leg; the horizontal leg reaches the far side of the vertical one.
        EXPECT_EQ(ItemCounts(design, line), (std::vector<int32_t>{4, 4}));
        float r = Width() / 2;
        std::vector<Point2D> horizontal = Corners(line.curves.GetElements(), 4);
        float low = 1e30f, high = -1e30f;
        for (const Point2D &p : horizontal)
        {
            low = std::fmin(low, p.x);
            high = std::fmax(high, p.x);
        }
        EXPECT_NEAR(c.v ? low : high, c.v ? -r : 10 + r, 1e-5f);
        EXPECT_GT(PolygonArea(horizontal), 0.0);
        EXPECT_GT(PolygonArea(Corners(line.curves.GetElements() + 4, 4)), 0.0);
    }
}

// Ends on one horizontal or vertical line: the straight line's geometry, anchors, directions, items
// and hit test, "v" still written, and a frame on the ends' bounding box.
TEST_F(BentLineTest, StraightFallback)
{
    const Point2D ends[][2] = {{Point2D(0, 3), Point2D(20, 3)}, {Point2D(4, 9), Point2D(4, -11)}};
    std::unique_ptr<BentLineObject> lines[] = {std::make_unique<CornerLineObject>(true),
                                               std::make_unique<QuarterLineObject>(true),
                                               std::make_unique<ZigzagLineObject>(true)};
    for (auto &bent : lines)
    {
        for (const auto &end : ends)
        {
            SCOPED_TRACE(bent->GetKind());
            bent->startDecoration = kLineEndArrow1;
            bent->dashIndex = 2;
            bent->RebuildGeometry(&design, end[0], end[1]);
            LineObject straight;
            straight.startDecoration = kLineEndArrow1;
            straight.dashIndex = 2;
            straight.RebuildGeometry(&design, end[0], end[1]);
            ASSERT_TRUE(bent->straight);
            ASSERT_EQ(bent->curves.GetElementCount(), straight.curves.GetElementCount());
            for (int32_t i = 0; i < straight.curves.GetElementCount(); ++i) EXPECT_EQ(bent->curves[i].p1, straight.curves[i].p1);
            EXPECT_EQ(ItemCounts(design, *bent), ItemCounts(design, straight));
            const Point2D *a = nullptr, *b = nullptr;
            ASSERT_EQ(bent->GetAnchorPoints('anno', &a), 4);
            ASSERT_EQ(straight.GetAnchorPoints('anno', &b), 4);
            for (int32_t i = 0; i < 4; ++i)
            {
                EXPECT_EQ(a[i], b[i]);
                Vector2D da, db;
                bent->GetAnchorDirection(&da, i);
                straight.GetAnchorDirection(&db, i);
                EXPECT_EQ(da, db);
            }
            Point2D middle((end[0].x + end[1].x) / 2, (end[0].y + end[1].y) / 2);
            EXPECT_TRUE(bent->HitTest(middle, 0.5f));
            // Where the bent shapes would run, the straight line is not.
            EXPECT_FALSE(bent->HitTest(Point2D(end[1].x + 5, end[0].y + 5), 0.5f));

            DisplayList list;
            bent->BuildSelectionOutline(0.5f, &list);
            ASSERT_EQ(list.GetListElementCount(), 1);
            auto *frame = static_cast<FillPathItem *>(list.GetFirstListElement());
            // No margin: the outer rectangle is the bounding box widened by the half thickness.
            EXPECT_NEAR(frame->curves[0].p0.x, std::fmin(end[0].x, end[1].x) - 0.5f, 1e-5f);
            EXPECT_NEAR(frame->curves[0].p0.y, -(std::fmin(end[0].y, end[1].y) - 0.5f), 1e-5f);
            ClearList(&list);
        }
    }
    CornerLineObject corner(true);
    corner.RebuildGeometry(&design, Point2D(1, 1), Point2D(1, 8));
    ASSERT_TRUE(corner.straight);
    TextBuffer buffer;
    EXPECT_TRUE(corner.WriteKettricProperties(&buffer));
    EXPECT_EQ(std::string(buffer.data, buffer.size), " (s,v");
    buffer.Free();
}

// The dashed corner: 4 (nh + nv) - 2 curves, an L-shaped corner piece of area 2r(dh + dv) - 4r^2,
// and the bend square inside it however short the legs' dashes come out.
TEST_F(BentLineTest, DashedCornerPieceCoversTheBend)
{
    float w = Width();
    float r = w / 2;
    struct Case
    {
        float dx, dy;
        uint8_t dashIndex;
    };
    const Case cases[] = {
        {40, 25, 1}, {-40, 25, 2}, {40, -25, 3}, {-40, -25, 1},
        {0.3f, 30, 1},    // the horizontal leg's dashes are shorter than the stroke
        {30, -0.2f, 2},   // the vertical leg's
        {0.1f, 0.1f, 3},  // both
    };
    for (bool v : {false, true})
    {
        for (const Case &c : cases)
        {
            SCOPED_TRACE(testing::Message() << v << " " << c.dx << " " << c.dy);
            CornerLineObject line(v);
            line.dashIndex = c.dashIndex;
            Point2D s(3, 4);
            Point2D f(s.x + c.dx, s.y + c.dy);
            line.RebuildGeometry(&design, s, f);
            DashFit fh = Fit(std::fabs(c.dx) + r, c.dashIndex);
            DashFit fv = Fit(std::fabs(c.dy) + r, c.dashIndex);
            ASSERT_EQ(line.curves.GetElementCount(), 4 * (fh.count + fv.count) - 2);
            std::vector<int32_t> items(size_t(fh.count + fv.count - 1), 4);
            items[0] = 6;
            EXPECT_EQ(ItemCounts(design, line), items);

            std::vector<Point2D> piece = Corners(line.curves.GetElements(), 6);
            float dh = std::fmax(fh.dash, w), dv = std::fmax(fv.dash, w);
            EXPECT_NEAR(PolygonArea(piece), 2 * r * (dh + dv) - 4 * r * r, 1e-3 * (dh + dv) * w);
            Point2D corner = line.corner;
            std::vector<Point2D> inside = ClipToBox(piece, corner.x - r, corner.y - r, corner.x + r, corner.y + r);
            EXPECT_NEAR(std::fabs(PolygonArea(inside)), w * w, 1e-3 * w * w);
            // Every other dash is a bar of one fitted dash.
            for (int32_t i = 6; i < line.curves.GetElementCount(); i += 4)
            {
                double area = PolygonArea(Corners(&line.curves[i], 4));
                EXPECT_GT(area, 0.0);
                bool horizontal = i < 6 + 4 * (fh.count - 1);
                EXPECT_NEAR(area, (horizontal ? fh.dash : fv.dash) * w, 1e-3 * w);
            }
        }
    }
}

// 'shrt' is capped by a quarter of its own leg's extent; the bend stays where the layout put it.
TEST_F(BentLineTest, CornerUndershootCappedByItsLeg)
{
    float u = Short();
    struct Case
    {
        bool v;
        Point2D finish;
        float startMove, finishMove;  // how far each end moved towards the bend
    };
    const Case cases[] = {
        {false, Point2D(u, 10 * u), u / 4, u},  // the start's horizontal leg is short
        {false, Point2D(10 * u, u), u, u / 4},
        {true, Point2D(u, 10 * u), u, u / 4},   // the start's vertical leg is long
        {true, Point2D(10 * u, -u), u / 4, u},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.v << " " << c.finish.x << " " << c.finish.y);
        CornerLineObject line(c.v);
        line.startOffset = kLineEndShort;
        line.finishOffset = kLineEndShort;
        line.RebuildGeometry(&design, Point2D(0, 0), c.finish);
        EXPECT_EQ(line.corner, c.v ? Point2D(0, c.finish.y) : Point2D(c.finish.x, 0));
        // The free ends of the legs: the corners farthest from the bend.
        float horizontalEnd = line.corner.x, verticalEnd = line.corner.y;
        for (int32_t i = 0; i < 4; ++i)
        {
            if (std::fabs(line.curves[i].p0.x - line.corner.x) > std::fabs(horizontalEnd - line.corner.x)) horizontalEnd = line.curves[i].p0.x;
            if (std::fabs(line.curves[4 + i].p0.y - line.corner.y) > std::fabs(verticalEnd - line.corner.y)) verticalEnd = line.curves[4 + i].p0.y;
        }
        Point2D h = c.v ? c.finish : Point2D(0, 0);
        Point2D vEnd = c.v ? Point2D(0, 0) : c.finish;
        float hMove = c.v ? c.finishMove : c.startMove;
        float vMove = c.v ? c.startMove : c.finishMove;
        EXPECT_NEAR(std::fabs(horizontalEnd - h.x), hMove, 1e-4f);
        EXPECT_NEAR(std::fabs(verticalEnd - vEnd.y), vMove, 1e-4f);
    }
}

// The 8 annotation anchors lie along their directions from their reference points, for every
// combination of signs and both values of v.
TEST_F(BentLineTest, CornerAnchorsAndDirections)
{
    float e = EndOffset(), m = MiddleOffset();
    {
        CornerLineObject line;
        line.RebuildGeometry(&design, Point2D(0, 0), Point2D(10, 5));
        const Vector2D expected[8] = {Vector2D(-1, 0), Vector2D(0, 1), Vector2D(1, 0), Vector2D(0, -1),
                                      Vector2D(-1, 0), Vector2D(1, 0), Vector2D(0, 1), Vector2D(0, -1)};
        for (int32_t i = 0; i < 8; ++i)
        {
            Vector2D d;
            line.GetAnchorDirection(&d, i);
            EXPECT_EQ(d, expected[i]) << i;
        }
    }
    const Vector2D signs[4] = {Vector2D(1, 1), Vector2D(-1, 1), Vector2D(-1, -1), Vector2D(1, -1)};
    for (bool v : {false, true})
    {
        for (const Vector2D &sign : signs)
        {
            SCOPED_TRACE(testing::Message() << v << " " << sign.x << " " << sign.y);
            CornerLineObject line(v);
            Point2D s(2, 3);
            Point2D f(s.x + 30 * sign.x, s.y + 20 * sign.y);
            line.RebuildGeometry(&design, s, f);
            Point2D c = v ? Point2D(s.x, f.y) : Point2D(f.x, s.y);
            ASSERT_EQ(line.corner, c);
            Point2D h = v ? f : s, vEnd = v ? s : f;
            Point2D legMiddles(0.5f * (h.x + c.x), 0.5f * (vEnd.y + c.y));
            const Point2D *points = nullptr;
            ASSERT_EQ(line.GetAnchorPoints('anno', &points), 8);
            const Point2D references[8] = {s, f, c, c, Point2D(c.x, legMiddles.y), Point2D(c.x, legMiddles.y),
                                           Point2D(legMiddles.x, c.y), Point2D(legMiddles.x, c.y)};
            const float lengths[8] = {e, e, m, m, m, m, m, m};
            Vector2D directions[8];
            for (int32_t i = 0; i < 8; ++i)
            {
                line.GetAnchorDirection(&directions[i], i);
                EXPECT_EQ(std::fabs(directions[i].x) + std::fabs(directions[i].y), 1.0f) << i;
                ExpectNearPoint(points[i], references[i] + directions[i] * lengths[i], 1e-4f);
            }
            // Ends point away from the bend along their own legs; 2 lies past the bend along the
            // start leg, 3 back from the bend against the finish leg.
            EXPECT_LT(Dot(directions[0], c - s), 0.0f);
            EXPECT_LT(Dot(directions[1], c - f), 0.0f);
            EXPECT_GT(Dot(points[2] - c, c - s), 0.0f);
            EXPECT_LT(Dot(points[3] - c, f - c), 0.0f);
            EXPECT_EQ(directions[4], Vector2D(-sign.x, 0));
            EXPECT_EQ(directions[6], Vector2D(0, sign.y));
        }
    }
}

TEST_F(BentLineTest, QuarterEllipseFittedBetweenTheEnds)
{
    struct Case
    {
        bool v;
        Point2D center;
        Point2D onArc, off, beyondTheEnds;
    };
    const float d = 10.0f * float(M_SQRT1_2);
    const Case cases[] = {
        {false, Point2D(0, 0), Point2D(d, d), Point2D(10, 10), Point2D(-10, 0)},
        {true, Point2D(10, 10), Point2D(10 - d, 10 - d), Point2D(0, 0), Point2D(20, 10)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.v);
        QuarterLineObject line(c.v);
        line.RebuildGeometry(&design, Point2D(0, 10), Point2D(10, 0));
        ASSERT_FALSE(line.straight);
        EXPECT_EQ(line.center, c.center);
        EXPECT_EQ(line.radiusX, 10.0f);
        EXPECT_EQ(line.radiusY, 10.0f);
        EXPECT_TRUE(line.HitTest(c.onArc, 0.5f));
        EXPECT_FALSE(line.HitTest(c.off, 0.5f));
        EXPECT_FALSE(line.HitTest(c.center, 0.5f));
        EXPECT_FALSE(line.HitTest(c.beyondTheEnds, 0.5f));  // on the ellipse, outside the ends' box
        // The solid band: outer arc, end, inner arc back, end; counter-clockwise, closed.
        ASSERT_EQ(line.curves.GetElementCount(), 8);
        EXPECT_EQ(ItemCounts(design, line), (std::vector<int32_t>{8}));
        float r = Width() / 2;
        for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(line.curves[i].p2, line.curves[(i + 1) % 8].p0);
        for (int32_t i : {0, 1, 2})
        {
            Vector2D a = line.curves[i].p0 - c.center, b = line.curves[4 + i].p0 - c.center;
            EXPECT_NEAR(std::hypot(a.x, a.y), 10 + r, 1e-4f);
            EXPECT_NEAR(std::hypot(b.x, b.y), 10 - r, 1e-4f);
        }
        // Leaves the start horizontally (v true: vertically): the band's end there runs across.
        const QuadraticBezier2D &end = line.curves[c.v ? 7 : 3];
        EXPECT_NEAR(c.v ? end.p0.y - end.p2.y : end.p0.x - end.p2.x, 0.0f, 1e-5f);
        ExpectNearPoint(Point2D(0.5f * (end.p0.x + end.p2.x), 0.5f * (end.p0.y + end.p2.y)), Point2D(0, 10), 1e-5f);
        // Anchor directions: the ends outward, 2 the stored offset, 3 its negation.
        Vector2D d0, d1, d2, d3;
        line.GetAnchorDirection(&d0, 0);
        line.GetAnchorDirection(&d1, 1);
        line.GetAnchorDirection(&d2, 2);
        line.GetAnchorDirection(&d3, 3);
        EXPECT_EQ(d0, c.v ? Vector2D(0, 1) : Vector2D(-1, 0));
        EXPECT_EQ(d1, c.v ? Vector2D(1, 0) : Vector2D(0, -1));
        EXPECT_EQ(d2, line.middleOffset);
        EXPECT_EQ(d3, -line.middleOffset);
        ExpectNearPoint(line.annotationAnchors[2], line.lineAnchors[2] + line.middleOffset, 1e-5f);
    }
}

// The midpoint anchor lies at half the length of the 64-segment polygon, not at 45 degrees.
TEST_F(BentLineTest, QuarterMidpointAtHalfTheArcLength)
{
    const double rx = 40.0, ry = 8.0;
    std::vector<double> lengths(65, 0.0);
    for (int32_t k = 1; k <= 64; ++k)
    {
        double a0 = (k - 1) * M_PI / 128, a1 = k * M_PI / 128;
        lengths[size_t(k)] = lengths[size_t(k - 1)] + std::hypot(rx * (std::cos(a1) - std::cos(a0)), ry * (std::sin(a1) - std::sin(a0)));
    }
    double half = lengths[64] / 2;
    int32_t k = 0;
    while (lengths[size_t(k + 1)] <= half) ++k;
    double angle = (k + (half - lengths[size_t(k)]) / (lengths[size_t(k + 1)] - lengths[size_t(k)])) * M_PI / 128;

    QuarterLineObject line;  // v false: from the start horizontally, centre (start.x, finish.y)
    line.RebuildGeometry(&design, Point2D(0, 8), Point2D(40, 0));
    ASSERT_EQ(line.center, Point2D(0, 0));
    ExpectNearPoint(line.lineAnchors[2], Point2D(float(rx * std::cos(angle)), float(ry * std::sin(angle))), 1e-2f);
    EXPECT_GT(std::fabs(line.lineAnchors[2].x - float(rx * M_SQRT1_2)), 1.0f);
    // Its offset is the outward normal there times the midpoint offset.
    Vector2D n(float(std::cos(angle) * ry), float(std::sin(angle) * rx));
    n = n / std::hypot(n.x, n.y);
    ExpectNearPoint(Point2D(line.middleOffset), Point2D(n * MiddleOffset()), 5e-3f);
}

// On a flat ellipse the dashes have equal lengths along the centre line.
TEST_F(BentLineTest, QuarterDashesByArcLength)
{
    const double rx = 40.0, ry = 2.0;
    for (bool v : {false, true})
    {
        SCOPED_TRACE(v);
        QuarterLineObject line(v);
        line.dashIndex = 1;
        // v false: X (the finish) on the horizontal axis; v true: X is the start.
        Point2D s = v ? Point2D(40, 0) : Point2D(0, 2);
        Point2D f = v ? Point2D(0, 2) : Point2D(40, 0);
        line.RebuildGeometry(&design, s, f);
        ASSERT_EQ(line.center, Point2D(0, 0));
        int32_t count = line.curves.GetElementCount();
        ASSERT_GE(count, 16);
        ASSERT_EQ(count % 4, 0);
        EXPECT_EQ(ItemCounts(design, line), (std::vector<int32_t>{count}));
        auto angleOf = [&](const Point2D &p) { return std::atan2(p.y / ry, p.x / rx); };
        auto arc = [&](double a0, double a1) {
            double length = 0.0;
            for (int32_t i = 0; i < 2000; ++i)
            {
                double t0 = a0 + (a1 - a0) * i / 2000, t1 = a0 + (a1 - a0) * (i + 1) / 2000;
                length += std::hypot(rx * (std::cos(t1) - std::cos(t0)), ry * (std::sin(t1) - std::sin(t0)));
            }
            return length;
        };
        std::vector<double> dashes;
        for (int32_t i = 0; i < count; i += 4)
        {
            const QuadraticBezier2D *piece = &line.curves[i];
            Point2D c0((piece[0].p0.x + piece[3].p0.x) / 2, (piece[0].p0.y + piece[3].p0.y) / 2);
            Point2D c1((piece[1].p0.x + piece[1].p2.x) / 2, (piece[1].p0.y + piece[1].p2.y) / 2);
            dashes.push_back(arc(angleOf(c0), angleOf(c1)));
            EXPECT_TRUE(std::isfinite(piece[0].p1.x) && std::isfinite(piece[2].p1.y));
        }
        double first = dashes.front();
        for (double dash : dashes) EXPECT_NEAR(dash, first, 0.01 * first);
        // Laid from the end on the horizontal axis.
        EXPECT_NEAR(line.curves[0].p0.y + line.curves[3].p0.y, 0.0f, 1e-4f);
    }
}

// An undershoot or decoration at one end moves the centre and the radius on that side.
TEST_F(BentLineTest, QuarterEndsReshapeTheWholeQuarter)
{
    float u = Short();
    float w = Width();
    float pull = std::fmax(w * GetGroupParam(&design, 'line', 'wgln') - w / 2, 0.0f);
    QuarterLineObject line;
    line.startOffset = kLineEndShort;  // the start (on the vertical axis) moves along x
    line.RebuildGeometry(&design, Point2D(0, 40), Point2D(40, 0));
    EXPECT_NEAR(line.center.x, u, 1e-5f);
    EXPECT_EQ(line.center.y, 0.0f);
    EXPECT_NEAR(line.radiusX, 40 - u, 1e-4f);
    EXPECT_EQ(line.radiusY, 40.0f);
    // The line anchors stay on the layout's ends.
    EXPECT_EQ(line.lineAnchors[0], Point2D(0, 40));

    QuarterLineObject decorated;
    decorated.finishDecoration = kLineEndWedge;  // the finish (on the horizontal axis) moves up
    decorated.RebuildGeometry(&design, Point2D(0, 40), Point2D(40, 0));
    EXPECT_EQ(decorated.center.x, 0.0f);
    EXPECT_NEAR(decorated.center.y, pull, 1e-5f);
    EXPECT_NEAR(decorated.radiusY, 40 - pull, 1e-4f);
    // The decoration's tip is on the layout's finish, its axis vertical.
    EXPECT_EQ(decorated.finishDecorationCurves[0].p0, Point2D(40, 0));
}

// Offsets or decorations that bring a radius to 0 give finite geometry in the quadrant of the
// layout's ends, solid and dashed.
TEST_F(BentLineTest, QuarterWithAZeroRadius)
{
    float w = Width();
    float r = w / 2;
    float pull = std::fmax(w * GetGroupParam(&design, 'line', 'wgln') - w / 2, 0.0f);
    struct Case
    {
        const char *name;
        bool v;
        Point2D start, finish;
        uint32_t startDecoration, finishDecoration;
        bool zeroX;
    };
    const Case cases[] = {
        // v false: the start (Y) moves along x by the pull onto the finish's x.
        {"rx, +x +y", false, Point2D(0, 10), Point2D(pull, 0), kLineEndWedge, 0, true},
        {"rx, -x +y", false, Point2D(0, 10), Point2D(-pull, 0), kLineEndWedge, 0, true},
        // v false: the finish (X) moves along y onto the start's y.
        {"ry, +x -y", false, Point2D(0, 0), Point2D(10, pull), 0, kLineEndWedge, false},
        {"ry, -x -y", false, Point2D(0, 0), Point2D(-10, pull), 0, kLineEndWedge, false},
        // v true: the start is X and moves along y.
        {"ry, v", true, Point2D(0, -pull), Point2D(10, 0), kLineEndWedge, 0, false},
    };
    for (const Case &c : cases)
    {
        for (uint8_t dashIndex : {0, 2})
        {
            SCOPED_TRACE(testing::Message() << c.name << " " << int(dashIndex));
            QuarterLineObject line(c.v);
            line.dashIndex = dashIndex;
            line.startDecoration = c.startDecoration;
            line.finishDecoration = c.finishDecoration;
            line.RebuildGeometry(&design, c.start, c.finish);
            ASSERT_TRUE(line.IsPlaced());
            EXPECT_EQ(c.zeroX ? line.radiusX : line.radiusY, 0.0f);
            // The quadrant of the layout's ends as seen from the centre.
            Point2D y = c.v ? c.finish : c.start, x = c.v ? c.start : c.finish;
            float sx = (x.x > y.x) ? 1.0f : -1.0f, sy = (y.y > x.y) ? 1.0f : -1.0f;
            for (const QuadraticBezier2D &curve : line.curves)
            {
                for (const Point2D &p : {curve.p0, curve.p1, curve.p2})
                {
                    ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
                    EXPECT_GE(sx * (p.x - line.center.x), -r - 1e-4f);
                    EXPECT_GE(sy * (p.y - line.center.y), -r - 1e-4f);
                }
            }
            for (int32_t i = 0; i < 4; ++i)
            {
                Vector2D d;
                line.GetAnchorDirection(&d, i);
                EXPECT_TRUE(std::isfinite(d.x) && std::isfinite(d.y));
                EXPECT_TRUE(std::isfinite(line.annotationAnchors[i].x) && std::isfinite(line.annotationAnchors[i].y));
            }
        }
    }
}

TEST_F(BentLineTest, ZigzagLegsAroundTheMiddleLine)
{
    struct Case
    {
        bool v;
        Point2D bends[2];
        Point2D onLegs[3];
        Point2D off;
    };
    const Case cases[] = {
        {true, {Point2D(0, 3), Point2D(10, 3)}, {Point2D(0.2f, 1), Point2D(5, 3.2f), Point2D(9.8f, 5)}, Point2D(5, 0)},
        {false, {Point2D(5, 0), Point2D(5, 6)}, {Point2D(2, 0.2f), Point2D(5.2f, 3), Point2D(8, 5.8f)}, Point2D(0, 6)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.v);
        ZigzagLineObject line(c.v);
        line.RebuildGeometry(&design, Point2D(0, 0), Point2D(10, 6));
        ASSERT_FALSE(line.straight);
        EXPECT_EQ(line.bends[0], c.bends[0]);
        EXPECT_EQ(line.bends[1], c.bends[1]);
        EXPECT_EQ(line.lineAnchors[2], Point2D(5, 3));
        for (const Point2D &p : c.onLegs) EXPECT_TRUE(line.HitTest(p, 0.5f));
        EXPECT_FALSE(line.HitTest(c.off, 0.5f));
        EXPECT_EQ(ItemCounts(design, line), (std::vector<int32_t>{4, 4, 4}));
        for (int32_t i = 0; i < 12; i += 4) EXPECT_GT(PolygonArea(Corners(&line.curves[i], 4)), 0.0);
        // More than the 8 inline curves: the array went to the heap and stays there.
        EXPECT_GT(line.curves.GetReservedCount(), 8);
        const QuadraticBezier2D *heap = line.curves.GetElements();
        line.RebuildGeometry(&design, Point2D(0, 0), Point2D(10, 0));
        EXPECT_TRUE(line.straight);
        EXPECT_EQ(line.curves.GetElements(), heap);
    }
}

// The middle line stays halfway between the layout's ends whatever the ends do; 'shrt' is capped by
// a quarter of the ends' distance across it, the same at both ends.
TEST_F(BentLineTest, ZigzagMiddleLineStaysInPlace)
{
    float u = Short();
    float r = Width() / 2;
    for (bool v : {true, false})
    {
        SCOPED_TRACE(v);
        ZigzagLineObject line(v);
        line.startOffset = kLineEndShort;
        line.finishOffset = kLineEndShort;
        line.startDecoration = kLineEndArrow2;
        line.finishDecoration = kLineEndRoundDot;
        // Across the middle line the ends are 2u apart: each moves by u / 2.
        Point2D s(0, 0);
        Point2D f = v ? Point2D(10 * u, 2 * u) : Point2D(2 * u, 10 * u);
        line.RebuildGeometry(&design, s, f);
        ASSERT_EQ(line.curves.GetElementCount(), 12);
        float across0 = 1e30f, across1 = -1e30f;
        for (int32_t i = 8; i < 12; ++i)
        {
            float a = v ? line.curves[i].p0.y : line.curves[i].p0.x;
            across0 = std::fmin(across0, a);
            across1 = std::fmax(across1, a);
        }
        EXPECT_NEAR(across0, u - r, 1e-4f);
        EXPECT_NEAR(across1, u + r, 1e-4f);

        ZigzagLineObject shortened(v);
        shortened.startOffset = kLineEndShort;
        shortened.finishOffset = kLineEndShort;
        shortened.RebuildGeometry(&design, s, f);
        float start = 1e30f, finish = -1e30f;
        for (int32_t i = 0; i < 4; ++i)
        {
            start = std::fmin(start, v ? shortened.curves[i].p0.y : shortened.curves[i].p0.x);
            finish = std::fmax(finish, v ? shortened.curves[4 + i].p0.y : shortened.curves[4 + i].p0.x);
        }
        EXPECT_NEAR(start, u / 2, 1e-4f);
        EXPECT_NEAR(finish, 2 * u - u / 2, 1e-4f);
    }
}

TEST_F(BentLineTest, DashedZigzagCounts)
{
    float w = Width();
    float r = w / 2;
    struct Case
    {
        Point2D finish;
        uint8_t dashIndex;
    };
    const Case cases[] = {
        {Point2D(60, 40), 1}, {Point2D(-60, 40), 2}, {Point2D(60, -40), 3},
        {Point2D(0.2f, 40), 1},  // a middle leg of 2 dashes: no own middle dashes
    };
    for (bool v : {true, false})
    {
        for (const Case &c : cases)
        {
            SCOPED_TRACE(testing::Message() << v << " " << c.finish.x << " " << c.finish.y);
            ZigzagLineObject line(v);
            line.dashIndex = c.dashIndex;
            line.RebuildGeometry(&design, Point2D(0, 0), c.finish);
            float along = std::fabs(v ? c.finish.y : c.finish.x);
            float across = std::fabs(v ? c.finish.x : c.finish.y);
            DashFit fm = Fit(across + 2 * r, c.dashIndex);
            DashFit fa = Fit(along / 2 + r, c.dashIndex);
            ASSERT_EQ(line.curves.GetElementCount(), 4 * (fm.count + 2 * fa.count) - 4);
            EXPECT_EQ(line.middleDashCurves, 4 * (fm.count - 2));
            EXPECT_EQ(line.firstLegDashCurves, 4 * (fa.count - 1));
            EXPECT_EQ(line.secondLegDashCurves, 4 * (fa.count - 1));
            EXPECT_EQ(ItemCounts(design, line),
                      (std::vector<int32_t>{6, 6, line.middleDashCurves, line.firstLegDashCurves, line.secondLegDashCurves}));
            if (v && c.finish.x == 0.2f)
            {
                EXPECT_EQ(line.middleDashCurves, 0);
            }
            // Every piece is counter-clockwise; the own dashes are bars of one fitted dash.
            for (int32_t i = 0; i < 12; i += 6)
            {
                std::vector<Point2D> piece = Corners(&line.curves[i], 6);
                EXPECT_GT(PolygonArea(piece), 0.0);
                // The bend square lies inside the piece: the first at the lower (v false: left) end.
                float sign = v ? line.direction.y : line.direction.x;
                Point2D bend = line.bends[((sign > 0.0f) == (i == 0)) ? 0 : 1];
                std::vector<Point2D> inside = ClipToBox(piece, bend.x - r, bend.y - r, bend.x + r, bend.y + r);
                EXPECT_NEAR(PolygonArea(inside), w * w, 1e-3 * w * w);
            }
            for (int32_t i = 12; i < line.curves.GetElementCount(); i += 4)
            {
                double area = PolygonArea(Corners(&line.curves[i], 4));
                bool middle = i < 12 + line.middleDashCurves;
                EXPECT_NEAR(area, (middle ? fm.dash : fa.dash) * w, 1e-3 * w);
            }
        }
    }
}

TEST_F(BentLineTest, ZigzagAnchorsAndDirections)
{
    float e = EndOffset(), m = MiddleOffset();
    for (bool v : {true, false})
    {
        for (float sign : {1.0f, -1.0f})
        {
            SCOPED_TRACE(testing::Message() << v << " " << sign);
            ZigzagLineObject line(v);
            Point2D s(1, 2);
            Point2D f(s.x + 20 * sign, s.y + 30 * sign);
            line.RebuildGeometry(&design, s, f);
            Point2D g(0.5f * (s.x + f.x), 0.5f * (s.y + f.y));
            const Point2D *points = nullptr;
            ASSERT_EQ(line.GetAnchorPoints('anno', &points), 8);
            // Anchors 4-7 sit beside the end legs' middles.
            Point2D legS = v ? Point2D(s.x, 0.5f * (s.y + g.y)) : Point2D(0.5f * (s.x + g.x), s.y);
            Point2D legF = v ? Point2D(f.x, 0.5f * (f.y + g.y)) : Point2D(0.5f * (f.x + g.x), f.y);
            const Point2D references[8] = {s, f, g, g, legS, legS, legF, legF};
            const float lengths[8] = {e, e, m, m, m, m, m, m};
            Vector2D along = v ? Vector2D(0, sign) : Vector2D(sign, 0);
            for (int32_t i = 0; i < 8; ++i)
            {
                Vector2D d;
                line.GetAnchorDirection(&d, i);
                ExpectNearPoint(points[i], references[i] + d * lengths[i], 1e-4f);
                if (i < 4) EXPECT_EQ(d, (i % 2 == 0) ? -along : along) << i;
                else EXPECT_EQ(Dot(d, along), 0.0f) << i;
            }
            // Left of the direction of travel first.
            Vector2D d4;
            line.GetAnchorDirection(&d4, 4);
            EXPECT_EQ(Cross(along, d4), 1.0f);
        }
    }
}

// "v" after "es", "ef", "os" and "of"; texts read and write back unchanged.
TEST_F(BentLineTest, KettricRoundTrip)
{
    const char *const heads[] = {
        "(s)",
        "(s,v)",
        "(s,w=2,d=1,sco=0x80FF0000,es='arr1',ef='wedg',os='long',of='shrt',v)",
        "(f,fpi=3,s,d=3,es='sdcr',of=7)",
        "(s,ef='sdsq',v)",
    };
    for (const char *identifier : {"Cn", "Qe", "Zg"})
    {
        for (const char *head : heads)
        {
            std::string line = std::string(identifier) + " " + head;
            SCOPED_TRACE(line);
            std::string text = "Gr { Bg $a {} Bg $b {} }\n" + line + " { X { ref{$a,$b} u32{0,0} i32{0,1} } }";
            EquationDocument document;
            ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
            std::string written = test::WriteDrawingDocument(document);
            EXPECT_EQ(test::FindHead(written, identifier), line);
            EquationDocument again;
            ASSERT_EQ(again.ParseAndResolve(written.c_str()), 0u);
            EXPECT_EQ(test::WriteDrawingDocument(again), written);
            // A clone keeps v and the line's properties.
            auto *object = dynamic_cast<BentLineObject *>(document.GetRootStructure()->GetLastSubnodeStructure());
            ASSERT_NE(object, nullptr);
            std::unique_ptr<DocumentNode> clone(object->Clone());
            auto *bent = dynamic_cast<BentLineObject *>(clone.get());
            ASSERT_NE(bent, nullptr);
            EXPECT_EQ(bent->v, object->v);
            EXPECT_EQ(bent->finishOffset, object->finishOffset);
            EXPECT_EQ(bent->GetKind(), object->GetKind());
            EXPECT_FALSE(bent->IsPlaced());
        }
    }
    // A bent line with the stroke and fill off and only "v" opens its list with it.
    CornerLineObject corner(true);
    corner.stroke = false;
    TextBuffer buffer;
    EXPECT_TRUE(corner.WriteKettricProperties(&buffer));
    EXPECT_EQ(std::string(buffer.data, buffer.size), " (v");
    buffer.Free();
}

TEST_F(BentLineTest, UnplacedAndOutOfRangeEnds)
{
    const float huge = 3e38f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::unique_ptr<BentLineObject> lines[] = {std::make_unique<CornerLineObject>(),
                                               std::make_unique<QuarterLineObject>(true),
                                               std::make_unique<ZigzagLineObject>()};
    for (auto &line : lines)
    {
        SCOPED_TRACE(line->GetKind());
        EXPECT_TRUE(ItemCounts(design, *line).empty());
        EXPECT_FALSE(line->HitTest(Point2D(0, 0), 100.0f));
        line->RebuildGeometry(&design, Point2D(0, 0), Point2D(nan, 4));
        EXPECT_FALSE(line->IsPlaced());
        EXPECT_TRUE(ItemCounts(design, *line).empty());
        DisplayList list;
        line->BuildSelectionOutline(0.5f, &list);
        EXPECT_EQ(list.GetListElementCount(), 0);
        // Too far apart for a float length.
        line->RebuildGeometry(&design, Point2D(-huge, 0), Point2D(huge, 1));
        EXPECT_FALSE(line->IsPlaced());
        // Straight near the float range: the midpoint stays finite.
        line->RebuildGeometry(&design, Point2D(huge, 0), Point2D(huge, 1));
        ASSERT_TRUE(line->IsPlaced());
        const Point2D *points = nullptr;
        ASSERT_EQ(line->GetAnchorPoints('line', &points), 3);
        EXPECT_EQ(points[2], Point2D(huge, 0.5f));
        // Ends a millionth apart are bent, not straight.
        line->RebuildGeometry(&design, Point2D(1, 1), Point2D(1 + 1e-6f, 1 - 1e-6f));
        EXPECT_TRUE(line->IsPlaced());
        EXPECT_FALSE(line->straight);
    }
}

}  // namespace
}  // namespace oq
