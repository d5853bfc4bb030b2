// The caret walk: Right from the start of the main group visits every caret stop once, in
// document order, and Left retraces it; indexes never fall inside a character. Documents are
// built at random by typing 1-, 2-, 3- and 4-byte characters, every structure command and row
// breaks, with the caret moved about in between.
#include "EditorFixture.h"
#include "KeyPress.h"
#include "NodeLabels.h"
#include "editor/document/GroupNode.h"
#include "editor/platform/VirtualKeys.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace oq {
namespace {

// Every caret stop of the container in document order: row starts, the boundary after each
// character of a run, and a structure's slot groups in slot order followed by its own end.
void CollectStops(MathNode *container, std::vector<CaretPosition> *stops)
{
    for (MathNode *node = container->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind)
        {
            stops->push_back({node, 0});
            continue;
        }
        if (node->GetKind() == kSymbolRunKind)
        {
            const TextString &text = static_cast<SymbolRunNode *>(node)->text;
            for (int32_t i = 1; i <= text.GetLength(); ++i)
            {
                if (i == text.GetLength() || (uint8_t(text.GetText()[i]) & 0xC0) != 0x80) stops->push_back({node, i});
            }
            continue;
        }
        for (GroupNode *slot = node->GetFirstGroup(); slot != nullptr; slot = node->GetNextGroup(slot))
        {
            CollectStops(slot, stops);
        }
        stops->push_back({node, node->GetEndIndex()});
    }
}

std::string Describe(const std::vector<CaretPosition> &stops)
{
    std::string text;
    for (const CaretPosition &stop : stops) text += test::DescribePosition(stop) + " ";
    return text;
}

// Whether the index of a run position falls on a character boundary.
bool OnBoundary(const CaretPosition &position)
{
    if (position.node == nullptr || position.node->GetKind() != kSymbolRunKind) return true;
    const TextString &text = static_cast<SymbolRunNode *>(position.node)->text;
    if (position.index < 0 || position.index > text.GetLength()) return false;
    return position.index == text.GetLength() || (uint8_t(text.GetText()[position.index]) & 0xC0) != 0x80;
}

// Walks with one arrow until it reports no change: the caret's positions, each checked.
std::vector<CaretPosition> Walk(Editor *editor, int32_t key, const std::vector<CaretPosition> &expected)
{
    std::vector<CaretPosition> visited{editor->document.selection.start};
    for (size_t guard = 0; guard < expected.size() + 2 && test::PressKey(editor, key); ++guard)
    {
        const Selection &selection = editor->document.selection;
        EXPECT_TRUE(selection.start.node == selection.end.node && selection.start.index == selection.end.index);
        EXPECT_TRUE(OnBoundary(selection.start)) << test::DescribePosition(selection.start);
        visited.push_back(selection.start);
    }
    return visited;
}

class CaretWalk : public test::EditorFixture
{
};

