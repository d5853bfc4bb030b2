#pragma once

// The folders, registry and fake compilers of the font import tests: the local data folder and a
// user font root under XDG_DATA_HOME, the system roots on an empty folder, and compilers that are
// shell scripts written by the test. The test process is a child subreaper, so the compiler's
// orphaned processes become its children: a group that is gone leaves no process, and the fixture
// checks at the end that no child of any kind is left.

#include "base/Array.h"
#include "base/TextString.h"
#include "editor/fonts/FolderEnvironment.h"
#include "editor/fonts/FolderFiles.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontImportJob.h"
#include "editor/fonts/FontImportSettings.h"
#include "editor/fonts/FontManager.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace oq::test {

// Faces of three font files: a collection whose faces share tables, one whose faces do not, a
// single font.
inline constexpr const char kImportRegistry[] =
    "R (n=\"Shared.ttc\", c) { s{\"Shared A\"} s{\"Shared B\"} s{\"Shared C\"} }\n"
    "R (n=\"Apart.ttc\") { s{\"Apart A\"} s{\"Apart B\"} s{\"Apart C\"} }\n"
    "R (n=\"Single.ttf\") { s{\"Single\"} }\n"
    "R (n=\"Absent.ttf\") { s{\"Absent\"} }\n";

inline bool PathExists(const std::string &path)
{
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

// Reaps every exited child; true when no child is left at all (waitpid reports ECHILD).
inline bool ReapChildren()
{
    for (;;)
    {
        pid_t pid = waitpid(-1, nullptr, WNOHANG);
        if (pid > 0) continue;
        return pid < 0 && errno == ECHILD;
    }
}

// Whether the process group is gone within a few seconds, orphans reaped on the way.
inline bool GroupGone(pid_t group)
{
    if (group <= 0) return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;)
    {
        static_cast<void>(ReapChildren());
        if (kill(-group, 0) != 0 && errno == ESRCH) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Waits until the job's status leaves running; false after the bound.
inline bool WaitForJob(const FontImportJob &job, std::chrono::seconds bound = std::chrono::seconds(60))
{
    auto deadline = std::chrono::steady_clock::now() + bound;
    while (job.GetStatus() == kFontImportRunning)
    {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The job's process group once its compiler has started; 0 when it does not start within the bound.
inline pid_t WaitForProcessGroup(const FontImportJob &job)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (job.GetProcessGroup() == 0 && job.GetStatus() == kFontImportRunning &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return job.GetProcessGroup();
}

class FontImportFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        FolderEnvironment::Set("XDG_DATA_HOME", environment.Path("data"));
        for (const TextString &root : GetSystemFontsFolder()) savedSystemRoots.emplace_back(root.GetText());
        ASSERT_EQ(mkdir(environment.Path("system").c_str(), 0700), 0);
        Array<TextString> roots;
        roots.AddElement(TextString(environment.Path("system/").c_str()));
        SetSystemFontRoots(roots);
        localFolder = GetLocalDataFolder().GetText();
        ASSERT_FALSE(localFolder.empty());
        userRoot = environment.Path("data/fonts/");
        ASSERT_EQ(mkdir(userRoot.c_str(), 0700), 0);
        ASSERT_EQ(mkdir((userRoot + "sub").c_str(), 0700), 0);
        for (const char *source : {"Shared.ttc", "sub/Apart.ttc", "Single.ttf"})
            ASSERT_TRUE(WriteFile(userRoot + source, "font"));
        ASSERT_EQ(manager.ParseAndResolve(kImportRegistry), 0U);
    }

    void TearDown() override
    {
        Array<TextString> restored;
        for (const std::string &root : savedSystemRoots) restored.AddElement(TextString(root.c_str()));
        SetSystemFontRoots(restored);
        // Nothing the imports started may be left, not even a zombie.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!ReapChildren() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(ReapChildren()) << "a child process was left behind";
    }

    const FontFaceEntry &Face(const char *name)
    {
        const FontFaceEntry *entry = manager.FindFontName(name);
        EXPECT_NE(entry, nullptr) << name;
        return *entry;
    }

    // A fake compiler: a shell script with the body, run with the compiler's arguments ($3 is the
    // output).
    std::string WriteCompiler(const char *name, const std::string &body)
    {
        std::string path = environment.Path(name);
        EXPECT_TRUE(WriteFile(path, "#!/bin/sh\n" + body + "\n"));
        EXPECT_EQ(chmod(path.c_str(), 0700), 0);
        return path;
    }

    FontImportSettings Settings(const std::string &compiler, int32_t limit = 60000)
    {
        FontImportSettings settings;
        settings.compilerPath = compiler;
        settings.timeLimitMilliseconds = limit;
        return settings;
    }

    // A file in the test folder.
    std::string Save(const char *name, const std::vector<uint8_t> &bytes)
    {
        std::string path = environment.Path(name);
        EXPECT_TRUE(WriteFile(path, std::string(bytes.begin(), bytes.end())));
        return path;
    }

    // The local data folder's names other than the final output: temporary files left behind.
    std::vector<std::string> LeftoversBeside(const std::string &output)
    {
        std::vector<std::string> names;
        for (const std::string &name : ListFolder(localFolder))
            if (localFolder + name != output) names.push_back(name);
        return names;
    }

    FolderEnvironment environment;
    std::vector<std::string> savedSystemRoots;
    std::string localFolder;
    std::string userRoot;
    FontManager manager;
};

}  // namespace oq::test
