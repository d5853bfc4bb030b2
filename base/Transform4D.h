#pragma once

#include "base/Matrix4D.h"

namespace oq {

// A 3-D affine transform held as a 4x4 matrix whose fourth row is (0, 0, 0, 1): columns 0 to 2 are the
// images of the axes, column 3 the translation.
struct Transform4D : Matrix4D
{
    Transform4D() = default;

    Transform4D(float n00, float n01, float n02, float n03, float n10, float n11, float n12, float n13, float n20,
                float n21, float n22, float n23)
    {
        Set(n00, n01, n02, n03, n10, n11, n12, n13, n20, n21, n22, n23);
    }

    Transform4D(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2, const Point3D &p) { Set(c0, c1, c2, p); }
    explicit Transform4D(const Matrix3D &m) { Set(m); }
    Transform4D(const Matrix3D &m, const Point3D &p) { Set(m, p); }

    // Row by row: each row is three entries and its translation entry.
    Transform4D(const Vector3D &r0, float n03, const Vector3D &r1, float n13, const Vector3D &r2, float n23)
    {
        Set(r0.x, r0.y, r0.z, n03, r1.x, r1.y, r1.z, n13, r2.x, r2.y, r2.z, n23);
    }

    Transform4D &Set(float n00, float n01, float n02, float n03, float n10, float n11, float n12, float n13,
                     float n20, float n21, float n22, float n23);
    Transform4D &Set(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2, const Point3D &p);
    Transform4D &Set(const Matrix3D &m);
    Transform4D &Set(const Matrix3D &m, const Point3D &p);

    Transform4D &SetIdentity()
    {
        Matrix4D::SetIdentity();
        return *this;
    }

    // The translation column read as a point.
    Point3D GetTranslation() const { return Point3D(n[3][0], n[3][1], n[3][2]); }

    // this = this x t (t may be this transform); the fourth row is left as it is.
    Transform4D &MultiplyBy(const Transform4D &t);

    // The 3x3 part times m; translation unchanged.
    Transform4D &MultiplyBy(const Matrix3D &m);

    // Replaces the 3x3 part; translation unchanged.
    Transform4D &SetMatrix3D(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2);

    // Gram-Schmidt on the 3x3 part in the cyclic column order k, k + 1, k + 2.
    Transform4D &Orthonormalize(int k);

    // Euler angles of the 3x3 part; the setter sets a zero translation.
    void GetEulerAngles(float *x, float *y, float *z) const;
    Transform4D &SetEulerAngles(float x, float y, float z);

    // Determinant of the 3x3 part.
    float GetDeterminant() const;

    // The adjugate of the 3x3 part.
    Matrix3D GetAdjugateMatrix3D() const;

    // The Matrix3D makers with zero translation.
    static Transform4D MakeRotationX(float angle);
    static Transform4D MakeRotationY(float angle);
    static Transform4D MakeRotationZ(float angle);
    static Transform4D MakeRotation(float angle, const Vector3D &axis);
    static Transform4D MakeReflection(const Vector3D &a);

    // Reflection through the plane n . p + d = 0 (unit normal n): p' = p - 2 (n . p + d) n.
    static Transform4D MakeReflection(float nx, float ny, float nz, float d);

    static Transform4D MakeInvolution(const Vector3D &a);
    static Transform4D MakeScale(float s);
    static Transform4D MakeScale(float sx, float sy, float sz);
    static Transform4D MakeScale(float s, const Vector3D &a);
    static Transform4D MakeScaleX(float s);
    static Transform4D MakeScaleY(float s);
    static Transform4D MakeScaleZ(float s);
    static Transform4D MakeSkew(float angle, const Vector3D &a, const Vector3D &b);
    static Transform4D MakeTranslation(const Vector3D &v);
};

// The fourth row of the result is the fourth row of m.
Matrix4D operator*(const Transform4D &t, const Matrix4D &m);

// 3x3 parts only.
Matrix3D operator*(const Transform4D &t, const Matrix3D &m);

Vector2D operator*(const Transform4D &t, const Vector2D &v);
Point2D operator*(const Transform4D &t, const Point2D &p);
Vector3D operator*(const Transform4D &t, const Vector3D &v);
Point3D operator*(const Transform4D &t, const Point3D &p);

// v as a row: component j is v . column j of the 3x3 part.
Vector3D operator*(const Vector3D &v, const Transform4D &t);

// Four-lane forms: w is 0 for a vector and 1 for a point, all four rows computed.
Vector4D TransformToVector4D(const Transform4D &t, const Vector3D &v);
Vector4D TransformToVector4D(const Transform4D &t, const Point3D &p);

// a x b; the fourth row is computed from the operands.
Transform4D MultiplyTransform4D(const Transform4D &a, const Transform4D &b);

// diag(sx, sy, sz, 1) x t.
Transform4D ScaleTransform4D(const Transform4D &t, const Vector3D &s);

// 3x3 part R replaced by its inverse, translation -R^-1 t; a singular R gives non-finite entries.
Transform4D InvertTransform4D(const Transform4D &t);

// 3x3 part replaced by adj(R), translation -adj(R) t.
Transform4D AdjugateTransform4D(const Transform4D &t);

// R^-1 v and R^-1 (p - t), by Cramer's rule.
Vector3D InverseTransformVector3D(const Transform4D &t, const Vector3D &v);
Point3D InverseTransformPoint3D(const Transform4D &t, const Point3D &p);

// adj(R) v and adj(R) (p - t): the inverse transform times the determinant, without a division.
Vector3D AdjugateTransformVector3D(const Transform4D &t, const Vector3D &v);
Point3D AdjugateTransformPoint3D(const Transform4D &t, const Point3D &p);

// (m00 x + m01 y + m03, m10 x + m11 y + m13): the point as (x, y, 0, 1), first two rows only.
Point2D TransformPoint2D(const Transform4D &t, const Point2D &p);

}  // namespace oq
