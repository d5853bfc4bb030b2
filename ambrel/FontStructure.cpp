// The Font: its checks, resolution, preparation, glyph reference links, building operations and text.
#include "ambrel/FontStructure.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MatrixStructures.h"
#include "ambrel/MetricStructures.h"
#include "base/TextUtils.h"

#include <cstring>

namespace oq {

FontStructure::FontStructure() : TypographicStructure('font'), listLink(this) {}

FontStructure::~FontStructure()
{
    memberFonts.RemoveAll();
    MemoryRelease(glyphTable);
    delete characterTable;
}

bool FontStructure::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                  void **storage)
{
    if (CompareText(identifier, "glyph_count")) return DeclareProperty(type, storage, 'UI32', &glyphCount);
    return false;
}

bool FontStructure::IsMemberFont() const
{
    const KettricStructure *super = GetSuperStructure();
    return super != nullptr && super->GetStructureType() == 'font';
}

bool FontStructure::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    uint32_t type = structure->GetStructureType();
    if (structure->GetBaseStructureType() == kKettricPrimitiveBase) return false;
    // A member holds its face's own names, metrics and character maps; the parent the glyphs.
    if (type == 'name' || type == 'mess' || type == 'mtrc' || type == 'cmap') return true;
    if (IsMemberFont()) return false;
    return type == 'glyf' || type == 'scal' || type == 'font';
}

void FontStructure::AllocateGlyphTable(uint32_t size)
{
    MemoryRelease(glyphTable);
    glyphTable = static_cast<GlyphStructure **>(MemoryAllocate(sizeof(GlyphStructure *) * size_t(size)));
    std::memset(glyphTable, 0, sizeof(GlyphStructure *) * size_t(size));
    glyphTableSize = size;
}

KettricResult FontStructure::ResolveData(KettricDocument *document)
{
    if (glyphCount > kMaxGlyphCount) return kResultInvalidDataFormat;
    if (IsMemberFont() && glyphCount != 0) return kResultInvalidDataFormat;

    bool hasCharMap = false;
    uint32_t glyphStructureCount = 0;
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() == 'cmap') hasCharMap = true;
        else if (structure->GetStructureType() == 'glyf') ++glyphStructureCount;
    }

    // A table is taken only for a Font that holds enough Glyphs to fill it: one with fewer fails
    // with 'mgly' below anyway, and its size then stays bounded by the text.
    if (glyphCount != 0 && glyphTable == nullptr && glyphStructureCount >= glyphCount)
        AllocateGlyphTable(glyphCount + kSpareGlyphCount);
    if (characterTable == nullptr && hasCharMap) characterTable = new CharacterTable;

    KettricResult result = TypographicStructure::ResolveData(document);
    if (result != 0) return result;

    for (uint32_t i = 0; i < glyphCount; ++i)
    {
        if (glyphTable == nullptr || glyphTable[i] == nullptr) return 'mgly';
    }

    bool scaleTaken = false;
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() != 'scal') continue;
        if (scaleTaken) return kResultExtraSubstructure;
        const auto *scale = static_cast<const ScaleStructure *>(structure);
        if (!CompareText(scale->transformKind, "xy")) return 'ivsk';
        scaleTaken = true;
        unitsPerEm = scale->matrix.n[0][0];
        unitsPerEmY = scale->matrix.n[1][1];
        inverseUnitsPerEm = 1.0f / unitsPerEm;
    }
    return 0;
}

FontStructure *FontStructure::GetGlyphFont()
{
    return IsMemberFont() ? static_cast<FontStructure *>(GetSuperStructure()) : this;
}

const FontStructure *FontStructure::GetGlyphFont() const
{
    return IsMemberFont() ? static_cast<const FontStructure *>(GetSuperStructure()) : this;
}

