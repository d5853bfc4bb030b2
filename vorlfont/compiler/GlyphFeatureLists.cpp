#include "vorlfont/compiler/GlyphFeatureLists.h"

#include "ambrel/AttachmentStructures.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/SubstitutionStructures.h"
#include "base/Graph.h"
#include "vorl/text/VorlFileFontRecord.h"
#include "vorlfont/compiler/CompileResultCodes.h"
#include "vorlfont/compiler/GlyphSelection.h"
#include "vorlfont/compiler/ListOutput.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

// Packs a list word into the glyph's record (and its outline record when the word is shared).
[[nodiscard]] bool SetWord(const FeatureListTarget &target, uint32_t position, uint32_t VorlGlyphRecord::*member,
                           ListPacking packing, uint32_t index, uint32_t count, bool outline)
{
    uint32_t word = 0;
    if (!PackListWord(packing, index, count, &word)) return false;
    target.records[position].*member = word;
    if (outline && target.outlineRecords != nullptr) target.outlineRecords[position].*member = word;
    return true;
}

}  // namespace

uint32_t WriteKerningPairs(const FeatureListTarget &target, KerningListEntry *out, uint32_t capacity,
                           uint32_t *count)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<KerningListEntry> list(out, capacity);
    Array<KerningListEntry> pairs;
    for (uint32_t i = 0; i < s.layerStart; ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        if (glyph == nullptr) continue;
        pairs.SetElementCount(0);
        for (const KernStructure *kern = glyph->horizontalKerns.GetFirst(); kern != nullptr;
             kern = StructureList<KernStructure>::GetNext(kern))
        {
            const uint32_t *glyphs = nullptr;
            const float *values = nullptr;
            int32_t n = std::min(kern->GetGlyphs(&glyphs), kern->GetValues(&values));
            for (int32_t k = 0; k < n; ++k)
            {
                uint32_t number = s.GetNewNumber(glyphs[k]);
                if (number != 0) pairs.AddElement({number, values[k]});
            }
        }
        uint32_t j = uint32_t(pairs.GetElementCount());
        if (j == 0) continue;
        // The writing pass shares a run already stored; the counting pass counts every run.
        const KerningListEntry *stored = list.GetStored();
        uint32_t storedCount = list.GetStoredCount();
        uint32_t at = list.GetCount();
        for (uint32_t n = 0; list.IsWriting() && n + j <= storedCount && at == list.GetCount(); ++n)
        {
            uint32_t k = 0;
            while (k < j && stored[n + k].precedingGlyph == pairs[int32_t(k)].precedingGlyph &&
                   stored[n + k].value == pairs[int32_t(k)].value)
                ++k;
            if (k == j) at = n;
        }
        if (at == list.GetCount())
        {
            if (KerningListEntry *place = list.Take(j))
                std::memcpy(place, pairs.GetElements(), j * sizeof(KerningListEntry));
        }
        if (list.IsWriting() && !SetWord(target, i, &VorlGlyphRecord::kerningWord, ListPacking::kB, at, j, true))
            return kResultSizeExceeded;
    }
    *count = list.GetCount();
    return 0;
}

namespace {

[[nodiscard]] bool WriteAnchorList(const FeatureListTarget &target, uint32_t position,
                                   const StructureList<AnchorStructure> &anchors, uint32_t VorlGlyphRecord::*member,
                                   ListOutput<AnchorListEntry> *list)
{
    uint32_t first = list->GetCount();
    for (const AnchorStructure *a = anchors.GetFirst(); a != nullptr; a = StructureList<AnchorStructure>::GetNext(a))
    {
        if (AnchorListEntry *place = list->Take(1))
        {
            Point2D p = a->GetPosition();
            *place = {int32_t(a->classIndex), p.x, p.y};
        }
    }
    return !list->IsWriting() ||
           SetWord(target, position, member, ListPacking::kA, first, list->GetCount() - first, true);
}

}  // namespace

