#include "editor/document/SingleGlyphNode.h"

#include "editor/document/CodePointText.h"
#include "editor/document/GlyphExport.h"
#include "editor/fonts/Design.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/platform/Renderer.h"
#include "kettric/KettricPrimitive.h"

namespace oq {

SingleGlyphNode::SingleGlyphNode(uint32_t kind) : ColoredMathNode(kind)
{
}

SingleGlyphNode::SingleGlyphNode(const SingleGlyphNode &node)
    : ColoredMathNode(node), glyphRequest(CloneGlyphLayoutRequest(node.glyphRequest))
{
}

void SingleGlyphNode::LayoutGlyph(const Design *design, uint32_t codePoint, uint32_t styleKey, uint32_t alternateMask,
                                  uint32_t styleSelector)
{
    glyphRequest = {styleKey, design->GetBaseFontSize(), effectiveScale, kSingleGlyphOptionFlags, alternateMask,
                    styleSelector};
    glyph = LayoutGlyphCodePoint(design, glyphRequest, GetNodeColorWord(design, paletteIndex, colorValue), codePoint);
    for (int32_t i = 0; i < DocumentFontSet::kSlotCount; ++i)
    {
        vertexCounts[i] = 0;
        triangleCounts[i] = 0;
    }
    if (glyph.present)
    {
        vertexCounts[glyph.fontSlot] = 4;
        triangleCounts[glyph.fontSlot] = 2;
    }
}

KettricResult SingleGlyphNode::TakeCodePointData(uint32_t *codePoint, KettricResult missing)
{
    KettricResult result = 0;
    KettricStructure *data = GetFirstSubnodeStructure();
    if (data == nullptr)
    {
        result = missing;
    }
    else if (data->GetNextStructure() != nullptr)
    {
        result = kResultExtraSubstructure;
    }
    else if (data->GetStructureType() != 'UI32' || static_cast<KettricUInt32List *>(data)->GetElementCount() != 1)
    {
        result = kResultInvalidDataFormat;
    }
    else
    {
        *codePoint = (*static_cast<KettricUInt32List *>(data))[0];
        // The code point lives in the node; the list leaves the tree.
        delete data;
    }
    // 0 has no glyph and would end the text forms; surrogates and values past U+10FFFF are no characters.
    if (*codePoint == 0 || !IsScalarValue(*codePoint)) *codePoint = 0xFFFD;
    return result;
}

const Font *SingleGlyphNode::GetGlyphFont(const Design *design) const
{
    if (!glyph.present || glyph.fontSlot >= DocumentFontSet::kSlotCount) return nullptr;
    const Font *font = design->fonts.slots[glyph.fontSlot];
    return font != nullptr && glyph.glyphIndex < font->GetGlyphCount() ? font : nullptr;
}

bool SingleGlyphNode::GetGlyphBox(const Design *design, GlyphBounds *box, float *advance) const
{
    *box = GlyphBounds();
    *advance = 0.0F;
    const Font *font = GetGlyphFont(design);
    if (font == nullptr) return false;
    *box = font->GetGlyphBounds(glyph.glyphIndex, glyphRequest.optionFlags, advance);
    return true;
}

void SingleGlyphNode::BuildExportItems(const Design *design, DisplayList *list) const
{
    if (const Font *font = GetGlyphFont(design))
    {
        Point2D at(absolutePosition.x + glyphOffsetX, absolutePosition.y - glyphOffsetY);
        BuildGlyphExportItems(font, glyphRequest, glyph.glyphIndex, true, at, Vector2D(glyphScale(0, 0), glyphScale(1, 1)),
                              GetNodeColorWord(design, paletteIndex, colorValue), list);
    }
    DocumentNode::BuildExportItems(design, list);
}

void SingleGlyphNode::BuildMeshItems(const Design *design, DisplayList *list) const
{
    Renderer *renderer = GetRenderer();
    if (renderer != nullptr && GetGlyphFont(design) != nullptr)
    {
        uint32_t color = GetNodeColorWord(design, paletteIndex, colorValue);
        const uint8_t colors[4] = {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), uint8_t(color >> 24)};
        const uint8_t slot = glyph.fontSlot;
        const float origin[2] = {0.0F, 0.0F};
        Point2D at(absolutePosition.x + glyphOffsetX, absolutePosition.y - glyphOffsetY);
        list->Append(new GlyphMeshItem(*renderer, &design->fonts, glyphRequest, at, 1, vertexCounts, triangleCounts,
                                       &slot, &glyph.glyphIndex, origin, &glyphScale, colors));
    }
    DocumentNode::BuildMeshItems(design, list);
}

}  // namespace oq
