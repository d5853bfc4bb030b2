// Feature synthesis: alternates for minus, fraction slash and dotless letters, tabular digits and
// ligature carets.
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MatrixStructures.h"
#include "vorl/text/UnicodeTables.h"

#include <cmath>

namespace oq {

namespace {

// Source, feature and target of one synthesised alternate; a second source and target (the j of
// a dotless pair) taken from the same character table.
struct AlternateRow
{
    uint32_t source;
    uint32_t tag;
    uint32_t target;
    uint32_t pairSource;
    uint32_t pairTarget;
};

const AlternateRow kAlternateRows[] = {
    {0x002D, 'hmin', 0x2212, 0, 0},
    {0x002F, 'frac', 0x2044, 0, 0},
    {0x0069, 'dtls', 0x0131, 0x006A, 0x0237},
    {0x1D456, 'dtls', 0x1D6A4, 0x1D457, 0x1D6A5},
};

const uint32_t kDigits[10] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39};

// The strong right-to-left bit of the Unicode property word.
constexpr uint16_t kRightToLeftProperty = 8;

float GetInkWidth(const GlyphStructure *glyph)
{
    return glyph->boundingBox.max.x - glyph->boundingBox.min.x;
}

}  // namespace

void FontStructure::SynthesizeFeatures(AmbrelDocument *document, uint32_t mode)
{
    if (mode & kSynthesizeAlternates) SynthesizeAlternates();
    if (mode & kSynthesizeTabularDigits) SynthesizeTabularGlyphs('tnum', 10, kDigits, document);
    if (mode & kSynthesizeCarets) SynthesizeCarets();
}

void FontStructure::SynthesizeAlternates()
{
    auto addAlternate = [this](const CharacterTable *table, uint32_t source, uint32_t tag, uint32_t target) {
        GlyphStructure *glyph = GetGlyph(uint32_t(table->Get(source)));
        if (glyph == nullptr || glyph->FindAlternate(tag) != nullptr || table->Get(target) == 0) return;
        glyph->AddAlternate(tag, uint32_t(table->Get(target)));
    };
    for (const AlternateRow &row : kAlternateRows)
    {
        const CharacterTable *table = FindCharacterTable(row.source);
        if (table == nullptr) continue;
        addAlternate(table, row.source, row.tag, row.target);
        if (row.pairSource != 0 && table->Get(row.pairSource) != 0)
            addAlternate(table, row.pairSource, row.tag, row.pairTarget);
    }
}

void FontStructure::SynthesizeTabularGlyphs(uint32_t tag, int32_t count, const uint32_t *codePoints,
                                            AmbrelDocument *document)
{
    FontStructure *glyphFont = GetGlyphFont();
    if (count <= 0 || uint32_t(count) > kSpareGlyphCount) return;

    GlyphStructure *originals[kSpareGlyphCount];
    float smallest = INFINITY;
    float largest = 0.0f;
    for (int32_t k = 0; k < count; ++k)
    {
        const CharacterTable *table = FindCharacterTable(codePoints[k]);
        GlyphStructure *glyph = (table != nullptr) ? GetGlyph(uint32_t(table->Get(codePoints[k]))) : nullptr;
        if (glyph == nullptr || glyph->FindAlternate(tag) != nullptr) return;
        originals[k] = glyph;
        if (glyph->advance[0] < smallest) smallest = glyph->advance[0];
        if (glyph->advance[0] > largest) largest = glyph->advance[0];
    }
    if (smallest == largest) return;

    // The new glyphs take the spare entries of the glyph table.
    uint32_t first = glyphFont->glyphCount;
    if (glyphFont->glyphTable == nullptr || uint64_t(first) + uint32_t(count) > glyphFont->glyphTableSize) return;
    glyphFont->glyphCount = first + uint32_t(count);

    for (int32_t k = 0; k < count; ++k)
    {
        GlyphStructure *original = originals[k];
        uint32_t index = first + uint32_t(k);
        original->AddAlternate(tag, index);

        auto *glyph = new GlyphStructure(index);
        glyphFont->AppendSubnode(glyph);

        auto *advance = new AdvanceStructure;
        KettricFloatList *advanceList = advance->AppendFloatList(0);
        advanceList->SetElementCount(2);
        (*advanceList)[0] = largest;
        (*advanceList)[1] = original->advance[1];
        glyph->AppendSubnode(advance);

        auto *bearing = new BearingStructure;
        KettricFloatList *bearingList = bearing->AppendFloatList(0);
        bearingList->SetElementCount(2);
        (*bearingList)[0] = original->bearing[0];
        (*bearingList)[1] = original->bearing[1];
        glyph->AppendSubnode(bearing);

        auto *component = new ComponentStructure;
        KettricUInt32List *glyphList = component->AppendUInt32List(0);
        glyphList->SetElementCount(1);
        (*glyphList)[0] = original->glyphIndex;
        glyph->AppendSubnode(component);

        if (original->advance[0] != largest)
        {
            float shift = (largest - original->advance[0]) * 0.5f;
            (*bearingList)[0] += shift;
            auto *translation = new TranslationStructure;
            KettricFloatList *offset = new KettricFloatList(2);
            offset->SetElementCount(2);
            (*offset)[0] = shift;
            (*offset)[1] = 0.0f;
            translation->AppendSubnode(offset);
            component->AppendSubnode(translation);
        }

        // Built from valid parts, so resolving cannot fail.
        static_cast<void>(glyph->ResolveData(document));
        glyph->PrepareGeometry(this);
    }
}

