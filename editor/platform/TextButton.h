#pragma once

#include "editor/platform/BoxedLabel.h"

namespace oq {

// A labelled push button ('txbt'): a rounded box behind a label whose cap height is centred
// vertically; a release inside sends 'wgac'.
class TextButton : public BoxedLabel
{
public:
    // Dialogs give the default button an outline width of 1.5 and the others 0.5.
    TextButton(Font *face, const TextLayoutState *state, const char *label, const Point2D &localPosition,
               const Vector2D &size, float outlineWidth, float snap);

    void Render(const Matrix4D &projection) override;
    void HandleMouseEvent(const UIEvent &event) override;
};

}  // namespace oq
