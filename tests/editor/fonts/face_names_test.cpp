#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "editor/fonts/FaceNames.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontResource.h"
#include "kettric/KettricPrimitive.h"
#include "support/ChildProcess.h"
#include "vorlfont/opentype/SfntTestBuilder.h"

namespace oq {
namespace {

using test::Bytes;
using test::Latin;
using test::NameRecordSpec;
using test::Utf16;

// The face names of a font file built from bytes; none when it gives no resource.
std::optional<std::vector<std::string>> FaceNamesOf(const Bytes &file)
{
    FontBytesSource source(FontBytes{file.data(), file.size()});
    FontResource *resource = BuildFontResource("x.ttf", source);
    if (resource == nullptr) return std::nullopt;
    std::vector<std::string> names;
    for (KettricStructure *s = resource->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        names.emplace_back((*static_cast<KettricStringList *>(s))[0].GetText());
    delete resource;
    return names;
}

std::optional<std::string> FaceNameOf(const Bytes &nameTable)
{
    test::TestFace face = test::MinimalFace();
    face.Set("name", nameTable);
    auto names = FaceNamesOf(test::BuildSfnt({face}, false));
    if (!names) return std::nullopt;
    EXPECT_EQ(names->size(), 1u);
    return names->front();
}

// A name table and the face name it gives.
struct NameCase
{
    const char *what;
    Bytes table;
    const char *name;  // null: no name
};

template <size_t count>
void ExpectFaceNames(const NameCase (&cases)[count])
{
    for (const NameCase &c : cases)
    {
        SCOPED_TRACE(c.what);
        std::optional<std::string> name = FaceNameOf(c.table);
        if (c.name == nullptr)
            EXPECT_FALSE(name.has_value()) << *name;
        else
            EXPECT_EQ(name.value_or("(none)"), c.name);
    }
}

TEST(FaceNames, NamesFollowThePreferenceRules)
{
    const Bytes mac = {0x43, 0x61, 0x66, 0x8E, 0x20, 0xA5, 0xD0};  // Mac Roman "Café •–"
    const NameCase cases[] = {
        {"Mac family with Regular", test::NameTable({{1, 0, 0, 1, Latin("Foo")}, {1, 0, 0, 2, Latin("Regular")}}), "Foo"},
        {"Mac family with Bold", test::NameTable({{1, 0, 0, 1, Latin("Foo")}, {1, 0, 0, 2, Latin("Bold")}}), "Foo Bold"},
        {"Mac family with regular", test::NameTable({{1, 0, 0, 1, Latin("Foo")}, {1, 0, 0, 2, Latin("regular")}}), "Foo regular"},
        {"family without subfamily", test::NameTable({{3, 1, 0x409, 1, Utf16(u"Foo")}}), "Foo"},
        {"French full name first", test::NameTable({{3, 1, 0x40C, 4, Utf16(u"Nom")}, {3, 1, 0x409, 4, Utf16(u"Name")}}), "Name"},
        {"English full name first", test::NameTable({{3, 1, 0x409, 4, Utf16(u"Name")}, {3, 1, 0x40C, 4, Utf16(u"Nom")}}), "Name"},
        {"full name before families",
         test::NameTable({{3, 1, 0x409, 1, Utf16(u"Fam")}, {3, 1, 0x409, 4, Utf16(u"Full")}}), "Full"},
        {"typographic family and subfamily",
         test::NameTable({{3, 1, 0x409, 1, Utf16(u"Fam")}, {3, 1, 0x409, 2, Utf16(u"Bold")},
                          {3, 1, 0x409, 16, Utf16(u"Typo")}, {3, 1, 0x409, 17, Utf16(u"Light")}}), "Typo Light"},
        {"typographic family without its subfamily",
         test::NameTable({{3, 1, 0x409, 2, Utf16(u"Bold")}, {3, 1, 0x409, 16, Utf16(u"Typo")}}), "Typo"},
        {"unusable platforms skipped",
         test::NameTable({{3, 2, 0x409, 4, Utf16(u"Wide")}, {2, 0, 0, 4, Latin("Iso")}, {1, 1, 0, 4, Latin("Jp")},
                          {0, 3, 0, 4, Utf16(u"Uni")}}), "Uni"},
        {"format 1", test::NameTableFormat1({{3, 1, 0x8000, 4, Utf16(u"Tagged")}}, {Utf16(u"en")}), "Tagged"},
        {"padded storage", test::NameTable({{3, 1, 0x409, 4, Utf16(u"Padded")}}, 10), "Padded"},
        {"Mac Roman", test::NameTable({{1, 0, 0, 4, mac}}), "Caf\xC3\xA9 \xE2\x80\xA2\xE2\x80\x93"},
        {"Unicode 8-bit valid UTF-8", test::NameTable({{0, 0, 0, 4, Latin("Caf\xC3\xA9")}}), "Caf\xC3\xA9"},
        {"Unicode 8-bit not UTF-8", test::NameTable({{0, 0, 0, 4, mac}}), "Caf\xC3\xA9 \xE2\x80\xA2\xE2\x80\x93"},
        {"surrogates paired and lone, controls dropped",
         test::NameTable({{3, 10, 0x409, 4, Utf16(u"A\U0001D44E\xD800" u"b\x0001\n\x0085" u"c")}}),
         "A\xF0\x9D\x91\x8E\xEF\xBF\xBD" "bc"},
        {"zero units dropped", test::NameTable({{3, 1, 0x409, 4, Utf16(std::u16string(u"A\0B", 3))}}), "AB"},
        {"no records", test::NameTable({}), nullptr},
        {"only unusable records", test::NameTable({{3, 2, 0x409, 4, Utf16(u"Wide")}}), nullptr},
        {"only subfamily", test::NameTable({{3, 1, 0x409, 2, Utf16(u"Bold")}}), nullptr},
        {"empty full name", test::NameTable({{3, 1, 0x409, 4, Bytes()}}), nullptr},
        {"one-byte UTF-16 name", test::NameTable({{3, 1, 0x409, 4, Bytes{0x41}}}), nullptr},
        {"only control characters", test::NameTable({{3, 1, 0x409, 4, Utf16(u"\t\r")}}), nullptr},
        {"undecodable subfamily", test::NameTable({{3, 1, 0x409, 1, Utf16(u"Foo")}, {3, 1, 0x409, 2, Bytes()}}), nullptr},
    };
    ExpectFaceNames(cases);
}

TEST(FaceNames, DamagedNameTablesGiveNoName)
{
    Bytes good = test::NameTable({{3, 1, 0x409, 4, Utf16(u"Name")}});
    auto patched = [&good](size_t at, uint16_t value) {
        test::ByteWriter w{good};
        w.PutU16(at, value);
        return w.bytes;
    };
    const NameCase cases[] = {
        {"string past the table", patched(6 + 10, 100), nullptr},
        {"length past the table", patched(6 + 8, 200), nullptr},
        {"records past the table", patched(2, 40), nullptr},
        {"language tags past the table", patched(0, 1), nullptr},
        {"header cut short", Bytes(good.begin(), good.begin() + 4), nullptr},
        // A storage offset past the table's end falls back on the start after the records.
        {"storage offset past the table", patched(4, 0xFFFF), "Name"},
    };
    ExpectFaceNames(cases);

    test::TestFace face = test::MinimalFace();
    face.Remove("name");
    EXPECT_FALSE(FaceNamesOf(test::BuildSfnt({face}, false)).has_value());
}

// Every Mac Roman byte above 0x7F decodes as Python's mac_roman codec decodes it.
TEST(FaceNames, MacRomanAgreesWithPython)
{
    test::ProgramOutcome outcome = test::RunProgram(
        "/usr/bin/python3", "/",
        {"-c", "import sys; sys.stdout.buffer.write(bytes(range(0x80, 0x100)).decode('mac_roman').encode())"});
    ASSERT_EQ(outcome.exitCode, 0) << "python3 missing (make deps)";
    Bytes high;
    for (uint32_t byte = 0x80; byte < 0x100; ++byte) high.push_back(uint8_t(byte));
    EXPECT_EQ(FaceNameOf(test::NameTable({{1, 0, 0, 4, high}})).value_or("(none)"), outcome.output);
}

}  // namespace
}  // namespace oq
