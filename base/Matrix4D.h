#pragma once

#include "base/Matrix3D.h"
#include "base/Point2D.h"
#include "base/Vector4D.h"

namespace oq {

struct Transform4D;

// A general 4x4 float matrix stored column by column (entry (r, c) is float number 4c + r);
// constructors and setters take values in row order.
struct Matrix4D
{
    float n[4][4];  // n[column][row]

    Matrix4D() = default;

    Matrix4D(float n00, float n01, float n02, float n03, float n10, float n11, float n12, float n13, float n20,
             float n21, float n22, float n23, float n30, float n31, float n32, float n33)
    {
        Set(n00, n01, n02, n03, n10, n11, n12, n13, n20, n21, n22, n23, n30, n31, n32, n33);
    }

    Matrix4D(const Vector4D &c0, const Vector4D &c1, const Vector4D &c2, const Vector4D &c3) { Set(c0, c1, c2, c3); }

    // Row by row: each row is three entries and the fourth.
    Matrix4D(const Vector3D &r0, float n03, const Vector3D &r1, float n13, const Vector3D &r2, float n23,
             const Vector3D &r3, float n33)
    {
        Set(r0.x, r0.y, r0.z, n03, r1.x, r1.y, r1.z, n13, r2.x, r2.y, r2.z, n23, r3.x, r3.y, r3.z, n33);
    }

    Matrix4D &Set(float n00, float n01, float n02, float n03, float n10, float n11, float n12, float n13, float n20,
                  float n21, float n22, float n23, float n30, float n31, float n32, float n33);
    Matrix4D &Set(const Vector4D &c0, const Vector4D &c1, const Vector4D &c2, const Vector4D &c3);

    // Entry in row r, column c.
    float &operator()(int r, int c) { return n[c][r]; }
    const float &operator()(int r, int c) const { return n[c][r]; }

    Vector4D GetColumn(int c) const { return Vector4D(n[c][0], n[c][1], n[c][2], n[c][3]); }

    // The first three entries of column c.
    Vector3D GetVector3D(int c) const { return Vector3D(n[c][0], n[c][1], n[c][2]); }

    Matrix4D &SetColumn(int c, const Vector4D &v)
    {
        n[c][0] = v.x;
        n[c][1] = v.y;
        n[c][2] = v.z;
        n[c][3] = v.w;
        return *this;
    }

    // this = this x m (m may be this matrix).
    Matrix4D &MultiplyBy(const Matrix4D &m);

    // this = this x m extended by a fourth row and column (0, 0, 0, 1): column 3 is unchanged.
    Matrix4D &MultiplyBy(const Matrix3D &m);

    // All sixteen entries of the identity.
    Matrix4D &SetIdentity();

    // Copies all sixteen floats (also from a Transform4D).
    Matrix4D &Assign(const Matrix4D &m);

    float GetDeterminant() const;
};

static_assert(sizeof(Matrix4D) == 16 * sizeof(float));

Matrix4D operator*(const Matrix4D &a, const Matrix4D &b);
Matrix4D operator*(const Matrix4D &a, const Matrix3D &b);

// Column products: a Vector2D enters as (x, y, 0, 0), a Point2D as (x, y, 0, 1), a Vector3D as
// (x, y, z, 0) and a Point3D as (x, y, z, 1).
Vector4D operator*(const Matrix4D &m, const Vector2D &v);
Vector4D operator*(const Matrix4D &m, const Point2D &p);
Vector4D operator*(const Matrix4D &m, const Vector3D &v);
Vector4D operator*(const Matrix4D &m, const Point3D &p);

// Row products: component j is the row vector times column j.
Vector4D operator*(const Vector2D &v, const Matrix4D &m);
Vector4D operator*(const Point2D &p, const Matrix4D &m);
Vector4D operator*(const Vector3D &v, const Matrix4D &m);
Vector4D operator*(const Point3D &p, const Matrix4D &m);

// Adjugate times 1 / determinant; a singular matrix gives non-finite entries.
Matrix4D InvertMatrix4D(const Matrix4D &m);

// The transposed cofactor matrix.
Matrix4D AdjugateMatrix4D(const Matrix4D &m);

}  // namespace oq
