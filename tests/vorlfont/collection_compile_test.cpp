// The two CJK shared collections of the test fonts compile into files that pass the three checks:
// one file, one font record per face, and no second Font to pick. These are the heaviest
// compiles (tens of thousands of glyphs), so they have an executable of their own.
#include <gtest/gtest.h>

#include "VorlFontTestSupport.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace oq {
namespace {

// The editor's switches: -no-poly -contours -math.
constexpr uint32_t kEditorFlags = (kDefaultCompileFlags & ~kCompilePoly) | kCompileContours | kCompileMath;

// 512 ideographs (and Latin-1, which every compile holds).
constexpr CodePointRange kSampleRange = {0x4E00, 0x4FFF};

struct CollectionCase
{
    const char *name;
    const char *path;
    uint32_t faces;
    uint32_t flags;
    bool whole;   // every character; else the sample range
};

// Whole collections with the default switches; the editor's switches on the sample only, as a
// second whole compile would take as long again.
const CollectionCase kCases[] = {
    {"NotoSansCJK_Defaults", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 10, kDefaultCompileFlags, true},
    {"NotoSansCJK_Editor", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", 10, kEditorFlags, false},
    {"UMing_Defaults", "/usr/share/fonts/truetype/arphic/uming.ttc", 4, kDefaultCompileFlags, true},
    {"UMing_Editor", "/usr/share/fonts/truetype/arphic/uming.ttc", 4, kEditorFlags, false},
};

void PrintTo(const CollectionCase &c, std::ostream *os) { *os << c.name; }

class CollectionCompile : public testing::TestWithParam<CollectionCase>
{
};

TEST_P(CollectionCompile, OneFileWithAFontRecordPerFace)
{
    const CollectionCase &param = GetParam();
    std::string bytes = test::ReadWholeFile(param.path);
    ASSERT_FALSE(bytes.empty()) << param.path << ": missing test font (make deps)";
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(), &document), 0u);

    // A whole collection takes 15 to 30 s in an optimized build and several minutes under the
    // sanitizers, which therefore compile the sample range only.
#if defined(__SANITIZE_ADDRESS__)
    const bool whole = false;
#else
    const bool whole = param.whole;
#endif
    FontCompiler compiler(&document, param.flags, whole ? nullptr : &kSampleRange, whole ? 0 : 1, nullptr, 0);
    std::vector<uint8_t> file;
    OutputSink sink(test::AppendToBytes, &file);
    // The faces are font records of the one Font: a second Font does not exist (-f 1).
    EXPECT_EQ(compiler.CompileAndWrite(&sink, nullptr, 1), uint32_t('IFID'));
    EXPECT_TRUE(file.empty());

    ASSERT_EQ(compiler.CompileAndWrite(&sink, nullptr, 0), 0u);
    test::ExpectReadableFontFile(file);
    EXPECT_EQ(test::GetVorlFontCount(file), param.faces);
}

INSTANTIATE_TEST_SUITE_P(TestFonts, CollectionCompile, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<CollectionCase> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace oq
