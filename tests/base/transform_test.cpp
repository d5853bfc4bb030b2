#include <gtest/gtest.h>

#include "base/Transform3D.h"
#include "base/Transform4D.h"

#include <cmath>
#include <cstring>
#include <random>

namespace oq {
namespace {

using Double4 = double[4][4];

void ToDouble(const Matrix4D &m, Double4 &out)
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c) out[r][c] = m(r, c);
    }
}

void MultiplyDouble(const Double4 &a, const Double4 &b, Double4 &out)
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c)
        {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += a[r][k] * b[k][c];
            out[r][c] = sum;
        }
    }
}

void ExpectNear(const Matrix4D &m, const Double4 &reference, double tolerance)
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(m(r, c), reference[r][c], tolerance) << "entry " << r << "," << c;
    }
}

// The adjugate by cofactors in double.
void AdjugateDouble(const Double4 &m, Double4 &out, double *determinant)
{
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c)
        {
            // Cofactor (c, r): remove row c and column r.
            double minor[3][3];
            for (int i = 0, mi = 0; i < 4; ++i)
            {
                if (i == c) continue;
                for (int j = 0, mj = 0; j < 4; ++j)
                {
                    if (j == r) continue;
                    minor[mi][mj++] = m[i][j];
                }
                ++mi;
            }
            double d = minor[0][0] * (minor[1][1] * minor[2][2] - minor[1][2] * minor[2][1])
                       - minor[0][1] * (minor[1][0] * minor[2][2] - minor[1][2] * minor[2][0])
                       + minor[0][2] * (minor[1][0] * minor[2][1] - minor[1][1] * minor[2][0]);
            out[r][c] = ((r + c) & 1) ? -d : d;
        }
    }
    *determinant = 0.0;
    for (int k = 0; k < 4; ++k) *determinant += m[0][k] * out[k][0];
}

Transform4D RandomTransform(std::mt19937 &random)
{
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    Transform4D t;
    t.Set(value(random), value(random), value(random), value(random), value(random), value(random), value(random),
          value(random), value(random), value(random), value(random), value(random));
    return t;
}

