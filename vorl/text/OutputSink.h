#pragma once

#include "base/File.h"

#include <cstdint>

namespace oq {

// Byte sink of every text and file output: (bytes, count, user value) -> false when writing failed.
using StreamWriteCallback = bool (*)(const void *data, uint32_t count, void *user);

// Result codes of the Vorl file writers.
inline constexpr uint32_t kResultWriteFailed = 'WRIT';   // the sink refused a block
inline constexpr uint32_t kResultOutOfMemory = 'MEMY';   // a large buffer could not be allocated
inline constexpr uint32_t kResultSizeExceeded = 'SIZE';  // the data do not fit the file's limits

// The sink of a binary output: callback, user value and the running byte count, to which each
// block is added before it is handed over. It fails for good at the first refusal: later blocks
// still count but never reach the callback.
struct OutputSink
{
    StreamWriteCallback callback;
    void *userValue;
    uint64_t byteCount;
    bool failed;

    OutputSink(StreamWriteCallback function, void *user, uint64_t start = 0)
        : callback(function), userValue(user), byteCount(start), failed(false)
    {
    }

    // False when the block or an earlier one was refused. Empty blocks are not handed over.
    [[nodiscard]] bool Write(const void *data, uint32_t count);
    // Zero bytes up to the next multiple of alignment (at most 64) of the running count.
    [[nodiscard]] bool WritePadding(uint32_t alignment);
};

// A file created for writing as the user value of FileSinkCallback; once a write failed it
// refuses everything. Close reports the first failure, the close's own included.
class FileSink
{
public:
    [[nodiscard]] int32_t Create(const char *name) { return file.Open(name, kFileModeCreate); }
    [[nodiscard]] int32_t Close();
    // Which file was created; false when it is not a regular file.
    [[nodiscard]] bool GetIdentity(FileIdentity *identity) const { return file.GetIdentity(identity); }

    static bool Callback(const void *data, uint32_t count, void *user);

private:
    File file;
    int32_t writeResult = kFileOkay;
};

}  // namespace oq
