#include "editor/fonts/Design.h"

#include "editor/fonts/MasterFontTable.h"
#include "editor/platform/FontFile.h"

#include <cstring>

namespace oq {

const int32_t kCharacterStyles[kCharacterStyleCount] = {
    'uprt', 'ital', 'bold', 'bitl', 'mono', 'grek', 'itgk', 'bdgk', 'bigk', 'sym1', 'sym2', 'nary', 'gral',
    'uprx', 'itax', 'bolx', 'bitx', 'scpt', 'bdsc', 'frkt', 'bdfk', 'doub', 'sans', 'itsn', 'dbsn', 'bisn',
};

namespace {

// The factory font slots as built-in font rows; -1: an empty slot.
const int32_t kFactoryFontRows[kDesignFontSlotCount] = {0, 2, 3, 4, 5, 48, 25, 47, 30, -1, -1, -1, -1, -1, -1, -1};

constexpr uint8_t kEnd = kStyleMapEnd;

const uint8_t kFactoryStyleMaps[kCharacterStyleCount][kStyleMapLength] = {
    {0, 1, 7, 5},       {0, 2, 7, 5},       {0, 3, 7, 5},       {0, 4, 7, 5},       {0, 8, 7, kEnd},
    {1, 7, 5, kEnd},    {2, 7, 5, kEnd},    {3, 7, 5, kEnd},    {4, 7, 5, kEnd},    {0, 5, 7, kEnd},
    {0, 5, 7, kEnd},    {0, 1, 5, 7},       {0, 1, 5, 7},       {0, 1, 7, 5},       {0, 2, 7, 5},
    {0, 3, 7, 5},       {0, 4, 7, 5},       {6, kEnd, kEnd, kEnd}, {6, kEnd, kEnd, kEnd}, {6, kEnd, kEnd, kEnd},
    {6, kEnd, kEnd, kEnd}, {6, kEnd, kEnd, kEnd}, {6, kEnd, kEnd, kEnd}, {6, kEnd, kEnd, kEnd},
    {6, kEnd, kEnd, kEnd}, {6, kEnd, kEnd, kEnd},
};

constexpr uint32_t Opaque(uint32_t red, uint32_t green, uint32_t blue)
{
    return red | green << 8 | blue << 16 | 0xFF000000U;
}

}  // namespace

const uint32_t kFactoryPalette[kDesignPaletteSize] = {
    Opaque(0, 0, 0),       Opaque(80, 80, 80),    Opaque(128, 128, 128), Opaque(192, 192, 192),
    Opaque(186, 88, 88),   Opaque(51, 153, 102),  Opaque(0, 102, 204),   Opaque(144, 91, 229),
    Opaque(255, 133, 112), Opaque(158, 216, 160), Opaque(151, 215, 232), Opaque(194, 166, 221),
    Opaque(255, 192, 0),   Opaque(252, 252, 0),   Opaque(224, 208, 160), Opaque(179, 159, 128),
};

const char *GetFactoryFontName(int32_t slot)
{
    int32_t row = kFactoryFontRows[slot];
    return row < 0 ? "" : MasterFontTable[row].name;
}

const uint8_t *GetFactoryStyleMap(int32_t style) { return kFactoryStyleMaps[style]; }

Design::Design() : styleMaps{}, styleFallbackMap{}, palette{}, equationParams{}, drawingParams{}
{
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot) fonts.SetSlot(slot, nullptr);
    ResetToFactory();
}

Design::~Design() { ReleaseFonts(); }

void Design::ReleaseFonts()
{
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot) SetFont(slot, nullptr);
}

void Design::SetFont(int32_t slot, Font *font)
{
    if (font != nullptr) ++font->references;
    Font *old = fonts.slots[slot];
    fonts.SetSlot(slot, font);
    if (old != nullptr) static_cast<void>(old->Release());
}

void Design::ResetToFactory()
{
    ReleaseFonts();
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot) fontNames[slot] = GetFactoryFontName(slot);
    std::memcpy(styleMaps, kFactoryStyleMaps, sizeof(styleMaps));
    styleFallbackMap = {kCharacterStyleCount, kStyleMapLength, kCharacterStyles, &styleMaps[0][0]};
    std::memcpy(palette, kFactoryPalette, sizeof(palette));
    for (int32_t group = 0; group < kDesignGroupCount; ++group)
    {
        const DesignGroupTable &table = kDesignGroupTables[group];
        std::memcpy(GetGroupSlots(group), table.factory, sizeof(float) * size_t(table.slotCount));
    }
    SetSeparateStyles(false);
    int32_t flags = 0;
    std::memcpy(&equationParams[kDesignTextRunFlagsSlot], &flags, sizeof(flags));
}

void Design::CopyFrom(const Design &other)
{
    if (&other == this) return;
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot)
    {
        fontNames[slot] = other.fontNames[slot];
        SetFont(slot, other.fonts.slots[slot]);
        fonts.textFonts[slot] = other.fonts.textFonts[slot];
    }
    std::memcpy(styleMaps, other.styleMaps, sizeof(styleMaps));
    styleFallbackMap = {kCharacterStyleCount, kStyleMapLength, kCharacterStyles, &styleMaps[0][0]};
    std::memcpy(palette, other.palette, sizeof(palette));
    CopyEquationParams(other);
    CopyDrawingParams(other);
}

void Design::CopyEquationParams(const Design &other)
{
    std::memcpy(equationParams, other.equationParams, sizeof(equationParams));
}

void Design::CopyDrawingParams(const Design &other)
{
    std::memcpy(drawingParams, other.drawingParams, sizeof(drawingParams));
}

float *Design::GetGroupSlots(int32_t group)
{
    float *span = group < kDesignEquationGroupCount ? equationParams : drawingParams;
    return span + kDesignGroupTables[group].firstSlot;
}

const float *Design::GetGroupSlots(int32_t group) const
{
    const float *span = group < kDesignEquationGroupCount ? equationParams : drawingParams;
    return span + kDesignGroupTables[group].firstSlot;
}

// The flag is the first byte of its slot; the other bytes stay 0.
bool Design::GetSeparateStyles() const
{
    uint8_t flag;
    std::memcpy(&flag, &equationParams[kDesignSeparateStylesSlot], 1);
    return flag != 0;
}

void Design::SetSeparateStyles(bool separate)
{
    uint32_t bits = separate ? 1 : 0;
    std::memcpy(&equationParams[kDesignSeparateStylesSlot], &bits, sizeof(bits));
}

int32_t Design::GetTextRunFlags() const
{
    int32_t flags;
    std::memcpy(&flags, &equationParams[kDesignTextRunFlagsSlot], sizeof(flags));
    return flags;
}

}  // namespace oq
