#pragma once

// Test fonts the font loaders accept: the sample font's glyphs, each face with 'AXIS', 'HITE' and
// 'SLNT'.
#include "support/VorlFontBuilder.h"

#include <cstring>
#include <vector>

namespace oq::test {

// Sets the first value of a directory item, or removes the item (remove true).
inline void EditFontItem(VorlFontDescription &face, uint32_t tag, float value, bool remove = false)
{
    for (size_t i = 0; i < face.items.size(); ++i)
    {
        if (face.items[i].tag != tag) continue;
        if (remove) face.items.erase(face.items.begin() + long(i));
        else std::memcpy(face.items[i].data.data(), &value, sizeof(value));
        return;
    }
}

// The sample font's glyphs in the given number of faces (face f slanted by 0.25 + f / 8).
inline VorlFontBuilder MakeLoadableBuilder(int faces)
{
    VorlFontBuilder builder = MakeSampleVorlFont();
    builder.fonts.resize(1);
    for (int f = 1; f < faces; ++f) builder.fonts.push_back(builder.fonts[0]);
    for (int f = 0; f < faces; ++f) EditFontItem(builder.fonts[size_t(f)], 'SLNT', 0.25F + float(f) / 8.0F);
    return builder;
}

inline std::vector<uint8_t> MakeLoadableFont(int faces) { return MakeLoadableBuilder(faces).Build(); }

}  // namespace oq::test
