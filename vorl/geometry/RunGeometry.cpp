#include "vorl/geometry/RunGeometry.h"

#include <cassert>

#include "vorl/geometry/DecorationGeometry.h"
#include "vorl/geometry/GeometryBuilderTable.h"
#include "vorl/geometry/GlyphGeometry.h"
#include "vorl/geometry/RunWalk.h"

namespace oq {

const TextPaint kWhitePaint = {{1.0F, 1.0F, 1.0F, 1.0F}, {1.0F, 1.0F, 1.0F, 1.0F}, 0.0F, 1.0F, false};

namespace {

const float kZeroOffset[2] = {0.0F, 0.0F};

// Bounds as the text builders start them (not the infinite empty box).
void SetTextBoundsEmpty(Box2D *box)
{
    box->min.Set(FloatMaxFinite, FloatMaxFinite);
    box->max.Set(-FloatMaxFinite, -FloatMaxFinite);
}

// One pass of BuildRunGeometry: draws every glyph the walk places and the decoration stretches.
class RunGeometryPass
{
public:
    RunGeometryPass(TextEffect passEffect, TextGeometryType type, GeometryBuffer *geometryBuffers,
                    PlaceholderPosition **placeholderList, Box2D *box)
        : pass(passEffect), shadow(passEffect == 'SHAD' || passEffect == 'OLSH'), geometryType(type),
          buffers(geometryBuffers), placeholders(placeholderList), bounds(box)
    {
    }

    void OnStretch(const RunStretch &stretch, const GlyphPen &pen, float x)
    {
        const VorlFontRecord *font = stretch.font->fontRecord;
        geometry = buffers != nullptr ? &buffers[stretch.fontIndex] : nullptr;
        writeGlyph = kGeometryBuilderTable.writeGlyphGeometry[GetGeometryVariant(geometry)];
        outlineMode = (pass == 'OTLN' || pass == 'OLSH') && font->outlineGlyphRecordOffset != 0;
        expansion = 0.0F;
        effectRecords = font->GetGlyphRecords();
        if (outlineMode)
        {
            // The validator refuses outline glyph records without an 'OTLN' item.
            const FontDataOutlineItem *item = static_cast<const FontDataOutlineItem *>(font->GetFontData('OTLN'));
            assert(item != nullptr);
            expansion = item != nullptr ? item->size : 0.0F;
            effectRecords = font->GetOutlineGlyphRecords();
        }

        const TextLayoutState *state = stretch.state;
        const bool wanted[2] = {state->underline, state->strikethrough};
        const uint32_t tags[2] = {'UNDR', 'STRK'};
        for (int32_t k = 0; k < 2; ++k)
        {
            if (open[k] && (!wanted[k] || pen.decorationBreak != 0))
            {
                // Ended by the state: before the last tracking; broken: at the pen.
                WriteDecorationRect(&decorations[k], !wanted[k] ? pen.x - pen.trailingTracking : pen.x, bounds);
                open[k] = false;
            }
            if (open[k] || !wanted[k]) continue;
            const void *item = font->GetFontData(tags[k]);
            if (item == nullptr) continue;
            const TextPaint *paint = &state->fillPaint;
            const float *offset = kZeroOffset;
            float e = 0.0F;
            if (shadow)
            {
                paint = &state->shadowPaint;
                offset = state->shadowOffset;
                e = expansion;
            }
            else if (pass != 0)
            {
                if (!outlineMode) continue;
                paint = &state->outlinePaint;
                offset = state->outlineOffset;
                e = expansion;
            }
            decorations[k].Begin(state, stretch.font, static_cast<const FontDataDecorationItem *>(item), geometry, x,
                                 stretch.baselineY, e, paint, offset);
            open[k] = true;
        }
    }

    void OnPlaceholder(int32_t i, int32_t number, float left, const RunStretch &stretch, const GlyphPen &)
    {
        if (pass != 0 || placeholders == nullptr) return;
        **placeholders = {i, number, left, stretch.baselineY};
        ++*placeholders;
    }

