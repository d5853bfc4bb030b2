#pragma once

#include "editor/platform/BoxedLabel.h"

#include <cstdint>

namespace oq {

// An on/off option ('chck'): a 14 x 14 rounded box on the baseline with a cross when marked and a
// label beside it; a release inside flips it and sends 'wgch'. The local position is the start of
// the baseline; the label goes right of the box, or left of it with 'RGHT' alignment.
class CheckBox : public BoxedLabel
{
public:
    CheckBox(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition, float snap,
             int32_t initiallyMarked);
    ~CheckBox() override;

    void Render(const Matrix4D &projection) override;
    // The box and the label together, 11 points above the baseline to 3 below it.
    uint32_t HitTest(const Point2D &localPoint) override;
    void HandleMouseEvent(const UIEvent &event) override;

    ShapeRenderObject mark;
    int32_t marked;  // creators may set it before the first click and read it after 'wgch'

protected:
    // The shapes of a radio button instead of a check box.
    CheckBox(WidgetType type, Font *face, const TextLayoutState *state, const char *label,
             const Point2D &localPosition, float snap, int32_t initiallyMarked);
    // Takes the root's hover and sends 'wgch', last.
    void ReportClick();
};

// One choice of a group ('rdio'): a circle with a dot. The group is every radio button with the
// same superior; a release inside marks this one and unmarks the others, and sends 'wgch' even when
// it was marked already.
class RadioButton : public CheckBox
{
public:
    RadioButton(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition, float snap,
                int32_t initiallyMarked);

    void HandleMouseEvent(const UIEvent &event) override;
};

}  // namespace oq
