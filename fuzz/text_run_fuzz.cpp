// Text with format directives, bidirectional letters and broken UTF-8: run layout and the state
// after the text, on an exact-size copy so that any read past the length is caught; then glyph
// mapping with the two fonts of the sample font image, line breaking, caret placement and hit
// testing over the mapped run. The first byte (which is also part of the
// text) picks the options.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Memory.h"
#include "support/VorlFontBuilder.h"
#include "vorl/text/FormatDirective.h"
#include "vorl/text/GlyphMapping.h"
#include "vorl/text/TextMeasure.h"
#include "vorl/text/TextRun.h"
#include "vorl/text/VorlFontValidator.h"

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

// The sample font image, validated once, as a two-font array.
struct SampleFonts
{
    std::vector<uint8_t> image = oq::test::MakeSampleVorlFont().Build();
    oq::TextFont fonts[2];

    SampleFonts()
    {
        if (!oq::ValidateVorlFontFile(image.data(), image.size())) std::abort();
        const oq::VorlFileHeader *file = reinterpret_cast<const oq::VorlFileHeader *>(image.data());
        for (uint32_t i = 0; i < 2; i++) fonts[i] = oq::TextFont{oq::GetVorlFontRecord(file, i), 1.0F, 0.0F};
    }
};

// Every glyph is a glyph of its font, a placeholder or the end entry at glyphCount; characters
// are walked in order.
bool GlyphsAreConsistent(const oq::TextRun &run, const oq::TextFont *fonts, int32_t fontCount)
{
    if (run.glyphCount < 0 || run.glyphCount > oq::kTextRunMaxGlyphs) return false;
    if (!oq::IsEndGlyph(run.glyphs[run.glyphCount].glyphWord)) return false;
    int32_t character = 0;
    for (int32_t i = 0; i < run.glyphCount; i++)
    {
        const oq::TextRunGlyph &glyph = run.glyphs[i];
        if (glyph.fontIndex >= fontCount || glyph.stateIndex >= run.stateCount) return false;
        if (glyph.segmentIndex >= run.segmentCount) return false;
        if (glyph.characterIndex < character || glyph.characterIndex >= run.characterCount) return false;
        character = glyph.characterIndex;
        uint32_t index = oq::GlyphIndexOf(glyph.glyphWord);
        if (oq::IsEndGlyph(glyph.glyphWord)) return false;
        if (!oq::IsPlaceholderGlyph(glyph.glyphWord) && index >= fonts[glyph.fontIndex].fontRecord->glyphCount)
            return false;
    }
    return run.glyphs[run.glyphCount].characterIndex <= run.characterCount;
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

    // Mapping, with every alternate feature and sequence class on for odd selectors.
    static SampleFonts sample;
    static const uint8_t kRow[] = {0, 1};
    static const int32_t kRowNumber[] = {0};
    static const oq::FontFallbackMap kFallback = {1, 2, kRowNumber, kRow};
    if (selector & 0x40)
    {
        run.states[0].alternateMask = 0xFFFFFF;
        run.states[0].alternateSelector = selector >> 7;
        run.states[0].sequenceMask = 0xFFFF;
        run.states[0].optionFlags |= oq::kTextOptionVertical;
    }
    run.states[0].missingGlyph = selector & 0x80 ? 0x7FFFFFFF : 1;
    oq::MapRunToGlyphs(&run, 2, sample.fonts, &kFallback);
    if (!GlyphsAreConsistent(run, sample.fonts, 2)) std::abort();

    // Lines must cover the run in order, each taking at least one glyph.
    static const uint32_t kBreaks[] = {' ', '-'};
    static const uint32_t kForced[] = {'\n', '\r' | oq::kForcedBreakPairs, 0x2028 | oq::kForcedBreakKeepsParagraph};
    static oq::TextLine lines[64];
    float width = float(selector & 0x1F) * 2.0F;
    int32_t first = 0;
    const oq::TextLine *previous = nullptr;
    for (int32_t round = 0; round < 64; round++)
    {
        int32_t count = oq::BreakRunIntoLines(&run, 2, sample.fonts, width, 2, kBreaks, 3, kForced, 1, kBreaks, 64,
                                              lines, previous);
        if (count < 1 || count > 64) std::abort();
        for (int32_t i = 0; i < count; i++)
        {
            if (lines[i].firstGlyph != first) std::abort();
            if (lines[i].glyphCount < 0 || (lines[i].glyphCount == 0 && first < run.glyphCount)) std::abort();
            first += lines[i].glyphCount;
        }
        if (first > run.glyphCount) std::abort();
        if (first == run.glyphCount) break;
        previous = &lines[count - 1];
    }

    int32_t offsets[4] = {0, length / 3, length / 2, length};
    oq::CaretPlacement placements[4];
    oq::GetRunCaretPositions(&run, nullptr, 2, sample.fonts, 4, offsets, placements);
    oq::HitTestResult hit;
    for (const oq::CaretPlacement &placement : placements)
    {
        if (oq::HitTestRun(&run, nullptr, 2, sample.fonts, placement.x, &hit) &&
            (hit.textOffset < 0 || hit.textOffset > length))
            std::abort();
    }

    oq::TextLayoutState result;
    oq::ApplyTextFormatDirectives(&state, text, length, &result);

    oq::MemoryRelease(text);
    return 0;
}
