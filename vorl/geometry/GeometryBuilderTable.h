#pragma once

#include <cstdint>

#include "base/Box2D.h"
#include "base/Matrix2D.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/StrokeSegment.h"
#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/TextLayoutState.h"
#include "vorl/text/VorlFileGlyphRecord.h"

namespace oq {

struct DecorationRun;
struct FillStyle;
struct PathFillSettings;
struct QuadraticBezier2D;
struct ShapeScratch;
struct TexelBuffer;

using WriteGlyphGeometryFunction = void (*)(const TextLayoutState *state, const VorlGlyphRecord *glyph,
                                            const float *box, uint32_t word, const float *pen,
                                            const Matrix2D &matrix, const TextPaint *paint,
                                            const uint8_t *layerColor, GeometryBuffer *geometry, Box2D *bounds);
using WriteDecorationRectFunction = void (*)(const DecorationRun *run, float endX, Box2D *bounds);
using WriteShapeGeometryFunction = void (*)(const VorlShapeRecord *record, const float *position,
                                            const Matrix2D &transform, const TextPaint *paint, uint32_t flags,
                                            uint32_t geometryType, GeometryBuffer *geometry);
using BuildIconGeometryFunction = void (*)(const VorlGraphicsHeader *header, int32_t icon, const float *position,
                                           const float *scale, uint32_t geometryType, GeometryBuffer *geometry);
using BuildPathFillFunction = bool (*)(const FillStyle &style, int32_t count, const QuadraticBezier2D *curves,
                                       TexelBuffer *curveTexels, TexelBuffer *bandTexels, GeometryBuffer *geometry,
                                       const PathFillSettings *settings, ShapeScratch *scratch, bool write);

// The variants of every builder family, indexed by GetGeometryVariant (strokes: GetStrokeVariant).
// Each family adds its row here, in table order: shapes, icons, path fills, stroke segments.
struct GeometryBuilderTable
{
    WriteGlyphGeometryFunction writeGlyphGeometry[4];       // entries 0-3
    WriteDecorationRectFunction writeDecorationRect[4];     // entries 4-7
    WriteShapeGeometryFunction writeShapeGeometry[4];       // entries 8-11
    BuildIconGeometryFunction buildIconGeometry[4];         // entries 12-15
    BuildPathFillFunction buildPathFill[4];                 // entries 16-19
    BuildStrokeSegmentFunction buildStrokeSegment[8];       // entries 20-27
};

extern const GeometryBuilderTable kGeometryBuilderTable;

}  // namespace oq
