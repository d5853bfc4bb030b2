// The stacking commands of the Drawing menu on the top-level order: drawings before the first
// group lie under the equation, drawings after it over it.
#include "EditorFixture.h"
#include "editor/document/GroupNode.h"
#include "editor/document/RowBeginNode.h"
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>

namespace oq::test {
namespace {

// The top level written as tokens: "G" the main group, other capitals annotation groups, the rest
// drawings; "*" marks a selected object.
class OrderDocument
{
public:
    explicit OrderDocument(const std::string &order)
    {
        ResetTheEditor();
        editor = TheEditor;
        EXPECT_TRUE(LoadTestDocument(editor, "Gr { Bg $B {} }", 0, 0));
        KettricStructure *root = editor->document.GetRootStructure();
        std::istringstream tokens(order);
        std::string token;
        while (tokens >> token)
        {
            bool selected = token.back() == '*';
            if (selected) token.pop_back();
            DocumentNode *node = nullptr;
            if (token == "G")
            {
                node = editor->document.GetMainGroup();
            }
            else if (std::isupper(static_cast<unsigned char>(token[0])))
            {
                auto *group = new GroupNode(kAnnotationRole);
                group->AppendSubnode(new RowBeginNode);
                node = group;
            }
            else
            {
                node = new TestDrawingNode("Ln");
            }
            root->AppendSubnode(node);
            names[node] = token;
            if (selected) editor->document.objectSelection.AddElement(node);
        }
    }

    std::string Describe() const
    {
        std::string out;
        KettricStructure *root = editor->document.GetRootStructure();
        for (KettricStructure *top = root->GetFirstSubnodeStructure(); top != nullptr; top = top->GetNextStructure())
        {
            DocumentNode *node = DocumentNode::FromStructure(top);
            bool selected = false;
            for (int32_t i = 0; i < editor->document.objectSelection.GetElementCount(); ++i)
                selected = selected || editor->document.objectSelection[i] == node;
            if (!out.empty()) out += " ";
            auto name = names.find(node);
            out += (name != names.end() ? name->second : "?") + (selected ? "*" : "");
        }
        return out;
    }

    Editor *editor = nullptr;
    std::map<const DocumentNode *, std::string> names;
};

struct OrderCase
{
    const char *command;
    const char *before;
    const char *after;  // equal to before when nothing moves (no step then)
};

TEST(DrawingOrderTest, EveryCommandOnTheTopLevelOrder)
{
    const std::map<std::string, std::function<bool(Editor *)>> commands = {
        {"foreground", [](Editor *e) { return e->MoveObjectsToForeground(); }},
        {"background", [](Editor *e) { return e->MoveObjectsToBackground(); }},
        {"forward", [](Editor *e) { return e->BringObjectsForward(); }},
        {"backward", [](Editor *e) { return e->SendObjectsBackward(); }},
        {"front", [](Editor *e) { return e->BringObjectsToFront(); }},
        {"back", [](Editor *e) { return e->SendObjectsToBack(); }},
    };
    const OrderCase cases[] = {
        {"foreground", "b1 b2* b3* G f1", "b1 G f1 b2* b3*"},
        {"foreground", "b1 G f1* f2", "b1 G f1* f2"},  // only foreground objects selected
        {"foreground", "b1 G f1", "b1 G f1"},
        {"background", "b1 G f1* f2 f3*", "f1* f3* b1 G f2"},
        {"background", "b1* G f1", "b1* G f1"},
        {"background", "b1 G A* f1", "b1 G A* f1"},  // a group is not after the last group
        // Adjacent selected drawings move past one unselected neighbour as a block.
        {"forward", "b1* b2* b3 G f1", "b3 b1* b2* G f1"},
        {"forward", "b1 b2* G f1* f2 f3* f4", "b1 b2* G f2 f1* f4 f3*"},
        {"forward", "b1 G A* f1", "b1 G A* f1"},  // the last node of its stretch
        {"forward", "b1 G* A f1", "b1 G* A f1"},  // the first group never moves
        {"forward", "b1 G A* B f1", "b1 G B A* f1"},
        {"forward", "b1* G f1*", "b1* G f1*"},  // nothing moves: no step
        {"backward", "b1 b2 G f1 f2* f3*", "b1 b2 G f2* f3* f1"},
        {"backward", "b1 b2* G A* f1", "b2* b1 G A* f1"},
        {"backward", "b1 G A* B f1", "b1 A* G B f1"},
        {"backward", "b1* G f1* f2", "b1* G f1* f2"},
        {"backward", "b1 G A B* f1", "b1 G A B* f1"},  // the last group never moves
        // To the front: background drawings stay in the background, directly under the equation.
        {"front", "b1* b2 G f1", "b2 b1* G f1"},
        {"front", "b1 G f1* f2 A* B", "b1 G f2 B A* f1*"},
        {"front", "b1 G* A f1", "b1 A G* f1"},
        {"front", "b1 b2* G f1 f2*", "b1 b2* G f1 f2*"},  // already at the top of each layer
        {"front", "b1 G f1", "b1 G f1"},
        {"back", "b1 G f1 f2*", "b1 G f2* f1"},
        {"back", "b1 b2* G A f1*", "b2* b1 G A f1*"},
        {"back", "b1 G A B* f1", "b1 G B* A f1"},
        {"back", "b1* G f1", "b1* G f1"},
    };
    for (const OrderCase &c : cases)
    {
        SCOPED_TRACE(std::string(c.command) + ": " + c.before);
        OrderDocument document(c.before);
        Editor *editor = document.editor;
        bool moves = std::string(c.before) != c.after;
        editor->viewChanged = false;
        EXPECT_EQ(commands.at(c.command)(editor), moves);
        EXPECT_EQ(document.Describe(), c.after);
        EXPECT_EQ(DescribeSteps(editor), moves ? "1/1" : "0/0");
        // An object step leaves the view where it is.
        EXPECT_FALSE(editor->viewChanged);
        EXPECT_EQ(CheckEditorInvariants(editor), "");
        if (moves)
        {
            ASSERT_TRUE(editor->Undo());
            EXPECT_EQ(DescribeSteps(editor), "0/1");
        }
    }
    DestroyTheEditor();
}

}  // namespace
}  // namespace oq::test
