#include <gtest/gtest.h>

#include "VorlFontTestSupport.h"
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"
#include "vorlfont/compiler/VorlFontRun.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace oq {
namespace {

using test::ReadWholeFile;

using test::ChildLimits;

struct Outcome
{
    int exitCode;
    std::string output;
};

// Runs vorlfont in the folder with the arguments and collects its standard output.
Outcome RunProgram(const test::TempDirectory &folder, const std::vector<std::string> &arguments,
                   ChildLimits limits = {})
{
    test::ProgramOutcome outcome = test::RunProgram(VORLFONT_PATH, folder.Path(), arguments, limits);
    return {outcome.exitCode, outcome.output};
}

class VorlFontProgram : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::copy_file(test::FixturePath("plain.ambrel"), folder.File("plain.ambrel"));
        std::filesystem::copy_file(test::FixturePath("collection.ambrel"), folder.File("collection.ambrel"));
    }

    bool Exists(const char *name) const { return std::filesystem::exists(folder.File(name)); }

    void ExpectFailure(const std::vector<std::string> &arguments, const std::string &message, ChildLimits limits = {})
    {
        Outcome outcome = RunProgram(folder, arguments, limits);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.output, message.empty() ? "" : message + "\n");
    }

    // Every Vorl file a successful run writes passes the three checks.
    void ExpectSuccess(const std::vector<std::string> &arguments)
    {
        Outcome outcome = RunProgram(folder, arguments);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.output, "");
        for (size_t i = 0; i + 1 < arguments.size(); ++i)
        {
            if (arguments[i] != "-o") continue;
            std::string bytes = ReadWholeFile(folder.File(arguments[i + 1].c_str()));
            test::ExpectReadableFontFile(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        }
    }

    test::TempDirectory folder;
};

struct ValueSwitch
{
    const char *name;
    const char *noun;   // the words of its messages
    const char *nan;    // what a NaN bit pattern gives: "" success, else "syntax"
};

const ValueSwitch kValueSwitches[] = {
    {"-subscript-xscale", "subscript x scale", ""},
    {"-subscript-yscale", "subscript y scale", ""},
    {"-subscript-xoffset", "subscript x offset", "syntax"},
    {"-subscript-yoffset", "subscript y offset", "syntax"},
    {"-superscript-xscale", "superscript x scale", ""},
    {"-superscript-yscale", "superscript y scale", ""},
    {"-superscript-xoffset", "superscript x offset", "syntax"},
    {"-superscript-yoffset", "superscript y offset", "syntax"},
    {"-underline-size", "underline size", ""},
    {"-underline-position", "underline position", "syntax"},
    {"-strikethrough-size", "strikethrough size", ""},
    {"-strikethrough-position", "strikethrough position", "syntax"},
    {"-poly-edge-factor", "polygon edge factor", ""},
    {"-outline", "outline effect size", ""},
    {"-miter", "outline miter limit", ""},
    {"-poly-vertex-count", "polygon vertex count", ""},
    {"-max-band-count", "max band count", ""},
};

