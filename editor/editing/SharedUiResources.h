#pragma once

#include <cstdint>

namespace oq {

class Font;
struct GlyphTexturePair;

constexpr int32_t kPaletteFontCount = 4;
constexpr int32_t kStructureIconFileCount = 10;

// The fonts and icon files the palettes and dialogs share, made once for the process: the
// user-interface font, the four palette fonts and the structure-palette icon files. A slot that
// could not be loaded stays empty.
struct SharedUiResources
{
    Font *uiFont = nullptr;                                        // MasterFontTable row 57
    Font *paletteFonts[kPaletteFontCount] = {};                    // rows 0, 2, 3, 48
    GlyphTexturePair *structureIcons[kStructureIconFileCount] = {};  // "Spaces" .. "Matrices"
    bool created = false;
};

// The structure-palette icon file names in slot order.
extern const char *const kStructureIconFileNames[kStructureIconFileCount];

SharedUiResources &GetSharedUiResources();
// Loads them through the process-wide renderer unless made already; nothing fails.
void CreateSharedUiResources();
// Frees them while the renderer still runs; the next create loads them again.
void ReleaseSharedUiResources();

}  // namespace oq
