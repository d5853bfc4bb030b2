// Arrow charms: the outlines, extents, attach points and nesting of all forty charms, their exact
// geometry, the side masks, and well-formed outlines at every range end and at random designs.
#include "editor/structures/ArrowNode.h"

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
constexpr float kRule = 0.8525f * kMu;
constexpr float kCharmTolerance = 1e-4f;

// One charm's expected form: curve count (with the factory design, tails included), outer contours
// (the rest are holes), and whether the reported vertical extent stops at the line's centre while the
// ink reaches half the rule past it (hooks and harpoon barbs sit on one side of the line).
struct CharmRow
{
    uint32_t charm;
    int32_t curves;
    int32_t outer;
    bool inkPastLine;
};

const CharmRow kCharms[] = {
    {'line', 4, 1, false},  {'barr', 4, 1, false},  {'dbln', 8, 2, false},  {'slsh', 4, 1, false},
    {'back', 4, 1, false},  {'exxx', 8, 2, false},  {'dbsl', 8, 2, false},  {'dbbk', 8, 2, false},
    {'circ', 24, 1, false}, {'sdcr', 12, 1, false}, {'squa', 8, 1, false},  {'sdsq', 4, 1, false},
    {'diam', 8, 1, false},  {'sddm', 4, 1, false},  {'ltri', 6, 1, false},  {'sdlt', 3, 1, false},
    {'rtri', 6, 1, false},  {'sdrt', 3, 1, false},  {'luhk', 16, 1, true},  {'ldhk', 16, 1, true},
    {'lfsh', 32, 2, false}, {'ruhk', 16, 1, true},  {'rdhk', 16, 1, true},  {'rfsh', 32, 2, false},
    {'lulp', 22, 1, false}, {'ldlp', 22, 1, false}, {'rulp', 22, 1, false}, {'rdlp', 22, 1, false},
    {'rarw', 6, 1, false},  {'larw', 6, 1, false},  {'ruhp', 4, 1, true},   {'rdhp', 4, 1, true},
    {'luhp', 4, 1, true},   {'ldhp', 4, 1, true},   {'rabr', 10, 2, false}, {'ruhb', 8, 2, false},
    {'rdhb', 8, 2, false},  {'labr', 10, 2, false}, {'luhb', 8, 2, false},  {'ldhb', 8, 2, false},
};

bool IsArrowhead(uint32_t charm)
{
    for (uint32_t head : {'rarw', 'larw', 'ruhp', 'rdhp', 'luhp', 'ldhp', 'rabr', 'ruhb', 'rdhb', 'labr', 'luhb', 'ldhb'})
    {
        if (charm == head) return true;
    }
    return false;
}

// A built charm. The buffer is larger than the room a caller gives, filled with a marker, so that a
// write past that room shows.
struct Charm
{
    int32_t count = 0;
    std::vector<QuadraticBezier2D> curves;
    ArrowCharmExtent extent;
    bool nesting = false;
    bool wroteBeyondRoom = false;
};

Charm BuildCharm(const Design &design, uint32_t charm, float size = kSize, float rule = kRule)
{
    const QuadraticBezier2D marker({-7.0f, -7.0f}, {-7.0f, -7.0f}, {-7.0f, -7.0f});
    std::vector<QuadraticBezier2D> buffer(2 * kArrowCharmCurves, marker);
    Charm result;
    result.count = ArrowNode::BuildGeometry(&design, charm, size, rule, buffer.data(), &result.extent, &result.nesting);
    for (int32_t i = kArrowCharmCurves; i < int32_t(buffer.size()); ++i)
    {
        const QuadraticBezier2D &c = buffer[i];
        if (c.p0.x != -7.0f || c.p1.y != -7.0f || c.p2.x != -7.0f) result.wroteBeyondRoom = true;
    }
    result.curves.assign(buffer.begin(), buffer.begin() + std::clamp(result.count, 0, kArrowCharmCurves));
    return result;
}

// The outline checker without its box: finite, closed, straight edges, the outer contours positive.
std::string CheckCharmOutline(const Charm &charm, int32_t outer)
{
    test::OutlineChecks checks;
    checks.outerContours = outer;
    return test::CheckOutline(charm.curves, checks);
}

// Bounding box of the curves' points (quadratic extremes included).
struct Ink
{
    float minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
};

