#include "base/Matrix2D.h"

namespace oq {

Matrix2D &Matrix2D::Set(float n00, float n01, float n10, float n11)
{
    n[0][0] = n00;
    n[0][1] = n10;
    n[1][0] = n01;
    n[1][1] = n11;
    return *this;
}

Matrix2D &Matrix2D::Set(const Vector2D &c0, const Vector2D &c1)
{
    n[0][0] = c0.x;
    n[0][1] = c0.y;
    n[1][0] = c1.x;
    n[1][1] = c1.y;
    return *this;
}

Matrix2D &Matrix2D::MultiplyBy(const Matrix2D &m)
{
    // Computed into a temporary so that m may be this matrix.
    *this = *this * m;
    return *this;
}

Matrix2D &Matrix2D::ScaleBy(float s)
{
    n[0][0] *= s;
    n[0][1] *= s;
    n[1][0] *= s;
    n[1][1] *= s;
    return *this;
}

Matrix2D &Matrix2D::DivideBy(float s)
{
    return ScaleBy(1.0f / s);
}

Matrix2D &Matrix2D::SetIdentity()
{
    return Set(1.0f, 0.0f, 0.0f, 1.0f);
}

Matrix2D &Matrix2D::Orthonormalize(int k)
{
    Vector2D a = Normalize(GetColumn(k));
    Vector2D b = GetColumn(1 - k);
    SetColumn(k, a);
    return SetColumn(1 - k, Normalize(b - a * Dot(b, a)));
}

float Matrix2D::GetDeterminant() const
{
    return n[0][0] * n[1][1] - n[1][0] * n[0][1];
}

Matrix2D Matrix2D::MakeRotation(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    return Matrix2D(c, -s, s, c);
}

Matrix2D Matrix2D::MakeScale(float s) { return Matrix2D(s, 0.0f, 0.0f, s); }
Matrix2D Matrix2D::MakeScale(float sx, float sy) { return Matrix2D(sx, 0.0f, 0.0f, sy); }
Matrix2D Matrix2D::MakeScaleX(float s) { return Matrix2D(s, 0.0f, 0.0f, 1.0f); }
Matrix2D Matrix2D::MakeScaleY(float s) { return Matrix2D(1.0f, 0.0f, 0.0f, s); }

Matrix2D operator*(const Matrix2D &a, const Matrix2D &b)
{
    return Matrix2D(a(0, 0) * b(0, 0) + a(0, 1) * b(1, 0), a(0, 0) * b(0, 1) + a(0, 1) * b(1, 1),
                    a(1, 0) * b(0, 0) + a(1, 1) * b(1, 0), a(1, 0) * b(0, 1) + a(1, 1) * b(1, 1));
}

Vector2D operator*(const Matrix2D &m, const Vector2D &v)
{
    return Vector2D(m(0, 0) * v.x + m(0, 1) * v.y, m(1, 0) * v.x + m(1, 1) * v.y);
}

Point2D operator*(const Matrix2D &m, const Point2D &p)
{
    return Point2D(m(0, 0) * p.x + m(0, 1) * p.y, m(1, 0) * p.x + m(1, 1) * p.y);
}

Matrix2D ScaleMatrix2D(const Matrix2D &m, float s)
{
    return Matrix2D(m(0, 0) * s, m(0, 1) * s, m(1, 0) * s, m(1, 1) * s);
}

Matrix2D DivideMatrix2D(const Matrix2D &m, float s)
{
    return ScaleMatrix2D(m, 1.0f / s);
}

Matrix2D InvertMatrix2D(const Matrix2D &m)
{
    return ScaleMatrix2D(AdjugateMatrix2D(m), 1.0f / m.GetDeterminant());
}

Matrix2D AdjugateMatrix2D(const Matrix2D &m)
{
    return Matrix2D(m(1, 1), -m(0, 1), -m(1, 0), m(0, 0));
}

}  // namespace oq
