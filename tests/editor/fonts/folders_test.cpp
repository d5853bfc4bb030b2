#include <gtest/gtest.h>

#include "base/File.h"
#include "editor/fonts/EditorSettings.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/FolderEnvironment.h"

#include <fstream>
#include <string>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace oq {
namespace {

bool IsFolder(const std::string &path, uint32_t *mode = nullptr)
{
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    if (mode != nullptr) *mode = status.st_mode & 07777;
    return true;
}

bool Exists(const std::string &path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

// Every path below the folder.
std::set<std::string> ListTree(const std::string &folder)
{
    std::set<std::string> paths;
    DIR *directory = opendir(folder.c_str());
    if (directory == nullptr) return paths;
    while (dirent *entry = readdir(directory))
    {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::string path = folder + "/" + name;
        paths.insert(path);
        if (IsFolder(path))
        {
            for (const std::string &below : ListTree(path)) paths.insert(below);
        }
    }
    closedir(directory);
    return paths;
}

std::vector<std::string> ToVector(const Array<TextString> &list)
{
    std::vector<std::string> result;
    for (const TextString &entry : list) result.emplace_back(entry.GetText());
    return result;
}

TEST(FoldersTest, SettingsAndLocalDataFollowXdgAndAreMadePrivate)
{
    test::FolderEnvironment environment;
    test::FolderEnvironment::Set("XDG_CONFIG_HOME", environment.Path("config"));
    test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data//"));

    std::string settings = environment.Path("config/OrlendoQuist/");
    std::string local = environment.Path("data/OrlendoQuist/");
    EXPECT_EQ(std::string(GetSettingsFolder()), settings);
    EXPECT_EQ(std::string(GetLocalDataFolder()), local);
    uint32_t mode = 0;
    ASSERT_TRUE(IsFolder(settings, &mode));
    EXPECT_EQ(mode, 0700U);
    ASSERT_TRUE(IsFolder(environment.Path("config"), &mode));
    EXPECT_EQ(mode, 0700U);
    ASSERT_TRUE(IsFolder(local, &mode));
    EXPECT_EQ(mode, 0700U);

    // An existing folder keeps its mode and is returned again.
    chmod(settings.c_str(), 0750);
    EXPECT_EQ(std::string(GetSettingsFolder()), settings);
    ASSERT_TRUE(IsFolder(settings, &mode));
    EXPECT_EQ(mode, 0750U);
}

TEST(FoldersTest, WithoutXdgValuesTheFoldersLieUnderHome)
{
    test::FolderEnvironment environment;
    std::string home = environment.Path("home");
    EXPECT_EQ(std::string(GetSettingsFolder()), home + "/.config/OrlendoQuist/");
    EXPECT_EQ(std::string(GetLocalDataFolder()), home + "/.local/share/OrlendoQuist/");
    EXPECT_TRUE(IsFolder(home + "/.config/OrlendoQuist"));
    EXPECT_TRUE(IsFolder(home + "/.local/share/OrlendoQuist"));

    // Relative XDG values are ignored, and nothing is made in the working folder.
    test::FolderEnvironment::Set("XDG_CONFIG_HOME", "oq-relative-config");
    test::FolderEnvironment::Set("XDG_DATA_HOME", "oq-relative-data");
    EXPECT_EQ(std::string(GetSettingsFolder()), home + "/.config/OrlendoQuist/");
    EXPECT_EQ(std::string(GetLocalDataFolder()), home + "/.local/share/OrlendoQuist/");
    EXPECT_FALSE(Exists("oq-relative-config"));
    EXPECT_FALSE(Exists("oq-relative-data"));
}

TEST(FoldersTest, AFolderThatCannotBeMadeGivesNoPath)
{
    test::FolderEnvironment environment;
    // A regular file where a folder of the path must be: ENOTDIR, also for root.
    std::string file = environment.Path("file");
    std::ofstream(file) << "x";
    const std::string bases[] = {file, file + "/below"};
    for (const std::string &base : bases)
    {
        SCOPED_TRACE(base);
        test::FolderEnvironment::Set("HOME", base);
        EXPECT_TRUE(GetSettingsFolder().IsEmpty());
        EXPECT_TRUE(GetLocalDataFolder().IsEmpty());
        test::FolderEnvironment::Set("XDG_CONFIG_HOME", base);
        test::FolderEnvironment::Set("XDG_DATA_HOME", base);
        EXPECT_TRUE(GetSettingsFolder().IsEmpty());
        EXPECT_TRUE(GetLocalDataFolder().IsEmpty());
        test::FolderEnvironment::Unset("XDG_CONFIG_HOME");
        test::FolderEnvironment::Unset("XDG_DATA_HOME");
    }

    // Reads find nothing and saves fail, leaving no file anywhere.
    test::FolderEnvironment::Set("HOME", file + "/below");
    std::set<std::string> before = ListTree(environment.folder.Path());
    EditorSettings settings;
    settings.preferences.colors[kColorBackground] = 0;
    LoadPreferencesFile(&settings);
    EXPECT_EQ(settings.preferences.colors[kColorBackground], 0U);
    EXPECT_EQ(SavePreferencesFile(settings), kFileOpenFailed);
    Preferences edited;
    EXPECT_EQ(ApplyPreferences(&settings, edited), kFileOpenFailed);
    EXPECT_EQ(ListTree(environment.folder.Path()), before);

    // The program's folder itself being a file.
    test::FolderEnvironment::Set("XDG_CONFIG_HOME", environment.Path(""));
    std::ofstream(environment.Path("OrlendoQuist")) << "x";
    EXPECT_TRUE(GetSettingsFolder().IsEmpty());

    // No home at all.
    test::FolderEnvironment::Unset("HOME");
    test::FolderEnvironment::Unset("XDG_CONFIG_HOME");
    EXPECT_TRUE(GetSettingsFolder().IsEmpty());
    EXPECT_TRUE(GetLocalDataFolder().IsEmpty());
    test::FolderEnvironment::Set("HOME", "relative-home");
    EXPECT_TRUE(GetSettingsFolder().IsEmpty());
    EXPECT_FALSE(Exists("relative-home"));
}

TEST(FoldersTest, AFifoNamedConfigQuistIsUnreadableAtOnce)
{
    test::FolderEnvironment environment;
    std::string path = std::string(GetSettingsFolder()) + "config.quist";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    // Opening a FIFO for reading would wait for a writer; the read refuses it instead.
    EditorSettings settings;
    settings.preferences.colors[kColorBackground] = 0;
    LoadPreferencesFile(&settings);
    EXPECT_EQ(settings.preferences.colors[kColorBackground], 0U);
    EXPECT_EQ(settings.functionNameLists[0].GetElementCount(), 4);
}

TEST(FoldersTest, FontRootsComeInOrderAndAreNotMade)
{
    test::FolderEnvironment environment;
    std::string home = environment.Path("home");
    EXPECT_EQ(ToVector(GetUserFontsFolder()),
              (std::vector<std::string>{home + "/.local/share/fonts/", home + "/.fonts/"}));
    test::FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
    EXPECT_EQ(ToVector(GetUserFontsFolder()),
              (std::vector<std::string>{environment.Path("data/fonts/"), home + "/.fonts/"}));
    test::FolderEnvironment::Set("XDG_DATA_HOME", "data");
    EXPECT_EQ(ToVector(GetUserFontsFolder()),
              (std::vector<std::string>{home + "/.local/share/fonts/", home + "/.fonts/"}));
    EXPECT_FALSE(Exists(home));

    const std::vector<std::string> defaults = {"/usr/share/fonts/", "/usr/local/share/fonts/"};
    EXPECT_EQ(ToVector(GetSystemFontsFolder()), defaults);
    Array<TextString> roots;
    roots.AddElement(TextString(environment.Path("system").c_str()));
    roots.AddElement(TextString(environment.Path("other//").c_str()));
    SetSystemFontRoots(roots);
    EXPECT_EQ(ToVector(GetSystemFontsFolder()),
              (std::vector<std::string>{environment.Path("system/"), environment.Path("other/")}));
    SetSystemFontRoots(Array<TextString>());
    EXPECT_TRUE(ToVector(GetSystemFontsFolder()).empty());
    Array<TextString> restored;
    for (const std::string &root : defaults) restored.AddElement(TextString(root.c_str()));
    SetSystemFontRoots(restored);
    EXPECT_EQ(ToVector(GetSystemFontsFolder()), defaults);
}

}  // namespace
}  // namespace oq
