#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "vorl/text/FontDataAccess.h"
#include "vorl/text/TextFont.h"
#include "vorl/text/TextRun.h"
#include "vorl/text/VorlFontValidator.h"

namespace oq::test {

// A text run with arrays of the fixed limits, owned by the test.
class TextRunStorage
{
public:
    TextRunStorage()
        : characters(kTextRunCharacterEntries), glyphs(kTextRunGlyphEntries), states(kTextRunMaxStates),
          segments(kTextRunMaxSegments)
    {
        run.characterCount = 0;
        run.glyphCount = 0;
        run.stateCount = 0;
        run.segmentCount = 0;
        run.characters = characters.data();
        run.glyphs = glyphs.data();
        run.states = states.data();
        run.segmentDirections = segments.data();
    }
    TextRunStorage(const TextRunStorage &) = delete;
    TextRunStorage &operator=(const TextRunStorage &) = delete;

    TextRun run;

private:
    std::vector<TextRunCharacter> characters;
    std::vector<TextRunGlyph> glyphs;
    std::vector<TextLayoutState> states;
    std::vector<float> segments;
};

// A validated font image and one TextFont per font of it (scale 1, no vertical offset).
class LoadedVorlFont
{
public:
    explicit LoadedVorlFont(std::vector<uint8_t> fileImage) : image(std::move(fileImage))
    {
        valid = ValidateVorlFontFile(image.data(), image.size());
        if (!valid) return;
        const VorlFileHeader *file = reinterpret_cast<const VorlFileHeader *>(image.data());
        for (uint32_t i = 0; i < file->count; ++i) fonts.push_back(TextFont{GetVorlFontRecord(file, i), 1.0F, 0.0F});
    }

    int32_t Count() const { return int32_t(fonts.size()); }

    std::vector<uint8_t> image;
    std::vector<TextFont> fonts;
    bool valid = false;
};

}  // namespace oq::test
