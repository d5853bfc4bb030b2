#include <gtest/gtest.h>

#include "base/Matrix2D.h"
#include "base/Matrix3D.h"

#include <cmath>
#include <cstring>
#include <random>

namespace oq {
namespace {

constexpr float kPiF = 3.14159265f;

// Row-major double copies of float matrices, for a naive reference product.
template <int N, typename M>
void ToDouble(const M &m, double (&out)[N][N])
{
    for (int r = 0; r < N; ++r)
    {
        for (int c = 0; c < N; ++c) out[r][c] = m(r, c);
    }
}

template <int N>
void MultiplyDouble(const double (&a)[N][N], const double (&b)[N][N], double (&out)[N][N])
{
    for (int r = 0; r < N; ++r)
    {
        for (int c = 0; c < N; ++c)
        {
            double sum = 0.0;
            for (int k = 0; k < N; ++k) sum += a[r][k] * b[k][c];
            out[r][c] = sum;
        }
    }
}

template <int N, typename M>
void ExpectNear(const M &m, const double (&reference)[N][N], double tolerance)
{
    for (int r = 0; r < N; ++r)
    {
        for (int c = 0; c < N; ++c) EXPECT_NEAR(m(r, c), reference[r][c], tolerance) << "entry " << r << "," << c;
    }
}

Matrix3D RandomMatrix3D(std::mt19937 &random)
{
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    Matrix3D m;
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) m(r, c) = value(random);
    }
    return m;
}

TEST(Matrix2D, StorageIsColumnByColumnFromRowOrderValues)
{
    Matrix2D m(1.0f, 2.0f, 3.0f, 4.0f);
    float stored[4];
    std::memcpy(stored, &m, sizeof(stored));
    EXPECT_EQ(stored[0], 1.0f);
    EXPECT_EQ(stored[1], 3.0f);
    EXPECT_EQ(stored[2], 2.0f);
    EXPECT_EQ(stored[3], 4.0f);
    EXPECT_EQ(m.GetColumn(1).x, 2.0f);
    EXPECT_EQ(m.GetColumn(1).y, 4.0f);

    Matrix2D columns(Vector2D(1.0f, 3.0f), Vector2D(2.0f, 4.0f));
    EXPECT_EQ(std::memcmp(&columns, &m, sizeof(m)), 0);

    EXPECT_EQ(m.GetDeterminant(), -2.0f);
    Matrix2D inverse = InvertMatrix2D(m);
    EXPECT_EQ(inverse(0, 0), -2.0f);
    EXPECT_EQ(inverse(0, 1), 1.0f);
    EXPECT_EQ(inverse(1, 0), 1.5f);
    EXPECT_EQ(inverse(1, 1), -0.5f);
    Matrix2D adjugate = AdjugateMatrix2D(m);
    EXPECT_EQ(adjugate(0, 0), 4.0f);
    EXPECT_EQ(adjugate(0, 1), -2.0f);
    EXPECT_EQ(adjugate(1, 0), -3.0f);
    EXPECT_EQ(adjugate(1, 1), 1.0f);
}

TEST(Matrix2D, ProductsAgainstDoubleReference)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    for (int trial = 0; trial < 50; ++trial)
    {
        Matrix2D a(value(random), value(random), value(random), value(random));
        Matrix2D b(value(random), value(random), value(random), value(random));
        double da[2][2], db[2][2], product[2][2];
        ToDouble(a, da);
        ToDouble(b, db);
        MultiplyDouble(da, db, product);

        Matrix2D m = a;
        m.MultiplyBy(b);
        ExpectNear(m, product, 1e-5);
        ExpectNear(a * b, product, 1e-5);

        // Squaring in place reads the matrix while it is being written.
        double square[2][2];
        MultiplyDouble(da, da, square);
        Matrix2D s = a;
        s.MultiplyBy(s);
        ExpectNear(s, square, 1e-5);

        // Applied to a column vector, the right factor acts first.
        Vector2D v(value(random), value(random));
        Vector2D left = (a * b) * v;
        Vector2D right = a * (b * v);
        EXPECT_NEAR(left.x, right.x, 1e-4);
        EXPECT_NEAR(left.y, right.y, 1e-4);
    }
}