uint32_t WriteAnchors(const FeatureListTarget &target, AnchorListEntry *baseOut, uint32_t baseCapacity,
                      uint32_t *baseCount, AnchorListEntry *markOut, uint32_t markCapacity, uint32_t *markCount)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<AnchorListEntry> base(baseOut, baseCapacity);
    ListOutput<AnchorListEntry> mark(markOut, markCapacity);
    *baseCount = 0;
    *markCount = 0;
    for (uint32_t i = 0; i < s.GetCount(); ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        if (glyph == nullptr) continue;
        if (!WriteAnchorList(target, i, glyph->baseAnchors, &VorlGlyphRecord::baseAnchorWord, &base) ||
            !WriteAnchorList(target, i, glyph->markAnchors, &VorlGlyphRecord::markAnchorWord, &mark))
            return kResultSizeExceeded;
    }
    *baseCount = base.GetCount();
    *markCount = mark.GetCount();
    return 0;
}

uint32_t FindOrAppendGlyphRun(uint32_t n, const uint32_t *glyphs, Array<uint32_t> *pool)
{
    uint32_t size = uint32_t(pool->GetElementCount());
    const uint32_t *words = pool->GetElements();
    for (uint32_t at = 0; at < size; at += words[at] + 1)
    {
        if (words[at] == n && at + 1 + n <= size && std::memcmp(words + at + 1, glyphs, size_t(n) * 4) == 0) return at;
    }
    pool->AddElement(n);
    for (uint32_t k = 0; k < n; ++k) pool->AddElement(glyphs[k]);
    return size;
}

namespace {

// The words of one Sequence, built before it is known to be written.
struct SequenceWords
{
    Array<uint32_t> glyphWords;
    Array<uint32_t> ruleWords;
    uint8_t counts[4] = {};
};

// The word of a Match: a selected single glyph, or a pool run of the nonzero new numbers of its
// glyphs, sorted and unique. False when the Match can match no selected glyph.
bool MatchWord(const GlyphSelection &s, const MatchStructure *match, Array<uint32_t> *pool, uint32_t *word)
{
    const uint32_t *glyphs = nullptr;
    int32_t n = match->GetGlyphs(&glyphs);
    if (n == 1)
    {
        *word = s.GetNewNumber(glyphs[0]);
        return s.IsSelected(glyphs[0]);
    }
    Array<uint32_t> set;
    for (int32_t k = 0; k < n; ++k)
    {
        uint32_t number = s.GetNewNumber(glyphs[k]);
        if (number != 0) set.AddElement(number);
    }
    std::sort(set.begin(), set.end());
    int32_t unique = int32_t(std::unique(set.begin(), set.end()) - set.begin());
    if (unique == 0) return false;
    *word = (pool != nullptr) ? kSequenceGlyphSetBit | FindOrAppendGlyphRun(uint32_t(unique), set.GetElements(), pool)
                              : kSequenceGlyphSetBit;
    return true;
}

// The two words of a Rule; false for a Rule that is skipped.
bool RuleWords(const GlyphSelection &s, const RuleStructure *rule, uint32_t words[2])
{
    const KettricUInt32List *list = rule->GetFirstUInt32List();
    if (list == nullptr || list->GetElementCount() < 1) return false;
    if (rule->ruleKind == 'rall')
    {
        if (list->GetArraySize() > 1 || !s.IsSelected((*list)[0])) return false;
        words[0] = 0;
        words[1] = s.GetNewNumber((*list)[0]);
        return true;
    }
    if (rule->ruleKind == 'sbst')
    {
        if (list->GetArraySize() != 2 || list->GetElementCount() < 2) return false;
        uint32_t position = (*list)[0];
        if (position > 0xFFFF || !s.IsSelected((*list)[1])) return false;
        words[0] = 1 | position << 16;
        words[1] = s.GetNewNumber((*list)[1]);
        return true;
    }
    return false;
}

bool BuildSequence(const GlyphSelection &s, const SequenceStructure *sequence, Array<uint32_t> *pool, SequenceWords *w)
{
    const uint32_t kinds[3] = {0, 'bkwd', 'frwd'};
    w->glyphWords.SetElementCount(0);
    w->ruleWords.SetElementCount(0);
    for (int32_t k = 0; k < 3; ++k)
    {
        uint32_t n = 0;
        for (const MatchStructure *m = sequence->matchList.GetFirst(); m != nullptr && n < 255;
             m = StructureList<MatchStructure>::GetNext(m))
        {
            if (m->matchKind != kinds[k]) continue;
            uint32_t word = 0;
            if (!MatchWord(s, m, pool, &word)) return false;
            w->glyphWords.AddElement(word);
            ++n;
        }
        w->counts[k] = uint8_t(n);
    }
    uint32_t rules = 0;
    for (const RuleStructure *r = sequence->ruleList.GetFirst(); r != nullptr && rules < 255;
         r = StructureList<RuleStructure>::GetNext(r))
    {
        uint32_t words[2];
        if (!RuleWords(s, r, words)) continue;
        w->ruleWords.AddElement(words[0]);
        w->ruleWords.AddElement(words[1]);
        ++rules;
    }
    w->counts[3] = uint8_t(rules);
    return true;
}

}  // namespace

