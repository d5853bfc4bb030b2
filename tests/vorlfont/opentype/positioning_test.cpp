// Coverage, class-definition and value-record readers; ligature carets, kerning pairs and mark
// anchors read from hand-built positioning tables, with their bounds and limits.
#include "LayoutTestBuilder.h"

#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphMetricStructures.h"
#include "ambrel/GlyphStructure.h"
#include "vorlfont/opentype/LayoutCommon.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace oq {
namespace {

using test::Bytes;
using test::ByteWriter;
using test::LayoutLookup;
using test::TestFace;

FontBytes View(const Bytes &bytes)
{
    return FontBytes{bytes.data(), bytes.size()};
}

FontStructure *FirstFont(AmbrelDocument *document)
{
    for (KettricStructure *s = document->GetRootStructure()->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        if (s->GetStructureType() == 'font') return static_cast<FontStructure *>(s);
    return nullptr;
}

// Kerns as "second<first=value" (values in font units of a 1000-unit font), vertical ones with "v".
std::string DescribeKerns(FontStructure *font)
{
    std::ostringstream out;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        GlyphStructure *glyph = font->glyphTable[g];
        for (int v = 0; v < 2; ++v)
        {
            KernStructure *kern = (v ? glyph->verticalKerns : glyph->horizontalKerns).GetFirst();
            if (kern == nullptr) continue;
            const uint32_t *glyphs = nullptr;
            const float *values = nullptr;
            int32_t count = kern->GetGlyphs(&glyphs);
            kern->GetValues(&values);
            for (int32_t i = 0; i < count; ++i)
                out << (v ? "v" : "") << g << "<" << glyphs[i] << "=" << std::lround(values[i] * 1000) << " ";
        }
    }
    return out.str();
}

std::string DescribeAnchors(FontStructure *font)
{
    std::ostringstream out;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        GlyphStructure *glyph = font->glyphTable[g];
        for (int b = 0; b < 2; ++b)
        {
            const auto &list = b ? glyph->baseAnchors : glyph->markAnchors;
            for (AnchorStructure *a = list.GetFirst(); a; a = StructureList<AnchorStructure>::GetNext(a))
            {
                Point2D p = a->GetPosition();
                out << g << (b ? "b" : "m") << a->classIndex << "(" << std::lround(p.x * 1000) << ","
                    << std::lround(p.y * 1000) << ") ";
            }
        }
    }
    return out.str();
}

std::string DescribeCarets(FontStructure *font)
{
    std::ostringstream out;
    for (uint32_t g = 0; g < font->glyphCount; ++g)
    {
        int carets = 0;
        for (KettricStructure *s = font->glyphTable[g]->GetFirstSubnodeStructure(); s; s = s->GetNextStructure())
        {
            if (s->GetStructureType() != 'cart') continue;
            ++carets;
            const float *positions = nullptr;
            int32_t count = static_cast<CaretStructure *>(s)->GetPositions(&positions);
            out << g << ":";
            for (int32_t i = 0; i < count; ++i) out << std::lround(positions[i] * 1000) << (i + 1 < count ? "," : "");
            out << " ";
        }
        if (carets > 1) out << "DUPLICATE" << g << " ";
    }
    return out.str();
}

struct ImportResult
{
    AmbrelDocument document;
    uint32_t result = 0;
    FontStructure *font = nullptr;
};

void ImportFaces(const std::vector<TestFace> &faces, bool collection, ImportResult *out,
                 const std::vector<std::string> &shared = {})
{
    Bytes bytes = test::BuildSfnt(faces, collection, shared);
    out->result = ImportOpenTypeFont(bytes.data(), bytes.size(), &out->document);
    out->font = FirstFont(&out->document);
}

TestFace FaceWith(uint16_t glyphCount, const std::vector<std::pair<const char *, Bytes>> &tables)
{
    TestFace face = test::MinimalFace(glyphCount);
    for (auto &t : tables) face.Set(t.first, t.second);
    return face;
}

