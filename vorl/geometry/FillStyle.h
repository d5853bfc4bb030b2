#pragma once

#include "base/Bezier.h"
#include "base/Color.h"
#include "vorl/geometry/TexelBuffer.h"

#include <cstdint>

namespace oq {

struct ShapeScratch;
struct VorlShapeRecord;

// Fill rules ('EVOD' even-odd, 0 non-zero winding) and gradient kinds ('LINR', 'RADL'; any other
// nonzero value counts as radial).
inline constexpr uint32_t kFillRuleNonZero = 0;
inline constexpr uint32_t kFillRuleEvenOdd = 'EVOD';
inline constexpr uint32_t kGradientNone = 0;
inline constexpr uint32_t kGradientLinear = 'LINR';
inline constexpr uint32_t kGradientRadial = 'RADL';

// The paint of a filled path: colour, fill rule and an optional linear or radial gradient.
struct FillStyle
{
    ColorRGBA color;
    uint32_t rule;
    uint32_t gradient;
    float lineA;  // linear gradient: t = a x + b y + c
    float lineB;
    float lineC;
    float centerX;  // radial gradient: t = distance from the centre / radius
    float centerY;
    float radius;
    ColorRGBA gradientColor1;  // at t = 0
    ColorRGBA gradientColor2;  // at t = 1

    // Writes the three paint texels of the gradient into the curve texture at the cursor (wrapping
    // to the next row when fewer than three remain), mapped into the space p -> g p + (ox, oy), and
    // stores their location. Returns 0 without a gradient (nothing happens), 1 for linear, 2 for
    // radial, and -1 when the texels would land on a row not below the buffer height (nothing is
    // written there; the cursor is left on that row). Counting (null texels) moves the cursor alike.
    [[nodiscard]] int32_t WriteGradientTexels(const TexelBuffer &buffer, float g, float ox, float oy,
                                              int32_t *cursor, int32_t *location) const;

    // Compiles a filled curve list in shape units into a shape record (ShapeData.cpp): paint texels
    // first when there is a gradient, then curve and band texels; the record gets the gradient type
    // and the even-odd flag, and no layer header. False, cursors unchanged, when they do not fit.
    [[nodiscard]] bool BuildShapeData(int32_t curveCount, const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                                      TexelBuffer *bandTexels, VorlShapeRecord *record, int32_t maxPolygonVertices,
                                      float polygonEdgeFactor, int32_t maxBandCount, ShapeScratch *scratch) const;
};

// Colour and both gradient colours opaque black, non-zero rule, no gradient, line (0, 0, 0);
// the radial centre and radius are left as they were.
void ResetFillStyle(FillStyle *style);

}  // namespace oq
