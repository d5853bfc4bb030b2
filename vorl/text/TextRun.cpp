#include "vorl/text/TextRun.h"

#include <cstring>

namespace oq {

int32_t TextRun::GetPackedSize() const
{
    return 12 * glyphCount + 12 * characterCount + 328 * stateCount + 4 * segmentCount + 72;
}

TextRun *TextRun::Pack(void *destination) const
{
    // The states come first after the head so that each one stays 8-byte aligned.
    char *block = static_cast<char *>(destination);
    TextRun *packed = static_cast<TextRun *>(destination);
    char *cursor = block + sizeof(TextRun);

    TextLayoutState *packedStates = reinterpret_cast<TextLayoutState *>(cursor);
    for (int32_t i = 0; i < stateCount; i++) CopyTextLayoutState(&packedStates[i], &states[i]);
    cursor += sizeof(TextLayoutState) * size_t(stateCount);

    TextRunCharacter *packedCharacters = reinterpret_cast<TextRunCharacter *>(cursor);
    std::memcpy(packedCharacters, characters, sizeof(TextRunCharacter) * size_t(characterCount + 1));
    cursor += sizeof(TextRunCharacter) * size_t(characterCount + 1);

    TextRunGlyph *packedGlyphs = reinterpret_cast<TextRunGlyph *>(cursor);
    std::memcpy(packedGlyphs, glyphs, sizeof(TextRunGlyph) * size_t(glyphCount + 1));
    cursor += sizeof(TextRunGlyph) * size_t(glyphCount + 1);

    float *packedDirections = reinterpret_cast<float *>(cursor);
    if (segmentCount > 0) std::memcpy(packedDirections, segmentDirections, sizeof(float) * size_t(segmentCount));

    packed->characterCount = characterCount;
    packed->glyphCount = glyphCount;
    packed->stateCount = stateCount;
    packed->segmentCount = segmentCount;
    packed->characters = packedCharacters;
    packed->glyphs = packedGlyphs;
    packed->states = packedStates;
    packed->segmentDirections = packedDirections;
    return packed;
}

}  // namespace oq
