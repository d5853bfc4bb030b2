#pragma once

#include "base/Point2D.h"
#include "base/Vector2D.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/DocumentFontSet.h"

#include <cstdint>

namespace oq {

class Font;

// Appends one ExportCurveItem per drawn glyph: the glyph's curves (in ems) mapped by
// point = position + scale x point, x and y scaled apart, in the colour word. A layered glyph
// gives one item per layer in the layer's colour, unless the request's option flags hold 0x200
// or the call is already for a layer (inComponent). A glyph without curves gives nothing. The
// item's box is the glyph's box, widened to the origin and the advance unless keepInkBox is set.
void BuildGlyphExportItems(const Font *font, const GlyphLayoutRequest &request, uint32_t glyphIndex, bool keepInkBox,
                           const Point2D &position, const Vector2D &scale, uint32_t colorWord, DisplayList *list,
                           bool inComponent = false);

}  // namespace oq
