#pragma once

#include <cstdint>

namespace oq {

// One built-in font name: the numbered Data file that holds its face (-1: none, the font is found
// among the imported ones) and the face's index in that file.
struct MasterFontRow
{
    int8_t fileNumber;
    uint8_t faceIndex;
    char name[31];
};

static_assert(sizeof(MasterFontRow) == 33);

inline constexpr int32_t kMasterFontRowCount = 84;

// The built-in font names that design blocks refer to by row number.
extern const MasterFontRow MasterFontTable[kMasterFontRowCount];

// The first row whose name equals the name, ASCII case ignored; -1 when none.
int32_t FindMasterFontRow(const char *name);

}  // namespace oq
