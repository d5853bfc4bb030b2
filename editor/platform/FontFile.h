#pragma once

#include "editor/platform/GlyphTexturePair.h"
#include "editor/platform/Shared.h"

#include <cstdint>

namespace oq {

class Renderer;

// One loaded Vorl font file, shared by the Fonts of its faces: the validated image and the decoded
// curve texels in its texture pair, which makes the GPU textures once the renderer runs.
class FontFile : public Shared
{
public:
    // Reads, validates and decodes the file; none when it cannot be read, the validator refuses
    // it, or its curve block does not decode. The key is cut to 127 characters.
    [[nodiscard]] static FontFile *Load(Renderer &renderer, const char *path, const char *key);

    const VorlFileHeader *GetHeader() const { return reinterpret_cast<const VorlFileHeader *>(pair.fileData); }

    GlyphTexturePair pair;
    char key[128] = {};
    Renderer *renderer;

protected:
    explicit FontFile(Renderer &owner) : renderer(&owner) {}
    ~FontFile() override;
};

// One face of a font file with the metrics the layouts read directly.
class Font : public Shared
{
public:
    // Takes over one reference to the file. None (the reference released) when the face index is
    // not below the file's font count. Makes the file's textures when the renderer has started.
    [[nodiscard]] static Font *Create(const char *name, FontFile *file, int32_t faceIndex);

    FontFile *file;
    int32_t faceIndex;
    float axisHeight = 0.0F;     // first value of 'AXIS'; 0 when the face has none
    float capitalHeight = 0.0F;  // first value of 'HITE'
    float slant = 0.0F;          // 'SLNT'
    char name[128] = {};

    GlyphTexturePair *GetTexturePair() const { return &file->pair; }

protected:
    Font(FontFile *fontFile, int32_t face) : file(fontFile), faceIndex(face) {}
    ~Font() override;
};

}  // namespace oq
