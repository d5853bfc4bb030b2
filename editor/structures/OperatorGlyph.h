#pragma once

#include "base/Matrix2D.h"
#include "base/Point2D.h"
#include "editor/document/GlyphLayout.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/DocumentFontSet.h"

#include <cstdint>

namespace oq {

class ColoredMathNode;
class Design;
class Font;

// The one font glyph of a large operator (iterations, integrals): laid out in the node's colour,
// scaled to an exact height and placed by its ink box. Without a usable glyph (none laid out, or an
// ink height that is not positive and finite) nothing is drawn and the drawn width is 0.
class OperatorGlyph
{
public:
    OperatorGlyph() = default;
    // A clone's glyph: the request without its alternate mask and style selector, no glyph yet.
    OperatorGlyph(const OperatorGlyph &glyph);
    OperatorGlyph &operator=(const OperatorGlyph &) = delete;

    // Fills the request (the style key, the design's base font size, the node's effective scale,
    // options 0x2F0) and lays the code point out in the node's colour. Code point 0 and values that
    // are no Unicode scalar value lay out nothing.
    void Layout(const Design *design, const ColoredMathNode &node, uint32_t codePoint, uint32_t styleKey);
    // Scales the ink box to the height and puts its horizontal middle at centreX and its bottom at
    // bottom (node coordinates, y up); the mesh counts follow. Returns the drawn width, 0 (and
    // nothing drawn) without a usable glyph.
    float Place(const Design *design, float height, float centreX, float bottom);
    bool IsDrawn() const { return drawn; }

    // The glyph's curves (ink box kept) at the node's absolute position plus the offset, scaled.
    void BuildExportItems(const Design *design, const Point2D &absolutePosition, uint32_t colorWord,
                          DisplayList *list) const;
    // One glyph mesh in the glyph's font slot on the program's renderer (when it has been started).
    void BuildMeshItems(const Design *design, const Point2D &absolutePosition, uint32_t colorWord,
                        DisplayList *list) const;

    GlyphLayoutRequest request = {};
    LaidOutGlyph glyph;
    // The ink box of the kept glyph in ems (valid while drawn).
    float inkMinX = 0.0F;
    float inkMinY = 0.0F;
    float inkMaxX = 0.0F;
    float inkMaxY = 0.0F;
    // Placement: drawn at (absolute x + offsetX, absolute y - offsetY) with the transform.
    float offsetX = 0.0F;
    float offsetY = 0.0F;
    Matrix2D transform = Matrix2D(1.0F, 0.0F, 0.0F, 1.0F);
    int32_t vertexCounts[DocumentFontSet::kSlotCount] = {};
    int32_t triangleCounts[DocumentFontSet::kSlotCount] = {};

private:
    const Font *GetFont(const Design *design) const;
    bool drawn = false;
};

}  // namespace oq
