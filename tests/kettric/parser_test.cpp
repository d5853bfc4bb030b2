// Kettric documents: grammar, result codes and error lines, a small format, name maps and deep nesting.
#include "SketchFormat.h"

#include "kettric/KettricLiterals.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace oq {
namespace {

using test::SketchCircle;
using test::SketchDocument;
using test::SketchGroup;
using test::SketchLink;

std::string CodeText(uint32_t code)
{
    if (code == 0) return "0";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>(code >> shift);
    return s;
}

struct ParseCase
{
    const char *text;
    KettricResult result;
    int32_t line;  // error line; 0 for success
};

// Every result code the language produces, with the line where parsing stopped.
const ParseCase kParseCases[] = {
    {"", 0, 0},
    {"// only a comment\n/* and another */\n", 0, 0},
    {"Group {} Link (to = $x) {}\n", test::kSketchResultUnresolvedLink, 1},
    {"A {} }", kResultSyntax, 1},
    {"A {\n", kResultIdentifierMissing, 2},
    {"float {", kResultFloatInvalid, 1},
    {"A { B {}\n", kResultSyntax, 2},
    {"Group {}\nx", kResultSyntax, 2},
    {"Group $x {} Group $x {}", kResultStructureNameExists, 1},
    {"Group %x {}\nGroup %x {}", kResultStructureNameExists, 2},
    {"Group { Group %x {} } Group { Group %x {} }", 0, 0},
    {"Group $n {} Zzz $n {}", kResultStructureNameExists, 1},
    {"Zzz $n {} Group $n {}", 0, 0},
    {"Zzz { float {1} Group $g {} }", 0, 0},
    {"float[0] {}", kResultArraySize, 1},
    {"float[257] {}", kResultArraySize, 1},
    {"float[-1] {}", kResultArraySize, 1},
    {"float[+2] {}", 0, 0},
    {"float[0x_2] {}", kResultSyntax, 1},
    {"float[2 {}", kResultArraySizeSyntax, 1},
    {"float[2]* {}", 0, 0},
    {"float (a = 1) {}", kResultSyntax, 1},
    {"A [2] {}", kResultSyntax, 1},
    {"A $ x {}", kResultIdentifierMissing, 1},
    {"A $1x {}", kResultIdentifierInvalid, 1},
    {"A (b) {}", 0, 0},
    {"A (b = 1, d = $e, f = true) {}", 0, 0},
    {"A (b =) {}", 0, 0},
    {"A (b = x) {}", kResultPropertySyntax, 1},
    {"A (b = 1,) {}", kResultIdentifierMissing, 1},
    {"A (b = 1 c = 2) {}", kResultPropertySyntax, 1},
    {"A (b = 1.5, c = 0.5, d = 1e3, e = -2.5e-3, f = 'ab', g = \"s\" \"t\", h = u16, i = QUJD, j = %x%y, k = 0x1F) {}",
     0, 0},
    {"A (b = \"\\x00\") {}", kResultPropertySyntax, 1},
    {"A {}\nfloat {x}\nB {}", kResultFloatInvalid, 2},
    {"1A {}", kResultIdentifierInvalid, 1},
    {"A {}\n\xC3\xA9 {}", kResultIdentifierInvalid, 2},
    {"type {int8, x}", kResultTypeInvalid, 1},
    {"bool {true, 2}", kResultBoolInvalid, 1},
    {"int8 {127, 128}", kResultIntegerOverflow, 1},
    {"half {0x1FFFF}", kResultFloatOverflow, 1},
    {"string {abc}", kResultStringInvalid, 1},
    {"string {\"abc}", kResultStringInvalid, 1},
    {"string {\"a\x01\"}", kResultStringInvalidByte, 1},
    {"string {\"\\x00\"}", kResultStringInvalidEscape, 1},
    {"uint8 {'\t'}", kResultCharInvalidByte, 1},
    {"uint8 {'\\q'}", kResultCharInvalidEscape, 1},
    {"uint8 {'ab}", kResultCharUnterminated, 1},
    {"ref {x}", kResultReferenceInvalid, 1},
    {"z {Q}", kResultBase64Invalid, 1},
    {"Group (weird = 1) {}", kResultPropertyType, 1},
    {"Group (count) {}", kResultPropertySyntax, 1},
    {"Group (visible, count = 2) {}", 0, 0},
    {"Group (count = 2", kResultPropertySyntax, 1},
    {"float {1, 2,}", kResultFloatInvalid, 1},
    {"float[2] {{1, 2}, {3, 4}}", 0, 0},
    {"float[2] {{1, 2, 3}}", kResultSubarrayOversize, 1},
    {"float[2] {{1}}", kResultSubarrayUndersize, 1},
    {"float[2] {{}}", kResultFloatInvalid, 1},
    {"float[2] {(1, 2)}", kResultSubarrayFormat, 1},
    {"float[2] {{1, 2 x}", kResultSubarrayFormat, 1},
    {"uint8[2]* {a {1, 2}}", kResultStateName, 1},
    {"Group {\n uint8[2]* {on {1, 2}, {3, 4}, off {5, 6}} }", 0, 0},
    {"Group {\n uint8[2]* {on {1, 2}, maybe {5, 6}} }", kResultStateName, 2},
    {"Circle {}", kResultInvalidStructure, 1},
    {"Zzz { Circle {} }", 0, 0},
    {"Group {\n string {\"a\"} }", kResultInvalidStructure, 2},
    {"Group {\n  Group {\n    Circle (radius = -1) {}\n  }\n}", kResultInvalidDataFormat, 3},
};

// The table holds every result code that the language itself produces.
TEST(KettricParser, TableCoversEveryResultCode)
{
    for (KettricResult code : kKettricLanguageResultCodes)
    {
        bool found = false;
        for (const ParseCase &c : kParseCases) found |= (c.result == code);
        EXPECT_TRUE(found) << CodeText(code);
    }
}

// No two named codes share a value, and each is four printable characters.
TEST(KettricParser, NamedResultCodesAreDistinct)
{
    std::vector<KettricResult> codes(std::begin(kKettricLanguageResultCodes), std::end(kKettricLanguageResultCodes));
    codes.insert(codes.end(), std::begin(kKettricResolveResultCodes), std::end(kKettricResolveResultCodes));
    EXPECT_EQ(codes.size(), 31u);
    for (size_t i = 0; i < codes.size(); ++i)
    {
        std::string text = CodeText(codes[i]);
        for (char c : text) EXPECT_TRUE(c >= 'A' && c <= 'Z') << text;
        for (size_t j = 0; j < i; ++j) EXPECT_NE(codes[i], codes[j]) << text;
    }
}

TEST(KettricParser, ResultCodesAndErrorLines)
{
    for (const ParseCase &c : kParseCases)
    {
        SketchDocument document;
        KettricResult result = document.ParseAndResolve(c.text);
        EXPECT_EQ(CodeText(result), CodeText(c.result)) << c.text;
        EXPECT_EQ(document.GetErrorLine(), c.line) << c.text;
        bool resolved =
            (result == 0 || result == kResultInvalidDataFormat || result == test::kSketchResultUnresolvedLink);
        EXPECT_EQ(document.resolveCalls, resolved ? 1 : 0) << c.text;
        // Nothing of a failed parse survives; a resolution failure keeps the tree.
        if (!resolved)
        {
            EXPECT_EQ(document.GetRootStructure()->GetFirstSubnode(), nullptr) << c.text;
            EXPECT_EQ(document.GetGlobalNameMap()->GetRootMapElement(), nullptr) << c.text;
        }
    }
}

const char kSketch[] = R"(// A sketch
Group $main (name = "Main" " sketch", visible, count = 3, extra = 1.5, more = 'ab', when = 1e3) {
    float {1, 2.5, -3}
    Circle %c1 (radius = 2, unknown = $x%y) {}
    Wrapper (size = 4) { Circle %lost (radius = 1) {} Group $hidden {} }
    Group %inner (visible = false) {
        Circle %c2 (radius = 4) {}
    }
    Link (to = %inner%c2) {}
    Link (to = $main%c1) {}
    uint8[2]* {on {1, 2}, {3, 4}, off {5, 6}}
}
Link (to = $main%inner%c2) {}
float %top {7}
)";

