#include "vorlfont/compiler/FontGlyphData.h"

#include "vorl/text/OutputSink.h"

namespace oq {

uint32_t FontGlyphData::Allocate(uint32_t count, bool outline)
{
    glyphCount = count;
    outlineRecords = outline;
    uint64_t records = uint64_t(count) * (outline ? 2 : 1);
    if (!glyphRecords.Allocate(records * sizeof(VorlGlyphRecord))) return kResultOutOfMemory;

    CompileTexture *textures[2] = {&curveTexture, &bandTexture};
    const uint32_t formats[2] = {kTexelFormatHalf4, kTexelFormatUint16x2};
    const int32_t rows[2] = {kCompileCurveRows, kCompileBandRows};
    for (int32_t i = 0; i < 2; ++i)
    {
        CompileTexture &texture = *textures[i];
        texture.format = formats[i];
        texture.width = kCompileTextureWidth;
        texture.rowLimit = rows[i];
        texture.column = 0;
        texture.row = 0;
        uint64_t bytes = uint64_t(kCompileTextureWidth) * uint64_t(rows[i]) * GetVorlTexelSize(formats[i]);
        if (!texture.texels.Allocate(bytes)) return kResultOutOfMemory;
    }
    return 0;
}

uint32_t FontGlyphData::AllocateList(FontListSection section, uint32_t count)
{
    listCounts[section] = 0;
    if (!lists[section].Allocate(uint64_t(count) * kFontListEntrySizes[section])) return kResultOutOfMemory;
    listCounts[section] = count;
    return 0;
}

void ComputeFontBoxes(const VorlGlyphRecord *records, uint32_t count, FontDataBoxItem *boxes)
{
    *boxes = {};
    bool used[2] = {false, false};
    for (uint32_t g = 0; g < count; ++g)
    {
        const VorlGlyphRecord &record = records[g];
        if (!(record.box[0] < record.box[2]) || !(record.box[3] > record.box[1])) continue;
        int32_t which = (record.markAnchorWord != 0) ? 1 : 0;
        float *box = (which != 0) ? boxes->markBox : boxes->glyphBox;
        if (!used[which])
        {
            for (int32_t k = 0; k < 4; ++k) box[k] = record.box[k];
            used[which] = true;
            continue;
        }
        if (record.box[0] < box[0]) box[0] = record.box[0];
        if (record.box[1] < box[1]) box[1] = record.box[1];
        if (record.box[2] > box[2]) box[2] = record.box[2];
        if (record.box[3] > box[3]) box[3] = record.box[3];
    }
}

}  // namespace oq