TEST(Matrix2D, RotationScaleAndOrthonormalize)
{
    Vector2D turned = Matrix2D::MakeRotation(kPiF / 2.0f) * Vector2D(1.0f, 0.0f);
    EXPECT_NEAR(turned.x, 0.0f, 1e-6);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6);

    Matrix2D scale = Matrix2D::MakeScale(2.0f, 3.0f);
    EXPECT_EQ(scale(0, 0), 2.0f);
    EXPECT_EQ(scale(1, 1), 3.0f);
    EXPECT_EQ(scale(0, 1), 0.0f);
    EXPECT_EQ(Matrix2D::MakeScaleX(5.0f)(1, 1), 1.0f);
    EXPECT_EQ(Matrix2D::MakeScaleY(5.0f)(1, 1), 5.0f);
    EXPECT_EQ(ScaleMatrix2D(scale, 2.0f)(1, 1), 6.0f);
    EXPECT_EQ(DivideMatrix2D(scale, 2.0f)(0, 0), 1.0f);

    for (int k = 0; k < 2; ++k)
    {
        Matrix2D m(3.0f, 1.0f, 4.0f, 2.0f);
        Vector2D kept = m.GetColumn(k);
        m.Orthonormalize(k);
        EXPECT_NEAR(Dot(m.GetColumn(0), m.GetColumn(1)), 0.0f, 1e-5);
        EXPECT_NEAR(SquaredMag(m.GetColumn(0)), 1.0f, 1e-5);
        EXPECT_NEAR(SquaredMag(m.GetColumn(1)), 1.0f, 1e-5);
        EXPECT_NEAR(Cross(kept, m.GetColumn(k)), 0.0f, 1e-5);
        EXPECT_GT(Dot(kept, m.GetColumn(k)), 0.0f);
    }
}

TEST(Matrix3D, StorageIsColumnByColumnFromRowOrderValues)
{
    Matrix3D m(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f);
    float stored[9];
    std::memcpy(stored, &m, sizeof(stored));
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(stored[3 * c + r], float(3 * r + c + 1));
    }
    EXPECT_EQ(m.GetColumn(2).x, 3.0f);
    EXPECT_EQ(m.GetColumn(2).z, 9.0f);
    Matrix3D columns(Vector3D(1.0f, 4.0f, 7.0f), Vector3D(2.0f, 5.0f, 8.0f), Vector3D(3.0f, 6.0f, 9.0f));
    EXPECT_EQ(std::memcmp(&columns, &m, sizeof(m)), 0);
}

TEST(Matrix3D, ProductsInversesAndAdjugatesAgainstDoubleReference)
{
    std::mt19937 random(11);
    for (int trial = 0; trial < 50; ++trial)
    {
        Matrix3D a = RandomMatrix3D(random);
        Matrix3D b = RandomMatrix3D(random);
        double da[3][3], db[3][3], product[3][3], square[3][3];
        ToDouble(a, da);
        ToDouble(b, db);
        MultiplyDouble(da, db, product);
        MultiplyDouble(da, da, square);

        Matrix3D m = a;
        m.MultiplyBy(b);
        ExpectNear(m, product, 2e-5);
        Matrix3D s = a;
        s.MultiplyBy(s);
        ExpectNear(s, square, 2e-5);

        // Adjugate: entry (r, c) is the cofactor (c, r).
        double adjugate[3][3];
        for (int r = 0; r < 3; ++r)
        {
            for (int c = 0; c < 3; ++c)
            {
                int r0 = (c + 1) % 3, r1 = (c + 2) % 3, c0 = (r + 1) % 3, c1 = (r + 2) % 3;
                adjugate[r][c] = da[r0][c0] * da[r1][c1] - da[r0][c1] * da[r1][c0];
            }
        }
        ExpectNear(AdjugateMatrix3D(a), adjugate, 2e-5);
        double determinant = da[0][0] * adjugate[0][0] + da[0][1] * adjugate[1][0] + da[0][2] * adjugate[2][0];
        EXPECT_NEAR(a.GetDeterminant(), determinant, 2e-5);

        if (std::fabs(determinant) > 0.1)
        {
            double inverse[3][3];
            for (int r = 0; r < 3; ++r)
            {
                for (int c = 0; c < 3; ++c) inverse[r][c] = adjugate[r][c] / determinant;
            }
            ExpectNear(InvertMatrix3D(a), inverse, 1e-3 * (1.0 + 1.0 / std::fabs(determinant)));
            double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
            ExpectNear(a * InvertMatrix3D(a), identity, 1e-3);
        }
    }
}