TEST(KettricParser, SketchFormat)
{
    SketchDocument document;
    ASSERT_EQ(CodeText(document.ParseAndResolve(kSketch)), "0");
    EXPECT_EQ(document.GetErrorLine(), 0);
    EXPECT_EQ(document.topLevelChecks, 3);

    StructureReference reference;
    const char *text = "$main";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    auto *main = static_cast<SketchGroup *>(document.LookUpStructure(reference));
    ASSERT_NE(main, nullptr);
    EXPECT_STREQ(main->name, "Main sketch");
    EXPECT_TRUE(main->visible);
    EXPECT_EQ(main->count, 3);
    EXPECT_EQ(main->sum, 0.5f);
    EXPECT_EQ(main->GetTextOffset(), 12);

    // The unknown "Wrapper" and everything in it are gone, its global name too.
    EXPECT_EQ(main->GetSubnodeCount(), 6);
    text = "$hidden";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    EXPECT_EQ(document.LookUpStructure(reference), nullptr);
    text = "%lost";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    EXPECT_EQ(main->LookUpStructure(reference, 0), nullptr);

    auto *list = static_cast<KettricFloatList *>(main->GetFirstSubstructure('FLOT'));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->GetBaseStructureType(), uint32_t('PRIM'));
    EXPECT_EQ(list->GetArraySize(), 0);
    ASSERT_EQ(list->GetElementCount(), 3);
    EXPECT_EQ((*list)[1], 2.5f);

    auto *states = static_cast<KettricUInt8List *>(main->GetLastSubstructure('UIN8'));
    ASSERT_NE(states, nullptr);
    EXPECT_EQ(states->GetArraySize(), 2);
    EXPECT_TRUE(states->GetStateFlag());
    ASSERT_EQ(states->GetElementCount(), 6);
    EXPECT_EQ((*states)[5], 6);
    ASSERT_EQ(states->GetStateCount(), 3);
    EXPECT_EQ(states->GetState(0), 1u);
    EXPECT_EQ(states->GetState(1), 1u);
    EXPECT_EQ(states->GetState(2), 2u);

    // Local and global references resolved by the links.
    auto *c1 = static_cast<SketchCircle *>(main->GetFirstSubstructure('CIRC'));
    ASSERT_NE(c1, nullptr);
    EXPECT_EQ(c1->radius, 2.0f);
    auto *inner = static_cast<SketchGroup *>(main->GetLastSubstructure('GRUP'));
    ASSERT_NE(inner, nullptr);
    EXPECT_FALSE(inner->visible);
    auto *c2 = inner->GetFirstSubstructure('CIRC');
    auto *link1 = static_cast<SketchLink *>(main->GetFirstSubstructure('LINK'));
    auto *link2 = static_cast<SketchLink *>(link1->GetNextStructure());
    EXPECT_EQ(link1->target, c2);
    EXPECT_EQ(link2->target, c1);
    auto *link3 = static_cast<SketchLink *>(document.GetRootStructure()->GetFirstSubstructure('LINK'));
    EXPECT_EQ(link3->target, c2);

    // Only direct subnodes are searched; a global reference is no local one.
    EXPECT_EQ(document.GetRootStructure()->GetFirstSubstructure('CIRC'), nullptr);
    text = "$main";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    EXPECT_EQ(document.GetRootStructure()->LookUpStructure(reference, 0), nullptr);
    text = "%top";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    EXPECT_NE(document.GetRootStructure()->LookUpStructure(reference, 0), nullptr);

    // Deleting a named structure takes its name out of the map; the name is free again.
    text = "%c1";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    delete c1;
    EXPECT_EQ(main->LookUpStructure(reference, 0), nullptr);
    auto *again = new SketchCircle;
    main->AppendSubnode(again);
    again->SetStructureName("c1", 2, false);
    EXPECT_TRUE(again->EnterNameMap(main->GetLocalNameMap()));
    EXPECT_EQ(main->LookUpStructure(reference, 0), again);

    // A new parse replaces the tree and its names.
    ASSERT_EQ(document.ParseAndResolve("Group $other {}"), 0u);
    text = "$main";
    ASSERT_EQ(ReadKettricReference(&text, &reference), 0u);
    EXPECT_EQ(document.LookUpStructure(reference), nullptr);
}