    void OnGlyph(int32_t, uint32_t glyph, const VorlGlyphRecord *record, const float *position, bool rotated,
                 const RunStretch &stretch, const GlyphPen &pen)
    {
        const TextLayoutState *state = stretch.state;
        const VorlFontRecord *font = stretch.font->fontRecord;
        const Matrix2D &matrix = rotated ? stretch.rotated : stretch.matrix;
        const float scale[2] = {pen.xScale, pen.yScale};
        uint32_t layerWord = record->layerWord;
        if (ListCountA(layerWord) != 0 && (state->optionFlags & kTextOptionNoLayers) == 0)
        {
            if (pass != 0) return;
            const TextPaint *paint = (state->optionFlags & kTextOptionLayerMultiply) != 0 ? &state->fillPaint : &kWhitePaint;
            const LayerListEntry *layers = font->GetLayerList() + ListIndexA(layerWord);
            for (uint32_t k = 0; k < ListCountA(layerWord); ++k)
            {
                const VorlGlyphRecord *layer = &font->GetGlyphRecords()[layers[k].glyph];
                // Layers without band data have nothing to draw (and no band limits to store).
                if (layer->bandCountX == 0) continue;
                Draw(state, layer, position, matrix, scale, rotated, paint, layers[k].color);
            }
            return;
        }
        if (record->bandCountX == 0) return;
        if (pass == 0)
        {
            Draw(state, record, position, matrix, scale, rotated, &state->fillPaint, nullptr);
            return;
        }
        const VorlGlyphRecord *effect = &effectRecords[glyph];
        if (effect->bandCountX == 0) return;
        const float *offset = nullptr;
        const TextPaint *paint = nullptr;
        if (shadow)
        {
            offset = state->shadowOffset;
            paint = &state->shadowPaint;
        }
        else if (outlineMode)
        {
            offset = state->outlineOffset;
            paint = &state->outlinePaint;
        }
        else
        {
            return;
        }
        const float shifted[2] = {position[0] + pen.yScale * offset[0], position[1] + pen.yScale * offset[1]};
        Draw(state, effect, shifted, matrix, scale, rotated, paint, nullptr);
    }

    void OnEnd(const GlyphPen &pen)
    {
        for (int32_t k = 0; k < 2; ++k)
        {
            if (!open[k]) continue;
            WriteDecorationRect(&decorations[k], pen.x - pen.trailingTracking, bounds);
            open[k] = false;
        }
    }

private:
    // Clips the record's box and writes it.
    void Draw(const TextLayoutState *state, const VorlGlyphRecord *record, const float *position,
              const Matrix2D &matrix, const float *scale, bool rotated, const TextPaint *paint,
              const uint8_t *layerColor)
    {
        float box[4] = {record->box[0], record->box[1], record->box[2], record->box[3]};
        uint32_t word = GetGlyphGeometryWord(record, geometryType);
        if (!ClipGlyphQuad(state, box, &word, position, scale, rotated)) return;
        writeGlyph(state, record, box, word, position, matrix, paint, layerColor, geometry, bounds);
    }

    TextEffect pass;
    bool shadow;
    TextGeometryType geometryType;
    GeometryBuffer *buffers;
    PlaceholderPosition **placeholders;
    Box2D *bounds;

    GeometryBuffer *geometry = nullptr;
    WriteGlyphGeometryFunction writeGlyph = nullptr;
    bool outlineMode = false;
    float expansion = 0.0F;
    const VorlGlyphRecord *effectRecords = nullptr;
    DecorationRun decorations[2];
    bool open[2] = {false, false};
};

}  // namespace

void BuildRunGeometry(const TextRun *run, const GlyphRange *range, int32_t, const TextFont *fonts, const float *pen,
                      GeometryBuffer *buffers, PlaceholderPosition **placeholders, Box2D *bounds, float *endPen)
{
    Box2D box;
    SetTextBoundsEmpty(&box);
    GlyphRange walk;
    if (!ResolveGlyphRange(run, range, &walk))
    {
        if (bounds != nullptr) *bounds = box;
        if (endPen != nullptr)
        {
            endPen[0] = pen[0];
            endPen[1] = pen[1];
        }
        return;
    }

    const TextLayoutState *first = &run->states[0];
    RunSegments segments;
    segments.Measure(run, walk, fonts);
    TextEffect passes[3];
    int32_t passCount = GetEffectPasses(first->effect, passes);
    float endX = pen[0];
    for (int32_t p = 0; p < passCount; ++p)
    {
        RunGeometryPass visitor(passes[p], first->geometryType, buffers, placeholders, &box);
        endX = WalkRunPass(run, walk, fonts, pen, segments, &visitor);
    }
    if (bounds != nullptr) *bounds = box;
    if (endPen != nullptr)
    {
        endPen[0] = endX;
        endPen[1] = pen[1];
    }
}

void BuildTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                       const TextLayoutState *state, const char *text, int32_t length, const float *pen,
                       GeometryBuffer *buffers, Box2D *bounds, float *endPen, TextLayoutState *endState,
                       TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, endState, scratch);
    BuildRunGeometry(run, nullptr, fontCount, fonts, pen, buffers, nullptr, bounds, endPen);
}

int32_t CountTextGeometry(int32_t fontCount, const TextFont *fonts, const FontFallbackMap *fallback,
                          const TextLayoutState *state, const char *text, int32_t length, int32_t *vertexCounts,
                          int32_t *triangleCounts, TextLayoutState *endState, TextRun *scratch)
{
    TextRun *run = LayoutText(fontCount, fonts, fallback, state, text, length, endState, scratch);
    return CountRunGeometry(run, nullptr, fontCount, fonts, vertexCounts, triangleCounts, nullptr);
}

}  // namespace oq