TEST_F(VorlFontProgram, EverySwitchAsTheProgramReportsIt)
{
    for (const ValueSwitch &entry : kValueSwitches)
    {
        SCOPED_TRACE(entry.name);
        std::filesystem::remove(folder.File("a.vorl"));
        std::string noun = entry.noun;
        ExpectFailure({"plain.ambrel", "-o", "a.vorl", entry.name}, "Error: No " + noun + " specified.");
        ExpectFailure({"plain.ambrel", "-o", "a.vorl", entry.name, "seven"}, "Error: Invalid " + noun + " syntax.");
        EXPECT_FALSE(Exists("a.vorl"));
        // Infinity never reaches the compile (minus infinity clamps to the bound); for the two
        // integer switches the patterns are numbers, the second one past int32.
        bool integer = std::string(entry.name) == "-poly-vertex-count" || std::string(entry.name) == "-max-band-count";
        for (const char *pattern : {"0x7F800000", "0xFF800000"})
        {
            bool negative = std::string(pattern) == "0xFF800000";
            bool refused = integer ? negative : !(negative && *entry.nan == 0);
            if (refused) ExpectFailure({"plain.ambrel", "-o", "a.vorl", entry.name, pattern}, "Error: Invalid " + noun + " syntax.");
            else ExpectSuccess({"plain.ambrel", "-o", "a.vorl", entry.name, pattern});
        }
        if (*entry.nan != 0) ExpectFailure({"plain.ambrel", "-o", "a.vorl", entry.name, "0x7FC00000"}, "Error: Invalid " + noun + " syntax.");
        else ExpectSuccess({"plain.ambrel", "-o", "a.vorl", entry.name, "0x7FC00000"});
    }

    struct Case
    {
        std::vector<std::string> arguments;
        const char *message;
    };
    const Case cases[] = {
        {{}, "Error: No input file name specified."},
        {{"-o", "a.vorl"}, "Error: No input file name specified."},
        {{"plain.ambrel"}, "Error: No output file name specified."},
        {{"plain.ambrel", "-o"}, "Error: No output file name specified."},
        {{"plain.ambrel", "-o", "a.vorl", "-f", "x"}, "Error: Invalid font index syntax."},
        {{"plain.ambrel", "-o", "a.vorl", "-f", "1"}, "Error: Invalid font index value."},
        {{"plain.ambrel", "-o", "a.vorl", "-range(5,4)"}, "Error: Invalid range value."},
        {{"plain.ambrel", "-o", "a.vorl", "-range", "(1,2)"}, "Error: Invalid range syntax."},
        {{"plain.ambrel", "-o", "a.vorl", "-rang(1,2)"}, "Error: Invalid switch in command line."},
        {{"plain.ambrel", "-o", "a.vorl", "-no-outline"}, "Error: Invalid switch in command line."},
        {{"missing.ambrel", "-o", "a.vorl"}, "Error: Cannot open input file."},
        {{"FONT.OTC", "-o", "a.vorl"}, "Error: Input file does not appear to be a TrueType or OpenType font."},
        {{"plain.ambrel", "-o", "a.vorl", "-f"}, ""},
        {{"plain.ambrel", "-g", "a.ambrel", "-o"}, ""},
        {{"plain.ambrel", "-o", "a.vorl", "-no-range(0x41,0x5A)", "-range(0x100,0x17F)", "-times-lig", "-math", "-round",
          "-outline", "0.03", "-miter", "2", "-max-band-count", "99", "-poly-vertex-count", "0", "-contours",
          "-underline-position", "-0.12", "-subscript-yoffset", "-0.2"},
         ""},
    };
    std::ofstream(folder.File("FONT.OTC")) << "not a font";
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments.back());
        if (*c.message != 0) ExpectFailure(c.arguments, c.message);
        else ExpectSuccess(c.arguments);
    }
    // A font file that cannot be imported leaves no output behind.
    EXPECT_FALSE(Exists("FONT.OTC.vorl"));
}

TEST_F(VorlFontProgram, InputKindFollowsTheNameEnding)
{
    std::string text = ReadWholeFile(folder.File("plain.ambrel"));
    for (const char *name : {".ttf", "font.ttf2", "font.ttfx", "a.otc.ambrel"})
    {
        SCOPED_TRACE(name);
        std::ofstream(folder.File(name)) << text;
        ExpectSuccess({name, "-o", "a.vorl"});
    }
    for (const char *name : {"x.ttf", "X.TtC", "font.OTF", "f.otc"})
    {
        SCOPED_TRACE(name);
        std::ofstream(folder.File(name)) << text;
        ExpectFailure({name, "-o", "a.vorl", "-g", "a.ambrel"},
                      "Error: Input file does not appear to be a TrueType or OpenType font.");
        EXPECT_FALSE(Exists("a.vorl"));
        EXPECT_FALSE(Exists("a.ambrel"));
    }
}

