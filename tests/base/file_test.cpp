#include <gtest/gtest.h>

#include "base/File.h"
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace oq {
namespace {

// A temporary folder with helpers to set and read whole files behind the File object's back.
class FileTest : public ::testing::Test
{
protected:
    std::string Path(const char *name) const { return folder.File(name); }

    void Put(const std::string &path, const std::string &contents) const
    {
        std::ofstream stream(path, std::ios::binary | std::ios::trunc);
        stream << contents;
    }

    std::string Get(const std::string &path) const
    {
        std::ifstream stream(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    }

    test::TempDirectory folder;
};

uint64_t Position(File &file) { return file.SetPosition(0, 1); }

TEST_F(FileTest, ClosedFileOperations)
{
    File file;
    char buffer[4] = {};
    EXPECT_EQ(file.Read(buffer, 4), kFileNotOpen);
    EXPECT_EQ(file.Write(buffer, 4), kFileNotOpen);
    EXPECT_EQ(file.WritePadding(16), kFileNotOpen);
    EXPECT_EQ(file.SetSize(10), kFileNotOpen);
    EXPECT_EQ(file.Close(), kFileOkay);  // nothing to close is not a failure
    EXPECT_EQ(file.GetSize(), 0u);
    EXPECT_EQ(file.SetPosition(5, 0), 0u);

    // A second Close after a successful one reports nothing either, so a cleanup path that closes
    // again does not turn a good file into a failure.
    std::string path = Path("twice.bin");
    ASSERT_EQ(file.Open(path.c_str(), kFileModeCreate), kFileOkay);
    EXPECT_EQ(file.Write("ok", 2), kFileOkay);
    EXPECT_EQ(file.Close(), kFileOkay);
    EXPECT_EQ(file.Close(), kFileOkay);
    EXPECT_EQ(file.Read(buffer, 1), kFileNotOpen);
    EXPECT_EQ(Get(path), "ok");
}

TEST_F(FileTest, WriteReadAndPositions)
{
    std::string path = Path("data.bin");
    File file;
    ASSERT_EQ(file.Open(path.c_str(), kFileModeCreate), kFileOkay);
    EXPECT_EQ(file.Write("hello world", 11), kFileOkay);
    EXPECT_EQ(Position(file), 11u);
    EXPECT_EQ(file.GetSize(), 11u);

    char buffer[16] = {};
    EXPECT_EQ(file.SetPosition(6, 0), 6u);
    EXPECT_EQ(file.Read(buffer, 5), kFileOkay);
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(Position(file), 11u);

    // Reads past the end fail as a whole and leave the position.
    EXPECT_EQ(file.Read(buffer, 1), kFileTransferFailed);
    EXPECT_EQ(Position(file), 11u);
    EXPECT_EQ(file.SetPosition(-3, 1), 8u);
    EXPECT_EQ(file.Read(buffer, 4), kFileTransferFailed);
    EXPECT_EQ(Position(file), 8u);
    EXPECT_EQ(file.Read(buffer, 0), kFileOkay);

    // Origin 2 counts back from the end; offset 0 appends.
    EXPECT_EQ(file.SetPosition(5, 2), 6u);
    EXPECT_EQ(file.SetPosition(0, 2), 11u);
    EXPECT_EQ(file.Write("!", 1), kFileOkay);
    EXPECT_EQ(file.SetPosition(4, 7), 12u);
    EXPECT_EQ(file.Close(), kFileOkay);
    EXPECT_EQ(Get(path), "hello world!");

    // A closed file starts again at position 0.
    ASSERT_EQ(file.Open(path.c_str(), kFileModeRead), kFileOkay);
    EXPECT_EQ(Position(file), 0u);
    EXPECT_EQ(file.Read(buffer, 5), kFileOkay);
    EXPECT_EQ(std::string(buffer, 5), "hello");
}

TEST_F(FileTest, OpenModes)
{
    std::string path = Path("modes.txt");
    File file;

    // Modes 0 and 1 need an existing file; mode 2 creates it.
    EXPECT_EQ(file.Open(path.c_str(), kFileModeRead), kFileOpenFailed);
    EXPECT_EQ(file.Open(path.c_str(), kFileModeReadWrite), kFileOpenFailed);
    EXPECT_FALSE(std::filesystem::exists(path));
    ASSERT_EQ(file.Open(path.c_str(), kFileModeCreate), kFileOkay);
    EXPECT_EQ(file.Close(), kFileOkay);
    EXPECT_TRUE(std::filesystem::exists(path));

    struct Case
    {
        int32_t mode;
        const char *after;
    };
    const Case cases[] = {
        {kFileModeRead, "existing"},
        {kFileModeReadWrite, "XXisting"},
        {kFileModeCreate, "XX"},  // truncated to 0 bytes before the write
        {77, "XXisting"},         // any other mode acts like mode 1
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.mode);
        Put(path, "existing");
        ASSERT_EQ(file.Open(path.c_str(), c.mode), kFileOkay);
        EXPECT_EQ(file.GetSize(), (c.mode == kFileModeCreate) ? 0u : 8u);
        int32_t expected = (c.mode == kFileModeRead) ? kFileTransferFailed : kFileOkay;
        EXPECT_EQ(file.Write("XX", 2), expected);
        EXPECT_EQ(file.Close(), kFileOkay);
        EXPECT_EQ(Get(path), c.after);
    }

    // Opening an open file fails and changes nothing.
    Put(path, "abc");
    ASSERT_EQ(file.Open(path.c_str(), kFileModeRead), kFileOkay);
    EXPECT_EQ(file.SetPosition(1, 0), 1u);
    EXPECT_EQ(file.Open(Path("other").c_str(), kFileModeCreate), kFileOpenFailed);
    EXPECT_FALSE(std::filesystem::exists(Path("other")));
    char c = 0;
    EXPECT_EQ(file.Read(&c, 1), kFileOkay);
    EXPECT_EQ(c, 'b');
    EXPECT_EQ(file.Open(nullptr, kFileModeRead), kFileOpenFailed);
}

TEST_F(FileTest, WritePadding)
{
    struct Case
    {
        uint64_t position;
        uint32_t alignment;
        uint64_t written;
    };
    const Case cases[] = {
        {100, 64, 28}, {128, 64, 0}, {0, 16, 0}, {5, 4, 3}, {65, 64, 63}, {7, 1, 0}, {9, 2, 1},
    };
    std::string path = Path("padding.bin");
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.position << " aligned to " << c.alignment);
        Put(path, std::string(c.position, 'a'));
        File file;
        ASSERT_EQ(file.Open(path.c_str(), kFileModeReadWrite), kFileOkay);
        file.SetPosition(0, 2);
        EXPECT_EQ(file.WritePadding(c.alignment), kFileOkay);
        EXPECT_EQ(Position(file), c.position + c.written);
        EXPECT_EQ(file.GetSize(), c.position + c.written);
        EXPECT_EQ(file.Close(), kFileOkay);
        EXPECT_EQ(Get(path), std::string(c.position, 'a') + std::string(c.written, '\0'));
    }
}

