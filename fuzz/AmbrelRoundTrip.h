#pragma once

// The check of the import fuzz targets: an accepted document writes Ambrel text that reads back.
#include "ambrel/AmbrelDocument.h"

#include <cstdint>
#include <string>

namespace oq::fuzz {

inline bool AppendToString(const void *data, uint32_t count, void *user)
{
    static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
    return true;
}

// Traps unless the document's Ambrel text parses and resolves again.
inline void CheckAmbrelRoundTrip(AmbrelDocument *document)
{
    std::string text;
    TextOutputStream stream(AppendToString, &text);
    document->Write(&stream);
    if (!stream.Finish()) __builtin_trap();
    AmbrelDocument reread;
    if (reread.ParseAndResolve(text.c_str()) != 0) __builtin_trap();
}

}  // namespace oq::fuzz
