#include <gtest/gtest.h>

#include "editor/fonts/FontImportFixture.h"
#include "editor/fonts/FontLoader.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/RendererProbe.h"
#include "support/ChildProcess.h"

#include <sstream>

namespace oq {
namespace {

using test::ReadFile;

constexpr const char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// A two-face collection of DejaVu Sans, the second face named "DejaVu Sans Two", saved with or
// without shared tables.
constexpr const char kMakeCollection[] = R"(
import sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection
source, output, share = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
first, second = TTFont(source), TTFont(source)
names = {1: "DejaVu Sans Two", 3: "DejaVu Sans Two", 4: "DejaVu Sans Two", 6: "DejaVuSansTwo", 16: "DejaVu Sans Two"}
for record in second["name"].names:
    if record.nameID in names:
        record.string = names[record.nameID]
collection = TTCollection()
collection.fonts = [first, second]
collection.save(output, shareTables=share)
)";

// The build's compiler behind a wrapper that records its arguments, on installed fonts in a user
// font root; the imported faces are then loaded by name.
class FontImportEndToEnd : public test::FontImportFixture
{
protected:
    void SetUp() override
    {
        test::FontImportFixture::SetUp();
        SetRenderer(&r.renderer);
        SetFontManager(&registry);
        argumentsFile = environment.Path("arguments");
        compiler = WriteCompiler("vorlfont", "printf '%s\\n' \"$@\" > '" + argumentsFile + "'\nexec '" VORLFONT_PATH "' \"$@\"");
    }

    void TearDown() override
    {
        DestroyLoadedFonts();
        SetFontManager(nullptr);
        SetRenderer(nullptr);
        test::FontImportFixture::TearDown();
    }

    void MakeCollection(const char *name, bool share)
    {
        test::ProgramOutcome made = test::RunProgram("/usr/bin/python3", environment.folder.Path(),
                                                     {"-c", kMakeCollection, kDejaVuSans, userRoot + name, share ? "1" : "0"});
        ASSERT_EQ(made.exitCode, 0);
    }

    // Imports the face; true when the job ended imported.
    bool Import(const FontManager &faces, const char *face)
    {
        const FontFaceEntry *entry = faces.FindFontName(face);
        if (entry == nullptr) return false;
        FontImportJob job(0, *entry, Settings(compiler));
        return test::WaitForJob(job) && job.GetStatus() == kFontImportDone;
    }

    // The arguments after the output's.
    std::vector<std::string> Switches()
    {
        std::vector<std::string> lines;
        std::istringstream stream(ReadFile(argumentsFile));
        for (std::string line; std::getline(stream, line);) lines.push_back(line);
        return lines.size() > 3 ? std::vector<std::string>(lines.begin() + 3, lines.end()) : lines;
    }

    test::RecordingRenderer r;
    FontManager registry;
    std::string argumentsFile;
    std::string compiler;
};

TEST_F(FontImportEndToEnd, SingleFont)
{
    ASSERT_TRUE(test::WriteFile(userRoot + "DejaVuSans.ttf", ReadFile(kDejaVuSans)));
    ASSERT_EQ(registry.ParseAndResolve("R (n=\"DejaVuSans.ttf\") { s{\"DejaVu Sans\"} }"), 0U);
    ASSERT_TRUE(Import(registry, "DejaVu Sans"));
    EXPECT_EQ(Switches(), (std::vector<std::string>{"-no-poly", "-contours", "-math"}));
    TextString name("DejaVu Sans");
    Font *font = LoadFont(name);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->faceIndex, 0);
    EXPECT_EQ(font->file->GetFaceCount(), 1U);
    EXPECT_GT(font->GetGlyphCount(), 1000U);
    font->Release();
}

// A collection whose faces share tables compiles every face into one file without "-f"; one whose
// faces do not compiles the face alone with "-f" into a file of its own.
TEST_F(FontImportEndToEnd, Collections)
{
    struct Case
    {
        bool share;
        const char *registry;
        std::vector<std::string> switches;
        const char *file;
        uint32_t records;
        int32_t record;
    };
    const Case cases[] = {
        {true, "R (n=\"Pair.ttc\", c) { s{\"DejaVu Sans\"} s{\"DejaVu Sans Two\"} }",
         {"-no-poly", "-contours", "-math"}, "Pair.ttc.vorl", 2, 1},
        {false, "R (n=\"Apart.ttc\") { s{\"DejaVu Sans\"} s{\"DejaVu Sans Two\"} }",
         {"-no-poly", "-contours", "-math", "-f", "1"}, "Apart.ttc-1.vorl", 1, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.registry);
        FontManager collection;
        SetFontManager(&collection);
        std::string fileName = c.share ? "Pair.ttc" : "Apart.ttc";
        MakeCollection(fileName.c_str(), c.share);
        ASSERT_EQ(collection.ParseAndResolve(c.registry), 0U);
        ASSERT_TRUE(Import(collection, "DejaVu Sans Two"));
        EXPECT_EQ(Switches(), c.switches);
        TextString name("DejaVu Sans Two");
        Font *font = LoadFont(name);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->file->GetFaceCount(), c.records);
        EXPECT_EQ(font->faceIndex, c.record);
        EXPECT_STREQ(font->file->path, (localFolder + c.file).c_str());
        font->Release();
        SetFontManager(&registry);
    }
}

}  // namespace
}  // namespace oq
