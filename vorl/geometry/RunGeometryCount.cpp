#include "vorl/geometry/GlyphGeometry.h"
#include "vorl/geometry/RunGeometry.h"
#include "vorl/geometry/RunWalk.h"

namespace oq {

namespace {

// What one state stretch of the run draws per glyph record.
struct CountStretch
{
    const TextLayoutState *state;
    const VorlFontRecord *font;
    int32_t fontIndex;
    bool rect;
    uint32_t polygonMinimum;    // 4 when clipping may turn a polygon into a quad
    bool outlineMode;
    int32_t passes;             // passes that open decoration stretches
    int32_t baseCopies;         // ordinary records: plain pass, and a shadow without outlines
    int32_t effectCopies;       // outline records: outline pass, and a shadow with outlines
};

// An open decoration stretch: the font it writes to and what it writes when it closes.
struct CountDecoration
{
    bool open;
    int32_t fontIndex;
    int32_t vertices;
    int32_t triangles;
};

class RunGeometryCounter
{
public:
    RunGeometryCounter(const TextLayoutState *first, int32_t *vertices, int32_t *triangles)
        : shadow(first->effect == 'SHAD' || first->effect == 'OLSH'),
          outlineEffect(first->effect == 'OTLN' || first->effect == 'OLSH'), poly(first->geometryType == 'POLY'),
          vertexCounts(vertices), triangleCounts(triangles)
    {
    }

    void StartStretch(const TextRun *run, const TextFont *fonts, const TextRunGlyph &glyph, bool decorationBreak)
    {
        s.state = &run->states[glyph.stateIndex];
        s.font = fonts[glyph.fontIndex].fontRecord;
        s.fontIndex = glyph.fontIndex;
        s.rect = s.state->geometryType == 'RECT';
        s.polygonMinimum = (s.state->optionFlags & kTextOptionClipX) != 0 ? 4 : 3;
        s.outlineMode = outlineEffect && s.font->outlineGlyphRecordOffset != 0;
        s.passes = (shadow ? 2 : 1) + (s.outlineMode ? 1 : 0);
        s.baseCopies = shadow && !s.outlineMode ? 2 : 1;
        s.effectCopies = shadow && s.outlineMode ? 2 : 1;

        const bool wanted[2] = {s.state->underline, s.state->strikethrough};
        for (int32_t k = 0; k < 2; ++k)
        {
            if (decorations[k].open && (!wanted[k] || decorationBreak)) Close(k);
            if (decorations[k].open || !wanted[k]) continue;
            decorations[k] = {true, s.fontIndex, (s.rect ? 3 : 4) * s.passes, s.rect ? 0 : 2 * s.passes};
        }
    }

    void Close(int32_t k)
    {
        vertexCounts[decorations[k].fontIndex] += decorations[k].vertices;
        triangleCounts[decorations[k].fontIndex] += decorations[k].triangles;
        decorations[k].open = false;
    }

    // Adds copies of the record as the writer draws it: a quad, its 'RECT' form or a polygon.
    void AddRecord(const VorlGlyphRecord *record, int32_t copies)
    {
        int32_t v = 4;
        int32_t t = 2;
        if (s.rect)
        {
            v = 3;
            t = 0;
        }
        else if (poly && IsDrawablePolygonWord(record->polygonWord))
        {
            uint32_t n = record->polygonWord & 0xF;
            v = int32_t(n > s.polygonMinimum ? n : s.polygonMinimum);
            t = v - 2;
        }
        vertexCounts[s.fontIndex] += copies * v;
        triangleCounts[s.fontIndex] += copies * t;
    }

    void AddGlyph(uint32_t glyph)
    {
        const VorlGlyphRecord *records = s.font->GetGlyphRecords();
        const VorlGlyphRecord *record = &records[glyph];
        uint32_t layerWord = record->layerWord;
        if (ListCountA(layerWord) != 0 && (s.state->optionFlags & kTextOptionNoLayers) == 0)
        {
            const LayerListEntry *layers = s.font->GetLayerList() + ListIndexA(layerWord);
            for (uint32_t k = 0; k < ListCountA(layerWord); ++k)
            {
                const VorlGlyphRecord *layer = &records[layers[k].glyph];
                if (layer->bandCountX != 0) AddRecord(layer, 1);
            }
            return;
        }
        if (record->bandCountX == 0) return;
        AddRecord(record, s.baseCopies);
        if (!s.outlineMode) return;
        const VorlGlyphRecord *outline = &s.font->GetOutlineGlyphRecords()[glyph];
        if (outline->bandCountX != 0) AddRecord(outline, s.effectCopies);
    }

    CountStretch s;
    CountDecoration decorations[2] = {};

private:
    bool shadow;
    bool outlineEffect;
    bool poly;
    int32_t *vertexCounts;
    int32_t *triangleCounts;
};

}  // namespace

int32_t AddRunGeometryCounts(const TextRun *run, const GlyphRange *range, const TextFont *fonts,
                             bool everySoftHyphen, int32_t *vertexCounts, int32_t *triangleCounts,
                             int32_t *placeholderCount)
{
    GlyphRange walk;
    if (!ResolveGlyphRange(run, range, &walk)) return 0;
    int32_t drawable = 0;
    RunGeometryCounter counter(&run->states[0], vertexCounts, triangleCounts);
    int32_t i = walk.firstGlyph;
    counter.StartStretch(run, fonts, run->glyphs[i], false);
    for (;;)
    {
        const TextRunGlyph &glyph = run->glyphs[i];
        uint32_t g = glyph.glyphWord & kGlyphWordIndexMask;
        if (g == kGlyphWordEnd) break;
        if (g >= kGlyphWordPlaceholder)
        {
            if (placeholderCount != nullptr) ++*placeholderCount;
        }
        else
        {
            const TextRunCharacter &character = run->characters[glyph.characterIndex];
            bool drawn = (character.properties & kUnicodeControl) == 0 ||
                         (character.codePoint == kSoftHyphen &&
                          (counter.s.state->optionFlags & kTextOptionSoftHyphen) != 0 &&
                          (everySoftHyphen || i == walk.lastGlyph));
            if (drawn)
            {
                ++drawable;
                counter.AddGlyph(g);
            }
        }
        if (++i > walk.lastGlyph) break;
        uint32_t word = run->glyphs[i].glyphWord;
        if ((word & kGlyphStretchStartBits) != 0)
            counter.StartStretch(run, fonts, run->glyphs[i], (word & kGlyphDecorationBreakBit) != 0);
    }
    for (int32_t k = 0; k < 2; ++k)
        if (counter.decorations[k].open) counter.Close(k);
    return drawable;
}

int32_t CountRunGeometry(const TextRun *run, const GlyphRange *range, int32_t fontCount, const TextFont *fonts,
                         int32_t *vertexCounts, int32_t *triangleCounts, int32_t *placeholderCount)
{
    for (int32_t f = 0; f < fontCount; ++f)
    {
        vertexCounts[f] = 0;
        triangleCounts[f] = 0;
    }
    int32_t placeholders = 0;
    int32_t drawable = AddRunGeometryCounts(run, range, fonts, false, vertexCounts, triangleCounts, &placeholders);
    if (placeholderCount != nullptr) *placeholderCount = placeholders;
    return drawable;
}

}  // namespace oq
