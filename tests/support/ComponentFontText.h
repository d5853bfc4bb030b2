#pragma once

// Ambrel texts of fonts whose glyphs are built from Components: a chain of glyphs each referring
// to the next, and a tree in which each glyph refers several times to the next level's glyph.

#include <cstdint>
#include <string>

namespace oq::test {

// Glyph k (0 to length - 1) has a Component of glyph k + 1; the last glyph is a rectangle.
inline std::string ComponentChainFontText(int32_t length)
{
    std::string text = "Font (glyph_count = " + std::to_string(length + 1) + ")\n{\n";
    for (int32_t k = 0; k < length; ++k)
        text += "\tGlyph (index = " + std::to_string(k) + ") {Component {uint32 {" + std::to_string(k + 1) + "}}}\n";
    text += "\tGlyph (index = " + std::to_string(length) + ") {Rect {float[2] {{0, 0}, {1, 1}}}}\n}\n";
    return text;
}

// Glyph k (0 to levels - 1) has one Component naming glyph k + 1 `ways` times; the last glyph is a
// rectangle (4 curves) or, without ink, empty.
inline std::string ComponentFanOutFontText(int32_t ways, int32_t levels, bool ink)
{
    std::string text = "Font (glyph_count = " + std::to_string(levels + 1) + ")\n{\n";
    for (int32_t k = 0; k < levels; ++k)
    {
        text += "\tGlyph (index = " + std::to_string(k) + ") {Component {uint32 {";
        for (int32_t w = 0; w < ways; ++w) text += ((w != 0) ? ", " : "") + std::to_string(k + 1);
        text += "}}}\n";
    }
    text += "\tGlyph (index = " + std::to_string(levels) + ") {" + (ink ? "Rect {float[2] {{0, 0}, {1, 1}}}" : "") + "}\n}\n";
    return text;
}

}  // namespace oq::test