TEST(Transform4D, StorageConvention)
{
    Transform4D t(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 11.0f, 12.0f);
    float stored[16];
    std::memcpy(stored, &t, sizeof(stored));
    const float expected[16] = {1, 5, 9, 0, 2, 6, 10, 0, 3, 7, 11, 0, 4, 8, 12, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(stored[i], expected[i]) << i;
    EXPECT_EQ(t.GetTranslation().y, 8.0f);

    Transform4D rows(Vector3D(1.0f, 2.0f, 3.0f), 4.0f, Vector3D(5.0f, 6.0f, 7.0f), 8.0f, Vector3D(9.0f, 10.0f, 11.0f),
                     12.0f);
    EXPECT_EQ(std::memcmp(&rows, &t, sizeof(t)), 0);
    Transform4D columns(Vector3D(1.0f, 5.0f, 9.0f), Vector3D(2.0f, 6.0f, 10.0f), Vector3D(3.0f, 7.0f, 11.0f),
                        Point3D(4.0f, 8.0f, 12.0f));
    EXPECT_EQ(std::memcmp(&columns, &t, sizeof(t)), 0);
    Transform4D fromMatrix(Matrix3D(1.0f, 2.0f, 3.0f, 5.0f, 6.0f, 7.0f, 9.0f, 10.0f, 11.0f),
                           Point3D(4.0f, 8.0f, 12.0f));
    EXPECT_EQ(std::memcmp(&fromMatrix, &t, sizeof(t)), 0);

    Matrix4D m(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 11.0f, 12.0f, 13.0f, 14.0f, 15.0f, 16.0f);
    std::memcpy(stored, &m, sizeof(stored));
    EXPECT_EQ(stored[12], 4.0f);
    EXPECT_EQ(stored[3], 13.0f);
    EXPECT_EQ(m.GetColumn(3).w, 16.0f);
    Matrix4D mrows(Vector3D(1.0f, 2.0f, 3.0f), 4.0f, Vector3D(5.0f, 6.0f, 7.0f), 8.0f, Vector3D(9.0f, 10.0f, 11.0f),
                   12.0f, Vector3D(13.0f, 14.0f, 15.0f), 16.0f);
    EXPECT_EQ(std::memcmp(&mrows, &m, sizeof(m)), 0);
    Matrix4D copy;
    copy.Assign(t);
    EXPECT_EQ(std::memcmp(&copy, &t, sizeof(t)), 0);
}

TEST(Transform4D, ProductsAgainstDoubleReference)
{
    std::mt19937 random(3);
    for (int trial = 0; trial < 40; ++trial)
    {
        Transform4D a = RandomTransform(random);
        Transform4D b = RandomTransform(random);
        Double4 da, db, product, square;
        ToDouble(a, da);
        ToDouble(b, db);
        MultiplyDouble(da, db, product);
        MultiplyDouble(da, da, square);

        Transform4D ab = MultiplyTransform4D(a, b);
        ExpectNear(ab, product, 3e-5);
        EXPECT_EQ(ab(3, 0), 0.0f);
        EXPECT_EQ(ab(3, 3), 1.0f);
        Transform4D m = a;
        m.MultiplyBy(b);
        ExpectNear(m, product, 3e-5);
        Transform4D s = a;
        s.MultiplyBy(s);
        ExpectNear(s, square, 3e-5);

        Matrix4D general = a;
        general.MultiplyBy(b);
        ExpectNear(general, product, 3e-5);
        Matrix4D generalSquare = a;
        generalSquare.MultiplyBy(generalSquare);
        ExpectNear(generalSquare, square, 3e-5);
        ExpectNear(a * static_cast<const Matrix4D &>(b), product, 3e-5);

        // A point is moved with the translation, a vector without; the right factor acts first.
        Point3D p(0.5f, -1.0f, 2.0f);
        Point3D left = ab * p;
        Point3D right = a * (b * p);
        EXPECT_NEAR(left.x, right.x, 1e-4);
        EXPECT_NEAR(left.z, right.z, 1e-4);
        Vector3D v(0.5f, -1.0f, 2.0f);
        Vector3D moved = a * v;
        EXPECT_NEAR(moved.y, da[1][0] * 0.5 - da[1][1] + da[1][2] * 2.0, 1e-5);
        Vector4D lanes = TransformToVector4D(a, p);
        Point3D ap = a * p;
        EXPECT_NEAR(lanes.x, ap.x, 1e-5);
        EXPECT_NEAR(lanes.z, ap.z, 1e-5);
        EXPECT_EQ(lanes.w, 1.0f);
        EXPECT_EQ(TransformToVector4D(a, v).w, 0.0f);
        Vector3D row = v * a;
        EXPECT_NEAR(row.x, 0.5 * da[0][0] - da[1][0] + 2.0 * da[2][0], 1e-5);
    }
}

TEST(Transform4D, MixedProducts)
{
    std::mt19937 random(5);
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    Matrix4D m;
    for (int r = 0; r < 4; ++r)
    {
        for (int c = 0; c < 4; ++c) m(r, c) = value(random);
    }
    Transform4D t = RandomTransform(random);
    Matrix3D r3 = Matrix3D::MakeRotation(0.4f, Normalize(Vector3D(1.0f, 1.0f, 0.0f)));

    // Transform x Matrix4D keeps the matrix's fourth row.
    Matrix4D tm = t * m;
    Double4 dt, dm, product;
    ToDouble(t, dt);
    ToDouble(m, dm);
    MultiplyDouble(dt, dm, product);
    ExpectNear(tm, product, 3e-5);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(tm(3, c), m(3, c));

    // Matrix4D x Matrix3D changes columns 0 to 2 only.
    Matrix4D m3 = m * r3;
    Matrix4D in = m;
    in.MultiplyBy(r3);
    EXPECT_EQ(std::memcmp(&m3, &in, sizeof(in)), 0);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(m3(r, 3), m(r, 3));
    EXPECT_NEAR(m3(2, 1), m(2, 0) * r3(0, 1) + m(2, 1) * r3(1, 1) + m(2, 2) * r3(2, 1), 1e-5);

    // Transform4D x Matrix3D and the in-place 3x3 product leave the translation alone.
    Transform4D tr = t;
    tr.MultiplyBy(r3);
    Matrix3D part = t * r3;
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(tr(r, c), part(r, c));
        EXPECT_EQ(tr(r, 3), t(r, 3));
    }

    // Column and row products with 2-D and 3-D vectors and points.
    Vector4D column = m * Point2D(2.0f, 3.0f);
    EXPECT_NEAR(column.w, m(3, 0) * 2.0f + m(3, 1) * 3.0f + m(3, 3), 1e-5);
    Vector4D vcolumn = m * Vector3D(2.0f, 3.0f, 4.0f);
    EXPECT_NEAR(vcolumn.y, m(1, 0) * 2.0f + m(1, 1) * 3.0f + m(1, 2) * 4.0f, 1e-5);
    Vector4D rowProduct = Point3D(2.0f, 3.0f, 4.0f) * m;
    EXPECT_NEAR(rowProduct.z, 2.0f * m(0, 2) + 3.0f * m(1, 2) + 4.0f * m(2, 2) + m(3, 2), 1e-5);
    Vector4D vrow = Vector2D(2.0f, 3.0f) * m;
    EXPECT_NEAR(vrow.w, 2.0f * m(0, 3) + 3.0f * m(1, 3), 1e-5);

    // Scale from the left multiplies the rows, translation included.
    Transform4D scaled = ScaleTransform4D(t, Vector3D(2.0f, -1.0f, 0.5f));
    for (int c = 0; c < 4; ++c)
    {
        EXPECT_EQ(scaled(0, c), t(0, c) * 2.0f);
        EXPECT_EQ(scaled(1, c), -t(1, c));
        EXPECT_EQ(scaled(2, c), t(2, c) * 0.5f);
    }
}

