// The import driver: file kinds, collections, the header checks and their result codes.
#include "ImportDump.h"
#include "SfntTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <gtest/gtest.h>

#include <functional>

namespace oq {
namespace {

using test::Bytes;
using test::TestFace;

uint32_t Import(const Bytes &bytes, AmbrelDocument *document)
{
    return ImportOpenTypeFont(bytes.data(), bytes.size(), document);
}

int CountTopLevelFonts(AmbrelDocument *document)
{
    int count = 0;
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        count += s->GetStructureType() == 'font';
    return count;
}

int CountMembers(KettricStructure *font)
{
    int count = 0;
    for (KettricStructure *s = font->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        count += s->GetStructureType() == 'font';
    return count;
}

TEST(OpenTypeImport, SingleFaceMakesOneResolvedFont)
{
    AmbrelDocument document;
    ASSERT_EQ(Import(test::BuildSfnt({test::MinimalFace()}, false), &document), 0u);
    EXPECT_EQ(test::DumpImportedFonts(&document),
              "font\nunits 1000 glyphs 4\nname \"Sample\" \"Regular\"\n"
              "metric ascent 0.800000012\nmetric descent -0.200000003\nmetric line_gap 0.0900000036\n"
              "cmap 65 2 1\n"
              "glyph 0 advance 0.5 1 bearing 0.00500000035\nglyph 1 advance 0.5 1 bearing 0.0100000007\n"
              "glyph 2 advance 0.5 1 bearing 0.0200000014\nglyph 3 advance 0.5 1 bearing 0.0300000012\n");
    ASSERT_EQ(document.fontList.GetFirst() != nullptr, true);
    const FontStructure *font = document.fontList.GetFirst();
    EXPECT_EQ(font->glyphCount, 4u);
    EXPECT_EQ(font->characterTable != nullptr && font->characterTable->Get(0x42) == 2, true);
}

// A face edited by the case, and the code the import returns.
struct FaceCase
{
    const char *name;
    std::function<void(TestFace *)> edit;
    uint32_t result;
};

TEST(OpenTypeImport, HeaderAndTableChecks)
{
    const FaceCase cases[] = {
        {"units 64", [](TestFace *f) { f->Set("head", test::HeadTable(64)); }, 0},
        {"units 16384", [](TestFace *f) { f->Set("head", test::HeadTable(16384)); }, 0},
        {"units 63", [](TestFace *f) { f->Set("head", test::HeadTable(63)); }, 'UNIT'},
        {"units 16385", [](TestFace *f) { f->Set("head", test::HeadTable(16385)); }, 'UNIT'},
        {"no head", [](TestFace *f) { f->Remove("head"); }, 'INVL'},
        {"bad magic", [](TestFace *f) { (*f->Find("head"))[12] = 0; }, 'INVL'},
        {"head version 2", [](TestFace *f) { (*f->Find("head"))[1] = 2; }, 'INVL'},
        {"short head", [](TestFace *f) { f->Find("head")->resize(19); }, 'CRPT'},
        {"no hhea", [](TestFace *f) { f->Remove("hhea"); }, 'MSHH'},
        {"hhea version", [](TestFace *f) { (*f->Find("hhea"))[3] = 1; }, 'HHEA'},
        {"no maxp", [](TestFace *f) { f->Remove("maxp"); }, 'MSMP'},
        {"maxp version", [](TestFace *f) { f->Set("maxp", test::MaxpTable(4, 0x00020000)); }, 'MAXP'},
        {"maxp 1.0", [](TestFace *f) { f->Set("maxp", test::MaxpTable(4, 0x00010000)); }, 0},
        {"no name", [](TestFace *f) { f->Remove("name"); }, 'MNAM'},
        {"no cmap", [](TestFace *f) { f->Remove("cmap"); }, 'MSCM'},
        {"cmap version", [](TestFace *f) { (*f->Find("cmap"))[1] = 1; }, 'CMAP'},
        {"only (1, 0)", [](TestFace *f) { (*f->Find("cmap"))[5] = 1; (*f->Find("cmap"))[7] = 0; }, 'CMAP'},
        {"no hmtx", [](TestFace *f) { f->Remove("hmtx"); }, 'MSHM'},
        {"short hmtx", [](TestFace *f) { f->Find("hmtx")->resize(9); }, 'CRPT'},
        {"hmtx exact", [](TestFace *f) { f->Find("hmtx")->resize(10); }, 0},
        {"no long metrics", [](TestFace *f) { f->Set("hhea", test::HheaTable(800, -200, 0, 0)); }, 'HHEA'},
        {"long metrics above count", [](TestFace *f) { f->Set("hhea", test::HheaTable(800, -200, 0, 5)); }, 'HHEA'},
        {"short hhea", [](TestFace *f) { f->Find("hhea")->resize(34); }, 'CRPT'},
        {"math offset at end", [](TestFace *f) { f->Set("MATH", {0, 1, 0, 0, 0, 6}); }, 'CRPT'},
        {"math axis", [](TestFace *f) { f->Set("MATH", {0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 250}); }, 0},
        {"no outlines", [](TestFace *f) { f->Remove("glyf"); f->Remove("loca"); }, 'MSGL'},
        {"no loca", [](TestFace *f) { f->Remove("loca"); }, 'MSLO'},
        {"loca format 2", [](TestFace *f) { f->Set("head", test::HeadTable(1000, 2)); }, 'LOCA'},
        {"long format loca of short size", [](TestFace *f) { f->Set("head", test::HeadTable(1000, 1)); }, 'CRPT'},
        {"loca one entry short", [](TestFace *f) { f->Find("loca")->resize(8); }, 'CRPT'},
        {"loca past glyf", [](TestFace *f) { (*f->Find("loca"))[9] = 2; }, 'CRPT'},
    };
    for (const FaceCase &c : cases)
    {
        TestFace face = test::MinimalFace();
        c.edit(&face);
        AmbrelDocument document;
        EXPECT_EQ(Import(test::BuildSfnt({face}, false), &document), c.result) << c.name;
    }
}

TEST(OpenTypeImport, FileKindsAndCollectionHeaders)
{
    AmbrelDocument unused;
    // Not a face at all, or a face tag in the wrong place.
    EXPECT_EQ(Import(test::BuildSfnt({test::MinimalFace()}, false, {}, 'wOFF'), &unused), 'INVL');
    EXPECT_EQ(Import(test::BuildSfnt({test::MinimalFace()}, false, {}, 'OTTO'), &unused), 0u);  // glyf read all the same
    EXPECT_EQ(Import(Bytes{0, 1, 0}, &unused), 'CRPT');

    const struct
    {
        const char *name;
        uint32_t faceCount;
        uint32_t result;
    } counts[] = {
        {"no faces", 0, 'CRPT'}, {"top bit", 0x80000001u, 'CRPT'}, {"beyond the file", 100000, 'CRPT'},
    };
    for (const auto &c : counts)
    {
        Bytes bytes = test::BuildSfnt({test::MinimalFace()}, true);
        bytes[8] = uint8_t(c.faceCount >> 24);
        bytes[9] = uint8_t(c.faceCount >> 16);
        bytes[10] = uint8_t(c.faceCount >> 8);
        bytes[11] = uint8_t(c.faceCount);
        AmbrelDocument document;
        EXPECT_EQ(Import(bytes, &document), c.result) << c.name;
        EXPECT_EQ(CountTopLevelFonts(&document), 0) << c.name;
    }

    // More faces than a collection may have, every offset naming the same face.
    for (uint32_t faceCount : {3u, kMaxCollectionFaces + 1})
    {
        Bytes face = test::BuildSfnt({test::MinimalFace()}, false);
        test::ByteWriter w;
        w.Tag("ttcf").U32(0x00010000).U32(faceCount);
        uint32_t start = 12 + 4 * faceCount;
        for (uint32_t i = 0; i < faceCount; ++i) w.U32(start);
        // The face's table offsets count from the start of the file.
        Bytes moved = face;
        test::ByteWriter m{moved};
        for (uint32_t t = 0; t < (uint32_t(face[4]) << 8 | face[5]); ++t)
            m.PutU32(12 + 16 * t + 8, (uint32_t(face[20 + 16 * t]) << 24 | uint32_t(face[21 + 16 * t]) << 16 |
                                       uint32_t(face[22 + 16 * t]) << 8 | face[23 + 16 * t]) + start);
        w.Raw(m.bytes);
        AmbrelDocument document;
        EXPECT_EQ(Import(w.bytes, &document), faceCount == 3 ? 0u : kResultCorrupt) << faceCount;
    }

    // An offset table offset past the file.
    Bytes bytes = test::BuildSfnt({test::MinimalFace(), test::MinimalFace()}, true);
    bytes[16] = 0x7F;
    AmbrelDocument document;
    EXPECT_EQ(Import(bytes, &document), 'CRPT');

    // A face whose version is 'ttcf'.
    Bytes nested = test::BuildSfnt({test::MinimalFace()}, true, {}, kCollectionTag);
    AmbrelDocument nestedDocument;
    EXPECT_EQ(Import(nested, &nestedDocument), 'INVL');
}

TEST(OpenTypeImport, CollectionsShareOrNot)
{
    const std::vector<std::string> shared = {"head", "hhea", "maxp", "hmtx", "glyf", "loca"};
    TestFace second = test::MinimalFace();
    second.Set("name", test::NameTable({{3, 1, 0x409, 1, test::Utf16(u"Sample")}, {3, 1, 0x409, 2, test::Utf16(u"Bold")}}));

    // One face: a parent with one member.
    {
        AmbrelDocument document;
        ASSERT_EQ(Import(test::BuildSfnt({test::MinimalFace()}, true), &document), 0u);
        ASSERT_EQ(CountTopLevelFonts(&document), 1);
        EXPECT_EQ(CountMembers(document.GetRootStructure()->GetFirstSubnodeStructure()), 1);
    }
    // Two faces on the same glyph tables: one parent with two members, in order.
    {
        AmbrelDocument document;
        ASSERT_EQ(Import(test::BuildSfnt({test::MinimalFace(), second}, true, shared), &document), 0u);
        std::string dump = test::DumpImportedFonts(&document);
        EXPECT_EQ(CountTopLevelFonts(&document), 1);
        EXPECT_EQ(CountMembers(document.GetRootStructure()->GetFirstSubnodeStructure()), 2);
        EXPECT_LT(dump.find("\"Regular\""), dump.find("\"Bold\""));
    }
    // Own 'hmtx', or a different glyph count: two independent Fonts.
    {
        AmbrelDocument document;
        ASSERT_EQ(Import(test::BuildSfnt({test::MinimalFace(), second}, true, {"head", "hhea", "maxp"}), &document), 0u);
        EXPECT_EQ(CountTopLevelFonts(&document), 2);
        EXPECT_EQ(CountMembers(document.GetRootStructure()->GetFirstSubnodeStructure()), 0);
    }
    {
        AmbrelDocument document;
        TestFace more = test::MinimalFace(5);
        ASSERT_EQ(Import(test::BuildSfnt({test::MinimalFace(), more}, true, {"hmtx"}), &document), 0u);
        EXPECT_EQ(CountTopLevelFonts(&document), 2);
    }
    // A second face without 'hhea' is not shared: its own import reports it.
    {
        AmbrelDocument document;
        TestFace broken = second;
        broken.Remove("hhea");
        EXPECT_EQ(Import(test::BuildSfnt({test::MinimalFace(), broken}, true, {"head", "maxp", "hmtx"}), &document),
                  'MSHH');
        EXPECT_EQ(CountTopLevelFonts(&document), 2);
    }
}

TEST(OpenTypeImport, CollectionShareTest)
{
    const std::vector<std::string> shared = {"head", "hhea", "maxp", "hmtx", "glyf", "loca", "COLR"};
    TestFace first = test::MinimalFace();
    first.Set("glyf", Bytes(4, 0));
    first.Set("loca", Bytes(10, 0));
    first.Set("COLR", Bytes(14, 0));
    const struct
    {
        const char *name;
        std::function<void(TestFace *)> edit;
        std::vector<std::string> tags;
        bool shares;
    } cases[] = {
        {"same tables", [](TestFace *) {}, shared, true},
        {"own glyf", [](TestFace *) {}, {"head", "hhea", "maxp", "hmtx", "loca", "COLR"}, false},
        {"no loca", [](TestFace *f) { f->Remove("loca"); }, shared, false},
        {"no COLR", [](TestFace *f) { f->Remove("COLR"); }, shared, false},
        {"other units", [](TestFace *f) { f->Set("head", test::HeadTable(2048)); }, {"hhea", "maxp", "hmtx", "glyf", "loca", "COLR"}, false},
        {"other loca format", [](TestFace *f) { f->Set("head", test::HeadTable(1000, 1)); }, {"hhea", "maxp", "hmtx", "glyf", "loca", "COLR"}, false},
        {"equal values, own header tables", [](TestFace *) {}, {"hmtx", "glyf", "loca", "COLR"}, true},
    };
    for (const auto &c : cases)
    {
        TestFace other = first;
        c.edit(&other);
        Bytes bytes = test::BuildSfnt({first, other}, true, c.tags);
        EXPECT_EQ(CollectionSharesTables(FontBytes{bytes.data(), bytes.size()}, 2), c.shares) << c.name;
    }
}

TEST(OpenTypeImport, TablesMustLieInsideTheFile)
{
    Bytes good = test::BuildSfnt({test::MinimalFace()}, false);
    // Record 0 is 'head': offset and length past the end, and a sum that overflows 32 bits.
    const struct
    {
        uint32_t offset, length;
    } records[] = {{uint32_t(good.size()), 1}, {0xFFFFFFF0u, 0x20}, {16, uint32_t(good.size())}};
    for (const auto &r : records)
    {
        Bytes bytes = good;
        test::ByteWriter w{bytes};
        w.PutU32(12 + 8, r.offset);
        w.PutU32(12 + 12, r.length);
        AmbrelDocument document;
        EXPECT_EQ(Import(w.bytes, &document), 'CRPT') << r.offset << " " << r.length;
    }
    // More records than the file holds.
    Bytes bytes = good;
    bytes[4] = 0xFF;
    AmbrelDocument document;
    EXPECT_EQ(Import(bytes, &document), 'CRPT');
}

}  // namespace
}  // namespace oq
