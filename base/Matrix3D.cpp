#include "base/Matrix3D.h"

namespace oq {

Matrix3D &Matrix3D::Set(float n00, float n01, float n02, float n10, float n11, float n12, float n20, float n21,
                        float n22)
{
    n[0][0] = n00;
    n[0][1] = n10;
    n[0][2] = n20;
    n[1][0] = n01;
    n[1][1] = n11;
    n[1][2] = n21;
    n[2][0] = n02;
    n[2][1] = n12;
    n[2][2] = n22;
    return *this;
}

Matrix3D &Matrix3D::Set(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2)
{
    SetColumn(0, c0);
    SetColumn(1, c1);
    return SetColumn(2, c2);
}

Matrix3D &Matrix3D::MultiplyBy(const Matrix3D &m)
{
    // Computed into a temporary so that m may be this matrix.
    *this = *this * m;
    return *this;
}

Matrix3D &Matrix3D::ScaleBy(float s)
{
    for (int c = 0; c < 3; ++c)
    {
        for (int r = 0; r < 3; ++r) n[c][r] *= s;
    }
    return *this;
}

Matrix3D &Matrix3D::DivideBy(float s)
{
    return ScaleBy(1.0f / s);
}

Matrix3D &Matrix3D::SetIdentity()
{
    return Set(1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f);
}

Matrix3D &Matrix3D::Orthonormalize(int k)
{
    int j = (k + 1) % 3;
    int i = (k + 2) % 3;
    Vector3D a = Normalize(GetColumn(k));
    Vector3D b = GetColumn(j);
    Vector3D c = GetColumn(i);
    b = Normalize(b - a * Dot(b, a));
    float ca = Dot(c, a);
    float cb = Dot(c, b);
    SetColumn(k, a);
    SetColumn(j, b);
    return SetColumn(i, Normalize(c - a * ca - b * cb));
}

void Matrix3D::GetEulerAngles(float *x, float *y, float *z) const
{
    float m02 = n[2][0];
    if (m02 > -1.0f && m02 < 1.0f)
    {
        *x = -Arctan2(n[2][1], n[2][2]);
        *y = Arcsin(m02);
        *z = -Arctan2(n[1][0], n[0][0]);
    }
    else
    {
        // Gimbal lock: only x + z or x - z is defined; x is taken as 0.
        *x = 0.0f;
        *y = (m02 >= 1.0f) ? kHalfPi : -kHalfPi;
        *z = Arctan2(n[0][1], n[1][1]);
    }
}

Matrix3D &Matrix3D::SetEulerAngles(float x, float y, float z)
{
    *this = MakeRotationX(x) * MakeRotationY(y) * MakeRotationZ(z);
    return *this;
}

float Matrix3D::GetDeterminant() const
{
    const Matrix3D &m = *this;
    return m(0, 0) * (m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1)) - m(0, 1) * (m(1, 0) * m(2, 2) - m(1, 2) * m(2, 0))
           + m(0, 2) * (m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0));
}

Matrix3D Matrix3D::MakeRotationX(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    return Matrix3D(1.0f, 0.0f, 0.0f, 0.0f, c, -s, 0.0f, s, c);
}

Matrix3D Matrix3D::MakeRotationY(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    return Matrix3D(c, 0.0f, s, 0.0f, 1.0f, 0.0f, -s, 0.0f, c);
}

Matrix3D Matrix3D::MakeRotationZ(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    return Matrix3D(c, -s, 0.0f, s, c, 0.0f, 0.0f, 0.0f, 1.0f);
}

Matrix3D Matrix3D::MakeRotation(float angle, const Vector3D &a)
{
    float c, s;
    CosSin(angle, &c, &s);
    float d = 1.0f - c;
    float x = a.x * d;
    float y = a.y * d;
    float z = a.z * d;
    float axay = x * a.y;
    float axaz = x * a.z;
    float ayaz = y * a.z;
    return Matrix3D(c + x * a.x, axay - s * a.z, axaz + s * a.y,
                    axay + s * a.z, c + y * a.y, ayaz - s * a.x,
                    axaz - s * a.y, ayaz + s * a.x, c + z * a.z);
}

Matrix3D Matrix3D::MakeReflection(const Vector3D &a)
{
    float x = a.x * -2.0f;
    float y = a.y * -2.0f;
    float z = a.z * -2.0f;
    float axay = x * a.y;
    float axaz = x * a.z;
    float ayaz = y * a.z;
    return Matrix3D(x * a.x + 1.0f, axay, axaz, axay, y * a.y + 1.0f, ayaz, axaz, ayaz, z * a.z + 1.0f);
}