GlyphStructure *FontStructure::GetGlyph(uint32_t glyph) const
{
    const FontStructure *font = GetGlyphFont();
    if (font->glyphTable == nullptr || glyph >= font->glyphCount || glyph >= font->glyphTableSize) return nullptr;
    return font->glyphTable[glyph];
}

void FontStructure::PrepareGlyphs(AmbrelDocument *document)
{
    for (KettricStructure *structure = GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        if (structure->GetStructureType() == 'glyf')
        {
            auto *glyph = static_cast<GlyphStructure *>(structure);
            glyph->PrepareGeometry(this);
            if (document->glyphsTakeGeometryCurves) static_cast<void>(glyph->TakeGeometryCurves());
        }
        else if (structure->GetStructureType() == 'font') static_cast<FontStructure *>(structure)->PrepareGlyphs(document);
    }

    FontStructure *glyphFont = GetGlyphFont();
    if (glyphFont != this) glyphFont->memberFonts.AppendStructure(this);
    else document->fontList.AppendStructure(this);

    if (CharacterTable *table = characterTable)
    {
        if (table->Get(0x1D4C0) != 0 && table->Get(0x1D4C1) == 0) table->Set(0x1D4C1, table->Get(0x2113));

        for (uint32_t p = 0; p < table->GetIndexSize(); ++p)
        {
            const int32_t *page = table->GetPage(p);
            if (page == nullptr) continue;
            for (uint32_t i = 0; i < CharacterTable::kPageSize; ++i)
            {
                uint32_t g = uint32_t(page[i]);
                if (g == 0) continue;
                GlyphStructure *glyph = GetGlyph(g);
                if (glyph != nullptr) glyph->characterList.AddElement(p * CharacterTable::kPageSize + i);
            }
        }

        // An unmapped character has glyph number 0: glyph 0's box is used.
        if (capHeight == 0.0f)
        {
            if (const GlyphStructure *glyph = GetGlyph(uint32_t(table->Get(0x48))))
                capHeight = glyph->boundingBox.max.y;
        }
        if (exHeight == 0.0f)
        {
            if (const GlyphStructure *glyph = GetGlyph(uint32_t(table->Get(0x78))))
                exHeight = glyph->boundingBox.max.y;
        }
        if (mathAxisHeight == 0.0f)
        {
            if (const GlyphStructure *glyph = GetGlyph(uint32_t(table->Get(0x3D))))
                mathAxisHeight = (glyph->boundingBox.max.y + glyph->boundingBox.min.y) * 0.5f;
        }
    }

    if (typoAscent == 0.0f)
    {
        typoAscent = ascent;
        typoDescent = descent;
        typoLineGap = lineGap;
    }

    LinkGlyphReferences();
}

namespace {

// Links the structure to each listed glyph that exists; a single glyph gets position -1 unless the
// positions are always given.
void LinkGlyphs(const FontStructure *font, TypographicStructure *from, const uint32_t *values, int32_t count,
                bool alwaysPosition)
{
    for (int32_t j = 0; j < count; ++j)
    {
        if (GlyphStructure *target = font->GetGlyph(values[j]))
            new GlyphReferenceLink(from, target, (count == 1 && !alwaysPosition) ? -1 : j);
    }
}

}  // namespace