Ink GetInk(const std::vector<QuadraticBezier2D> &curves, size_t first = 0, size_t end = SIZE_MAX)
{
    Ink ink;
    for (size_t i = first; i < std::min(end, curves.size()); ++i)
    {
        float a, b, c, d;
        curves[i].GetXExtent(&a, &b);
        curves[i].GetYExtent(&c, &d);
        ink.minX = std::min(ink.minX, a);
        ink.maxX = std::max(ink.maxX, b);
        ink.minY = std::min(ink.minY, c);
        ink.maxY = std::max(ink.maxY, d);
    }
    return ink;
}

// Distance of p from the line through a and b.
double LineDistance(const Point2D &p, const Point2D &a, const Point2D &b)
{
    double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    return std::fabs((double(p.x) - a.x) * dy - (double(p.y) - a.y) * dx) / std::hypot(dx, dy);
}

TEST(ArrowCharms, EveryCharmAtTheFactoryDesign)
{
    Design design;
    for (const CharmRow &row : kCharms)
    {
        SCOPED_TRACE(test::KeyName(row.charm));
        Charm charm = BuildCharm(design, row.charm);
        EXPECT_EQ(charm.count, row.curves);
        EXPECT_FALSE(charm.wroteBeyondRoom);
        EXPECT_EQ(charm.nesting, IsArrowhead(row.charm));
        EXPECT_EQ(CheckCharmOutline(charm, row.outer), "");
        // The extents are the ink's, but for one-sided charms whose ink covers the line's half.
        const ArrowCharmExtent &e = charm.extent;
        Ink ink = GetInk(charm.curves);
        float tolerance = 1e-5f * std::max(e.maxX - e.minX, e.top - e.bottom);
        EXPECT_NEAR(ink.minX, e.minX, tolerance);
        EXPECT_NEAR(ink.maxX, e.maxX, tolerance);
        float below = row.inkPastLine && e.bottom == 0.0f ? -kRule / 2.0f : e.bottom;
        float above = row.inkPastLine && e.top == 0.0f ? kRule / 2.0f : e.top;
        EXPECT_NEAR(ink.minY, below, tolerance);
        EXPECT_NEAR(ink.maxY, above, tolerance);
        // The line joins inside the charm.
        EXPECT_GE(e.leftAttach, e.minX);
        EXPECT_LE(e.leftAttach, e.maxX);
        EXPECT_GE(e.rightAttach, e.minX);
        EXPECT_LE(e.rightAttach, e.maxX);
    }
}

TEST(ArrowCharms, AnchorValues)
{
    Design design;
    Charm line = BuildCharm(design, 'line');
    EXPECT_NEAR(line.extent.minX, 0.0f, 1e-6f);
    EXPECT_NEAR(line.extent.maxX, 0.52097f, 1e-5f);
    EXPECT_NEAR(line.extent.bottom, -2.2f, 1e-5f);
    EXPECT_NEAR(line.extent.top, 2.2f, 1e-5f);
    EXPECT_NEAR(line.extent.leftAttach, 0.26049f, 1e-5f);
    EXPECT_NEAR(line.extent.rightAttach, 0.26049f, 1e-5f);

    Charm circ = BuildCharm(design, 'circ');
    EXPECT_EQ(circ.count, 24);
    EXPECT_NEAR(circ.extent.maxX, 1.753125f, 1e-5f);
    EXPECT_NEAR(circ.extent.leftAttach, 1.49264f, 1e-5f);
    EXPECT_NEAR(circ.extent.rightAttach, -1.49264f, 1e-5f);
    // The hole's radius is where its first point lies.
    EXPECT_NEAR(std::hypot(circ.curves[12].p0.x, circ.curves[12].p0.y), 1.23215f, 1e-5f);
    // A solid circle lets the line run to its centre.
    Charm solid = BuildCharm(design, 'sdcr');
    EXPECT_EQ(solid.extent.leftAttach, 0.0f);
    EXPECT_EQ(solid.extent.rightAttach, 0.0f);

    // Two strokes: the line starts at the far stroke's middle and ends at the near one's.
    Charm double_ = BuildCharm(design, 'dbln');
    Ink first = GetInk(double_.curves, 0, 4);
    Ink second = GetInk(double_.curves, 4, 8);
    EXPECT_NEAR(double_.extent.leftAttach, (second.minX + second.maxX) / 2.0f, kCharmTolerance);
    EXPECT_NEAR(double_.extent.rightAttach, (first.minX + first.maxX) / 2.0f, kCharmTolerance);
    EXPECT_NEAR(second.minX - first.maxX, 1.27755f * kMu, kCharmTolerance);
}

