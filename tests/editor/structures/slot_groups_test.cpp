// Slot groups of the structure kinds: the checks after reading, unknown roles, copies that re-find
// the slots by role, navigation, creation and the slot-group writer's display style.
#include "support/DocumentTestKinds.h"

#include "editor/document/GroupNode.h"
#include "editor/document/RowBeginNode.h"
#include "editor/structures/StructureNode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace oq {
namespace {

using test::ResultText;

// A test kind ("Ts") with three slots: 'uppr', the required main slot and 'lowr'.
class ThreeSlotNode : public StructureNode
{
public:
    static constexpr SlotGroupRow kRows[3] = {{'uppr', false}, {0, true}, {'lowr', false}};

    ThreeSlotNode() : StructureNode('tslt', kRows, 3) {}
    DocumentNode *Clone() const override { return new ThreeSlotNode(*this); }
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override
    {
        WriteKettricContainer(document, buffer, "Ts");
    }
    // Each present slot in braces, through the shared slot writer.
    void WriteLatex(MathWriterState *state, TextString *output) const override
    {
        for (int32_t i = 0; i < GetSlotCount(); ++i)
        {
            if (GetSlot(i) == nullptr) continue;
            output->AppendText("{");
            WriteSlotGroupLatex(GetSlot(i), SlotStyle::kCleared, state, output);
            output->AppendText("}");
        }
    }
};

class SlotTestDocument : public test::MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Ts") == 0) return new ThreeSlotNode;
        return MathTestDocument::MakeStructure(identifier);
    }
};

std::string Text(const TextString &text)
{
    return text.GetLength() > 0 ? std::string(text) : std::string();
}

TEST(SlotGroups, ReadChecksFindSlotsByRole)
{
    const struct
    {
        const char *text;
        const char *result;
    } cases[] = {
        {"Ts { Gr { Bg {} } }", "0"},
        {"Ts { Gr (t='lowr') { Bg {} } Gr { Bg {} } Gr (t='uppr') { Bg {} } }", "0"},
        {"Ts { Gr (t='uppr') { Bg {} } }", "MSSB"},
        {"Ts {}", "MSSB"},
        {"Ts { Gr { Bg {} } Gr { Bg {} } }", "EXSB"},
        {"Ts { Gr { Bg {} } Gr (t='lowr') { Bg {} } Gr (t='lowr') { Bg {} } }", "EXSB"},
        {"Ts { Gr { Bg {} } Gr (t='xtra') { Bg {} } Gr (t='xtra') { Bg {} } }", "0"},
        {"Ts { Fx {} }", "IVST"},
        {"Ts { Gr { Bg {} } Ts { Gr { Bg {} } } }", "IVST"},
        {"Ts { Gr { Bg {} Ts { Gr (t='uppr') { Bg {} } } } }", "MSSB"},
    };
    for (const auto &c : cases)
    {
        SlotTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.text)), c.result) << c.text;
    }
}

TEST(SlotGroups, UnknownRoleIsKeptButNeverASlot)
{
    const char *text = "Ts $s { Gr $m { Bg {} Fx {} } Gr $x (t='xtra') { Bg {} Fx {} } }";
    SlotTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(text)), "0");
    auto *node = document.Find<ThreeSlotNode>("s");
    auto *main = document.Find<GroupNode>("m");
    auto *extra = document.Find<GroupNode>("x");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetSlot(0), nullptr);
    EXPECT_EQ(node->GetSlot(1), main);
    EXPECT_EQ(node->GetSlot(2), nullptr);
    EXPECT_EQ(node->FindSlotIndex(extra), -1);
    EXPECT_EQ(node->GetFirstGroup(), main);
    EXPECT_EQ(node->GetLastGroup(), main);
    EXPECT_EQ(node->GetNextGroup(main), nullptr);
    EXPECT_EQ(node->GetNextGroup(extra), nullptr);
    EXPECT_EQ(node->GetPreviousGroup(extra), nullptr);

    MathWriterState state;
    TextString latex;
    node->WriteLatex(&state, &latex);
    EXPECT_EQ(Text(latex), "{x}");

    std::string written = document.WriteText();
    EXPECT_NE(written.find("t='xtra'"), std::string::npos) << written;
    SlotTestDocument again;
    ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0") << written;
    EXPECT_EQ(again.WriteText(), written);
}

