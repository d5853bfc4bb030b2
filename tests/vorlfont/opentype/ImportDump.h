#pragma once

#include "ambrel/AmbrelDocument.h"

#include <string>
#include <vector>

namespace oq::test {

// The imported Fonts as the text dump_font.py writes from fontTools' reading of the same file.
std::string DumpImportedFonts(AmbrelDocument *document);

// The bytes of a file (empty when it cannot be read).
std::vector<unsigned char> ReadFileBytes(const std::string &path);

// Standard output of a command.
std::string RunCommand(const std::string &command);

}  // namespace oq::test