TEST(Transform4D, InversesAndAdjugates)
{
    // A rotation with translation inverts to its transpose and -R^T t.
    Transform4D rt(Matrix3D::MakeRotation(1.1f, Normalize(Vector3D(2.0f, -1.0f, 2.0f))), Point3D(3.0f, -2.0f, 5.0f));
    Transform4D inverse = InvertTransform4D(rt);
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(inverse(r, c), rt(c, r), 1e-5);
        double translation = 0.0;
        for (int k = 0; k < 3; ++k) translation -= double(rt(k, r)) * rt(k, 3);
        EXPECT_NEAR(inverse(r, 3), translation, 1e-4);
    }
    Transform4D identity = MultiplyTransform4D(rt, inverse);
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(identity(r, c), r == c ? 1.0f : 0.0f, 1e-5);
    }
    EXPECT_EQ(identity(3, 0), 0.0f);
    EXPECT_EQ(identity(3, 1), 0.0f);
    EXPECT_EQ(identity(3, 2), 0.0f);
    EXPECT_EQ(identity(3, 3), 1.0f);

    // Uniform scale by 2 with translation (1, 0, 0).
    Transform4D scale(Matrix3D::MakeScale(2.0f), Point3D(1.0f, 0.0f, 0.0f));
    Transform4D adjugate = AdjugateTransform4D(scale);
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(adjugate(r, c), r == c ? 4.0f : 0.0f);
    }
    EXPECT_EQ(adjugate(0, 3), -4.0f);
    EXPECT_EQ(adjugate(1, 3), 0.0f);
    EXPECT_EQ(adjugate(3, 3), 1.0f);
    EXPECT_EQ(scale.GetDeterminant(), 8.0f);

    // Random transforms against the double reference.
    std::mt19937 random(9);
    for (int trial = 0; trial < 40; ++trial)
    {
        Transform4D t = RandomTransform(random);
        Double4 dt, adj;
        ToDouble(t, dt);
        double determinant;
        AdjugateDouble(dt, adj, &determinant);
        EXPECT_NEAR(t.GetDeterminant(), determinant, 1e-4);
        ExpectNear(AdjugateMatrix4D(t), adj, 1e-4 * 8.0);

        // The affine adjugate is the same with 1 kept in the corner.
        Double4 affine;
        std::memcpy(affine, adj, sizeof(affine));
        affine[3][3] = 1.0;
        ExpectNear(AdjugateTransform4D(t), affine, 1e-4 * 8.0);

        Matrix3D adjugate3 = t.GetAdjugateMatrix3D();
        for (int r = 0; r < 3; ++r)
        {
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(adjugate3(r, c), adj[r][c], 1e-4);
        }

        Point3D p(0.25f, -1.5f, 0.75f);
        Vector3D v(1.0f, 2.0f, -0.5f);
        Point3D ap = AdjugateTransformPoint3D(t, p);
        Vector3D av = AdjugateTransformVector3D(t, v);
        for (int r = 0; r < 3; ++r)
        {
            double x = adj[r][0] * p.x + adj[r][1] * p.y + adj[r][2] * p.z + adj[r][3];
            double y = adj[r][0] * v.x + adj[r][1] * v.y + adj[r][2] * v.z;
            EXPECT_NEAR(r == 0 ? ap.x : r == 1 ? ap.y : ap.z, x, 1e-3);
            EXPECT_NEAR(r == 0 ? av.x : r == 1 ? av.y : av.z, y, 1e-3);
        }

        EXPECT_NEAR(static_cast<const Matrix4D &>(t).GetDeterminant(), determinant, 1e-4);

        if (std::fabs(determinant) > 0.25)
        {
            double bound = 1e-3 / std::fabs(determinant);
            Double4 inverseReference;
            for (int r = 0; r < 4; ++r)
            {
                for (int c = 0; c < 4; ++c) inverseReference[r][c] = adj[r][c] / determinant;
            }
            ExpectNear(InvertTransform4D(t), inverseReference, bound * 8.0);
            ExpectNear(InvertMatrix4D(t), inverseReference, bound * 8.0);
            Point3D ip = InverseTransformPoint3D(t, p);
            Point3D back = t * ip;
            EXPECT_NEAR(back.x, p.x, bound * 8.0);
            EXPECT_NEAR(back.y, p.y, bound * 8.0);
            EXPECT_NEAR(back.z, p.z, bound * 8.0);
            Vector3D iv = InverseTransformVector3D(t, v);
            Vector3D vback = t * iv;
            EXPECT_NEAR(vback.x, v.x, bound * 8.0);
            EXPECT_NEAR(vback.z, v.z, bound * 8.0);
        }
    }
}

