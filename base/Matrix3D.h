#pragma once

#include "base/Point3D.h"

namespace oq {

// A 3x3 float matrix stored column by column (entry (r, c) is float number 3c + r);
// constructors and setters take values in row order.
struct Matrix3D
{
    float n[3][3];  // n[column][row]

    Matrix3D() = default;

    Matrix3D(float n00, float n01, float n02, float n10, float n11, float n12, float n20, float n21, float n22)
    {
        Set(n00, n01, n02, n10, n11, n12, n20, n21, n22);
    }

    Matrix3D(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2) { Set(c0, c1, c2); }

    Matrix3D &Set(float n00, float n01, float n02, float n10, float n11, float n12, float n20, float n21, float n22);
    Matrix3D &Set(const Vector3D &c0, const Vector3D &c1, const Vector3D &c2);

    // Entry in row r, column c.
    float &operator()(int r, int c) { return n[c][r]; }
    const float &operator()(int r, int c) const { return n[c][r]; }

    Vector3D GetColumn(int c) const { return Vector3D(n[c][0], n[c][1], n[c][2]); }

    Matrix3D &SetColumn(int c, const Vector3D &v)
    {
        n[c][0] = v.x;
        n[c][1] = v.y;
        n[c][2] = v.z;
        return *this;
    }

    // this = this x m (m may be this matrix).
    Matrix3D &MultiplyBy(const Matrix3D &m);

    Matrix3D &ScaleBy(float s);

    // Every entry times 1 / s.
    Matrix3D &DivideBy(float s);

    Matrix3D &SetIdentity();

    // Gram-Schmidt in the cyclic column order k, k + 1, k + 2; a zero column gives NaN entries.
    Matrix3D &Orthonormalize(int k);

    // Angles such that SetEulerAngles(x, y, z) rebuilds this rotation matrix.
    void GetEulerAngles(float *x, float *y, float *z) const;

    // Rx(x) Ry(y) Rz(z).
    Matrix3D &SetEulerAngles(float x, float y, float z);

    float GetDeterminant() const;

    // Counter-clockwise rotations about the axes, and about a unit axis.
    static Matrix3D MakeRotationX(float angle);
    static Matrix3D MakeRotationY(float angle);
    static Matrix3D MakeRotationZ(float angle);
    static Matrix3D MakeRotation(float angle, const Vector3D &axis);

    // I - 2 a a^T: reflection through the plane through the origin perpendicular to the unit vector a.
    static Matrix3D MakeReflection(const Vector3D &a);

    // 2 a a^T - I: a half turn about the unit vector a.
    static Matrix3D MakeInvolution(const Vector3D &a);

    static Matrix3D MakeScale(float s);
    static Matrix3D MakeScale(float sx, float sy, float sz);

    // I + (s - 1) a a^T: scale by s along the unit vector a only.
    static Matrix3D MakeScale(float s, const Vector3D &a);

    static Matrix3D MakeScaleX(float s);
    static Matrix3D MakeScaleY(float s);
    static Matrix3D MakeScaleZ(float s);

    // I + tan(angle) a b^T for unit vectors a and b.
    static Matrix3D MakeSkew(float angle, const Vector3D &a, const Vector3D &b);
};

static_assert(sizeof(Matrix3D) == 9 * sizeof(float));

Matrix3D operator*(const Matrix3D &a, const Matrix3D &b);
Vector3D operator*(const Matrix3D &m, const Vector3D &v);
Point3D operator*(const Matrix3D &m, const Point3D &p);

Matrix3D ScaleMatrix3D(const Matrix3D &m, float s);
Matrix3D DivideMatrix3D(const Matrix3D &m, float s);

// Adjugate times 1 / determinant; a singular matrix gives non-finite entries.
Matrix3D InvertMatrix3D(const Matrix3D &m);

// The transposed cofactor matrix.
Matrix3D AdjugateMatrix3D(const Matrix3D &m);

}  // namespace oq
