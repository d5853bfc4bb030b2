// The user-interface font, the palette fonts and the structure-palette icon files.
#include "editor/editing/SharedUiResources.h"

#include "editor/fonts/FontLoader.h"
#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"

namespace oq {

namespace {

constexpr int32_t kUiFontRow = 57;
constexpr int32_t kPaletteFontRows[kPaletteFontCount] = {0, 2, 3, 48};

SharedUiResources sharedUiResources;

}  // namespace

const char *const kStructureIconFileNames[kStructureIconFileCount] = {
    "Spaces", "Marks", "Brackets", "Structures", "Iterations", "Integrals", "Widemarks", "Arrows", "Bonds", "Matrices",
};

SharedUiResources &GetSharedUiResources() { return sharedUiResources; }

void CreateSharedUiResources()
{
    SharedUiResources &shared = sharedUiResources;
    Renderer *renderer = GetRenderer();
    if (shared.created || renderer == nullptr) return;
    shared.created = true;
    shared.uiFont = LoadFontByIndex(kUiFontRow);
    for (int32_t i = 0; i < kPaletteFontCount; ++i) shared.paletteFonts[i] = LoadFontByIndex(kPaletteFontRows[i]);
    for (int32_t i = 0; i < kStructureIconFileCount; ++i)
        shared.structureIcons[i] = LoadIconFile(*renderer, kStructureIconFileNames[i]);
}

void ReleaseSharedUiResources()
{
    SharedUiResources &shared = sharedUiResources;
    if (shared.uiFont != nullptr) shared.uiFont->Release();
    for (Font *&font : shared.paletteFonts)
    {
        if (font != nullptr) font->Release();
        font = nullptr;
    }
    Renderer *renderer = GetRenderer();
    for (GlyphTexturePair *&icons : shared.structureIcons)
    {
        if (renderer != nullptr) FreeLoadedTexturePair(*renderer, icons);
        icons = nullptr;
    }
    shared = SharedUiResources();
}

}  // namespace oq
