#include "base/Transform3D.h"

namespace oq {

namespace {

Matrix2D GetMatrix2D(const Transform3D &t)
{
    return Matrix2D(t(0, 0), t(0, 1), t(1, 0), t(1, 1));
}

Point2D GetTranslation(const Transform3D &t)
{
    return Point2D(t(0, 2), t(1, 2));
}

// The transform with 2x2 part m and translation -m x p.
Transform3D MakeWithNegatedTranslation(const Matrix2D &m, const Point2D &p)
{
    return Transform3D(m, Point2D(-(m(0, 0) * p.x + m(0, 1) * p.y), -(m(1, 0) * p.x + m(1, 1) * p.y)));
}

}  // namespace

Transform3D &Transform3D::Set(float n00, float n01, float n02, float n10, float n11, float n12)
{
    Matrix3D::Set(n00, n01, n02, n10, n11, n12, 0.0f, 0.0f, 1.0f);
    return *this;
}

Transform3D &Transform3D::Set(const Vector2D &c0, const Vector2D &c1, const Point2D &p)
{
    return Set(c0.x, c1.x, p.x, c0.y, c1.y, p.y);
}

Transform3D &Transform3D::Set(const Matrix2D &m)
{
    return Set(m(0, 0), m(0, 1), 0.0f, m(1, 0), m(1, 1), 0.0f);
}

Transform3D &Transform3D::Set(const Matrix2D &m, const Point2D &p)
{
    return Set(m(0, 0), m(0, 1), p.x, m(1, 0), m(1, 1), p.y);
}

Transform3D &Transform3D::MultiplyBy(const Transform3D &t)
{
    // Computed into temporaries so that t may be this transform.
    Matrix2D a = GetMatrix2D(*this);
    Matrix2D part = a * GetMatrix2D(t);
    Point2D translation = a * GetTranslation(t) + Vector2D(n[2][0], n[2][1]);
    SetMatrix2D(part.GetColumn(0), part.GetColumn(1));
    n[2][0] = translation.x;
    n[2][1] = translation.y;
    return *this;
}

Transform3D &Transform3D::MultiplyBy(const Matrix2D &m)
{
    Matrix2D part = GetMatrix2D(*this) * m;
    return SetMatrix2D(part.GetColumn(0), part.GetColumn(1));
}

Transform3D &Transform3D::SetMatrix2D(const Vector2D &c0, const Vector2D &c1)
{
    n[0][0] = c0.x;
    n[0][1] = c0.y;
    n[1][0] = c1.x;
    n[1][1] = c1.y;
    return *this;
}

Transform3D &Transform3D::Orthonormalize(int k)
{
    Matrix2D part = GetMatrix2D(*this);
    part.Orthonormalize(k);
    return SetMatrix2D(part.GetColumn(0), part.GetColumn(1));
}

float Transform3D::GetDeterminant() const
{
    return n[0][0] * n[1][1] - n[1][0] * n[0][1];
}

Transform3D Transform3D::MakeRotation(float angle)
{
    float c, s;
    CosSin(angle, &c, &s);
    return Transform3D(c, -s, 0.0f, s, c, 0.0f);
}

Transform3D Transform3D::MakeScale(float sx, float sy)
{
    return Transform3D(sx, 0.0f, 0.0f, 0.0f, sy, 0.0f);
}

Transform3D Transform3D::MakeTranslation(const Vector2D &v)
{
    return Transform3D(1.0f, 0.0f, v.x, 0.0f, 1.0f, v.y);
}

Matrix3D operator*(const Matrix3D &m, const Transform3D &t)
{
    return m * static_cast<const Matrix3D &>(t);
}

Matrix3D operator*(const Transform3D &t, const Matrix3D &m)
{
    Matrix3D result;
    for (int c = 0; c < 3; ++c)
    {
        for (int r = 0; r < 2; ++r) result(r, c) = t(r, 0) * m(0, c) + t(r, 1) * m(1, c) + t(r, 2) * m(2, c);
        result(2, c) = m(2, c);
    }
    return result;
}

Vector2D operator*(const Transform3D &t, const Vector2D &v)
{
    return Vector2D(t(0, 0) * v.x + t(0, 1) * v.y, t(1, 0) * v.x + t(1, 1) * v.y);
}

Point2D operator*(const Transform3D &t, const Point2D &p)
{
    return Point2D(t(0, 0) * p.x + t(0, 1) * p.y + t(0, 2), t(1, 0) * p.x + t(1, 1) * p.y + t(1, 2));
}

Vector2D operator*(const Vector2D &v, const Transform3D &t)
{
    return Vector2D(v.x * t(0, 0) + v.y * t(1, 0), v.x * t(0, 1) + v.y * t(1, 1));
}

Transform3D MultiplyTransform3D(const Transform3D &a, const Transform3D &b)
{
    Transform3D result = a;
    result.MultiplyBy(b);
    result(2, 0) = 0.0f;
    result(2, 1) = 0.0f;
    result(2, 2) = 1.0f;
    return result;
}

Transform3D InvertTransform3D(const Transform3D &t)
{
    return MakeWithNegatedTranslation(InvertMatrix2D(GetMatrix2D(t)), GetTranslation(t));
}

Transform3D AdjugateTransform3D(const Transform3D &t)
{
    return MakeWithNegatedTranslation(AdjugateMatrix2D(GetMatrix2D(t)), GetTranslation(t));
}

}  // namespace oq
