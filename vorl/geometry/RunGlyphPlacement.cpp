#include "vorl/geometry/RunGeometry.h"
#include "vorl/geometry/RunWalk.h"
#include "vorl/text/TextMeasure.h"

namespace oq {

bool PlaceRunGlyph(const TextRunCharacter *character, uint32_t glyph, const VorlFontRecord *font,
                   const TextLayoutState *state, GlyphPen *pen, float justificationSpace, float *position)
{
    const VorlGlyphRecord *record = &font->GetGlyphRecords()[glyph];
    uint32_t options = state->optionFlags;
    float sxs = pen->signedXScale;
    bool justified = (options & kTextOptionJustify) != 0 &&
                     FindListedCharacter(state->justificationCharCount, state->justificationChars, character->codePoint);
    bool rotated = false;
    if ((options & kTextOptionVertical) != 0 && (character->properties & kUnicodeUpright) != 0)
    {
        pen->x = position[0] + record->verticalAdvance * sxs;
        if (justified) pen->x += justificationSpace * pen->direction;
        if (pen->direction < 0.0F) position[0] = pen->x;
        position[0] += record->verticalOrigin * sxs;
        pen->kerningPartner = -1;
        pen->baseCount = 0;
        rotated = true;
    }
    else
    {
        if ((options & kTextOptionGrid) != 0)
        {
            pen->x = position[0];
            position[0] -= (record->box[0] + record->box[2]) * pen->xScale * 0.5F;
        }
        else
        {
            position[0] += GetKerningAdvance(glyph, font, record, options, pen);
            pen->x = position[0] + record->advance * sxs;
            if (justified) pen->x += justificationSpace * pen->direction;
            if (pen->direction < 0.0F) position[0] = pen->x;
        }
        pen->baseCount = 1;
        pen->bases[0] = {int32_t(glyph), position[0], position[1]};
    }
    pen->trailingTracking = state->tracking * sxs;
    pen->x += pen->trailingTracking;
    return rotated;
}

void AttachMarkGlyph(uint32_t glyph, const VorlFontRecord *font, const TextLayoutState *state, GlyphPen *pen,
                     float *position)
{
    const VorlGlyphRecord *records = font->GetGlyphRecords();
    if ((state->optionFlags & kTextOptionNoMarks) == 0)
    {
        uint32_t markWord = records[glyph].markAnchorWord;
        const AnchorListEntry *marks = font->GetMarkAnchorList() + ListIndexA(markWord);
        uint32_t markCount = ListCountA(markWord);
        bool placed = false;
        for (int32_t b = pen->baseCount - 1; b >= 0 && !placed; --b)
        {
            const GlyphPenBase &base = pen->bases[b];
            // Bases come from this font (a font change breaks marks); others are passed over.
            if (uint32_t(base.glyph) >= font->glyphCount) continue;
            uint32_t baseWord = records[base.glyph].baseAnchorWord;
            uint32_t baseCount = ListCountA(baseWord);
            if (baseCount == 0) continue;
            const AnchorListEntry *anchors = font->GetBaseAnchorList() + ListIndexA(baseWord);
            for (uint32_t a = 0; a < baseCount && !placed; ++a)
            {
                for (uint32_t m = 0; m < markCount; ++m)
                {
                    if (anchors[a].anchorClass != marks[m].anchorClass) continue;
                    float dy = (anchors[a].y - marks[m].y) * pen->yScale;
                    position[0] = base.x + (anchors[a].x - marks[m].x) * pen->xScale + dy * state->skew;
                    position[1] = base.y - dy;
                    placed = true;
                    break;
                }
            }
        }
    }
    if (pen->baseCount < kGlyphPenMaxBases)
    {
        pen->bases[pen->baseCount] = {int32_t(glyph), position[0], position[1]};
        pen->baseCount++;
    }
}

}  // namespace oq