TEST(ArrowCharms, BarFormsAddABarAtTheTip)
{
    Design design;
    const float barHalf = 0.2128f * kSize;
    const float barThickness = 0.8525f * kMu;
    const struct
    {
        uint32_t withBar;
        uint32_t head;
        bool barOnRight;
    } rows[] = {{'rabr', 'rarw', true},  {'ruhb', 'ruhp', true},  {'rdhb', 'rdhp', true},
                {'labr', 'larw', false}, {'luhb', 'luhp', false}, {'ldhb', 'ldhp', false}};
    for (const auto &row : rows)
    {
        SCOPED_TRACE(test::KeyName(row.withBar));
        Charm head = BuildCharm(design, row.head);
        Charm barred = BuildCharm(design, row.withBar);
        ASSERT_EQ(barred.count, head.count + 4);
        Ink bar = GetInk(barred.curves, head.count);
        EXPECT_NEAR(bar.maxX - bar.minX, barThickness, kCharmTolerance);
        EXPECT_NEAR(bar.minY, -barHalf, kCharmTolerance);
        EXPECT_NEAR(bar.maxY, barHalf, kCharmTolerance);
        float centre = (bar.minX + bar.maxX) / 2.0f;
        if (row.barOnRight)
        {
            EXPECT_NEAR(bar.minX, head.extent.maxX, kCharmTolerance);
            EXPECT_NEAR(barred.extent.leftAttach, centre, kCharmTolerance);
            EXPECT_EQ(barred.extent.rightAttach, head.extent.rightAttach);
        }
        else
        {
            EXPECT_NEAR(bar.maxX, head.extent.minX, kCharmTolerance);
            EXPECT_NEAR(barred.extent.rightAttach, centre, kCharmTolerance);
            EXPECT_EQ(barred.extent.leftAttach, head.extent.leftAttach);
        }
        // The extent grows to include the bar (the whole head reaches a little further).
        EXPECT_EQ(barred.extent.bottom, std::min(head.extent.bottom, -barHalf));
        EXPECT_EQ(barred.extent.top, std::max(head.extent.top, barHalf));
    }
}

TEST(ArrowCharms, UnknownCharmTakesNoRoom)
{
    Design design;
    for (uint32_t charm : {0u, uint32_t('LINE'), uint32_t('arrw'), 0xFFFFFFFFu})
    {
        Charm built = BuildCharm(design, charm);
        EXPECT_EQ(built.count, 0);
        EXPECT_FALSE(built.nesting);
        EXPECT_EQ(built.extent.minX, 0.0f);
        EXPECT_EQ(built.extent.maxX, 0.0f);
        EXPECT_EQ(built.extent.top, 0.0f);
    }
    // The flag is only ever set: a charm outside the family leaves a set flag alone.
    QuadraticBezier2D curves[kArrowCharmCurves];
    ArrowCharmExtent extent;
    bool nesting = true;
    EXPECT_EQ(ArrowNode::BuildGeometry(&design, 'line', kSize, kRule, curves, &extent, &nesting), 4);
    EXPECT_TRUE(nesting);
}

TEST(ArrowCharms, OpenShapesHaveTheirExactAreas)
{
    Design design;
    const float t = 0.8525f * kMu;
    // The 30-degree quadratic arcs lie slightly outside the circle.
    Charm ring = BuildCharm(design, 'circ');
    double R = 1.0625 * 0.15 * kSize;
    double r = R - t;
    double area = test::SignedOutlineArea(ring.curves.data(), 0, ring.count);
    EXPECT_NEAR(area / (std::numbers::pi * (R * R - r * r)), 1.0, 1e-3);

    double h = 0.15 * kSize;
    Charm square = BuildCharm(design, 'squa');
    EXPECT_NEAR(test::SignedOutlineArea(square.curves.data(), 0, 8), 4.0 * (h * h - (h - t) * (h - t)), 1e-4);
    // The diamond's strokes are t thick across: its outline and hole stand t apart along the normal.
    double D = h + 0.4142 * t;
    double i = D - 1.4142 * t;
    Charm diamond = BuildCharm(design, 'diam');
    EXPECT_NEAR(test::SignedOutlineArea(diamond.curves.data(), 0, 8), 2.0 * (D * D - i * i), 1e-4);
    EXPECT_NEAR(LineDistance(diamond.curves[4].p0, diamond.curves[0].p0, diamond.curves[0].p2), t, 1e-3 * t);
}

