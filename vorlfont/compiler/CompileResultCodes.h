#pragma once

#include "vorl/text/OutputSink.h"

#include <cstdint>

namespace oq {

// Result codes of the font compile and of the vorlfont run (docs/result-codes.md). The compile
// also returns the writers' 'WRIT', 'MEMY' and 'SIZE' (OutputSink.h).
inline constexpr uint32_t kResultFontIndex = 'IFID';  // the document has no Font at the index
inline constexpr uint32_t kResultReadFailed = 'READ';  // the run could not read its input file

// Every code a compile or a run may end with, the import's aside.
inline constexpr uint32_t kCompileResultCodes[] = {
    kResultFontIndex, kResultWriteFailed, kResultSizeExceeded, kResultOutOfMemory, kResultReadFailed,
};

}  // namespace oq
