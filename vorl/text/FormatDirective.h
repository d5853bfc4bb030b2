#pragma once

#include <cstdint>

#include "vorl/text/TextLayoutState.h"

namespace oq {

// Classes of format directive: the bits of TextLayoutState::directiveMask.
enum : uint32_t
{
    kDirectiveClassFont = 0x1,
    kDirectiveClassSize = 0x2,
    kDirectiveClassStretch = 0x4,
    kDirectiveClassTracking = 0x8,
    kDirectiveClassSkew = 0x10,
    kDirectiveClassScale = 0x20,
    kDirectiveClassOffset = 0x40,
    kDirectiveClassColor = 0x80,
    kDirectiveClassGradient = 0x100,
    kDirectiveClassAlignment = 0x200,
    kDirectiveClassLeading = 0x400,
    kDirectiveClassParagraph = 0x800,
    kDirectiveClassTabWidth = 0x1000,
    kDirectiveClassKerning = 0x2000,
    kDirectiveClassMarks = 0x4000,
    kDirectiveClassDecomposition = 0x8000,
    kDirectiveClassSequences = 0x10000,
    kDirectiveClassAlternates = 0x20000,
    kDirectiveClassLayers = 0x40000,
    kDirectiveClassDecorations = 0x80000,
    kDirectiveClassScriptLevel = 0x100000,
    kDirectiveClassGrid = 0x200000
};

// Parses one "{#" ... "}" block at text (which points at the "{"), changing target and ORing the
// changed flags of the directives that took effect. Reads at most length bytes (a negative length
// is taken without its sign bit); the length end counts as the end of the text. Returns the bytes
// consumed from the "{".
int32_t ParseFormatDirective(const TextLayoutState *base, const char *text, int32_t length,
                             TextLayoutState *target, uint32_t *changedFlags);

// The state in force after the text: state changed by every directive block of the first length
// bytes (a negative length is taken without its sign bit; a NUL ends the text earlier).
void ApplyTextFormatDirectives(const TextLayoutState *state, const char *text, int32_t length,
                               TextLayoutState *result);

// Decodes one UTF-8 character of the remaining bytes (at least 1) without reading past them:
// a sequence that the end cuts short decodes as U+FFFD of one byte.
int32_t DecodeUtf8Bounded(const char *text, int32_t remaining, uint32_t *codePoint);

}  // namespace oq