TEST(ArrowCharms, SlashesAreParallelogramsAcrossTheirCentreLine)
{
    Design design;
    const float t = 0.8525f * kMu;
    const float a = 0.15f * kSize;
    const float b = 0.2f * kSize;
    for (uint32_t name : {'slsh', 'back'})
    {
        SCOPED_TRACE(test::KeyName(name));
        Charm slash = BuildCharm(design, name);
        ASSERT_EQ(slash.count, 4);
        Point2D p[4];
        for (int32_t k = 0; k < 4; ++k) p[k] = slash.curves[k].p0;
        // Two opposite sides parallel to the centre line, t apart; the other two cut across its ends.
        float sign = name == 'slsh' ? 1.0f : -1.0f;
        Point2D ends[2] = {{-a * sign, -b}, {a * sign, b}};
        int32_t longSides = 0;
        for (int32_t k = 0; k < 4; ++k)
        {
            const Point2D &u = p[k];
            const Point2D &v = p[(k + 1) % 4];
            Point2D mid((u.x + v.x) / 2.0f, (u.y + v.y) / 2.0f);
            bool atEnd = false;
            for (const Point2D &end : ends) atEnd = atEnd || std::hypot(mid.x - end.x, mid.y - end.y) < 1e-5f;
            if (atEnd) continue;
            ++longSides;
            EXPECT_NEAR(LineDistance(u, ends[0], ends[1]), t / 2.0, 1e-5);
            EXPECT_NEAR(LineDistance(v, ends[0], ends[1]), t / 2.0, 1e-5);
        }
        EXPECT_EQ(longSides, 2);
        EXPECT_NEAR(test::SignedOutlineArea(slash.curves.data(), 0, 4), 2.0 * std::hypot(a, b) * t, 1e-4);
    }
    // The doubled forms add the same slash moved right so that the strokes stand ddsp apart
    // horizontally past a stroke's width: by len / b x ddsp + t.
    for (uint32_t name : {'dbsl', 'dbbk'})
    {
        Charm twice = BuildCharm(design, name);
        Charm once = BuildCharm(design, name == 'dbsl' ? 'slsh' : 'back');
        float shift = std::hypot(a, b) / b * 1.5f * kMu + t;
        ASSERT_EQ(twice.count, 8);
        for (int32_t i = 0; i < 4; ++i)
        {
            EXPECT_EQ(twice.curves[i].p0.x, once.curves[i].p0.x);
            EXPECT_NEAR(twice.curves[i + 4].p0.x, once.curves[i].p0.x + shift, 1e-5f);
            EXPECT_EQ(twice.curves[i + 4].p0.y, once.curves[i].p0.y);
        }
        EXPECT_NEAR(twice.extent.leftAttach, shift, 1e-5f);
        EXPECT_NEAR(twice.extent.maxX, once.extent.maxX + shift, 1e-5f);
    }
}

// The three sides of the triangle's outline and of its hole (vertex order as built).
void ExpectTriangleSidesThick(const Charm &triangle, double t)
{
    ASSERT_EQ(triangle.count, 6);
    for (int32_t hole = 3; hole < 6; ++hole)
    {
        const Point2D &a = triangle.curves[hole].p0;
        const Point2D &b = triangle.curves[hole].p2;
        double best = INFINITY;
        for (int32_t side = 0; side < 3; ++side)
        {
            const Point2D &c = triangle.curves[side].p0;
            const Point2D &d = triangle.curves[side].p2;
            double cross = (double(b.x) - a.x) * (double(d.y) - c.y) - (double(b.y) - a.y) * (double(d.x) - c.x);
            double sine = cross / (std::hypot(b.x - a.x, b.y - a.y) * std::hypot(d.x - c.x, d.y - c.y));
            if (std::fabs(sine) > 1e-5) continue;
            best = LineDistance(a, c, d);
            EXPECT_NEAR(LineDistance(b, c, d), t, 2e-5 * (1.0 + t)) << "hole side " << hole - 3;
        }
        EXPECT_NEAR(best, t, 2e-5 * (1.0 + t)) << "hole side " << hole - 3;
    }
}

