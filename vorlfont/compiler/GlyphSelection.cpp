#include "vorlfont/compiler/GlyphSelection.h"

#include "ambrel/AttachmentStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/SubstitutionStructures.h"
#include "vorl/text/VorlFileFontRecord.h"
#include "vorlfont/compiler/CharacterInclusionMap.h"
#include "vorlfont/compiler/FontCompileContext.h"
#include "vorl/text/MathStyleTable.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"

#include <cstring>

namespace oq {

namespace {

// The number of the last two characters of a tag, or -1 unless both are decimal digits.
int32_t TagNumber(uint32_t tag)
{
    uint32_t tens = (tag >> 8) & 0xFF;
    uint32_t ones = tag & 0xFF;
    if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return -1;
    return int32_t((tens - '0') * 10 + (ones - '0'));
}

}  // namespace

uint32_t FeatureTagToAlternateBits(uint32_t tag)
{
    if ((tag >> 16) == (('s' << 8) | 's'))
    {
        int32_t n = TagNumber(tag);
        return (n >= 1 && n <= 20) ? (0x1u | uint32_t(n) << 24) : 0;
    }
    if ((tag >> 16) == (('m' << 8) | 's'))
    {
        int32_t n = TagNumber(tag);
        return (n >= 1 && n <= 13) ? (0x800u | uint32_t(n) << 24) : 0;
    }
    switch (tag)
    {
    case 'hist': return 0x2;
    case 'smcp': return 0x4;
    case 'c2sc': return 0x8;
    case 'titl': return 0x10;
    case 'unic': return 0x20;
    case 'case': return 0x40;
    case 'zero': return 0x80;
    case 'hmin': return 0x100;
    case 'frac': return 0x1000200;
    case 'numr': return 0x2000200;
    case 'dnom': return 0x3000200;
    case 'dtls': return 0x400;
    case 'rtlm': return 0x4000;
    case 'rvrn': return 0x8000;
    case 'lnum': return 0x10000;
    case 'onum': return 0x20000;
    case 'tnum': return 0x40000;
    case 'pnum': return 0x80000;
    case 'subs': return 0x100000;
    case 'sups': return 0x200000;
    case 'sinf': return 0x400000;
    case 'ordn': return 0x800000;
    case 'init': return 0x1000000;
    case 'medi': return 0x2000000;
    case 'fina': return 0x3000000;
    case 'isol': return 0x4000000;
    case 'vert': return 0x8000000;
    default: return 0;
    }
}

bool FeatureHasSelector(uint32_t tag)
{
    uint32_t bits = FeatureTagToAlternateBits(tag);
    return (bits >> 24) != 0 || tag == 'vert';
}

uint16_t FeatureTagToLigatureClass(uint32_t tag, bool timesLig)
{
    switch (tag)
    {
    case 'ccmp': return 1;
    case 'liga': return 2;
    case 'rlig': return 4;
    case 'dlig': return timesLig ? 2 : 8;
    case 'hlig': return 16;
    case 'afrc': return 256;
    default: return 0;
    }
}

void GlyphSelection::Reset(const FontStructure *glyphFont)
{
    font = glyphFont;
    glyphCount = glyphFont->glyphCount;
    selection.SetElementCount(0);
    newNumbers.SetElementCount(int32_t(glyphCount));
    selected.SetElementCount(int32_t(glyphCount));
    if (glyphCount != 0)
    {
        std::memset(newNumbers.GetElements(), 0, size_t(glyphCount) * sizeof(int32_t));
        std::memset(selected.GetElements(), 0, size_t(glyphCount));
    }
    decompositionStart = 0;
    layerStart = 0;
}

GlyphStructure *GlyphSelection::GetSelectedGlyph(uint32_t position) const
{
    return (position < GetCount()) ? font->GetGlyph(selection[int32_t(position)]) : nullptr;
}

void GlyphSelection::AddGlyphAndReferences(uint32_t glyph)
{
    // A chain of single references ends at a selected glyph, so a cycle stops too.
    while (glyph < glyphCount && selected[int32_t(glyph)] == 0)
    {
        selected[int32_t(glyph)] = 1;
        newNumbers[int32_t(glyph)] = int32_t(GetCount());
        selection.AddElement(glyph);
        const GlyphStructure *g = font->GetGlyph(glyph);
        if (g == nullptr || g->singleReference == nullptr) break;
        const KettricUInt32List *list = g->singleReference->glyphList;
        if (list == nullptr || list->GetElementCount() < 1) break;
        glyph = (*list)[0];
    }
}

void GlyphSelection::AddMathStyleAlternates(CharacterTable *table)
{
    if (table == nullptr) return;
    for (int32_t p = 0; p < kMathPlainCount; ++p)
    {
        uint32_t plain = uint32_t(table->Get(kMathPlainCharacters[p]));
        GlyphStructure *glyph = (plain != 0) ? font->GetGlyph(plain) : nullptr;
        if (plain == 0 || plain >= glyphCount) continue;
        for (int32_t style = kMathStyleCount; style >= 1; --style)
        {
            uint32_t form = kMathStyleForms[style - 1][p];
            if (form == 0) continue;
            if (table->Get(form) == 0)
            {
                table->Set(form, int32_t(plain));
                continue;
            }
            uint32_t tag = uint32_t('ms00') + uint32_t(style / 10) * 256 + uint32_t(style % 10);
            if (glyph != nullptr && glyph->FindAlternate(tag) == nullptr)
                static_cast<void>(glyph->AddAlternate(tag, uint32_t(table->Get(form))));
        }
    }
}

void GlyphSelection::SelectFontGlyphs(FontCompileContext *context, const CharacterInclusionMap &map, uint32_t flags)
{
    // The compile may change the document: the math forms join the Font's character table.
    CharacterTable *table = const_cast<FontStructure *>(context->font)->characterTable;
    if (flags & kCompileMath) AddMathStyleAlternates(table);
    std::memset(context->blockMapped, 0, sizeof(context->blockMapped));
    uint32_t highest = 0;
    auto mapped = [&](uint32_t c) -> uint32_t {
        if (table == nullptr || !map.Includes(c)) return 0;
        uint32_t g = uint32_t(table->Get(c));
        return (g < glyphCount) ? g : 0;
    };
    // Only the table's pages can hold mapped code points; they are visited in code point order.
    uint32_t tablePages = (table != nullptr) ? table->GetIndexSize() : 0;
    for (uint32_t p = 0; p < tablePages; ++p)
    {
        if (table->GetPage(p) == nullptr) continue;
        for (uint32_t c = (p == 0) ? 1 : p * CharacterTable::kPageSize; c < (p + 1) * CharacterTable::kPageSize; ++c)
        {
            uint32_t g = mapped(c);
            if (g == 0) continue;
            AddGlyphAndReferences(g);
            context->blockMapped[c >> 8] = 1;
            highest = c;
        }
    }

    int32_t indexCount = int32_t(highest >> 8) + 1;
    context->pageIndex.SetElementCount(indexCount);
    int32_t pageCount = 0;
    for (int32_t p = 0; p < indexCount; ++p)
        context->pageIndex[p] = context->blockMapped[p] ? int16_t(pageCount++) : kCharacterMapNoPage;
    context->pages.SetElementCount(pageCount * 256);
    for (int32_t p = 0; p < indexCount; ++p)
    {
        if (context->pageIndex[p] < 0) continue;
        uint32_t *page = &context->pages[context->pageIndex[p] * 256];
        for (uint32_t i = 0; i < 256; ++i) page[i] = GetNewNumber(mapped(uint32_t(p) * 256 + i));
    }
}

uint32_t GlyphSelection::AddDecompositionGlyphs()
{
    uint32_t components = 0;
    for (uint32_t i = 0; i < decompositionStart; ++i)
    {
        const GlyphStructure *g = GetSelectedGlyph(i);
        const DecomposeStructure *d = (g != nullptr) ? g->GetDecomposition() : nullptr;
        if (d == nullptr) continue;
        const uint32_t *glyphs = nullptr;
        int32_t count = d->GetGlyphs(&glyphs);
        for (int32_t k = 0; k < count; ++k) AddGlyphAndReferences(glyphs[k]);
        components += uint32_t(count);
    }
    return components;
}

uint32_t GlyphSelection::AddAlternateGlyphs(uint32_t firstPosition)
{
    uint32_t total = 0;
    for (uint32_t i = firstPosition; i < GetCount(); ++i)
    {
        GlyphStructure *g = GetSelectedGlyph(i);
        if (g == nullptr) continue;
        AlternateStructure *next = nullptr;
        for (AlternateStructure *a = g->alternates.GetFirst(); a != nullptr; a = next)
        {
            next = StructureList<AlternateStructure>::GetNext(a);
            if (FeatureTagToAlternateBits(a->featureTag) == 0)
            {
                delete a;
                continue;
            }
            const uint32_t *glyphs = nullptr;
            int32_t count = a->GetGlyphs(&glyphs);
            for (int32_t k = 0; k < count; ++k) AddGlyphAndReferences(glyphs[k]);
            total += uint32_t(count);
        }
    }
    return total;
}

namespace {

bool IsLigatureFeature(uint32_t tag)
{
    return tag == 'afrc' || tag == 'ccmp' || tag == 'dlig' || tag == 'hlig' || tag == 'liga' || tag == 'rlig';
}

}  // namespace

uint32_t GlyphSelection::AddSequenceGlyphs(uint32_t firstPosition)
{
    uint32_t total = 0;
    for (uint32_t i = firstPosition; i < GetCount(); ++i)
    {
        GlyphStructure *g = GetSelectedGlyph(i);
        if (g == nullptr) continue;
        SequenceStructure *next = nullptr;
        for (SequenceStructure *s = g->sequences.GetFirst(); s != nullptr; s = next)
        {
            next = StructureList<SequenceStructure>::GetNext(s);
            bool keep = IsLigatureFeature(s->featureTag);
            uint32_t matchGlyphs = 0;
            for (MatchStructure *m = s->matchList.GetFirst(); keep && m != nullptr;
                 m = StructureList<MatchStructure>::GetNext(m))
            {
                const uint32_t *glyphs = nullptr;
                int32_t count = m->GetGlyphs(&glyphs);
                bool any = false;
                for (int32_t k = 0; k < count; ++k) any = any || IsSelected(glyphs[k]);
                keep = any;
                matchGlyphs += uint32_t(count);
            }
            if (!keep)
            {
                delete s;
                continue;
            }
            Array<uint32_t, 8> results;
            s->CollectRuleGlyphs(&results);
            for (uint32_t r : results) AddGlyphAndReferences(r);
            total += 2 + uint32_t(results.GetElementCount()) * 2 + matchGlyphs;
        }
    }
    return total;
}

uint32_t GlyphSelection::AddLayerGlyphs()
{
    uint32_t layers = 0;
    for (uint32_t i = 0; i < layerStart; ++i)
    {
        const GlyphStructure *g = GetSelectedGlyph(i);
        const EmojiStructure *e = (g != nullptr) ? g->emoji : nullptr;
        if (e == nullptr) continue;
        for (uint32_t layer : e->glyphArray) AddGlyphAndReferences(layer);
        layers += uint32_t(e->glyphArray.GetElementCount());
    }
    return layers;
}

void GlyphSelection::SelectAll(FontCompileContext *firstContext, const CharacterInclusionMap &map, uint32_t flags)
{
    Reset(firstContext->glyphFont);
    AddGlyphAndReferences(0);
    for (FontCompileContext *c = firstContext; c != nullptr; c = static_cast<FontCompileContext *>(c->GetNextListElement()))
        SelectFontGlyphs(c, map, flags);

    decompositionStart = GetCount();
    static_cast<void>(AddDecompositionGlyphs());
    if (flags & kCompileAlternate) static_cast<void>(AddAlternateGlyphs(0));
    if (flags & kCompileSequence)
    {
        uint32_t before = GetCount();
        uint32_t added = AddSequenceGlyphs(0);
        while (added != 0 && (flags & kCompileAlternate))
        {
            uint32_t alternateStart = GetCount();
            if (AddAlternateGlyphs(before) == 0) break;
            before = GetCount();
            added = AddSequenceGlyphs(alternateStart);
        }
    }
    layerStart = GetCount();
    if (flags & kCompileLayer) static_cast<void>(AddLayerGlyphs());
}

}  // namespace oq
