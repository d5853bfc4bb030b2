// Text with format directives, bidirectional letters and broken UTF-8: run layout and the state
// after the text, on an exact-size copy so that any read past the length is caught. The first
// byte (which is also part of the text) picks the options.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Memory.h"
#include "vorl/text/FormatDirective.h"
#include "vorl/text/TextRun.h"

namespace {

// Arrays of the full fixed limits, kept between inputs.
struct RunArrays
{
    std::vector<oq::TextRunCharacter> characters = std::vector<oq::TextRunCharacter>(oq::kTextRunCharacterEntries);
    std::vector<oq::TextRunGlyph> glyphs = std::vector<oq::TextRunGlyph>(oq::kTextRunGlyphEntries);
    std::vector<oq::TextLayoutState> states = std::vector<oq::TextLayoutState>(oq::kTextRunMaxStates);
    std::vector<float> directions = std::vector<float>(oq::kTextRunMaxSegments);
};

// The run's characters tile the decoded text in order and its flags and segments stay in range.
bool RunIsConsistent(const oq::TextRun &run, int32_t length)
{
    if (run.characterCount < 0 || run.characterCount > oq::kTextRunMaxCharacters) return false;
    int32_t offset = 0;
    int32_t segments = 1;
    for (int32_t i = 0; i < run.characterCount; i++)
    {
        const oq::TextRunCharacter &character = run.characters[i];
        if (character.textOffset < offset || character.byteLength < 1 || character.byteLength > 4) return false;
        if (character.codePoint == 0 || (character.flags & ~0x3B) != 0) return false;
        offset = character.textOffset + character.byteLength;
        if (character.flags & oq::kRunFlagNewSegment) segments++;
    }
    const oq::TextRunCharacter &end = run.characters[run.characterCount];
    if (end.textOffset < offset || end.textOffset > length) return false;
    if (end.codePoint != 0 || end.properties != 1 || end.byteLength != 0 || end.flags != 0) return false;
    if (segments > oq::kTextRunMaxSegments) return false;
    for (int32_t i = 0; i < segments; i++)
    {
        if (run.segmentDirections[i] != 1.0F && run.segmentDirections[i] != -1.0F) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 0x100000) return 0;
    static RunArrays arrays;

    char *text = static_cast<char *>(oq::MemoryAllocate(size != 0 ? size : 1));
    if (size != 0) std::memcpy(text, data, size);
    int32_t length = int32_t(size);
    uint8_t selector = (size != 0) ? data[0] : 0;

    oq::TextLayoutState resetTarget;
    oq::ResetTextLayoutState(&resetTarget);
    resetTarget.size = 9.0F;
    resetTarget.directiveMask = 0;

    oq::TextLayoutState state;
    oq::ResetTextLayoutState(&state);
    state.optionFlags = oq::kTextOptionDirectives;
    if (selector & 0x01) state.optionFlags |= oq::kTextOptionBidirectional;
    if (selector & 0x02) state.optionFlags |= oq::kTextOptionRightToLeft;
    if (selector & 0x04) state.directiveMask = 0x155555;
    if (selector & 0x08) state.resetState = &resetTarget;
    if (selector & 0x10) state.placeholderCount = 0x100;
    if (selector & 0x20) state.placeholderBase = 0x5D0;

    oq::TextRun run{};
    run.characters = arrays.characters.data();
    run.glyphs = arrays.glyphs.data();
    run.states = arrays.states.data();
    run.segmentDirections = arrays.directions.data();
    oq::LayoutTextRun(&run, &state, text, length);
    if (!RunIsConsistent(run, length)) std::abort();

    oq::TextLayoutState result;
    oq::ApplyTextFormatDirectives(&state, text, length, &result);

    oq::MemoryRelease(text);
    return 0;
}
