#include "vorl/geometry/GeometryBuilderTable.h"

#include "vorl/geometry/DecorationGeometry.h"
#include "vorl/geometry/GlyphGeometry.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/ShapeGeometry.h"
#include "vorl/geometry/PathFill.h"

namespace oq {

const GeometryBuilderTable kGeometryBuilderTable = {
    {WriteGlyphGeometryVariant<0>, WriteGlyphGeometryVariant<1>, WriteGlyphGeometryVariant<2>,
     WriteGlyphGeometryVariant<3>},
    {WriteDecorationRectVariant<0>, WriteDecorationRectVariant<1>, WriteDecorationRectVariant<2>,
     WriteDecorationRectVariant<3>},
    {WriteShapeGeometryVariant<0>, WriteShapeGeometryVariant<1>, WriteShapeGeometryVariant<2>,
     WriteShapeGeometryVariant<3>},
    {BuildIconGeometryVariant<0>, BuildIconGeometryVariant<1>, BuildIconGeometryVariant<2>,
     BuildIconGeometryVariant<3>},
    {BuildPathFillVariant<0>, BuildPathFillVariant<1>, BuildPathFillVariant<2>, BuildPathFillVariant<3>},
    {BuildStrokeSegmentVariant<0>, BuildStrokeSegmentVariant<1>, BuildStrokeSegmentVariant<2>,
     BuildStrokeSegmentVariant<3>, BuildStrokeSegmentVariant<4>, BuildStrokeSegmentVariant<5>,
     BuildStrokeSegmentVariant<6>, BuildStrokeSegmentVariant<7>},
};

}  // namespace oq
