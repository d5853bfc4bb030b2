// The vorlicon program: runs of the built binary in a temporary folder, their messages, exit codes
// and the files they write.
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"
#include "vorlicon/VorlIconTool.h"
#include "vorl/geometry/VorlGraphicsValidator.h"
#include "vorl/text/VorlFileHeader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace oq {
namespace {

struct RunOutcome
{
    int exitCode;
    std::string output;
};

// Runs vorlicon with the arguments (separated by single spaces) inside the folder; the output
// holds both standard output and standard error.
RunOutcome RunTool(const test::TempDirectory &folder, const std::string &arguments, test::ChildLimits limits = {})
{
    std::vector<std::string> words;
    for (size_t start = 0; start < arguments.size();)
    {
        size_t end = arguments.find(' ', start);
        if (end == std::string::npos) end = arguments.size();
        if (end > start) words.push_back(arguments.substr(start, end - start));
        start = end + 1;
    }
    limits.withErrors = true;
    test::ProgramOutcome outcome = test::RunProgram(VORLICON_PATH, folder.Path(), words, limits);
    return {outcome.exitCode, outcome.output};
}

void WriteTextFile(const std::string &name, const std::string &text)
{
    std::ofstream file(name, std::ios::binary);
    file << text;
}

std::vector<uint32_t> ReadImage(const std::string &name)
{
    std::ifstream file(name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::string data = bytes.str();
    std::vector<uint32_t> image((data.size() + 3) / 4);
    std::memcpy(image.data(), data.data(), data.size());
    image.resize(data.size() / 4);
    return image;
}

bool Exists(const std::string &name)
{
    struct stat status;
    return stat(name.c_str(), &status) == 0;
}

constexpr const char kTwoLayers[] = R"(Canvas {Range {float[2] {{0, 16}, {0, 16}}}}
Layer {Rect {Fill {Color {float[3] {{1, 0, 0}}}} float[2] {{2, 2}, {14, 14}}}}
Layer {Line {Stroke {float {2}} float[2] {{2, 2}, {14, 14}}}}
Circle {Fill {} Radius {float {3}} float[2] {{8, 8}}}
)";

constexpr const char kGradient[] = R"(Circle {Fill {Gradient {float[3] {{1, 0, 0}} Color {float[3] {{1, 1, 1}, {0, 0, 0}}}}} Radius {float {3}} float[2] {{8, 8}}}
)";

TEST(VorlIconToolTest, CompilesBothKindsIntoValidFiles)
{
    struct Case
    {
        const char *switches;
        const char *text;
        int32_t icons;
        const char *warning;  // part of the output, or empty for none
    };
    const Case cases[] = {
        {"", kTwoLayers, 2, "Warning: 1 filled or stroked geometries outside the Layers are left out"},
        {"-float -compress", kTwoLayers, 2, "outside the Layers"},
        {"-canvas", kTwoLayers, 0, "outside the Layers"},
        {"-canvas -compress", kGradient, 0, "Warning: The canvas compile draws 1 gradient fills in their Fill colour"},
        {"", kGradient, 1, ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.switches);
        test::TempDirectory folder;
        WriteTextFile(folder.File("in.ambrel"), c.text);
        RunOutcome outcome = RunTool(folder, std::string("in.ambrel -o out.alb ") + c.switches);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
        if (*c.warning == 0) EXPECT_EQ(outcome.output, "");
        else EXPECT_NE(outcome.output.find(c.warning), std::string::npos) << outcome.output;
        std::vector<uint32_t> image = ReadImage(folder.File("out.alb"));
        ASSERT_GE(image.size() * 4, 140u);
        EXPECT_TRUE(ValidateVorlGraphicsFile(image.data(), image.size() * 4));
        EXPECT_EQ(int32_t(image[20 + 2]), c.icons);
        const auto *header = reinterpret_cast<const VorlFileHeader *>(image.data());
        bool compressed = std::strstr(c.switches, "-compress") != nullptr;
        EXPECT_EQ(header->bandTexture.compression == kTextureCompressed, compressed);
        EXPECT_EQ(header->curveTexture.format, std::strstr(c.switches, "-float") ? kTexelFormatFloat4 : kTexelFormatHalf4);
    }
}

TEST(VorlIconToolTest, FailuresPrintOneErrorAndExitWithOne)
{
    struct Case
    {
        const char *arguments;
        const char *input;  // written to in.ambrel unless null
        const char *message;
    };
    std::string manyCurves = "Layer {Path {Fill {} float[2]* {Z{0, 0}";
    for (int i = 1; i <= 9000; ++i) manyCurves += ", L{" + std::to_string(i % 2) + ", " + std::to_string(i) + "}";
    manyCurves += "}}}\n";
    const Case cases[] = {
        {"", nullptr, "Error: No input file."},
        {"in.ambrel", kGradient, "Error: No output file (-o).\n"},
        {"in.ambrel -o", kGradient, "Error: -o needs a file name.\n"},
        {"in.ambrel -x -o out.alb", kGradient, "Error: Unknown switch \"-x\".\n"},
        {"in.ambrel other.ambrel -o out.alb", kGradient, "Error: More than one input file.\n"},
        {"in.ambrel -canvas -float -o out.alb", kGradient, "Error: -float applies to the icon compile only.\n"},
        {"missing.ambrel -o out.alb", nullptr, "Error: Cannot open the input file \"missing.ambrel\".\n"},
        {"in.ambrel -o out.alb", "Layer {\n Rect {float[2] {{0, 0}}\n", "Error: The Ambrel text is not valid (line "},
        {"in.ambrel -o no/such/folder/out.alb", kGradient, "Error: Cannot create the output file \"no/such/folder/out.alb\".\n"},
        {"in.ambrel -canvas -o out.alb", manyCurves.c_str(), "Error: The drawing does not fit into a graphics file"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.arguments);
        test::TempDirectory folder;
        if (c.input != nullptr) WriteTextFile(folder.File("in.ambrel"), c.input);
        RunOutcome outcome = RunTool(folder, c.arguments);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.output.rfind(c.message, 0), 0u) << outcome.output;
        EXPECT_EQ(std::count(outcome.output.begin(), outcome.output.end(), '\n'), 1) << outcome.output;
        EXPECT_FALSE(Exists(folder.File("out.alb")));  // a failed compile leaves no file
    }
}

