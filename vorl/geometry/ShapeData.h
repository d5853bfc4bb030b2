#pragma once

#include <cstdint>

#include "base/Bezier.h"
#include "vorl/geometry/ShapeScratch.h"
#include "vorl/geometry/TexelBuffer.h"
#include "vorl/geometry/VorlGraphicsFile.h"

namespace oq {

// Compiles a filled curve list in shape units into curve and band texels and fills the shape
// record (expected zero-filled): box, band data, band counts and scales, the bounding polygon, the
// all-straight flag, and a one-layer header (opaque black) in the band texture. False, with both
// cursors left where they were, when the texels do not fit. Null texels count only.
[[nodiscard]] bool BuildShapeData(int32_t curveCount, const QuadraticBezier2D *curves, TexelBuffer *curveTexels,
                                  TexelBuffer *bandTexels, VorlShapeRecord *record, int32_t maxPolygonVertices,
                                  float polygonEdgeFactor, int32_t maxBandCount, ShapeScratch *scratch);

// The same for layerCount curve lists drawn in their own colours (four sRGB bytes each, alpha
// linear) over one box and one set of band counts; the layer header holds each layer's band
// data and linear colour bytes, and the record gets the layered flag. False for no layers.
[[nodiscard]] bool BuildLayeredShapeData(int32_t layerCount, const uint8_t (*layerColors)[4],
                                         const int32_t *curveCounts, const QuadraticBezier2D *const *curveLists,
                                         TexelBuffer *curveTexels, TexelBuffer *bandTexels, VorlShapeRecord *record,
                                         int32_t maxPolygonVertices, float polygonEdgeFactor, int32_t maxBandCount,
                                         ShapeScratch *scratch);

// The linear value of an sRGB byte as a byte: trunc(SrgbToLinear(i / 255) * 255 + 0.5).
uint8_t SrgbByteToLinearByte(uint8_t value);

}  // namespace oq
