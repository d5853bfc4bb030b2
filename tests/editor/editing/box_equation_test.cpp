// Box Equation: a rectangle in the foreground, linked to two opposite corners of the main group's
// frame, once per equation.
#include "EditorFixture.h"
#include "editor/document/GroupNode.h"
#include "editor/document/NodeFactory.h"
#include "editor/document/NodeLink.h"
#include "editor/drawing/RectangleObject.h"
#include "support/DocumentTestKinds.h"

#include <gtest/gtest.h>

#include <string>

namespace oq::test {
namespace {

class BoxEquationTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        // Snapshots read rectangles back as rectangles.
        RegisterNodeKind("Rt", []() -> KettricStructure * { return new RectangleObject(false, false); });
        ASSERT_TRUE(LoadTestDocument(editor, "Gr { Bg {} Sb $B {s{\"x\"}} } Ln {}", 1, 1));
        ToolPanelState &panel = editor->settings.state.toolPanel;
        panel.widthChoice = 40;
        panel.dashChoice = 44;
        panel.strokeColor = {-1, 0xFF3366CCu};
    }

    // The last top-level node as a rectangle; null when it is none.
    RectangleObject *LastRectangle()
    {
        KettricStructure *last = editor->document.GetRootStructure()->GetLastSubnodeStructure();
        return dynamic_cast<RectangleObject *>(DocumentNode::FromStructure(last));
    }

    std::string Links()
    {
        std::string out;
        for (NodeLink *link = editor->document.GetMainGroup()->GetFirstIncomingLink(); link != nullptr;
             link = link->GetNextIncomingLink())
        {
            out += (link->anchorKind == kBorderAnchorKind ? "bord " : "other ") + std::to_string(link->anchorIndex) +
                   " " + std::to_string(link->value) + (link->GetSource() == LastRectangle() ? " box; " : "; ");
        }
        return out;
    }
};

TEST_F(BoxEquationTest, FramesTheEquationOnce)
{
    std::string before = DocumentText(editor);
    ASSERT_TRUE(editor->BoxEquation());
    EXPECT_EQ(DescribeSteps(editor), "1/1");
    RectangleObject *box = LastRectangle();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->fill);
    EXPECT_TRUE(box->stroke);
    EXPECT_EQ(box->widthIndex, 2);
    EXPECT_EQ(box->dashIndex, 1);
    EXPECT_EQ(box->strokePaletteIndex, -1);
    EXPECT_EQ(box->strokeColor, 0xFF3366CCu);
    EXPECT_EQ(Links(), "bord 0 0.000000 box; bord 3 0.000000 box; ");
    std::string framed = DocumentText(editor);

    // A second one is refused without a step.
    EXPECT_FALSE(editor->BoxEquation());
    EXPECT_EQ(DescribeSteps(editor), "1/1");

    // Undo takes it away, Redo brings the same rectangle back.
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DocumentText(editor), before);
    EXPECT_EQ(LastRectangle(), nullptr);
    ASSERT_TRUE(editor->Redo());
    EXPECT_EQ(DocumentText(editor), framed);
    ASSERT_NE(LastRectangle(), nullptr);
    EXPECT_EQ(LastRectangle()->dashIndex, 1);

    // Deleted, it may be made again.
    editor->document.objectSelection.AddElement(LastRectangle());
    ASSERT_TRUE(DeleteTestNode(editor));
    EXPECT_EQ(DocumentText(editor), before);
    ASSERT_TRUE(editor->BoxEquation());
    EXPECT_EQ(DocumentText(editor), framed);
}

TEST_F(BoxEquationTest, AnyBorderLinkCountsAsAFrame)
{
    auto *drawing = new TestDrawingNode("Ln");
    editor->document.GetRootStructure()->AppendSubnode(drawing);
    new NodeLink(drawing, editor->document.GetMainGroup(), kBorderAnchorKind, 1, 0.0f);
    EXPECT_FALSE(editor->BoxEquation());
    EXPECT_EQ(DescribeSteps(editor), "0/0");

    // Other anchors do not.
    delete drawing;
    drawing = new TestDrawingNode("Ln");
    editor->document.GetRootStructure()->AppendSubnode(drawing);
    new NodeLink(drawing, editor->document.GetMainGroup(), kAxisAnchorKind, 0, 0.0f);
    EXPECT_TRUE(editor->BoxEquation());
    // Choices outside the panel's buttons are kept to its range.
    ASSERT_TRUE(editor->Undo());
    editor->settings.state.toolPanel.widthChoice = 99;
    editor->settings.state.toolPanel.dashChoice = 0;
    ASSERT_TRUE(editor->BoxEquation());
    EXPECT_EQ(LastRectangle()->widthIndex, 4);
    EXPECT_EQ(LastRectangle()->dashIndex, 0);
}

}  // namespace
}  // namespace oq::test