TEST_F(FileTest, SetSizeKeepsThePositionAndReportsFailure)
{
    std::string path = Path("size.bin");
    Put(path, "0123456789");
    File file;
    ASSERT_EQ(file.Open(path.c_str(), kFileModeReadWrite), kFileOkay);
    file.SetPosition(7, 0);
    EXPECT_EQ(file.SetSize(4), kFileOkay);
    EXPECT_EQ(file.GetSize(), 4u);
    EXPECT_EQ(Position(file), 7u);
    EXPECT_EQ(file.SetSize(6), kFileOkay);
    EXPECT_EQ(file.Close(), kFileOkay);
    EXPECT_EQ(Get(path), std::string("0123\0\0", 6));

    // A file opened for reading cannot be resized; the failure is returned, not dropped.
    ASSERT_EQ(file.Open(path.c_str(), kFileModeRead), kFileOkay);
    EXPECT_EQ(file.SetSize(0), kFileTransferFailed);
    EXPECT_EQ(file.GetSize(), 6u);
}

TEST_F(FileTest, PositionsBeyondFourGigabytes)
{
    // A sparse file: the 64-bit position reaches past 32 bits without writing the hole.
    std::string path = Path("sparse.bin");
    File file;
    ASSERT_EQ(file.Open(path.c_str(), kFileModeCreate), kFileOkay);
    const uint64_t far = (uint64_t(5) << 30) + 3;
    EXPECT_EQ(file.SetPosition(int64_t(far), 0), far);
    EXPECT_EQ(file.Write("tail", 4), kFileOkay);
    EXPECT_EQ(file.GetSize(), far + 4);
    char buffer[4] = {};
    EXPECT_EQ(file.SetPosition(4, 2), far);
    EXPECT_EQ(file.Read(buffer, 4), kFileOkay);
    EXPECT_EQ(std::string(buffer, 4), "tail");
    EXPECT_EQ(file.SetSize(0), kFileOkay);
}

