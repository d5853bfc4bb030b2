// Ligature carets, kerning pairs and mark anchors of the positioning tables.
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/LayoutCommon.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

namespace oq {

namespace {

GlyphStructure *GetGlyph(FontStructure *font, uint32_t glyph)
{
    if (glyph >= font->glyphCount || glyph >= font->glyphTableSize) return nullptr;
    return font->glyphTable[glyph];
}

}  // namespace

void OpenTypeImporter::BeginGlyphFeatures(FontStructure *glyphFont)
{
    if (featureFont == glyphFont) return;
    featureFont = glyphFont;
    kernPairs.Clear();
    layoutWork = 0;
    anchorClasses.Clear();
    substitutionItems = 0;
    substitutionEntries.Clear();
    colorGlyphsRead = false;
}

uint32_t OpenTypeImporter::OpenLayoutTable(uint64_t offsetTable, uint32_t tag, LayoutTable *layout)
{
    FontBytes bytes;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, tag, &bytes)) return result;
    if (!bytes.IsPresent()) return 0;
    return layout->Open(bytes, tag == 'GSUB' ? 7 : 9);
}

bool OpenTypeImporter::ChargeLayoutWork(int64_t amount)
{
    layoutWork += amount;
    return layoutWork <= kMaxLayoutWork;
}

uint32_t OpenTypeImporter::ReadLigatureCarets(uint64_t offsetTable, FontStructure *glyphFont)
{
    BeginGlyphFeatures(glyphFont);
    FontBytes table;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'GDEF', &table)) return result;
    if (!table.IsPresent()) return 0;
    uint64_t list = table.GetUInt16(8);
    if (list == 0) return 0;
    if (list >= table.size) return kResultCorrupt;
    uint64_t coverage = list + table.GetUInt16(list);
    if (coverage >= table.size) return kResultCorrupt;
    uint32_t ligGlyphCount = table.GetUInt16(list + 2);
    // The caret list is read once per face: its coverage lookups stay within the budget.
    if (!ChargeLayoutWork(int64_t(ligGlyphCount) * GetCoverageIndexCost(table, coverage))) return kResultCorrupt;
    float s = glyphFont->inverseUnitsPerEm;
    for (uint32_t j = 0; j < ligGlyphCount; ++j)
    {
        uint64_t ligGlyph = list + table.GetUInt16(list + 4 + 2 * uint64_t(j));
        if (ligGlyph >= table.size) return kResultCorrupt;
        GlyphStructure *glyph = GetGlyph(glyphFont, GetCoverageGlyph(table, coverage, j));
        if (glyph == nullptr || glyph->glyphIndex == 0) continue;
        uint32_t caretCount = table.GetUInt16(ligGlyph);
        if (caretCount == 0) continue;
        bool usable = true;
        for (uint32_t k = 0; k < caretCount; ++k)
        {
            uint64_t value = ligGlyph + table.GetUInt16(ligGlyph + 2 + 2 * uint64_t(k));
            if (value >= table.size) return kResultCorrupt;
            uint32_t format = table.GetUInt16(value);
            if (format != 1 && format != 3)
            {
                usable = false;
                break;
            }
        }
        // A Glyph takes one Caret: the faces of a shared collection add it once.
        if (!usable || glyph->caret != nullptr) continue;
        auto *caret = new CaretStructure;
        glyph->caret = caret;
        glyph->AppendSubnode(caret);
        KettricFloatList *positions = caret->AppendFloatList(0);
        positions->SetElementCount(int32_t(caretCount));
        for (uint32_t k = 0; k < caretCount; ++k)
        {
            uint64_t value = ligGlyph + table.GetUInt16(ligGlyph + 2 + 2 * uint64_t(k));
            (*positions)[int32_t(k)] = float(table.GetInt16(value + 2)) * s;
        }
    }
    return 0;
}

uint32_t OpenTypeImporter::AddKern(FontStructure *glyphFont, uint32_t second, uint32_t first, int32_t value,
                                   bool vertical)
{
    if (!ChargeLayoutWork(1)) return kResultCorrupt;
    GlyphStructure *glyph = GetGlyph(glyphFont, second);
    if (glyph == nullptr || second == 0) return 0;
    if (!kernPairs.Insert(second, first, vertical)) return 0;
    if (kernPairs.GetCount() > kMaxKernPairs) return kResultCorrupt;
    glyph->AddKernPair(first, float(value) * glyphFont->inverseUnitsPerEm, vertical);
    return 0;
}

