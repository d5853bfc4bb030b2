#pragma once

#include "editor/platform/DocumentFontSet.h"

#include <cstdint>

namespace oq {

class Design;
struct TextLayoutState;
struct TextRun;

// Option flags of the one-glyph kinds (marks, brackets, primes, iterations, integrals): no
// kerning, marks, decompositions or sequences, and a layered glyph exports as one item.
inline constexpr uint32_t kSingleGlyphOptionFlags = 0x2F0;
// Option flags of symbol runs in the math roles.
inline constexpr uint32_t kSymbolRunOptionFlags = 0xF0;

// The one glyph a single-glyph kind keeps from its layout: a glyph index in a font slot, or none
// (the text gave no glyph, or the design's fonts were not resolved).
struct LaidOutGlyph
{
    uint32_t glyphIndex = 0;
    uint8_t fontSlot = 0;
    bool present = false;
};

// What a clone of a glyph-carrying kind starts with: the request without its alternate mask and
// style selector (every other field is refilled at each layout).
GlyphLayoutRequest CloneGlyphLayoutRequest(const GlyphLayoutRequest &request);

// The 32-bit colour a node draws with: its own value when the palette index is negative, else
// the design's palette entry (entry 0 for an index past the palette).
uint32_t GetNodeColorWord(const Design *design, int32_t paletteIndex, uint32_t colorValue);

// A layout state reset to its defaults, then set from the request: font number = style key, size,
// both scales, the colour (red, green and blue bytes through the sRGB table, alpha / 255), option
// flags, alternate mask and selector, render flags 2.
void FillGlyphLayoutState(const GlyphLayoutRequest &request, uint32_t colorWord, TextLayoutState *state);

// Whether slot 0 and every slot the style key's row of the design's font map names hold a font:
// glyph mapping reads each of them.
bool HasResolvedGlyphFonts(const Design *design, uint32_t styleKey);

// Lays the UTF-8 text out into the shared text run and maps it over the design's 16 fonts with
// its font map. The run is overwritten by the next layout: copy out what you keep. Null, and
// nothing laid out, when the design's fonts are not resolved.
TextRun *LayoutGlyphText(const Design *design, const GlyphLayoutRequest &request, uint32_t colorWord,
                         const char *text, int32_t length);

// Lays one code point out and keeps the first glyph entry; none when the run holds no glyph
// (code point 0 ends the text) or the fonts are not resolved. A value that is no Unicode scalar
// value is asserted and laid out as U+FFFD in release builds.
LaidOutGlyph LayoutGlyphCodePoint(const Design *design, const GlyphLayoutRequest &request, uint32_t colorWord,
                                  uint32_t codePoint);

}  // namespace oq
