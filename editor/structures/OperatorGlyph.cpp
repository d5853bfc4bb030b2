// The scaled operator glyph of iterations and integrals: layout, placement with the no-glyph rule,
// export and mesh items.
#include "editor/structures/OperatorGlyph.h"

#include "editor/document/CodePointText.h"
#include "editor/document/ColoredMathNode.h"
#include "editor/document/GlyphExport.h"
#include "editor/fonts/Design.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/Renderer.h"

#include <cmath>

namespace oq {

OperatorGlyph::OperatorGlyph(const OperatorGlyph &glyph) : request(CloneGlyphLayoutRequest(glyph.request))
{
}

void OperatorGlyph::Layout(const Design *design, const ColoredMathNode &node, uint32_t codePoint, uint32_t styleKey)
{
    request = {styleKey, design->GetBaseFontSize(), node.effectiveScale, kSingleGlyphOptionFlags, request.alternateMask,
               request.styleSelector};
    glyph = LaidOutGlyph();
    drawn = false;
    for (int32_t i = 0; i < DocumentFontSet::kSlotCount; ++i)
    {
        vertexCounts[i] = 0;
        triangleCounts[i] = 0;
    }
    // Values an editing command passed in unchecked lay out nothing (a file's are made scalar on reading).
    if (codePoint == 0 || !IsScalarValue(codePoint)) return;
    glyph = LayoutGlyphCodePoint(design, request, GetNodeColorWord(design, node.paletteIndex, node.colorValue), codePoint);
}

const Font *OperatorGlyph::GetFont(const Design *design) const
{
    if (!glyph.present || glyph.fontSlot >= DocumentFontSet::kSlotCount) return nullptr;
    const Font *font = design->fonts.slots[glyph.fontSlot];
    return font != nullptr && glyph.glyphIndex < font->GetGlyphCount() ? font : nullptr;
}

float OperatorGlyph::Place(const Design *design, float height, float centreX, float bottom)
{
    drawn = false;
    offsetX = 0.0F;
    offsetY = 0.0F;
    transform = Matrix2D(1.0F, 0.0F, 0.0F, 1.0F);
    for (int32_t i = 0; i < DocumentFontSet::kSlotCount; ++i)
    {
        vertexCounts[i] = 0;
        triangleCounts[i] = 0;
    }
    const Font *font = GetFont(design);
    if (font == nullptr) return 0.0F;
    GlyphBounds box = font->GetGlyphBounds(glyph.glyphIndex, request.optionFlags);
    float inkHeight = box.yMax - box.yMin;
    float inkWidth = box.xMax - box.xMin;
    // A glyph without ink height (a blank, a glyph without outline) cannot be scaled to the height.
    if (!(inkHeight > 0.0F) || !std::isfinite(inkHeight) || !(inkWidth >= 0.0F) || !std::isfinite(inkWidth)) return 0.0F;
    float k = height / inkHeight;
    float drawnWidth = inkWidth * k;
    if (!std::isfinite(k) || !(k > 0.0F) || !std::isfinite(drawnWidth)) return 0.0F;
    inkMinX = box.xMin;
    inkMinY = box.yMin;
    inkMaxX = box.xMax;
    inkMaxY = box.yMax;
    offsetX = centreX - drawnWidth * 0.5F - k * box.xMin;
    offsetY = k * box.yMin - bottom;
    transform = Matrix2D(k, 0.0F, 0.0F, k);
    vertexCounts[glyph.fontSlot] = 4;
    triangleCounts[glyph.fontSlot] = 2;
    drawn = true;
    return drawnWidth;
}

void OperatorGlyph::BuildExportItems(const Design *design, const Point2D &absolutePosition, uint32_t colorWord,
                                     DisplayList *list) const
{
    const Font *font = drawn ? GetFont(design) : nullptr;
    if (font == nullptr) return;
    Point2D at(absolutePosition.x + offsetX, absolutePosition.y - offsetY);
    BuildGlyphExportItems(font, request, glyph.glyphIndex, true, at, Vector2D(transform(0, 0), transform(1, 1)), colorWord,
                          list);
}

void OperatorGlyph::BuildMeshItems(const Design *design, const Point2D &absolutePosition, uint32_t colorWord,
                                   DisplayList *list) const
{
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr || !drawn || GetFont(design) == nullptr) return;
    const uint8_t colors[4] = {uint8_t(colorWord), uint8_t(colorWord >> 8), uint8_t(colorWord >> 16),
                               uint8_t(colorWord >> 24)};
    const uint8_t slot = glyph.fontSlot;
    const float origin[2] = {0.0F, 0.0F};
    Point2D at(absolutePosition.x + offsetX, absolutePosition.y - offsetY);
    list->Append(new GlyphMeshItem(*renderer, &design->fonts, request, at, 1, vertexCounts, triangleCounts, &slot,
                                   &glyph.glyphIndex, origin, &transform, colors));
}

}  // namespace oq