// A resolution failure keeps the tree and names the line of the failing structure.
// The global name map walks in byte order (unsigned, shorter prefix first), finds every name and
// refuses a repeated one.
TEST(KettricParser, NameMapOrder)
{
    const char *names[] = {"b", "a", "a1", "B", "_x", "a_", "A", "Z9", "aa", "a0", "zz", "_", "b2b", "b2",
                           // Around the first 8 bytes, which the map compares at once.
                           "abcdefgh", "abcdefg", "abcdefghi", "abcdefgha", "abcdefgh0", "abcdefgi", "abcdefgZ",
                           "abcdefghij_long_tail", "abcdefghij_long_tai", "abcdefgH"};
    std::string text;
    for (const char *name : names) text += std::string("Group $") + name + " {}\n";
    SketchDocument document;
    ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);

    std::set<std::string> expected(std::begin(names), std::end(names));
    std::vector<std::string> walk;
    for (MapElement *e = document.GetGlobalNameMap()->GetFirstMapElement(); e != nullptr; e = e->GetNextMapElement())
        walk.push_back(static_cast<KettricStructure *>(e)->GetStructureName().GetText());
    EXPECT_EQ(walk, std::vector<std::string>(expected.begin(), expected.end()));
    for (const char *name : names)
    {
        KettricStructure *found = KettricStructure::FindNamedStructure(document.GetGlobalNameMap(), name);
        ASSERT_NE(found, nullptr) << name;
        EXPECT_STREQ(found->GetStructureName().GetText(), name);
    }
    for (const char *missing : {"a2", "abcdefghz", "abcdefgh1", "abcdef", "abcdefghij_long_tail_"})
        EXPECT_EQ(KettricStructure::FindNamedStructure(document.GetGlobalNameMap(), missing), nullptr) << missing;
    EXPECT_EQ(document.ParseAndResolve((text + "Group $a_ {}").c_str()), uint32_t(kResultStructureNameExists));
}

