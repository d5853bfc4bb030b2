// Command ids: menu ids to the menu handler, editing ids through their family's table to the
// operation and its arguments; ids outside the tables do nothing.
#include "EditCommandTestSupport.h"
#include "EditorFixture.h"
#include "editor/editing/CharacterClasses.h"
#include "editor/editing/EditCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace oq::test {
namespace {

// Writes every call as a line and answers each with the same result.
class RecordingOperations : public EditOperations
{
public:
    bool HandleMenuCommand(int32_t id) override { return Record("menu " + std::to_string(id)); }
    bool TypeCharacter(uint32_t codePoint, uint32_t flags) override
    {
        return Record("type " + CommandHex(codePoint) + " " + std::to_string(flags));
    }
    bool InsertSpace(float width) override { return Record("space " + CommandNumber(width)); }
    bool InsertTabSpace(float width) override { return Record("tab " + CommandNumber(width)); }
    bool InsertAligner(uint32_t kind) override { return Record("aligner " + CommandFourCC(kind)); }
    bool AddMark(uint32_t codePoint, bool below) override
    {
        return Record("mark " + CommandHex(codePoint) + (below ? " below" : " above"));
    }
    bool AddNegation(uint32_t kind) override { return Record("negation " + CommandFourCC(kind)); }
    bool AddSlash(uint32_t kind) override { return Record("slash " + CommandFourCC(kind)); }
    bool AddEnclosure(uint32_t kind) override { return Record("enclosure " + CommandFourCC(kind)); }
    bool AddPrime(uint32_t codePoint) override { return Record("prime " + CommandHex(codePoint)); }
    bool InsertWideMark(uint32_t type, bool under, bool withLabel) override
    {
        return Record("wide " + CommandFourCC(type) + (under ? " under" : " over") + (withLabel ? " label" : ""));
    }
    bool RunStructureCommand(int32_t id) override { return Record("structure " + CommandHex(uint32_t(id))); }

