#include "editor/fonts/FontImportJob.h"

#include "base/File.h"
#include "editor/fonts/ChildProgram.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontLoader.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/InstalledFontFiles.h"
#include "editor/platform/FontFile.h"
#include "vorl/text/FontDataAccess.h"
#include "vorl/text/VorlFileHeader.h"
#include "vorl/text/VorlFontValidator.h"

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

extern char **environ;

namespace oq {

namespace {

// Largest read of one File::Read call.
constexpr uint32_t kReadChunk = 1U << 24;

bool FitsPath(const std::string &path) { return !path.empty() && path.size() < PATH_MAX; }

// The whole file into 4-byte aligned words; false when any step fails or it is too large to load.
bool ReadWholeFile(const char *path, std::vector<uint32_t> *words, uint64_t *size)
{
    File file;
    if (file.Open(path, kFileModeRead) != kFileOkay) return false;
    *size = file.GetSize();
    bool read = *size >= sizeof(VorlFileHeader) && *size <= kMaxFontFileSize;
    if (read)
    {
        words->assign(size_t((*size + 3) / 4), 0);
        auto *bytes = reinterpret_cast<uint8_t *>(words->data());
        for (uint64_t done = 0; read && done < *size; done += kReadChunk)
        {
            uint32_t count = uint32_t(std::min<uint64_t>(kReadChunk, *size - done));
            read = file.Read(bytes + done, count) == kFileOkay;
        }
    }
    // A failed close may be a failed read too.
    return file.Close() == kFileOkay && read;
}

// What the loaders accept: a font file that validates, holds the record they read, and gives that
// face the metrics every Font needs.
bool IsLoadableOutput(const std::vector<uint32_t> &words, uint64_t size, uint32_t requiredFontCount)
{
    const void *image = words.data();
    VorlFileHeader header;
    std::memcpy(&header, image, sizeof(header));
    if (header.magic != kVorlFileMagic || header.version != kVorlFileVersion || std::memcmp(header.kind, "fnt", 4) != 0)
        return false;
    if (!ValidateVorlFontFile(image, size_t(size)) || header.count < requiredFontCount) return false;
    const VorlFontRecord *record =
        GetVorlFontRecord(static_cast<const VorlFileHeader *>(image), requiredFontCount - 1);
    return record->GetFontData('AXIS') != nullptr && record->GetFontData('HITE') != nullptr &&
           record->GetFontData('SLNT') != nullptr;
}

}  // namespace

FontImportJob::FontImportJob(int32_t value, const FontFaceEntry &entry, const FontImportSettings &importSettings)
    : callerValue(value), faceName(entry.GetFaceName()), settings(importSettings)
{
    if (!Prepare(entry)) return;
    stopSignal = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopSignal < 0)
    {
        static_cast<void>(unlink(temporaryPath.c_str()));  // ours; nothing else names it
        return;
    }
    status.store(kFontImportRunning, std::memory_order_relaxed);
    try
    {
        worker = std::thread(&FontImportJob::Run, this);
    }
    catch (const std::system_error &)
    {
        status.store(kFontImportFailed, std::memory_order_relaxed);
        static_cast<void>(unlink(temporaryPath.c_str()));
    }
}

FontImportJob::~FontImportJob()
{
    Stop();
    if (worker.joinable()) worker.join();
    if (stopSignal >= 0) close(stopSignal);
}

void FontImportJob::Stop()
{
    if (stopSignal < 0) return;
    uint64_t one = 1;
    // Only a counter at its maximum refuses, and that is a stop signal already.
    static_cast<void>(write(stopSignal, &one, sizeof(one)));
}

bool FontImportJob::Prepare(const FontFaceEntry &entry)
{
    const FontResource *resource = entry.GetFontResource();
    if (resource == nullptr) return false;
    int32_t faceIndex = entry.GetFaceIndex();
    faceArgument = resource->GetSharedTablesFlag() ? 0 : faceIndex;
    ImportedFontKey key = MakeImportedFontKey(*resource, faceIndex);
    requiredFontCount = uint32_t(key.indexInFile) + 1;

    outputPath = MakeImportedFontPath(key.key).GetText();
    sourcePath = FindInstalledFontFile(resource->GetFileName());
    size_t slash = outputPath.rfind('/');
    if (slash == std::string::npos || !FitsPath(sourcePath) || !FitsPath(settings.compilerPath)) return false;
    // Hidden, beside the output, so that the rename replaces it at once.
    temporaryPath = outputPath.substr(0, slash + 1) + "." + key.key.GetText() + ".vorl.XXXXXX";
    if (!FitsPath(outputPath) || !FitsPath(temporaryPath) || settings.compilerPath[0] != '/') return false;
    int descriptor = mkostemp(temporaryPath.data(), O_CLOEXEC);
    if (descriptor < 0) return false;
    // Closed before the compiler opens it: its writer lock would refuse a file held open here.
    if (close(descriptor) != 0)
    {
        static_cast<void>(unlink(temporaryPath.c_str()));
        return false;
    }

    arguments = {settings.compilerPath, sourcePath, "-o", temporaryPath, "-no-poly", "-contours", "-math"};
    if (faceArgument != 0)
    {
        arguments.emplace_back("-f");
        arguments.push_back(std::to_string(faceArgument));
    }
    for (char **variable = environ; variable != nullptr && *variable != nullptr; ++variable)
        environment.emplace_back(*variable);
    return true;
}

void FontImportJob::Run()
{
    int32_t result = RunCompiler();
    if (result != kFontImportDone) static_cast<void>(unlink(temporaryPath.c_str()));
    status.store(result, std::memory_order_release);
    if (settings.wake != nullptr) settings.wake();
}

int32_t FontImportJob::RunCompiler()
{
    std::vector<char *> argv;
    for (std::string &argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (std::string &variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);

    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(settings.timeLimitMilliseconds);
    ChildProgram compiler;
    if (!compiler.Start(argv.data(), envp.data())) return kFontImportFailed;
    processGroup.store(compiler.GetProcessGroup(), std::memory_order_release);
    ChildProgram::WaitResult waited = compiler.Wait(stopSignal, deadline);
    // The group goes in every case: a compiler's own children may outlive it.
    compiler.End();
    switch (waited)
    {
    case ChildProgram::WaitResult::kExited:
        return compiler.GetExitCode() == 0 ? InstallOutput() : kFontImportFailed;
    case ChildProgram::WaitResult::kStopped: return kFontImportStopped;
    case ChildProgram::WaitResult::kTimedOut: return kFontImportTimedOut;
    default: return kFontImportFailed;
    }
}

int32_t FontImportJob::InstallOutput()
{
    std::vector<uint32_t> words;
    uint64_t size = 0;
    if (!ReadWholeFile(temporaryPath.c_str(), &words, &size) || !IsLoadableOutput(words, size, requiredFontCount))
        return kFontImportFailed;
    if (rename(temporaryPath.c_str(), outputPath.c_str()) != 0) return kFontImportFailed;
    return kFontImportDone;
}

}  // namespace oq
