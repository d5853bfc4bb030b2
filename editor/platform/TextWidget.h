#pragma once

#include "base/TextString.h"
#include "editor/platform/DrawableWidget.h"
#include "vorl/text/TextLayoutState.h"

#include <cstdint>

namespace oq {

class Font;

// A label: UTF-8 text laid out and drawn by the Vorl text pipeline with one face, positioned by
// its baseline; it can snap its size and baseline to the pixel grid once.
class TextWidget : public DrawableWidget
{
public:
    // The font is not owned and must outlive the widget. A snap unit of 0 never snaps.
    TextWidget(WidgetType type, Font *face, const TextLayoutState *state, const char *initialText,
               const Point2D &localPosition, const Vector2D &size, float snap);
    ~TextWidget() override;

    // After a change of the text or the layout state: lay out again before the next draw.
    void Invalidate();

    void UpdatePosition() override;
    void Render(const Matrix4D &projection) override;

    Font *font;
    float textXOffset = 0.0F;
    float baselineOffset = 0.0F;
    float textWidth = 0.0F;
    bool relayoutNeeded = true;
    bool snapPending;
    float snapUnit;
    TextString text;
    TextLayoutState layoutState;

protected:
    // Builds the text's geometry at the alignment pen; only UpdatePosition calls it.
    void LayoutText();
};

// The Vorl pixel-shader variant of a layout state's render flags.
ShaderVariantIndex GetTextShaderVariant(uint32_t renderFlags);

}  // namespace oq
