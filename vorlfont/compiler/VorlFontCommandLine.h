#pragma once

#include "base/Array.h"

#include <cstdint>

namespace oq {

// An inclusive range of code points, last below 0x110000.
struct CodePointRange
{
    uint32_t first;
    uint32_t last;
};

// FontCompileFlags: the options of one font compile.
inline constexpr uint32_t kCompilePoly = 0x1;
inline constexpr uint32_t kCompileContours = 0x2;
inline constexpr uint32_t kCompileKern = 0x4;
inline constexpr uint32_t kCompileMark = 0x8;
inline constexpr uint32_t kCompileSequence = 0x10;
inline constexpr uint32_t kCompileAlternate = 0x20;
inline constexpr uint32_t kCompileLayer = 0x40;
inline constexpr uint32_t kCompileOutline = 0x80;
inline constexpr uint32_t kCompileUnderline = 0x100;
inline constexpr uint32_t kCompileStrikethrough = 0x200;
inline constexpr uint32_t kCompileTimesLig = 0x400;
inline constexpr uint32_t kCompileMath = 0x800;
inline constexpr uint32_t kCompileCompress = 0x10000;
inline constexpr uint32_t kDefaultCompileFlags = 0x1037D;

// Markers of a metric switch that was not given.
inline constexpr float kScaleNotGiven = 0.0f;
inline constexpr float kPositionNotGiven = 1024.0f;

// The values of vorlfont's switches, each preset to its value for an absent switch.
struct VorlFontOptions
{
    const char *inputName = nullptr;
    const char *vorlOutputName = nullptr;
    const char *ambrelOutputName = nullptr;
    int32_t fontIndex = 0;
    uint32_t flags = kDefaultCompileFlags;
    Array<CodePointRange, 4> includeRanges;
    Array<CodePointRange, 4> excludeRanges;

    float subscriptScale[2] = {kScaleNotGiven, kScaleNotGiven};
    float subscriptOffset[2] = {kPositionNotGiven, kPositionNotGiven};
    float superscriptScale[2] = {kScaleNotGiven, kScaleNotGiven};
    float superscriptOffset[2] = {kPositionNotGiven, kPositionNotGiven};
    float underlineSize = kScaleNotGiven;
    float underlinePosition = kPositionNotGiven;
    float strikethroughSize = kScaleNotGiven;
    float strikethroughPosition = kPositionNotGiven;

    int32_t polygonVertexCount = 0;
    float polygonEdgeFactor = 0.0f;
    int32_t maxBandCount = 0;
    float outlineEffectSize = 0.0f;
    float outlineMiterLimit = 0.0f;
    uint32_t outlineJoin = 0;
};

// Reads the arguments after the program name left to right into the options and checks that an
// input and an output were named. Returns null, or the message line of the first failure.
[[nodiscard]] const char *ParseVorlFontCommandLine(int32_t argumentCount, const char *const *arguments,
                                                   VorlFontOptions *options);

// The message of a result code of the import or the compile, or null for a code without one.
const char *GetVorlFontErrorMessage(uint32_t code);

}  // namespace oq