TEST(ArrowCharms, TriangleSidesAreOneStrokeThick)
{
    Design design;
    const float t = 0.8525f * kMu;
    for (uint32_t name : {'ltri', 'rtri'})
    {
        SCOPED_TRACE(test::KeyName(name));
        ExpectTriangleSidesThick(BuildCharm(design, name), t);
        // Mirror images: the attach points swap and change sign.
        Charm left = BuildCharm(design, 'ltri');
        Charm right = BuildCharm(design, 'rtri');
        EXPECT_NEAR(right.extent.leftAttach, -left.extent.rightAttach, 1e-5f);
        EXPECT_NEAR(right.extent.rightAttach, -left.extent.leftAttach, 1e-5f);
        EXPECT_NEAR(left.extent.leftAttach, -t / 2.0f, 1e-6f);
    }
}

TEST(ArrowCharms, TrianglesAtAndBelowTwiceTheStroke)
{
    // shrd = chth / 9 em makes R = 2t, where the hole's base equals the stroke.
    const float chth = 0.8525f;
    const float atTwice = chth / 9.0f;
    const float t = chth * kMu;
    Design design;
    ASSERT_TRUE(test::SetDesignParam(&design, 'chrm', 'shrd', atTwice));
    Charm reference[2] = {BuildCharm(design, 'ltri'), BuildCharm(design, 'sdrt')};
    for (const Charm &charm : reference)
    {
        EXPECT_EQ(CheckCharmOutline(charm, 1), "");
        // H / R is 1.5 there: the base half height is 3t.
        EXPECT_NEAR(charm.extent.top, 3.0f * t, 1e-5f);
    }
    ExpectTriangleSidesThick(reference[0], t);
    for (float factor : {1.0f - 1e-6f, 1.0f + 1e-6f})
    {
        ASSERT_TRUE(test::SetDesignParam(&design, 'chrm', 'shrd', atTwice * factor));
        Charm near = BuildCharm(design, 'rtri');
        ExpectTriangleSidesThick(near, t);
        EXPECT_NEAR(near.extent.top, 3.0f * t, 1e-4f);
    }
    // Every radius below 2t builds the triangle of 2t.
    for (float shrd : {atTwice * 0.999f, 0.06f, 0.048f, 0.04737f, 0.02f, 0.01f})
    {
        SCOPED_TRACE(shrd);
        ASSERT_TRUE(test::SetDesignParam(&design, 'chrm', 'shrd', shrd));
        Charm open = BuildCharm(design, 'ltri');
        Charm solid = BuildCharm(design, 'sdrt');
        for (int32_t i = 0; i < 6; ++i)
        {
            EXPECT_EQ(open.curves[i].p0.x, reference[0].curves[i].p0.x);
            EXPECT_EQ(open.curves[i].p0.y, reference[0].curves[i].p0.y);
        }
        EXPECT_EQ(solid.extent.top, reference[1].extent.top);
        EXPECT_EQ(solid.extent.maxX, reference[1].extent.maxX);
    }
}

TEST(ArrowCharms, HooksAndLoopsHaveTheLineThicknessAcross)
{
    Design design;
    const float r = 0.15f * kSize;
    for (uint32_t name : {'luhk', 'ldhk', 'ruhk', 'rdhk', 'lulp', 'ldlp', 'rulp', 'rdlp'})
    {
        SCOPED_TRACE(test::KeyName(name));
        Charm charm = BuildCharm(design, name);
        bool up = name == 'luhk' || name == 'ruhk' || name == 'lulp' || name == 'rulp';
        Point2D centre(0.0f, up ? r : -r);
        // The arcs' end points lie on two circles d apart, the line end spans the line.
        double outer = 0.0, inner = INFINITY;
        bool capFound = false;
        for (const QuadraticBezier2D &c : charm.curves)
        {
            double radius = std::hypot(c.p0.x - centre.x, c.p0.y - centre.y);
            bool onArc = c.p1.x != c.p2.x || c.p1.y != c.p2.y;
            if (onArc && std::fabs(c.p0.x) + std::fabs(c.p2.x) > 1e-6f)
            {
                outer = std::max(outer, radius);
                inner = std::min(inner, radius);
            }
            if (c.p0.x == 0.0f && c.p2.x == 0.0f && std::fabs(c.p0.y + c.p2.y) < 1e-5f)
            {
                capFound = true;
                EXPECT_NEAR(std::fabs(c.p0.y - c.p2.y), kRule, 1e-5f);
            }
        }
        EXPECT_TRUE(capFound);
        EXPECT_NEAR(outer - inner, kRule, 1e-4);
        EXPECT_NEAR((outer + inner) / 2.0, r, 1e-4);
    }
}