uint32_t OpenTypeImporter::ReadPairSubtable(const FontBytes &table, uint64_t subtable, bool vertical,
                                            PairCoverage *covered, FontStructure *glyphFont)
{
    uint64_t coverage = subtable + table.GetUInt16(subtable + 2);
    if (coverage >= table.size) return kResultCorrupt;
    uint32_t valueFormat1 = table.GetUInt16(subtable + 4);
    uint32_t valueFormat2 = table.GetUInt16(subtable + 6);
    uint32_t recordSize = GetValueRecordSize(valueFormat1) + GetValueRecordSize(valueFormat2);
    uint32_t glyphCount = glyphFont->glyphCount;
    uint32_t format = table.GetUInt16(subtable);
    // A pair that an earlier subtable of the lookup covers takes that subtable's value, 0 included.
    if (format == 1)
    {
        uint32_t pairSetCount = table.GetUInt16(subtable + 8);
        if (!ChargeLayoutWork(int64_t(pairSetCount) * GetCoverageIndexCost(table, coverage))) return kResultCorrupt;
        for (uint32_t j = 0; j < pairSetCount; ++j)
        {
            uint32_t first = GetCoverageGlyph(table, coverage, j);
            if (first == 0 || first >= glyphCount) continue;
            uint64_t pairSet = subtable + table.GetUInt16(subtable + 10 + 2 * uint64_t(j));
            uint32_t pairValueCount = table.GetUInt16(pairSet);
            if (!ChargeLayoutWork(1)) return kResultCorrupt;
            bool firstCovered = covered->CoversFirst(first);
            uint64_t position = pairSet + 2;
            for (uint32_t i = 0; i < pairValueCount; ++i)
            {
                if (!table.Contains(position, 2 + uint64_t(recordSize))) break;
                uint32_t second = table.GetUInt16(position);
                position += 2;
                int32_t value = ReadPairValue(table, &position, valueFormat1, valueFormat2, vertical);
                if (!ChargeLayoutWork(1)) return kResultCorrupt;
                if (firstCovered || second == 0 || second >= glyphCount) continue;
                // The first mention of a pair in the lookup decides it.
                bool firstMention = covered->AddPair(first, second);
                if (covered->GetPairCount() > kMaxKernPairs) return kResultCorrupt;
                if (!firstMention || value == 0) continue;
                if (uint32_t result = AddKern(glyphFont, second, first, value, vertical)) return result;
            }
        }
    }
    else if (format == 2)
    {
        if (!ChargeLayoutWork(glyphCount / 8)) return kResultCorrupt;
        ClassDefinitionList firstList(glyphCount);
        firstList.ReadClassDefinition(table, subtable + table.GetUInt16(subtable + 8));
        firstList.AddCoverageClassZero(table, coverage);
        firstList.SortByClass();
        ClassDefinitionList secondList(glyphCount);
        secondList.ReadClassDefinition(table, subtable + table.GetUInt16(subtable + 10));
        secondList.SortByClass();
        uint32_t class1Count = table.GetUInt16(subtable + 12);
        uint32_t class2Count = table.GetUInt16(subtable + 14);
        uint64_t position = subtable + 16;
        for (uint32_t c1 = 0; c1 < class1Count; ++c1)
        {
            // Records that run past the table end the subtable.
            if (!table.Contains(position, uint64_t(class2Count) * recordSize)) break;
            if (!ChargeLayoutWork(class2Count)) return kResultCorrupt;
            const GlyphClassEntry *firsts = nullptr;
            int32_t firstCount = firstList.GetClassEntries(c1, &firsts);
            for (uint32_t c2 = 0; c2 < class2Count; ++c2)
            {
                int32_t value = ReadPairValue(table, &position, valueFormat1, valueFormat2, vertical);
                if (value == 0 || firstCount == 0) continue;
                const GlyphClassEntry *seconds = nullptr;
                int32_t secondCount = secondList.GetClassEntries(c2, &seconds);
                for (int32_t a = 0; a < firstCount; ++a)
                {
                    if (firsts[a].glyph == 0 || covered->CoversFirst(firsts[a].glyph)) continue;
                    for (int32_t b = 0; b < secondCount; ++b)
                    {
                        if (seconds[b].glyph == 0) continue;
                        if (covered->Covers(firsts[a].glyph, seconds[b].glyph))
                        {
                            if (!ChargeLayoutWork(1)) return kResultCorrupt;
                            continue;
                        }
                        if (uint32_t result = AddKern(glyphFont, seconds[b].glyph, firsts[a].glyph, value, vertical))
                        {
                            return result;
                        }
                    }
                }
            }
        }
        // The coverage glyphs of a class that has records cover every pair they begin, for the
        // subtables after this one. (A second glyph of a class past class2Count is not covered
        // in OpenType; it is taken as covered here, which only damaged tables meet.)
        if (class2Count != 0)
        {
            Array<uint32_t> coverageGlyphs;
            ListCoverageGlyphs(table, coverage, glyphCount, &coverageGlyphs);
            Array<uint8_t> inCoverage;
            inCoverage.SetElementCount(int32_t(glyphCount));
            for (uint32_t g = 0; g < glyphCount; ++g) inCoverage[int32_t(g)] = 0;
            for (int32_t k = 0; k < coverageGlyphs.GetElementCount(); ++k) inCoverage[int32_t(coverageGlyphs[k])] = 1;
            const Array<GlyphClassEntry> &entries = firstList.GetEntries();
            for (int32_t k = 0; k < entries.GetElementCount(); ++k)
                if (entries[k].classValue < class1Count && inCoverage[int32_t(entries[k].glyph)] != 0)
                    covered->AddFirst(entries[k].glyph);
        }
    }
    return 0;
}