Matrix3D Matrix3D::MakeInvolution(const Vector3D &a)
{
    float x = a.x * 2.0f;
    float y = a.y * 2.0f;
    float z = a.z * 2.0f;
    float axay = x * a.y;
    float axaz = x * a.z;
    float ayaz = y * a.z;
    return Matrix3D(x * a.x - 1.0f, axay, axaz, axay, y * a.y - 1.0f, ayaz, axaz, ayaz, z * a.z - 1.0f);
}

Matrix3D Matrix3D::MakeScale(float s)
{
    return Matrix3D(s, 0.0f, 0.0f, 0.0f, s, 0.0f, 0.0f, 0.0f, s);
}

Matrix3D Matrix3D::MakeScale(float sx, float sy, float sz)
{
    return Matrix3D(sx, 0.0f, 0.0f, 0.0f, sy, 0.0f, 0.0f, 0.0f, sz);
}

Matrix3D Matrix3D::MakeScale(float s, const Vector3D &a)
{
    s -= 1.0f;
    float x = a.x * s;
    float y = a.y * s;
    float z = a.z * s;
    float axay = x * a.y;
    float axaz = x * a.z;
    float ayaz = y * a.z;
    return Matrix3D(x * a.x + 1.0f, axay, axaz, axay, y * a.y + 1.0f, ayaz, axaz, ayaz, z * a.z + 1.0f);
}

Matrix3D Matrix3D::MakeScaleX(float s) { return MakeScale(s, 1.0f, 1.0f); }
Matrix3D Matrix3D::MakeScaleY(float s) { return MakeScale(1.0f, s, 1.0f); }
Matrix3D Matrix3D::MakeScaleZ(float s) { return MakeScale(1.0f, 1.0f, s); }

Matrix3D Matrix3D::MakeSkew(float angle, const Vector3D &a, const Vector3D &b)
{
    float t = Tan(angle);
    float x = a.x * t;
    float y = a.y * t;
    float z = a.z * t;
    return Matrix3D(x * b.x + 1.0f, x * b.y, x * b.z, y * b.x, y * b.y + 1.0f, y * b.z, z * b.x, z * b.y,
                    z * b.z + 1.0f);
}

Matrix3D operator*(const Matrix3D &a, const Matrix3D &b)
{
    Matrix3D result;
    for (int c = 0; c < 3; ++c)
    {
        for (int r = 0; r < 3; ++r)
        {
            result(r, c) = a(r, 0) * b(0, c) + a(r, 1) * b(1, c) + a(r, 2) * b(2, c);
        }
    }
    return result;
}

Vector3D operator*(const Matrix3D &m, const Vector3D &v)
{
    return Vector3D(m(0, 0) * v.x + m(0, 1) * v.y + m(0, 2) * v.z, m(1, 0) * v.x + m(1, 1) * v.y + m(1, 2) * v.z,
                    m(2, 0) * v.x + m(2, 1) * v.y + m(2, 2) * v.z);
}

Point3D operator*(const Matrix3D &m, const Point3D &p)
{
    return Point3D(m * static_cast<const Vector3D &>(p));
}

Matrix3D ScaleMatrix3D(const Matrix3D &m, float s)
{
    Matrix3D result = m;
    return result.ScaleBy(s);
}

Matrix3D DivideMatrix3D(const Matrix3D &m, float s)
{
    return ScaleMatrix3D(m, 1.0f / s);
}

Matrix3D InvertMatrix3D(const Matrix3D &m)
{
    return ScaleMatrix3D(AdjugateMatrix3D(m), 1.0f / m.GetDeterminant());
}

Matrix3D AdjugateMatrix3D(const Matrix3D &m)
{
    return Matrix3D(m(1, 1) * m(2, 2) - m(1, 2) * m(2, 1), m(0, 2) * m(2, 1) - m(0, 1) * m(2, 2),
                    m(0, 1) * m(1, 2) - m(0, 2) * m(1, 1),
                    m(1, 2) * m(2, 0) - m(1, 0) * m(2, 2), m(0, 0) * m(2, 2) - m(0, 2) * m(2, 0),
                    m(0, 2) * m(1, 0) - m(0, 0) * m(1, 2),
                    m(1, 0) * m(2, 1) - m(1, 1) * m(2, 0), m(0, 1) * m(2, 0) - m(0, 0) * m(2, 1),
                    m(0, 0) * m(1, 1) - m(0, 1) * m(1, 0));
}

}  // namespace oq
