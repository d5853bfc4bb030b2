#pragma once

#include <cstdint>

namespace oq {

// Result codes of the OpenType import; the command line prints one message for each
// (docs/result-codes.md). The import also returns 'MEMY' (kResultOutOfMemory, OutputSink.h).
inline constexpr uint32_t kResultInvalid = 'INVL';           // not a TrueType or OpenType font
inline constexpr uint32_t kResultCorrupt = 'CRPT';           // an offset, count or value out of range
inline constexpr uint32_t kResultUnsupportedUnits = 'UNIT';  // unitsPerEm outside 64..16384
inline constexpr uint32_t kResultLocaFormat = 'LOCA';        // indexToLocFormat other than 0 and 1
inline constexpr uint32_t kResultMaxpVersion = 'MAXP';       // a 'maxp' version other than 0.5 and 1.0
inline constexpr uint32_t kResultHheaData = 'HHEA';          // unsupported 'hhea' version or metric count
inline constexpr uint32_t kResultCmapData = 'CMAP';          // no usable 'cmap' subtable or version
inline constexpr uint32_t kResultMissingName = 'MNAM';       // no 'name' table
inline constexpr uint32_t kResultMissingLoca = 'MSLO';       // 'glyf' without 'loca'
inline constexpr uint32_t kResultMissingMaxp = 'MSMP';       // no 'maxp' table
inline constexpr uint32_t kResultMissingHhea = 'MSHH';       // no 'hhea' table
inline constexpr uint32_t kResultMissingCmap = 'MSCM';       // no 'cmap' table
inline constexpr uint32_t kResultMissingHmtx = 'MSHM';       // no 'hmtx' table
inline constexpr uint32_t kResultMissingOutlines = 'MSGL';   // neither 'glyf' nor 'CFF '

// Every code above.
inline constexpr uint32_t kImportResultCodes[] = {
    kResultInvalid,     kResultCorrupt,     kResultUnsupportedUnits, kResultLocaFormat,
    kResultMaxpVersion, kResultHheaData,    kResultCmapData,         kResultMissingName,
    kResultMissingLoca, kResultMissingMaxp, kResultMissingHhea,      kResultMissingCmap,
    kResultMissingHmtx, kResultMissingOutlines,
};

}  // namespace oq
