#include "vorl/text/TextLayoutState.h"

namespace oq {

static void ResetTextPaint(TextPaint *paint)
{
    paint->color = ColorRGBA{0.0F, 0.0F, 0.0F, 1.0F};
    paint->gradientColor = ColorRGBA{0.0F, 0.0F, 0.0F, 1.0F};
    paint->gradientStart = 0.0F;
    paint->gradientEnd = 1.0F;
    paint->gradient = false;
}

void ResetTextLayoutState(TextLayoutState *state)
{
    state->fontNumber = 0;
    state->size = 16.0F;
    state->stretch = 1.0F;
    state->tracking = 0.0F;
    state->skew = 0.0F;
    state->scale[0] = 1.0F;
    state->scale[1] = 1.0F;
    state->offset[0] = 0.0F;
    state->offset[1] = 0.0F;
    ResetTextPaint(&state->fillPaint);
    state->alignment = 'LEFT';
    state->leading = 1.2F;
    state->paragraphSpacing = 0.0F;
    state->leftMargin = 0.0F;
    state->rightMargin = 0.0F;
    state->indent = 0.0F;
    state->tabWidth = 64.0F;
    state->tabGap = 0.0F;
    state->optionFlags = 0;
    state->renderFlags = 0;
    state->geometryType = 'QUAD';
    state->directiveMask = 0xFFFFFFFF;
    state->sequenceMask = 7;
    state->alternateMask = 0xC000;
    state->alternateSelector = 0;
    state->scriptLevel = 0;
    state->underline = false;
    state->strikethrough = false;
    state->justificationCharCount = 0;
    state->justificationChars = nullptr;
    state->placeholderBase = 0xF0000;
    state->placeholderCount = 0;
    state->placeholderWidths = nullptr;
    state->effect = 0;
    state->shadowOffset[0] = 0.0F;
    state->shadowOffset[1] = 0.0F;
    ResetTextPaint(&state->shadowPaint);
    state->outlineOffset[0] = 0.0F;
    state->outlineOffset[1] = 0.0F;
    ResetTextPaint(&state->outlinePaint);
    state->outputScale[0] = 1.0F;
    state->outputScale[1] = 1.0F;
    state->outputOffset[0] = 0.0F;
    state->outputOffset[1] = 0.0F;
    for (float &value : state->clipRect) value = 0.0F;
    state->missingGlyph = 0;
    state->resetState = nullptr;
}

void CopyTextLayoutState(TextLayoutState *destination, const TextLayoutState *source)
{
    *destination = *source;
}

}  // namespace oq