uint32_t OpenTypeImporter::ReadKerning(uint64_t offsetTable, FontStructure *glyphFont)
{
    BeginGlyphFeatures(glyphFont);
    LayoutTable layout;
    if (uint32_t result = OpenLayoutTable(offsetTable, 'GPOS', &layout)) return result;
    const FontBytes &gpos = layout.table;
    if (gpos.IsPresent())
    {
        GlyphPairSet readLookups;
        uint32_t featureCount = layout.GetFeatureCount();
        for (uint32_t f = 0; f < featureCount; ++f)
        {
            uint32_t tag = layout.GetFeatureTag(f);
            if (tag != 'kern' && tag != 'vkrn') continue;
            bool vertical = tag == 'vkrn';
            if (!ChargeLayoutWork(1 + layout.GetFeatureLookupCount(f))) return kResultCorrupt;
            uint32_t result = layout.ForEachFeatureLookup(f, [&](uint32_t lookupIndex, uint64_t lookup) -> uint32_t {
                // A lookup read once for a direction adds nothing the second time.
                if (!readLookups.Insert(lookupIndex + 1, 0, vertical)) return 0;
                if (!ChargeLayoutWork(layout.GetSubtableCount(lookup) + 1)) return kResultCorrupt;
                PairCoverage covered;
                return layout.ForEachSubtable(lookup, [&](uint32_t type, uint64_t subtable) {
                    return type == 2 ? ReadPairSubtable(gpos, subtable, vertical, &covered, glyphFont) : 0;
                });
            });
            if (result != 0) return result;
        }
    }

    FontBytes kern;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'kern', &kern)) return result;
    if (!kern.IsPresent() || kern.GetUInt16(0) != 0 || kern.GetUInt16(2) != 1 || kern.GetUInt16(4) != 0 ||
        kern.GetUInt16(8) != 0x0001 || !kern.Contains(0, 10))
    {
        return 0;
    }
    uint32_t pairCount = kern.GetUInt16(10);
    for (uint32_t i = 0; i < pairCount; ++i)
    {
        uint64_t record = 18 + 6 * uint64_t(i);
        if (!kern.Contains(record, 6)) break;
        uint32_t left = kern.GetUInt16(record);
        uint32_t right = kern.GetUInt16(record + 2);
        if (left == 0 || right == 0 || left >= glyphFont->glyphCount || right >= glyphFont->glyphCount) continue;
        if (uint32_t result = AddKern(glyphFont, right, left, kern.GetInt16(record + 4), false)) return result;
    }
    return 0;
}

uint32_t OpenTypeImporter::AddAnchor(GlyphStructure *glyph, bool base, uint32_t classIndex, const FontBytes &table,
                                     uint64_t anchor)
{
    if (anchor >= table.size) return kResultCorrupt;
    // The set stands for FindBaseAnchor and FindMarkAnchor, which scan the glyph's anchors.
    if (!anchorClasses.Insert(glyph->glyphIndex + 1, classIndex, base)) return 0;
    if (anchorClasses.GetCount() > kMaxAnchors) return kResultCorrupt;
    float s = featureFont->inverseUnitsPerEm;
    float position[2] = {float(table.GetInt16(anchor + 2)) * s, float(table.GetInt16(anchor + 4)) * s};
    if (base) glyph->AddBaseAnchor(classIndex, position);
    else glyph->AddMarkAnchor(classIndex, position);
    return 0;
}