void FontStructure::SynthesizeCarets()
{
    FontStructure *glyphFont = GetGlyphFont();
    for (uint32_t i = 0; i < glyphFont->glyphCount; ++i)
    {
        GlyphStructure *glyph = GetGlyph(i);
        if (glyph == nullptr) continue;
        for (SequenceStructure *sequence = glyph->sequences.GetFirst(); sequence != nullptr;
             sequence = StructureList<SequenceStructure>::GetNext(sequence))
        {
            uint32_t tag = sequence->featureTag;
            if (tag != 'liga' && tag != 'rlig' && tag != 'dlig' && tag != 'hlig') continue;
            Array<uint32_t, 8> matches;
            Array<uint32_t, 8> produced;
            sequence->CollectMatchGlyphs(&matches);
            sequence->CollectRuleGlyphs(&produced);
            if (matches.GetElementCount() == 0 || produced.GetElementCount() != 1) continue;
            GlyphStructure *ligature = GetGlyph(produced[0]);
            if (ligature == nullptr || ligature->caret != nullptr) continue;

            // Every component must be a known glyph and the widths must have a positive finite sum.
            float total = GetInkWidth(glyph);
            bool known = true;
            for (uint32_t g : matches)
            {
                const GlyphStructure *component = GetGlyph(g);
                if (component == nullptr)
                {
                    known = false;
                    break;
                }
                total += GetInkWidth(component);
            }
            if (!known || !(total > 0.0f) || !std::isfinite(total)) continue;

            auto *caret = new CaretStructure;
            ligature->caret = caret;
            ligature->AppendSubnode(caret);
            KettricFloatList *positions = caret->AppendFloatList(0);

            float width = GetInkWidth(ligature);
            int32_t count = matches.GetElementCount();
            positions->SetElementCount(count);
            (*positions)[0] = GetInkWidth(glyph) * width;
            float u = GetInkWidth(glyph) + GetInkWidth(GetGlyph(matches[0]));
            for (int32_t j = 1; j < count; ++j)
            {
                (*positions)[j] = u * width;
                u += GetInkWidth(GetGlyph(matches[j]));
            }

            bool rightToLeft = glyph->characterList.GetElementCount() != 0 && glyph->characterList[0] < 0x30000 &&
                               (GetUnicodeProperties(glyph->characterList[0]) & kRightToLeftProperty) != 0;
            float v = 1.0f / u;
            for (int32_t j = 0; j < count; ++j)
            {
                float value = v * (*positions)[j];
                (*positions)[j] = rightToLeft ? ligature->boundingBox.max.x - value : value + ligature->boundingBox.min.x;
            }
        }
    }
}

}  // namespace oq
