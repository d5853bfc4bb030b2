#pragma once

#include <vector>

namespace oq::test {

// A quadratic curve in double precision: start, control and end point.
struct ReferenceCurve
{
    double x0, y0, x1, y1, x2, y2;
};

enum class ReferenceFillRule
{
    kNonZero,
    kEvenOdd
};

// Independent coverage oracle: winding numbers at 16 x 16 samples per pixel from analytic ray
// crossings of the curves, in double precision. The transform maps curve points to pixel space,
// x' = t[0] x + t[1] y + t[2], y' = t[3] x + t[4] y + t[5]; pixel (i, j) spans [i, i + 1] x [j, j + 1]
// and the result holds width x height coverages, row j = 0 first.
std::vector<float> RasterizeReference(const std::vector<ReferenceCurve> &curves, const double transform[6], int width,
                                      int height, ReferenceFillRule rule);

}   // namespace oq::test
