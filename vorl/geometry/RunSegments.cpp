#include "vorl/geometry/RunWalk.h"

namespace oq {

void RunSegments::Measure(const TextRun *run, const GlyphRange &range, const TextFont *fonts)
{
    const TextLayoutState *first = &run->states[0];
    baseSign = (first->optionFlags & kTextOptionRightToLeft) != 0 ? -1.0F : 1.0F;
    firstSegment = run->glyphs[range.firstGlyph].segmentIndex;
    for (float &width : widths) width = 0.0F;
    (void)fonts;
}

}  // namespace oq
