#include <gtest/gtest.h>

#include "base/File.h"
#include "editor/fonts/AtomicFile.h"
#include "editor/fonts/FaultyFileCalls.h"
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"

#include <dirent.h>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <sys/stat.h>

namespace oq {
namespace {

std::string ReadWhole(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void WriteWhole(const std::string &path, const std::string &bytes)
{
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << bytes;
}

std::set<std::string> ListFolder(const std::string &folder)
{
    std::set<std::string> names;
    DIR *directory = opendir(folder.c_str());
    if (directory == nullptr) return names;
    while (dirent *entry = readdir(directory))
    {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
    }
    closedir(directory);
    return names;
}

std::string MakeBytes(size_t size, char seed)
{
    std::string bytes(size, 0);
    for (size_t i = 0; i < size; ++i) bytes[i] = char(seed + i * 7 + (i >> 8));
    return bytes;
}

uint32_t ModeOf(const std::string &path)
{
    struct stat status;
    return stat(path.c_str(), &status) == 0 ? uint32_t(status.st_mode & 07777) : 0xFFFFFFFF;
}

// A folder with config.quist holding the old bytes.
struct AtomicFileTest : testing::Test
{
    test::TempDirectory folder;
    std::string target = folder.File("config.quist");
    std::string oldBytes = MakeBytes(3000, 'a');
    std::string newBytes = MakeBytes(20000, 'k');

    void SetUp() override { WriteWhole(target, oldBytes); }

    int32_t Save(const std::string &bytes) { return SaveFileAtomically(target.c_str(), bytes.data(), bytes.size()); }

    // The old file is untouched and nothing else is left in the folder.
    void ExpectOldFileAlone()
    {
        EXPECT_EQ(ReadWhole(target), oldBytes);
        EXPECT_EQ(ListFolder(folder.Path()), std::set<std::string>{"config.quist"});
    }
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndSyncsTheFolder)
{
    chmod(target.c_str(), 0640);
    test::FaultyFileCalls calls;
    calls.writeChunk = 777;  // short writes are continued
    ASSERT_EQ(Save(newBytes), kFileOkay);
    EXPECT_EQ(ReadWhole(target), newBytes);
    EXPECT_EQ(ListFolder(folder.Path()), std::set<std::string>{"config.quist"});
    EXPECT_EQ(ModeOf(target), 0640U);  // the old file's permissions carry over
    EXPECT_GT(calls.writeCalls, 20);
    EXPECT_EQ(calls.syncCalls, 1);
    EXPECT_EQ(calls.renameCalls, 1);
    EXPECT_EQ(calls.folderSyncCalls, 1);

    // A new file is private, an empty file is a file, and a relative path works too.
    std::string fresh = folder.File("fonts.quist");
    ASSERT_EQ(SaveFileAtomically(fresh.c_str(), "", 0), kFileOkay);
    EXPECT_EQ(ModeOf(fresh), 0600U);
    EXPECT_EQ(ReadWhole(fresh), "");
}

TEST_F(AtomicFileTest, EveryFailingCallLeavesTheOldFileAndReachesTheCaller)
{
    struct Case
    {
        const char *name;
        std::function<void(test::FaultyFileCalls &)> arrange;
        int32_t expected;
    };
    const Case cases[] = {
        {"create denied", [](auto &c) { c.createError = EACCES; }, kFileAccessDenied},
        {"create fails", [](auto &c) { c.createError = EMFILE; }, kFileOpenFailed},
        {"read-only folder", [](auto &c) { c.createError = EROFS; }, kFileWriteProtected},
        {"disk full at byte 0", [](auto &c) { c.writeLimit = 0; }, kFileDiskFull},
        {"disk full at byte 4097", [](auto &c) { c.writeLimit = 4097; }, kFileDiskFull},
        {"quota at byte 19999", [](auto &c) { c.writeLimit = 19999, c.writeError = EDQUOT; }, kFileDiskFull},
        {"write stops short at byte 10", [](auto &c) { c.writeLimit = 10, c.writeError = 0; }, kFileTransferFailed},
        {"write fails", [](auto &c) { c.writeLimit = 500, c.writeError = EIO; }, kFileTransferFailed},
        {"fsync fails", [](auto &c) { c.syncError = EIO; }, kFileTransferFailed},
        {"fsync finds the disk full", [](auto &c) { c.syncError = ENOSPC; }, kFileDiskFull},
        {"close fails", [](auto &c) { c.closeError = EIO; }, kFileTransferFailed},
        {"rename denied", [](auto &c) { c.renameError = EACCES; }, kFileAccessDenied},
        {"rename fails", [](auto &c) { c.renameError = EXDEV; }, kFileTransferFailed},
    };
    for (const Case &entry : cases)
    {
        SCOPED_TRACE(entry.name);
        test::FaultyFileCalls calls;
        entry.arrange(calls);
        EXPECT_EQ(Save(newBytes), entry.expected);
        ExpectOldFileAlone();
    }
}

TEST_F(AtomicFileTest, AWriteErrorStaysUntilTheCommit)
{
    test::FaultyFileCalls calls;
    calls.writeLimit = 100;
    AtomicFile file;
    ASSERT_EQ(file.Open(target.c_str()), kFileOkay);
    EXPECT_EQ(file.Write(newBytes.data(), 50), kFileOkay);
    EXPECT_EQ(file.Write(newBytes.data() + 50, 500), kFileDiskFull);
    int callsAfterFailure = calls.writeCalls;
    EXPECT_EQ(file.Write(newBytes.data(), 10), kFileDiskFull);  // not tried again
    EXPECT_EQ(calls.writeCalls, callsAfterFailure);
    EXPECT_EQ(file.Commit(), kFileDiskFull);
    EXPECT_EQ(calls.renameCalls, 0);
    ExpectOldFileAlone();
}

TEST_F(AtomicFileTest, AnUncommittedSaveLeavesNothing)
{
    {
        AtomicFile file;
        ASSERT_EQ(file.Open(target.c_str()), kFileOkay);
        ASSERT_EQ(file.Write(newBytes.data(), newBytes.size()), kFileOkay);
        EXPECT_EQ(ListFolder(folder.Path()).size(), 2U);  // the temporary file beside the target
    }
    ExpectOldFileAlone();

    AtomicFile file;
    ASSERT_EQ(file.Open(target.c_str()), kFileOkay);
    file.Abandon();
    EXPECT_EQ(file.Commit(), kFileNotOpen);
    ExpectOldFileAlone();
}

TEST_F(AtomicFileTest, TheLastOfTwoSavesWins)
{
    std::string otherBytes = MakeBytes(5000, 'z');
    AtomicFile first;
    AtomicFile second;
    ASSERT_EQ(first.Open(target.c_str()), kFileOkay);
    ASSERT_EQ(second.Open(target.c_str()), kFileOkay);
    ASSERT_EQ(first.Write(newBytes.data(), newBytes.size()), kFileOkay);
    ASSERT_EQ(second.Write(otherBytes.data(), otherBytes.size()), kFileOkay);
    ASSERT_EQ(second.Commit(), kFileOkay);
    EXPECT_EQ(ReadWhole(target), otherBytes);
    ASSERT_EQ(first.Commit(), kFileOkay);
    EXPECT_EQ(ReadWhole(target), newBytes);
    EXPECT_EQ(ListFolder(folder.Path()), std::set<std::string>{"config.quist"});
}

TEST_F(AtomicFileTest, PathsThatNameNoWritableFile)
{
    EXPECT_EQ(SaveFileAtomically(folder.File("missing/config.quist").c_str(), "x", 1), kFileOpenFailed);
    EXPECT_EQ(SaveFileAtomically((folder.Path() + "/").c_str(), "x", 1), kFileOpenFailed);
    EXPECT_EQ(SaveFileAtomically("", "x", 1), kFileOpenFailed);
    ExpectOldFileAlone();

    // A name of 255 bytes, the longest Linux allows, still has room for the temporary name.
    std::string longName = folder.File(std::string(255, 'n').c_str());
    ASSERT_EQ(SaveFileAtomically(longName.c_str(), "long", 4), kFileOkay);
    EXPECT_EQ(ReadWhole(longName), "long");
    EXPECT_EQ(ListFolder(folder.Path()).size(), 2U);
}

TEST_F(AtomicFileTest, ALinkStaysALink)
{
    // config.quist kept elsewhere and linked in: the file it leads to is replaced, beside itself.
    ASSERT_EQ(mkdir(folder.File("kept").c_str(), 0700), 0);
    std::string kept = folder.File("kept/config.quist");
    std::string link = folder.File("link.quist");
    WriteWhole(kept, oldBytes);
    ASSERT_EQ(symlink("kept/config.quist", link.c_str()), 0);
    ASSERT_EQ(SaveFileAtomically(link.c_str(), newBytes.data(), newBytes.size()), kFileOkay);
    struct stat status;
    ASSERT_EQ(lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
    EXPECT_EQ(ReadWhole(kept), newBytes);
    EXPECT_EQ(ListFolder(folder.File("kept")), std::set<std::string>{"config.quist"});
    EXPECT_EQ(ListFolder(folder.Path()), (std::set<std::string>{"config.quist", "kept", "link.quist"}));

    // A dangling link is replaced by the file.
    std::string dangling = folder.File("dangling.quist");
    ASSERT_EQ(symlink("missing/config.quist", dangling.c_str()), 0);
    ASSERT_EQ(SaveFileAtomically(dangling.c_str(), "new", 3), kFileOkay);
    ASSERT_EQ(lstat(dangling.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(ReadWhole(dangling), "new");
}

TEST_F(AtomicFileTest, ARealFullDiskReportsDiskFull)
{
    // Files of the child cannot grow past 4096 bytes: the temporary file fills up as on a full disk.
    int result = test::RunWithFileSizeLimit(4096, [&] { return Save(newBytes); });
    EXPECT_EQ(result, kFileDiskFull);
    ExpectOldFileAlone();
    // The same save without the limit goes through.
    EXPECT_EQ(test::RunWithFileSizeLimit(UINT64_MAX, [&] { return Save(newBytes); }), kFileOkay);
    EXPECT_EQ(ReadWhole(target), newBytes);
}

}  // namespace
}  // namespace oq