TEST(KettricParser, ResolutionFailureKeepsTree)
{
    SketchDocument document;
    const char *text = "Group {}\nGroup {}\n\nGroup {}\n\n\nLink (to = $missing) {}\nGroup {}\n";
    EXPECT_EQ(CodeText(document.ParseAndResolve(text)), "IVRF");
    EXPECT_EQ(document.GetErrorLine(), 7);
    EXPECT_EQ(document.GetRootStructure()->GetSubnodeCount(), 5);
    EXPECT_EQ(document.GetFirstFailingStructure()->GetStructureType(), uint32_t('LINK'));

    // Parsing alone does not resolve.
    EXPECT_EQ(document.ParseText(text), 0u);
    EXPECT_EQ(document.resolveCalls, 1);
    EXPECT_EQ(document.GetRootStructure()->GetSubnodeCount(), 5);
}

// Data lists built in memory with the typed constructors.
TEST(KettricParser, DataListsInMemory)
{
    KettricStringList strings(2, true);
    EXPECT_EQ(strings.GetStructureType(), uint32_t('STRG'));
    strings.SetElementCount(9);
    strings[8].SetText("a text longer than the local buffer");
    strings.SetElementCount(1);
    EXPECT_EQ(strings.GetElementCount(), 1);

    KettricBase64List blocks;
    blocks.SetElementCount(20);
    blocks[19].Allocate(100);
    blocks.SetElementCount(2);

    KettricReferenceList references;
    references.SetElementCount(10);
    EXPECT_TRUE(references[9].IsGlobal());
    references[9].AppendNamePart("a", 1);
    references.SetElementCount(30);
    EXPECT_EQ(references[9].GetNamePartCount(), 1);

    std::unique_ptr<KettricPrimitive> made(CreatePrimitiveStructure("unsigned_int16"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetStructureType(), uint32_t('UI16'));
    EXPECT_EQ(CreatePrimitiveStructure("uint16x"), nullptr);
    EXPECT_EQ(CreatePrimitiveStructure("Group"), nullptr);
}

// Structure identifiers in text make a data list only when the whole identifier is a type keyword,
// whatever its length; other identifiers stay unknown structures, which go.
TEST(KettricParser, DataListKeywordsInText)
{
    const std::string longIdentifier = "float" + std::string(40, 'x');
    struct Case
    {
        std::string text;
        uint32_t type;  // of the one top-level structure, 0 for none
    };
    const Case cases[] = {
        {"unsigned_int16 {1}", 'UI16'},
        {"unsigned_int16x {}", 0},
        {"f{1}", 'FLOT'},
        {"float32 {}", 'FLOT'},
        {"string {\"a\"}", 'STRG'},
        {"base64 {}", 'BS64'},
        {"bool{1}", 'BOOL'},
        {longIdentifier.substr(0, 31) + " {}", 0},
        {longIdentifier.substr(0, 32) + " {}", 0},
        {longIdentifier + " {}", 0},
    };
    for (const Case &c : cases)
    {
        KettricDocument document;
        ASSERT_EQ(document.ParseText(c.text.c_str()), 0u) << c.text;
        KettricStructure *structure = document.GetRootStructure()->GetFirstSubnodeStructure();
        EXPECT_EQ(structure != nullptr ? structure->GetStructureType() : 0u, c.type) << c.text;
    }
}

// Float and double lists read every literal form as the single readers do, flat and in subarrays.
TEST(KettricParser, FloatListsMatchSingleReaders)
{
    const char *literals[] = {"-1.5", "0x3F800000", "-0x3F800000", "1e2", "1_0.5", "- 2", "-.5", "0", "-0",
                              "16777217", "123.4567", "-999.9999", "0.1", "1e-400", "3.4028236e38"};
    // Between the values: white space and comments before and after the commas.
    const char *separators[] = {", ", " ,", " /* c */ ,\n", "\n// c\n,\t", ","};
    std::string floats;
    for (size_t i = 0; i < std::size(literals); ++i)
        floats += std::string(i == 0 ? "" : separators[i % std::size(separators)]) + literals[i];
    std::string text = "float {" + floats + "}\ndouble {" + floats + "}\nfloat[2] {{1, /* c */ -2.25}, {0x1, 4}}";
    KettricDocument document;
    ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u);
    auto *floatList = static_cast<KettricFloatList *>(document.GetRootStructure()->GetFirstSubstructure('FLOT'));
    auto *doubleList = static_cast<KettricDoubleList *>(document.GetRootStructure()->GetFirstSubstructure('DOUB'));
    ASSERT_NE(floatList, nullptr);
    ASSERT_NE(doubleList, nullptr);
    int32_t count = int32_t(std::size(literals));
    ASSERT_EQ(floatList->GetElementCount(), count);
    ASSERT_EQ(doubleList->GetElementCount(), count);
    for (int32_t i = 0; i < count; ++i)
    {
        const char *cursor = literals[i];
        float f = 0;
        ASSERT_EQ(ReadKettricFloat(&cursor, &f), 0u) << literals[i];
        EXPECT_EQ(std::memcmp(&f, &(*floatList)[i], sizeof(f)), 0) << literals[i];
        cursor = literals[i];
        double d = 0;
        ASSERT_EQ(ReadKettricDouble(&cursor, &d), 0u) << literals[i];
        EXPECT_EQ(std::memcmp(&d, &(*doubleList)[i], sizeof(d)), 0) << literals[i];
    }
    auto *pairs = static_cast<KettricFloatList *>(document.GetRootStructure()->GetLastSubstructure('FLOT'));
    ASSERT_EQ(pairs->GetElementCount(), 4);
    EXPECT_EQ((*pairs)[1], -2.25f);
    EXPECT_EQ((*pairs)[2], 1.4e-45f);
}

