// Alternates, decompositions, ligatures and 'ccmp' context entries of the substitution table.
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/LayoutCommon.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

namespace oq {

namespace {

// Ends a subtable walk once the substitution is found (never returned from the walk's caller).
constexpr uint32_t kSubstitutionFound = 'done';

GlyphStructure *GetGlyph(FontStructure *font, uint32_t glyph)
{
    if (glyph == 0 || glyph >= font->glyphCount || glyph >= font->glyphTableSize) return nullptr;
    return font->glyphTable[glyph];
}

}  // namespace

int32_t FindSingleSubstitution(const LayoutTable &layout, uint64_t lookup, uint32_t glyph)
{
    const FontBytes &table = layout.table;
    int32_t found = 0;
    uint32_t result = layout.ForEachSubtable(lookup, [&](uint32_t type, uint64_t subtable) -> uint32_t {
        if (type != 1) return 0;
        uint64_t coverage = subtable + table.GetUInt16(subtable + 2);
        if (coverage >= table.size) return kResultCorrupt;
        int64_t index = FindCoverageIndex(table, coverage, glyph);
        if (index < 0) return 0;
        uint32_t format = table.GetUInt16(subtable);
        if (format == 1)
        {
            found = int32_t((glyph + table.GetUInt16(subtable + 4)) & 0xFFFF);
        }
        else if (format == 2)
        {
            uint32_t count = table.GetUInt16(subtable + 4);
            for (uint32_t j = 0; j < count && found == 0; ++j)
            {
                if (GetCoverageGlyph(table, coverage, j) == glyph) found = table.GetUInt16(subtable + 6 + 2 * uint64_t(j));
            }
        }
        return found != 0 ? kSubstitutionFound : 0;
    });
    if (result == kResultCorrupt) return -1;
    return found;
}

bool OpenTypeImporter::CountSubstitutionItems(int64_t count)
{
    substitutionItems += count;
    return substitutionItems <= kMaxSubstitutionItems && ChargeLayoutWork(count);
}

uint32_t OpenTypeImporter::WalkSubstitutions(uint64_t offsetTable, FontStructure *glyphFont, bool ligatures)
{
    BeginGlyphFeatures(glyphFont);
    LayoutTable layout;
    if (uint32_t result = OpenLayoutTable(offsetTable, 'GSUB', &layout)) return result;
    const FontBytes &gsub = layout.table;
    if (!gsub.IsPresent()) return 0;
    GlyphPairSet readLookups;
    GlyphPairSet readFeatures;
    uint32_t featureCount = layout.GetFeatureCount();
    for (uint32_t f = 0; f < featureCount; ++f)
    {
        uint32_t tag = layout.GetFeatureTag(f);
        if (!ligatures && tag == 'aalt') continue;
        if (!ChargeLayoutWork(1)) return kResultCorrupt;
        // A feature table met again under the same tag holds only (feature, lookup) pairs met already.
        uint64_t feature = 0;
        if (uint32_t result = layout.GetFeature(f, &feature)) return result;
        if (!readFeatures.Insert(uint32_t(feature) + 1, tag, false)) continue;
        if (!ChargeLayoutWork(layout.GetFeatureLookupCount(f))) return kResultCorrupt;
        uint32_t result = layout.ForEachFeatureLookup(f, [&](uint32_t lookupIndex, uint64_t lookup) -> uint32_t {
            // A (feature, lookup) pair met again adds nothing: the first entries win.
            if (!readLookups.Insert(lookupIndex + 1, tag, false)) return 0;
            if (!ChargeLayoutWork(layout.GetSubtableCount(lookup) + 1)) return kResultCorrupt;
            return layout.ForEachSubtable(lookup, [&](uint32_t type, uint64_t subtable) -> uint32_t {
                if (ligatures) return ReadLigatureSubtable(layout, tag, type, subtable, glyphFont);
                return ReadAlternateSubtable(gsub, tag, type, subtable, glyphFont);
            });
        });
        if (result != 0) return result;
    }
    return 0;
}

uint32_t OpenTypeImporter::ReadAlternates(uint64_t offsetTable, FontStructure *glyphFont)
{
    return WalkSubstitutions(offsetTable, glyphFont, false);
}

uint32_t OpenTypeImporter::ReadLigatures(uint64_t offsetTable, FontStructure *glyphFont)
{
    return WalkSubstitutions(offsetTable, glyphFont, true);
}

uint32_t OpenTypeImporter::AddSingleAlternate(GlyphStructure *glyph, uint32_t tag, uint32_t replacement)
{
    // Glyph 0 would make an Alternate without a glyph.
    if (glyph == nullptr || replacement == 0 || replacement >= featureFont->glyphCount) return 0;
    const uint32_t key[3] = {'altr', glyph->glyphIndex, tag};
    if (!substitutionEntries.Insert(key, 3)) return 0;
    if (!CountSubstitutionItems(1)) return kResultCorrupt;
    static_cast<void>(glyph->AddAlternate(tag, replacement));
    return 0;
}

uint32_t OpenTypeImporter::ReadAlternateSubtable(const FontBytes &gsub, uint32_t tag, uint32_t type, uint64_t subtable,
                                                 FontStructure *glyphFont)
{
    if (type < 1 || type > 3) return 0;
    uint64_t coverage = subtable + gsub.GetUInt16(subtable + 2);
    if (coverage >= gsub.size) return kResultCorrupt;
    uint32_t glyphCount = glyphFont->glyphCount;
    uint32_t format = gsub.GetUInt16(subtable);
    if (type == 1 && format == 1)
    {
        if (!ChargeLayoutWork(glyphCount / 8 + 1)) return kResultCorrupt;
        Array<uint32_t> glyphs;
        ListCoverageGlyphs(gsub, coverage, glyphCount, &glyphs);
        uint32_t delta = gsub.GetUInt16(subtable + 4);
        for (int32_t i = 0; i < glyphs.GetElementCount(); ++i)
        {
            uint32_t glyph = glyphs[i];
            if (uint32_t result = AddSingleAlternate(GetGlyph(glyphFont, glyph), tag, (glyph + delta) & 0xFFFF))
            {
                return result;
            }
        }
        return 0;
    }
    if (type == 1 && format != 2) return 0;
    // Format 2 single substitution, multiple and alternate substitution: one entry per index.
    uint32_t count = gsub.GetUInt16(subtable + 4);
    if (!ChargeLayoutWork(int64_t(count) * GetCoverageIndexCost(gsub, coverage))) return kResultCorrupt;
    for (uint32_t j = 0; j < count; ++j)
    {
        GlyphStructure *glyph = GetGlyph(glyphFont, GetCoverageGlyph(gsub, coverage, j));
        if (glyph == nullptr) continue;
        uint32_t value = gsub.GetUInt16(subtable + 6 + 2 * uint64_t(j));
        if (type == 1)
        {
            if (uint32_t result = AddSingleAlternate(glyph, tag, value)) return result;
            continue;
        }
        uint64_t set = subtable + value;
        uint32_t setCount = gsub.GetUInt16(set);
        if (type == 2)
        {
            if (setCount == 1 && tag != 'ccmp')
            {
                if (uint32_t result = AddSingleAlternate(glyph, tag, gsub.GetUInt16(set + 2))) return result;
            }
            else if (setCount >= 2 && setCount <= 254 && tag == 'ccmp' && glyph->GetDecomposition() == nullptr)
            {
                uint32_t parts[254];
                bool valid = true;
                for (uint32_t k = 0; k < setCount; ++k)
                {
                    parts[k] = gsub.GetUInt16(set + 2 + 2 * uint64_t(k));
                    valid = valid && parts[k] < glyphCount && gsub.Contains(set + 2 + 2 * uint64_t(k), 2);
                }
                if (!valid) continue;
                if (!CountSubstitutionItems(setCount)) return kResultCorrupt;
                glyph->AddDecomposition(int32_t(setCount), parts);
            }
            continue;
        }
        const uint32_t key[3] = {'altr', glyph->glyphIndex, tag};
        if (substitutionEntries.Contains(key, 3)) continue;
        if (set >= gsub.size) return kResultCorrupt;
        Array<uint32_t> alternates;
        for (uint32_t k = 0; k < setCount; ++k)
        {
            uint64_t at = set + 2 + 2 * uint64_t(k);
            if (!gsub.Contains(at, 2)) break;
            uint32_t alternate = gsub.GetUInt16(at);
            if (alternate < glyphCount) alternates.AddElement(alternate);
        }
        if (alternates.GetElementCount() == 0) continue;
        static_cast<void>(substitutionEntries.Insert(key, 3));
        if (!CountSubstitutionItems(alternates.GetElementCount())) return kResultCorrupt;
        KettricUInt32List *list = glyph->AddAlternate(tag, 0);
        list->SetElementCount(alternates.GetElementCount());
        for (int32_t k = 0; k < alternates.GetElementCount(); ++k) (*list)[k] = alternates[k];
    }
    return 0;
}

uint32_t OpenTypeImporter::ReadLigatureSubtable(const LayoutTable &layout, uint32_t tag, uint32_t type,
                                                uint64_t subtable, FontStructure *glyphFont)
{
    const FontBytes &gsub = layout.table;
    if (type == 6 && tag == 'ccmp') return ReadContextSubtable(layout, subtable, glyphFont);
    if (type != 4) return 0;
    uint64_t coverage = subtable + gsub.GetUInt16(subtable + 2);
    if (coverage >= gsub.size) return kResultCorrupt;
    uint32_t glyphCount = glyphFont->glyphCount;
    uint32_t setCount = gsub.GetUInt16(subtable + 4);
    if (!ChargeLayoutWork(int64_t(setCount) * GetCoverageIndexCost(gsub, coverage))) return kResultCorrupt;
    for (uint32_t i = 0; i < setCount; ++i)
    {
        GlyphStructure *glyph = GetGlyph(glyphFont, GetCoverageGlyph(gsub, coverage, i));
        if (glyph == nullptr) continue;
        uint64_t set = subtable + gsub.GetUInt16(subtable + 6 + 2 * uint64_t(i));
        if (set >= gsub.size) return kResultCorrupt;
        uint32_t ligatureCount = gsub.GetUInt16(set);
        if (!ChargeLayoutWork(ligatureCount)) return kResultCorrupt;
        for (uint32_t k = 0; k < ligatureCount; ++k)
        {
            uint64_t ligature = set + gsub.GetUInt16(set + 2 + 2 * uint64_t(k));
            if (ligature >= gsub.size) return kResultCorrupt;
            uint32_t result = gsub.GetUInt16(ligature);
            uint32_t componentCount = gsub.GetUInt16(ligature + 2);
            if (result >= glyphCount || componentCount < 2 || componentCount > 255) continue;
            // The entry's key: kind, glyph, tag, then the further components.
            uint32_t key[3 + 254] = {'rall', glyph->glyphIndex, tag};
            uint32_t *components = key + 3;
            bool valid = gsub.Contains(ligature + 4, 2 * uint64_t(componentCount - 1));
            for (uint32_t c = 0; c + 1 < componentCount && valid; ++c)
            {
                components[c] = gsub.GetUInt16(ligature + 4 + 2 * uint64_t(c));
                valid = components[c] < glyphCount;
            }
            if (!valid || !substitutionEntries.Insert(key, int32_t(componentCount + 2))) continue;
            if (!CountSubstitutionItems(1)) return kResultCorrupt;
            glyph->AddLigature(tag, int32_t(componentCount - 1), components, result);
        }
    }
    return 0;
}

uint32_t OpenTypeImporter::AddContextEntry(const LayoutTable &layout, uint32_t lookupIndex, uint32_t input,
                                           int32_t backtrackCount, const GlyphClass *backtrack,
                                           int32_t lookaheadCount, const GlyphClass *lookahead)
{
    GlyphStructure *glyph = GetGlyph(featureFont, input);
    if (glyph == nullptr) return 0;
    uint64_t lookup = 0;
    uint32_t found = layout.GetLookup(lookupIndex, &lookup);
    if (found == kLookupMissing) return 0;
    if (found != 0) return found;
    if (!ChargeLayoutWork(layout.GetSubtableCount(lookup))) return kResultCorrupt;
    int32_t replacement = FindSingleSubstitution(layout, lookup, input);
    if (replacement < 0) return kResultCorrupt;
    if (replacement == 0 || uint32_t(replacement) >= featureFont->glyphCount) return 0;
    // The entry's key: kind, glyph, tag, the class counts, then each class with its size; an entry
    // equals another only with the same classes, so a shorter context is not taken for a longer one.
    Array<uint32_t> key;
    key.SetElementCount(5);
    key[0] = 'sbst';
    key[1] = input;
    key[2] = 'ccmp';
    key[3] = uint32_t(backtrackCount);
    key[4] = uint32_t(lookaheadCount);
    for (int32_t i = 0; i < backtrackCount + lookaheadCount; ++i)
    {
        const GlyphClass &glyphClass = i < backtrackCount ? backtrack[i] : lookahead[i - backtrackCount];
        if (glyphClass.count == 0) return 0;
        if (!CountSubstitutionItems(glyphClass.count)) return kResultCorrupt;
        key.AddElement(uint32_t(glyphClass.count));
        for (int32_t k = 0; k < glyphClass.count; ++k) key.AddElement(glyphClass.glyphs[k]);
    }
    if (!substitutionEntries.Insert(key.GetElements(), key.GetElementCount())) return 0;
    if (!CountSubstitutionItems(1)) return kResultCorrupt;
    glyph->AddContextSubstitution('ccmp', backtrackCount, backtrack, lookaheadCount, lookahead, uint32_t(replacement));
    return 0;
}

uint32_t OpenTypeImporter::ReadContextSubtable(const LayoutTable &layout, uint64_t subtable, FontStructure *glyphFont)
{
    const FontBytes &gsub = layout.table;
    uint32_t glyphCount = glyphFont->glyphCount;
    uint32_t format = gsub.GetUInt16(subtable);
    if (format == 1)
    {
        uint64_t coverage = subtable + gsub.GetUInt16(subtable + 2);
        if (coverage >= gsub.size) return kResultCorrupt;
        uint32_t setCount = gsub.GetUInt16(subtable + 4);
        if (!ChargeLayoutWork(int64_t(setCount) * GetCoverageIndexCost(gsub, coverage))) return kResultCorrupt;
        for (uint32_t i = 0; i < setCount; ++i)
        {
            uint32_t input = GetCoverageGlyph(gsub, coverage, i);
            if (input == 0 || input >= glyphCount) continue;
            uint64_t set = subtable + gsub.GetUInt16(subtable + 6 + 2 * uint64_t(i));
            if (set >= gsub.size) return kResultCorrupt;
            uint32_t ruleCount = gsub.GetUInt16(set);
            if (!ChargeLayoutWork(ruleCount)) return kResultCorrupt;
            for (uint32_t r = 0; r < ruleCount; ++r)
            {
                uint64_t rule = set + gsub.GetUInt16(set + 2 + 2 * uint64_t(r));
                if (rule >= gsub.size) return kResultCorrupt;
                uint32_t backtrackCount = gsub.GetUInt16(rule);
                uint64_t at = rule + 2 + 2 * uint64_t(backtrackCount);
                if (gsub.GetUInt16(at) != 1) continue;
                uint64_t lookaheadAt = at + 2;
                uint32_t lookaheadCount = gsub.GetUInt16(lookaheadAt);
                uint64_t substitutionAt = lookaheadAt + 2 + 2 * uint64_t(lookaheadCount);
                if (gsub.GetUInt16(substitutionAt) != 1 || gsub.GetUInt16(substitutionAt + 2) != 0) continue;
                if (!gsub.Contains(substitutionAt, 6)) continue;
                // One list of one glyph per context glyph; a glyph past the glyph count makes no entry.
                Array<uint32_t> glyphs;
                Array<GlyphClass> classes;
                glyphs.SetElementCount(int32_t(backtrackCount + lookaheadCount));
                bool valid = true;
                for (uint32_t k = 0; k < backtrackCount + lookaheadCount; ++k)
                {
                    uint64_t position = k < backtrackCount ? rule + 2 + 2 * uint64_t(k)
                                                           : lookaheadAt + 2 + 2 * uint64_t(k - backtrackCount);
                    glyphs[int32_t(k)] = gsub.GetUInt16(position);
                    valid = valid && glyphs[int32_t(k)] < glyphCount;
                }
                if (!valid) continue;
                for (uint32_t k = 0; k < backtrackCount + lookaheadCount; ++k)
                    classes.AddElement(GlyphClass{1, &glyphs[int32_t(k)]});
                const GlyphClass *first = classes.GetElementCount() > 0 ? &classes[0] : nullptr;
                if (uint32_t result = AddContextEntry(layout, gsub.GetUInt16(substitutionAt + 4), input,
                                                      int32_t(backtrackCount), first, int32_t(lookaheadCount),
                                                      first != nullptr ? first + backtrackCount : nullptr))
                {
                    return result;
                }
            }
        }
        return 0;
    }
    if (format != 3) return 0;
    uint32_t backtrackCount = gsub.GetUInt16(subtable + 2);
    uint64_t inputAt = subtable + 4 + 2 * uint64_t(backtrackCount);
    if (gsub.GetUInt16(inputAt) != 1) return 0;
    uint64_t lookaheadAt = inputAt + 4;
    uint32_t lookaheadCount = gsub.GetUInt16(lookaheadAt);
    uint64_t substitutionAt = lookaheadAt + 2 + 2 * uint64_t(lookaheadCount);
    if (gsub.GetUInt16(substitutionAt) != 1 || gsub.GetUInt16(substitutionAt + 2) != 0) return 0;
    if (!gsub.Contains(substitutionAt, 6)) return 0;
    uint32_t contextCount = backtrackCount + lookaheadCount;
    if (!ChargeLayoutWork(int64_t(contextCount + 1) * (glyphCount / 8 + 1))) return kResultCorrupt;
    uint64_t inputCoverage = subtable + gsub.GetUInt16(inputAt + 2);
    if (inputCoverage >= gsub.size) return kResultCorrupt;
    Array<uint32_t> inputs;
    ListCoverageGlyphs(gsub, inputCoverage, glyphCount, &inputs);
    Array<Array<uint32_t>> lists;
    lists.SetElementCount(int32_t(contextCount));
    Array<GlyphClass> classes;
    for (uint32_t k = 0; k < contextCount; ++k)
    {
        uint64_t position = k < backtrackCount ? subtable + 4 + 2 * uint64_t(k)
                                               : lookaheadAt + 2 + 2 * uint64_t(k - backtrackCount);
        uint64_t coverage = subtable + gsub.GetUInt16(position);
        if (coverage >= gsub.size) return kResultCorrupt;
        ListCoverageGlyphs(gsub, coverage, glyphCount, &lists[int32_t(k)]);
    }
    for (uint32_t k = 0; k < contextCount; ++k)
    {
        Array<uint32_t> &list = lists[int32_t(k)];
        classes.AddElement(GlyphClass{list.GetElementCount(), list.GetElementCount() > 0 ? &list[0] : nullptr});
    }
    const GlyphClass *first = classes.GetElementCount() > 0 ? &classes[0] : nullptr;
    uint32_t lookupIndex = gsub.GetUInt16(substitutionAt + 4);
    uint64_t lookup = 0;
    uint32_t found = layout.GetLookup(lookupIndex, &lookup);
    if (found == kLookupMissing) return 0;
    if (found != 0) return found;
    for (int32_t i = 0; i < inputs.GetElementCount(); ++i)
    {
        if (uint32_t result = AddContextEntry(layout, lookupIndex, inputs[i], int32_t(backtrackCount), first,
                                              int32_t(lookaheadCount), first != nullptr ? first + backtrackCount : nullptr))
        {
            return result;
        }
    }
    return 0;
}

}  // namespace oq
