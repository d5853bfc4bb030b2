#pragma once

#include <cstdint>

#include "vorl/text/TextLayoutState.h"

namespace oq {

struct Box2D;
struct GeometryBuffer;
struct GlyphRange;
struct Matrix2D;
struct PlaceholderPosition;
struct TextFont;
struct TextLine;

// Run flag bits: a character's flags, copied into bits 24-31 of the word of its first glyph.
enum : uint8_t
{
    kRunFlagNewState = 0x01,
    kRunFlagNewSegment = 0x02,
    kRunFlagNewFont = 0x04,
    kRunFlagDecorationBreak = 0x08,
    kRunFlagKerningBreak = 0x10,
    kRunFlagMarkBreak = 0x20
};

// The fixed limits that layout and glyph mapping respect (array entries include the end entry).
constexpr int32_t kTextRunMaxCharacters = 16383;
constexpr int32_t kTextRunCharacterEntries = 16384;
constexpr int32_t kTextRunMaxGlyphs = 17407;
constexpr int32_t kTextRunGlyphEntries = 17408;
constexpr int32_t kTextRunMaxStates = 256;
constexpr int32_t kTextRunMaxSegments = 256;

// Placeholder numbers stay below this, so placeholder n (glyph word 0xFF0000 + n) never reads as
// the end entry 0xFFFFFF.
constexpr uint32_t kMaxPlaceholderCount = 0xFFFF;

// The placeholder count of a state as layout, mapping and the pen walks read it.
inline uint32_t GetPlaceholderCount(const TextLayoutState *state)
{
    return state->placeholderCount < kMaxPlaceholderCount ? state->placeholderCount : kMaxPlaceholderCount;
}

// One decoded character of a run.
struct TextRunCharacter
{
    int32_t textOffset;
    uint32_t codePoint;     // after bracket mirroring
    uint16_t properties;    // Unicode property bits; 0 for a placeholder
    uint8_t byteLength;
    uint8_t flags;          // run flags that start with this character
};

// One glyph of a run: glyph index in bits 0-23 of the word, run flags in bits 24-31.
struct TextRunGlyph
{
    uint32_t glyphWord;     // 0xFFFFFF marks the end entry; 0xFF0000 + n is placeholder n
    int32_t characterIndex;
    uint8_t characterSpan;
    uint8_t fontIndex;
    uint8_t stateIndex;
    uint8_t segmentIndex;
};

static_assert(sizeof(TextRunCharacter) == 12, "TextRunCharacter layout");
static_assert(sizeof(TextRunGlyph) == 12, "TextRunGlyph layout");

// Text decoded into characters, layout states, direction segments and glyphs. The arrays belong
// to the caller, sized for the fixed limits above.
struct TextRun
{
    int32_t characterCount;
    int32_t glyphCount;
    int32_t stateCount;             // states filled by layout, then in use after mapping
    int32_t segmentCount;
    TextRunCharacter *characters;       // characterCount + 1 entries
    TextRunGlyph *glyphs;               // glyphCount + 1 entries
    TextLayoutState *states;
    float *segmentDirections;           // +1 base direction, -1 opposite

    // Bytes that Pack writes.
    int32_t GetPackedSize() const;

    // Writes the whole run into one block of GetPackedSize bytes (8-byte aligned) and returns
    // it as a run; its pointers aim into the block, so it stays valid only at that address.
    TextRun *Pack(void *destination) const;

    // Glyph lists and glyph-list geometry (the geometry library builds them): each forwards its
    // arguments to the function of the same name; the list forms list this run.
    int32_t GetGlyphList(const GlyphRange *range, int32_t fontCount, const TextFont *fonts, const float *pen,
                         uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                         uint8_t *colors, PlaceholderPosition **placeholders, float *endPen) const;
    int32_t GetGlyphListFloat(const GlyphRange *range, int32_t fontCount, const TextFont *fonts, const float *pen,
                              uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions, Matrix2D *matrices,
                              ColorRGBA *colors, PlaceholderPosition **placeholders, float *endPen) const;
    int32_t GetLinesGlyphList(int32_t fontCount, const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                              const TextLine *lines, const float *pen, float availableWidth, uint8_t *fontIndexes,
                              uint32_t *glyphIndexes, float *positions, Matrix2D *matrices, uint8_t *colors,
                              PlaceholderPosition **placeholders) const;
    int32_t GetLinesGlyphListFloat(int32_t fontCount, const TextFont *fonts, int32_t firstLine, int32_t lineCount,
                                   const TextLine *lines, const float *pen, float availableWidth,
                                   uint8_t *fontIndexes, uint32_t *glyphIndexes, float *positions,
                                   Matrix2D *matrices, ColorRGBA *colors, PlaceholderPosition **placeholders) const;
    void BuildGlyphListGeometry(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                                const uint8_t *fontIndexes, const uint32_t *glyphIndexes, const float *positions,
                                const Matrix2D *matrices, const uint8_t *colors, GeometryBuffer *buffers,
                                Box2D *bounds) const;
    void BuildGlyphListGeometryFloatColors(const TextFont *fonts, const TextLayoutState *state, int32_t count,
                                           const uint8_t *fontIndexes, const uint32_t *glyphIndexes,
                                           const float *positions, const Matrix2D *matrices, const ColorRGBA *colors,
                                           GeometryBuffer *buffers, Box2D *bounds) const;
};

static_assert(sizeof(void *) != 8 || sizeof(TextRun) == 48, "TextRun layout");

// Decodes text into the run's characters, layout states and segment directions, starting from
// state. A negative length is taken without its sign bit, so -1 reads up to the NUL.
void LayoutTextRun(TextRun *run, const TextLayoutState *state, const char *text, int32_t length);

// Replaces the code points of paired brackets in right-to-left segments by their mirrors.
void MirrorRunBrackets(TextRun *run);

}  // namespace oq
