#include "vorl/geometry/GeometryBuilderTable.h"

#include "vorl/geometry/DecorationGeometry.h"
#include "vorl/geometry/GlyphGeometry.h"

namespace oq {

const GeometryBuilderTable kGeometryBuilderTable = {
    {WriteGlyphGeometryVariant<0>, WriteGlyphGeometryVariant<1>, WriteGlyphGeometryVariant<2>,
     WriteGlyphGeometryVariant<3>},
    {WriteDecorationRectVariant<0>, WriteDecorationRectVariant<1>, WriteDecorationRectVariant<2>,
     WriteDecorationRectVariant<3>},
};

}  // namespace oq
