#include <gtest/gtest.h>

#include "vorlfont/compiler/CharacterInclusionMap.h"

#include <string>
#include <vector>

namespace oq {
namespace {

struct MapCase
{
    const char *name;
    std::vector<CodePointRange> include, exclude;
    std::vector<uint32_t> in, out;
};

TEST(CharacterInclusionMap, RangesAsTheCommandLineGivesThem)
{
    const MapCase cases[] = {
        {"no ranges", {}, {},
         {0x20, 0x7E, 0xA0, 0xFF, 0x100, 0xD7FF, 0xE000, 0xFFFD, 0x10000, 0x10FFFF},
         {0x0, 0x1F, 0x7F, 0x9F, 0xD800, 0xDFFF, 0xFFFE, 0xFFFF, 0x110000, 0xFFFFFFFF}},
        {"one include keeps Latin-1 and nothing above it", {{0x41, 0x41}}, {},
         {0x20, 0x41, 0x7E, 0xA0, 0xFF},
         {0x1F, 0x100, 0x4E00, 0x10000, 0x10FFFF}},
        {"includes name controls, surrogates and noncharacters", {{0x0, 0x1F}, {0xD800, 0xD800}, {0xFFFE, 0xFFFF}}, {},
         {0x0, 0x1F, 0xD800, 0xFFFE, 0xFFFF}, {0x7F, 0xD801, 0x100}},
        {"exclude wins over the always-compiled ranges", {}, {{0x41, 0x5A}},
         {0x40, 0x5B, 0x100}, {0x41, 0x4D, 0x5A}},
        {"exclude wins over an include", {{0x100, 0x17F}}, {{0x120, 0x12F}, {0xA0, 0xFF}},
         {0x100, 0x11F, 0x130, 0x17F, 0x20}, {0x120, 0x12F, 0xA0, 0xFF, 0x180}},
        {"ranges past the map are clipped", {{0x10FFF0, 0xFFFFFFFF}, {5, 4}}, {},
         {0x10FFF0, 0x10FFFF}, {0x10FFEF, 0x110000, 5}},
    };
    for (const MapCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        CharacterInclusionMap map(c.include.data(), int32_t(c.include.size()), c.exclude.data(),
                                  int32_t(c.exclude.size()));
        for (uint32_t codePoint : c.in) EXPECT_TRUE(map.Includes(codePoint)) << std::hex << codePoint;
        for (uint32_t codePoint : c.out) EXPECT_FALSE(map.Includes(codePoint)) << std::hex << codePoint;
    }
}

TEST(CharacterInclusionMap, ByteMapsAndCodePointListsSetNoAlwaysCompiledRange)
{
    const uint8_t bytes[] = {0, 1, 0, 7};
    CharacterInclusionMap fromBytes(4, bytes);
    EXPECT_FALSE(fromBytes.Includes(0));
    EXPECT_TRUE(fromBytes.Includes(1));
    EXPECT_TRUE(fromBytes.Includes(3));
    EXPECT_FALSE(fromBytes.Includes(0x41));

    std::vector<uint8_t> everything(0x120000, 1);
    CharacterInclusionMap large(uint32_t(everything.size()), everything.data());
    EXPECT_TRUE(large.Includes(0x10FFFF));
    EXPECT_FALSE(large.Includes(0x110000));

    const uint32_t list[] = {0x41, 0x10FFFF, 0x110000, 0xFFFFFFFF};
    CharacterInclusionMap fromList(4, list);
    EXPECT_TRUE(fromList.Includes(0x41));
    EXPECT_TRUE(fromList.Includes(0x10FFFF));
    EXPECT_FALSE(fromList.Includes(0x42));
    EXPECT_FALSE(fromList.Includes(0x20));
}

}  // namespace
}  // namespace oq
