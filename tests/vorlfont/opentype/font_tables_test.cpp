// Font-wide metrics from 'hhea', 'OS/2', 'post' and 'MATH', and glyph metrics from 'hmtx' and 'vmtx'.
#include "ImportDump.h"
#include "SfntTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace oq {
namespace {

using test::Bytes;
using test::TestFace;

// The dump lines of the imported face that begin with prefix.
std::string Lines(const TestFace &face, const std::string &prefix, uint32_t *result = nullptr)
{
    Bytes bytes = test::BuildSfnt({face}, false);
    AmbrelDocument document;
    uint32_t code = ImportOpenTypeFont(bytes.data(), bytes.size(), &document);
    if (result) *result = code;
    std::istringstream in(test::DumpImportedFonts(&document));
    std::string line, out;
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0) out += line + "\n";
    return out;
}

// An 'OS/2' table of the version, cut to length bytes.
Bytes Os2Table(uint16_t version, size_t length = 96)
{
    test::ByteWriter w;
    w.U16(version).U16(0).U16(700).U16(5).U16(0);                  // 0-9: avgCharWidth, weight, width, type
    w.U16(650).U16(600).U16(10).U16(75);                           // 10-17: subscript
    w.U16(640).U16(610).U16(20).U16(350);                          // 18-25: superscript
    w.U16(50).U16(300).U16(0x0C03);                                // 26-31: strikeout, family class
    w.Zeros(36);                                                   // 32-67: panose .. selection
    w.U16(780).U16(uint16_t(-220)).U16(100);                       // 68-73: typo
    w.Zeros(12);                                                   // 74-85: win metrics, code page
    w.U16(480).U16(690);                                           // 86-89: x height, cap height
    w.Zeros(6);
    w.bytes.resize(length);
    return w.bytes;
}

Bytes PostTable(int32_t italicAngle, int16_t position, int16_t thickness)
{
    test::ByteWriter w;
    w.U32(0x00030000).U32(uint32_t(italicAngle)).U16(uint16_t(position)).U16(uint16_t(thickness)).Zeros(20);
    return w.bytes;
}

TEST(FontMetricTables, Os2AndPostValuesInOrder)
{
    TestFace face = test::MinimalFace();
    face.Set("OS/2", Os2Table(4));
    face.Set("post", PostTable(-12 * 65536, -100, 50));
    EXPECT_EQ(Lines(face, "metric"),
              "metric ascent 0.800000012\nmetric descent -0.200000003\nmetric line_gap 0.0900000036\n"
              "metric typo_ascent 0.780000031\nmetric typo_descent -0.220000014\nmetric typo_line_gap 0.100000001\n"
              "metric cap_height 0.690000057\nmetric ex_height 0.480000019\n"
              "metric sub_scale 0.650000036 0.600000024\nmetric sub_offset 0.0100000007 -0.075000003\n"
              "metric super_scale 0.640000045 0.610000014\nmetric super_offset 0.0200000014 0.350000024\n"
              "metric strike_size 0.0500000007\nmetric strike_position 0.25\n"
              "metric weight_class 700\nmetric width_class 5\nmetric family_class 3075\n"
              "metric under_size 0.0500000007\nmetric under_position -0.150000006\n"
              "metric slant_angle 0.209439516\n");
}