TEST_F(VorlFontProgram, FailuresLeaveNoOutputBehind)
{
    // A parse failure, an input that cannot be read whole, and an allocation failure.
    std::ofstream(folder.File("broken.ambrel")) << "Font (glyph_count = 1) {";
    ExpectFailure({"broken.ambrel", "-o", "a.vorl", "-g", "a.ambrel"}, "Error: Invalid Ambrel input file.");
    EXPECT_FALSE(Exists("a.vorl"));
    EXPECT_FALSE(Exists("a.ambrel"));

    {
        std::ofstream huge(folder.File("huge.ambrel"));
    }
    std::filesystem::resize_file(folder.File("huge.ambrel"), uint64_t(5) << 30);
    ExpectFailure({"huge.ambrel", "-o", "a.vorl", "-g", "a.ambrel"}, "Error: Cannot open input file.");
    EXPECT_FALSE(Exists("a.vorl"));
    EXPECT_FALSE(Exists("a.ambrel"));
    std::filesystem::remove(folder.File("huge.ambrel"));

    ChildLimits noMemory;
    noMemory.noLargeBlocks = true;
    ExpectFailure({"plain.ambrel", "-o", "a.vorl"}, "Error: Out of memory.", noMemory);
    EXPECT_FALSE(Exists("a.vorl"));
    // With -g as well, the complete Ambrel output stays: only the compile failed.
    ExpectFailure({"plain.ambrel", "-o", "a.vorl", "-g", "a.ambrel"}, "Error: Out of memory.", noMemory);
    EXPECT_FALSE(Exists("a.vorl"));
    ExpectSuccess({"plain.ambrel", "-g", "b.ambrel"});
    EXPECT_EQ(ReadWholeFile(folder.File("a.ambrel")), ReadWholeFile(folder.File("b.ambrel")));

    // A failed compile deletes only the Vorl output.
    ExpectFailure({"plain.ambrel", "-o", "a.vorl", "-g", "c.ambrel", "-f", "3"}, "Error: Invalid font index value.");
    EXPECT_FALSE(Exists("a.vorl"));
    EXPECT_EQ(ReadWholeFile(folder.File("c.ambrel")), ReadWholeFile(folder.File("b.ambrel")));

    // An output reached through a symbolic link: the link is never deleted.
    std::ofstream(folder.File("target.vorl")) << "old";
    std::filesystem::create_symlink(folder.File("target.vorl"), folder.File("link.vorl"));
    ExpectFailure({"broken.ambrel", "-o", "link.vorl"}, "Error: Invalid Ambrel input file.");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.vorl")));
}

