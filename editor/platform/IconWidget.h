#pragma once

#include "editor/platform/DrawableWidget.h"

#include <cstdint>

namespace oq {

// One icon of a loaded icon file (its 72-unit design square fills the widget's box), drawn with an
// extra scale and offset that creators set to zoom or move it.
class IconWidget : public DrawableWidget
{
public:
    // The icon file is not owned; without one nothing is built.
    IconWidget(WidgetType type, GlyphTexturePair *file, int32_t icon, const Point2D &localPosition,
               const Vector2D &size);

    // Shows another icon of the file; the same index rebuilds nothing, an index outside the file's
    // icons draws nothing.
    void SetIcon(int32_t icon);

    void Render(const Matrix4D &projection) override;

    GlyphTexturePair *iconFile;
    int32_t iconIndex = -1;
    float scale[2] = {1.0F, 1.0F};
    float offset[2] = {0.0F, 0.0F};
};

}  // namespace oq
