// The naming table: record choice, decoding and bounds.
#include "SfntTestBuilder.h"

#include "vorlfont/opentype/NameTable.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::Bytes;
using test::Latin;
using test::NameRecordSpec;
using test::Utf16;

// Family, style and messages of a table as one line each.
std::string Describe(const Bytes &table, uint32_t *result = nullptr)
{
    Bytes file = test::BuildSfnt({test::TestFace{{{"name", table}}}}, false);
    NameTableText names;
    uint32_t code = ReadNameTableText(FontBytes{file.data(), file.size()}, 0, &names);
    if (result) *result = code;
    std::string out;
    if (names.hasName) out += std::string("name ") + names.family.GetText() + " / " + names.style.GetText() + "\n";
    for (const NameMessage &m : names.messages) out += std::string(m.kind) + " " + m.text.GetText() + "\n";
    return out;
}

TEST(NameTable, RecordChoice)
{
    const struct
    {
        const char *name;
        std::vector<NameRecordSpec> records;
        const char *expected;
    } cases[] = {
        {"windows after mac",
         {{1, 0, 0, 1, Latin("MacFamily")}, {1, 0, 0, 2, Latin("MacStyle")},
          {3, 1, 0x409, 1, Utf16(u"WinFamily")}, {3, 1, 0x409, 2, Utf16(u"WinStyle")}},
         "name WinFamily / WinStyle\n"},
        {"mac only", {{1, 0, 0, 1, Latin("MacFamily")}, {1, 0, 0, 2, Latin("MacStyle")}}, "name MacFamily / MacStyle\n"},
        {"typographic family first",
         {{3, 1, 0x409, 1, Utf16(u"Sample Semibold")}, {3, 1, 0x409, 2, Utf16(u"Regular")},
          {3, 1, 0x409, 16, Utf16(u"Sample")}, {3, 1, 0x409, 17, Utf16(u"Semibold")}},
         "name Sample / Semibold\n"},
        {"english wins the name, the first the message",
         {{3, 1, 0x407, 1, Utf16(u"Beispiel")}, {3, 1, 0x409, 1, Utf16(u"Sample")}, {3, 1, 0x407, 2, Utf16(u"Fett")},
          {3, 1, 0x407, 4, Utf16(u"Beispiel Fett")}, {3, 1, 0x409, 4, Utf16(u"Sample Bold")}},
         "name Sample / Fett\nfullname Beispiel Fett\n"},
        {"family without style", {{3, 1, 0x409, 1, Utf16(u"Sample")}, {3, 1, 0x409, 5, Utf16(u"1.0")}},
         "version 1.0\n"},
        {"unusable encodings",
         {{3, 2, 0x409, 1, Utf16(u"Sample")}, {3, 2, 0x409, 2, Utf16(u"Regular")}, {1, 1, 0, 4, Latin("x")},
          {2, 0, 0, 4, Latin("y")}, {3, 4, 0, 0, Utf16(u"z")}},
         ""},
        {"ids without kinds and from 15 on",
         {{3, 1, 0x409, 3, Utf16(u"unique")}, {3, 1, 0x409, 15, Utf16(u"x")}, {3, 1, 0x409, 14, Utf16(u"url")},
          {3, 1, 0x409, 0, Utf16(u"c")}},
         "license_url url\ncopyright c\n"},
    };
    for (const auto &c : cases) EXPECT_EQ(Describe(test::NameTable(c.records)), c.expected) << c.name;
}

TEST(NameTable, Decoding)
{
    const struct
    {
        const char *name;
        uint16_t platform, encoding;
        Bytes string;
        const char *expected;
    } cases[] = {
        {"utf-16 with a pair", 3, 1, Utf16(u"A\U0001D400B"), "A\xF0\x9D\x90\x80" "B"},
        {"lone high surrogate", 3, 1, Bytes{0xD8, 0x00, 0x00, 0x41}, "\xEF\xBF\xBD" "A"},
        {"lone low surrogate at the end", 3, 1, Bytes{0x00, 0x41, 0xDC, 0x00}, "A\xEF\xBF\xBD"},
        {"zero unit ends the text", 3, 1, Bytes{0x00, 0x41, 0x00, 0x00, 0x00, 0x42}, "A"},
        {"odd last byte dropped", 0, 3, Bytes{0x00, 0x41, 0x00}, "A"},
        {"mac roman", 1, 0, Bytes{'c', 0x8E, 0xA9, 0xDB}, "c\xC3\xA9\xC2\xA9\xE2\x82\xAC"},
        {"mac roman stops at zero", 1, 0, Bytes{'a', 0, 'b'}, "a"},
        {"unicode 1.0 bytes", 0, 0, Bytes{'q', '"', '\n'}, "q\"\n"},
        {"unicode 1.0 as utf-16", 0, 0, Bytes{0x00, 0x51}, "Q"},
    };
    for (const auto &c : cases)
    {
        TextString text;
        DecodeNameRecord(FontBytes{c.string.data(), c.string.size()}, c.platform, c.encoding, &text);
        EXPECT_STREQ(text.GetText(), c.expected) << c.name;
    }
}

TEST(NameTable, StorageAndBounds)
{
    std::vector<NameRecordSpec> records = {{3, 1, 0x409, 1, Utf16(u"Sample")}, {3, 1, 0x409, 2, Utf16(u"Bold")}};
    // Storage apart from the records, as storageOffset says.
    EXPECT_EQ(Describe(test::NameTable(records, 10)), "name Sample / Bold\n");

    // A string past the table's end is skipped; other records stay.
    Bytes table = test::NameTable({{3, 1, 0x409, 1, Utf16(u"Sample")}, {3, 1, 0x409, 2, Utf16(u"Bold")},
                                   {3, 1, 0x409, 2, Utf16(u"Regular")}, {3, 1, 0x409, 4, Utf16(u"Full")}});
    test::ByteWriter w{table};
    w.PutU16(6 + 12 * 1 + 10, 0xFFF0);  // the first style record's string
    EXPECT_EQ(Describe(w.bytes), "name Sample / Regular\nfullname Full\n");
    w.PutU16(6 + 12 * 3 + 8, 200);      // the full name's length
    EXPECT_EQ(Describe(w.bytes), "name Sample / Regular\n");

    // Records beyond the table, or no table.
    uint32_t result = 0;
    Bytes cut = test::NameTable(records);
    cut.resize(20);
    EXPECT_EQ(Describe(cut, &result), "");
    EXPECT_EQ(result, 'CRPT');
    Bytes file = test::BuildSfnt({test::TestFace{{{"cmap", Bytes(4, 0)}}}}, false);
    NameTableText names;
    EXPECT_EQ(ReadNameTableText(FontBytes{file.data(), file.size()}, 0, &names), 'MNAM');
}

}  // namespace
}  // namespace oq