// Numbers that are not finite (overflowing decimal literals, bit patterns of infinity and NaN)
// fail the compile as invalid text at their line; an output file of that name stays untouched.
TEST(VorlIconToolTest, NonFiniteNumbersAreInvalidText)
{
    struct Case
    {
        const char *what;
        const char *input;
        int32_t line;
    };
    const Case cases[] = {
        {"a Rect corner at 1e39", "Layer {\n Rect {Fill {} float[2] {{2, 2}, {1e39, 14}}}\n}\n", 2},
        {"a Rect corner at -1.0e+9999", "Layer {\n Rect {Fill {}\n float[2] {{-1.0e+9999, 2}, {14, 14}}}\n}\n", 3},
        {"an infinite bit pattern", "Layer {Rect {Fill {} float[2] {{2, 2}, {0x7F800000, 14}}}}\n", 1},
        {"a NaN bit pattern", "Layer {Rect {Fill {} float[2] {{2, 0x7FC00000}, {14, 14}}}}\n", 1},
        {"an infinite Radius", "Circle {Fill {} Radius {float {1e39}} float[2] {{8, 8}}}\n", 1},
        {"a NaN colour", "Circle {Fill {Color {float[3] {{1, 0x7FC00000, 0}}}} Radius {float {3}} float[2] {{8, 8}}}\n", 1},
        {"an infinite stroke width", "Layer {Line {Stroke {float {1e39}} float[2] {{2, 2}, {14, 14}}}}\n", 1},
        {"an infinite miter limit", "Layer {Line {Stroke (miter = 1e39) {float {2}} float[2] {{2, 2}, {14, 14}}}}\n", 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        for (const char *switches : {"", " -canvas"})
        {
            test::TempDirectory folder;
            WriteTextFile(folder.File("in.ambrel"), c.input);
            RunOutcome outcome = RunTool(folder, std::string("in.ambrel -o out.alb") + switches);
            EXPECT_EQ(outcome.exitCode, 1);
            EXPECT_EQ(outcome.output,
                      "Error: The Ambrel text is not valid (line " + std::to_string(c.line) + ", code 'nfin').\n");
            EXPECT_FALSE(Exists(folder.File("out.alb")));
        }
    }
}

TEST(VorlIconToolTest, WriteFailuresDeleteOnlyTheCreatedFile)
{
    test::TempDirectory folder;
    WriteTextFile(folder.File("in.ambrel"), kGradient);
    test::ChildLimits limits;
    limits.fileSize = 64;  // files cannot grow past the first bytes of the header
    RunOutcome outcome = RunTool(folder, "in.ambrel -o out.alb", limits);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "Error: Cannot write the output file \"out.alb\".\n");
    EXPECT_FALSE(Exists(folder.File("out.alb")));  // the partial file is deleted

    // Written through a symbolic link: the link is no regular file and stays, with what it names.
    WriteTextFile(folder.File("target.alb"), "old");
    ASSERT_EQ(symlink("target.alb", folder.File("link.alb").c_str()), 0);
    outcome = RunTool(folder, "in.ambrel -o link.alb", limits);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "Error: Cannot write the output file \"link.alb\".\n");
    struct stat status;
    ASSERT_EQ(lstat(folder.File("link.alb").c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_TRUE(Exists(folder.File("target.alb")));

    // A FIFO cannot be created as the output and stays as it was.
    ASSERT_EQ(mkfifo(folder.File("pipe.alb").c_str(), 0600), 0);
    outcome = RunTool(folder, "in.ambrel -o pipe.alb");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "Error: Cannot create the output file \"pipe.alb\".\n");
    ASSERT_EQ(lstat(folder.File("pipe.alb").c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(VorlIconToolTest, OutOfMemoryIsReported)
{
    EXPECT_STREQ(GetGraphicsCompileMessage('MEMY'), "Error: Out of memory.");
    EXPECT_EQ(GetGraphicsCompileMessage(0), nullptr);
    // The address-space limit leaves room for the program but not for its 192 MB of textures;
    // sanitizer builds reserve far more address space than any limit that would show this.
    if (kSanitized) return;
    test::TempDirectory folder;
    WriteTextFile(folder.File("in.ambrel"), kGradient);
    test::ChildLimits noMemory;
    noMemory.noLargeBlocks = true;
    RunOutcome outcome = RunTool(folder, "in.ambrel -o out.alb", noMemory);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.output, "Error: Out of memory.\n");
    EXPECT_FALSE(Exists(folder.File("out.alb")));
}

}  // namespace
}  // namespace oq
