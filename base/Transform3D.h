#pragma once

#include "base/Matrix2D.h"
#include "base/Matrix3D.h"

namespace oq {

// A 2-D affine transform held as a 3x3 matrix whose third row is (0, 0, 1): columns 0 and 1 are the
// images of the axes, column 2 the translation.
struct Transform3D : Matrix3D
{
    Transform3D() = default;

    Transform3D(float n00, float n01, float n02, float n10, float n11, float n12)
    {
        Set(n00, n01, n02, n10, n11, n12);
    }

    Transform3D(const Vector2D &c0, const Vector2D &c1, const Point2D &p) { Set(c0, c1, p); }
    explicit Transform3D(const Matrix2D &m) { Set(m); }
    Transform3D(const Matrix2D &m, const Point2D &p) { Set(m, p); }

    // Row by row: each row is two entries and its translation entry.
    Transform3D(const Vector2D &r0, float n02, const Vector2D &r1, float n12)
    {
        Set(r0.x, r0.y, n02, r1.x, r1.y, n12);
    }

    Transform3D &Set(float n00, float n01, float n02, float n10, float n11, float n12);
    Transform3D &Set(const Vector2D &c0, const Vector2D &c1, const Point2D &p);
    Transform3D &Set(const Matrix2D &m);
    Transform3D &Set(const Matrix2D &m, const Point2D &p);

    // this = this x t (t may be this transform); the third row is left as it is.
    Transform3D &MultiplyBy(const Transform3D &t);

    // The 2x2 part times m; translation unchanged.
    Transform3D &MultiplyBy(const Matrix2D &m);

    // Replaces the 2x2 part; translation unchanged.
    Transform3D &SetMatrix2D(const Vector2D &c0, const Vector2D &c1);

    // Gram-Schmidt on the 2x2 part starting from column k (0 or 1).
    Transform3D &Orthonormalize(int k);

    // Determinant of the 2x2 part.
    float GetDeterminant() const;

    static Transform3D MakeRotation(float angle);
    static Transform3D MakeScale(float sx, float sy);
    static Transform3D MakeTranslation(const Vector2D &v);
};

Matrix3D operator*(const Matrix3D &m, const Transform3D &t);

// The third row of the result is the third row of m.
Matrix3D operator*(const Transform3D &t, const Matrix3D &m);

Vector2D operator*(const Transform3D &t, const Vector2D &v);
Point2D operator*(const Transform3D &t, const Point2D &p);

// v as a row: (x m00 + y m10, x m01 + y m11).
Vector2D operator*(const Vector2D &v, const Transform3D &t);

Transform3D MultiplyTransform3D(const Transform3D &a, const Transform3D &b);

// 2x2 part inverted (adjugate / determinant), translation -(inverted part) x translation.
Transform3D InvertTransform3D(const Transform3D &t);

// 2x2 part replaced by its adjugate, translation -(adjugate) x translation.
Transform3D AdjugateTransform3D(const Transform3D &t);

}  // namespace oq