TEST(Matrix3D, SingularInverseIsNotFinite)
{
    Matrix3D m(1.0f, 2.0f, 3.0f, 2.0f, 4.0f, 6.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(m.GetDeterminant(), 0.0f);
    Matrix3D inverse = InvertMatrix3D(m);
    EXPECT_FALSE(std::isfinite(inverse(0, 0)) && std::isfinite(inverse(1, 1)) && std::isfinite(inverse(2, 2)));
}

TEST(Matrix3D, EulerAnglesRoundTrip)
{
    const float angles[][3] = {{0.1f, 0.2f, 0.3f},  {-1.2f, 0.7f, 1.4f}, {1.5f, -1.5f, -0.2f},
                               {-0.4f, -1.1f, 0.9f}, {0.0f, 0.0f, 0.0f}, {1.3f, 1.45f, -1.5f}};
    for (const auto &a : angles)
    {
        Matrix3D m;
        m.SetEulerAngles(a[0], a[1], a[2]);

        // Rx(x) Ry(y) Rz(z) in double.
        double cx = std::cos(a[0]), sx = std::sin(a[0]), cy = std::cos(a[1]), sy = std::sin(a[1]);
        double cz = std::cos(a[2]), sz = std::sin(a[2]);
        double rx[3][3] = {{1, 0, 0}, {0, cx, -sx}, {0, sx, cx}};
        double ry[3][3] = {{cy, 0, sy}, {0, 1, 0}, {-sy, 0, cy}};
        double rz[3][3] = {{cz, -sz, 0}, {sz, cz, 0}, {0, 0, 1}};
        double rxy[3][3], rxyz[3][3];
        MultiplyDouble(rx, ry, rxy);
        MultiplyDouble(rxy, rz, rxyz);
        ExpectNear(m, rxyz, 2e-5);

        float x, y, z;
        m.GetEulerAngles(&x, &y, &z);
        EXPECT_NEAR(x, a[0], 1e-3);
        EXPECT_NEAR(y, a[1], 1e-3);
        EXPECT_NEAR(z, a[2], 1e-3);
    }

    // Gimbal lock: m02 is exactly 1.
    Matrix3D locked(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, -1.0f, 0.0f, 0.0f);
    float x = 9.0f, y = 9.0f, z = 9.0f;
    locked.GetEulerAngles(&x, &y, &z);
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, kHalfPi);
    EXPECT_EQ(z, 0.0f);

    // Locked at -pi/2 with a turn about z: the angles rebuild the matrix.
    Matrix3D turned;
    turned.SetEulerAngles(0.0f, -kHalfPi, 0.6f);
    turned(0, 2) = -1.0f;
    turned.GetEulerAngles(&x, &y, &z);
    EXPECT_EQ(y, -kHalfPi);
    Matrix3D rebuilt;
    rebuilt.SetEulerAngles(x, y, z);
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(rebuilt(r, c), turned(r, c), 1e-4);
    }
}

