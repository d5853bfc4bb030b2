#pragma once

#include "base/Box2D.h"
#include "base/Color.h"
#include "base/List.h"
#include "base/Point2D.h"

#include <cstdint>

namespace oq {

class ShapeRenderObject;

// A filled rectangle of four straight curves centred on the point (document units), in the colour
// word (0: the overlay's colour).
void AppendOverlayBar(List *list, const Point2D &centre, float halfWidth, float halfHeight, uint32_t color);
// The same for a box given by its corners.
void AppendOverlayBox(List *list, const Box2D &box, uint32_t color);

// Builds the overlay's render object from its items through the process-wide renderer, in the
// colour given (linear) for items without their own; nothing without a renderer.
void BuildOverlayObject(ShapeRenderObject **object, const List *items, const ColorRGBA &color);
// Releases and deletes a render object (an overlay's or the frame's own); null afterwards.
void ReleaseOverlayObject(ShapeRenderObject **object);

// The preferences' colour word (red in the low byte) as linear RGB, with the alpha given.
ColorRGBA LinearOverlayColor(uint32_t colorWord, float alpha);
// Whether the background colour word counts as light (its largest channel above 128).
bool IsLightBackground(uint32_t colorWord);

}  // namespace oq