TEST(LayoutReaders, CoverageGlyphs)
{
    Bytes f1 = test::CoverageFormat1({5, 9, 2});
    Bytes f2 = test::CoverageFormat2({{10, 12, 0}, {20, 20, 3}});
    Bytes other{0, 3, 0, 1, 0, 5};
    Bytes truncated = test::CoverageFormat2({{10, 12, 0}});
    truncated.resize(8);
    struct Case { const Bytes *table; uint32_t index; uint32_t glyph; } cases[] = {
        {&f1, 0, 5}, {&f1, 2, 2}, {&f1, 3, 0},
        {&f2, 0, 10}, {&f2, 2, 12}, {&f2, 3, 20}, {&f2, 4, 0},
        {&other, 0, 0}, {&truncated, 0, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetCoverageGlyph(View(*c.table), 0, c.index), c.glyph) << c.index;
    // A range whose start index lies past its glyphs: the index maps below its start, so it gives none.
    Bytes shifted = test::CoverageFormat2({{10, 12, 5}});
    EXPECT_EQ(GetCoverageGlyph(View(shifted), 0, 0), 0u);
    EXPECT_EQ(GetCoverageGlyph(View(shifted), 0, 6), 11u);
}

std::string DescribeClasses(const ClassDefinitionList &list)
{
    std::ostringstream out;
    for (int32_t i = 0; i < list.GetEntries().GetElementCount(); ++i)
        out << list.GetEntries()[i].glyph << ":" << list.GetEntries()[i].classValue << " ";
    return out.str();
}

TEST(LayoutReaders, ClassDefinitionsKeepEachGlyphOnceBelowTheGlyphCount)
{
    struct Case { const char *name; Bytes classDef; Bytes coverage; std::string expected; } cases[] = {
        {"format 1 drops class 0", test::ClassDefFormat1(3, {1, 0, 2}), {}, "3:1 5:2 "},
        {"format 1 past the glyph count", test::ClassDefFormat1(8, {1, 1, 1, 1}), {}, "8:1 9:1 "},
        {"format 2 keeps class 0, range order", test::ClassDefFormat2({{6, 7, 0}, {2, 3, 4}}), {}, "6:0 7:0 2:4 3:4 "},
        {"overlapping ranges: the first wins", test::ClassDefFormat2({{2, 4, 1}, {0, 9, 2}, {3, 3, 5}}), {},
         "2:1 3:1 4:1 0:2 1:2 5:2 6:2 7:2 8:2 9:2 "},
        {"ranges clipped to the glyph count", test::ClassDefFormat2({{8, 60000, 1}, {12, 5, 2}}), {}, "8:1 9:1 "},
        {"coverage adds the rest as class 0", test::ClassDefFormat1(3, {1}), test::CoverageFormat1({3, 4, 4, 11}),
         "3:1 4:0 "},
        {"coverage ranges", test::ClassDefFormat2({}), test::CoverageFormat2({{1, 2, 0}, {2, 3, 2}}), "1:0 2:0 3:0 "},
        {"other format", Bytes{0, 7, 0, 1, 0, 1}, {}, ""},
    };
    for (const Case &c : cases)
    {
        ClassDefinitionList list(10);
        list.ReadClassDefinition(View(c.classDef), 0);
        if (!c.coverage.empty()) list.AddCoverageClassZero(View(c.coverage), 0);
        EXPECT_EQ(DescribeClasses(list), c.expected) << c.name;
    }

    // Thousands of overlapping full ranges list each glyph once.
    std::vector<std::vector<uint32_t>> ranges(20000, {0, 65535, 1});
    Bytes full = test::ClassDefFormat2(ranges);
    ClassDefinitionList list(65535);
    list.ReadClassDefinition(View(full), 0);
    list.ReadClassDefinition(View(full), 0);
    EXPECT_EQ(list.GetEntries().GetElementCount(), 65535);

    ClassDefinitionList sorted(10);
    Bytes mixed = test::ClassDefFormat2({{5, 6, 2}, {1, 1, 1}, {2, 3, 2}});
    sorted.ReadClassDefinition(View(mixed), 0);
    sorted.SortByClass();
    const GlyphClassEntry *entries = nullptr;
    ASSERT_EQ(sorted.GetClassEntries(2, &entries), 4);
    EXPECT_EQ(entries[0].glyph, 5u);
    EXPECT_EQ(entries[3].glyph, 3u);
    EXPECT_EQ(sorted.GetClassEntries(3, &entries), 0);
}

TEST(LayoutReaders, PairValues)
{
    // Record 1: XPlacement 1, YPlacement 2, XAdvance 3, YAdvance 4, XPlaDevice; record 2: XPlacement 5,
    // YPlacement 6, YAdvance 7.
    ByteWriter w;
    w.U16(1).U16(2).U16(3).U16(4).U16(0x99).U16(5).U16(6).U16(7).U16(0xFFFF);
    struct Case { uint32_t vf1, vf2; bool vertical; int32_t value; uint64_t end; } cases[] = {
        {0x1F, 0x0B, false, 3 + 5, 16},
        {0x1F, 0x0B, true, 4 + 6, 16},
        {0x04, 0x00, false, 1, 2},
        {0x00, 0x01, false, 1, 2},
        {0x04, 0x01, false, 1 + 2, 4},
        {0xFF04, 0x0001, false, 1 + 2, 4},  // high bits ignored
        {0x02, 0x08, true, 0, 4},            // neither YAdvance nor YPlacement
    };
    for (const Case &c : cases)
    {
        uint64_t position = 0;
        EXPECT_EQ(ReadPairValue(View(w.bytes), &position, c.vf1, c.vf2, c.vertical), c.value) << c.vf1 << " " << c.vf2;
        EXPECT_EQ(position, c.end);
    }
    // Past the end reads as 0.
    uint64_t position = 16;
    EXPECT_EQ(ReadPairValue(View(w.bytes), &position, 0x04, 0x01, false), -1);
    EXPECT_EQ(ReadPairValue(View(w.bytes), &position, 0x04, 0x01, false), 0);
}

// Glyphs: 1 A, 2 V, 3 T, 4 o, ...
TEST(Kerning, PairsFirstValueWinsAndGposBeforeKern)
{
    Bytes first = test::PairFormat1(0x4, 0, {1}, {{{2, -80}, {3, 0}}});
    Bytes second = test::PairFormat1(0x4, 0, {1, 3}, {{{2, -30}}, {{4, 25}}});
    Bytes gpos = test::LayoutTableBytes({{"kern", {0}}, {"liga", {1}}, {"kern", {0, 1}}},
                                        {{2, {first, second}}, {2, {test::PairFormat1(0x4, 0, {1}, {{{4, 99}}})}}});
    ByteWriter kern;
    kern.U16(0).U16(1).U16(0).U16(6 + 14 + 12).U16(1).U16(2).Zeros(6);
    kern.U16(1).U16(2).U16(0xFFFF - 9).U16(4).U16(5).U16(12);
    ImportResult r;
    ImportFaces({FaceWith(8, {{"GPOS", gpos}, {"kern", kern.bytes}})}, false, &r);
    ASSERT_EQ(r.result, 0u);
    EXPECT_EQ(DescribeKerns(r.font), "2<1=-80 4<3=25 4<1=99 5<4=12 ");
}

// Within a lookup only the first pair subtable that covers a pair applies, whatever its value: a
// format-1 subtable covers the pairs it lists, a format-2 one every pair whose first glyph its
// coverage holds (with a class below the class count). Later lookups still add their pairs.
TEST(Kerning, LaterSubtablesOfALookup)
{
    Bytes zeroAt2 = test::PairFormat1(0x4, 0, {1}, {{{2, 0}}});
    Bytes only3 = test::PairFormat1(0x4, 0, {1}, {{{3, -10}}});
    Bytes later = test::PairFormat1(0x4, 0, {1}, {{{2, -30}}});
    // Glyphs 2 and 3 are class 1 of definition 2; class pair (0, 1) kerns by -50.
    Bytes classes = test::PairFormat2(0x4, 0, test::CoverageFormat1({1}), test::ClassDefFormat1(1, {0}),
                                      test::ClassDefFormat1(2, {1, 1}), 1, 2, {0, -50});
    Bytes classZero = test::PairFormat2(0x4, 0, test::CoverageFormat1({1}), test::ClassDefFormat1(1, {0}),
                                        test::ClassDefFormat1(2, {1, 1}), 1, 2, {0, 0});
    // Only a YPlacement: no horizontal value, but the pairs are covered.
    Bytes placement = test::PairFormat2(0x2, 0, test::CoverageFormat1({1}), test::ClassDefFormat1(1, {0}),
                                        test::ClassDefFormat1(2, {1, 1}), 1, 2, {0, 0});
    // Definition 1 names glyph 1, the coverage does not hold it.
    Bytes uncovered = test::PairFormat2(0x4, 0, test::CoverageFormat1({5}), test::ClassDefFormat1(1, {1}),
                                        test::ClassDefFormat1(2, {1, 1}), 2, 2, {0, 0, 0, 0});
    // Glyph 1 is of class 3 with a class count of 2.
    Bytes pastClasses = test::PairFormat2(0x4, 0, test::CoverageFormat1({1}), test::ClassDefFormat1(1, {3}),
                                          test::ClassDefFormat1(2, {1, 1}), 2, 2, {0, 0, 0, 0});
    const struct
    {
        const char *name;
        std::vector<LayoutLookup> lookups;
        std::string expected;
    } cases[] = {
        {"a listed 0 hides the class value", {{2, {zeroAt2, classes}}}, "3<1=-50 "},
        {"a class value of 0 hides the listed one", {{2, {classZero, later}}}, ""},
        {"a pair a subtable does not list stays open", {{2, {only3, later}}}, "2<1=-30 3<1=-10 "},
        {"a subtable without horizontal values covers", {{2, {placement, later}}}, ""},
        {"a first glyph outside the coverage stays open", {{2, {uncovered, later}}}, "2<1=-30 "},
        {"a first glyph past the class count stays open", {{2, {pastClasses, later}}}, "2<1=-30 "},
        {"a later lookup adds its pairs", {{2, {classZero}}, {2, {later}}}, "2<1=-30 "},
    };
    for (const auto &c : cases)
    {
        std::vector<uint32_t> indices;
        for (uint32_t l = 0; l < c.lookups.size(); ++l) indices.push_back(l);
        ImportResult r;
        ImportFaces({FaceWith(8, {{"GPOS", test::LayoutTableBytes({{"kern", indices}}, c.lookups)}})}, false, &r);
        ASSERT_EQ(r.result, 0u) << c.name;
        EXPECT_EQ(DescribeKerns(r.font), c.expected) << c.name;
    }
}

TEST(Kerning, ClassPairs)
{
    // Class 1 of definition 1: glyph 1; coverage adds 3 as class 0. Definition 2: glyph 2 class 1.
    std::vector<int> values{/*c1 0*/ 7, 11, /*c1 1*/ -5, -40};
    struct Case { const char *name; Bytes classDef2; std::string expected; } cases[] = {
        {"format 1 never names class 0", test::ClassDefFormat1(2, {1}), "2<3=11 2<1=-40 "},
        {"format 2 class-0 range", test::ClassDefFormat2({{2, 2, 1}, {4, 5, 0}}),
         "2<3=11 2<1=-40 4<3=7 4<1=-5 5<3=7 5<1=-5 "},
    };
    for (const Case &c : cases)
    {
        Bytes pair = test::PairFormat2(0x4, 0, test::CoverageFormat1({1, 3}), test::ClassDefFormat1(1, {1}),
                                       c.classDef2, 2, 2, values);
        ImportResult r;
        ImportFaces({FaceWith(8, {{"GPOS", test::LayoutTableBytes({{"kern", {0}}}, {{9, {test::Extension(2, pair)}}})}})},
                    false, &r);
        ASSERT_EQ(r.result, 0u) << c.name;
        EXPECT_EQ(DescribeKerns(r.font), c.expected) << c.name;
    }
}

TEST(Kerning, VerticalAndSkippedFormats)
{
    // vf1 YAdvance (0x8) and vf2 YPlacement (0x2).
    Bytes vertical = test::PairFormat1(0x8, 0x2, {1}, {{{2, -20, -3}}});
    // Only placements in the first record and advances in the second: nothing to kern.
    Bytes flat = test::PairFormat1(0x3, 0xC, {1}, {{{3, 50, 50, 50, 50}}});
    Bytes gpos = test::LayoutTableBytes({{"vkrn", {0}}, {"kern", {1, 0}}}, {{2, {vertical}}, {2, {flat}}});
    ImportResult r;
    ImportFaces({FaceWith(8, {{"GPOS", gpos}})}, false, &r);
    ASSERT_EQ(r.result, 0u);
    // The vkrn lookup named again under kern reads XAdvance/XPlacement, absent there.
    EXPECT_EQ(DescribeKerns(r.font), "v2<1=-23 ");
}

TEST(Kerning, BoundsAndLimits)
{
    Bytes good = test::PairFormat1(0x4, 0, {1}, {{{2, -80}}});
    Bytes gpos = test::LayoutTableBytes({{"kern", {0}}}, {{2, {good}}});
    struct Case { const char *name; size_t at; uint32_t value; uint32_t result; } cases[] = {
        {"feature list past the end", 6, 0xFFF0, 'CRPT'},
        {"lookup list past the end", 8, 0xFFF0, 'CRPT'},
        {"feature table past the end", 10 + 2 + 4, 0xFFF0, 'CRPT'},
        {"lookup index past the count", 10 + 8 + 4, 7, 0},
    };
    for (const Case &c : cases)
    {
        Bytes bytes = gpos;
        ByteWriter w{bytes};
        w.PutU16(c.at, c.value);
        ImportResult r;
        ImportFaces({FaceWith(8, {{"GPOS", w.bytes}})}, false, &r);
        EXPECT_EQ(r.result, c.result) << c.name;
    }
    // Coverage offset past the end.
    Bytes badCoverage = good;
    ByteWriter bc{badCoverage};
    bc.PutU16(2, 0xF000);
    ImportResult r1;
    ImportFaces({FaceWith(8, {{"GPOS", test::LayoutTableBytes({{"kern", {0}}}, {{2, {bc.bytes}}})}})}, false, &r1);
    EXPECT_EQ(r1.result, 'CRPT');

    // Overlapping full ranges on both sides in a large font: billions of pairs, stopped at the cap.
    std::vector<std::vector<uint32_t>> full(2000, {0, 65535, 1});
    Bytes huge = test::PairFormat2(0x4, 0, test::CoverageFormat2({{0, 65535, 0}}), test::ClassDefFormat2(full),
                                   test::ClassDefFormat2(full), 2, 2, {0, 0, 0, 5});
    ImportResult r2;
    ImportFaces({FaceWith(65535, {{"GPOS", test::LayoutTableBytes({{"kern", {0}}}, {{2, {huge}}})}})}, false, &r2);
    EXPECT_EQ(r2.result, 'CRPT');

    // Thousands of feature records naming one lookup read it once.
    std::vector<std::pair<const char *, std::vector<uint32_t>>> features(5000, {"kern", {0}});
    ImportResult r3;
    ImportFaces({FaceWith(8, {{"GPOS", test::LayoutTableBytes(features, {{2, {good}}})}})}, false, &r3);
    ASSERT_EQ(r3.result, 0u);
    EXPECT_EQ(DescribeKerns(r3.font), "2<1=-80 ");
}

Bytes GdefWithCarets(const std::vector<uint32_t> &glyphs, const std::vector<std::vector<std::pair<int, int>>> &carets)
{
    // Carets as {format, value}.
    ByteWriter list;
    list.U16(0).U16(uint32_t(glyphs.size()));
    for (size_t i = 0; i < glyphs.size(); ++i) list.U16(0);
    list.PutU16(0, uint32_t(list.bytes.size()));
    list.Raw(test::CoverageFormat1(glyphs));
    for (size_t i = 0; i < carets.size(); ++i)
    {
        size_t at = list.bytes.size();
        list.PutU16(4 + 2 * i, uint32_t(at));
        list.U16(uint32_t(carets[i].size()));
        for (size_t k = 0; k < carets[i].size(); ++k) list.U16(0);
        for (size_t k = 0; k < carets[i].size(); ++k)
        {
            list.PutU16(at + 2 + 2 * k, uint32_t(list.bytes.size() - at));
            list.U16(uint32_t(carets[i][k].first)).U16(uint32_t(carets[i][k].second) & 0xFFFF);
        }
    }
    ByteWriter gdef;
    gdef.U32(0x00010000).U16(0).U16(0).U16(12).U16(0).Raw(list.bytes);
    return gdef.bytes;
}

TEST(LigatureCarets, CaretListsAndSharedCollections)
{
    Bytes gdef = GdefWithCarets({5, 6, 7, 0}, {{{1, 300}, {3, 600}}, {{1, 100}, {2, 4}}, {}, {{1, 5}}});
    ImportResult r;
    ImportFaces({FaceWith(8, {{"GDEF", gdef}})}, false, &r);
    ASSERT_EQ(r.result, 0u);
    EXPECT_EQ(DescribeCarets(r.font), "5:300,600 ");
    EXPECT_EQ(r.font->glyphTable[5]->caret, static_cast<CaretStructure *>(r.font->glyphTable[5]->GetFirstSubstructure('cart')));

    // Two faces sharing glyphs and the caret list: one Caret, and the import succeeds.
    TestFace face = FaceWith(8, {{"GDEF", gdef}});
    ImportResult shared;
    ImportFaces({face, face}, true, &shared, {"head", "hhea", "maxp", "hmtx", "GDEF"});
    ASSERT_EQ(shared.result, 0u);
    EXPECT_EQ(DescribeCarets(shared.font), "5:300,600 ");

    struct Case { const char *name; size_t at; uint32_t value; } cases[] = {
        {"caret list past the end", 8, 0xFF00},
        {"coverage past the end", 12, 0xFF00},
        {"lig glyph past the end", 12 + 4, 0xFF00},
    };
    for (const Case &c : cases)
    {
        ByteWriter w{gdef};
        w.PutU16(c.at, c.value);
        ImportResult bad;
        ImportFaces({FaceWith(8, {{"GDEF", w.bytes}})}, false, &bad);
        EXPECT_EQ(bad.result, 'CRPT') << c.name;
    }
}

// Mark-to-base or mark-to-mark subtable: marks {glyph, class, x, y}, bases with per-class anchors
// (null when absent).
Bytes MarkAttachment(uint32_t classCount, const std::vector<std::vector<int>> &marks,
                     const std::vector<std::pair<uint32_t, std::vector<std::vector<int>>>> &bases)
{
    std::vector<uint32_t> markGlyphs, baseGlyphs;
    for (auto &m : marks) markGlyphs.push_back(uint32_t(m[0]));
    for (auto &b : bases) baseGlyphs.push_back(b.first);
    ByteWriter markArray;
    markArray.U16(uint32_t(marks.size()));
    for (size_t i = 0; i < marks.size(); ++i) markArray.U16(uint32_t(marks[i][1])).U16(0);
    for (size_t i = 0; i < marks.size(); ++i)
    {
        markArray.PutU16(2 + 4 * i + 2, uint32_t(markArray.bytes.size()));
        markArray.U16(1).U16(uint32_t(marks[i][2]) & 0xFFFF).U16(uint32_t(marks[i][3]) & 0xFFFF);
    }
    ByteWriter baseArray;
    baseArray.U16(uint32_t(bases.size()));
    for (size_t i = 0; i < bases.size(); ++i) for (uint32_t c = 0; c < classCount; ++c) baseArray.U16(0);
    for (size_t i = 0; i < bases.size(); ++i)
    {
        for (uint32_t c = 0; c < classCount; ++c)
        {
            const auto &anchor = bases[i].second[c];
            if (anchor.empty()) continue;
            baseArray.PutU16(2 + 2 * (i * classCount + c), uint32_t(baseArray.bytes.size()));
            baseArray.U16(1).U16(uint32_t(anchor[0]) & 0xFFFF).U16(uint32_t(anchor[1]) & 0xFFFF);
        }
    }
    ByteWriter head;
    head.U16(1).U16(0).U16(0).U16(classCount).U16(0).U16(0);
    return test::WithBlocks(head, {{2, test::CoverageFormat1(markGlyphs)}, {4, test::CoverageFormat1(baseGlyphs)},
                                   {8, markArray.bytes}, {10, baseArray.bytes}});
}

TEST(MarkAnchors, ClassIndicesPerSubtableAndFeature)
{
    Bytes three = MarkAttachment(3, {{5, 0, 10, 20}, {6, 2, 30, 40}, {7, 9, 1, 1}},
                                 {{1, {{100, 200}, {}, {300, 400}}}});
    Bytes two = MarkAttachment(2, {{5, 1, 11, 21}}, {{2, {{1, 2}, {3, 4}}}});
    Bytes mkmk = MarkAttachment(1, {{6, 0, 50, 60}}, {{5, {{70, 80}}}});
    Bytes gpos = test::LayoutTableBytes({{"mark", {0}}, {"kern", {0}}, {"mkmk", {1}}},
                                        {{9, {test::Extension(4, three), test::Extension(4, two)}}, {6, {mkmk}}});
    ImportResult r;
    ImportFaces({FaceWith(8, {{"GPOS", gpos}})}, false, &r);
    ASSERT_EQ(r.result, 0u);
    EXPECT_EQ(DescribeAnchors(r.font),
              "1b0(100,200) 1b2(300,400) 2b3(1,2) 2b4(3,4) 5m0(10,20) 5m4(11,21) 5b65536(70,80) 6m2(30,40) "
              "6m65536(50,60) ");

    // A lookup named by two records is read twice, with new class indices.
    Bytes again = test::LayoutTableBytes({{"mark", {0}}, {"abvm", {0}}}, {{4, {two}}});
    ImportResult twice;
    ImportFaces({FaceWith(8, {{"GPOS", again}})}, false, &twice);
    ASSERT_EQ(twice.result, 0u);
    EXPECT_EQ(DescribeAnchors(twice.font), "2b0(1,2) 2b1(3,4) 2b2(1,2) 2b3(3,4) 5m1(11,21) 5m3(11,21) ");

    // Offsets past the end fail.
    for (size_t field : {2, 4, 8, 10})
    {
        ByteWriter w{two};
        w.PutU16(field, 0xF000);
        ImportResult bad;
        ImportFaces({FaceWith(8, {{"GPOS", test::LayoutTableBytes({{"mark", {0}}}, {{4, {w.bytes}}})}})}, false, &bad);
        EXPECT_EQ(bad.result, 'CRPT') << field;
    }
    ByteWriter anchor{two};
    anchor.PutU16(anchor.bytes.size() - 12 - 4, 0xF000);  // the first base anchor offset
    ImportResult badAnchor;
    ImportFaces({FaceWith(8, {{"GPOS", test::LayoutTableBytes({{"mark", {0}}}, {{4, {anchor.bytes}}})}})}, false,
                &badAnchor);
    EXPECT_EQ(badAnchor.result, 'CRPT');
}

TEST(MarkAnchors, AnchorCap)
{
    // 30 bases of 1000 classes whose offsets all point at one anchor, named by 40 feature records:
    // 1.2 million anchors.
    ByteWriter baseArray;
    baseArray.U16(30);
    uint32_t anchorAt = 2 + 2 * 30 * 1000;
    for (int i = 0; i < 30 * 1000; ++i) baseArray.U16(anchorAt);
    baseArray.U16(1).U16(5).U16(6);
    std::vector<uint32_t> glyphs;
    for (uint32_t g = 1; g <= 30; ++g) glyphs.push_back(g);
    ByteWriter head;
    head.U16(1).U16(0).U16(0).U16(1000).U16(0).U16(0);
    Bytes big = test::WithBlocks(head, {{2, test::CoverageFormat1({})}, {4, test::CoverageFormat1(glyphs)},
                                        {8, Bytes{0, 0}}, {10, baseArray.bytes}});
    std::vector<std::pair<const char *, std::vector<uint32_t>>> features(40, {"mark", {0}});
    ImportResult r;
    ImportFaces({FaceWith(40, {{"GPOS", test::LayoutTableBytes(features, {{4, {big}}})}})}, false, &r);
    EXPECT_EQ(r.result, 'CRPT');
}

}  // namespace
}  // namespace oq
