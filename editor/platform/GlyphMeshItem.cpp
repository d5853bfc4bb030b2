#include "editor/platform/GlyphMeshItem.h"

#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/GlyphListGeometry.h"
#include "vorl/text/TextLayoutState.h"

namespace oq {

GlyphMeshItem::GlyphMeshItem(Renderer &owner, const DocumentFontSet *fontSet, const GlyphLayoutRequest &style,
                             const Point2D &origin, int32_t glyphCount, const int32_t *vertexCounts,
                             const int32_t *, const uint8_t *fontSlots, const uint32_t *glyphIndexes,
                             const float *positions, const Matrix2D *transforms, const uint8_t *colors)
    : renderer(&owner), fonts(fontSet), position(origin.x, -origin.y, 0.0F, 1.0F)
{
    constexpr int32_t kSlots = DocumentFontSet::kSlotCount;
    object.drawItemCount = kSlots;
    object.drawItems = items;
    object.color = {0.0F, 0.0F, 0.0F, 1.0F};
    uint64_t given = 0;
    for (int32_t i = 0; i < kSlots; ++i) given += uint64_t(vertexCounts[i] > 0 ? vertexCounts[i] : 0);
    if (given == 0 || glyphCount <= 0) return;
    for (int32_t j = 0; j < glyphCount; ++j)
    {
        uint8_t slot = fontSlots != nullptr ? fontSlots[j] : 0;
        if (slot >= kSlots || fontSet->slots[slot] == nullptr) return;
    }

    TextLayoutState state;
    ResetTextLayoutState(&state);
    state.fontNumber = style.styleKey;
    state.size = style.fontSize;
    state.scale[0] = style.scale;
    state.scale[1] = style.scale;
    state.fillPaint.color = {0.0F, 0.0F, 0.0F, 1.0F};
    state.optionFlags = style.optionFlags;
    state.renderFlags = 2;
    state.alternateMask = style.alternateMask;
    state.alternateSelector = style.styleSelector;

    // The glyphs' own counts size the buffers (they equal the given ones when the caller counted
    // right), so a wrong count cannot overflow them.
    int32_t vertices[kSlots];
    int32_t triangles[kSlots];
    CountGlyphListGeometry(kSlots, fontSet->textFonts, &state, glyphCount, fontSlots, glyphIndexes, vertices,
                           triangles);
    uint64_t vertexSum = 0;
    uint64_t triangleSum = 0;
    for (int32_t i = 0; i < kSlots; ++i)
    {
        vertices[i] = vertices[i] > 0 ? vertices[i] : 0;
        triangles[i] = triangles[i] > 0 ? triangles[i] : 0;
        vertexSum += uint64_t(vertices[i]);
        triangleSum += uint64_t(triangles[i]);
    }
    if (vertexSum == 0 || vertexSum > UINT32_MAX || triangleSum > UINT32_MAX) return;

    object.SetupVorlShaders(owner, 0, kShaderOptionWeight);
    GeometryBuffer whole;
    if (!object.CreateBuffers(owner, uint32_t(vertexSum), uint32_t(triangleSum), &whole)) return;
    // Every slot numbers its vertices from 0 and is drawn with its first vertex as the base.
    GeometryBuffer buffers[kSlots];
    size_t triangleSize = whole.indexFormat == 1 ? sizeof(VorlTriangle32) : sizeof(VorlTriangle);
    uint32_t vertexStart[kSlots];
    uint32_t triangleStart[kSlots];
    uint32_t vertexOffset = 0;
    uint32_t triangleOffset = 0;
    for (int32_t i = 0; i < kSlots; ++i)
    {
        vertexStart[i] = vertexOffset;
        triangleStart[i] = triangleOffset;
        buffers[i] = {static_cast<uint8_t *>(whole.vertexData) + size_t(vertexOffset) * sizeof(AttribStruct),
                      static_cast<uint8_t *>(whole.triangleData) + size_t(triangleOffset) * triangleSize, 0,
                      whole.colorFormat, whole.indexFormat};
        vertexOffset += uint32_t(vertices[i]);
        triangleOffset += uint32_t(triangles[i]);
    }
    BuildGlyphListGeometry(fontSet->textFonts, &state, glyphCount, fontSlots, glyphIndexes, positions, transforms,
                           colors, buffers, nullptr);
    object.UnmapBuffers(owner);
    for (int32_t i = 0; i < kSlots; ++i)
    {
        uint32_t written = buffers[i].vertexIndex;
        uint32_t writtenTriangles = uint32_t(
            (static_cast<uint8_t *>(buffers[i].triangleData) -
             (static_cast<uint8_t *>(whole.triangleData) + size_t(triangleStart[i]) * triangleSize)) /
            ptrdiff_t(triangleSize));
        Font *font = fontSet->slots[i];
        if (font == nullptr || written == 0) continue;
        items[i] = {written, 3 * writtenTriangles, 3 * triangleStart[i], int32_t(vertexStart[i]), font->GetTexturePair()};
    }
    vertexTotal = uint32_t(vertexSum);
}

GlyphMeshItem::~GlyphMeshItem() { object.Release(*renderer); }

void GlyphMeshItem::Draw(const Matrix4D &matrix)
{
    if (vertexTotal == 0) return;
    Matrix4D moved = matrix;
    for (int row = 0; row < 4; ++row)
        moved(row, 3) = matrix(row, 0) * position.x + matrix(row, 1) * position.y + matrix(row, 3);
    object.Draw(*renderer, moved);
}

}  // namespace oq
