#include <gtest/gtest.h>

#include "vorlfont/compiler/CompileResultCodes.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/compiler/VorlFontRun.h"
#include "vorlfont/opentype/ImportResultCodes.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace oq {
namespace {

// Parses the arguments (after the program name) into fresh options.
const char *Parse(const std::vector<const char *> &arguments, VorlFontOptions *options)
{
    return ParseVorlFontCommandLine(int32_t(arguments.size()), arguments.data(), options);
}

std::string Message(const std::vector<const char *> &arguments)
{
    VorlFontOptions options;
    const char *message = Parse(arguments, &options);
    return message != nullptr ? message : "";
}

struct ValueSwitch
{
    const char *name;
    const char *missing;  // "" when a missing value is ignored
    const char *syntax;
};

// Every switch with a value, its message when the value is missing and when it does not read.
const ValueSwitch kValueSwitches[] = {
    {"-f", "", "Error: Invalid font index syntax."},
    {"-subscript-xscale", "Error: No subscript x scale specified.", "Error: Invalid subscript x scale syntax."},
    {"-subscript-yscale", "Error: No subscript y scale specified.", "Error: Invalid subscript y scale syntax."},
    {"-subscript-xoffset", "Error: No subscript x offset specified.", "Error: Invalid subscript x offset syntax."},
    {"-subscript-yoffset", "Error: No subscript y offset specified.", "Error: Invalid subscript y offset syntax."},
    {"-superscript-xscale", "Error: No superscript x scale specified.", "Error: Invalid superscript x scale syntax."},
    {"-superscript-yscale", "Error: No superscript y scale specified.", "Error: Invalid superscript y scale syntax."},
    {"-superscript-xoffset", "Error: No superscript x offset specified.",
     "Error: Invalid superscript x offset syntax."},
    {"-superscript-yoffset", "Error: No superscript y offset specified.",
     "Error: Invalid superscript y offset syntax."},
    {"-underline-size", "Error: No underline size specified.", "Error: Invalid underline size syntax."},
    {"-underline-position", "Error: No underline position specified.", "Error: Invalid underline position syntax."},
    {"-strikethrough-size", "Error: No strikethrough size specified.", "Error: Invalid strikethrough size syntax."},
    {"-strikethrough-position", "Error: No strikethrough position specified.",
     "Error: Invalid strikethrough position syntax."},
    {"-poly-vertex-count", "Error: No polygon vertex count specified.", "Error: Invalid polygon vertex count syntax."},
    {"-poly-edge-factor", "Error: No polygon edge factor specified.", "Error: Invalid polygon edge factor syntax."},
    {"-max-band-count", "Error: No max band count specified.", "Error: Invalid max band count syntax."},
    {"-outline", "Error: No outline effect size specified.", "Error: Invalid outline effect size syntax."},
    {"-miter", "Error: No outline miter limit specified.", "Error: Invalid outline miter limit syntax."},
};

TEST(CommandLine, EverySwitchReportsAMissingAndAnUnreadableValue)
{
    for (const ValueSwitch &entry : kValueSwitches)
    {
        SCOPED_TRACE(entry.name);
        // Missing as the last argument: the first message (or, for -f, ignored).
        std::string missing = Message({"in.ambrel", "-o", "out.vorl", entry.name});
        EXPECT_EQ(missing, entry.missing);
        EXPECT_EQ(Message({"in.ambrel", "-o", "out.vorl", entry.name, "x"}), entry.syntax);
        EXPECT_EQ(Message({entry.name, "abc", "in.ambrel", "-o", "out.vorl"}), entry.syntax);
        // The first bad switch ends the walk: the later bad one is not reported.
        EXPECT_EQ(Message({entry.name, "?", "-bogus"}), entry.syntax);
    }
}

// Float switches and how they bound their values; NaN and infinity come as bit-pattern literals.
struct FloatCase
{
    const char *name;
    const char *value;
    float expected;      // NaN: the value is refused with the syntax message
};

float Stored(const VorlFontOptions &options, const char *name)
{
    std::string n = name;
    if (n == "-subscript-xscale") return options.subscriptScale[0];
    if (n == "-subscript-yscale") return options.subscriptScale[1];
    if (n == "-subscript-xoffset") return options.subscriptOffset[0];
    if (n == "-subscript-yoffset") return options.subscriptOffset[1];
    if (n == "-superscript-xscale") return options.superscriptScale[0];
    if (n == "-superscript-yscale") return options.superscriptScale[1];
    if (n == "-superscript-xoffset") return options.superscriptOffset[0];
    if (n == "-superscript-yoffset") return options.superscriptOffset[1];
    if (n == "-underline-size") return options.underlineSize;
    if (n == "-underline-position") return options.underlinePosition;
    if (n == "-strikethrough-size") return options.strikethroughSize;
    if (n == "-strikethrough-position") return options.strikethroughPosition;
    if (n == "-poly-edge-factor") return options.polygonEdgeFactor;
    if (n == "-outline") return options.outlineEffectSize;
    if (n == "-miter") return options.outlineMiterLimit;
    ADD_FAILURE() << "no such switch " << name;
    return 0.0f;
}

TEST(CommandLine, FloatValuesAreClampedAndNonFiniteOnesRefused)
{
    const char *kClampedToZero[] = {"-subscript-xscale", "-subscript-yscale", "-superscript-xscale",
                                    "-superscript-yscale", "-underline-size", "-strikethrough-size",
                                    "-poly-edge-factor", "-outline"};
    const char *kAnySign[] = {"-subscript-xoffset", "-subscript-yoffset", "-superscript-xoffset",
                              "-superscript-yoffset", "-underline-position", "-strikethrough-position"};
    const float kRefused = NAN;
    std::vector<FloatCase> cases;
    for (const char *name : kClampedToZero)
    {
        cases.push_back({name, "0.25", 0.25f});
        cases.push_back({name, "-2", 0.0f});
        cases.push_back({name, "0x7FC00000", 0.0f});   // NaN yields the bound
        cases.push_back({name, "0xFFC00000", 0.0f});   // negative NaN too
        cases.push_back({name, "0x7F800000", kRefused});
        cases.push_back({name, "0xFF800000", 0.0f});   // minus infinity clamps to the bound
    }
    for (const char *name : kAnySign)
    {
        cases.push_back({name, "-0.12", -0.12f});
        cases.push_back({name, "2.5e-1", 0.25f});
        cases.push_back({name, "0x7FC00000", kRefused});
        cases.push_back({name, "0x7F800000", kRefused});
        cases.push_back({name, "0xFF800000", kRefused});
    }
    cases.push_back({"-miter", "0.5", 1.0f});
    cases.push_back({"-miter", "7", 7.0f});
    cases.push_back({"-miter", "0x7FC00000", 1.0f});
    cases.push_back({"-miter", "0x7F800000", kRefused});
    cases.push_back({"-underline-size", "0.1xyz", 0.1f});  // text after the literal is ignored

    for (const FloatCase &c : cases)
    {
        SCOPED_TRACE(std::string(c.name) + " " + c.value);
        VorlFontOptions options;
        const char *message = Parse({"in.ambrel", "-o", "out.vorl", c.name, c.value}, &options);
        if (std::isnan(c.expected))
        {
            ASSERT_NE(message, nullptr);
            EXPECT_NE(std::strstr(message, "Invalid"), nullptr) << message;
            continue;
        }
        ASSERT_EQ(message, nullptr) << message;
        EXPECT_EQ(Stored(options, c.name), c.expected);
    }
}

TEST(CommandLine, DefaultsIntegersFlagsAndJoins)
{
    VorlFontOptions options;
    ASSERT_EQ(Parse({"in.ambrel", "-g", "out.ambrel"}, &options), nullptr);
    EXPECT_STREQ(options.inputName, "in.ambrel");
    EXPECT_EQ(options.vorlOutputName, nullptr);
    EXPECT_STREQ(options.ambrelOutputName, "out.ambrel");
    EXPECT_EQ(options.flags, 0x1037Du);
    EXPECT_EQ(options.fontIndex, 0);
    EXPECT_EQ(options.subscriptScale[0], 0.0f);
    EXPECT_EQ(options.underlinePosition, 1024.0f);
    EXPECT_EQ(options.maxBandCount, 0);
    EXPECT_EQ(options.outlineJoin, 0u);

    struct IntCase
    {
        std::vector<const char *> arguments;
        int32_t fontIndex, vertexCount, bandCount;
        uint32_t flags, join;
    };
    const IntCase cases[] = {
        {{"-f", "0x2"}, 2, 0, 0, 0x1037D, 0},
        {{"-f", "-1"}, -1, 0, 0, 0x1037D, 0},
        {{"-f", "1_0"}, 10, 0, 0, 0x1037D, 0},
        {{"-poly-vertex-count", "0"}, 0, 0, 0, 0x1037C, 0},
        {{"-poly-vertex-count", "0", "-poly"}, 0, 0, 0, 0x1037D, 0},
        {{"-poly-vertex-count", "-7"}, 0, -7, 0, 0x1037D, 0},
        {{"-max-band-count", "0"}, 0, 0, 1, 0x1037D, 0},
        {{"-max-band-count", "99"}, 0, 0, 32, 0x1037D, 0},
        {{"-max-band-count", "-5"}, 0, 0, 1, 0x1037D, 0},
        {{"-max-band-count", "12"}, 0, 0, 12, 0x1037D, 0},
        {{"-outline", "0.1", "-round"}, 0, 0, 0, 0x103FD, 'ROND'},
        {{"-round", "-bevel"}, 0, 0, 0, 0x1037D, 'BEVL'},
        {{"-times-lig", "-math", "-contours", "-no-kern", "-no-compress"}, 0, 0, 0, 0x00F7B, 0},
        {{"-no-poly", "-no-mark", "-no-sequence", "-no-alternate", "-no-layer", "-no-underline",
          "-no-strikethrough"},
         0, 0, 0, 0x10004, 0},
    };
    for (const IntCase &c : cases)
    {
        std::vector<const char *> arguments = {"in.ambrel", "-o", "out.vorl"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        SCOPED_TRACE(c.arguments[0]);
        VorlFontOptions parsed;
        ASSERT_EQ(Parse(arguments, &parsed), nullptr);
        EXPECT_EQ(parsed.fontIndex, c.fontIndex);
        EXPECT_EQ(parsed.polygonVertexCount, c.vertexCount);
        EXPECT_EQ(parsed.maxBandCount, c.bandCount);
        EXPECT_EQ(parsed.flags, c.flags);
        EXPECT_EQ(parsed.outlineJoin, c.join);
    }
}

TEST(CommandLine, NamesRangesAndInvalidSwitches)
{
    struct Case
    {
        std::vector<const char *> arguments;
        const char *message;
    };
    const Case cases[] = {
        {{}, "Error: No input file name specified."},
        {{"-o", "out.vorl", "-kern"}, "Error: No input file name specified."},
        {{"in.ambrel"}, "Error: No output file name specified."},
        {{"in.ambrel", "-o"}, "Error: No output file name specified."},
        {{"in.ambrel", "-g"}, "Error: No output file name specified."},
        {{"in.ambrel", "-o", "o.vorl", "-f"}, ""},
        {{"in.ambrel", "-o", "o.vorl", "-range(0x100,0x17F)"}, ""},
        {{"in.ambrel", "-o", "o.vorl", "-range(5,4)"}, "Error: Invalid range value."},
        {{"in.ambrel", "-o", "o.vorl", "-range(0,0x110000)"}, "Error: Invalid range value."},
        {{"in.ambrel", "-o", "o.vorl", "-range(0,0x10FFFF)trailing"}, ""},
        {{"in.ambrel", "-o", "o.vorl", "-range(1;2)"}, "Error: Invalid range syntax."},
        {{"in.ambrel", "-o", "o.vorl", "-range(1,2"}, "Error: Invalid range syntax."},
        {{"in.ambrel", "-o", "o.vorl", "-range(,2)"}, "Error: Invalid range syntax."},
        {{"in.ambrel", "-o", "o.vorl", "-range", "(1,2)"}, "Error: Invalid range syntax."},
        {{"in.ambrel", "-o", "o.vorl", "-rangex(1,2)"}, "Error: Invalid range syntax."},
        {{"in.ambrel", "-o", "o.vorl", "-no-range(5,4)"}, "Error: Invalid range value."},
        {{"in.ambrel", "-o", "o.vorl", "-rang(1,2)"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-no-outline", "1"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-no-miter"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-no-round"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-no-math"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-no-times-lig"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-Poly"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-"}, "Error: Invalid switch in command line."},
        {{"in.ambrel", "-o", "o.vorl", "-no-"}, "Error: Invalid switch in command line."},
        {{"-bogus"}, "Error: Invalid switch in command line."},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.back());
        EXPECT_EQ(Message(c.arguments), c.message);
    }

    // A later input name replaces an earlier one; a value is taken whatever it begins with.
    VorlFontOptions options;
    ASSERT_EQ(Parse({"a.ambrel", "-underline-position", "-0.2", "b.ambrel", "-o", "-odd.vorl",
                     "-range(0x41,0x5A)", "-no-range(0x100,0x17F)", "-range(1,1)"},
                    &options),
              nullptr);
    EXPECT_STREQ(options.inputName, "b.ambrel");
    EXPECT_STREQ(options.vorlOutputName, "-odd.vorl");
    EXPECT_EQ(options.underlinePosition, -0.2f);
    ASSERT_EQ(options.includeRanges.GetElementCount(), 2);
    EXPECT_EQ(options.includeRanges[0].first, 0x41u);
    EXPECT_EQ(options.includeRanges[0].last, 0x5Au);
    EXPECT_EQ(options.includeRanges[1].first, 1u);
    ASSERT_EQ(options.excludeRanges.GetElementCount(), 1);
    EXPECT_EQ(options.excludeRanges[0].last, 0x17Fu);
}

TEST(CommandLine, ErrorMessageTable)
{
    EXPECT_STREQ(GetVorlFontErrorMessage('MSGL'), "Error: 'glyf' or 'CFF ' table is missing in input file.");
    EXPECT_STREQ(GetVorlFontErrorMessage('WRIT'), "Error: Output file cannot be written.");
    EXPECT_STREQ(GetVorlFontErrorMessage('SIZE'), "Error: Font texture exceeded maximum size.");
    EXPECT_STREQ(GetVorlFontErrorMessage('IFID'), "Error: Invalid font index value.");
    EXPECT_EQ(GetVorlFontErrorMessage('MEMY'), nullptr);
    EXPECT_EQ(GetVorlFontErrorMessage(0), nullptr);
    EXPECT_EQ(GetVorlFontErrorMessage('XXXX'), nullptr);
}

// Every result code of the import and the compile prints a line of its own; a code outside the
// list (a misspelt one) still prints a line beginning "Error: " and ends the run with 1.
TEST(CommandLine, EveryResultCodeHasItsLine)
{
    std::vector<uint32_t> codes(std::begin(kImportResultCodes), std::end(kImportResultCodes));
    codes.insert(codes.end(), std::begin(kCompileResultCodes), std::end(kCompileResultCodes));
    ASSERT_EQ(codes.size(), 19u);
    const std::string generic = GetVorlFontFailureMessage('XXXX');
    EXPECT_EQ(generic.rfind("Error: ", 0), 0u);
    std::set<std::string> lines;
    for (uint32_t code : codes)
    {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        std::string line = GetVorlFontFailureMessage(code);
        EXPECT_EQ(line.rfind("Error: ", 0), 0u) << line;
        EXPECT_NE(line, generic);
        EXPECT_TRUE(lines.insert(line).second) << "shared line: " << line;
        // The table holds every code but the run's own two.
        bool inTable = code != kResultOutOfMemory && code != kResultReadFailed;
        EXPECT_EQ(GetVorlFontErrorMessage(code) != nullptr, inTable);
    }
    for (uint32_t code : {uint32_t('XXXX'), uint32_t('crpt'), uint32_t('CRP '), uint32_t('IVDF'), 0xFFFFFFFFu})
    {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        const char *message = nullptr;
        EXPECT_EQ(ReportVorlFontFailure(code, &message), 1);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message, generic);
    }
}

}  // namespace
}  // namespace oq