// Flat lists of every length around the reading batches keep every value in order; a failure deep
// in a long list reports its code and line.
TEST(KettricParser, LongFlatLists)
{
    for (int32_t length : {1, 4, 5, 63, 64, 65, 127, 128, 129, 1000})
    {
        std::string text = "int32 {";
        std::string bools = "bool {";
        for (int32_t i = 0; i < length; ++i)
        {
            text += (i != 0 ? ",\n" : "") + std::to_string(i * 7 - 300);
            bools += (i != 0 ? ", " : "") + std::string((i % 3 == 0) ? "true" : "false");
        }
        text += "}\n" + bools + "}";
        KettricDocument document;
        ASSERT_EQ(document.ParseAndResolve(text.c_str()), 0u) << length;
        auto *ints = static_cast<KettricInt32List *>(document.GetRootStructure()->GetFirstSubstructure('IN32'));
        auto *flags = static_cast<KettricBoolList *>(document.GetRootStructure()->GetFirstSubstructure('BOOL'));
        ASSERT_EQ(ints->GetElementCount(), length);
        ASSERT_EQ(flags->GetElementCount(), length);
        for (int32_t i = 0; i < length; ++i)
        {
            ASSERT_EQ((*ints)[i], i * 7 - 300) << length << " " << i;
            ASSERT_EQ((*flags)[i], i % 3 == 0) << length << " " << i;
        }

        std::string bad = text.substr(0, text.find('}')) + ", 1e}";
        ASSERT_EQ(document.ParseAndResolve(bad.c_str()), uint32_t(kResultSyntax)) << length;
        EXPECT_EQ(document.GetErrorLine(), length) << length;
        EXPECT_EQ(document.GetRootStructure()->GetFirstSubnode(), nullptr);
        bad = text.substr(0, text.find('}')) + ",\n99999999999}";
        ASSERT_EQ(document.ParseAndResolve(bad.c_str()), uint32_t(kResultIntegerOverflow)) << length;
        EXPECT_EQ(document.GetErrorLine(), length + 1) << length;
    }
}

// Records every virtual operation that the parser calls and what the structure holds at that moment.
class ProtocolDocument : public KettricDocument
{
public:
    class Node : public KettricStructure
    {
    public:
        Node(std::string *log, std::string tag) : KettricStructure('NODE'), log(log), tag(std::move(tag)) {}

        bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                           void **storage) override
        {
            *log += "property " + tag + "." + identifier.GetText() + " of " + Describe(this) + "\n";
            *type = 'IN32';
            *storage = &value;
            return true;
        }
        bool CheckSubstructure(KettricDocument *, KettricStructure *structure) override
        {
            *log += "substructure of " + tag + ": " + Describe(structure) + "\n";
            return true;
        }
        bool CheckStateName(const TextString &identifier, uint32_t *state) override
        {
            *log += "state of " + tag + ": " + identifier.GetText() + "\n";
            *state = 1;
            return true;
        }
        KettricResult ResolveData(KettricDocument *document) override
        {
            *log += "resolve " + tag + "\n";
            return KettricStructure::ResolveData(document);
        }

        std::string *log;
        std::string tag;
        int32_t value = 0;
    };

    // Type, place in the tree, name and array size of a structure.
    static std::string Describe(KettricStructure *structure)
    {
        std::string text = CodeText(structure->GetStructureType());
        KettricStructure *super = structure->GetSuperStructure();
        text += (super != nullptr && super->GetLastSubnode() == structure) ? " last in tree" : " not in tree";
        text += " name '" + std::string(structure->GetStructureName().GetText()) + "'";
        if (structure->GetBaseStructureType() == 'PRIM')
        {
            auto *primitive = static_cast<KettricPrimitive *>(structure);
            text += " size " + std::to_string(primitive->GetArraySize()) + (primitive->GetStateFlag() ? "*" : "");
        }
        return text;
    }

    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        log += "make " + std::string(identifier.GetText());
        if (!CompareText(identifier, "Node"))
        {
            log += ": none\n";
            return nullptr;
        }
        std::string tag = "N" + std::to_string(++nodes);
        log += ": " + tag + "\n";
        return new Node(&log, tag);
    }
    bool CheckTopLevel(KettricStructure *structure) override
    {
        log += "top level: " + Describe(structure) + "\n";
        return true;
    }
    KettricResult ResolveData() override
    {
        log += "resolve document\n";
        return KettricDocument::ResolveData();
    }

    std::string log;
    int32_t nodes = 0;
};

// Each operation is asked at its point: the structure stands in the tree with its type and array size
// before it is checked, gets its name before its properties, and its data lists ask for state names
// while they are read; type keywords never reach MakeStructure; placeholders and their contents are
// neither checked against the top level nor resolved.
TEST(KettricParser, VirtualOperationOrder)
{
    ProtocolDocument document;
    const char *text = "Node $a (x = 1) {\n"
                       "    uint8[2]* %d { on {1, 2}, {3, 4} }\n"
                       "    Unknown (z = 2) { Node %b (w = 3) {} }\n"
                       "    Node %c (y = 2) { float {1} }\n"
                       "}\n"
                       "Unknown {}\n"
                       "float $f {2}\n";
    ASSERT_EQ(CodeText(document.ParseAndResolve(text)), "0");
    EXPECT_EQ(document.log, "make Node: N1\n"
                            "top level: NODE last in tree name ''\n"
                            "property N1.x of NODE last in tree name 'a'\n"
                            "substructure of N1: UIN8 last in tree name '' size 2*\n"
                            "state of N1: on\n"
                            "make Unknown: none\n"
                            "make Node: N2\n"
                            "property N2.w of NODE last in tree name 'b'\n"
                            "make Node: N3\n"
                            "substructure of N1: NODE last in tree name ''\n"
                            "property N3.y of NODE last in tree name 'c'\n"
                            "substructure of N3: FLOT last in tree name '' size 0\n"
                            "make Unknown: none\n"
                            "top level: FLOT last in tree name '' size 0\n"
                            "resolve document\n"
                            "resolve N1\n"
                            "resolve N3\n");
}

// A structure whose "k" is a flag when bare or a bool literal and a number otherwise; it records
// the literal each property showed ("-" for a bare name).
class LiteralDocument : public KettricDocument
{
public:
    class Node : public KettricStructure
    {
    public:
        Node() : KettricStructure('NODE') {}

        bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                           void **storage) override
        {
            if (!CompareText(identifier, "n")) return false;
            *type = 'IN32';
            *storage = &number;
            return true;
        }
        bool CheckPropertyLiteral(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                                  void **storage, const char *literal) override
        {
            literals += literals.empty() ? "" : " ";
            literals += literal == nullptr ? std::string("-") : std::string(1, *literal);
            if (!CompareText(identifier, "k"))
                return KettricStructure::CheckPropertyLiteral(document, identifier, type, storage, literal);
            int32_t length = 0;
            bool value = false;
            // "0.5" starts with the bool literal "0": the literal must be the whole value.
            bool boolLiteral = literal != nullptr && ParseKettricBoolLiteral(literal, &length, &value) == 0 &&
                               (literal[length] == ',' || literal[length] == ')' || literal[length] == ' ');
            if (literal == nullptr || boolLiteral)
            {
                *type = 'BOOL';
                *storage = &flag;
            }
            else
            {
                *type = 'FLOT';
                *storage = &amount;
            }
            return true;
        }

