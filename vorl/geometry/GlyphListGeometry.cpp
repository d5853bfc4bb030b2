#include "vorl/geometry/GlyphListGeometry.h"

#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/GlyphGeometry.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/geometry/RunWalk.h"

namespace oq {

namespace {

void SetListPaint(TextPaint *paint, const uint8_t *colors, int32_t j)
{
    const uint8_t *c = colors + 4 * j;
    paint->color = {kSrgbByteToLinear[c[0]], kSrgbByteToLinear[c[1]], kSrgbByteToLinear[c[2]], float(c[3]) / 255.0F};
}

void SetListPaint(TextPaint *paint, const ColorRGBA *colors, int32_t j) { paint->color = colors[j]; }

// Calls visit(font index, j, record, shift, paint, layer colour) for every polygon the list draws,
// pass after pass; the shift (layout units) moves glyph j's position for effect copies.
template <typename Color, typename Visit>
void WalkGlyphList(const TextFont *fonts, const TextLayoutState *state, int32_t count, const uint8_t *fontIndexes,
                   const uint32_t *glyphIndexes, const Color *colors, Visit visit)
{
    TextEffect passes[3];
    int32_t passCount = GetEffectPasses(state->effect, passes);
    bool layers = (state->optionFlags & kTextOptionNoLayers) == 0;
    const float noShift[2] = {0.0F, 0.0F};
    TextPaint paint = state->fillPaint;
    paint.gradient = colors == nullptr && paint.gradient;
    for (int32_t p = 0; p < passCount; ++p)
    {
        TextEffect pass = passes[p];
        bool shadow = pass == 'SHAD' || pass == 'OLSH';
        for (int32_t j = 0; j < count; ++j)
        {
            int32_t fontIndex = fontIndexes != nullptr ? fontIndexes[j] : 0;
            const VorlFontRecord *font = fonts[fontIndex].fontRecord;
            uint32_t glyph = glyphIndexes[j];
            const VorlGlyphRecord *record = &font->GetGlyphRecords()[glyph];
            if (ListCountA(record->layerWord) != 0 && layers)
            {
                if (pass != 0) continue;
                if (colors != nullptr) SetListPaint(&paint, colors, j);
                const LayerListEntry *entries = font->GetLayerList() + ListIndexA(record->layerWord);
                for (uint32_t k = 0; k < ListCountA(record->layerWord); ++k)
                {
                    const VorlGlyphRecord *layer = &font->GetGlyphRecords()[entries[k].glyph];
                    if (layer->bandCountX != 0) visit(fontIndex, j, layer, noShift, &paint, entries[k].color);
                }
                continue;
            }
            if (record->bandCountX == 0) continue;
            if (pass == 0)
            {
                if (colors != nullptr) SetListPaint(&paint, colors, j);
                visit(fontIndex, j, record, noShift, &paint, nullptr);
                continue;
            }
            bool outlineMode = (pass == 'OTLN' || pass == 'OLSH') && font->outlineGlyphRecordOffset != 0;
            const VorlGlyphRecord *effect = outlineMode ? &font->GetOutlineGlyphRecords()[glyph] : record;
            if (effect->bandCountX == 0) continue;
            const float *offset;
            const TextPaint *effectPaint;
            if (shadow)
            {
                offset = state->shadowOffset;
                effectPaint = &state->shadowPaint;
            }
            else if (outlineMode)
            {
                offset = state->outlineOffset;
                effectPaint = &state->outlinePaint;
            }
            else
            {
                continue;
            }
            float k = fonts[fontIndex].fontScale * state->size * state->scale[1];
            const float shift[2] = {k * offset[0], k * offset[1]};
            visit(fontIndex, j, effect, shift, effectPaint, nullptr);
        }
    }
}

template <typename Color>
void BuildList(const TextFont *fonts, const TextLayoutState *state, int32_t count, const uint8_t *fontIndexes,
               const uint32_t *glyphIndexes, const float *positions, const Matrix2D *matrices, const Color *colors,
               GeometryBuffer *buffers, Box2D *bounds)
{
    Box2D box;
    box.min.Set(FloatMaxFinite, FloatMaxFinite);
    box.max.Set(-FloatMaxFinite, -FloatMaxFinite);
    TextGeometryType type = state->geometryType;
    WalkGlyphList(fonts, state, count, fontIndexes, glyphIndexes, colors,
                  [&](int32_t fontIndex, int32_t j, const VorlGlyphRecord *record, const float *shift,
                      const TextPaint *paint, const uint8_t *layerColor) {
                      GeometryBuffer *geometry = buffers != nullptr ? &buffers[fontIndex] : nullptr;
                      const float position[2] = {positions[2 * j] + shift[0], positions[2 * j + 1] + shift[1]};
                      kGeometryBuilderTable.writeGlyphGeometry[GetGeometryVariant(geometry)](
                          state, record, record->box, GetGlyphGeometryWord(record, type), position, matrices[j], paint,
                          layerColor, geometry, &box);
                  });
    if (bounds != nullptr) *bounds = box;
}

}  // namespace

void BuildGlyphListGeometry(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                            const uint8_t *fontIndexes, const uint32_t *glyphIndexes, const float *positions,
                            const Matrix2D *matrices, const uint8_t *colors, GeometryBuffer *buffers, Box2D *bounds)
{
    BuildList(fonts, state, count, fontIndexes, glyphIndexes, positions, matrices, colors, buffers, bounds);
}

void BuildGlyphListGeometryFloatColors(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                                       const uint8_t *fontIndexes, const uint32_t *glyphIndexes,
                                       const float *positions, const Matrix2D *matrices, const ColorRGBA *colors,
                                       GeometryBuffer *buffers, Box2D *bounds)
{
    BuildList(fonts, state, count, fontIndexes, glyphIndexes, positions, matrices, colors, buffers, bounds);
}

void CountGlyphListGeometry(int32_t fontCount, const TextFont *fonts, const TextLayoutState *state, int32_t count,
                            const uint8_t *fontIndexes, const uint32_t *glyphIndexes, int32_t *vertexCounts,
                            int32_t *triangleCounts)
{
    for (int32_t f = 0; f < fontCount; ++f)
    {
        vertexCounts[f] = 0;
        triangleCounts[f] = 0;
    }
    bool rect = state->geometryType == 'RECT';
    const uint8_t *noColors = nullptr;
    WalkGlyphList(fonts, state, count, fontIndexes, glyphIndexes, noColors,
                  [&](int32_t fontIndex, int32_t, const VorlGlyphRecord *record, const float *, const TextPaint *,
                      const uint8_t *) {
                      uint32_t word = GetGlyphGeometryWord(record, state->geometryType);
                      int32_t v = rect ? 3 : (word != 0 ? int32_t(word & 0xF) : 4);
                      vertexCounts[fontIndex] += v;
                      triangleCounts[fontIndex] += rect ? 0 : v - 2;
                  });
}

}  // namespace oq