TEST(ArrowCharms, HookWithoutTailHasFourteenCurves)
{
    // Only a design set directly has hktl 0 (the reader keeps 0.01 em and more).
    Design design;
    ASSERT_TRUE(test::SetDesignParam(&design, 'chrm', 'hktl', 0.0f));
    for (const CharmRow &row : kCharms)
    {
        bool hook = row.charm == 'luhk' || row.charm == 'ldhk' || row.charm == 'ruhk' || row.charm == 'rdhk';
        bool pair = row.charm == 'lfsh' || row.charm == 'rfsh';
        if (!hook && !pair) continue;
        SCOPED_TRACE(test::KeyName(row.charm));
        Charm charm = BuildCharm(design, row.charm);
        EXPECT_EQ(charm.count, pair ? 28 : 14);
        EXPECT_EQ(CheckCharmOutline(charm, row.outer), "");
    }
}

TEST(ArrowCharms, HolesClampAtZero)
{
    // The smallest radii with the largest strokes: holes and inner radii would turn inside out.
    Design design;
    for (uint32_t key : {'shrd', 'hkrd', 'lprd'}) ASSERT_TRUE(test::SetDesignParam(&design, 'chrm', key, 0.01f));
    ASSERT_TRUE(test::SetDesignParam(&design, 'chrm', 'chth', 9.0f));
    const float rule = 4.0f * kMu;
    for (const CharmRow &row : kCharms)
    {
        SCOPED_TRACE(test::KeyName(row.charm));
        Charm charm = BuildCharm(design, row.charm, kSize, rule);
        EXPECT_EQ(charm.count, row.curves);
        EXPECT_EQ(CheckCharmOutline(charm, row.outer), "");
    }
    Charm ring = BuildCharm(design, 'circ', kSize, rule);
    float R = 1.0625f * 0.01f * kSize;
    EXPECT_NEAR(ring.extent.leftAttach, R / 2.0f, 1e-6f);
    EXPECT_EQ(test::SignedOutlineArea(ring.curves.data(), 12, 24), 0.0);
    Charm square = BuildCharm(design, 'squa', kSize, rule);
    EXPECT_NEAR(square.extent.rightAttach, -0.01f * kSize / 2.0f, 1e-6f);
    Charm diamond = BuildCharm(design, 'diam', kSize, rule);
    EXPECT_EQ(diamond.extent.leftAttach, 0.0f);
}

TEST(ArrowCharms, SideMasks)
{
    const struct
    {
        std::vector<uint32_t> left, right, middle;
        uint32_t above, below;
    } rows[] = {
        {{}, {}, {}, 0, 0},
        {{'luhp'}, {}, {}, kCharmSideLeft, 0},
        {{}, {'ruhp'}, {}, kCharmSideRight, 0},
        {{}, {'rdhp'}, {'ldhp'}, 0, kCharmSideRight | kCharmSideMiddle},
        {{'luhk'}, {}, {}, kCharmSideLeft, kCharmSideLeft},
        {{'luhp', 'ldhp'}, {}, {}, kCharmSideLeft, kCharmSideLeft},
        {{'line'}, {'rarw'}, {'circ'}, 7, 7},
        {{}, {'ruhb'}, {}, kCharmSideRight, kCharmSideRight},
    };
    for (const auto &row : rows)
    {
        ArrowPart part;
        for (uint32_t c : row.left) part.leftCharms.AddElement(c);
        for (uint32_t c : row.right) part.rightCharms.AddElement(c);
        for (uint32_t c : row.middle) part.middleCharms.AddElement(c);
        ArrowCharmSides sides = part.GetCharmSides();
        EXPECT_EQ(sides.above, row.above);
        EXPECT_EQ(sides.below, row.below);
    }
}