TEST_F(FileTest, SystemErrorsMapToResultCodes)
{
    struct Case
    {
        int error;
        int32_t code;
    };
    // EIO is 5 and ENODEV 19 on Linux: the numbers of the other system's errors must not leak in.
    const Case cases[] = {
        {EACCES, kFileAccessDenied}, {EPERM, kFileAccessDenied}, {EROFS, kFileWriteProtected},
        {ENOSPC, kFileDiskFull}, {EDQUOT, kFileDiskFull}, {EFBIG, kFileDiskFull}, {EIO, 3}, {ENODEV, 3}, {ENOENT, 3}, {0, 3},
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(MapFileError(c.error, 3), c.code) << c.error;
        EXPECT_EQ(MapFileError(c.error, 1), (c.code == 3) ? 1 : c.code) << c.error;
    }
}

TEST_F(FileTest, DiskFullEndToEnd)
{
    // A file that cannot grow: every write that would extend it fails and moves nothing.
    std::string path = Path("full.bin");
    Put(path, "");
    int child = test::RunWithFileSizeLimit(0, [&] {
        File file;
        if (file.Open(path.c_str(), kFileModeReadWrite) != kFileOkay) return 1;
        EXPECT_EQ(file.Write("data", 4), kFileDiskFull);
        EXPECT_EQ(file.SetPosition(0, 1), 0u);
        EXPECT_EQ(file.WritePadding(8), kFileOkay);  // already aligned: nothing written
        EXPECT_EQ(file.SetPosition(3, 0), 3u);
        EXPECT_EQ(file.WritePadding(8), kFileDiskFull);
        EXPECT_EQ(file.SetPosition(0, 1), 3u);
        EXPECT_EQ(file.Close(), kFileOkay);
        return ::testing::Test::HasFailure() ? 2 : 0;
    });
    EXPECT_EQ(child, 0);

    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_TRUE(S_ISREG(after.st_mode));
    EXPECT_EQ(after.st_size, 0);
}

// A device opened for reading only has no identity, so nothing deletes it by identity.
TEST_F(FileTest, DevicesHaveNoIdentity)
{
    const char *device = "/dev/null";
    struct stat status;
    if (stat(device, &status) != 0 || !S_ISCHR(status.st_mode)) GTEST_SKIP() << "no /dev/null";
    File file;
    ASSERT_EQ(file.Open(device, kFileModeRead), kFileOkay);
    FileIdentity identity;
    EXPECT_FALSE(file.GetIdentity(&identity));
    EXPECT_EQ(file.Close(), kFileOkay);
}

TEST_F(FileTest, FoldersFifosAndMissingPaths)
{
    std::string fifo = Path("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string missing = Path("no-such-folder/file");
    for (int32_t mode : {kFileModeRead, kFileModeReadWrite, kFileModeCreate})
    {
        SCOPED_TRACE(mode);
        File file;
        EXPECT_EQ(file.Open(folder.Path().c_str(), mode), kFileOpenFailed);
        EXPECT_EQ(file.Open(missing.c_str(), mode), kFileOpenFailed);
        EXPECT_EQ(file.Open(fifo.c_str(), mode), kFileOpenFailed);  // and does not wait for a writer
        char c;
        EXPECT_EQ(file.Read(&c, 1), kFileNotOpen);
    }
    EXPECT_FALSE(std::filesystem::exists(Path("no-such-folder")));
}

TEST_F(FileTest, AccessDeniedEndToEnd)
{
    std::string path = Path("locked.txt");
    Put(path, "secret");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);

    // Permissions do not stop root, so the opens run in a child that gives up its rights.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        File file;
        int32_t read = file.Open(path.c_str(), kFileModeRead);
        int32_t create = file.Open(path.c_str(), kFileModeCreate);
        _exit(read * 10 + create);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 100) GTEST_SKIP() << "cannot give up root rights here";
    EXPECT_EQ(WEXITSTATUS(status), kFileAccessDenied * 10 + kFileAccessDenied);
    ASSERT_EQ(chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(Get(path), "secret");
}

