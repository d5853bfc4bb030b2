#pragma once

#include "base/List.h"
#include "base/TextString.h"
#include "editor/fonts/FontImportSettings.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace oq {

class FontFaceEntry;

// Status of a font import.
constexpr int32_t kFontImportDone = 0;
constexpr int32_t kFontImportRunning = 1;
constexpr int32_t kFontImportTimedOut = 2;
constexpr int32_t kFontImportStopped = 3;
constexpr int32_t kFontImportFailed = 4;

// One import of an installed face: a worker thread runs the font compiler on the face's font file
// into a temporary file of the local data folder, checks the result and renames it to the face's
// Vorl file. Made, read and destroyed on the UI thread; the worker writes only the status.
class FontImportJob : public ListElement
{
public:
    // Finds the face's font file, makes the paths and the command line, and starts the worker at
    // once. A face without a font file, a missing source, a path of PATH_MAX bytes or more, or a
    // stop signal, temporary file or worker that cannot be made: failed at once, nothing runs.
    FontImportJob(int32_t callerValue, const FontFaceEntry &entry, const FontImportSettings &settings);
    // Signals stop and joins the worker, which has then ended its compiler.
    ~FontImportJob() override;

    // kFontImportRunning until the worker ends; then never changes again.
    int32_t GetStatus() const { return status.load(std::memory_order_acquire); }
    // Sets the stop signal: a running compiler is ended and the status becomes kFontImportStopped.
    void Stop();

    int32_t GetCallerValue() const { return callerValue; }
    const TextString &GetFaceName() const { return faceName; }
    // The face index the compiler gets with "-f"; 0 (no "-f") when the faces share tables.
    int32_t GetFaceArgument() const { return faceArgument; }
    const std::string &GetSourcePath() const { return sourcePath; }
    const std::string &GetOutputPath() const { return outputPath; }
    // The compiler's process group once it was started (0 before): it is gone when the job ends.
    pid_t GetProcessGroup() const { return processGroup.load(std::memory_order_acquire); }

private:
    // Everything the worker needs, made before it starts.
    [[nodiscard]] bool Prepare(const FontFaceEntry &entry);
    void Run();
    // The compiler's run; the final status.
    int32_t RunCompiler();
    // Checks the temporary file and renames it to the output; the final status.
    int32_t InstallOutput();

    const int32_t callerValue;
    TextString faceName;
    int32_t faceArgument = 0;
    // Font records the output must hold: one past the record the loader reads.
    uint32_t requiredFontCount = 1;
    std::string sourcePath;
    std::string outputPath;
    std::string temporaryPath;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    FontImportSettings settings;
    int stopSignal = -1;
    std::atomic<int32_t> status{kFontImportFailed};
    std::atomic<pid_t> processGroup{0};
    std::thread worker;
};

}  // namespace oq