uint32_t WriteSequences(const FeatureListTarget &target, uint32_t *out, uint32_t capacity, uint32_t *count,
                        Array<uint32_t> *pool)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<uint32_t> list(out, capacity);
    SequenceWords w;
    for (uint32_t i = 0; i < s.layerStart; ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        if (glyph == nullptr) continue;
        uint32_t first = list.GetCount();
        uint32_t sequences = 0;
        for (const SequenceStructure *q = glyph->sequences.GetFirst(); q != nullptr;
             q = StructureList<SequenceStructure>::GetNext(q))
        {
            uint16_t classBits = FeatureTagToLigatureClass(q->featureTag, target.timesLig);
            if (classBits == 0 || !BuildSequence(s, q, (out != nullptr) ? pool : nullptr, &w)) continue;
            uint32_t length = kSequenceHeadWords + uint32_t(w.glyphWords.GetElementCount()) +
                              uint32_t(w.ruleWords.GetElementCount());
            if (uint32_t *place = list.Take(length))
            {
                SequenceEntryHead head = {classBits, uint16_t(length), w.counts[0], w.counts[1], w.counts[2], w.counts[3]};
                std::memcpy(place, &head, sizeof(head));
                uint32_t *p = place + kSequenceHeadWords;
                for (uint32_t word : w.glyphWords) *p++ = word;
                for (uint32_t word : w.ruleWords) *p++ = word;
            }
            ++sequences;
        }
        if (list.IsWriting() && sequences != 0 &&
            !SetWord(target, i, &VorlGlyphRecord::sequenceWord, ListPacking::kB, first, sequences, true))
            return kResultSizeExceeded;
    }
    *count = list.GetCount();
    return 0;
}

uint32_t WriteAlternateEntries(const FeatureListTarget &target, AlternateListEntry *out, uint32_t capacity,
                               uint32_t *count)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<AlternateListEntry> list(out, capacity);
    for (uint32_t i = 0; i < s.layerStart; ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        if (glyph == nullptr) continue;
        uint32_t first = list.GetCount();
        for (const AlternateStructure *a = glyph->alternates.GetFirst(); a != nullptr;
             a = StructureList<AlternateStructure>::GetNext(a))
        {
            uint32_t bits = FeatureTagToAlternateBits(a->featureTag);
            if (bits == 0) continue;
            const uint32_t *glyphs = nullptr;
            int32_t n = a->GetGlyphs(&glyphs);
            // A feature whose word carries a selector takes its first glyph only.
            if (FeatureHasSelector(a->featureTag)) n = std::min(n, 1);
            for (int32_t k = 0; k < n && k <= 255; ++k)
            {
                if (s.IsSelected(glyphs[k])) list.Add({bits | uint32_t(k) << 24, s.GetNewNumber(glyphs[k])});
            }
        }
        if (list.IsWriting() && !SetWord(target, i, &VorlGlyphRecord::alternateWord, ListPacking::kB, first,
                                         list.GetCount() - first, true))
            return kResultSizeExceeded;
    }
    *count = list.GetCount();
    return 0;
}