TEST(SlotGroups, DeepCopyFindsSlotsByRoleNotPlace)
{
    SlotTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(
                  "Ts $s { Gr (t='uppr') { Bg {} } Gr { Bg {} } Gr (t='lowr') { Bg {} } }")),
              "0");
    auto *node = document.Find<ThreeSlotNode>("s");
    ASSERT_NE(node, nullptr);
    std::unique_ptr<DocumentNode> copy(node->DeepCopy());
    auto *structure = dynamic_cast<ThreeSlotNode *>(copy.get());
    ASSERT_NE(structure, nullptr);
    const uint32_t roles[3] = {'uppr', 0, 'lowr'};
    for (int32_t i = 0; i < 3; ++i)
    {
        ASSERT_NE(structure->GetSlot(i), nullptr) << i;
        EXPECT_EQ(structure->GetSlot(i)->role, roles[i]) << i;
        EXPECT_NE(structure->GetSlot(i), node->GetSlot(i)) << i;
        EXPECT_EQ(structure->GetSlot(i)->GetSuperNode(), structure) << i;
    }

    // A clone alone has no slots: its groups come only with the deep copy.
    std::unique_ptr<DocumentNode> clone(node->Clone());
    EXPECT_EQ(static_cast<ThreeSlotNode *>(clone.get())->GetFirstGroup(), nullptr);
}

TEST(SlotGroups, NavigationFollowsTheTableAndSkipsAbsentSlots)
{
    SlotTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve("Ts $s { Gr $l (t='lowr') { Bg {} } Gr $m { Bg {} } }")), "0");
    auto *node = document.Find<ThreeSlotNode>("s");
    auto *main = document.Find<GroupNode>("m");
    auto *lower = document.Find<GroupNode>("l");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->GetFirstGroup(), main);
    EXPECT_EQ(node->GetLastGroup(), lower);
    EXPECT_EQ(node->GetNextGroup(main), lower);
    EXPECT_EQ(node->GetNextGroup(lower), nullptr);
    EXPECT_EQ(node->GetPreviousGroup(lower), main);
    EXPECT_EQ(node->GetPreviousGroup(main), nullptr);
    EXPECT_EQ(node->GetPreviousGroup(nullptr), nullptr);
    EXPECT_EQ(node->GetNextGroup(nullptr), nullptr);
    EXPECT_EQ(node->GetGroupAbove(main), nullptr);
    EXPECT_EQ(node->GetGroupBelow(main), nullptr);
    EXPECT_TRUE(node->TakesPartInSpacing());
    EXPECT_FALSE(node->HasVariant());
}

TEST(SlotGroups, GetOrCreateAddsOneGroupWithOneRow)
{
    ThreeSlotNode node;
    GroupNode *lower = node.GetOrCreateSlot(2);
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(node.GetOrCreateSlot(2), lower);
    GroupNode *main = node.GetOrCreateMainGroup();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(node.GetOrCreateMainGroup(), main);
    EXPECT_EQ(node.GetOrCreateSlot(3), nullptr);
    EXPECT_EQ(node.GetOrCreateSlot(-1), nullptr);

    // Children in the order of creation, each one empty row with the least line gap.
    EXPECT_EQ(node.GetFirstMathSubnode(), lower);
    EXPECT_EQ(lower->GetNextMathNode(), main);
    EXPECT_EQ(main->GetNextMathNode(), nullptr);
    for (GroupNode *group : {lower, main})
    {
        auto *row = dynamic_cast<RowBeginNode *>(group->GetFirstMathSubnode());
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->lineGap, -1.0f);
        EXPECT_EQ(row->GetNextMathNode(), nullptr);
        EXPECT_EQ(group->defaultAlignment, kAlignLeft);
        EXPECT_EQ(group->baselineRow, kBaselineLast);
        EXPECT_EQ(group->alignment, 0u);
    }
    EXPECT_EQ(lower->role, static_cast<uint32_t>('lowr'));
    EXPECT_EQ(main->role, 0u);
}

TEST(SlotGroups, SlotWriterRestoresTheDisplayStyle)
{
    const struct
    {
        SlotStyle style;
        uint8_t before;
        uint8_t inside;
    } cases[] = {
        {SlotStyle::kUnchanged, 1, 1}, {SlotStyle::kUnchanged, 0, 0}, {SlotStyle::kCleared, 1, 0},
        {SlotStyle::kSet, 0, 1},
    };
    // A group whose writer reports the display style it sees.
    class StyleProbe : public GroupNode
    {
    public:
        StyleProbe() : GroupNode(0) {}
        void WriteLatex(MathWriterState *state, TextString *output) const override
        {
            output->AppendText(state->displayStyle != 0 ? "D" : "T");
            state->displayStyle = 1 - state->displayStyle;
        }
        void WriteMathML(MathWriterState *state, TextString *output) const override { WriteLatex(state, output); }
    };
    StyleProbe probe;
    for (const auto &c : cases)
    {
        for (bool mathml : {false, true})
        {
            MathWriterState state;
            state.displayStyle = c.before;
            TextString text;
            if (mathml) WriteSlotGroupMathML(&probe, c.style, &state, &text);
            else WriteSlotGroupLatex(&probe, c.style, &state, &text);
            EXPECT_EQ(Text(text), c.inside != 0 ? "D" : "T");
            EXPECT_EQ(state.displayStyle, c.before);
        }
    }
}

}  // namespace
}  // namespace oq
