#pragma once

#include "editor/platform/GlyphTexturePair.h"
#include "support/VorlGraphicsBuilder.h"

#include <cstring>
#include <vector>

namespace oq::test {

// An icon file image: one shape over (0, 0)-(1, 1) per polygon word, and one icon per shape that
// places it (icon i shows shape i).
inline std::vector<uint8_t> MakePolygonWordIconFile(const std::vector<uint16_t> &words)
{
    VorlGraphicsBuilder builder;
    for (size_t i = 0; i < words.size(); ++i)
    {
        VorlShapeRecord shape = MakeShapeRecord(0, 0, 1, 1);
        shape.polygonWord = words[i];
        builder.shapes.push_back(shape);
        builder.icons.push_back({{MakeIconLayer(int32_t(i))}, {}});
    }
    std::vector<uint32_t> image = builder.Build();
    std::vector<uint8_t> bytes(image.size() * 4);
    std::memcpy(bytes.data(), image.data(), bytes.size());
    return bytes;
}

}  // namespace oq::test
