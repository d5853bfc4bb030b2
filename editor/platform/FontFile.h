#pragma once

#include "base/List.h"
#include "base/TextString.h"
#include "editor/platform/GlyphTexturePair.h"
#include "editor/platform/Shared.h"

#include <cstdint>

namespace oq {

class Font;
class FontFile;
class Renderer;
struct VorlFontRecord;

// Font files beyond this are not ones the compiler writes: they are not loaded.
constexpr uint64_t kMaxFontFileSize = 0x40000000;

// Flag of the glyph metric operations: the glyph's own record, not the union of its colour layers.
inline constexpr uint32_t kGlyphOwnOutline = 0x200;

// A glyph box in ems: x min, y min, x max, y max.
struct GlyphBounds
{
    float xMin = 0.0F;
    float yMin = 0.0F;
    float xMax = 0.0F;
    float yMax = 0.0F;
};

// How far a glyph reaches to the left and right along a slanted direction, in ems.
struct GlyphExtent
{
    float left = 0.0F;
    float right = 0.0F;
};

// One entry of a Font's slanted-extent cache.
struct SlantedExtentEntry
{
    float angle;
    float left;
    float right;
};

// The element by which a FontFile or Font stands in its global list.
template <typename Owner>
class LoadedListElement : public ListElement
{
public:
    explicit LoadedListElement(Owner *object) : owner(object) {}
    Owner *const owner;
};

// One loaded Vorl font file, shared by the Fonts of its faces: the validated image and the decoded
// curve texels in its texture pair, which makes the GPU textures once the renderer runs.
class FontFile : public Shared
{
public:
    // Reads, validates and decodes the file and enters it into the FontFile list; none when it
    // cannot be read, the validator refuses it, or its curve block does not decode.
    [[nodiscard]] static FontFile *Load(Renderer &renderer, const char *path, const char *key);

    const VorlFileHeader *GetHeader() const { return reinterpret_cast<const VorlFileHeader *>(pair.fileData); }
    uint32_t GetFaceCount() const { return GetHeader()->count; }

    // The loaded files, oldest first.
    static FontFile *GetFirst();
    FontFile *GetNext() const;

    GlyphTexturePair pair;
    TextString key;
    TextString path;  // the file it was read from, as given
    Renderer *renderer;

protected:
    explicit FontFile(Renderer &owner);
    ~FontFile() override;

private:
    LoadedListElement<FontFile> listElement;
};

// One face of a font file with the metrics the layouts read directly and two lazy caches.
class Font : public Shared
{
public:
    // Takes over one reference to the file and enters the Font into the Font list. None (the
    // reference released) when the face index is not below the file's font count. Makes the
    // file's textures when the renderer has started.
    [[nodiscard]] static Font *Create(const char *name, FontFile *file, int32_t faceIndex);

    // The loaded Fonts, oldest first.
    static Font *GetFirst();
    Font *GetNext() const;

    const VorlFontRecord *GetRecord() const;
    uint32_t GetGlyphCount() const;

    // The glyph's box (the union of its colour layers' boxes unless the flags hold
    // kGlyphOwnOutline); the advance out, when given, receives its advance. A glyph index past the
    // face's glyphs gives an empty box and advance 0.
    GlyphBounds GetGlyphBounds(uint32_t glyph, uint32_t flags, float *advance = nullptr) const;
    // The glyph's extent along the direction slanted by the angle (radians) from upright, cached per
    // glyph; an angle of exactly 0 is the font's own slant, written back into the caller's angle.
    GlyphExtent GetSlantedGlyphExtent(uint32_t glyph, uint32_t flags, float *angle);
    // The least left and right side bearings of the tabular digits, each at most 1.0; computed once.
    GlyphExtent GetDigitSideBearings();

    FontFile *file;
    int32_t faceIndex;
    float axisHeight = 0.0F;     // first value of 'AXIS'; 0 when the face has none
    float capitalHeight = 0.0F;  // first value of 'HITE'
    float slant = 0.0F;          // 'SLNT'
    TextString name;
    SlantedExtentEntry *extentCache = nullptr;  // one entry per glyph once used
    GlyphExtent digitSideBearings = {-1.0F, -1.0F};

    GlyphTexturePair *GetTexturePair() const { return &file->pair; }

protected:
    Font(FontFile *fontFile, int32_t face);
    ~Font() override;

private:
    GlyphExtent ComputeSlantedExtent(uint32_t glyph, float angle);

    LoadedListElement<Font> listElement;
};

// Makes the textures of every loaded FontFile of the renderer that has none (the renderer calls it
// when it starts, for fonts loaded before).
void CreateLoadedFontTextures(Renderer &renderer);
// Releases those textures while the device still runs (the renderer calls it when it shuts down);
// the files keep their texels and make the textures again at the next start.
void ReleaseLoadedFontTextures(Renderer &renderer);
// Destroys every Font still loaded, then every FontFile (process exit), whatever their counts.
void DestroyLoadedFonts();

}  // namespace oq