TEST_F(FileTest, WritersExcludeEveryoneReadersShare)
{
    std::string path = Path("shared.txt");
    Put(path, "keep me");

    {
        File writer;
        ASSERT_EQ(writer.Open(path.c_str(), kFileModeReadWrite), kFileOkay);
        File other;
        EXPECT_EQ(other.Open(path.c_str(), kFileModeReadWrite), kFileOpenFailed);
        EXPECT_EQ(other.Open(path.c_str(), kFileModeCreate), kFileOpenFailed);
        EXPECT_EQ(other.Open(path.c_str(), kFileModeRead), kFileOpenFailed);
        EXPECT_EQ(Get(path), "keep me");  // the refused mode 2 open truncated nothing
        EXPECT_EQ(writer.Close(), kFileOkay);
        EXPECT_EQ(other.Open(path.c_str(), kFileModeReadWrite), kFileOkay);
    }

    {
        File first, second, writer;
        ASSERT_EQ(first.Open(path.c_str(), kFileModeRead), kFileOkay);
        EXPECT_EQ(second.Open(path.c_str(), kFileModeRead), kFileOkay);
        EXPECT_EQ(writer.Open(path.c_str(), kFileModeCreate), kFileOpenFailed);
        EXPECT_EQ(Get(path), "keep me");
    }

    // Another process is held off the same way; destroying the File releases the file.
    auto openInChild = [&path](int32_t mode) {
        pid_t child = fork();
        if (child == 0)
        {
            File file;
            _exit(file.Open(path.c_str(), mode));
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    {
        File writer;
        ASSERT_EQ(writer.Open(path.c_str(), kFileModeReadWrite), kFileOkay);
        EXPECT_EQ(openInChild(kFileModeReadWrite), kFileOpenFailed);
        EXPECT_EQ(openInChild(kFileModeRead), kFileOpenFailed);
    }
    EXPECT_EQ(openInChild(kFileModeReadWrite), kFileOkay);
}

TEST_F(FileTest, DescriptorIsClosedOnExec)
{
    std::string path = Path("exec.txt");
    File file;
    ASSERT_EQ(file.Open(path.c_str(), kFileModeCreate), kFileOkay);

    int found = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd"))
    {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) != std::filesystem::path(path)) continue;
        int fd = std::stoi(entry.path().filename().string());
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
        ++found;
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(file.Close(), kFileOkay);
}

TEST_F(FileTest, DeleteFileByName)
{
    std::string path = Path("gone.txt");
    Put(path, "x");
    EXPECT_EQ(DeleteFileByName(path.c_str()), kFileOkay);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(DeleteFileByName(path.c_str()), kFileDeleteFailed);
    std::string sub = Path("sub");
    ASSERT_TRUE(std::filesystem::create_directory(sub));
    EXPECT_EQ(DeleteFileByName(sub.c_str()), kFileDeleteFailed);
    EXPECT_TRUE(std::filesystem::exists(sub));
    EXPECT_EQ(DeleteFileByName(nullptr), kFileDeleteFailed);
}

// A created file is deleted by identity only while its name still names it: a file put in its
// place, a symbolic link to it or a FIFO stays.
TEST_F(FileTest, DeleteFileIfSameNeverTakesAReplacement)
{
    std::string path = Path("made.vorl");
    File file;
    ASSERT_EQ(file.Open(path.c_str(), kFileModeCreate), kFileOkay);
    FileIdentity identity;
    ASSERT_TRUE(file.GetIdentity(&identity));
    ASSERT_EQ(file.Close(), kFileOkay);
    EXPECT_FALSE(file.GetIdentity(&identity));

    std::string moved = Path("moved.vorl");
    std::filesystem::rename(path, moved);
    Put(path, "someone else's");
    EXPECT_EQ(DeleteFileIfSame(path.c_str(), identity), kFileDeleteFailed);
    EXPECT_EQ(Get(path), "someone else's");

    std::filesystem::remove(path);
    std::filesystem::create_symlink(moved, path);
    EXPECT_EQ(DeleteFileIfSame(path.c_str(), identity), kFileDeleteFailed);
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(DeleteFileIfSame(path.c_str(), identity), kFileDeleteFailed);
    EXPECT_TRUE(std::filesystem::exists(path));
    std::filesystem::remove(path);

    EXPECT_EQ(DeleteFileIfSame(moved.c_str(), identity), kFileOkay);
    EXPECT_FALSE(std::filesystem::exists(moved));
    EXPECT_EQ(DeleteFileIfSame(nullptr, identity), kFileDeleteFailed);
}

}  // namespace
}  // namespace oq
