#include "base/Matrix4D.h"

namespace oq {

namespace {

// Determinant of the 3x3 matrix left when row r and column c are removed.
float GetMinor(const Matrix4D &m, int r, int c)
{
    int rows[3];
    int cols[3];
    for (int i = 0, k = 0; i < 4; ++i)
    {
        if (i != r) rows[k++] = i;
    }
    for (int i = 0, k = 0; i < 4; ++i)
    {
        if (i != c) cols[k++] = i;
    }
    float a = m(rows[0], cols[0]), b = m(rows[0], cols[1]), d = m(rows[0], cols[2]);
    float e = m(rows[1], cols[0]), f = m(rows[1], cols[1]), g = m(rows[1], cols[2]);
    float h = m(rows[2], cols[0]), i = m(rows[2], cols[1]), j = m(rows[2], cols[2]);
    return a * (f * j - g * i) - b * (e * j - g * h) + d * (e * i - f * h);
}

}  // namespace

Matrix4D &Matrix4D::Set(float n00, float n01, float n02, float n03, float n10, float n11, float n12, float n13,
                        float n20, float n21, float n22, float n23, float n30, float n31, float n32, float n33)
{
    n[0][0] = n00;
    n[0][1] = n10;
    n[0][2] = n20;
    n[0][3] = n30;
    n[1][0] = n01;
    n[1][1] = n11;
    n[1][2] = n21;
    n[1][3] = n31;
    n[2][0] = n02;
    n[2][1] = n12;
    n[2][2] = n22;
    n[2][3] = n32;
    n[3][0] = n03;
    n[3][1] = n13;
    n[3][2] = n23;
    n[3][3] = n33;
    return *this;
}

Matrix4D &Matrix4D::Set(const Vector4D &c0, const Vector4D &c1, const Vector4D &c2, const Vector4D &c3)
{
    SetColumn(0, c0);
    SetColumn(1, c1);
    SetColumn(2, c2);
    return SetColumn(3, c3);
}

Matrix4D &Matrix4D::MultiplyBy(const Matrix4D &m)
{
    // Computed into a temporary so that m may be this matrix.
    *this = *this * m;
    return *this;
}

Matrix4D &Matrix4D::MultiplyBy(const Matrix3D &m)
{
    *this = *this * m;
    return *this;
}

Matrix4D &Matrix4D::SetIdentity()
{
    for (int c = 0; c < 4; ++c)
    {
        for (int r = 0; r < 4; ++r) n[c][r] = (r == c) ? 1.0f : 0.0f;
    }
    return *this;
}

Matrix4D &Matrix4D::Assign(const Matrix4D &m)
{
    for (int c = 0; c < 4; ++c)
    {
        for (int r = 0; r < 4; ++r) n[c][r] = m.n[c][r];
    }
    return *this;
}

float Matrix4D::GetDeterminant() const
{
    return n[0][0] * GetMinor(*this, 0, 0) - n[1][0] * GetMinor(*this, 0, 1) + n[2][0] * GetMinor(*this, 0, 2)
           - n[3][0] * GetMinor(*this, 0, 3);
}

Matrix4D operator*(const Matrix4D &a, const Matrix4D &b)
{
    Matrix4D result;
    for (int c = 0; c < 4; ++c)
    {
        for (int r = 0; r < 4; ++r)
        {
            result(r, c) = a(r, 0) * b(0, c) + a(r, 1) * b(1, c) + a(r, 2) * b(2, c) + a(r, 3) * b(3, c);
        }
    }
    return result;
}

Matrix4D operator*(const Matrix4D &a, const Matrix3D &b)
{
    Matrix4D result;
    for (int c = 0; c < 3; ++c)
    {
        for (int r = 0; r < 4; ++r) result(r, c) = a(r, 0) * b(0, c) + a(r, 1) * b(1, c) + a(r, 2) * b(2, c);
    }
    result.SetColumn(3, a.GetColumn(3));
    return result;
}

Vector4D operator*(const Matrix4D &m, const Vector2D &v)
{
    return Vector4D(m(0, 0) * v.x + m(0, 1) * v.y, m(1, 0) * v.x + m(1, 1) * v.y, m(2, 0) * v.x + m(2, 1) * v.y,
                    m(3, 0) * v.x + m(3, 1) * v.y);
}

Vector4D operator*(const Matrix4D &m, const Point2D &p)
{
    return Vector4D(m(0, 0) * p.x + m(0, 1) * p.y + m(0, 3), m(1, 0) * p.x + m(1, 1) * p.y + m(1, 3),
                    m(2, 0) * p.x + m(2, 1) * p.y + m(2, 3), m(3, 0) * p.x + m(3, 1) * p.y + m(3, 3));
}

Vector4D operator*(const Matrix4D &m, const Vector3D &v)
{
    return Vector4D(m(0, 0) * v.x + m(0, 1) * v.y + m(0, 2) * v.z, m(1, 0) * v.x + m(1, 1) * v.y + m(1, 2) * v.z,
                    m(2, 0) * v.x + m(2, 1) * v.y + m(2, 2) * v.z, m(3, 0) * v.x + m(3, 1) * v.y + m(3, 2) * v.z);
}

Vector4D operator*(const Matrix4D &m, const Point3D &p)
{
    return Vector4D(m(0, 0) * p.x + m(0, 1) * p.y + m(0, 2) * p.z + m(0, 3),
                    m(1, 0) * p.x + m(1, 1) * p.y + m(1, 2) * p.z + m(1, 3),
                    m(2, 0) * p.x + m(2, 1) * p.y + m(2, 2) * p.z + m(2, 3),
                    m(3, 0) * p.x + m(3, 1) * p.y + m(3, 2) * p.z + m(3, 3));
}

Vector4D operator*(const Vector2D &v, const Matrix4D &m)
{
    return Vector4D(v.x * m(0, 0) + v.y * m(1, 0), v.x * m(0, 1) + v.y * m(1, 1), v.x * m(0, 2) + v.y * m(1, 2),
                    v.x * m(0, 3) + v.y * m(1, 3));
}

Vector4D operator*(const Point2D &p, const Matrix4D &m)
{
    return Vector4D(p.x * m(0, 0) + p.y * m(1, 0) + m(3, 0), p.x * m(0, 1) + p.y * m(1, 1) + m(3, 1),
                    p.x * m(0, 2) + p.y * m(1, 2) + m(3, 2), p.x * m(0, 3) + p.y * m(1, 3) + m(3, 3));
}

Vector4D operator*(const Vector3D &v, const Matrix4D &m)
{
    return Vector4D(v.x * m(0, 0) + v.y * m(1, 0) + v.z * m(2, 0), v.x * m(0, 1) + v.y * m(1, 1) + v.z * m(2, 1),
                    v.x * m(0, 2) + v.y * m(1, 2) + v.z * m(2, 2), v.x * m(0, 3) + v.y * m(1, 3) + v.z * m(2, 3));
}

Vector4D operator*(const Point3D &p, const Matrix4D &m)
{
    return Vector4D(p.x * m(0, 0) + p.y * m(1, 0) + p.z * m(2, 0) + m(3, 0),
                    p.x * m(0, 1) + p.y * m(1, 1) + p.z * m(2, 1) + m(3, 1),
                    p.x * m(0, 2) + p.y * m(1, 2) + p.z * m(2, 2) + m(3, 2),
                    p.x * m(0, 3) + p.y * m(1, 3) + p.z * m(2, 3) + m(3, 3));
}

Matrix4D InvertMatrix4D(const Matrix4D &m)
{
    Matrix4D result = AdjugateMatrix4D(m);
    float f = 1.0f / m.GetDeterminant();
    for (int c = 0; c < 4; ++c)
    {
        for (int r = 0; r < 4; ++r) result(r, c) *= f;
    }
    return result;
}

Matrix4D AdjugateMatrix4D(const Matrix4D &m)
{
    Matrix4D result;
    for (int c = 0; c < 4; ++c)
    {
        for (int r = 0; r < 4; ++r)
        {
            float minor = GetMinor(m, c, r);
            result(r, c) = ((r + c) & 1) ? -minor : minor;
        }
    }
    return result;
}

}  // namespace oq