    std::vector<std::string> calls;
    bool answer = true;

private:
    bool Record(const std::string &call)
    {
        calls.push_back(call);
        return answer;
    }
};

struct RouteCase
{
    int32_t id;
    const char *call;  // "" when nothing is called
    bool alwaysTrue;   // the route answers true whatever the operation did
};

TEST(RouteCommandTest, IdsReachTheirOperationWithItsArguments)
{
    const RouteCase cases[] = {
        // Menu ids.
        {513, "menu 513", false},
        {0x7FFF, "menu 32767", false},
        // Characters.
        {0x8001, "type 2260 0", true},
        {0x8004, "type 2265 0", true},
        {0x8008, "type 22EF 0", true},
        {0x8000, "", false},
        {0x8009, "", false},
        // Spaces, the two typed ones and the tab.
        {0x8101, "space 0", false},
        {0x8102, "space 1.5", false},
        {0x8105, "space 4.5", false},
        {0x810A, "space 18", false},
        {0x810B, "type 2007 0", true},
        {0x810C, "type 2008 0", true},
        {0x810D, "space -1.5", false},
        {0x810F, "space -4.5", false},
        {0x8110, "tab 0", false},
        {0x8100, "", false},
        {0x8111, "", false},
        // Aligners.
        {0x8201, "aligner left", false},
        {0x8202, "aligner rght", false},
        {0x8203, "aligner cent", false},
        {0x8200, "", false},
        {0x8204, "", false},
        // Marks: bit 7 selects the below table.
        {0x8301, "mark 0307 above", false},
        {0x8306, "mark 0305 above", false},
        {0x8310, "mark 20E1 above", false},
        {0x8381, "mark 0323 below", false},
        {0x8384, "mark 20DC below", false},
        {0x8387, "mark 032D below", false},
        {0x8390, "mark 034D below", false},
        {0x8300, "", false},
        {0x8311, "", false},
        {0x8380, "", false},
        {0x8391, "", false},
        {0x83C1, "", false},
        {0x83FF, "", false},
        // Negations, slashes, enclosures.
        {0x8401, "negation frwd", false},
        {0x8403, "negation vert", false},
        {0x8404, "", false},
        {0x8501, "slash frwd", false},
        {0x8502, "slash bkwd", false},
        {0x8503, "", false},
        {0x8601, "enclosure circ", false},
        {0x8602, "enclosure squa", false},
        {0x8603, "enclosure rdsq", false},
        {0x8604, "", false},
        // Primes.
        {0x8701, "prime 2032", true},
        {0x8704, "prime 2057", true},
        {0x8700, "", false},
        {0x8705, "", false},
        // Wide marks: odd ids over, even under, never a label.
        {0x8801, "wide line over", false},
        {0x8802, "wide line under", false},
        {0x8806, "wide what under", false},
        {0x8807, "wide chck over", false},
        {0x8811, "wide brac over", false},
        {0x8812, "wide brac under", false},
        {0x8823, "wide bdhp over", false},
        {0x8824, "wide bdhp under", false},
        {0x8800, "", false},
        {0x8825, "", false},
        // Structure commands.
        {0x8901, "structure 8901", false},
        {0x890F, "structure 890F", false},
        {0x891D, "structure 891D", false},
        {0x8900, "", false},
        {0x891E, "", false},
        // Unknown families and ids past 16 bits.
        {0x8A01, "", false},
        {0xFF01, "", false},
        {0x18101, "", false},
        {-1, "", false},
    };
    for (const RouteCase &row : cases)
    {
        for (bool answer : {true, false})
        {
            SCOPED_TRACE(CommandHex(uint32_t(row.id)) + (answer ? " answered true" : " answered false"));
            RecordingOperations operations;
            operations.answer = answer;
            bool redraw = RouteEditCommand(operations, row.id);
            std::vector<std::string> expected;
            if (row.call[0] != '\0') expected.push_back(row.call);
            EXPECT_EQ(operations.calls, expected);
            bool called = !expected.empty();
            EXPECT_EQ(redraw, called && (answer || row.alwaysTrue));
        }
    }
}

// Independent of the tables: every mark id names a combining mark of the character classes.
TEST(RouteCommandTest, EveryMarkIdNamesACombiningMark)
{
    for (int32_t low = 0; low < 0x100; ++low)
    {
        RecordingOperations operations;
        (void)RouteEditCommand(operations, 0x8300 | low);
        bool valid = (low >= 1 && low <= 16) || (low >= 0x81 && low <= 0x90);
        ASSERT_EQ(operations.calls.size(), valid ? 1U : 0U) << low;
        if (!valid) continue;
        uint32_t codePoint = uint32_t(std::stoul(operations.calls[0].substr(5, 4), nullptr, 16));
        uint8_t cls = GetCharacterClass(codePoint);
        EXPECT_TRUE(cls == 'Y' || cls == 'Z' || (codePoint >= 0xEE70 && codePoint <= 0xEE77)) << operations.calls[0];
        EXPECT_EQ(operations.calls[0].substr(10), low >= 0x81 ? "below" : "above");
    }
}

class RouteCommandEditorTest : public EditorFixture
{
};

// The editor's route reaches its own operations: a menu id undoes, an editing id edits.
TEST_F(RouteCommandEditorTest, TheEditorRoutesToItsOwnOperations)
{
    ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb $B {s{\"x\"}} }", 1, 1));
    EXPECT_TRUE(editor->RouteCommand(0x8202));
    EXPECT_EQ(DescribeMainRows(editor), "\"x\" Al:rght");
    EXPECT_FALSE(editor->RouteCommand(0x8204));
    EXPECT_TRUE(editor->RouteCommand(0x8001));
    EXPECT_EQ(DescribeMainRows(editor), "\"x\" Al:rght \"<2260>\"");
    EXPECT_EQ(DescribeSteps(editor), "2/2");
    EXPECT_TRUE(editor->RouteCommand(kMenuUndo));
    EXPECT_EQ(DescribeMainRows(editor), "\"x\" Al:rght");
    EXPECT_FALSE(editor->RouteCommand(0x8A01));
    EXPECT_EQ(DescribeSteps(editor), "1/2");
}

}  // namespace
}  // namespace oq::test
