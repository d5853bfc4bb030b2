#pragma once

#include <cstdint>
#include <string>

namespace oq {

// What a font import runs and how long it may take: the compiler's absolute path, the time limit
// and the hook a worker calls when it ends. Every job takes a copy at construction.
struct FontImportSettings
{
    using WakeHook = void (*)();

    // An absolute path: the program is never searched for.
    std::string compilerPath;
    int32_t timeLimitMilliseconds = 60000;
    // Called on the worker thread after the status is stored; may be null.
    WakeHook wake = nullptr;
};

// The compiler "vorlfont" in the folder of the running program (/proc/self/exe; empty when that
// cannot be read), 60 s and PushWakeEvent.
FontImportSettings MakeDefaultFontImportSettings();

}  // namespace oq