        std::string literals;
        bool flag = false;
        float amount = 0.0f;
        int32_t number = 0;
    };

    KettricStructure *MakeStructure(const TextString &) override { return new Node; }
};

// The literal hook sees the value's first character after "=" and blanks (null for a bare name),
// before the value is read with the type it answers; its default is the plain property check.
TEST(KettricParser, PropertyLiteralHook)
{
    const struct
    {
        const char *text;
        KettricResult result;
        const char *literals;
        bool flag;
        float amount;
        int32_t number;
    } cases[] = {
        {"A (k) {}", 0, "-", true, 0.0f, 0},
        {"A (k = true) {}", 0, "t", true, 0.0f, 0},
        {"A (k=0) {}", 0, "0", false, 0.0f, 0},
        {"A (k=1,n=3) {}", 0, "1 3", true, 0.0f, 3},
        {"A (k =  0.75) {}", 0, "0", false, 0.75f, 0},
        {"A (k=1.5, k) {}", 0, "1 -", true, 1.5f, 0},
        {"A (k=0x3F800000) {}", 0, "0", false, 1.0f, 0},
        {"A (k=, n=2) {}", kResultFloatInvalid, ",", false, 0.0f, 0},
        {"A (k=0.5) {}", 0, "0", false, 0.5f, 0},
        {"A (n) {}", kResultPropertySyntax, "-", false, 0.0f, 0},
        {"A (z=5,n=1) {}", 0, "5 1", false, 0.0f, 1},
    };
    for (const auto &c : cases)
    {
        LiteralDocument document;
        EXPECT_EQ(CodeText(document.ParseAndResolve(c.text)), CodeText(c.result)) << c.text;
        auto *node = static_cast<LiteralDocument::Node *>(document.GetRootStructure()->GetFirstSubnode());
        if (c.result != 0) continue;
        ASSERT_NE(node, nullptr) << c.text;
        EXPECT_EQ(node->literals, c.literals) << c.text;
        EXPECT_EQ(node->flag, c.flag) << c.text;
        EXPECT_EQ(node->amount, c.amount) << c.text;
        EXPECT_EQ(node->number, c.number) << c.text;
    }
}

// Records the order in which its structures are destroyed.
class TeardownDocument : public KettricDocument
{
public:
    class Node : public KettricStructure
    {
    public:
        Node(std::string *log, const TextString &identifier) : KettricStructure('NODE'), log(log), tag(identifier) {}
        ~Node() override { *log += tag + " "; }

        std::string *log;
        std::string tag;
    };

    KettricStructure *MakeStructure(const TextString &identifier) override { return new Node(&log, identifier); }

    std::string log;
};

// A structure is destroyed before its subnodes, a whole subtree before its next sibling.
TEST(KettricParser, TeardownOrder)
{
    TeardownDocument document;
    ASSERT_EQ(document.ParseAndResolve("A { B { D %d {} E {} } C $c {} } F %f { G {} }"), 0u);
    document.GetRootStructure()->TreeBase::PurgeSubtree();
    EXPECT_EQ(document.log, "A B D E C F G ");
    EXPECT_EQ(document.GetGlobalNameMap()->GetRootMapElement(), nullptr);
    EXPECT_EQ(document.GetRootStructure()->GetLocalNameMap()->GetRootMapElement(), nullptr);

    // A named structure moved elsewhere still belongs to its name map and goes with it.
    ASSERT_EQ(document.ParseAndResolve("A { B %b {} } C {}"), 0u);
    KettricStructure *a = document.GetRootStructure()->GetFirstSubnodeStructure();
    KettricStructure *b = a->GetFirstSubnodeStructure();
    KettricStructure *c = a->GetNextStructure();
    c->AppendSubnode(b);
    document.log.clear();
    delete a;
    EXPECT_EQ(document.log, "A B ");
    EXPECT_EQ(c->GetFirstSubnode(), nullptr);
}

