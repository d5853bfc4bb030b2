#include "vorlfont/opentype/OpenTypeImporter.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MetricStructures.h"
#include "ambrel/TextStructures.h"
#include "base/Memory.h"
#include "kettric/KettricPrimitive.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileWriter.h"
#include "vorlfont/opentype/CharacterMap.h"
#include "vorlfont/opentype/NameTable.h"
#include "vorlfont/opentype/SfntFile.h"

namespace oq {

namespace {

KettricStringList *AppendStringList(KettricStructure *owner, int32_t count)
{
    auto *list = new KettricStringList;
    list->SetElementCount(count);
    owner->AppendSubnode(list);
    return list;
}

void AppendFloats(TypographicStructure *structure, const float *values, int32_t count)
{
    KettricFloatList *list = structure->AppendFloatList(0);
    list->SetElementCount(count);
    for (int32_t i = 0; i < count; ++i) (*list)[i] = values[i];
}

}  // namespace

void AddGlyphStructures(FontStructure *font)
{
    for (uint32_t i = 0; i < font->glyphCount; ++i)
    {
        auto *glyph = new GlyphStructure(i);
        if (font->glyphTable != nullptr && i < font->glyphTableSize) font->glyphTable[i] = glyph;
        font->AppendSubnode(glyph);
    }
}

uint32_t OpenTypeImporter::ReadHeaderTables(uint64_t offsetTable, FontStructure *glyphFont)
{
    header = FontHeader();
    if (uint32_t result = ReadFontHeader(fileImage, offsetTable, &header)) return result;
    glyphFont->SetUnitsPerEm(header.unitsPerEm);
    return glyphFont->SetGlyphCount(header.glyphCount);
}

uint32_t OpenTypeImporter::ReadNameTable(uint64_t offsetTable, FontStructure *faceFont)
{
    NameTableText names;
    if (uint32_t result = ReadNameTableText(fileImage, offsetTable, &names)) return result;
    if (names.hasName)
    {
        auto *name = new NameStructure;
        faceFont->AppendSubnode(name);
        KettricStringList *list = AppendStringList(name, 2);
        (*list)[0] = names.family;
        (*list)[1] = names.style;
        faceFont->nameStrings = list;
    }
    for (const NameMessage &entry : names.messages)
    {
        auto *message = new MessageStructure(entry.kind);
        faceFont->AppendSubnode(message);
        (*AppendStringList(message, 1))[0] = entry.text;
    }
    return 0;
}

uint32_t OpenTypeImporter::ReadFontMetrics(uint64_t offsetTable, FontStructure *glyphFont, FontStructure *faceFont)
{
    Array<FontMetric> metrics;
    uint32_t familyClass = 0;
    uint32_t result = ReadFontMetricValues(fileImage, offsetTable, header.hhea, glyphFont->inverseUnitsPerEm,
                                           &metrics, &familyClass);
    for (const FontMetric &metric : metrics)
    {
        if (metric.count == 0) faceFont->AddMetricInteger(metric.key, metric.integer);
        else if (metric.count == 1) faceFont->AddMetricFloat(metric.key, metric.values[0]);
        else faceFont->AddMetricVector(metric.key, metric.values);
    }
    if (familyClass != 0) faceFont->familyClass = familyClass;
    return result;
}

uint32_t OpenTypeImporter::ReadCharacterMap(uint64_t offsetTable, FontStructure *glyphFont, FontStructure *faceFont)
{
    // The family class is the face's own (in a shared collection each member has its own).
    const char *familyName = nullptr;
    if (faceFont->nameStrings != nullptr && faceFont->nameStrings->GetElementCount() > 0)
    {
        familyName = (*faceFont->nameStrings)[0].GetText();
    }
    CharacterTable table;
    Array<CharacterRun> runs;
    if (uint32_t result = ReadCharacterRuns(fileImage, offsetTable, glyphFont->glyphCount, faceFont->familyClass,
                                            familyName, &table, &runs))
    {
        return result;
    }

    for (const CharacterRun &run : runs)
    {
        auto *charMap = new CharMapStructure(run.first);
        charMap->runLength = run.run;
        auto *list = new KettricUInt16List;
        list->SetElementCount(run.glyphs.GetElementCount());
        for (int32_t i = 0; i < run.glyphs.GetElementCount(); ++i) (*list)[i] = run.glyphs[i];
        charMap->AppendSubnode(list);
        faceFont->AppendSubnode(charMap);
    }
    return 0;
}

uint32_t OpenTypeImporter::ReadHorizontalMetrics(uint64_t offsetTable, FontStructure *glyphFont)
{
    uint32_t glyphCount = glyphFont->glyphCount;
    auto *glyphs = static_cast<GlyphMetrics *>(MemoryAllocate(sizeof(GlyphMetrics) * (glyphCount + 1)));
    for (uint32_t i = 0; i < glyphCount; ++i) glyphs[i] = GlyphMetrics();
    FontHeader faceHeader = header;
    faceHeader.glyphCount = glyphCount;
    uint32_t result = ReadGlyphMetrics(fileImage, offsetTable, faceHeader, glyphFont->inverseUnitsPerEm, glyphs);
    if (result == 0)
    {
        for (uint32_t i = 0; i < glyphCount; ++i)
        {
            GlyphStructure *glyph = glyphFont->GetGlyph(i);
            if (glyph == nullptr) continue;
            auto *advance = new AdvanceStructure;
            AppendFloats(advance, glyphs[i].advance, glyphs[i].advanceCount);
            glyph->AppendSubnode(advance);
            auto *bearing = new BearingStructure;
            AppendFloats(bearing, glyphs[i].bearing, glyphs[i].bearingCount);
            glyph->AppendSubnode(bearing);
        }
    }
    MemoryRelease(glyphs);
    return result;
}

uint32_t OpenTypeImporter::ReadGlyphFeatures(uint64_t offsetTable, FontStructure *glyphFont)
{
    if (uint32_t result = ReadLigatureCarets(offsetTable, glyphFont)) return result;
    if (uint32_t result = ReadKerning(offsetTable, glyphFont)) return result;
    if (uint32_t result = ReadAlternates(offsetTable, glyphFont)) return result;
    if (uint32_t result = ReadLigatures(offsetTable, glyphFont)) return result;
    if (uint32_t result = ReadMarkAnchors(offsetTable, glyphFont)) return result;
    return ReadColorGlyphs(offsetTable, glyphFont);
}

uint32_t OpenTypeImporter::ImportFace(uint64_t offsetTable, AmbrelDocument *document)
{
    uint32_t version = 0;
    if (!fileImage.ReadUInt32(offsetTable, &version)) return kResultCorrupt;
    if (!IsFaceVersion(version)) return kResultInvalid;

    auto *font = new FontStructure;
    document->GetRootStructure()->AppendSubnode(font);
    if (uint32_t result = ReadHeaderTables(offsetTable, font)) return result;
    if (uint32_t result = ReadNameTable(offsetTable, font)) return result;
    if (uint32_t result = ReadFontMetrics(offsetTable, font, font)) return result;
    AddGlyphStructures(font);
    if (uint32_t result = ReadCharacterMap(offsetTable, font, font)) return result;
    if (uint32_t result = ReadHorizontalMetrics(offsetTable, font)) return result;
    if (uint32_t result = ReadGlyphFeatures(offsetTable, font)) return result;
    return ReadOutlines(offsetTable, font);
}

uint32_t OpenTypeImporter::ImportSharedCollection(uint32_t faceCount, AmbrelDocument *document)
{
    uint64_t firstOffset = 0;
    if (uint32_t result = ReadCollectionFaceOffset(fileImage, 0, &firstOffset)) return result;
    if (!IsFaceVersion(fileImage.GetUInt32(firstOffset))) return kResultInvalid;

    auto *parent = new FontStructure;
    document->GetRootStructure()->AppendSubnode(parent);
    if (uint32_t result = ReadHeaderTables(firstOffset, parent)) return result;
    AddGlyphStructures(parent);
    if (uint32_t result = ReadHorizontalMetrics(firstOffset, parent)) return result;

    for (uint32_t face = 0; face < faceCount; ++face)
    {
        uint64_t offsetTable = 0;
        if (uint32_t result = ReadCollectionFaceOffset(fileImage, face, &offsetTable)) return result;
        if (!IsFaceVersion(fileImage.GetUInt32(offsetTable))) return kResultInvalid;
        auto *member = new FontStructure;
        parent->AppendSubnode(member);
        if (uint32_t result = ReadNameTable(offsetTable, member)) return result;
        if (uint32_t result = ReadFontMetrics(offsetTable, parent, member)) return result;
        if (uint32_t result = ReadCharacterMap(offsetTable, parent, member)) return result;
        if (uint32_t result = ReadGlyphFeatures(offsetTable, parent)) return result;
    }
    return ReadOutlines(firstOffset, parent);
}

uint32_t ImportOpenTypeFont(const void *data, uint64_t size, AmbrelDocument *document)
{
    FontBytes file{static_cast<const uint8_t *>(data), size};
    OpenTypeImporter importer(file);
    uint32_t tag = 0;
    if (!file.ReadUInt32(0, &tag)) return kResultCorrupt;

    if (tag != kCollectionTag)
    {
        if (uint32_t result = importer.ImportFace(0, document)) return result;
    }
    else
    {
        uint32_t faceCount = 0;
        if (uint32_t result = ReadCollectionFaceCount(file, &faceCount)) return result;
        if (CollectionSharesTables(file, faceCount))
        {
            if (uint32_t result = importer.ImportSharedCollection(faceCount, document)) return result;
        }
        else
        {
            for (uint32_t face = 0; face < faceCount; ++face)
            {
                uint64_t offsetTable = 0;
                if (uint32_t result = ReadCollectionFaceOffset(file, face, &offsetTable)) return result;
                if (uint32_t result = importer.ImportFace(offsetTable, document)) return result;
            }
        }
    }
    return document->ResolveData() != 0 ? kResultInvalid : 0;
}

}  // namespace oq
