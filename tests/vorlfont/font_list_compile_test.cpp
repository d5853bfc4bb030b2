// The importer's test fonts compile, with the default switches and with the editor's, into files
// that pass the three checks. The two CJK collections, the heavy ones, are in
// collection_compile_test.
#include <gtest/gtest.h>

#include "VorlFontTestSupport.h"
#include "support/TempDirectory.h"
#include "vorlfont/compiler/VorlFontRun.h"

#include <filesystem>
#include <string>
#include <vector>

namespace oq {
namespace {

// Runs vorlfont in-process on the input with the switches, writing "font.vorl" into the folder.
// Returns the exit code; the message line, if any, goes to `message` and the file to `file`.
int32_t RunVorlFontInFolder(const std::string &input, const std::vector<std::string> &switches,
                                   const test::TempDirectory &folder, std::string *message, std::vector<uint8_t> *file)
{
    std::string output = folder.File("font.vorl");
    std::vector<const char *> arguments = {input.c_str(), "-o", output.c_str()};
    for (const std::string &s : switches) arguments.push_back(s.c_str());
    const char *line = nullptr;
    int32_t code = RunVorlFont(int32_t(arguments.size()), arguments.data(), &line);
    *message = line != nullptr ? line : "";
    std::string bytes = test::ReadWholeFile(output);
    file->assign(bytes.begin(), bytes.end());
    return code;
}

struct TestFont
{
    const char *name;
    const char *path;
};

const TestFont kFonts[] = {
    {"DejaVuSans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
    {"LatinModernMath", "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf"},
    {"FreeSerif", "/usr/share/fonts/opentype/freefont/FreeSerif.otf"},
    {"NotoSans", "/usr/share/fonts/truetype/noto/NotoSans-Regular.ttf"},
    {"NotoSerif", "/usr/share/fonts/truetype/noto/NotoSerif-Regular.ttf"},
    {"NotoSansArabic", "/usr/share/fonts/truetype/noto/NotoSansArabic-Regular.ttf"},
    {"LiberationSans", "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf"},
};

struct SwitchSet
{
    const char *name;
    std::vector<std::string> switches;
};

const SwitchSet kSwitchSets[] = {
    {"Defaults", {}},
    {"Editor", {"-no-poly", "-contours", "-math"}},
};

void PrintTo(const TestFont &font, std::ostream *os) { *os << font.name; }
void PrintTo(const SwitchSet &set, std::ostream *os) { *os << set.name; }

class FontListCompile : public testing::TestWithParam<std::tuple<TestFont, SwitchSet>>
{
};

TEST_P(FontListCompile, CompilesToACheckedFile)
{
    const TestFont &font = std::get<0>(GetParam());
    const SwitchSet &set = std::get<1>(GetParam());
    ASSERT_TRUE(std::filesystem::exists(font.path)) << font.path << ": missing test font (make deps)";
    test::TempDirectory folder;
    std::string message;
    std::vector<uint8_t> file;
    ASSERT_EQ(RunVorlFontInFolder(font.path, set.switches, folder, &message, &file), 0) << message;
    EXPECT_EQ(message, "");
    test::ExpectReadableFontFile(file);
    EXPECT_EQ(test::GetVorlFontCount(file), 1u);
}

INSTANTIATE_TEST_SUITE_P(TestFonts, FontListCompile, testing::Combine(testing::ValuesIn(kFonts), testing::ValuesIn(kSwitchSets)),
                         [](const testing::TestParamInfo<std::tuple<TestFont, SwitchSet>> &info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

}  // namespace
}  // namespace oq