void FontStructure::LinkGlyphReferences()
{
    if (glyphTable == nullptr) return;
    for (uint32_t i = 0; i < glyphCount; ++i)
    {
        GlyphStructure *glyph = glyphTable[i];
        if (glyph == nullptr) continue;
        const uint32_t *values = nullptr;

        for (SequenceStructure *sequence = glyph->sequences.GetFirst(); sequence != nullptr;
             sequence = StructureList<SequenceStructure>::GetNext(sequence))
        {
            Array<uint32_t, 8> produced;
            sequence->CollectRuleGlyphs(&produced);
            LinkGlyphs(this, sequence, produced.GetElements(), produced.GetElementCount(), false);
        }
        for (AlternateStructure *alternate = glyph->alternates.GetFirst(); alternate != nullptr;
             alternate = StructureList<AlternateStructure>::GetNext(alternate))
        {
            int32_t count = alternate->GetGlyphs(&values);
            LinkGlyphs(this, alternate, values, count, false);
        }
        for (DecomposeStructure *decompose = glyph->decompositions.GetFirst(); decompose != nullptr;
             decompose = StructureList<DecomposeStructure>::GetNext(decompose))
        {
            int32_t count = decompose->GetGlyphs(&values);
            LinkGlyphs(this, decompose, values, count, true);
        }
        if (auto *emoji = static_cast<EmojiStructure *>(glyph->GetFirstSubstructure('emoj')))
            LinkGlyphs(this, emoji, emoji->glyphArray.GetElements(), emoji->glyphArray.GetElementCount(), true);
    }
}

const CharacterTable *FontStructure::FindCharacterTable(uint32_t codePoint) const
{
    if (codePoint >= kCharacterTableSize) return nullptr;
    if (characterTable != nullptr && characterTable->Get(codePoint) != 0) return characterTable;
    for (FontStructure *member = memberFonts.GetFirst(); member != nullptr;
         member = StructureList<FontStructure>::GetNext(member))
    {
        if (member->characterTable != nullptr && member->characterTable->Get(codePoint) != 0)
            return member->characterTable;
    }
    return nullptr;
}

KettricResult FontStructure::SetGlyphCount(uint32_t count)
{
    if (count > kMaxGlyphCount) return kResultInvalidDataFormat;
    glyphCount = count;
    AllocateGlyphTable(count + kSpareGlyphCount);
    return 0;
}

void FontStructure::SetUnitsPerEm(float value)
{
    unitsPerEm = value;
    unitsPerEmY = value;
    inverseUnitsPerEm = 1.0f / value;
    auto *scale = new ScaleStructure;
    auto *list = new KettricFloatList(2);
    list->SetElementCount(2);
    (*list)[0] = value;
    (*list)[1] = value;
    scale->AppendSubnode(list);
    AppendSubnode(scale);
}

void FontStructure::InsertMetric(MetricStructure *metric)
{
    for (KettricStructure *structure = GetLastSubnodeStructure(); structure != nullptr;
         structure = structure->GetPreviousStructure())
    {
        if (structure->GetStructureType() == 'mtrc')
        {
            InsertSubnodeAfter(metric, structure);
            return;
        }
    }
    AppendSubnode(metric);
}

void FontStructure::AddMetricFloat(const char *key, float value)
{
    auto *metric = new MetricStructure(key);
    KettricFloatList *list = metric->AppendFloatList(0);
    list->SetElementCount(1);
    (*list)[0] = value;
    InsertMetric(metric);
}

void FontStructure::AddMetricVector(const char *key, const float *value)
{
    auto *metric = new MetricStructure(key);
    KettricFloatList *list = metric->AppendFloatList(2);
    list->SetElementCount(2);
    (*list)[0] = value[0];
    (*list)[1] = value[1];
    InsertMetric(metric);
}

void FontStructure::AddMetricInteger(const char *key, int32_t value)
{
    auto *metric = new MetricStructure(key);
    KettricUInt32List *list = metric->AppendUInt32List(0);
    list->SetElementCount(1);
    (*list)[0] = uint32_t(value);
    InsertMetric(metric);
}

void FontStructure::Write(AmbrelDocument *document, TextOutputStream *stream) const
{
    WriteLine(stream, "Font", 0, HasPreviousSibling());
    if (glyphCount != 0)
    {
        stream->WriteText(" (glyph_count = ");
        stream->WriteInteger(int32_t(glyphCount));
        stream->WriteChar(')');
    }
    WriteLine(stream, "{\n", 0, true);
    WriteSubstructures(document, stream);
    WriteLine(stream, "}\n", 0, false);
}

}  // namespace oq
