#pragma once

#include "base/File.h"
#include "vorl/text/OutputSink.h"

#include <cstdint>

namespace oq {

// An output file of one run: a file sink created (truncated) for writing, closed with its result
// checked, and deleted on failure only while its name still names the regular file this run
// created.
class VorlFontOutputFile
{
public:
    [[nodiscard]] int32_t Create(const char *name);
    // The first failure of the writes or of the close; 0 when everything reached the file.
    [[nodiscard]] int32_t Close();
    // Closes the file and deletes it when it is still the one created (never a device, FIFO or
    // link that took its name).
    void Delete();

    bool IsCreated() const { return name != nullptr; }

    // The sink's callback and user value.
    static constexpr StreamWriteCallback kCallback = FileSink::Callback;
    FileSink *GetSink() { return &sink; }

private:
    FileSink sink;
    const char *name = nullptr;
    FileIdentity identity;
    bool regular = false;
};

// One run of vorlfont over the arguments after the program name. Returns the exit code (0 or 1)
// and the line to print (null for none).
[[nodiscard]] int32_t RunVorlFont(int32_t argumentCount, const char *const *arguments, const char **message);

// The line printed for a failed import, compile or input read: the message table's, the
// out-of-memory and cannot-open lines for 'MEMY' and 'READ', and a generic "Error: " line for any
// other code, so that no failure ends without a line.
const char *GetVorlFontFailureMessage(uint32_t code);

// Sets the line of a failure with the code and returns the run's exit code for it, 1.
[[nodiscard]] int32_t ReportVorlFontFailure(uint32_t code, const char **message);

}  // namespace oq
