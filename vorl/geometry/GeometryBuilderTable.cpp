#include "vorl/geometry/GeometryBuilderTable.h"

#include "vorl/geometry/DecorationGeometry.h"
#include "vorl/geometry/GlyphGeometry.h"

namespace oq {

const GeometryBuilderTable kGeometryBuilderTable = {
    {WriteGlyphGeometryVariant<0>, WriteGlyphGeometryVariant<1>, WriteGlyphGeometryVariant<2>,
     WriteGlyphGeometryVariant<3>},
    {WriteDecorationRectVariant<0>, WriteDecorationRectVariant<1>, WriteDecorationRectVariant<2>,
     WriteDecorationRectVariant<3>},
    {BuildStrokeSegmentVariant<0>, BuildStrokeSegmentVariant<1>, BuildStrokeSegmentVariant<2>,
     BuildStrokeSegmentVariant<3>, BuildStrokeSegmentVariant<4>, BuildStrokeSegmentVariant<5>,
     BuildStrokeSegmentVariant<6>, BuildStrokeSegmentVariant<7>},
};

}  // namespace oq
