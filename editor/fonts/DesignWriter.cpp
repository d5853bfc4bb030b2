#include "editor/fonts/DesignWriter.h"

#include "editor/fonts/MasterFontTable.h"
#include "editor/fonts/SettingsText.h"
#include "kettric/KettricLiterals.h"

#include <cstring>

namespace oq {

const int32_t kDesignBlockGroupOrder[kDesignGroupCount] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                                           12, 13, 14, 15, 16, 17, 20, 21, 22, 23, 18, 19};

namespace {

void WriteFontSlot(int32_t slot, const TextString &name, TextBuffer *buffer)
{
    buffer->AppendText("\tF (i=").AppendInteger(slot);
    int32_t row = name.IsEmpty() ? -1 : FindMasterFontRow(name);
    if (name.IsEmpty() || row >= 0)
    {
        buffer->AppendText(") {i16{").AppendInteger(row).AppendText("}}\n");
        return;
    }
    // Escaped, so that quotes and backslashes in a face name read back.
    buffer->AppendText(") {s{");
    AppendQuotedText(buffer, name, name.GetLength());
    buffer->AppendText("}}\n");
}

void WriteStyleMap(uint32_t style, const uint8_t *entry, TextBuffer *buffer)
{
    buffer->AppendText("\tM (t=");
    static_cast<void>(buffer->AppendFourCC(style));
    buffer->AppendText(") {u8{").AppendInteger(entry[0]);
    for (int32_t i = 1; i < kStyleMapLength && entry[i] != kStyleMapEnd; ++i)
    {
        buffer->AppendText(",").AppendInteger(entry[i]);
    }
    buffer->AppendText("}}\n");
}

void WriteValue(uint32_t group, uint32_t key, float value, TextBuffer *buffer)
{
    buffer->AppendText("\tV (");
    if (group != 0)
    {
        buffer->AppendText("d=");
        static_cast<void>(buffer->AppendFourCC(group));
        buffer->AppendText(",");
    }
    buffer->AppendText("n=");
    static_cast<void>(buffer->AppendFourCC(key));
    char text[kKettricFloatTextSize];
    static_cast<void>(FormatKettricFloat(value, text));
    buffer->AppendText(") {f{").AppendText(text).AppendText("}}\n");
}

}  // namespace

void WriteDesignBlock(const Design &design, TextBuffer *buffer)
{
    buffer->AppendText("D\n{\n");
    for (int32_t slot = 1; slot < kDesignFontSlotCount; ++slot)
    {
        const TextString &name = design.fontNames[slot];
        if (std::strcmp(name, GetFactoryFontName(slot)) != 0) WriteFontSlot(slot, name, buffer);
    }
    for (int32_t style = 0; style < kCharacterStyleCount; ++style)
    {
        if (std::memcmp(design.styleMaps[style], GetFactoryStyleMap(style), kStyleMapLength) != 0)
        {
            WriteStyleMap(uint32_t(kCharacterStyles[style]), design.styleMaps[style], buffer);
        }
    }
    if (std::memcmp(design.palette, kFactoryPalette, sizeof(kFactoryPalette)) != 0)
    {
        buffer->AppendText("\tP {u32{");
        for (int32_t i = 0; i < kDesignPaletteSize; ++i)
        {
            if (i != 0) buffer->AppendText(", ");
            AppendHex32(buffer, design.palette[i]);
        }
        buffer->AppendText("}}\n");
    }
    if (design.GetSeparateStyles()) buffer->AppendText("\tV (n='seps') {b{true}}\n");
    for (int32_t group : kDesignBlockGroupOrder)
    {
        const DesignGroupTable &table = kDesignGroupTables[group];
        const float *slots = design.GetGroupSlots(group);
        for (int32_t i = 0; i < table.rowCount; ++i)
        {
            const DesignParamRow &row = table.rows[i];
            float value = slots[row.offset / 4];
            // A NaN is never equal, so it is written (as a bit pattern).
            if (!(value == table.factory[row.offset / 4])) WriteValue(table.key, row.key, value, buffer);
        }
    }
    buffer->AppendText("}\n");
}

}  // namespace oq
