#pragma once

#include "ambrel/AmbrelDocument.h"

#include <string>
#include <vector>

namespace oq::test {

// The imported Fonts as the text dump_font.py writes from fontTools' reading of the same file.
std::string DumpImportedFonts(AmbrelDocument *document);

// Each top-level Font's palette Metrics, Carets and Emojis as the text dump_colors.py writes
// from fontTools' reading of the same file.
std::string DumpColorGlyphs(AmbrelDocument *document);

// The first line where two dumps differ, with its number ("" when none). Numbers compare within
// the tolerance (relative, and absolute near 0); other words exactly.
std::string FirstDifference(const std::string &expected, const std::string &actual, double tolerance = 0.0);

// The bytes of a file (empty when it cannot be read).
std::vector<unsigned char> ReadFileBytes(const std::string &path);

// Standard output of a command.
std::string RunCommand(const std::string &command);

}  // namespace oq::test
