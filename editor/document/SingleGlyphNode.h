#pragma once

#include "base/Matrix2D.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/GlyphLayout.h"
#include "editor/platform/DocumentFontSet.h"
#include "editor/platform/FontFile.h"

#include <cstdint>

namespace oq {

// Base of the kinds that show one font glyph with its ink box (marks, primes): the glyph request,
// the glyph the layout kept, where the kind's Measure places it, and its export and mesh items.
class SingleGlyphNode : public ColoredMathNode
{
public:
    explicit SingleGlyphNode(uint32_t kind);
    // Copies what a coloured clone copies; the request starts without its alternate mask and style
    // selector, and the clone has no glyph until it is laid out.
    SingleGlyphNode(const SingleGlyphNode &node);

    // The glyph's curves (its ink box kept) at (absolute x + x offset, absolute y - y offset),
    // scaled by the glyph scale, in the node's colour; then the subnodes' items. Nothing for the
    // glyph when the layout gave none.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    // One glyph mesh (one quad in the glyph's font slot) at the same place and colour on the
    // program's renderer; then the subnodes' items.
    void BuildMeshItems(const Design *design, DisplayList *list) const override;

    GlyphLayoutRequest glyphRequest = {};
    LaidOutGlyph glyph;
    float glyphOffsetX = 0.0F;
    float glyphOffsetY = 0.0F;
    Matrix2D glyphScale = Matrix2D(1.0F, 0.0F, 0.0F, 1.0F);
    int32_t vertexCounts[DocumentFontSet::kSlotCount] = {};
    int32_t triangleCounts[DocumentFontSet::kSlotCount] = {};

protected:
    // Fills the request (the style, the design's base font size, the effective scale, the option
    // flags of one-glyph kinds, the mask and selector), lays the code point out in the node's
    // colour and keeps its first glyph (none for code point 0): the mesh counts are 4 vertices and
    // 2 triangles in its slot, 0 elsewhere. Copy out before another node lays out.
    void LayoutGlyph(const Design *design, uint32_t codePoint, uint32_t styleKey, uint32_t alternateMask,
                     uint32_t styleSelector);
    // The kept glyph's box in ems and its advance; false, an empty box and advance 0 without one.
    bool GetGlyphBox(const Design *design, GlyphBounds *box, float *advance) const;
    // The kept glyph's font, or null when there is none or it no longer fits the design's slot.
    const Font *GetGlyphFont(const Design *design) const;
    // Takes the one value of the node's one u32 data list as the code point and deletes the list: `missing`
    // without a subnode (the code point unchanged), kResultExtraSubstructure with a second,
    // kResultInvalidDataFormat unless it holds exactly one value. A code point that is then 0 or no Unicode
    // scalar value becomes U+FFFD.
    [[nodiscard]] KettricResult TakeCodePointData(uint32_t *codePoint, KettricResult missing);
};

}  // namespace oq
