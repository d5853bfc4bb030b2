#pragma once

#include "editor/platform/IconWidget.h"
#include "editor/platform/ShapeRenderObject.h"

#include <cstdint>

namespace oq {

// Behaviours of a picture button.
constexpr int32_t kPicturePush = 0;       // 'wgac' on a release inside
constexpr int32_t kPictureImmediate = 1;  // 'wgac' on the press; takes no capture
constexpr int32_t kPictureLatch = 2;      // 'wgac' on the press; stays pressed until unpressed
constexpr int32_t kPictureToggle = 3;     // a press alternates: 'wgac' down, 'wgda' up

// An icon in a rounded box ('pcbt'), the icon a square of side width - 4 centred in it.
class PictureButton : public IconWidget
{
public:
    // Corner kinds as for BuildRoundedBoxShape, so rows of buttons form one strip.
    PictureButton(GlyphTexturePair *iconFile, int32_t icon, const Point2D &localPosition, const Vector2D &size,
                  float cornerRadius, int32_t buttonMode, int32_t cornerKind, bool initiallyPressed);
    ~PictureButton() override;

    // Lifts a latched or toggled-down button; owners call it on the other members of a group.
    void Unpress();

    void Render(const Matrix4D &projection) override;
    // Hover looks only while not pressed.
    void HoverBegin() override;
    void HoverEnd() override;
    bool AcceptsCapture() override;
    void HandleMouseEvent(const UIEvent &event) override;

    ShapeRenderObject box;
    int32_t mode;
};

}  // namespace oq