// Every charm well formed: count within the room and as its row says (hooks keep their tails, since
// hktl stays at 0.01 em or more), finite extents and attach points.
void ExpectWellFormedCharms(const Design &design, float size, float rule)
{
    // Heads without outer thickness lose the cuts at their barbs' ends: 2 curves whole, 1 half.
    bool uncut = !(GetGroupParam(&design, 'chrm', 'arot') > 0.0f);
    for (const CharmRow &row : kCharms)
    {
        Charm charm = BuildCharm(design, row.charm, size, rule);
        int32_t cuts = !IsArrowhead(row.charm) || !uncut ? 0 : (row.inkPastLine || row.curves == 8 ? 1 : 2);
        ASSERT_EQ(charm.count, row.curves - cuts) << test::KeyName(row.charm);
        ASSERT_FALSE(charm.wroteBeyondRoom) << test::KeyName(row.charm);
        if (IsArrowhead(row.charm))
        {
            // The arrowhead builder keeps its heads finite and closed; a whole head far thicker than it
            // is wide can come out turned over, its notch beyond its barbs and its edges collinear.
            test::OutlineChecks checks;
            checks.orientation = false;
            checks.straightEdges = false;
            ASSERT_EQ(test::CheckOutline(charm.curves, checks), "") << test::KeyName(row.charm);
        }
        else
        {
            ASSERT_EQ(CheckCharmOutline(charm, row.outer), "") << test::KeyName(row.charm);
        }
        const ArrowCharmExtent &e = charm.extent;
        for (float v : {e.minX, e.maxX, e.bottom, e.top, e.leftAttach, e.rightAttach})
        {
            ASSERT_TRUE(std::isfinite(v)) << test::KeyName(row.charm);
        }
        ASSERT_LE(e.minX, e.maxX) << test::KeyName(row.charm);
        ASSERT_LE(e.bottom, e.top) << test::KeyName(row.charm);
    }
}

TEST(ArrowCharms, WellFormedAtEveryRangeEnd)
{
    test::ForEachRangeEnd('chrm', [](const Design &design, const std::string &label) {
        SCOPED_TRACE(label);
        for (float size : test::kRangeSizes)
        {
            for (float ruleMu : {0.25f, 4.0f})
            {
                SCOPED_TRACE(testing::Message() << "size " << size << ", rule " << ruleMu << " mu");
                ExpectWellFormedCharms(design, size, ruleMu * size / 18.0f);
            }
        }
    });
}

TEST(ArrowCharms, WellFormedAtRandomDesigns)
{
    std::mt19937 random(52113);
    std::uniform_real_distribution<float> logSize(0.0f, std::log(1800.0f));
    std::uniform_real_distribution<float> ruleMu(0.25f, 4.0f);
    Design design;
    for (int32_t draw = 0; draw < 3000; ++draw)
    {
        test::DrawGroupInsideRanges('chrm', &random, &design);
        float size = std::exp(logSize(random));
        float rule = ruleMu(random) * size / 18.0f;
        testing::Message values;
        values << "draw " << draw << ", size " << size << ", rule " << rule << ", chrm";
        const float *slots = design.GetGroupSlots(FindDesignGroup('chrm'));
        for (int32_t i = 0; i < 19; ++i) values << " " << slots[i];
        SCOPED_TRACE(values);
        ExpectWellFormedCharms(design, size, rule);
        if (HasFatalFailure()) return;
    }
}

TEST(ArrowCharms, HostileSizesDrawNothing)
{
    Design design;
    for (float size : {0.0f, -1.0f, NAN, INFINITY})
    {
        Charm charm = BuildCharm(design, 'circ', size);
        EXPECT_EQ(charm.count, 0);
    }
    // A rule that is not finite draws the hooks as if it were 0.
    Charm hook = BuildCharm(design, 'luhk', kSize, NAN);
    EXPECT_EQ(hook.count, 16);
    test::OutlineChecks checks;
    checks.emptyAllowed = true;
    EXPECT_EQ(test::CheckOutline(hook.curves, checks), "");
}

}  // namespace
}  // namespace oq
