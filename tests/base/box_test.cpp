#include <gtest/gtest.h>

#include "base/Box2D.h"
#include "base/Box3D.h"
#include "base/Transform4D.h"

#include <cstring>
#include <random>

namespace oq {
namespace {

void ExpectBox(const Box2D &box, float x0, float y0, float x1, float y1)
{
    EXPECT_EQ(box.min.x, x0);
    EXPECT_EQ(box.min.y, y0);
    EXPECT_EQ(box.max.x, x1);
    EXPECT_EQ(box.max.y, y1);
}

Box3D UnitCube() { return Box3D(Point3D(0.0f, 0.0f, 0.0f), Point3D(1.0f, 1.0f, 1.0f)); }

TEST(Box2D, EmptyBoxUnionAndIncludePoint)
{
    Box2D empty;
    empty.SetEmpty();
    EXPECT_FALSE(empty.Contains(Point2D(0.0f, 0.0f)));
    EXPECT_FALSE(empty.Intersects(Box2D(Point2D(-1e30f, -1e30f), Point2D(1e30f, 1e30f))));

    Box2D united = empty;
    united.Union(Box2D(Point2D(1.0f, 2.0f), Point2D(3.0f, 4.0f)));
    ExpectBox(united, 1.0f, 2.0f, 3.0f, 4.0f);
    ExpectBox(UnionBox2D(empty, Box2D(Point2D(1.0f, 2.0f), Point2D(3.0f, 4.0f))), 1.0f, 2.0f, 3.0f, 4.0f);

    Box2D point = empty;
    point.IncludePoint(Point2D(5.0f, -1.0f));
    ExpectBox(point, 5.0f, -1.0f, 5.0f, -1.0f);
    point.IncludePoint(Point2D(2.0f, 3.0f));
    ExpectBox(point, 2.0f, -1.0f, 5.0f, 3.0f);
}

TEST(Box2D, ContainmentIntersectionAndOverlap)
{
    Box2D unit(Point2D(0.0f, 0.0f), Point2D(1.0f, 1.0f));
    EXPECT_TRUE(unit.Contains(Point2D(1.0f, 0.5f)));
    EXPECT_TRUE(unit.Contains(Point2D(0.0f, 0.0f)));
    EXPECT_FALSE(unit.Contains(Point2D(1.0001f, 0.5f)));
    EXPECT_TRUE(unit.Contains(Box2D(Point2D(0.0f, 0.25f), Point2D(1.0f, 0.75f))));
    EXPECT_FALSE(unit.Contains(Box2D(Point2D(0.5f, 0.5f), Point2D(1.5f, 0.75f))));

    EXPECT_TRUE(unit.Intersects(Box2D(Point2D(1.0f, 0.0f), Point2D(2.0f, 1.0f))));
    EXPECT_FALSE(unit.Intersects(Box2D(Point2D(1.5f, 0.0f), Point2D(2.0f, 1.0f))));
    EXPECT_FALSE(unit.Intersects(Box2D(Point2D(0.0f, -2.0f), Point2D(1.0f, -0.5f))));

    Box2D disjoint = unit;
    disjoint.Intersect(Box2D(Point2D(2.0f, 2.0f), Point2D(3.0f, 3.0f)));
    ExpectBox(disjoint, 2.0f, 2.0f, 1.0f, 1.0f);
    EXPECT_FALSE(disjoint.Contains(Point2D(1.5f, 1.5f)));
    Box2D overlap = unit;
    overlap.Intersect(Box2D(Point2D(0.5f, -1.0f), Point2D(3.0f, 0.5f)));
    ExpectBox(overlap, 0.5f, 0.0f, 1.0f, 0.5f);
}

TEST(Box2D, TransformBoundsTheCorners)
{
    Box2D unit(Point2D(0.0f, 0.0f), Point2D(1.0f, 1.0f));
    Box2D rotated = TransformBox2D(unit, Transform4D::MakeRotationZ(0.78539816f));
    EXPECT_NEAR(rotated.min.x, -0.70710678f, 1e-5);
    EXPECT_NEAR(rotated.min.y, 0.0f, 1e-5);
    EXPECT_NEAR(rotated.max.x, 0.70710678f, 1e-5);
    EXPECT_NEAR(rotated.max.y, 1.41421356f, 1e-5);

    // Only the first two rows act; z and translation z are ignored.
    Transform4D t(2.0f, 0.0f, 7.0f, 1.0f, 0.0f, -1.0f, 7.0f, 3.0f, 0.0f, 0.0f, 1.0f, 9.0f);
    Box2D moved = unit;
    moved.Transform(t);
    ExpectBox(moved, 1.0f, 2.0f, 3.0f, 3.0f);
}

TEST(Box2D, CalculateMatchesOnePointAtATime)
{
    std::mt19937 random(1);
    std::uniform_real_distribution<float> value(-100.0f, 100.0f);
    Point2D points[13];
    for (Point2D &p : points) p.Set(value(random), value(random));
    for (int32_t count = 1; count <= 13; ++count)
    {
        Box2D expected(points[0], points[0]);
        for (int32_t i = 1; i < count; ++i) expected.IncludePoint(points[i]);
        Box2D box;
        box.Calculate(count, points);
        ExpectBox(box, expected.min.x, expected.min.y, expected.max.x, expected.max.y);

        // With a separate first point and count more.
        Box2D withFirst;
        withFirst.Calculate(Point2D(0.0f, 0.0f), count - 1, points + 1);
        Box2D reference(Point2D(0.0f, 0.0f), Point2D(0.0f, 0.0f));
        for (int32_t i = 1; i < count; ++i) reference.IncludePoint(points[i]);
        ExpectBox(withFirst, reference.min.x, reference.min.y, reference.max.x, reference.max.y);
    }
}

TEST(Box3D, SegmentOutsideTable)
{
    struct Case
    {
        Point3D p1, p2;
        float r;
        bool outside;
    };
    const Case cases[] = {
        {{-1.0f, 0.5f, 0.5f}, {2.0f, 0.5f, 0.5f}, 0.0f, false},   // through, both ends outside
        {{-1.0f, 2.0f, 0.5f}, {2.0f, 2.0f, 0.5f}, 0.0f, true},    // beside
        {{-1.0f, 2.0f, 0.5f}, {2.0f, 2.0f, 0.5f}, 1.0f, false},   // beside, but within the grown box
        {{0.5f, 0.5f, 0.5f}, {9.0f, 9.0f, 9.0f}, 0.0f, false},    // one end inside
        {{-1.0f, -1.0f, 0.5f}, {2.0f, 2.0f, 0.5f}, 0.0f, false},  // diagonal through
        {{-0.5f, 0.25f, 0.5f}, {0.5f, 1.25f, 0.5f}, 0.0f, false}, // cuts off a corner
        {{-1.0f, 0.0f, 0.5f}, {1.0f, 2.0f, 0.5f}, 0.0f, false},   // touches the edge at (0, 1)
        {{-1.0f, 0.5f, 0.5f}, {0.5f, 2.0f, 0.5f}, 0.0f, true},    // misses the edge at (0, 1)
        {{-1.0f, 1.5f, 0.5f}, {1.0f, 3.5f, 0.5f}, 0.0f, true},    // passes above the corner
        {{0.5f, 0.5f, 3.0f}, {0.5f, 0.5f, 2.0f}, 0.0f, true},     // above along z
        {{0.5f, 0.5f, -3.0f}, {0.5f, 0.5f, 2.0f}, 0.0f, false},   // pierces along z
        {{-1.0f, 0.5f, -1.0f}, {0.5f, 0.5f, -0.5f}, 0.0f, true},  // below the cube
        {{3.0f, 0.5f, 0.5f}, {2.0f, 0.5f, 0.5f}, 0.0f, true},     // right of it
        {{-3.0f, 0.5f, 0.5f}, {-2.0f, 0.5f, 0.5f}, 0.0f, true},   // left of it
        {{2.0f, 0.5f, 1.5f}, {0.5f, 0.5f, 3.0f}, 0.4f, true},     // past the grown edge
        {{2.0f, 0.5f, 1.2f}, {0.5f, 0.5f, 1.6f}, 0.4f, false},    // crosses the grown box
    };
    Box3D cube = UnitCube();
    for (const Case &c : cases)
    {
        EXPECT_EQ(cube.IsSegmentOutside(c.p1, c.p2, c.r), c.outside)
            << c.p1.x << "," << c.p1.y << "," << c.p1.z << " to " << c.p2.x << "," << c.p2.y << "," << c.p2.z;
        EXPECT_EQ(cube.IsSegmentOutside(c.p2, c.p1, c.r), c.outside) << "reversed";
    }
}

TEST(Box3D, SupportPointsContainmentAndTransform)
{
    Box3D cube = UnitCube();
    Point3D support = cube.GetSupportPoint(Vector3D(1.0f, -1.0f, 0.0f), 0.0f);
    EXPECT_EQ(support.x, 1.0f);
    EXPECT_EQ(support.y, 0.0f);
    EXPECT_EQ(support.z, 1.0f);
    Point3D farthest, nearest;
    cube.GetSupportPoints(Vector3D(1.0f, -1.0f, 0.0f), 0.5f, &farthest, &nearest);
    EXPECT_EQ(farthest.x, 1.5f);
    EXPECT_EQ(farthest.y, -0.5f);
    EXPECT_EQ(farthest.z, 1.5f);
    EXPECT_EQ(nearest.x, -0.5f);
    EXPECT_EQ(nearest.y, 1.5f);
    EXPECT_EQ(nearest.z, -0.5f);

    EXPECT_FALSE(cube.IsPointOutside(Point3D(1.5f, 0.5f, 0.5f), 0.5f));
    EXPECT_TRUE(cube.IsPointOutside(Point3D(1.5f, 0.5f, 0.5f), 0.25f));
    EXPECT_TRUE(cube.Contains(Point3D(1.0f, 0.0f, 0.5f)));
    EXPECT_FALSE(cube.Contains(Point3D(1.0f, 0.0f, -0.5f)));
    EXPECT_TRUE(cube.Contains(Box3D(Point3D(0.0f, 0.5f, 0.5f), Point3D(1.0f, 1.0f, 0.75f))));
    EXPECT_TRUE(Box3D::Intersects(cube, Box3D(Point3D(1.0f, 1.0f, 1.0f), Point3D(2.0f, 2.0f, 2.0f))));
    EXPECT_FALSE(Box3D::Intersects(cube, Box3D(Point3D(0.0f, 0.0f, 1.5f), Point3D(2.0f, 2.0f, 2.0f))));

    Box3D empty;
    empty.SetEmpty();
    Box3D united = UnionBox3D(empty, cube);
    EXPECT_EQ(united.min.x, 0.0f);
    EXPECT_EQ(united.max.z, 1.0f);
    EXPECT_FALSE(empty.Contains(Point3D(0.0f, 0.0f, 0.0f)));
    EXPECT_FALSE(Box3D::Intersects(empty, cube));

    // Eight corners mapped with the translation.
    Box3D moved = TransformBox3D(cube, Transform4D(Matrix3D::MakeRotationZ(1.5707963f), Point3D(10.0f, 0.0f, 5.0f)));
    EXPECT_NEAR(moved.min.x, 9.0f, 1e-5);
    EXPECT_NEAR(moved.max.x, 10.0f, 1e-5);
    EXPECT_NEAR(moved.min.y, 0.0f, 1e-5);
    EXPECT_NEAR(moved.max.y, 1.0f, 1e-5);
    EXPECT_EQ(moved.min.z, 5.0f);
    EXPECT_EQ(moved.max.z, 6.0f);

    std::mt19937 random(2);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    Point3D points[11];
    for (Point3D &p : points) p.Set(value(random), value(random), value(random));
    for (int32_t count = 1; count <= 11; ++count)
    {
        Box3D box;
        box.Calculate(count, points);
        for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(box.Contains(points[i]));
        Box3D first;
        first.Calculate(points[0], count - 1, points + 1);
        EXPECT_EQ(std::memcmp(&first, &box, sizeof(box)), 0);
        bool touchesMin = false;
        for (int32_t i = 0; i < count; ++i) touchesMin = touchesMin || points[i].z == box.min.z;
        EXPECT_TRUE(touchesMin);
    }
}

}  // namespace
}  // namespace oq
