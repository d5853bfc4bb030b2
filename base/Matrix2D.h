#pragma once

#include "base/Point2D.h"

namespace oq {

// A 2x2 float matrix stored column by column (entry (r, c) is float number 2c + r);
// constructors and setters take values in row order.
struct Matrix2D
{
    float n[2][2];  // n[column][row]

    Matrix2D() = default;
    Matrix2D(float n00, float n01, float n10, float n11) { Set(n00, n01, n10, n11); }
    Matrix2D(const Vector2D &c0, const Vector2D &c1) { Set(c0, c1); }

    Matrix2D &Set(float n00, float n01, float n10, float n11);
    Matrix2D &Set(const Vector2D &c0, const Vector2D &c1);

    // Entry in row r, column c.
    float &operator()(int r, int c) { return n[c][r]; }
    const float &operator()(int r, int c) const { return n[c][r]; }

    Vector2D GetColumn(int c) const { return Vector2D(n[c][0], n[c][1]); }

    Matrix2D &SetColumn(int c, const Vector2D &v)
    {
        n[c][0] = v.x;
        n[c][1] = v.y;
        return *this;
    }

    // this = this x m (m may be this matrix).
    Matrix2D &MultiplyBy(const Matrix2D &m);

    Matrix2D &ScaleBy(float s);

    // Every entry times 1 / s.
    Matrix2D &DivideBy(float s);

    Matrix2D &SetIdentity();

    // Gram-Schmidt starting from column k (0 or 1); a zero column gives NaN entries.
    Matrix2D &Orthonormalize(int k);

    float GetDeterminant() const;

    // Counter-clockwise rotation (c, -s; s, c).
    static Matrix2D MakeRotation(float angle);
    static Matrix2D MakeScale(float s);
    static Matrix2D MakeScale(float sx, float sy);
    static Matrix2D MakeScaleX(float s);
    static Matrix2D MakeScaleY(float s);
};

static_assert(sizeof(Matrix2D) == 4 * sizeof(float));

Matrix2D operator*(const Matrix2D &a, const Matrix2D &b);
Vector2D operator*(const Matrix2D &m, const Vector2D &v);
Point2D operator*(const Matrix2D &m, const Point2D &p);

Matrix2D ScaleMatrix2D(const Matrix2D &m, float s);
Matrix2D DivideMatrix2D(const Matrix2D &m, float s);

// Adjugate times 1 / determinant; a singular matrix gives non-finite entries.
Matrix2D InvertMatrix2D(const Matrix2D &m);

// (m11, -m01; -m10, m00).
Matrix2D AdjugateMatrix2D(const Matrix2D &m);

}  // namespace oq
