#pragma once

#include "base/Color.h"
#include "editor/platform/Widget.h"

namespace oq {

class RenderObject;

// The colours a button's box takes: normal, under the pointer, held down.
constexpr ColorRGBA kNormalLook = {1.0F, 1.0F, 1.0F, 1.0F};
constexpr ColorRGBA kHoveredLook = {0.9F, 0.9F, 0.9F, 1.0F};
constexpr ColorRGBA kPressedLook = {0.75F, 0.75F, 0.75F, 1.0F};

// The press protocol shared by the push buttons: a left press presses, moving out of the inside
// while captured releases the look and moving back presses again, a release lifts. The look goes
// on the render object when there is one. True for a release inside: the caller then acts, takes
// the hover and sends its event last.
bool TrackPress(Widget &widget, const UIEvent &event, bool inside, RenderObject *look);

// Moves the window root's hover to the widget (HoverEnd of the one hovered before, HoverBegin of
// this one) when it is not there already; nothing outside a window.
void TakeRootHover(Widget &widget);

}  // namespace oq
