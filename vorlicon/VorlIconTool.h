#pragma once

#include <cstdint>
#include <cstdio>

namespace oq {

// The vorlicon command line: compiles an Ambrel drawing into a Vorl graphics file.
//   vorlicon <input> -o <output> [-canvas] [-float] [-compress]
// Messages ("Error: " lines, "Warning: " lines) go to out. Returns the exit code: 0, or 1 on any
// failure (the output file is then deleted).
int32_t RunVorlIcon(int argc, const char *const *argv, FILE *out);

// The "Error: " line of a compile result code, or null for 0.
const char *GetGraphicsCompileMessage(uint32_t code);

}  // namespace oq
