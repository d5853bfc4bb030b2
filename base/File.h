#pragma once

#include <cstdint>

namespace oq {

// Result codes of the file operations.
constexpr int32_t kFileOkay = 0;
constexpr int32_t kFileOpenFailed = 1;
constexpr int32_t kFileNotOpen = 2;
constexpr int32_t kFileTransferFailed = 3;
constexpr int32_t kFileAccessDenied = 5;
constexpr int32_t kFileWriteProtected = 6;
constexpr int32_t kFileDiskFull = 7;
constexpr int32_t kFileDeleteFailed = 9;

// Open modes of File::Open; any other value acts like kFileModeReadWrite.
constexpr int32_t kFileModeRead = 0;
constexpr int32_t kFileModeReadWrite = 1;
constexpr int32_t kFileModeCreate = 2;

// Which file an open descriptor or a name stands for: a regular file's device and inode.
struct FileIdentity
{
    uint64_t device = 0;
    uint64_t inode = 0;
};

// A file with its own 64-bit position; every transfer is all-or-nothing and returns a result code.
// While open, other opens of the same file may read it but not write it.
class File
{
public:
    File();
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    // Mode 0 reads an existing file, mode 1 reads and writes it, mode 2 creates or truncates it.
    [[nodiscard]] int32_t Open(const char *name, int32_t mode);

    // Returns the error the system reports on closing (for example a deferred write error);
    // 0 when the file was not open.
    [[nodiscard]] int32_t Close();

    [[nodiscard]] int32_t Read(void *buffer, uint32_t count);
    [[nodiscard]] int32_t Write(const void *buffer, uint32_t count);

    uint64_t GetSize() const;

    // Ends the file at size; the position is kept.
    [[nodiscard]] int32_t SetSize(uint64_t size);

    // Origin 0: from the start; 1: from the position; 2: offset counts back from the end;
    // any other origin keeps the position. Returns the new position (0 when not open).
    uint64_t SetPosition(int64_t offset, int32_t origin);

    // Writes zero bytes up to the next multiple of alignment (a power of two, at most 64).
    [[nodiscard]] int32_t WritePadding(uint32_t alignment);

    // The identity of the open file; false when it is not open or not a regular file.
    [[nodiscard]] bool GetIdentity(FileIdentity *identity) const;

private:
    int handle;
    bool open;
    uint64_t position;
};

// 0 when the file was deleted, 9 otherwise.
[[nodiscard]] int32_t DeleteFileByName(const char *name);

// Deletes the name only while it still names the regular file of the identity (never a link,
// device or FIFO put there since); 0 when deleted, 9 otherwise.
[[nodiscard]] int32_t DeleteFileIfSame(const char *name, const FileIdentity &identity);

// Maps a system error (errno) to a result code: access denied 5, write protected 6, disk full 7
// (also when the file may not grow), anything else defaultCode.
int32_t MapFileError(int error, int32_t defaultCode);

}  // namespace oq
