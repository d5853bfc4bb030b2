#pragma once

#include "base/TextString.h"
#include "editor/fonts/DesignTables.h"
#include "editor/platform/DocumentFontSet.h"
#include "vorl/text/TextFont.h"

#include <cstdint>

namespace oq {

constexpr int32_t kDesignFontSlotCount = 16;
constexpr int32_t kCharacterStyleCount = 26;
constexpr int32_t kStyleMapLength = 4;
constexpr int32_t kDesignPaletteSize = 16;
// A StyleMap entry past the last font slot of the entry.
constexpr uint8_t kStyleMapEnd = 255;

// The character styles in StyleMap order ('uprt' .. 'bisn'), the keys of the style fallback map.
extern const int32_t kCharacterStyles[kCharacterStyleCount];

// What ResolveFonts did: nothing (slot 0 was loaded), all loaded, some slot replaced by a fallback,
// or slot 0 itself could not be loaded (the Data folder is damaged; reported once).
enum class FontResolveResult : uint32_t
{
    kUnchanged,
    kLoaded,
    kReplaced,
    kDataDamaged,
};

// Forgets which missing font names and which damaged Data folder were reported, so that they are
// reported again (after a rescan of the installed fonts).
void ClearReportedMissingFonts();

// The typographic and drawing style of one equation: its fonts and which of them serve each
// character style, the 16-colour palette and the float parameters every layout reads.
class Design
{
public:
    // The factory design with no fonts loaded.
    Design();
    Design(const Design &) = delete;
    Design &operator=(const Design &) = delete;
    // Releases the fonts.
    ~Design();

    // Names, StyleMaps, palette and parameters of the factory design; loaded fonts are released.
    void ResetToFactory();
    // Becomes a copy of the other design, sharing its loaded fonts (one more reference each).
    void CopyFrom(const Design &other);
    // The 18 equation groups, fixed values and the separate-styles flag included.
    void CopyEquationParams(const Design &other);
    // The 6 drawing groups with their fixed values.
    void CopyDrawingParams(const Design &other);

    // The float slots of a group (storage order of kDesignGroupTables).
    float *GetGroupSlots(int32_t group);
    const float *GetGroupSlots(int32_t group) const;
    // The slot a row names.
    float GetParam(int32_t group, const DesignParamRow &row) const { return GetGroupSlots(group)[row.offset / 4]; }
    // A general-group parameter by its slot.
    float GetGeneral(int32_t slot) const { return equationParams[slot]; }
    float GetBaseFontSize() const { return equationParams[0]; }
    void SetBaseFontSize(float size) { equationParams[0] = size; }

    bool GetSeparateStyles() const;
    void SetSeparateStyles(bool separate);
    // What symbol runs of role 'text' pass in their text-layout request (factory 0).
    int32_t GetTextRunFlags() const;

    // Loads the font of every named slot unless slot 0 is loaded already. A slot whose font cannot be
    // loaded keeps its name and gets the fallback font (row 2, else slot 0's font); its name goes into
    // missing at the slot's index unless reported before. StyleMaps are cut at their first slot
    // without a font.
    [[nodiscard]] FontResolveResult ResolveFonts(TextString missing[kDesignFontSlotCount]);

    // Drops the design's reference on every loaded font and clears its slots.
    void ReleaseFonts();
    // Puts a font into a slot, holding one reference on it (none empties the slot).
    void SetFont(int32_t slot, Font *font);

    TextString fontNames[kDesignFontSlotCount];
    uint8_t styleMaps[kCharacterStyleCount][kStyleMapLength];
    FontFallbackMap styleFallbackMap;  // always over this design's own StyleMaps
    DocumentFontSet fonts;             // the loaded fonts and their text fonts; the design holds the counts
    uint32_t palette[kDesignPaletteSize];
    float equationParams[kDesignEquationSlotCount];
    float drawingParams[kDesignDrawingSlotCount];
};

// The factory name of a font slot ("" for an empty slot).
const char *GetFactoryFontName(int32_t slot);
// The factory StyleMap of a character style (by StyleMap index).
const uint8_t *GetFactoryStyleMap(int32_t style);
extern const uint32_t kFactoryPalette[kDesignPaletteSize];

}  // namespace oq
