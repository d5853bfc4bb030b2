// The sticky binary sink and the file sink.
#include "vorl/text/OutputSink.h"

namespace oq {

bool OutputSink::Write(const void *data, uint32_t count)
{
    byteCount += count;
    if (failed) return false;
    if (count == 0) return true;
    if (!callback(data, count, userValue)) failed = true;
    return !failed;
}

bool OutputSink::WritePadding(uint32_t alignment)
{
    static const uint8_t zeros[64] = {};
    uint32_t count = uint32_t((alignment - byteCount % alignment) % alignment);
    return Write(zeros, count);
}

int32_t FileSink::Close()
{
    int32_t result = file.Close();
    return (writeResult != kFileOkay) ? writeResult : result;
}

bool FileSink::Callback(const void *data, uint32_t count, void *user)
{
    auto *sink = static_cast<FileSink *>(user);
    if (sink->writeResult != kFileOkay) return false;
    sink->writeResult = sink->file.Write(data, count);
    return sink->writeResult == kFileOkay;
}

}  // namespace oq
