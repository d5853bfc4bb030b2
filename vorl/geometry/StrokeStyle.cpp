#include "vorl/geometry/StrokeStyle.h"

namespace oq {

void ResetStrokeStyle(StrokeStyle *style)
{
    style->width = 1.0f;
    style->color = {0.0f, 0.0f, 0.0f, 1.0f};
    style->cap = kStrokeCapFlat;
    style->join = kStrokeJoinBevel;
    style->miterLimit = 4.0f;
    style->dashCount = 0;
    style->dashPhase = 0.0f;
    style->dashArray = nullptr;
}

}  // namespace oq
