#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <string>
#include <vector>

#include "base/File.h"
#include "editor/fonts/FaceNames.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/FolderFiles.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontFileSource.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/SfntFaceDirectory.h"
#include "kettric/KettricPrimitive.h"
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"
#include "vorlfont/opentype/SfntFile.h"

namespace oq {
namespace {

std::vector<std::string> FontFilesIn(const std::string &folder) {
  std::vector<std::string> files;
  if (DIR *directory = opendir(folder.c_str())) {
    while (dirent *entry = readdir(directory))
      if (IsFontFileName(entry->d_name))
        files.push_back(folder + entry->d_name);
    closedir(directory);
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The face names fontconfig gives the file, one per pattern.
std::vector<std::string> FontconfigNames(const std::string &path) {
  test::ProgramOutcome outcome = test::RunProgram(
      "/usr/bin/fc-query", "/", {"-f", "%{fullname[0]}\\n", path});
  EXPECT_EQ(outcome.exitCode, 0)
      << "fc-query failed on " << path << " (fontconfig missing? make deps)";
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t end;
       (end = outcome.output.find('\n', start)) != std::string::npos;
       start = end + 1)
    names.push_back(outcome.output.substr(start, end - start));
  return names;
}

// Two-face collections of DejaVu Sans written by fontTools: with shared tables,
// without, and with shared tables except the second face's hmtx (its advances
// changed).
constexpr const char kMakeCollections[] = R"(
import sys
from fontTools.ttLib import TTFont
from fontTools.ttLib.ttCollection import TTCollection
source, folder = sys.argv[1], sys.argv[2]
def save(name, share, moveMetrics):
    first, second = TTFont(source), TTFont(source)
    if moveMetrics:
        metrics = second["hmtx"].metrics
        for glyph in metrics:
            advance, bearing = metrics[glyph]
            metrics[glyph] = (advance + 1, bearing)
    collection = TTCollection()
    collection.fonts = [first, second]
    collection.save(folder + "/" + name, shareTables=share)
save("shared.ttc", True, False)
save("apart.ttc", False, False)
save("moved.ttc", True, True)
)";

TEST(DebianFontScan, FontToolsCollectionsShareAsTheCompilerDecides) {
  test::TempDirectory folder;
  test::ChildLimits withErrors;
  withErrors.withErrors = true;
  test::ProgramOutcome made = test::RunProgram(
      "/usr/bin/python3", folder.Path(),
      {"-c", kMakeCollections,
       "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", folder.Path()},
      withErrors);
  ASSERT_EQ(made.exitCode, 0)
      << made.output
      << " (python3-fonttools or fonts-dejavu-core missing? make deps)";
  struct Case {
    const char *file;
    int32_t shared;
  };
  for (const Case &c :
       {Case{"shared.ttc", 1}, Case{"apart.ttc", 0}, Case{"moved.ttc", 0}}) {
    SCOPED_TRACE(c.file);
    FontFileSource source;
    ASSERT_TRUE(source.Open(folder.File(c.file).c_str()));
    EXPECT_EQ(TestSharedTables(source), c.shared);
    std::string bytes = test::ReadFile(folder.File(c.file));
    FontBytes image{reinterpret_cast<const uint8_t *>(bytes.data()),
                    bytes.size()};
    uint32_t faceCount = 0;
    ASSERT_EQ(ReadCollectionFaceCount(image, &faceCount), 0u);
    EXPECT_EQ(faceCount, 2u);
    EXPECT_EQ(CollectionSharesTables(image, faceCount), c.shared == 1);
  }
}

TEST(DebianFontScan, FaceNamesAgreeWithFontconfig) {
  std::vector<std::string> files =
      FontFilesIn("/usr/share/fonts/truetype/dejavu/");
  std::vector<std::string> noto =
      FontFilesIn("/usr/share/fonts/truetype/noto/");
  ASSERT_FALSE(files.empty()) << "fonts-dejavu-core missing (make deps)";
  ASSERT_FALSE(noto.empty()) << "fonts-noto-core missing (make deps)";
  for (size_t i = 0; i < noto.size(); i += 7)
    files.push_back(noto[i]);
  int32_t compared = 0;
  for (const std::string &path : files) {
    SCOPED_TRACE(path);
    std::vector<std::string> expected = FontconfigNames(path);
    // A variable font gives one pattern per named instance.
    if (expected.size() != 1)
      continue;
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

TEST(DebianFontScan, CjkCollectionsShareTables) {
  for (const char *path :
       {"/usr/share/fonts/truetype/arphic/uming.ttc",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
        "/usr/share/fonts/opentype/noto/NotoSerifCJK-Bold.ttc"}) {
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

// The machine's own fonts: the whole rescan runs (under the sanitizers too) and
// finds DejaVu.
TEST(DebianFontScan, RescansTheInstalledFonts) {
  test::FolderEnvironment environment;
  test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
  FontManager manager;
  ASSERT_EQ(manager.Rescan(), kFileOkay);
  FontFaceEntry *entry = manager.FindFontName("DejaVu Sans Bold");
  ASSERT_NE(entry, nullptr);
  EXPECT_NE(entry->GetFontResource(), nullptr);
}

} // namespace
} // namespace oq
