#include "editor/document/GlyphLayout.h"

#include "base/Color.h"
#include "base/TextUtils.h"
#include "editor/document/CodePointText.h"
#include "editor/fonts/Design.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/TextLayoutState.h"
#include "vorl/text/TextRun.h"

#include <cassert>

namespace oq {

GlyphLayoutRequest CloneGlyphLayoutRequest(const GlyphLayoutRequest &request)
{
    GlyphLayoutRequest copy = request;
    copy.alternateMask = 0;
    copy.styleSelector = 0;
    return copy;
}

uint32_t GetNodeColorWord(const Design *design, int32_t paletteIndex, uint32_t colorValue)
{
    if (paletteIndex < 0) return colorValue;
    return design->palette[paletteIndex < kDesignPaletteSize ? paletteIndex : 0];
}

void FillGlyphLayoutState(const GlyphLayoutRequest &request, uint32_t colorWord, TextLayoutState *state)
{
    ResetTextLayoutState(state);
    state->fontNumber = request.styleKey;
    state->size = request.fontSize;
    state->scale[0] = request.scale;
    state->scale[1] = request.scale;
    state->fillPaint.color = {kSrgbByteToLinear[colorWord & 0xFF], kSrgbByteToLinear[(colorWord >> 8) & 0xFF],
                              kSrgbByteToLinear[(colorWord >> 16) & 0xFF], float(colorWord >> 24) / 255.0F};
    state->optionFlags = request.optionFlags;
    state->alternateMask = request.alternateMask;
    state->alternateSelector = request.styleSelector;
    state->renderFlags = 2;
}

bool HasResolvedGlyphFonts(const Design *design, uint32_t styleKey)
{
    const DocumentFontSet &fonts = design->fonts;
    if (fonts.textFonts[0].fontRecord == nullptr) return false;
    const FontFallbackMap &map = design->styleFallbackMap;
    if (map.rows == nullptr || map.rowLength <= 0) return false;
    const uint8_t *row = map.rows;
    for (int32_t i = 0; i < map.rowCount; ++i)
    {
        if (uint32_t(map.rowFontNumbers[i]) == styleKey)
        {
            row = map.rows + int64_t(i) * map.rowLength;
            break;
        }
    }
    for (int32_t k = 0; k < map.rowLength && row[k] < DocumentFontSet::kSlotCount; ++k)
    {
        if (fonts.textFonts[row[k]].fontRecord == nullptr) return false;
    }
    return true;
}

TextRun *LayoutGlyphText(const Design *design, const GlyphLayoutRequest &request, uint32_t colorWord,
                         const char *text, int32_t length)
{
    if (!HasResolvedGlyphFonts(design, request.styleKey)) return nullptr;
    TextLayoutState state;
    FillGlyphLayoutState(request, colorWord, &state);
    TextRun *run = GetSharedTextRun();
    LayoutTextRun(run, &state, text, length);
    MapRunToGlyphs(run, DocumentFontSet::kSlotCount, design->fonts.textFonts, &design->styleFallbackMap);
    return run;
}

LaidOutGlyph LayoutGlyphCodePoint(const Design *design, const GlyphLayoutRequest &request, uint32_t colorWord,
                                  uint32_t codePoint)
{
    assert(IsScalarValue(codePoint));
    char text[8] = {};
    int32_t length = EncodeUtf8(text, ToScalarValue(codePoint));
    LaidOutGlyph glyph;
    const TextRun *run = LayoutGlyphText(design, request, colorWord, text, length);
    if (run == nullptr || run->glyphCount <= 0) return glyph;
    const TextRunGlyph &first = run->glyphs[0];
    if (IsEndGlyph(first.glyphWord) || IsPlaceholderGlyph(first.glyphWord)) return glyph;
    if (first.fontIndex >= DocumentFontSet::kSlotCount) return glyph;
    const VorlFontRecord *record = design->fonts.textFonts[first.fontIndex].fontRecord;
    if (record == nullptr || GlyphIndexOf(first.glyphWord) >= record->glyphCount) return glyph;
    glyph.glyphIndex = GlyphIndexOf(first.glyphWord);
    glyph.fontSlot = first.fontIndex;
    glyph.present = true;
    return glyph;
}

}  // namespace oq
