#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <string>
#include <vector>

#include "base/File.h"
#include "editor/fonts/FaceNames.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontFileSource.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/SfntFaceDirectory.h"
#include "kettric/KettricPrimitive.h"
#include "support/ChildProcess.h"
#include "vorlfont/opentype/SfntFile.h"

namespace oq {
namespace {

std::vector<std::string> FontFilesIn(const std::string &folder)
{
    std::vector<std::string> files;
    if (DIR *directory = opendir(folder.c_str()))
    {
        while (dirent *entry = readdir(directory))
            if (IsFontFileName(entry->d_name)) files.push_back(folder + entry->d_name);
        closedir(directory);
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The face names fontconfig gives the file, one per pattern.
std::vector<std::string> FontconfigNames(const std::string &path)
{
    test::ProgramOutcome outcome = test::RunProgram("/usr/bin/fc-query", "/", {"-f", "%{fullname[0]}\\n", path});
    EXPECT_EQ(outcome.exitCode, 0) << "fc-query failed on " << path << " (fontconfig missing? make deps)";
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t end; (end = outcome.output.find('\n', start)) != std::string::npos; start = end + 1)
        names.push_back(outcome.output.substr(start, end - start));
    return names;
}

TEST(DebianFontScan, FaceNamesAgreeWithFontconfig)
{
    std::vector<std::string> files = FontFilesIn("/usr/share/fonts/truetype/dejavu/");
    std::vector<std::string> noto = FontFilesIn("/usr/share/fonts/truetype/noto/");
    ASSERT_FALSE(files.empty()) << "fonts-dejavu-core missing (make deps)";
    ASSERT_FALSE(noto.empty()) << "fonts-noto-core missing (make deps)";
    for (size_t i = 0; i < noto.size(); i += 7) files.push_back(noto[i]);
    int32_t compared = 0;
    for (const std::string &path : files)
    {
        SCOPED_TRACE(path);
        std::vector<std::string> expected = FontconfigNames(path);
        // A variable font gives one pattern per named instance.
        if (expected.size() != 1) continue;
        FontFileSource file;
        ASSERT_TRUE(file.Open(path.c_str()));
        SfntFaceDirectory directory;
        ASSERT_TRUE(ReadSfntFaceDirectory(file, 0, &directory));
        TextString name;
        ASSERT_TRUE(ReadFaceName(file, directory, &name));
        EXPECT_EQ(name.GetText(), expected[0]);
        ++compared;
    }
    EXPECT_GT(compared, 10);
}

TEST(DebianFontScan, CjkCollectionsShareTables)
{
    for (const char *path : {"/usr/share/fonts/truetype/arphic/uming.ttc", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
                             "/usr/share/fonts/opentype/noto/NotoSerifCJK-Bold.ttc"})
    {
        SCOPED_TRACE(path);
        FontFileSource file;
        ASSERT_TRUE(file.Open(path)) << "missing (make deps)";
        EXPECT_EQ(TestSharedTables(file), 1);
        FontResource *resource = BuildFontResource("x.ttc", file);
        ASSERT_NE(resource, nullptr);
        EXPECT_TRUE(resource->GetSharedTablesFlag());
        delete resource;
    }
}

// The machine's own fonts: the whole rescan runs (under the sanitizers too) and finds DejaVu.
TEST(DebianFontScan, RescansTheInstalledFonts)
{
    test::FolderEnvironment environment;
    test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
    FontManager manager;
    ASSERT_EQ(manager.Rescan(), kFileOkay);
    FontFaceEntry *entry = manager.FindFontName("DejaVu Sans Bold");
    ASSERT_NE(entry, nullptr);
    EXPECT_NE(entry->GetFontResource(), nullptr);
}

}  // namespace
}  // namespace oq