TEST(Transform4D, GeneralMatrixInverse)
{
    std::mt19937 random(21);
    std::uniform_real_distribution<float> value(-2.0f, 2.0f);
    int checked = 0;
    for (int trial = 0; trial < 40; ++trial)
    {
        Matrix4D m;
        for (int r = 0; r < 4; ++r)
        {
            for (int c = 0; c < 4; ++c) m(r, c) = value(random);
        }
        Double4 dm, adj;
        ToDouble(m, dm);
        double determinant;
        AdjugateDouble(dm, adj, &determinant);
        EXPECT_NEAR(m.GetDeterminant(), determinant, 1e-3);
        ExpectNear(AdjugateMatrix4D(m), adj, 1e-3);
        if (std::fabs(determinant) < 0.5) continue;
        ++checked;
        Double4 inverse;
        for (int r = 0; r < 4; ++r)
        {
            for (int c = 0; c < 4; ++c) inverse[r][c] = adj[r][c] / determinant;
        }
        ExpectNear(InvertMatrix4D(m), inverse, 1e-3);
    }
    EXPECT_GT(checked, 10);

    Matrix4D singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 1, 1, 0, 0, 1);
    EXPECT_EQ(singular.GetDeterminant(), 0.0f);
    EXPECT_FALSE(std::isfinite(InvertMatrix4D(singular)(0, 0)));
}

