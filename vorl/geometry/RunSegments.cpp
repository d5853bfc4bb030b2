#include "vorl/geometry/RunWalk.h"
#include "vorl/text/TextMeasure.h"

namespace oq {

void RunSegments::Measure(const TextRun *run, const GlyphRange &range, const TextFont *fonts)
{
    const TextLayoutState *first = &run->states[0];
    baseSign = (first->optionFlags & kTextOptionRightToLeft) != 0 ? -1.0F : 1.0F;
    for (float &width : widths) width = 0.0F;
    if ((first->optionFlags & kTextOptionBidirectional) != 0) MeasureRunSegments(run, &range, fonts, widths);
}

}  // namespace oq