TEST_F(CaretWalk, RightVisitsEveryStopOnceAndLeftRetracesIt)
{
    int32_t structureStops = 0;
    int32_t rowStarts = 0;
    const uint32_t characters[] = {'a', 'x', '7', 0x03B1, 0x03C9, 0x2207, 0x1D400, 0x1D7D8, 0x20AC};
    for (uint32_t seed = 1; seed <= 30; ++seed)
    {
        test::ResetTheEditor();
        editor = TheEditor;
        std::mt19937 random(seed);
        for (int32_t step = 0; step < 40; ++step)
        {
            uint32_t choice = random() % 20;
            if (choice < 11)
            {
                (void)editor->TypeCharacter(characters[random() % std::size(characters)], 0);
            }
            else if (choice < 14)
            {
                (void)editor->RunStructureCommand(0x8901 + int32_t(random() % 29));
            }
            else if (choice == 14)
            {
                (void)editor->InsertRowBreak();
            }
            else
            {
                const int32_t keys[] = {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyTab};
                (void)test::PressKey(editor, keys[random() % std::size(keys)]);
            }
        }
        ASSERT_TRUE(test::LayoutTestDocument(editor));
        GroupNode *main = editor->document.GetMainGroup();
        std::vector<CaretPosition> expected;
        CollectStops(main, &expected);
        ASSERT_FALSE(expected.empty());
        for (const CaretPosition &stop : expected)
        {
            uint32_t kind = stop.node->GetKind();
            structureStops += kind != kRowBeginKind && kind != kSymbolRunKind ? 1 : 0;
            rowStarts += kind == kRowBeginKind ? 1 : 0;
        }

        editor->SetSelection(expected.front(), expected.front());
        std::vector<CaretPosition> right = Walk(editor, kKeyRight, expected);
        EXPECT_EQ(Describe(right), Describe(expected)) << "seed " << seed << ": " << test::SketchDocument(editor);

        editor->SetSelection(expected.back(), expected.back());
        std::vector<CaretPosition> left = Walk(editor, kKeyLeft, expected);
        std::vector<CaretPosition> reversed(expected.rbegin(), expected.rend());
        EXPECT_EQ(Describe(left), Describe(reversed)) << "seed " << seed << ": " << test::SketchDocument(editor);
        EXPECT_EQ(test::CheckEditorInvariants(editor), "") << "seed " << seed;
    }
    // The documents held structures and rows in numbers.
    EXPECT_GT(structureStops, 100);
    EXPECT_GT(rowStarts, 200);
}

TEST_F(CaretWalk, CombiningMarksRightEntersAfterTheFirstClusterLeftStepsByCodePoint)
{
    // "e" + U+0301 + "x" + U+0301: Right from the row start lands after the first cluster (3) and then
    // steps by code point; Left steps by code point all the way and so stops at 1 too.
    ASSERT_TRUE(test::LoadTestDocument(editor, "Gr { Bg {} Sb {s{\"e\\xCC\\x81x\\xCC\\x81\"}} }\n", 0, 0));
    std::vector<CaretPosition> stops;
    CollectStops(editor->document.GetMainGroup(), &stops);
    MathNode *rowBegin = stops.front().node;
    editor->SetSelection(stops.front(), stops.front());
    EXPECT_EQ(Describe(Walk(editor, kKeyRight, stops)), "bgin:0 e\xCC\x81x\xCC\x81:3 e\xCC\x81x\xCC\x81:4 e\xCC\x81x\xCC\x81:6 ");
    EXPECT_EQ(Describe(Walk(editor, kKeyLeft, stops)), "e\xCC\x81x\xCC\x81:6 e\xCC\x81x\xCC\x81:4 e\xCC\x81x\xCC\x81:3 "
                                                        "e\xCC\x81x\xCC\x81:1 bgin:0 ");
    EXPECT_EQ(editor->document.selection.start.node, rowBegin);
}

TEST_F(CaretWalk, StepsFromHostilePositionsStayInsideTheText)
{
    // Indexes past the text or inside a character still step to a boundary or fail cleanly.
    ASSERT_TRUE(test::LoadTestDocument(editor, "Gr { Bg {} Sb {s{\"\\xCE\\xB1\\xF0\\x9D\\x90\\x80\"}} }\n", 0, 0));
    MathNode *run = test::FindLabelledNode(editor->document, "\xCE\xB1\xF0\x9D\x90\x80");
    ASSERT_NE(run, nullptr);
    struct Case
    {
        int32_t index;
        bool right;
        const char *result;
    } cases[] = {
        {6, true, "none:0"},  {6, false, "\xCE\xB1\xF0\x9D\x90\x80:2"}, {2, true, "\xCE\xB1\xF0\x9D\x90\x80:6"},
        {2, false, "bgin:0"}, {99, false, "\xCE\xB1\xF0\x9D\x90\x80:2"},
    };
    for (const Case &c : cases)
    {
        CaretPosition result;
        bool moved = c.right ? CaretPosition{run, c.index}.StepRight(true, &result)
                             : CaretPosition{run, c.index}.StepLeft(true, &result);
        EXPECT_EQ(moved ? test::DescribePosition(result) : "none:0", c.result) << c.index << c.right;
    }
}

}  // namespace
}  // namespace oq
