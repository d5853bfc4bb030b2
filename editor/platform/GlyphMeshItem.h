#pragma once

#include "base/Matrix2D.h"
#include "base/Point2D.h"
#include "base/Vector4D.h"
#include "editor/platform/DisplayItems.h"
#include "editor/platform/DocumentFontSet.h"
#include "editor/platform/RenderObject.h"

#include <cstdint>

namespace oq {

// A node's glyphs built once into GPU buffers: one draw item per font slot, each numbered from its
// own first vertex and bound to its slot's font textures.
class GlyphMeshItem : public ListElement
{
public:
    // Per glyph: its font slot, glyph index, position (two floats), transform and RGBA8 colour.
    // The vertex and triangle counts per slot are those the glyph list writes; when they do not
    // match the glyphs, the glyphs' own counts size the buffers. A glyph in a slot without a font
    // leaves the item empty, and so does a slot with vertices but no font.
    GlyphMeshItem(Renderer &renderer, const DocumentFontSet *fontSet, const GlyphLayoutRequest &style,
                  const Point2D &origin, int32_t glyphCount, const int32_t *vertexCounts, const int32_t *triangleCounts,
                  const uint8_t *fontSlots, const uint32_t *glyphIndexes, const float *positions,
                  const Matrix2D *transforms, const uint8_t *colors);
    ~GlyphMeshItem() override;

    void Draw(const Matrix4D &matrix);

    RenderObject object;
    Renderer *renderer;
    const DocumentFontSet *fonts;
    Vector4D position;  // origin x, -origin y, 0, 1
    uint32_t vertexTotal = 0;
    DrawItem items[DocumentFontSet::kSlotCount] = {};
};

}  // namespace oq
