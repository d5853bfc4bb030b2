#include "vorlfont/compiler/VorlFontCommandLine.h"

#include "kettric/KettricLiterals.h"
#include "vorlfont/compiler/CompileResultCodes.h"
#include "vorlfont/opentype/ImportResultCodes.h"

#include <cmath>
#include <cstddef>
#include <cstring>

namespace oq {

namespace {

constexpr const char *kNoInputMessage = "Error: No input file name specified.";
constexpr const char *kNoOutputMessage = "Error: No output file name specified.";
constexpr const char *kInvalidSwitchMessage = "Error: Invalid switch in command line.";
constexpr const char *kRangeSyntaxMessage = "Error: Invalid range syntax.";
constexpr const char *kRangeValueMessage = "Error: Invalid range value.";

// How a float switch bounds its value.
enum class Bound
{
    kAnySign,
    kAtLeastZero,
    kAtLeastOne,
};

// A switch that takes a float: where the value goes, its bound and its two messages.
struct FloatSwitch
{
    const char *name;
    float VorlFontOptions::*field;
    Bound bound;
    const char *missing;
    const char *syntax;
};

// A switch whose float is one element of a pair (scale or offset x, y).
struct PairSwitch
{
    const char *name;
    float (VorlFontOptions::*field)[2];
    int32_t element;
    Bound bound;
    const char *missing;
    const char *syntax;
};

// The eight script switches, then the four decoration switches: the metric switches in their order.
const PairSwitch kPairSwitches[] = {
    {"subscript-xscale", &VorlFontOptions::subscriptScale, 0, Bound::kAtLeastZero,
     "Error: No subscript x scale specified.", "Error: Invalid subscript x scale syntax."},
    {"subscript-yscale", &VorlFontOptions::subscriptScale, 1, Bound::kAtLeastZero,
     "Error: No subscript y scale specified.", "Error: Invalid subscript y scale syntax."},
    {"subscript-xoffset", &VorlFontOptions::subscriptOffset, 0, Bound::kAnySign,
     "Error: No subscript x offset specified.", "Error: Invalid subscript x offset syntax."},
    {"subscript-yoffset", &VorlFontOptions::subscriptOffset, 1, Bound::kAnySign,
     "Error: No subscript y offset specified.", "Error: Invalid subscript y offset syntax."},
    {"superscript-xscale", &VorlFontOptions::superscriptScale, 0, Bound::kAtLeastZero,
     "Error: No superscript x scale specified.", "Error: Invalid superscript x scale syntax."},
    {"superscript-yscale", &VorlFontOptions::superscriptScale, 1, Bound::kAtLeastZero,
     "Error: No superscript y scale specified.", "Error: Invalid superscript y scale syntax."},
    {"superscript-xoffset", &VorlFontOptions::superscriptOffset, 0, Bound::kAnySign,
     "Error: No superscript x offset specified.", "Error: Invalid superscript x offset syntax."},
    {"superscript-yoffset", &VorlFontOptions::superscriptOffset, 1, Bound::kAnySign,
     "Error: No superscript y offset specified.", "Error: Invalid superscript y offset syntax."},
};

const FloatSwitch kFloatSwitches[] = {
    {"underline-size", &VorlFontOptions::underlineSize, Bound::kAtLeastZero,
     "Error: No underline size specified.", "Error: Invalid underline size syntax."},
    {"underline-position", &VorlFontOptions::underlinePosition, Bound::kAnySign,
     "Error: No underline position specified.", "Error: Invalid underline position syntax."},
    {"strikethrough-size", &VorlFontOptions::strikethroughSize, Bound::kAtLeastZero,
     "Error: No strikethrough size specified.", "Error: Invalid strikethrough size syntax."},
    {"strikethrough-position", &VorlFontOptions::strikethroughPosition, Bound::kAnySign,
     "Error: No strikethrough position specified.", "Error: Invalid strikethrough position syntax."},
};

// The on/off options, each also written with "no-" in front.
struct FlagSwitch
{
    const char *name;
    uint32_t flag;
};

const FlagSwitch kFlagSwitches[] = {
    {"poly", kCompilePoly},         {"contours", kCompileContours},   {"kern", kCompileKern},
    {"mark", kCompileMark},         {"sequence", kCompileSequence},   {"alternate", kCompileAlternate},
    {"layer", kCompileLayer},       {"underline", kCompileUnderline}, {"strikethrough", kCompileStrikethrough},
    {"compress", kCompileCompress},
};

// A clamp to at least a bound in which a NaN gives the bound.
float ClampAtLeast(float value, float bound)
{
    return (value >= bound) ? value : bound;
}

// Reads a float switch's value; null or the syntax message. A value that is not finite after its
// clamp is refused like one that does not read.
const char *ReadFloatValue(const char *text, Bound bound, const char *syntax, float *target)
{
    float value = 0.0f;
    if (ReadKettricFloat(&text, &value) != 0) return syntax;
    if (bound == Bound::kAtLeastZero) value = ClampAtLeast(value, 0.0f);
    else if (bound == Bound::kAtLeastOne) value = ClampAtLeast(value, 1.0f);
    if (!std::isfinite(value)) return syntax;
    *target = value;
    return nullptr;
}

const char *ReadIntValue(const char *text, const char *syntax, int32_t *target)
{
    int32_t value = 0;
    if (ReadKettricInt32(&text, &value) != 0) return syntax;
    *target = value;
    return nullptr;
}

// The range switch after its name: "(A,B)"; adds the range to the list.
const char *ReadRange(const char *text, Array<CodePointRange, 4> *ranges)
{
    if (*text != '(') return kRangeSyntaxMessage;
    ++text;
    uint32_t first = 0;
    uint32_t last = 0;
    if (ReadKettricUInt32(&text, &first) != 0 || *text != ',') return kRangeSyntaxMessage;
    ++text;
    if (ReadKettricUInt32(&text, &last) != 0 || *text != ')') return kRangeSyntaxMessage;
    if (last < first || last >= 0x110000) return kRangeValueMessage;
    ranges->AddElement(CodePointRange{first, last});
    return nullptr;
}

bool StartsWith(const char *text, const char *prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// One switch (the text after its dash). Sets *used when it took the next argument; returns null
// or the failure's message.
const char *ReadSwitch(const char *name, const char *next, bool *used, VorlFontOptions *options)
{
    *used = false;
    if (std::strcmp(name, "o") == 0 || std::strcmp(name, "g") == 0 || std::strcmp(name, "f") == 0)
    {
        // As the last argument these three are ignored.
        if (next == nullptr) return nullptr;
        *used = true;
        if (name[0] == 'o') options->vorlOutputName = next;
        else if (name[0] == 'g') options->ambrelOutputName = next;
        else return ReadIntValue(next, "Error: Invalid font index syntax.", &options->fontIndex);
        return nullptr;
    }

    for (const PairSwitch &entry : kPairSwitches)
    {
        if (std::strcmp(name, entry.name) != 0) continue;
        if (next == nullptr) return entry.missing;
        *used = true;
        return ReadFloatValue(next, entry.bound, entry.syntax, &(options->*entry.field)[entry.element]);
    }
    for (const FloatSwitch &entry : kFloatSwitches)
    {
        if (std::strcmp(name, entry.name) != 0) continue;
        if (next == nullptr) return entry.missing;
        *used = true;
        return ReadFloatValue(next, entry.bound, entry.syntax, &(options->*entry.field));
    }

    if (std::strcmp(name, "poly-vertex-count") == 0)
    {
        if (next == nullptr) return "Error: No polygon vertex count specified.";
        *used = true;
        const char *failure = ReadIntValue(next, "Error: Invalid polygon vertex count syntax.",
                                           &options->polygonVertexCount);
        if (failure == nullptr && options->polygonVertexCount == 0) options->flags &= ~kCompilePoly;
        return failure;
    }
    if (std::strcmp(name, "poly-edge-factor") == 0)
    {
        if (next == nullptr) return "Error: No polygon edge factor specified.";
        *used = true;
        return ReadFloatValue(next, Bound::kAtLeastZero, "Error: Invalid polygon edge factor syntax.",
                              &options->polygonEdgeFactor);
    }
    if (std::strcmp(name, "max-band-count") == 0)
    {
        if (next == nullptr) return "Error: No max band count specified.";
        *used = true;
        int32_t count = 0;
        if (const char *failure = ReadIntValue(next, "Error: Invalid max band count syntax.", &count)) return failure;
        options->maxBandCount = (count < 1) ? 1 : (count > 32) ? 32 : count;
        return nullptr;
    }
    if (std::strcmp(name, "outline") == 0)
    {
        options->flags |= kCompileOutline;
        if (next == nullptr) return "Error: No outline effect size specified.";
        *used = true;
        return ReadFloatValue(next, Bound::kAtLeastZero, "Error: Invalid outline effect size syntax.",
                              &options->outlineEffectSize);
    }
    if (std::strcmp(name, "miter") == 0)
    {
        if (next == nullptr) return "Error: No outline miter limit specified.";
        *used = true;
        return ReadFloatValue(next, Bound::kAtLeastOne, "Error: Invalid outline miter limit syntax.",
                              &options->outlineMiterLimit);
    }

    if (std::strcmp(name, "round") == 0) options->outlineJoin = 'ROND';
    else if (std::strcmp(name, "bevel") == 0) options->outlineJoin = 'BEVL';
    else if (std::strcmp(name, "times-lig") == 0) options->flags |= kCompileTimesLig;
    else if (std::strcmp(name, "math") == 0) options->flags |= kCompileMath;
    else
    {
        bool negated = StartsWith(name, "no-");
        if (negated) name += 3;
        for (const FlagSwitch &entry : kFlagSwitches)
        {
            if (std::strcmp(name, entry.name) != 0) continue;
            if (negated) options->flags &= ~entry.flag;
            else options->flags |= entry.flag;
            return nullptr;
        }
        if (StartsWith(name, "range"))
            return ReadRange(name + 5, negated ? &options->excludeRanges : &options->includeRanges);
        return kInvalidSwitchMessage;
    }
    return nullptr;
}

}  // namespace

const char *ParseVorlFontCommandLine(int32_t argumentCount, const char *const *arguments, VorlFontOptions *options)
{
    if (argumentCount <= 0) return kNoInputMessage;

    for (int32_t i = 0; i < argumentCount; ++i)
    {
        const char *argument = arguments[i];
        if (argument[0] != '-')
        {
            options->inputName = argument;
            continue;
        }
        const char *next = (i + 1 < argumentCount) ? arguments[i + 1] : nullptr;
        bool used = false;
        if (const char *failure = ReadSwitch(argument + 1, next, &used, options)) return failure;
        if (used) ++i;
    }

    if (options->inputName == nullptr) return kNoInputMessage;
    if (options->vorlOutputName == nullptr && options->ambrelOutputName == nullptr) return kNoOutputMessage;
    return nullptr;
}

const char *GetVorlFontErrorMessage(uint32_t code)
{
    struct Row
    {
        uint32_t code;
        const char *message;
    };
    static const Row kErrorMessageTable[] = {
        {kResultInvalid, "Error: Input file does not appear to be a TrueType or OpenType font."},
        {kResultCorrupt, "Error: Input file appears to be corrupted."},
        {kResultFontIndex, "Error: Invalid font index value."},
        {kResultUnsupportedUnits, "Error: Unsupported units in input file."},
        {kResultLocaFormat, "Error: Unsupported 'loca' format in input file."},
        {kResultMaxpVersion, "Error: Unsupported 'maxp' version in input file."},
        {kResultHheaData, "Error: Unsupported 'hhea' data in input file."},
        {kResultCmapData, "Error: Unsupported 'cmap' data in input file."},
        {kResultMissingName, "Error: 'name' table is missing in input file."},
        {kResultMissingLoca, "Error: 'loca' table is missing in input file."},
        {kResultMissingMaxp, "Error: 'maxp' table is missing in input file."},
        {kResultMissingHhea, "Error: 'hhea' table is missing in input file."},
        {kResultMissingCmap, "Error: 'cmap' table is missing in input file."},
        {kResultMissingHmtx, "Error: 'hmtx' table is missing in input file."},
        {kResultMissingOutlines, "Error: 'glyf' or 'CFF ' table is missing in input file."},
        {kResultWriteFailed, "Error: Output file cannot be written."},
        {kResultSizeExceeded, "Error: Font texture exceeded maximum size."},
    };
    for (const Row &row : kErrorMessageTable)
    {
        if (row.code == code) return row.message;
    }
    return nullptr;
}

}  // namespace oq