TEST(Transform4D, MakersAndEdgeCases)
{
    // The plane z = 2 maps (0, 0, 3) to (0, 0, 1).
    Point3D mirrored = Transform4D::MakeReflection(0.0f, 0.0f, 1.0f, -2.0f) * Point3D(0.0f, 0.0f, 3.0f);
    EXPECT_EQ(mirrored.x, 0.0f);
    EXPECT_EQ(mirrored.y, 0.0f);
    EXPECT_EQ(mirrored.z, 1.0f);

    // TransformPoint2D ignores the z column.
    Transform4D a(1.0f, 2.0f, 0.0f, 3.0f, 4.0f, 5.0f, 0.0f, 6.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    Transform4D b = a;
    b(0, 2) = 5.0f;
    Point2D pa = TransformPoint2D(a, Point2D(1.0f, 1.0f));
    Point2D pb = TransformPoint2D(b, Point2D(1.0f, 1.0f));
    EXPECT_EQ(pa.x, 6.0f);
    EXPECT_EQ(pa.y, 15.0f);
    EXPECT_EQ(pa.x, pb.x);
    EXPECT_EQ(pa.y, pb.y);
    Point2D viaOperator = a * Point2D(1.0f, 1.0f);
    EXPECT_EQ(viaOperator.x, 6.0f);
    Vector2D vector = a * Vector2D(1.0f, 1.0f);
    EXPECT_EQ(vector.x, 3.0f);
    EXPECT_EQ(vector.y, 9.0f);

    Point3D translated = Transform4D::MakeTranslation(Vector3D(1.0f, 2.0f, 3.0f)) * Point3D(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(translated.z, 4.0f);
    Vector3D notTranslated = Transform4D::MakeTranslation(Vector3D(1.0f, 2.0f, 3.0f)) * Vector3D(1.0f, 1.0f, 1.0f);
    EXPECT_EQ(notTranslated.z, 1.0f);

    // Every maker writes the fourth row (0, 0, 0, 1).
    const Vector3D axis = Normalize(Vector3D(1.0f, 2.0f, 3.0f));
    const Transform4D makers[] = {Transform4D::MakeRotationX(0.3f),
                                  Transform4D::MakeRotationY(0.3f),
                                  Transform4D::MakeRotationZ(0.3f),
                                  Transform4D::MakeRotation(0.3f, axis),
                                  Transform4D::MakeReflection(axis),
                                  Transform4D::MakeInvolution(axis),
                                  Transform4D::MakeScale(2.0f),
                                  Transform4D::MakeScale(2.0f, 3.0f, 4.0f),
                                  Transform4D::MakeScale(2.0f, axis),
                                  Transform4D::MakeScaleX(2.0f),
                                  Transform4D::MakeScaleY(2.0f),
                                  Transform4D::MakeScaleZ(2.0f),
                                  Transform4D::MakeSkew(0.3f, axis, Vector3D(1.0f, 0.0f, 0.0f)),
                                  InvertTransform4D(Transform4D::MakeScale(2.0f)),
                                  Transform4D().SetEulerAngles(0.1f, 0.2f, 0.3f),
                                  Transform4D().SetIdentity()};
    for (const Transform4D &t : makers)
    {
        EXPECT_EQ(t(3, 0), 0.0f);
        EXPECT_EQ(t(3, 1), 0.0f);
        EXPECT_EQ(t(3, 2), 0.0f);
        EXPECT_EQ(t(3, 3), 1.0f);
        EXPECT_EQ(t(0, 3), 0.0f);
    }
    Transform4D euler;
    euler.SetEulerAngles(0.1f, 0.2f, 0.3f);
    float x, y, z;
    euler.GetEulerAngles(&x, &y, &z);
    EXPECT_NEAR(x, 0.1f, 1e-4);
    EXPECT_NEAR(y, 0.2f, 1e-4);
    EXPECT_NEAR(z, 0.3f, 1e-4);

    Transform4D skewed = Transform4D(Matrix3D::MakeScale(2.0f, 1.0f, 1.0f), Point3D(1.0f, 2.0f, 3.0f));
    skewed.Orthonormalize(0);
    EXPECT_NEAR(skewed(0, 0), 1.0f, 1e-6);
    EXPECT_EQ(skewed(0, 3), 1.0f);
}

TEST(Transform3D, StorageProductsAndInverses)
{
    Transform3D t(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f);
    float stored[9];
    std::memcpy(stored, &t, sizeof(stored));
    const float expected[9] = {1, 4, 0, 2, 5, 0, 3, 6, 1};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(stored[i], expected[i]) << i;
    Transform3D rows(Vector2D(1.0f, 2.0f), 3.0f, Vector2D(4.0f, 5.0f), 6.0f);
    EXPECT_EQ(std::memcmp(&rows, &t, sizeof(t)), 0);
    Transform3D columns(Vector2D(1.0f, 4.0f), Vector2D(2.0f, 5.0f), Point2D(3.0f, 6.0f));
    EXPECT_EQ(std::memcmp(&columns, &t, sizeof(t)), 0);
    Transform3D fromMatrix(Matrix2D(1.0f, 2.0f, 4.0f, 5.0f), Point2D(3.0f, 6.0f));
    EXPECT_EQ(std::memcmp(&fromMatrix, &t, sizeof(t)), 0);
    EXPECT_EQ(Transform3D(Matrix2D(1.0f, 2.0f, 4.0f, 5.0f))(0, 2), 0.0f);
    EXPECT_EQ(t.GetDeterminant(), -3.0f);

    Transform3D u(0.5f, -1.0f, 2.0f, 1.5f, 0.25f, -3.0f);
    Transform3D product = MultiplyTransform3D(t, u);
    // (1 2 3; 4 5 6; 0 0 1) x (0.5 -1 2; 1.5 0.25 -3; 0 0 1)
    const float reference[3][3] = {{3.5f, -0.5f, -1.0f}, {9.5f, -2.75f, -1.0f}, {0.0f, 0.0f, 1.0f}};
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(product(r, c), reference[r][c]);
    }
    Transform3D inPlace = t;
    inPlace.MultiplyBy(u);
    EXPECT_EQ(std::memcmp(&inPlace, &product, sizeof(product)), 0);
    Transform3D square = t;
    square.MultiplyBy(square);
    // (1 2 3; 4 5 6) squared as affine maps.
    const float squared[2][3] = {{9.0f, 12.0f, 18.0f}, {24.0f, 33.0f, 48.0f}};
    for (int r = 0; r < 2; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(square(r, c), squared[r][c]);
    }

    Transform3D withMatrix = t;
    withMatrix.MultiplyBy(Matrix2D(0.0f, -1.0f, 1.0f, 0.0f));
    EXPECT_EQ(withMatrix(0, 0), 2.0f);
    EXPECT_EQ(withMatrix(0, 1), -1.0f);
    EXPECT_EQ(withMatrix(0, 2), 3.0f);

    Point2D p = t * Point2D(1.0f, 1.0f);
    EXPECT_EQ(p.x, 6.0f);
    EXPECT_EQ(p.y, 15.0f);
    Vector2D v = t * Vector2D(1.0f, 1.0f);
    EXPECT_EQ(v.x, 3.0f);
    Vector2D row = Vector2D(1.0f, 1.0f) * t;
    EXPECT_EQ(row.x, 5.0f);
    EXPECT_EQ(row.y, 7.0f);

    Transform3D inverse = InvertTransform3D(t);
    Transform3D identity = MultiplyTransform3D(t, inverse);
    for (int r = 0; r < 3; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(identity(r, c), r == c ? 1.0f : 0.0f, 1e-5);
    }
    Transform3D adjugate = AdjugateTransform3D(t);
    for (int r = 0; r < 2; ++r)
    {
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(adjugate(r, c), inverse(r, c) * -3.0f, 1e-5);
    }
    EXPECT_EQ(adjugate(2, 2), 1.0f);

    // Mixed products with a Matrix3D.
    Matrix3D m(1.0f, 0.0f, 2.0f, 0.0f, 1.0f, 0.0f, 3.0f, 4.0f, 5.0f);
    Matrix3D tm = t * m;
    EXPECT_EQ(tm(2, 0), 3.0f);
    EXPECT_EQ(tm(2, 2), 5.0f);
    EXPECT_EQ(tm(0, 0), 1.0f + 9.0f);
    Matrix3D mt = m * t;
    EXPECT_EQ(mt(0, 2), 3.0f + 2.0f);

    Transform3D rotation = Transform3D::MakeRotation(1.5707963f);
    Point2D turned = rotation * Point2D(1.0f, 0.0f);
    EXPECT_NEAR(turned.x, 0.0f, 1e-6);
    EXPECT_NEAR(turned.y, 1.0f, 1e-6);
    Point2D moved = Transform3D::MakeTranslation(Vector2D(2.0f, 3.0f)) * Point2D(1.0f, 1.0f);
    EXPECT_EQ(moved.x, 3.0f);
    EXPECT_EQ(moved.y, 4.0f);
    EXPECT_EQ(Transform3D::MakeScale(2.0f, 3.0f)(1, 1), 3.0f);
}

}  // namespace
}  // namespace oq
