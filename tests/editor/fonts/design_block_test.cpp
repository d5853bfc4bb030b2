#include <gtest/gtest.h>

#include "editor/fonts/Design.h"
#include "editor/fonts/DesignReader.h"
#include "editor/fonts/DesignWriter.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>

namespace oq {
namespace {

std::string Write(const Design &design)
{
    TextBuffer buffer;
    WriteDesignBlock(design, &buffer);
    std::string text(buffer.data, buffer.size);
    buffer.Free();
    return text;
}

KettricResult Read(const std::string &text, Design *design)
{
    DesignReader reader(design);
    return reader.ParseAndResolve(text.c_str());
}

void ExpectSameDesign(const Design &a, const Design &b)
{
    for (int32_t slot = 0; slot < kDesignFontSlotCount; ++slot)
    {
        EXPECT_STREQ(a.fontNames[slot].GetText(), b.fontNames[slot].GetText()) << "slot " << slot;
    }
    EXPECT_EQ(std::memcmp(a.styleMaps, b.styleMaps, sizeof(a.styleMaps)), 0);
    EXPECT_EQ(std::memcmp(a.palette, b.palette, sizeof(a.palette)), 0);
    EXPECT_EQ(std::memcmp(a.equationParams, b.equationParams, sizeof(a.equationParams)), 0);
    EXPECT_EQ(std::memcmp(a.drawingParams, b.drawingParams, sizeof(a.drawingParams)), 0);
}

float &Param(Design *design, int32_t group, uint32_t key)
{
    const DesignGroupTable &table = kDesignGroupTables[group];
    for (int32_t i = 0; i < table.rowCount; ++i)
    {
        if (table.rows[i].key == key) return design->GetGroupSlots(group)[table.rows[i].offset / 4];
    }
    ADD_FAILURE() << "no row";
    return design->equationParams[0];
}

constexpr int32_t kGeneral = 0;
constexpr int32_t kFrac = 5;

TEST(DesignBlockTest, WritesOnlyWhatDiffersFromTheFactoryDesign)
{
    Design design;
    EXPECT_EQ(Write(design), "D\n{\n}\n");

    design.SetBaseFontSize(12.0F);
    Param(&design, kFrac, 'rule') = 1.0F;
    EXPECT_EQ(Write(design), "D\n{\n\tV (n='fsiz') {f{12.0}}\n\tV (d='frac',n='rule') {f{1.0}}\n}\n");

    Design names;
    names.fontNames[1] = "times new roman";
    names.fontNames[2] = "";
    names.fontNames[9] = "No \"Such\" Font\\";
    const uint8_t mono[4] = {0, 255, 8, 7};
    std::memcpy(names.styleMaps[4], mono, 4);
    names.palette[15] = 0x80FF0000U;
    names.SetSeparateStyles(true);
    EXPECT_EQ(Write(names), "D\n{\n"
                            "\tF (i=1) {i16{2}}\n"
                            "\tF (i=2) {i16{-1}}\n"
                            "\tF (i=9) {s{\"No \\\"Such\\\" Font\\\\\"}}\n"
                            "\tM (t='mono') {u8{0}}\n"
                            "\tP {u32{0xFF000000, 0xFF505050, 0xFF808080, 0xFFC0C0C0, 0xFF5858BA, 0xFF669933, "
                            "0xFFCC6600, 0xFFE55B90, 0xFF7085FF, 0xFFA0D89E, 0xFFE8D797, 0xFFDDA6C2, 0xFF00C0FF, "
                            "0xFF00FCFC, 0xFFA0D0E0, 0x80FF0000}}\n"
                            "\tV (n='seps') {b{true}}\n"
                            "}\n");

    Design back;
    ASSERT_EQ(Read(Write(names), &back), 0U);
    EXPECT_STREQ(back.fontNames[1].GetText(), "Times New Roman");
    EXPECT_TRUE(back.fontNames[2].IsEmpty());
    EXPECT_STREQ(back.fontNames[9].GetText(), "No \"Such\" Font\\");
    const uint8_t monoBack[4] = {0, 255, 255, 255};
    EXPECT_EQ(std::memcmp(back.styleMaps[4], monoBack, 4), 0);
    EXPECT_EQ(back.palette[15], 0x80FF0000U);
    EXPECT_TRUE(back.GetSeparateStyles());
}

struct ReaderCase
{
    const char *name;
    const char *text;
    KettricResult result;
    std::function<void(const Design &)> check;
};

TEST(DesignBlockTest, ReaderCases)
{
    const Design factory;
    const ReaderCase cases[] = {
        {"slot 0 is never changed", "D {F (i=0) {s{\"X\"}}}", 0,
         [](const Design &d) { EXPECT_STREQ(d.fontNames[0].GetText(), "Orlendo"); }},
        {"slot 16 is ignored", "D {F (i=16) {s{\"X\"}}}", 0, [&](const Design &d) { ExpectSameDesign(d, factory); }},
        {"legacy number 44 empties the slot", "D {F (i=3) {u8{44}}}", 0,
         [](const Design &d) { EXPECT_TRUE(d.fontNames[3].IsEmpty()); }},
        {"legacy number 16 is Cambria Math", "D {F (i=9) {u8{16}}}", 0,
         [](const Design &d) { EXPECT_STREQ(d.fontNames[9].GetText(), "Cambria Math"); }},
        {"legacy number past the table", "D {F (i=3) {u8{51}}}", 0,
         [](const Design &d) { EXPECT_TRUE(d.fontNames[3].IsEmpty()); }},
        {"row outside the table", "D {F (i=3) {i16{84}}}", 0,
         [](const Design &d) { EXPECT_TRUE(d.fontNames[3].IsEmpty()); }},
        {"empty row list", "D {F (i=3) {i16{}}}", 0, [](const Design &d) { EXPECT_TRUE(d.fontNames[3].IsEmpty()); }},
        {"empty string list", "D {F (i=3) {s{}}}", 0,
         [](const Design &d) { EXPECT_STREQ(d.fontNames[3].GetText(), "Times New Roman Bold"); }},
        {"font without data", "D {F (i=3) {}}", kResultMissingSubstructure, nullptr},
        {"unknown group and key", "D {V (d='xxxx',n='rule') {f{2.0}} V (n='zzzz') {f{2.0}}}", 0,
         [&](const Design &d) { ExpectSameDesign(d, factory); }},
        {"a bool for a float", "D {V (d='frac',n='rule') {b{true}}}", 0,
         [&](const Design &d) { ExpectSameDesign(d, factory); }},
        {"seps cleared", "D {V (n='seps') {b{true}} V (n='seps') {b{false}}}", 0,
         [](const Design &d) { EXPECT_FALSE(d.GetSeparateStyles()); }},
        {"seps whatever the group", "D {V (d='frac',n='seps') {b{true}}}", 0,
         [](const Design &d) { EXPECT_TRUE(d.GetSeparateStyles()); }},
        {"value without data", "D {V (n='fsiz') {}}", kResultMissingSubstructure, nullptr},
        {"later entry wins", "D {V (n='fsiz') {f{12.0}} V (n='fsiz') {f{13.0}}}", 0,
         [](const Design &d) { EXPECT_EQ(d.GetBaseFontSize(), 13.0F); }},
        {"palette of one colour", "D {V (n='fsiz') {f{12.0}} P {u32{0xFF000000}} V (n='fsiz') {f{13.0}}}", kResultInvalidDataFormat,
         [](const Design &d) { EXPECT_EQ(d.GetBaseFontSize(), 12.0F); }},
        {"palette of another type", "D {P {u8{1}}}", kResultInvalidDataFormat, nullptr},
        {"style map with an unnamed slot", "D {M (t='uprt') {u8{0, 12, 1}}}", 0,
         [](const Design &d) {
             const uint8_t expected[4] = {0, 0, 1, 255};
             EXPECT_EQ(std::memcmp(d.styleMaps[0], expected, 4), 0);
         }},
        {"style map repair stops at 16 or more", "D {M (t='uprt') {u8{20, 12}}}", 0,
         [](const Design &d) {
             const uint8_t expected[4] = {20, 12, 255, 255};
             EXPECT_EQ(std::memcmp(d.styleMaps[0], expected, 4), 0);
         }},
        {"unknown style", "D {M (t='abcd') {u8{1}}}", 0, [&](const Design &d) { ExpectSameDesign(d, factory); }},
        {"style map of five slots", "D {M (t='mono') {u8{1, 2, 3, 4, 5}}}", 0,
         [](const Design &d) {
             const uint8_t expected[4] = {1, 2, 3, 4};
             EXPECT_EQ(std::memcmp(d.styleMaps[4], expected, 4), 0);
         }},
        {"style map without data", "D {M (t='mono') {}}", kResultMissingSubstructure, nullptr},
        {"another top level", "F (i=3) {u8{44}}", kResultInvalidStructure, nullptr},
        {"anchor and rail values", "D {V (d='ancr',n='padx') {f{3.0}} V (d='rail',n='top0') {f{2.0}}}", 0,
         [](const Design &d) {
             EXPECT_EQ(d.drawingParams[0], 3.0F);
             EXPECT_EQ(d.drawingParams[6], 2.0F);
         }},
        {"chemical element spacing", "D {V (d='symb',n='cesp') {f{5.0}}}", 0,
         [](const Design &d) { EXPECT_EQ(d.GetGroupSlots(1)[7], 5.0F); }},
    };
    for (const ReaderCase &c : cases)
    {
        SCOPED_TRACE(c.name);
        Design design;
        EXPECT_EQ(Read(c.text, &design), c.result);
        if (c.check) c.check(design);
    }
}

// Values that would break every layout are not taken; files the editor writes read as before.
TEST(DesignBlockTest, NonFiniteAndOutOfRangeValuesAreIgnored)
{
    const struct
    {
        const char *text;
        float expected;  // the base font size after reading
    } sizes[] = {
        {"D {V (n='fsiz') {f{0.0}}}", 11.0F},         {"D {V (n='fsiz') {f{-3.0}}}", 11.0F},
        {"D {V (n='fsiz') {f{1800.5}}}", 11.0F},      {"D {V (n='fsiz') {f{0x7FC00000}}}", 11.0F},
        {"D {V (n='fsiz') {f{0x7F800000}}}", 11.0F},  {"D {V (n='fsiz') {f{1200.0}}}", 1200.0F},
        {"D {V (n='fsiz') {f{1800.0}}}", 1800.0F},    {"D {V (n='fsiz') {f{1.0}}}", 1.0F},
    };
    for (const auto &c : sizes)
    {
        SCOPED_TRACE(c.text);
        Design design;
        EXPECT_EQ(Read(c.text, &design), 0U);
        EXPECT_EQ(design.GetBaseFontSize(), c.expected);
    }

    Design design;
    ASSERT_EQ(Read("D {V (n='slnt') {f{90.0}} V (d='mark',n='ngsl') {f{0.0}} V (d='brck',n='bcwd') {f{0.0}}"
                   " V (d='intg',n='slnt') {f{-10.0}}}",
                   &design),
              0U);
    EXPECT_EQ(design.GetGeneral(15), 17.0F);
    EXPECT_EQ(design.GetGroupSlots(2)[1], 1.75F);
    EXPECT_EQ(design.GetGroupSlots(3)[21], 0.25F);
    EXPECT_EQ(design.GetGroupSlots(16)[2], -10.0F);  // the range's own end is taken

    // A design built in code may hold a NaN: it is written as a bit pattern and not read back.
    Design nan;
    nan.GetGroupSlots(kFrac)[1] = std::numeric_limits<float>::quiet_NaN();
    std::string text = Write(nan);
    EXPECT_NE(text.find("V (d='frac',n='rule') {f{0x"), std::string::npos) << text;
    Design back;
    EXPECT_EQ(Read(text, &back), 0U);
    EXPECT_EQ(back.GetGroupSlots(kFrac)[1], 0.8525F);
}

// Anchor spacings and rail distances are stored after 'anno'; a block without them gives the
// factory values.
TEST(DesignBlockTest, AnchorAndRailGroupsAreStored)
{
    Design design;
    design.GetGroupSlots(kDesignGroupAnchors)[0] = 3.0F;
    design.GetGroupSlots(kDesignGroupRails)[0] = 2.0F;
    design.GetGroupSlots(23)[0] = 1.0F;  // 'anno' 'lned'
    EXPECT_EQ(Write(design), "D\n{\n"
                             "\tV (d='anno',n='lned') {f{1.0}}\n"
                             "\tV (d='ancr',n='padx') {f{3.0}}\n"
                             "\tV (d='rail',n='top0') {f{2.0}}\n"
                             "}\n");
    Design back;
    back.GetGroupSlots(kDesignGroupAnchors)[0] = 9.0F;
    ASSERT_EQ(Read("D {V (d='ancr',n='padx') {f{3.0}} V (d='rail',n='top0') {f{2.0}}}", &back), 0U);
    EXPECT_EQ(back.GetGroupSlots(kDesignGroupAnchors)[0], 3.0F);
    EXPECT_EQ(back.GetGroupSlots(kDesignGroupRails)[0], 2.0F);

    Design plain;
    ASSERT_EQ(Read("D {V (n='fsiz') {f{12.0}}}", &plain), 0U);
    EXPECT_EQ(plain.GetGroupSlots(kDesignGroupAnchors)[0], 2.0F);
    EXPECT_EQ(plain.GetGroupSlots(kDesignGroupRails)[0], 1.35F);
}

TEST(DesignBlockTest, RandomDesignsRoundTripByteIdentically)
{
    const char *const names[] = {"", "Times New Roman", "Cambria Math", "Plain Face", "Quote \" Face",
                                 "Back\\slash", "\xC3\x9Cn\xC3\xAF \xE6\x95\xB0\xE5\xAD\xA6", "Tab\tName"};
    std::mt19937 random(34);
    for (int32_t round = 0; round < 200; ++round)
    {
        SCOPED_TRACE(round);
        Design design;
        for (int32_t slot = 1; slot < kDesignFontSlotCount; ++slot)
        {
            if (random() % 3 == 0) design.fontNames[slot] = names[random() % std::size(names)];
        }
        // Maps name only slots with names (the reader repairs the others, factory entries too).
        for (uint8_t(&entry)[kStyleMapLength] : design.styleMaps)
        {
            bool randomEntry = random() % 3 == 0;
            uint32_t count = random() % 5;
            for (uint32_t i = 0; i < kStyleMapLength; ++i)
            {
                if (randomEntry) entry[i] = i < count ? uint8_t(random() % kDesignFontSlotCount) : kStyleMapEnd;
                if (entry[i] < kDesignFontSlotCount && design.fontNames[entry[i]].IsEmpty()) entry[i] = 0;
            }
        }
        if (random() % 2 == 0)
        {
            for (uint32_t &color : design.palette) color = uint32_t(random());
        }
        design.SetSeparateStyles(random() % 2 == 0);
        for (int32_t group = 0; group < kDesignGroupCount; ++group)
        {
            const DesignGroupTable &table = kDesignGroupTables[group];
            for (int32_t i = 0; i < table.rowCount; ++i)
            {
                if (random() % 4 != 0) continue;
                const DesignParamRow &row = table.rows[i];
                std::uniform_real_distribution<float> value(row.minimum, row.maximum);
                float v = value(random);
                design.GetGroupSlots(group)[row.offset / 4] = v == 0.0F ? 0.0F : v;
            }
        }
        std::string text = Write(design);
        Design back;
        ASSERT_EQ(Read(text, &back), 0U) << text;
        ExpectSameDesign(design, back);
        EXPECT_EQ(Write(back), text);
    }
}

}  // namespace
}  // namespace oq