uint32_t WriteDecompositionLists(const FeatureListTarget &target, uint32_t *out, uint32_t capacity, uint32_t *count)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<uint32_t> list(out, capacity);
    for (uint32_t i = 0; i < s.decompositionStart; ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        const DecomposeStructure *d = (glyph != nullptr) ? glyph->GetDecomposition() : nullptr;
        if (d == nullptr) continue;
        uint32_t first = list.GetCount();
        const uint32_t *glyphs = nullptr;
        int32_t n = d->GetGlyphs(&glyphs);
        for (int32_t k = 0; k < n; ++k)
        {
            if (s.IsSelected(glyphs[k])) list.Add(s.GetNewNumber(glyphs[k]));
        }
        if (!list.IsWriting()) continue;
        // A Decompose without glyphs still gets its index.
        uint32_t components = list.GetCount() - first;
        if (first >> 24 != 0 || components > 255) return kResultSizeExceeded;
        uint32_t word = MakeListWordA(first, components);
        target.records[i].decompositionWord = word;
        if (target.outlineRecords != nullptr) target.outlineRecords[i].decompositionWord = word;
    }
    *count = list.GetCount();
    return 0;
}

uint32_t WriteLayers(const FeatureListTarget &target, LayerListEntry *out, uint32_t capacity, uint32_t *count)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<LayerListEntry> list(out, capacity);
    for (uint32_t i = 0; i < s.layerStart; ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        const EmojiStructure *e = (glyph != nullptr) ? glyph->emoji : nullptr;
        if (e == nullptr) continue;
        uint32_t first = list.GetCount();
        int32_t n = std::min(e->glyphArray.GetElementCount(), e->colorArray.GetElementCount());
        for (int32_t k = 0; k < n; ++k)
        {
            if (!s.IsSelected(e->glyphArray[k])) continue;
            uint32_t color = e->colorArray[k];
            list.Add({s.GetNewNumber(e->glyphArray[k]),
                      {uint8_t(color), uint8_t(color >> 8), uint8_t(color >> 16), uint8_t(color >> 24)}});
        }
        if (list.IsWriting() &&
            !SetWord(target, i, &VorlGlyphRecord::layerWord, ListPacking::kA, first, list.GetCount() - first, false))
            return kResultSizeExceeded;
    }
    *count = list.GetCount();
    return 0;
}

namespace {

bool IsCaretLigatureFeature(uint32_t tag)
{
    return tag == 'dlig' || tag == 'hlig' || tag == 'liga' || tag == 'rlig';
}

// The one Sequence that produces the glyph, or null when none or several do.
const SequenceStructure *ProducingSequence(const GlyphStructure *glyph)
{
    const SequenceStructure *found = nullptr;
    const List &edges = glyph->GetGraphElement()->GetIncomingEdgeList();
    for (ListElement *e = edges.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        const auto *link = static_cast<const GlyphReferenceLink *>(GraphEdge::FromIncomingElement(e));
        const TypographicStructure *from = link->GetReferringStructure();
        if (from->GetStructureType() != 'sequ' || from == found) continue;
        if (found != nullptr) return nullptr;
        found = static_cast<const SequenceStructure *>(from);
    }
    return found;
}

}  // namespace

uint32_t WriteLigatureCarets(const FeatureListTarget &target, float *out, uint32_t capacity, uint32_t *count)
{
    const GlyphSelection &s = *target.selection;
    ListOutput<float> list(out, capacity);
    for (uint32_t i = 0; i < s.GetCount(); ++i)
    {
        const GlyphStructure *glyph = s.GetSelectedGlyph(i);
        if (glyph == nullptr || glyph->caret == nullptr) continue;
        const SequenceStructure *sequence = ProducingSequence(glyph);
        if (sequence == nullptr || !IsCaretLigatureFeature(sequence->featureTag)) continue;
        const float *positions = nullptr;
        int32_t n = glyph->caret->GetPositions(&positions);
        Array<uint32_t, 8> matches;
        sequence->CollectMatchGlyphs(&matches);
        if (n == 0 || matches.GetElementCount() != n) continue;
        uint32_t first = list.GetCount();
        if (float *place = list.Take(uint32_t(n))) std::memcpy(place, positions, size_t(n) * sizeof(float));
        if (list.IsWriting() && !SetWord(target, i, &VorlGlyphRecord::caretWord, ListPacking::kA, first, uint32_t(n), false))
            return kResultSizeExceeded;
    }
    *count = list.GetCount();
    return 0;
}

}  // namespace oq
