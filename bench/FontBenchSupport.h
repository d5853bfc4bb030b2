#pragma once

// The real fonts of the import and compile benchmarks, and their yardstick: FreeType loading and
// decomposing every glyph unscaled.
#include "ambrel/FontStructure.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace oq::bench {

// DejaVu Sans (glyf), FreeSerif and Latin Modern Math (CFF), Noto Sans CJK (a collection of 10
// faces sharing one CID-keyed CFF glyph set).
inline constexpr const char *kBenchFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    "/usr/share/fonts/opentype/freefont/FreeSerif.otf",
    "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
};
inline constexpr int32_t kBenchFontCount = 4;

inline std::vector<uint8_t> ReadFontFile(const char *path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

// The first face's offset table.
inline uint64_t FirstFaceOffset(const FontBytes &file)
{
    uint64_t offset = 0;
    if (file.GetUInt32(0) == kCollectionTag && ReadCollectionFaceOffset(file, 0, &offset) != 0) return 0;
    return offset;
}

inline double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The first face of a font file in FreeType.
class FreeTypeFont
{
public:
    explicit FreeTypeFont(const char *path)
    {
        if (FT_Init_FreeType(&library) != 0) return;
        if (FT_New_Face(library, path, 0, &face) != 0) face = nullptr;
    }
    ~FreeTypeFont()
    {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
    FreeTypeFont(const FreeTypeFont &) = delete;
    FreeTypeFont &operator=(const FreeTypeFont &) = delete;

    bool IsOpen() const { return face != nullptr; }
    int64_t GetGlyphCount() const { return face->num_glyphs; }

    // Loads (unscaled, unhinted) and decomposes every glyph; gives the segment count.
    int64_t LoadAndDecomposeAll()
    {
        const FT_Outline_Funcs funcs = {CountMove, CountLine, CountConic, CountCubic, 0, 0};
        int64_t segments = 0;
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
        {
            FT_Load_Glyph(face, FT_UInt(g), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &segments);
        }
        return segments;
    }

private:
    static int Count(void *user)
    {
        ++*static_cast<int64_t *>(user);
        return 0;
    }
    static int CountMove(const FT_Vector *, void *user) { return Count(user); }
    static int CountLine(const FT_Vector *, void *user) { return Count(user); }
    static int CountConic(const FT_Vector *, const FT_Vector *, void *user) { return Count(user); }
    static int CountCubic(const FT_Vector *, const FT_Vector *, const FT_Vector *, void *user) { return Count(user); }

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

// The importer's outline step (decoding, Paths and Components) on the face's glyphs, timed alone:
// seconds, or a negative value when the font does not import. Gives the glyph count.
inline double TimeOutlineImport(const FontBytes &file, uint64_t face, uint32_t *glyphCount)
{
    auto *font = new FontStructure;
    OpenTypeImporter importer(file);
    double seconds = -1.0;
    if (importer.ReadHeaderTables(face, font) == 0)
    {
        AddGlyphStructures(font);
        *glyphCount = font->glyphCount;
        auto start = std::chrono::steady_clock::now();
        uint32_t result = importer.ReadOutlines(face, font);
        seconds = (result == 0) ? SecondsSince(start) : -1.0;
    }
    delete font;
    return seconds;
}

}  // namespace oq::bench