uint32_t OpenTypeImporter::ReadMarkAnchors(uint64_t offsetTable, FontStructure *glyphFont)
{
    BeginGlyphFeatures(glyphFont);
    LayoutTable layout;
    if (uint32_t result = OpenLayoutTable(offsetTable, 'GPOS', &layout)) return result;
    const FontBytes &gpos = layout.table;
    if (!gpos.IsPresent()) return 0;
    uint32_t counters[2] = {0, 0x10000};
    uint32_t featureCount = layout.GetFeatureCount();
    for (uint32_t f = 0; f < featureCount; ++f)
    {
        uint32_t tag = layout.GetFeatureTag(f);
        if (tag != 'abvm' && tag != 'blwm' && tag != 'mark' && tag != 'mkmk') continue;
        bool markToMark = tag == 'mkmk';
        uint32_t &counter = counters[markToMark ? 1 : 0];
        if (!ChargeLayoutWork(1 + layout.GetFeatureLookupCount(f))) return kResultCorrupt;
        uint32_t result = layout.ForEachFeatureLookup(f, [&](uint32_t, uint64_t lookup) -> uint32_t {
            if (!ChargeLayoutWork(layout.GetSubtableCount(lookup) + 1)) return kResultCorrupt;
            return layout.ForEachSubtable(lookup, [&](uint32_t type, uint64_t subtable) -> uint32_t {
                return type == (markToMark ? 6u : 4u) ? ReadMarkSubtable(gpos, subtable, &counter, glyphFont) : 0;
            });
        });
        if (result != 0) return result;
    }
    return 0;
}

uint32_t OpenTypeImporter::ReadMarkSubtable(const FontBytes &gpos, uint64_t subtable, uint32_t *counter,
                                            FontStructure *glyphFont)
{
    uint64_t markCoverage = subtable + gpos.GetUInt16(subtable + 2);
    uint64_t baseCoverage = subtable + gpos.GetUInt16(subtable + 4);
    uint32_t markClassCount = gpos.GetUInt16(subtable + 6);
    uint64_t markArray = subtable + gpos.GetUInt16(subtable + 8);
    uint64_t baseArray = subtable + gpos.GetUInt16(subtable + 10);
    if (markCoverage >= gpos.size || baseCoverage >= gpos.size || markArray >= gpos.size ||
        baseArray >= gpos.size)
    {
        return kResultCorrupt;
    }
    if (markClassCount != 0)
    {
        uint32_t markCount = gpos.GetUInt16(markArray);
        if (!ChargeLayoutWork(int64_t(markCount) * GetCoverageIndexCost(gpos, markCoverage))) return kResultCorrupt;
        for (uint32_t i = 0; i < markCount; ++i)
        {
            uint64_t record = markArray + 2 + 4 * uint64_t(i);
            if (!gpos.Contains(record, 4)) break;
            GlyphStructure *glyph = GetGlyph(glyphFont, GetCoverageGlyph(gpos, markCoverage, i));
            uint32_t markClass = gpos.GetUInt16(record);
            // A class beyond the class count has no base anchors to meet.
            if (glyph == nullptr || glyph->glyphIndex == 0 || markClass >= markClassCount) continue;
            if (uint32_t result = AddAnchor(glyph, false, *counter + markClass, gpos,
                                            markArray + gpos.GetUInt16(record + 2)))
            {
                return result;
            }
        }
    }
    uint32_t baseCount = gpos.GetUInt16(baseArray);
    if (!ChargeLayoutWork(int64_t(baseCount) * (markClassCount + GetCoverageIndexCost(gpos, baseCoverage))))
    {
        return kResultCorrupt;
    }
    for (uint32_t i = 0; i < baseCount; ++i)
    {
        uint64_t record = baseArray + 2 + 2 * uint64_t(markClassCount) * i;
        if (!gpos.Contains(record, 2 * uint64_t(markClassCount))) break;
        GlyphStructure *glyph = GetGlyph(glyphFont, GetCoverageGlyph(gpos, baseCoverage, i));
        if (glyph == nullptr || glyph->glyphIndex == 0) continue;
        for (uint32_t c = 0; c < markClassCount; ++c)
        {
            uint32_t anchor = gpos.GetUInt16(record + 2 * uint64_t(c));
            if (anchor == 0) continue;
            if (uint32_t result = AddAnchor(glyph, true, *counter + c, gpos, baseArray + anchor)) return result;
        }
    }
    *counter += markClassCount;
    return 0;
}

}  // namespace oq