// A small font with one part replaced: Ambrel text whose numbers are not finite, or whose outline
// coordinates lie beyond 1024 em, is invalid input and leaves neither output behind.
TEST_F(VorlFontProgram, NonFiniteAndOutOfRangeNumbersAreInvalidInput)
{
    struct Case
    {
        const char *what;
        const char *metric;   // a Metric line
        const char *advance;  // the Advance of glyph 1
        const char *outline;  // the outline of glyph 1
        const char *kern;     // the Kern value of glyph 1 to glyph 2
        bool valid;
    };
    const char *rect = "Rect {float[2] {{0.05, 0}, {0.5, 0.7}}}";
    const Case cases[] = {
        {"the valid font", "", "0.6", rect, "-0.05", true},
        {"an outline coordinate at the limit", "", "0.6", "Rect {float[2] {{-1024, 0}, {0.5, 1024}}}", "-0.05", true},
        {"an outline coordinate of 65520 em", "", "0.6", "Rect {float[2] {{0.05, 0}, {0.5, 65520}}}", "-0.05", false},
        {"an outline coordinate of 1e6 em", "", "0.6", "Polygon {float[2] {{0, 0}, {1e6, 0.7}, {0.6, 0}}}", "-0.05",
         false},
        {"an outline just beyond the limit", "", "0.6", "Rect {float[2] {{-1024.001, 0}, {0.5, 0.7}}}", "-0.05", false},
        {"a component moved beyond the limit", "", "0.6",
         "Component {Translation {float[2] {{2000, 0}}} uint32 {2}}", "-0.05", false},
        {"an outline coordinate of 1e39", "", "0.6", "Rect {float[2] {{0.05, 0}, {1e39, 0.7}}}", "-0.05", false},
        {"a NaN outline coordinate", "", "0.6", "Rect {float[2] {{0.05, 0}, {0x7FC00000, 0.7}}}", "-0.05", false},
        {"an advance of 1e39", "", "1e39", rect, "-0.05", false},
        {"an advance of 1.0e+9999", "", "1.0e+9999", rect, "-0.05", false},
        {"an infinite advance bit pattern", "", "0x7F800000", rect, "-0.05", false},
        {"a NaN advance", "", "0x7FC00000", rect, "-0.05", false},
        {"a Kern of 1e39", "", "0.6", rect, "1e39", false},
        {"a NaN Kern", "", "0.6", rect, "0x7FC00000", false},
        {"an ascent of 1e39", "Metric (key = \"ascent\") {float {1e39}}", "0.6", rect, "-0.05", false},
        {"a sub_offset of -1e39", "Metric (key = \"sub_offset\") {float[2] {{0, -1e39}}}", "0.6", rect, "-0.05",
         false},
        {"a NaN Scale", "Scale {float[2] {{0x7FC00000, 1000}}}", "0.6", rect, "-0.05", false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        std::ofstream(folder.File("in.ambrel"))
            << "Font (glyph_count = 3)\n{\n\t" << c.metric << "\n\tCharMap (char = 0x41) {uint16 {1, 2}}\n"
            << "\tGlyph (index = 0) {Advance {float {0.5}}}\n"
            << "\tGlyph (index = 1) {Advance {float {" << c.advance << "}} " << c.outline << " Kern {uint32 {2} float {"
            << c.kern << "}}}\n"
            << "\tGlyph (index = 2) {Advance {float {0.5}} Rect {float[2] {{0, 0}, {0.4, 0.7}}}}\n}\n";
        if (c.valid)
        {
            ExpectSuccess({"in.ambrel", "-o", "a.vorl", "-g", "a.ambrel"});
            continue;
        }
        // The output of an earlier run is replaced and then deleted.
        std::ofstream(folder.File("a.vorl")) << "old";
        ExpectFailure({"in.ambrel", "-o", "a.vorl", "-g", "a.ambrel"}, "Error: Invalid Ambrel input file.");
        EXPECT_FALSE(Exists("a.vorl"));
        EXPECT_FALSE(Exists("a.ambrel"));
    }
}

TEST_F(VorlFontProgram, AnOutputNamingTheInputLeavesItAlone)
{
    std::string before = ReadWholeFile(folder.File("plain.ambrel"));
    ExpectFailure({"plain.ambrel", "-o", "plain.ambrel"}, "Error: Cannot create Vorl output file.");
    EXPECT_EQ(ReadWholeFile(folder.File("plain.ambrel")), before);
    ExpectFailure({"plain.ambrel", "-o", "a.vorl", "-g", "plain.ambrel"}, "Error: Cannot create Ambrel output file.");
    EXPECT_EQ(ReadWholeFile(folder.File("plain.ambrel")), before);
    EXPECT_FALSE(Exists("a.vorl"));
    ExpectFailure({"plain.ambrel", "-o", "a.vorl", "-g", "a.vorl"}, "Error: Cannot create Ambrel output file.");
    EXPECT_FALSE(Exists("a.vorl"));
}

TEST_F(VorlFontProgram, WritesThatFailAreReported)
{
    ExpectSuccess({"plain.ambrel", "-g", "full.ambrel", "-o", "full.vorl", "-no-compress"});
    uint64_t ambrelSize = std::filesystem::file_size(folder.File("full.ambrel"));
    uint64_t vorlSize = std::filesystem::file_size(folder.File("full.vorl"));
    ASSERT_LT(ambrelSize * 4, vorlSize);

    ChildLimits limits;
    limits.fileSize = ambrelSize * 2;
    ExpectFailure({"plain.ambrel", "-o", "a.vorl", "-no-compress"}, "Error: Output file cannot be written.", limits);
    EXPECT_FALSE(Exists("a.vorl"));
    ExpectFailure({"plain.ambrel", "-g", "a.ambrel", "-o", "a.vorl", "-no-compress"},
                  "Error: Output file cannot be written.", limits);
    EXPECT_FALSE(Exists("a.vorl"));
    EXPECT_EQ(ReadWholeFile(folder.File("a.ambrel")), ReadWholeFile(folder.File("full.ambrel")));

    limits.fileSize = ambrelSize / 2;
    ExpectFailure({"plain.ambrel", "-g", "b.ambrel", "-o", "b.vorl"}, "Error: Output file cannot be written.", limits);
    EXPECT_FALSE(Exists("b.ambrel"));
    EXPECT_FALSE(Exists("b.vorl"));
    ExpectFailure({"plain.ambrel", "-g", "b.ambrel"}, "Error: Output file cannot be written.", limits);
    EXPECT_FALSE(Exists("b.ambrel"));
}

TEST_F(VorlFontProgram, InProcessAndProgramWriteTheSameBytes)
{
    const std::vector<std::vector<std::string>> runs = {
        {"plain.ambrel"},
        {"collection.ambrel", "-no-compress"},
        {"plain.ambrel", "-outline", "0.04", "-round", "-poly-edge-factor", "2", "-poly-vertex-count", "6",
         "-underline-size", "0.07", "-subscript-yoffset", "-0.3", "-no-underline"},
    };
    for (const std::vector<std::string> &run : runs)
    {
        SCOPED_TRACE(run.back());
        std::vector<std::string> arguments = run;
        arguments.insert(arguments.end(), {"-o", "program.vorl", "-g", "program.ambrel"});
        ExpectSuccess(arguments);

        std::vector<std::string> inProcess;
        for (const std::string &argument : run)
            inProcess.push_back(argument.find(".ambrel") != std::string::npos ? folder.File(argument.c_str()) : argument);
        std::string vorl = folder.File("inprocess.vorl");
        std::string ambrel = folder.File("inprocess.ambrel");
        inProcess.insert(inProcess.end(), {"-o", vorl, "-g", ambrel});
        std::vector<const char *> argv;
        for (const std::string &argument : inProcess) argv.push_back(argument.c_str());
        const char *message = nullptr;
        ASSERT_EQ(RunVorlFont(int32_t(argv.size()), argv.data(), &message), 0);
        EXPECT_EQ(message, nullptr);

        std::string bytes = ReadWholeFile(vorl);
        EXPECT_EQ(bytes, ReadWholeFile(folder.File("program.vorl")));
        EXPECT_EQ(ReadWholeFile(ambrel), ReadWholeFile(folder.File("program.ambrel")));
        test::ExpectReadableFontFile(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
}

// Font files import and compile (outlines still empty): the written file passes the checks, also
// for a shared collection and for the second Font of an independent one.
TEST_F(VorlFontProgram, FontFilesCompile)
{
    const std::vector<std::vector<std::string>> runs = {
        {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
        {"/usr/share/texmf/fonts/opentype/public/lm/lmroman10-regular.otf"},
        {"/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf", "-no-poly", "-contours", "-math"},
        {"/usr/share/fonts/opentype/freefont/FreeSerif.otf"},
        {"/usr/share/fonts/truetype/arphic/uming.ttc"},
        {OQ_SOURCE_DIR "/fuzz/corpus/opentype_import_fuzz/independent.ttc", "-f", "1"},
        {"/usr/share/wine/fonts/wingding.ttf"},
    };
    for (const std::vector<std::string> &run : runs)
    {
        SCOPED_TRACE(run.front());
        ASSERT_TRUE(std::filesystem::exists(run.front())) << "missing test font (make deps)";
        std::vector<std::string> arguments = run;
        arguments.insert(arguments.end(), {"-o", "font.vorl", "-g", "font.ambrel"});
        ExpectSuccess(arguments);
        EXPECT_NE(ReadWholeFile(folder.File("font.ambrel")).find("Font (glyph_count = "), std::string::npos);
    }
    // The shared CJK collection is one Font: a second one does not exist.
    ExpectFailure({"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "-f", "1", "-o", "cjk.vorl"},
                  "Error: Invalid font index value.");
}

}  // namespace
}  // namespace oq
