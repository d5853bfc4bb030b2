#include <gtest/gtest.h>

#include "base/Matrix3D.h"
#include "base/Point2D.h"
#include "base/Point3D.h"
#include "base/Vector4D.h"

#include <cmath>
#include <type_traits>

namespace oq {
namespace {

// Points and vectors keep their kinds through arithmetic.
static_assert(std::is_same_v<decltype(Point2D() - Point2D()), Vector2D>);
static_assert(std::is_same_v<decltype(Point2D() + Vector2D()), Point2D>);
static_assert(std::is_same_v<decltype(Point2D() - Vector2D()), Point2D>);
static_assert(std::is_same_v<decltype(Point3D() - Point3D()), Vector3D>);
static_assert(std::is_same_v<decltype(Point3D() + Vector3D()), Point3D>);
static_assert(sizeof(Point2D) == sizeof(Vector2D) && sizeof(Point3D) == 3 * sizeof(float));
static_assert(sizeof(Vector4D) == 4 * sizeof(float));

TEST(Vector2D, ArithmeticAndRotation)
{
    Vector2D a(3.0f, 4.0f);
    Vector2D b(-1.0f, 2.0f);
    EXPECT_EQ(Dot(a, b), 5.0f);
    EXPECT_EQ(Cross(a, b), 10.0f);
    EXPECT_EQ(Perpendicular(a), Vector2D(-4.0f, 3.0f));
    EXPECT_NEAR(Magnitude(a), 5.0f, 1e-5);
    Vector2D n = Normalize(a);
    EXPECT_NEAR(n.x, 0.6f, 1e-6);
    EXPECT_NEAR(n.y, 0.8f, 1e-6);
    EXPECT_EQ(a / 2.0f, Vector2D(1.5f, 2.0f));

    Vector2D v(1.0f, 0.0f);
    Vector2D &same = v.Rotate(1.5707963f);
    EXPECT_EQ(&same, &v);
    EXPECT_NEAR(v.x, 0.0f, 1e-6);
    EXPECT_NEAR(v.y, 1.0f, 1e-6);

    Vector2D w(2.0f, 1.0f);
    w.Rotate(-0.5f);
    EXPECT_NEAR(w.x, 2.0 * std::cos(-0.5) - std::sin(-0.5), 1e-6);
    EXPECT_NEAR(w.y, 2.0 * std::sin(-0.5) + std::cos(-0.5), 1e-6);

    // A zero vector normalises to NaN.
    EXPECT_TRUE(std::isnan(Normalize(Vector2D(0.0f, 0.0f)).x));
}

TEST(Vector3D, RotationsMatchTheMatrices)
{
    const float angle = -0.7f;
    const Vector3D start(0.3f, -1.2f, 2.5f);
    struct Case
    {
        Vector3D (*rotate)(Vector3D, float);
        Matrix3D matrix;
    };
    const Case cases[] = {
        {[](Vector3D v, float a) { return v.RotateAboutX(a); }, Matrix3D::MakeRotationX(angle)},
        {[](Vector3D v, float a) { return v.RotateAboutY(a); }, Matrix3D::MakeRotationY(angle)},
        {[](Vector3D v, float a) { return v.RotateAboutZ(a); }, Matrix3D::MakeRotationZ(angle)},
        {[](Vector3D v, float a) { return v.RotateAboutAxis(a, Normalize(Vector3D(1.0f, -2.0f, 0.5f))); },
         Matrix3D::MakeRotation(angle, Normalize(Vector3D(1.0f, -2.0f, 0.5f)))},
    };
    for (const Case &c : cases)
    {
        Vector3D rotated = c.rotate(start, angle);
        Vector3D expected = c.matrix * start;
        EXPECT_NEAR(rotated.x, expected.x, 1e-5);
        EXPECT_NEAR(rotated.y, expected.y, 1e-5);
        EXPECT_NEAR(rotated.z, expected.z, 1e-5);
        EXPECT_NEAR(Magnitude(rotated), Magnitude(start), 1e-4);
    }

    // Points rotate about the origin with the same arithmetic.
    Point3D p(start.x, start.y, start.z);
    Vector3D v = start;
    p.RotateAboutY(angle);
    v.RotateAboutY(angle);
    EXPECT_EQ(p.x, v.x);
    EXPECT_EQ(p.y, v.y);
    EXPECT_EQ(p.z, v.z);
    Point3D q(start.x, start.y, start.z);
    q.RotateAboutAxis(angle, Vector3D(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(q.x, Matrix3D::MakeRotationZ(angle)(0, 0) * start.x + Matrix3D::MakeRotationZ(angle)(0, 1) * start.y,
                1e-6);

    EXPECT_EQ(Cross(Vector3D(1.0f, 0.0f, 0.0f), Vector3D(0.0f, 1.0f, 0.0f)), Vector3D(0.0f, 0.0f, 1.0f));
}

}  // namespace
}  // namespace oq
