#include "base/Transform4D.h"

namespace oq {

namespace {

Matrix3D GetMatrix3D(const Transform4D &t)
{
    return Matrix3D(t.GetVector3D(0), t.GetVector3D(1), t.GetVector3D(2));
}

// adj(R) v for the 3x3 part R with columns a, b, c: the rows of adj(R) are b x c, c x a, a x b.
Vector3D MultiplyByAdjugate(const Transform4D &t, const Vector3D &v, float f)
{
    Vector3D a = t.GetVector3D(0);
    Vector3D b = t.GetVector3D(1);
    Vector3D c = t.GetVector3D(2);
    return Vector3D(Dot(Cross(b, c), v) * f, Dot(Cross(c, a), v) * f, Dot(Cross(a, b), v) * f);
}

// The transform whose 3x3 part has rows (b x c, c x a, a x b) times f, translation -(that part) x d.
Transform4D MakeScaledAdjugate(const Transform4D &t, bool invert)
{
    Vector3D a = t.GetVector3D(0);
    Vector3D b = t.GetVector3D(1);
    Vector3D c = t.GetVector3D(2);
    Point3D d = t.GetTranslation();
    Vector3D r0 = Cross(b, c);
    Vector3D r1 = Cross(c, a);
    Vector3D r2 = Cross(a, b);
    if (invert)
    {
        float f = 1.0f / Dot(r2, c);
        r0 *= f;
        r1 *= f;
        r2 *= f;
    }
    return Transform4D(r0, -Dot(r0, d), r1, -Dot(r1, d), r2, -Dot(r2, d));
}

}  // namespace

Transform4D &Transform4D::Set(float n00, float n01, float n02, float n03, float n10, float n11, float n12, float n13,
                              float n20, float n21, float n22, float n23)
{
    Matrix4D::Set(n00, n01, n02, n03, n10, n11, n12, n13, n20, n21, n22, n23, 0.0f, 0.0f, 0.0f, 1.0f);
    return *this;
}

Transform4D &Transform4D::Set(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2, const Point3D &p)
{
    return Set(c0.x, c1.x, c2.x, p.x, c0.y, c1.y, c2.y, p.y, c0.z, c1.z, c2.z, p.z);
}

Transform4D &Transform4D::Set(const Matrix3D &m)
{
    return Set(m.GetColumn(0), m.GetColumn(1), m.GetColumn(2), Point3D(0.0f, 0.0f, 0.0f));
}

Transform4D &Transform4D::Set(const Matrix3D &m, const Point3D &p)
{
    return Set(m.GetColumn(0), m.GetColumn(1), m.GetColumn(2), p);
}

Transform4D &Transform4D::MultiplyBy(const Transform4D &t)
{
    // Computed into temporaries so that t may be this transform.
    Matrix3D part = GetMatrix3D(*this);
    Point3D translation = part * t.GetTranslation() + GetTranslation();
    Matrix3D product = part * GetMatrix3D(t);
    SetMatrix3D(product.GetColumn(0), product.GetColumn(1), product.GetColumn(2));
    n[3][0] = translation.x;
    n[3][1] = translation.y;
    n[3][2] = translation.z;
    return *this;
}

Transform4D &Transform4D::MultiplyBy(const Matrix3D &m)
{
    Matrix3D product = GetMatrix3D(*this) * m;
    return SetMatrix3D(product.GetColumn(0), product.GetColumn(1), product.GetColumn(2));
}

Transform4D &Transform4D::SetMatrix3D(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2)
{
    const Vector3D *columns[3] = {&c0, &c1, &c2};
    for (int c = 0; c < 3; ++c)
    {
        n[c][0] = columns[c]->x;
        n[c][1] = columns[c]->y;
        n[c][2] = columns[c]->z;
    }
    return *this;
}

Transform4D &Transform4D::Orthonormalize(int k)
{
    Matrix3D part = GetMatrix3D(*this);
    part.Orthonormalize(k);
    return SetMatrix3D(part.GetColumn(0), part.GetColumn(1), part.GetColumn(2));
}

void Transform4D::GetEulerAngles(float *x, float *y, float *z) const
{
    GetMatrix3D(*this).GetEulerAngles(x, y, z);
}

Transform4D &Transform4D::SetEulerAngles(float x, float y, float z)
{
    Matrix3D m;
    m.SetEulerAngles(x, y, z);
    return Set(m);
}

float Transform4D::GetDeterminant() const
{
    return GetMatrix3D(*this).GetDeterminant();
}

Matrix3D Transform4D::GetAdjugateMatrix3D() const
{
    return AdjugateMatrix3D(GetMatrix3D(*this));
}

Transform4D Transform4D::MakeRotationX(float angle) { return Transform4D(Matrix3D::MakeRotationX(angle)); }
Transform4D Transform4D::MakeRotationY(float angle) { return Transform4D(Matrix3D::MakeRotationY(angle)); }
Transform4D Transform4D::MakeRotationZ(float angle) { return Transform4D(Matrix3D::MakeRotationZ(angle)); }

Transform4D Transform4D::MakeRotation(float angle, const Vector3D &axis)
{
    return Transform4D(Matrix3D::MakeRotation(angle, axis));
}

Transform4D Transform4D::MakeReflection(const Vector3D &a) { return Transform4D(Matrix3D::MakeReflection(a)); }

Transform4D Transform4D::MakeReflection(float nx, float ny, float nz, float d)
{
    Vector3D normal(nx, ny, nz);
    float f = d * -2.0f;
    return Transform4D(Matrix3D::MakeReflection(normal), Point3D(normal.x * f, normal.y * f, normal.z * f));
}

Transform4D Transform4D::MakeInvolution(const Vector3D &a) { return Transform4D(Matrix3D::MakeInvolution(a)); }
Transform4D Transform4D::MakeScale(float s) { return Transform4D(Matrix3D::MakeScale(s)); }

Transform4D Transform4D::MakeScale(float sx, float sy, float sz)
{
    return Transform4D(Matrix3D::MakeScale(sx, sy, sz));
}

Transform4D Transform4D::MakeScale(float s, const Vector3D &a) { return Transform4D(Matrix3D::MakeScale(s, a)); }
Transform4D Transform4D::MakeScaleX(float s) { return Transform4D(Matrix3D::MakeScaleX(s)); }
Transform4D Transform4D::MakeScaleY(float s) { return Transform4D(Matrix3D::MakeScaleY(s)); }
Transform4D Transform4D::MakeScaleZ(float s) { return Transform4D(Matrix3D::MakeScaleZ(s)); }

Transform4D Transform4D::MakeSkew(float angle, const Vector3D &a, const Vector3D &b)
{
    return Transform4D(Matrix3D::MakeSkew(angle, a, b));
}

Transform4D Transform4D::MakeTranslation(const Vector3D &v)
{
    return Transform4D(1.0f, 0.0f, 0.0f, v.x, 0.0f, 1.0f, 0.0f, v.y, 0.0f, 0.0f, 1.0f, v.z);
}

Matrix4D operator*(const Transform4D &t, const Matrix4D &m)
{
    Matrix4D result;
    for (int c = 0; c < 4; ++c)
    {
        for (int r = 0; r < 3; ++r)
        {
            result(r, c) = t(r, 0) * m(0, c) + t(r, 1) * m(1, c) + t(r, 2) * m(2, c) + t(r, 3) * m(3, c);
        }
        result(3, c) = m(3, c);
    }
    return result;
}

Matrix3D operator*(const Transform4D &t, const Matrix3D &m)
{
    return GetMatrix3D(t) * m;
}

Vector2D operator*(const Transform4D &t, const Vector2D &v)
{
    return Vector2D(t(0, 0) * v.x + t(0, 1) * v.y, t(1, 0) * v.x + t(1, 1) * v.y);
}

Point2D operator*(const Transform4D &t, const Point2D &p)
{
    return TransformPoint2D(t, p);
}

Vector3D operator*(const Transform4D &t, const Vector3D &v)
{
    return Vector3D(t(0, 0) * v.x + t(0, 1) * v.y + t(0, 2) * v.z, t(1, 0) * v.x + t(1, 1) * v.y + t(1, 2) * v.z,
                    t(2, 0) * v.x + t(2, 1) * v.y + t(2, 2) * v.z);
}

Point3D operator*(const Transform4D &t, const Point3D &p)
{
    return Point3D(t(0, 0) * p.x + t(0, 1) * p.y + t(0, 2) * p.z + t(0, 3),
                   t(1, 0) * p.x + t(1, 1) * p.y + t(1, 2) * p.z + t(1, 3),
                   t(2, 0) * p.x + t(2, 1) * p.y + t(2, 2) * p.z + t(2, 3));
}

Vector3D operator*(const Vector3D &v, const Transform4D &t)
{
    return Vector3D(Dot(v, t.GetVector3D(0)), Dot(v, t.GetVector3D(1)), Dot(v, t.GetVector3D(2)));
}

Vector4D TransformToVector4D(const Transform4D &t, const Vector3D &v)
{
    return t.GetColumn(0) * v.x + t.GetColumn(1) * v.y + t.GetColumn(2) * v.z;
}

Vector4D TransformToVector4D(const Transform4D &t, const Point3D &p)
{
    return t.GetColumn(0) * p.x + t.GetColumn(1) * p.y + t.GetColumn(2) * p.z + t.GetColumn(3);
}

Transform4D MultiplyTransform4D(const Transform4D &a, const Transform4D &b)
{
    Transform4D result;
    for (int j = 0; j < 4; ++j)
    {
        Vector4D column = a.GetColumn(0) * b(0, j) + a.GetColumn(1) * b(1, j) + a.GetColumn(2) * b(2, j);
        if (j == 3) column = column + a.GetColumn(3);
        result.SetColumn(j, column);
    }
    return result;
}

Transform4D ScaleTransform4D(const Transform4D &t, const Vector3D &s)
{
    return Transform4D(t(0, 0) * s.x, t(0, 1) * s.x, t(0, 2) * s.x, t(0, 3) * s.x,
                       t(1, 0) * s.y, t(1, 1) * s.y, t(1, 2) * s.y, t(1, 3) * s.y,
                       t(2, 0) * s.z, t(2, 1) * s.z, t(2, 2) * s.z, t(2, 3) * s.z);
}

Transform4D InvertTransform4D(const Transform4D &t)
{
    return MakeScaledAdjugate(t, true);
}

Transform4D AdjugateTransform4D(const Transform4D &t)
{
    return MakeScaledAdjugate(t, false);
}

Vector3D InverseTransformVector3D(const Transform4D &t, const Vector3D &v)
{
    return MultiplyByAdjugate(t, v, 1.0f / t.GetDeterminant());
}

Point3D InverseTransformPoint3D(const Transform4D &t, const Point3D &p)
{
    return Point3D(MultiplyByAdjugate(t, p - t.GetTranslation(), 1.0f / t.GetDeterminant()));
}

Vector3D AdjugateTransformVector3D(const Transform4D &t, const Vector3D &v)
{
    return MultiplyByAdjugate(t, v, 1.0f);
}

Point3D AdjugateTransformPoint3D(const Transform4D &t, const Point3D &p)
{
    return Point3D(MultiplyByAdjugate(t, p - t.GetTranslation(), 1.0f));
}

Point2D TransformPoint2D(const Transform4D &t, const Point2D &p)
{
    return Point2D(t(0, 0) * p.x + t(0, 1) * p.y + t(0, 3), t(1, 0) * p.x + t(1, 1) * p.y + t(1, 3));
}

}  // namespace oq
