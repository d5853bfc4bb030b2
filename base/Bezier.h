#pragma once

#include "base/Box2D.h"
#include "base/Box3D.h"

#include <cstdint>

namespace oq {

// A 2-D quadratic Bezier curve: the unit of all outline, path, fill and stroke geometry.
// A straight segment has its control point p1 equal to its end point p2.
struct QuadraticBezier2D
{
    Point2D p0;
    Point2D p1;
    Point2D p2;

    QuadraticBezier2D() = default;
    constexpr QuadraticBezier2D(const Point2D &a, const Point2D &b, const Point2D &c) : p0(a), p1(b), p2(c) {}

    // Minimum and maximum of x, of y, or of the dot product with d (any length) over the curve.
    void GetXExtent(float *minimum, float *maximum) const;
    void GetYExtent(float *minimum, float *maximum) const;
    void GetExtentAlongDirection(const Vector2D &d, float *minimum, float *maximum) const;

    Box2D GetBoundingBox() const;

    // The curve point where the dot product with d turns; the parameter is neither tested nor clamped.
    Point2D GetExtremePoint(const Vector2D &d) const;

    // The piece from B(t0) to B(t1); t0 > t1 gives the reversed piece.
    QuadraticBezier2D GetSubcurve(float t0, float t1) const;

    // Length of B'(t).
    float GetDerivativeLength(float t) const;

    // Arc length from t0 to t1 by two-point Gauss-Legendre quadrature; negative when t1 < t0.
    float GetArcLength(float t0, float t1) const;
};

// A 2-D cubic Bezier curve; the system converts every cubic into quadratics.
struct CubicBezier2D
{
    Point2D p0;
    Point2D p1;
    Point2D p2;
    Point2D p3;

    CubicBezier2D() = default;
    constexpr CubicBezier2D(const Point2D &a, const Point2D &b, const Point2D &c, const Point2D &d)
        : p0(a), p1(b), p2(c), p3(d) {}

    Box2D GetBoundingBox() const;
    CubicBezier2D GetSubcurve(float t0, float t1) const;
};

// A 3-D quadratic Bezier curve.
struct QuadraticBezier3D
{
    Point3D p0;
    Point3D p1;
    Point3D p2;

    QuadraticBezier3D() = default;
    constexpr QuadraticBezier3D(const Point3D &a, const Point3D &b, const Point3D &c) : p0(a), p1(b), p2(c) {}

    Box3D GetBoundingBox() const;
    QuadraticBezier3D GetSubcurve(float t0, float t1) const;
};

// A 3-D cubic Bezier curve.
struct CubicBezier3D
{
    Point3D p0;
    Point3D p1;
    Point3D p2;
    Point3D p3;

    CubicBezier3D() = default;
    constexpr CubicBezier3D(const Point3D &a, const Point3D &b, const Point3D &c, const Point3D &d)
        : p0(a), p1(b), p2(c), p3(d) {}

    Point3D Evaluate(float t) const;
    Box3D GetBoundingBox() const;
    CubicBezier3D GetSubcurve(float t0, float t1) const;
};

// Most quadratics ConvertCubicToQuadratics writes.
inline constexpr int32_t kMaxCubicQuadratics = 12;

// Converts a cubic into 1 to 12 quadratics running from c.p0 to c.p3, the first starting exactly at
// c.p0 and the last ending exactly at c.p3; finite input of ordinary size gives finite quadratics.
// The tolerance is a mean distance in units of the larger side of the cubic's control box. The output
// needs room for 12 curves.
int32_t ConvertCubicToQuadratics(const CubicBezier2D &c, float tolerance, QuadraticBezier2D *output);

// Fits 1, 2 or 3 quadratics to one piece without inflections; the output needs room for 3.
int32_t ConvertCubicPieceToQuadratics(const CubicBezier2D &piece, float tolerance, QuadraticBezier2D *output);

// The quadratic with the cubic's end points and end tangents (non-finite control point for
// parallel tangents).
QuadraticBezier2D FitQuadraticToCubic(const CubicBezier2D &c);

// Mean distance between a cubic and a quadratic with the same end points, from 8-segment polylines.
float GetCubicQuadraticDeviation(const CubicBezier2D &c, const QuadraticBezier2D &q);

}  // namespace oq
