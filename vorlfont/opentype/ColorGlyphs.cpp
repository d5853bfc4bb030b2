// Palettes and version-0 colour glyphs of the colour tables.
#include "ambrel/AttachmentStructures.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/Array.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/LayoutCommon.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

namespace oq {

uint32_t ReadPalettes(const FontBytes &cpal, FontStructure *glyphFont, ColorPalettes *palettes)
{
    uint32_t version = cpal.GetUInt16(0);
    uint32_t entryCount = cpal.GetUInt16(2);
    uint32_t paletteCount = cpal.GetUInt16(4);
    uint32_t recordCount = cpal.GetUInt16(6);
    uint64_t records = cpal.GetUInt32(8);
    if (entryCount == 0 || paletteCount == 0) return kResultCorrupt;
    // Every palette's indices and the colour records must be present, and the table stays small.
    if (uint64_t(entryCount) * paletteCount > kMaxPaletteColors || !cpal.Contains(12, 2 * uint64_t(paletteCount)) ||
        !cpal.Contains(records, 4 * uint64_t(recordCount)))
    {
        return kResultCorrupt;
    }
    uint64_t types = 0;
    if (version != 0)
    {
        types = cpal.GetUInt32(12 + 2 * uint64_t(paletteCount));
        if (types != 0 && !cpal.Contains(types, 4 * uint64_t(paletteCount))) return kResultCorrupt;
    }
    palettes->entryCount = entryCount;
    palettes->paletteCount = paletteCount;
    palettes->colors.SetElementCount(int32_t(4 * entryCount * paletteCount));
    int32_t light = -1, dark = -1;
    for (uint32_t p = 0; p < paletteCount; ++p)
    {
        uint32_t first = cpal.GetUInt16(12 + 2 * uint64_t(p));
        if (recordCount < first + entryCount) return kResultCorrupt;
        if (types != 0)
        {
            uint32_t type = cpal.GetUInt32(types + 4 * uint64_t(p));
            if (light < 0 && (type & 1) != 0) light = int32_t(p);
            if (dark < 0 && (type & 2) != 0) dark = int32_t(p);
        }
        for (uint32_t e = 0; e < entryCount; ++e)
        {
            uint64_t record = records + 4 * uint64_t(first + e);
            uint8_t *color = &palettes->colors[int32_t(4 * (p * entryCount + e))];
            color[0] = cpal.GetUInt8(record + 2);
            color[1] = cpal.GetUInt8(record + 1);
            color[2] = cpal.GetUInt8(record);
            color[3] = cpal.GetUInt8(record + 3);
        }
    }
    if (light >= 0) glyphFont->AddMetricInteger("light_palette", light);
    if (dark >= 0) glyphFont->AddMetricInteger("dark_palette", dark);
    return 0;
}

namespace {

// The Component of one version-0 colour glyph: its layer glyphs and one Color per palette. Layers
// naming a glyph past the glyph count are dropped with their colours.
void AddLayerComponent(GlyphStructure *glyph, const FontBytes &colr, uint64_t layers, uint32_t layerCount,
                       uint32_t glyphCount, const ColorPalettes &palettes)
{
    Array<uint32_t> kept;
    for (uint32_t i = 0; i < layerCount; ++i)
    {
        if (colr.GetUInt16(layers + 4 * uint64_t(i)) < glyphCount) kept.AddElement(i);
    }
    if (kept.GetElementCount() == 0) return;
    auto *component = new ComponentStructure;
    glyph->GetEmoji()->AppendSubnode(component);
    KettricUInt32List *glyphs = component->AppendUInt32List(0);
    glyphs->SetElementCount(kept.GetElementCount());
    for (int32_t k = 0; k < kept.GetElementCount(); ++k) (*glyphs)[k] = colr.GetUInt16(layers + 4 * uint64_t(kept[k]));
    for (uint32_t p = 0; p < palettes.paletteCount; ++p)
    {
        auto *color = new ColorStructure(p);
        component->AppendSubnode(color);
        auto *list = new KettricUInt8List(4);
        color->AppendSubnode(list);
        list->SetElementCount(4 * kept.GetElementCount());
        for (int32_t k = 0; k < kept.GetElementCount(); ++k)
        {
            uint32_t entry = colr.GetUInt16(layers + 4 * uint64_t(kept[k]) + 2);
            const uint8_t black[4] = {0, 0, 0, 255};
            const uint8_t *source = entry < palettes.entryCount
                                        ? &palettes.colors[int32_t(4 * (p * palettes.entryCount + entry))]
                                        : black;
            for (int c = 0; c < 4; ++c) (*list)[4 * k + c] = source[c];
        }
    }
}

}  // namespace

uint32_t OpenTypeImporter::ReadColorGlyphs(uint64_t offsetTable, FontStructure *glyphFont)
{
    BeginGlyphFeatures(glyphFont);
    // The faces of a shared collection share one set of colour data.
    if (colorGlyphsRead) return 0;
    colorGlyphsRead = true;
    FontBytes cpal;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'CPAL', &cpal)) return result;
    if (!cpal.IsPresent()) return 0;
    ColorPalettes palettes;
    if (uint32_t result = ReadPalettes(cpal, glyphFont, &palettes)) return result;
    FontBytes colr;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'COLR', &colr)) return result;
    if (!colr.IsPresent()) return 0;

    uint32_t baseCount = colr.GetUInt16(2);
    uint64_t baseRecords = colr.GetUInt32(4);
    uint64_t layerRecords = colr.GetUInt32(8);
    uint32_t layerRecordCount = colr.GetUInt16(12);
    if (!colr.Contains(baseRecords, 6 * uint64_t(baseCount)) || !colr.Contains(layerRecords, 4 * uint64_t(layerRecordCount)))
    {
        return kResultCorrupt;
    }
    if (!ChargeLayoutWork(baseCount)) return kResultCorrupt;
    for (uint32_t i = 0; i < baseCount; ++i)
    {
        uint64_t record = baseRecords + 6 * uint64_t(i);
        uint32_t glyphIndex = colr.GetUInt16(record);
        uint32_t firstLayer = colr.GetUInt16(record + 2);
        uint32_t layerCount = colr.GetUInt16(record + 4);
        if (glyphIndex >= glyphFont->glyphCount || glyphIndex >= glyphFont->glyphTableSize) return kResultCorrupt;
        if (layerCount == 0) continue;
        // Layers lie within the layer records.
        if (firstLayer + layerCount > layerRecordCount) return kResultCorrupt;
        if (!ChargeLayoutWork(int64_t(layerCount) * (palettes.paletteCount + 1))) return kResultCorrupt;
        AddLayerComponent(glyphFont->glyphTable[glyphIndex], colr, layerRecords + 4 * uint64_t(firstLayer), layerCount,
                          glyphFont->glyphCount, palettes);
    }
    return ReadColorPaints(colr, glyphFont, palettes);
}

}  // namespace oq
