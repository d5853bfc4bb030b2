#pragma once

#include "base/Array.h"
#include "base/Bezier.h"

#include <cstdint>

namespace oq {

class Design;

// The curves of a bond's lines, one line after the other.
using BondCurveArray = Array<QuadraticBezier2D, 4>;

// A structural-formula fragment: a main group with bond lines to the labels around it.
class BondNode
{
public:
    // The outline of one bond line of the style (lower case: 'sing', 'doub', 'trip', 'hevy', 'wavy',
    // 'swgo', 'swgi', 'dwgo', 'dwgi', 'part', 'prd1', 'prd2', 'prt1', 'prt2', 'prt3') from p0 at the main
    // group to p1 at the label, for the size s (points per em), appended to out. Returns the number of
    // curves appended; 0 for any other style.
    [[nodiscard]] static int32_t BuildBondLines(const Design *design, float size, uint32_t style, const Point2D &p0,
                                                const Point2D &p1, BondCurveArray *out);

    // The builders, each appending counter-clockwise contours and returning its curve count; u is the
    // line's direction (unit, or the difference for a line shorter than the smallest normal float).
    // A stroke of the thickness from p0 to p1: 4.
    static int32_t BuildBondStroke(float thickness, const Point2D &p0, const Point2D &p1, const Vector2D &u,
                                   BondCurveArray *out);
    // A wedge of startWidth at p0 and endWidth at p1: 4.
    static int32_t BuildBondWedge(float startWidth, float endWidth, const Point2D &p0, const Point2D &p1,
                                  const Vector2D &u, BondCurveArray *out);
    // 2 to 8 dashes that, with the gaps between them in the ratio gap / dash, fill the length exactly: 4
    // per dash.
    static int32_t BuildDashedBondStroke(float thickness, float length, float dash, float gap, const Point2D &start,
                                         const Vector2D &u, BondCurveArray *out);
    // 2 to 16 marks spaced as the dashes, each a trapezoid of the wedge's width: 4 per mark.
    static int32_t BuildHashedBondWedge(float startWidth, float endWidth, float length, float dash, float gap,
                                        const Point2D &start, const Vector2D &u, BondCurveArray *out);
    // 1 to 8 periods of a wave of the wavelength and amplitude filling the length, stroked with the
    // thickness: 8 per period and the two end caps; 0 for a length below the smallest normal float.
    static int32_t BuildWavyBondStroke(float thickness, float length, float wavelength, float amplitude,
                                       const Point2D &start, const Vector2D &u, BondCurveArray *out);
};

}  // namespace oq
