// Font files on the load path: the input becomes Data/2.vorl and Data/21.vorl of a temporary
// folder, rows 2, 21 and 25 load through a recording renderer, and every accepted face answers
// bounds, slanted extents and digit side bearings for its glyphs; then everything is released.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "editor/fonts/FontLoader.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Heap.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"

namespace {

// The Data folder, made once and removed at exit.
struct FuzzFolder
{
    FuzzFolder()
    {
        char pattern[] = "/tmp/font_load_fuzz.XXXXXX";
        if (mkdtemp(pattern) == nullptr) std::abort();
        path = pattern;
    }
    ~FuzzFolder()
    {
        for (const char *name : {"/2.vorl", "/21.vorl"}) unlink((path + name).c_str());
        rmdir(path.c_str());
    }
    std::string path;
};

bool Write(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void Exercise(oq::Font *font)
{
    uint32_t count = font->GetGlyphCount();
    for (uint32_t glyph = 0; glyph <= count && glyph < 64; ++glyph)
    {
        float advance = 0.0F;
        static_cast<void>(font->GetGlyphBounds(glyph, 0, &advance));
        float angle = 0.0F;
        static_cast<void>(font->GetSlantedGlyphExtent(glyph, 0, &angle));
        angle = 0.125F;
        static_cast<void>(font->GetSlantedGlyphExtent(glyph, oq::kGlyphOwnOutline, &angle));
    }
    static_cast<void>(font->GetDigitSideBearings());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzFolder folder;
    if (!Write(folder.path + "/2.vorl", data, size) || !Write(folder.path + "/21.vorl", data, size)) return 0;
    oq::Heap heap("fuzz", oq::GetProcessHeap(), true);
    oq::RecordingDevice device;
    oq::Renderer renderer(&device, folder.path.c_str(), &heap);
    const float white[4] = {1, 1, 1, 1};
    if (!renderer.Start(nullptr, 16, 16, white)) std::abort();
    oq::SetRenderer(&renderer);
    oq::Font *fonts[3] = {oq::LoadFontByIndex(2), oq::LoadFontByIndex(21), oq::LoadFontByIndex(25)};
    for (oq::Font *font : fonts)
        if (font != nullptr) Exercise(font);
    for (oq::Font *font : fonts)
        if (font != nullptr) font->Release();
    if (oq::Font::GetFirst() != nullptr || oq::FontFile::GetFirst() != nullptr) std::abort();
    oq::SetRenderer(nullptr);
    renderer.Shutdown();
    return 0;
}