TEST(Matrix3D, RotationsReflectionsScalesAndSkews)
{
    const float angle = 0.8f;
    float c = std::cos(angle), s = std::sin(angle);

    // Counter-clockwise about each axis.
    Vector3D y = Matrix3D::MakeRotationX(angle) * Vector3D(0.0f, 1.0f, 0.0f);
    EXPECT_NEAR(y.y, c, 1e-6);
    EXPECT_NEAR(y.z, s, 1e-6);
    Vector3D z = Matrix3D::MakeRotationY(angle) * Vector3D(0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(z.x, s, 1e-6);
    EXPECT_NEAR(z.z, c, 1e-6);
    Vector3D x = Matrix3D::MakeRotationZ(angle) * Vector3D(1.0f, 0.0f, 0.0f);
    EXPECT_NEAR(x.x, c, 1e-6);
    EXPECT_NEAR(x.y, s, 1e-6);

    // Rotation about a general axis: fixes the axis, agrees with the axis rotations.
    Vector3D axis = Normalize(Vector3D(1.0f, 2.0f, 2.0f));
    Matrix3D r = Matrix3D::MakeRotation(angle, axis);
    Vector3D fixed = r * axis;
    EXPECT_NEAR(fixed.x, axis.x, 1e-6);
    EXPECT_NEAR(fixed.y, axis.y, 1e-6);
    EXPECT_NEAR(fixed.z, axis.z, 1e-6);
    EXPECT_NEAR(r.GetDeterminant(), 1.0f, 1e-5);
    Matrix3D rz = Matrix3D::MakeRotation(angle, Vector3D(0.0f, 0.0f, 1.0f));
    Matrix3D ez = Matrix3D::MakeRotationZ(angle);
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(rz(i, j), ez(i, j), 1e-6);
    }

    // The adjugate of a rotation is its transpose.
    Matrix3D adjugate = AdjugateMatrix3D(r);
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(adjugate(i, j), r(j, i), 1e-5);
    }

    // Involution twice is the identity; reflection negates a and keeps the plane.
    Matrix3D involution = Matrix3D::MakeInvolution(axis);
    Matrix3D twice = involution * involution;
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(twice(i, j), i == j ? 1.0f : 0.0f, 1e-5);
    }
    Vector3D reflected = Matrix3D::MakeReflection(axis) * axis;
    EXPECT_NEAR(reflected.x, -axis.x, 1e-6);
    Vector3D inPlane = Matrix3D::MakeReflection(axis) * Vector3D(2.0f, -1.0f, 0.0f);
    EXPECT_NEAR(inPlane.x, 2.0f, 1e-6);
    EXPECT_NEAR(inPlane.y, -1.0f, 1e-6);

    // Directional scale stretches along a only.
    Vector3D stretched = Matrix3D::MakeScale(3.0f, axis) * axis;
    EXPECT_NEAR(stretched.z, 3.0f * axis.z, 1e-5);
    Vector3D across = Matrix3D::MakeScale(3.0f, axis) * Vector3D(2.0f, -1.0f, 0.0f);
    EXPECT_NEAR(across.x, 2.0f, 1e-5);
    EXPECT_EQ(Matrix3D::MakeScaleZ(4.0f)(2, 2), 4.0f);
    EXPECT_EQ(Matrix3D::MakeScaleZ(4.0f)(0, 0), 1.0f);

    // Skew: points move along a by tan(angle) times their component along b.
    Matrix3D skew = Matrix3D::MakeSkew(angle, Vector3D(1.0f, 0.0f, 0.0f), Vector3D(0.0f, 1.0f, 0.0f));
    Vector3D moved = skew * Vector3D(0.0f, 2.0f, 0.0f);
    EXPECT_NEAR(moved.x, 2.0f * std::tan(angle), 1e-5);
    EXPECT_EQ(moved.y, 2.0f);
}

TEST(Matrix3D, OrthonormalizeKeepsTheStartColumn)
{
    for (int k = 0; k < 3; ++k)
    {
        Matrix3D m(2.0f, 0.3f, 0.1f, 0.2f, 3.0f, -0.4f, 0.5f, 0.1f, 1.5f);
        Vector3D kept = m.GetColumn(k);
        Vector3D second = m.GetColumn((k + 1) % 3);
        m.Orthonormalize(k);
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_NEAR(SquaredMag(m.GetColumn(i)), 1.0f, 1e-5);
            EXPECT_NEAR(Dot(m.GetColumn(i), m.GetColumn((i + 1) % 3)), 0.0f, 1e-5);
        }
        Vector3D kc = Cross(kept, m.GetColumn(k));
        EXPECT_NEAR(SquaredMag(kc), 0.0f, 1e-8);
        EXPECT_GT(Dot(kept, m.GetColumn(k)), 0.0f);

        // The next column in cyclic order is fixed second: it stays in the plane of the first two.
        EXPECT_NEAR(Dot(Normalize(Cross(kept, second)), m.GetColumn((k + 1) % 3)), 0.0f, 1e-5);
    }
}

TEST(Matrix3D, ZeroColumnOrthonormalizesToNaN)
{
    Matrix3D m(0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f);
    m.Orthonormalize(0);
    EXPECT_TRUE(std::isnan(m(0, 0)) || std::isnan(m(1, 0)) || std::isnan(m(2, 0)));
}

}  // namespace
}  // namespace oq