// A chain of structures nested the given number of levels, one per line: groups around a data list.
std::string NestedText(int32_t levels)
{
    std::string text;
    text.reserve(size_t(levels) * 10);
    for (int32_t i = 1; i < levels; ++i) text += "Group {\n";
    text += "float {1}";
    for (int32_t i = 1; i < levels; ++i) text += "}";
    return text;
}

void ParseDeepDocuments()
{
    const std::string deep = NestedText(kKettricMaxNestingDepth);
    {
        SketchDocument document;
        EXPECT_EQ(CodeText(document.ParseAndResolve(deep.c_str())), "0");
        EXPECT_EQ(document.GetRootStructure()->GetSubtreeNodeCount(), kKettricMaxNestingDepth);
        // Unknown structures nest as deep and are dropped.
        std::string unknown = deep;
        for (size_t i = 0; i + 5 <= unknown.size(); ++i)
        {
            if (unknown.compare(i, 5, "Group") == 0) unknown.replace(i, 5, "Zzzzz");
        }
        EXPECT_EQ(CodeText(document.ParseAndResolve(unknown.c_str())), "0");
        EXPECT_EQ(document.GetRootStructure()->GetFirstSubnode(), nullptr);
        // The document is destroyed with the deep tree in it.
        EXPECT_EQ(CodeText(document.ParseAndResolve(deep.c_str())), "0");
    }
    {
        SketchDocument document;
        std::string tooDeep = NestedText(kKettricMaxNestingDepth + 1);
        EXPECT_EQ(CodeText(document.ParseAndResolve(tooDeep.c_str())), "SYNT");
        EXPECT_EQ(document.GetErrorLine(), kKettricMaxNestingDepth + 1);
        std::string far = NestedText(100000);
        EXPECT_EQ(CodeText(document.ParseAndResolve(far.c_str())), "SYNT");
        EXPECT_EQ(document.GetErrorLine(), kKettricMaxNestingDepth + 1);
        EXPECT_EQ(document.GetRootStructure()->GetFirstSubnode(), nullptr);
    }
}

TEST(KettricParser, DeepNestingOnMainThread)
{
    ParseDeepDocuments();
}

TEST(KettricParser, DeepNestingOnWorkerThread)
{
    std::thread worker(ParseDeepDocuments);
    worker.join();
}

// A text of the given length from one physical megabyte of white space mapped again and again,
// beginning with the given bytes and ending with a NUL; null when the mapping fails.
class LongText
{
public:
    LongText(size_t length, const char *start)
    {
        const size_t chunk = size_t(1) << 20;
        size = (length + chunk) / chunk * chunk;
        void *area = mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        file = memfd_create("kettric_text", 0);
        if (area == MAP_FAILED || file < 0 || ftruncate(file, off_t(chunk)) != 0) return;
        text = static_cast<char *>(area);
        void *fill = mmap(nullptr, chunk, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        if (fill == MAP_FAILED) return;
        std::memset(fill, ' ', chunk);
        munmap(fill, chunk);
        // Private mappings: the bytes written below change one page of one mapping only.
        for (size_t offset = 0; offset < size; offset += chunk)
        {
            if (mmap(text + offset, chunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, file, 0) == MAP_FAILED)
                return;
        }
        std::memcpy(text, start, std::strlen(start));
        text[length] = 0;
        ready = true;
    }
    ~LongText()
    {
        if (text != nullptr) munmap(text, size);
        if (file >= 0) close(file);
    }

    const char *Get() const { return ready ? text : nullptr; }

private:
    char *text = nullptr;
    size_t size = 0;
    int file = -1;
    bool ready = false;
};

// Text offsets are int32: a text of 2 GiB or more fails before parsing, a shorter one is parsed.
TEST(KettricParser, TextLengthLimit)
{
    const size_t kTwoGiB = size_t(1) << 31;
    struct Case
    {
        size_t length;
        const char *start;
        KettricResult result;
        int32_t line;
    } cases[] = {
        {kTwoGiB - 1, "\n1A", kResultIdentifierInvalid, 2},
        {kTwoGiB, "\n1A", kResultSyntax, 1},
        {kTwoGiB + 8, "Group {}", kResultSyntax, 1},
    };
    for (const Case &c : cases)
    {
        LongText text(c.length, c.start);
        ASSERT_NE(text.Get(), nullptr) << c.length;
        SketchDocument document;
        EXPECT_EQ(CodeText(document.ParseAndResolve(text.Get())), CodeText(c.result)) << c.length;
        EXPECT_EQ(document.GetErrorLine(), c.line) << c.length;
        EXPECT_EQ(document.resolveCalls, 0) << c.length;
    }
}

}  // namespace
}  // namespace oq
