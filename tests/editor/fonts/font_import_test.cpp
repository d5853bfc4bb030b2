#include <gtest/gtest.h>

#include "editor/fonts/FontImportFixture.h"
#include "editor/fonts/InstalledFontFiles.h"
#include "editor/fonts/LoadableFont.h"
#include "editor/platform/ShellServices.h"
#include "vorl/text/VorlFileHeader.h"
#include "vorl/text/VorlFontValidator.h"

#include <cstring>
#include <sstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace oq {
namespace {

using test::FontImportFixture;
using test::GroupGone;
using test::PathExists;
using test::ReadFile;
using test::WaitForJob;

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

using FontImportJobTest = FontImportFixture;

TEST_F(FontImportJobTest, CommandLineAndOutputName)
{
    std::vector<uint8_t> threeFaces = test::MakeLoadableFont(3);
    std::string valid = Save("valid.vorl", threeFaces);
    std::string argumentsFile = environment.Path("arguments");
    std::string compiler =
        WriteCompiler("recorder", "printf '%s\\n' \"$@\" > '" + argumentsFile + "'\ncp '" + valid + "' \"$3\"");
    struct Case
    {
        const char *face;
        std::string source;
        const char *key;
        std::vector<std::string> faceSwitch;
    };
    const Case cases[] = {
        {"Shared A", userRoot + "Shared.ttc", "Shared.ttc", {}},
        {"Shared C", userRoot + "Shared.ttc", "Shared.ttc", {}},
        {"Apart C", userRoot + "sub/Apart.ttc", "Apart.ttc-2", {"-f", "2"}},
        {"Single", userRoot + "Single.ttf", "Single.ttf", {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.face);
        std::string output = localFolder + c.key + ".vorl";
        FontImportJob job(7, Face(c.face), Settings(compiler));
        ASSERT_TRUE(WaitForJob(job));
        EXPECT_EQ(job.GetStatus(), kFontImportDone);
        EXPECT_EQ(job.GetCallerValue(), 7);
        EXPECT_STREQ(job.GetFaceName(), c.face);
        EXPECT_EQ(job.GetSourcePath(), c.source);
        EXPECT_EQ(job.GetOutputPath(), output);

        std::vector<std::string> arguments = Lines(ReadFile(argumentsFile));
        ASSERT_EQ(arguments.size(), 6 + c.faceSwitch.size());
        EXPECT_EQ(arguments[0], c.source);
        EXPECT_EQ(arguments[1], "-o");
        // A hidden temporary file beside the output, renamed over it once checked.
        std::string temporaryPrefix = localFolder + "." + c.key + ".vorl.";
        EXPECT_EQ(arguments[2].compare(0, temporaryPrefix.size(), temporaryPrefix), 0) << arguments[2];
        EXPECT_FALSE(PathExists(arguments[2]));
        EXPECT_EQ(std::vector<std::string>(arguments.begin() + 3, arguments.begin() + 6),
                  (std::vector<std::string>{"-no-poly", "-contours", "-math"}));
        EXPECT_EQ(std::vector<std::string>(arguments.begin() + 6, arguments.end()), c.faceSwitch);

        EXPECT_EQ(ReadFile(output), std::string(threeFaces.begin(), threeFaces.end()));
        EXPECT_TRUE(LeftoversBeside(output).empty());
        ASSERT_EQ(unlink(output.c_str()), 0);
        EXPECT_TRUE(GroupGone(job.GetProcessGroup()));
    }
}

// Every exit is checked: only exit 0 with a file the loader reads (holding the face's record) is
// installed; anything else leaves neither the output nor the temporary file.
TEST_F(FontImportJobTest, CompilerOutcomes)
{
    std::string one = Save("one.vorl", test::MakeLoadableFont(1));
    std::string three = Save("three.vorl", test::MakeLoadableFont(3));
    std::vector<uint8_t> withoutMetrics = test::MakeLoadableFont(1);
    {
        test::VorlFontBuilder builder = test::MakeLoadableBuilder(1);
        test::EditFontItem(builder.fonts[0], 'HITE', 0.0F, true);
        withoutMetrics = builder.Build();
        ASSERT_TRUE(ValidateVorlFontFile(withoutMetrics.data(), withoutMetrics.size()));
    }
    std::string noHeight = Save("noheight.vorl", withoutMetrics);
    std::vector<uint8_t> damaged = test::MakeLoadableFont(1);
    damaged.resize(damaged.size() / 2);
    std::string cut = Save("cut.vorl", damaged);
    struct Case
    {
        const char *name;
        const char *face;
        std::string body;
        int32_t status;
    };
    const Case cases[] = {
        {"valid file", "Single", "cp '" + one + "' \"$3\"", kFontImportDone},
        {"three records for face 2 of a shared collection", "Shared C", "cp '" + three + "' \"$3\"", kFontImportDone},
        {"exit 1", "Single", "cp '" + one + "' \"$3\"\nexit 1", kFontImportFailed},
        {"exit 0 without a file", "Single", "rm -f \"$3\"", kFontImportFailed},
        {"exit 0 with the empty temporary file", "Single", "exit 0", kFontImportFailed},
        {"exit 0 with an invalid file", "Single", "printf 'not a font' > \"$3\"", kFontImportFailed},
        {"exit 0 with a cut file", "Single", "cp '" + cut + "' \"$3\"", kFontImportFailed},
        {"a face without its metrics", "Single", "cp '" + noHeight + "' \"$3\"", kFontImportFailed},
        {"one record for face 2 of a shared collection", "Shared C", "cp '" + one + "' \"$3\"", kFontImportFailed},
        {"killed by a signal", "Single", "cp '" + one + "' \"$3\"\nkill -9 $$", kFontImportFailed},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        FontImportJob job(0, Face(c.face), Settings(WriteCompiler("compiler", c.body)));
        ASSERT_TRUE(WaitForJob(job));
        EXPECT_EQ(job.GetStatus(), c.status);
        EXPECT_EQ(PathExists(job.GetOutputPath()), c.status == kFontImportDone);
        EXPECT_TRUE(LeftoversBeside(job.GetOutputPath()).empty());
        static_cast<void>(unlink(job.GetOutputPath().c_str()));
        EXPECT_TRUE(GroupGone(job.GetProcessGroup()));
    }
}

// Jobs that fail before anything runs: no process, no file.
TEST_F(FontImportJobTest, FailsAtOnce)
{
    std::string compiler = WriteCompiler("compiler", "exit 0");
    FontFaceEntry builtIn("Times New Roman", nullptr);
    struct Case
    {
        const char *name;
        const FontFaceEntry *entry;
        std::string compiler;
    };
    const Case cases[] = {
        {"a name without a font file", &builtIn, compiler},
        {"a font file in no font folder", &Face("Absent"), compiler},
        {"a compiler path that is not absolute", &Face("Single"), "compiler"},
        {"no compiler path", &Face("Single"), ""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        FontImportJob job(3, *c.entry, Settings(c.compiler));
        EXPECT_EQ(job.GetStatus(), kFontImportFailed);
        EXPECT_EQ(job.GetProcessGroup(), 0);
        EXPECT_EQ(job.GetCallerValue(), 3);
        EXPECT_TRUE(test::ListFolder(localFolder).empty());
    }
    // A compiler that cannot be started fails once the worker tries.
    FontImportJob missing(0, Face("Single"), Settings(environment.Path("nothing-here")));
    ASSERT_TRUE(WaitForJob(missing));
    EXPECT_EQ(missing.GetStatus(), kFontImportFailed);
    EXPECT_TRUE(test::ListFolder(localFolder).empty());
}

// A compiler that overruns is ended with everything it started, and so is one that is stopped,
// even while it ignores SIGTERM or has written part of its output.
TEST_F(FontImportJobTest, TimeOutAndStopEndTheWholeGroup)
{
    struct Case
    {
        const char *name;
        std::string body;
        int32_t limit;
        bool stop;
        int32_t status;
    };
    const Case cases[] = {
        {"time-out with a backgrounded grandchild", "sleep 30 &\nsleep 30", 1000, false, kFontImportTimedOut},
        {"stop after a partial write", "sleep 30 &\nprintf 'vorl' > \"$3\"\nsleep 30", 60000, true, kFontImportStopped},
        {"stop while ignoring SIGTERM", "trap '' TERM\nsleep 30 &\nprintf 'vorl' > \"$3\"\nsleep 30", 60000, true,
         kFontImportStopped},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        FontImportJob job(0, Face("Single"), Settings(WriteCompiler("compiler", c.body), c.limit));
        ASSERT_EQ(job.GetStatus(), kFontImportRunning);
        if (c.stop)
        {
            // Once the compiler has written into its temporary file.
            auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            auto written = [this]() {
                for (const std::string &name : test::ListFolder(localFolder))
                    if (ReadFile(localFolder + name) == "vorl") return true;
                return false;
            };
            while (!written() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ASSERT_TRUE(written());
            job.Stop();
        }
        // Well before the compiler's own 30 s.
        ASSERT_TRUE(WaitForJob(job, std::chrono::seconds(15)));
        EXPECT_EQ(job.GetStatus(), c.status);
        EXPECT_TRUE(GroupGone(job.GetProcessGroup()));
        EXPECT_FALSE(PathExists(job.GetOutputPath()));
        EXPECT_TRUE(test::ListFolder(localFolder).empty());
    }
}

// Destroying a running job stops its compiler and joins its worker; many jobs start and stop.
TEST_F(FontImportJobTest, DestroyingRunningJobs)
{
    std::string sleeper = WriteCompiler("sleeper", "sleep 30 &\nsleep 30");
    {
        auto job = std::make_unique<FontImportJob>(0, Face("Single"), Settings(sleeper));
        pid_t group = test::WaitForProcessGroup(*job);
        ASSERT_NE(group, 0);
        job.reset();
        EXPECT_TRUE(GroupGone(group));
    }
    std::vector<std::unique_ptr<FontImportJob>> jobs;
    const char *faces[] = {"Shared A", "Shared B", "Apart B", "Apart C", "Single"};
    for (int i = 0; i < 50; ++i) jobs.push_back(std::make_unique<FontImportJob>(i, Face(faces[i % 5]), Settings(sleeper)));
    for (auto &job : jobs) job->Stop();
    for (auto &job : jobs)
    {
        ASSERT_TRUE(WaitForJob(*job, std::chrono::seconds(30)));
        EXPECT_EQ(job->GetStatus(), kFontImportStopped);
    }
    std::vector<pid_t> groups;
    for (auto &job : jobs) groups.push_back(job->GetProcessGroup());
    jobs.clear();
    for (pid_t group : groups)
    {
        EXPECT_NE(group, 0);
        EXPECT_TRUE(GroupGone(group));
    }
    EXPECT_TRUE(test::ListFolder(localFolder).empty());
}

TEST_F(FontImportJobTest, WorkerCallsTheWakeHook)
{
    static std::atomic<int> wakes{0};
    FontImportSettings settings = Settings(WriteCompiler("compiler", "exit 1"));
    settings.wake = [] { wakes.fetch_add(1); };
    {
        FontImportJob job(0, Face("Single"), settings);
        ASSERT_TRUE(WaitForJob(job));
    }
    EXPECT_EQ(wakes.load(), 1);
}

TEST(FontImportSettingsTest, DefaultCompilerBesideTheProgram)
{
    FontImportSettings settings = MakeDefaultFontImportSettings();
    char program[PATH_MAX] = {};
    ASSERT_GT(readlink("/proc/self/exe", program, sizeof(program) - 1), 0);
    std::string folder(program);
    folder.resize(folder.rfind('/') + 1);
    EXPECT_EQ(settings.compilerPath, folder + "vorlfont");
    EXPECT_EQ(settings.timeLimitMilliseconds, 60000);
    EXPECT_EQ(settings.wake, &PushWakeEvent);
}

// The search for a font file: system roots before user roots, each folder in sorted order, names
// compared as the registry compares them; hidden names, links to folders and anything but a
// regular file are passed over.
TEST_F(FontImportJobTest, FindInstalledFontFile)
{
    std::string system = environment.Path("system/");
    std::string outside = environment.Path("outside/");
    ASSERT_EQ(mkdir(outside.c_str(), 0700), 0);
    for (const char *folder : {"b", "a", ".hidden", "deep", "deep/er"})
        ASSERT_EQ(mkdir((system + folder).c_str(), 0700), 0);
    for (const char *file : {"b/Both.ttf", "a/BOTH.TTF", ".hidden/Hidden.ttf", "deep/er/Deep.otf"})
        ASSERT_TRUE(test::WriteFile(system + file, "font"));
    for (const char *file : {"Both.ttf", "Hidden.ttf", "Fifo.ttf", "User.ttf"})
        ASSERT_TRUE(test::WriteFile(userRoot + file, "font"));
    for (const char *file : {"Linked.ttf", "Real.ttf"}) ASSERT_TRUE(test::WriteFile(outside + file, "font"));
    ASSERT_EQ(symlink(outside.c_str(), (system + "link").c_str()), 0);
    ASSERT_EQ(symlink((outside + "Real.ttf").c_str(), (system + "Alias.ttf").c_str()), 0);
    ASSERT_EQ(mkfifo((system + "Fifo.ttf").c_str(), 0600), 0);
    struct Case
    {
        const char *name;
        std::string found;
    };
    const Case cases[] = {
        {"both.ttf", system + "a/BOTH.TTF"},
        {"Deep.otf", system + "deep/er/Deep.otf"},
        {"User.ttf", userRoot + "User.ttf"},
        {"Hidden.ttf", userRoot + "Hidden.ttf"},
        {"Fifo.ttf", userRoot + "Fifo.ttf"},
        {"Alias.ttf", system + "Alias.ttf"},
        {"Linked.ttf", ""},
        {"Nowhere.ttf", ""},
        {"", ""},
    };
    for (const Case &c : cases) EXPECT_EQ(FindInstalledFontFile(c.name), c.found) << c.name;
}

}  // namespace
}  // namespace oq