TEST(FontMetricTables, MissingAndShortTables)
{
    const struct
    {
        const char *name;
        Bytes os2;
        Bytes post;
        const char *expected;
    } cases[] = {
        {"none", {}, {}, ""},
        {"version 1: no cap or x height", Os2Table(1), PostTable(0, -100, 50),
         "typo_ascent typo_descent typo_line_gap sub_scale sub_offset super_scale super_offset strike_size "
         "strike_position weight_class width_class family_class under_size under_position "},
        {"version 2 cut before the heights", Os2Table(2, 86), {},
         "typo_ascent typo_descent typo_line_gap sub_scale sub_offset super_scale super_offset strike_size "
         "strike_position weight_class width_class family_class "},
        {"cut after the family class", Os2Table(4, 32), {},
         "sub_scale sub_offset super_scale super_offset strike_size strike_position weight_class width_class "
         "family_class "},
        {"cut inside the subscript", Os2Table(4, 14), {}, "sub_scale weight_class width_class "},
        {"empty tables", {}, {}, ""},
        {"post without the underline", {}, Bytes(8, 0), ""},
    };
    for (const auto &c : cases)
    {
        TestFace face = test::MinimalFace();
        bool empty = std::string(c.name) == "empty tables";
        if (!c.os2.empty() || empty) face.Set("OS/2", c.os2);
        if (!c.post.empty() || empty) face.Set("post", c.post);
        std::istringstream in(Lines(face, "metric"));
        std::string line, keys;
        while (std::getline(in, line))
        {
            std::string key = line.substr(7, line.find(' ', 7) - 7);
            if (key != "ascent" && key != "descent" && key != "line_gap") keys += key + " ";
        }
        EXPECT_EQ(keys, c.expected) << c.name;
    }
}

TEST(FontMetricTables, HorizontalAndVerticalGlyphMetrics)
{
    // Two long metrics of four glyphs; vertical advances 0 and 1000 with top bearings 30, 0, 40, 0.
    TestFace face = test::MinimalFace(4);
    face.Set("hhea", test::HheaTable(800, -200, 0, 2));
    face.Set("hmtx", test::MetricsTable({{600, 10}, {700, -20}}, {30, 40}));
    test::ByteWriter vhea;
    vhea.U32(0x00011000).Zeros(30).U16(2);
    face.Set("vhea", vhea.bytes);
    face.Set("vmtx", test::MetricsTable({{0, 30}, {1000, 0}}, {40, 0}));
    EXPECT_EQ(Lines(face, "glyph"), "glyph 0 advance 0.600000024 bearing 0.0100000007 0.0300000012\n"
                                    "glyph 1 advance 0.700000048 1 bearing -0.0200000014\n"
                                    "glyph 2 advance 0.700000048 1 bearing 0.0300000012 0.0400000028\n"
                                    "glyph 3 advance 0.700000048 1 bearing 0.0400000028\n");

    // Without usable vertical metrics (a 'vmtx' too short for its counts, more long metrics than
    // glyphs, no 'vmtx' or no 'vhea') every glyph advances by the 'hhea' ascender minus descender
    // (800 + 200 units); a line height of 0 gives no vertical advance.
    const char *implied = "glyph 0 advance 0.600000024 1 bearing 0.0100000007\n"
                          "glyph 1 advance 0.700000048 1 bearing -0.0200000014\n"
                          "glyph 2 advance 0.700000048 1 bearing 0.0300000012\n"
                          "glyph 3 advance 0.700000048 1 bearing 0.0400000028\n";
    test::ByteWriter many;
    many.U32(0x00011000).Zeros(30).U16(5);
    const struct
    {
        const char *name;
        std::function<void(TestFace *)> change;
        const char *expected;
    } cases[] = {
        {"short 'vmtx'", [](TestFace *f) { f->Find("vmtx")->resize(11); }, implied},
        {"too many long metrics", [&](TestFace *f) { f->Set("vhea", many.bytes); }, implied},
        {"no 'vmtx'", [](TestFace *f) { f->Remove("vmtx"); }, implied},
        {"no 'vhea'", [](TestFace *f) { f->Remove("vhea"); }, implied},
        {"no 'vhea', line height 0",
         [](TestFace *f) {
             f->Remove("vhea");
             f->Set("hhea", test::HheaTable(0, 0, 0, 2));
         },
         "glyph 0 advance 0.600000024 bearing 0.0100000007\n"
         "glyph 1 advance 0.700000048 bearing -0.0200000014\n"
         "glyph 2 advance 0.700000048 bearing 0.0300000012\n"
         "glyph 3 advance 0.700000048 bearing 0.0400000028\n"},
    };
    for (const auto &c : cases)
    {
        TestFace changed = face;
        c.change(&changed);
        EXPECT_EQ(Lines(changed, "glyph"), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace oq
