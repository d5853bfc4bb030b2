// The drawing tools through the pointer: lines and shapes made between two anchors with the tool
// panel's style choices, annotation groups, reconnected ends, and drags that a tree replacement or
// a popup cuts short.
#include "PointerFixture.h"
#include "RecordingDialogFactory.h"

#include "editor/document/NodeLink.h"
#include "editor/document/RowBeginNode.h"
#include "editor/drawing/BracketObject.h"
#include "editor/drawing/CornerLineObject.h"
#include "editor/drawing/EllipseObject.h"
#include "editor/drawing/LineObject.h"
#include "editor/drawing/QuarterLineObject.h"
#include "editor/drawing/RectangleObject.h"
#include "editor/drawing/RoundedRectangleObject.h"
#include "editor/drawing/ZigzagLineObject.h"
#include "editor/platform/DialogWindow.h"

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace oq::test {
namespace {

const char *const kThreeRows = "Gr { Bg {} Sb {s{\"AB\"}} Bg {} Sb {s{\"ABAB\"}} Bg {} Sb {s{\"A\"}} }";

class DrawingTools : public PointerFixture
{
protected:
    // Lays out and builds the anchors of the tool group; the point anchors a press finds at their
    // own point.
    std::vector<AnchorRecord> Anchors()
    {
        EXPECT_TRUE(LayoutTestDocument(editor));
        editor->BuildAnchorOverlay();
        std::vector<AnchorRecord> found;
        for (const AnchorRecord &r : editor->anchorRecords)
        {
            if (IsEdgeAnchorKind(r.kind)) continue;
            if (editor->FindAnchorAtPoint(Point2D(r.x, r.y), nullptr) == &r) found.push_back(r);
        }
        return found;
    }

    // Two anchors apart in x and in y, far enough from each other for a shape.
    void PickPair(AnchorRecord *a, AnchorRecord *b)
    {
        std::vector<AnchorRecord> anchors = Anchors();
        ASSERT_GE(anchors.size(), 2u);
        *a = anchors.front();
        for (const AnchorRecord &r : anchors)
        {
            if (std::fabs(r.x - a->x) > 4.0f && std::fabs(r.y - a->y) > 4.0f)
            {
                *b = r;
                return;
            }
        }
        FAIL() << "no second anchor";
    }

    // The top-level nodes in order.
    std::vector<DocumentNode *> TopLevel()
    {
        std::vector<DocumentNode *> nodes;
        for (KettricStructure *s = editor->document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
             s = s->GetNextStructure())
            nodes.push_back(DocumentNode::FromStructure(s));
        return nodes;
    }

    // A press at a, a move and a release at b; whether a drawing was made (the last one made).
    DrawingObject *Draw(const AnchorRecord &a, const Point2D &b, uint32_t releaseModifiers = 0)
    {
        size_t before = TopLevel().size();
        SendAt('lmdn', Point2D(a.x, a.y), 1);
        EXPECT_EQ(editor->dragMode, uint32_t('draw'));
        EXPECT_NE(editor->previewObject, nullptr);
        SendAt('msmv', b, releaseModifiers & kModifierShift);
        SendAt('lmup', b, releaseModifiers);
        EXPECT_EQ(editor->dragMode, 0u);
        EXPECT_EQ(editor->previewObject, nullptr);
        EXPECT_FALSE(windows.captured);
        std::vector<DocumentNode *> after = TopLevel();
        if (after.size() == before) return nullptr;
        EXPECT_EQ(after.size(), before + 1);
        for (DocumentNode *node : after)
        {
            auto *drawing = dynamic_cast<DrawingObject *>(node);
            if (drawing != nullptr && drawing->GetOutgoingLinkCount() == 2 && created.count(drawing) == 0)
            {
                created.insert(drawing);
                return drawing;
            }
        }
        return nullptr;
    }

    std::set<DrawingObject *> created;
};

TEST_F(DrawingTools, EveryToolMakesItsKindWithTheStyleChoicesAsOneStep)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    ToolPanelState &tools = editor->settings.state.toolPanel;
    tools.widthChoice = 40;
    tools.dashChoice = 44;
    tools.startDecorationChoice = 50;   // 'wedg'
    tools.finishDecorationChoice = 58;  // 'arr2'
    tools.startLengthChoice = 60;       // 'long'
    tools.finishLengthChoice = 64;      // 'shrt'
    tools.cornerRadiusChoice = 67;
    tools.strokeColor = {-1, 0xFF112233u};
    tools.fillColor = {5, 0};
    struct Case
    {
        uint32_t group;
        int32_t tool;
        uint32_t kind;
        bool vertical;   // bent lines
        bool fill;       // shapes
        bool stroke;
        uint32_t bracket;
    } cases[] = {
        {kToolGroupLine, 2, 'line', false, false, true, 0},    {kToolGroupLine, 3, 'corn', false, false, true, 0},
        {kToolGroupLine, 4, 'corn', true, false, true, 0},     {kToolGroupLine, 5, 'zgzg', false, false, true, 0},
        {kToolGroupLine, 6, 'zgzg', true, false, true, 0},     {kToolGroupLine, 7, 'quar', false, false, true, 0},
        {kToolGroupLine, 8, 'quar', true, false, true, 0},     {kToolGroupLine, 9, 'jost', false, false, true, 'brck'},
        {kToolGroupLine, 10, 'jost', false, false, true, 'brac'}, {kToolGroupLine, 11, 'jost', false, false, true, 'shel'},
        {kToolGroupShape, 12, 'rect', false, true, false, 0},  {kToolGroupShape, 13, 'rect', false, false, true, 0},
        {kToolGroupShape, 14, 'rect', false, true, true, 0},   {kToolGroupShape, 15, 'rdrt', false, true, false, 0},
        {kToolGroupShape, 16, 'rdrt', false, false, true, 0},  {kToolGroupShape, 17, 'rdrt', false, true, true, 0},
        {kToolGroupShape, 18, 'elps', false, true, false, 0},  {kToolGroupShape, 19, 'elps', false, false, true, 0},
        {kToolGroupShape, 20, 'elps', false, true, true, 0},
    };
    for (const Case &c : cases)
    {
        std::string name = "tool " + std::to_string(c.tool);
        editor->SetDrawingToolGroup(c.group);
        (c.group == kToolGroupLine ? tools.lineTool : tools.shapeTool) = c.tool;
        AnchorRecord a;
        AnchorRecord b;
        ASSERT_NO_FATAL_FAILURE(PickPair(&a, &b));
        std::string steps = DescribeSteps(editor);
        std::string text = DocumentText(editor);
        DrawingObject *drawing = Draw(a, Point2D(b.x, b.y));
        ASSERT_NE(drawing, nullptr) << name;
        EXPECT_EQ(drawing->GetKind(), c.kind) << name;
        if (c.kind != 'rect' && c.kind != 'rdrt' && c.kind != 'elps')
        {
            EXPECT_EQ(GetDrawingCategory(drawing), c.kind == 'jost' ? 'jost' : 'line') << name;
        }
        // The first link is the start, the last the finish.
        NodeLink *first = drawing->GetFirstOutgoingLink();
        NodeLink *last = first->GetNextOutgoingLink();
        EXPECT_TRUE(first->GetTarget() == a.node && first->anchorKind == a.kind && first->anchorIndex == a.index) << name;
        EXPECT_TRUE(last->GetTarget() == b.node && last->anchorKind == b.kind && last->anchorIndex == b.index) << name;
        EXPECT_EQ(first->value, 0.0f);
        EXPECT_EQ(drawing->strokePaletteIndex, -1) << name;
        EXPECT_EQ(drawing->strokeColor, 0xFF112233u) << name;
        if (auto *bracket = dynamic_cast<BracketObject *>(drawing))
        {
            EXPECT_EQ(bracket->outlineType, c.bracket) << name;
            EXPECT_EQ(bracket->startLengthStyle, uint32_t('long')) << name;
            EXPECT_EQ(bracket->finishLengthStyle, uint32_t('shrt')) << name;
        }
        else if (auto *line = dynamic_cast<LineObject *>(drawing))
        {
            EXPECT_EQ(line->widthIndex, 2) << name;
            EXPECT_EQ(line->dashIndex, 1) << name;
            EXPECT_EQ(line->startDecoration, uint32_t('wedg')) << name;
            EXPECT_EQ(line->finishDecoration, uint32_t('arr2')) << name;
            EXPECT_EQ(line->startOffset, uint32_t('long')) << name;
            EXPECT_EQ(line->finishOffset, uint32_t('shrt')) << name;
            if (auto *bent = dynamic_cast<BentLineObject *>(drawing))
            {
                EXPECT_EQ(bent->v, c.vertical) << name;
            }
        }
        else
        {
            EXPECT_EQ(drawing->fill, c.fill) << name;
            EXPECT_EQ(drawing->stroke, c.stroke) << name;
            EXPECT_EQ(drawing->widthIndex, 2) << name;
            EXPECT_EQ(drawing->dashIndex, 1) << name;
            EXPECT_EQ(drawing->fillPaletteIndex, 5) << name;
            if (auto *rounded = dynamic_cast<RoundedRectangleObject *>(drawing))
            {
                EXPECT_EQ(rounded->radiusIndex, 2) << name;
            }
        }
        // Before the main group: the background layer.
        std::vector<DocumentNode *> nodes = TopLevel();
        EXPECT_EQ(nodes.front(), drawing) << name;
        // One step, and Undo takes it away.
        EXPECT_NE(DescribeSteps(editor), steps) << name;
        ASSERT_TRUE(editor->Undo()) << name;
        EXPECT_EQ(DocumentText(editor), text) << name;
        created.clear();
        Load(kThreeRows);
    }
}

TEST_F(DrawingTools, ForegroundLayerAppendsAndReleasesOnNothingDeleteThePreview)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    AnchorRecord a;
    AnchorRecord b;
    ASSERT_NO_FATAL_FAILURE(PickPair(&a, &b));
    editor->settings.state.toolPanel.drawInForeground = true;
    DrawingObject *drawing = Draw(a, Point2D(b.x, b.y));
    ASSERT_NE(drawing, nullptr);
    EXPECT_EQ(TopLevel().back(), drawing);

    // A release far from every anchor makes nothing and leaves no step.
    std::string steps = DescribeSteps(editor);
    std::vector<AnchorRecord> anchors = Anchors();
    EXPECT_EQ(Draw(anchors.front(), Point2D(a.x + 500.0f, a.y + 500.0f)), nullptr);
    EXPECT_EQ(DescribeSteps(editor), steps);

    // An unknown tool refuses the press: no drag, no preview.
    editor->settings.state.toolPanel.lineTool = 77;
    anchors = Anchors();
    EXPECT_FALSE(SendAt('lmdn', Point2D(anchors.front().x, anchors.front().y), 1));
    EXPECT_EQ(editor->previewObject, nullptr);
    SendAt('lmup', Point2D(anchors.front().x, anchors.front().y));
}

TEST_F(DrawingTools, ShiftAtReleaseKeepsTheConstraintAndShapesRefuseTheStartsXOrY)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    // Two anchors on one horizontal: a release with Shift off their line still lands on the second.
    std::vector<AnchorRecord> anchors = Anchors();
    AnchorRecord a;
    AnchorRecord b;
    bool found = false;
    for (size_t i = 0; i < anchors.size() && !found; ++i)
    {
        for (size_t j = 0; j < anchors.size() && !found; ++j)
        {
            if (anchors[j].y == anchors[i].y && anchors[j].x - anchors[i].x > 10.0f)
            {
                a = anchors[i];
                b = anchors[j];
                found = true;
            }
        }
    }
    ASSERT_TRUE(found);
    Point2D off(b.x, b.y + 4.0f);
    EXPECT_EQ(Draw(a, off), nullptr);
    anchors = Anchors();
    DrawingObject *line = Draw(a, off, kModifierShift);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetFirstOutgoingLink()->GetNextOutgoingLink()->GetTarget(), b.node);

    // The same pair as a shape: same y, no target, the shape is deleted.
    editor->SetDrawingToolGroup(kToolGroupShape);
    Anchors();
    EXPECT_EQ(Draw(a, Point2D(b.x, b.y)), nullptr);
}

TEST_F(DrawingTools, GuideTargetsCutSmallOffsetsToZero)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    std::vector<AnchorRecord> anchors = Anchors();
    ASSERT_FALSE(anchors.empty());
    const AnchorRecord a = anchors.front();
    // A horizontal guide of the group, and a point on it away from every point anchor.
    const AnchorRecord *guide = nullptr;
    for (const AnchorRecord &r : editor->anchorRecords)
    {
        if (r.kind == 'xxx!' && std::fabs(r.y - a.y) > 6.0f) guide = &r;
    }
    ASSERT_NE(guide, nullptr);
    const AnchorRecord g = *guide;
    float tolerance = 3.0f / editor->zoom;
    struct Case
    {
        float dx;
        float value;
    } cases[] = {{0.5f * tolerance, 0.0f}, {-60.0f, -60.0f}};
    int32_t ran = 0;
    for (const Case &c : cases)
    {
        Point2D target(a.x + c.dx, g.y + 0.25f * tolerance);
        const AnchorRecord *point = editor->FindAnchorAtPoint(target, nullptr);
        if (point != nullptr) continue;  // a point anchor would win
        ++ran;
        DrawingObject *line = Draw(a, target);
        ASSERT_NE(line, nullptr) << c.dx;
        NodeLink *finish = line->GetFirstOutgoingLink()->GetNextOutgoingLink();
        EXPECT_EQ(finish->anchorKind, uint32_t('xxx!')) << c.dx;
        EXPECT_NEAR(finish->value, c.value, 1e-3f) << c.dx;
        Anchors();
    }
    EXPECT_EQ(ran, 2);
}

TEST_F(DrawingTools, AnnotationGroupsAreMadeOnceAtAnAnchor)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    AnchorRecord a;
    AnchorRecord b;
    ASSERT_NO_FATAL_FAILURE(PickPair(&a, &b));
    DrawingObject *line = Draw(a, Point2D(b.x, b.y));
    ASSERT_NE(line, nullptr);

    editor->SetDrawingToolGroup(kToolGroupAnnotation);
    std::vector<AnchorRecord> anchors = Anchors();
    ASSERT_FALSE(anchors.empty());
    const AnchorRecord at = anchors.front();
    EXPECT_EQ(at.kind, uint32_t('anno'));
    std::string text = DocumentText(editor);
    EXPECT_TRUE(SendAt('lmdn', Point2D(at.x, at.y), 1));
    SendAt('lmup', Point2D(at.x, at.y));
    std::vector<DocumentNode *> nodes = TopLevel();
    auto *group = dynamic_cast<GroupNode *>(nodes.back());
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->role, uint32_t('anno'));
    EXPECT_EQ(group->alignment, uint32_t('cent'));
    ASSERT_NE(group->GetFirstOutgoingLink(), nullptr);
    EXPECT_EQ(group->GetFirstOutgoingLink()->GetTarget(), at.node);
    EXPECT_EQ(group->GetFirstOutgoingLink()->anchorIndex, at.index);
    EXPECT_EQ(editor->document.selection.start.node, group->GetFirstMathSubnode());
    EXPECT_EQ(editor->document.selection.start.node->GetKind(), kRowBeginKind);
    EXPECT_EQ(editor->document.objectSelection.GetElementCount(), 0);

    // A second one at the same anchor is refused without a step.
    std::string steps = DescribeSteps(editor);
    anchors = Anchors();
    ASSERT_FALSE(anchors.empty());
    EXPECT_FALSE(SendAt('lmdn', Point2D(at.x, at.y), 1));
    SendAt('lmup', Point2D(at.x, at.y));
    EXPECT_EQ(DescribeSteps(editor), steps);
    EXPECT_EQ(TopLevel().size(), nodes.size());
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DocumentText(editor), text);
}

class ConnectionEnds : public DrawingTools
{
protected:
    // A line from a to b, selected alone with its handles and the anchors its ends may move to.
    void SetUpLine()
    {
        ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
        editor->SetDrawingToolGroup(kToolGroupLine);
        ASSERT_NO_FATAL_FAILURE(PickPair(&a, &b));
        line = Draw(a, Point2D(b.x, b.y));
        ASSERT_NE(line, nullptr);
        editor->SetDrawingToolGroup(kToolGroupEquation);
        ASSERT_TRUE(LayoutTestDocument(editor));
        editor->document.objectSelection.SetElementCount(0);
        editor->document.objectSelection.AddElement(line);
        editor->BuildSelectionOverlay();
        ASSERT_TRUE(editor->handlesShown);
        editor->BuildAnchorOverlay();
        // A third anchor for the finish.
        for (const AnchorRecord &r : editor->anchorRecords)
        {
            if (IsEdgeAnchorKind(r.kind) || editor->FindAnchorAtPoint(Point2D(r.x, r.y), nullptr) != &r) continue;
            if (std::hypot(r.x - b.x, r.y - b.y) > 6.0f && std::hypot(r.x - a.x, r.y - a.y) > 6.0f)
            {
                c = r;
                return;
            }
        }
        FAIL() << "no third anchor";
    }

    AnchorRecord a;
    AnchorRecord b;
    AnchorRecord c;
    DrawingObject *line = nullptr;
};

TEST_F(ConnectionEnds, MovingTheFinishReconnectsItAsOneStep)
{
    ASSERT_NO_FATAL_FAILURE(SetUpLine());
    std::string text = DocumentText(editor);
    Point2D finish(editor->endHandles[1].x, editor->endHandles[1].y);
    EXPECT_TRUE(SendAt('lmdn', finish, 1));
    EXPECT_EQ(editor->dragMode, uint32_t('conn'));
    EXPECT_TRUE(SendAt('msmv', Point2D(c.x, c.y)));
    EXPECT_EQ(line->draggedEnd, 1);
    EXPECT_TRUE(SendAt('lmup', Point2D(c.x, c.y)));
    EXPECT_EQ(line->draggedEnd, -1);
    NodeLink *last = line->GetFirstOutgoingLink()->GetNextOutgoingLink();
    EXPECT_TRUE(last->GetTarget() == c.node && last->anchorKind == c.kind && last->anchorIndex == c.index);
    EXPECT_EQ(line->GetFirstOutgoingLink()->GetTarget(), a.node);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(DocumentText(editor), text);
}

TEST_F(ConnectionEnds, ReleaseOnNothingKeepsTheOldConnection)
{
    ASSERT_NO_FATAL_FAILURE(SetUpLine());
    std::string steps = DescribeSteps(editor);
    Point2D finish(editor->endHandles[1].x, editor->endHandles[1].y);
    SendAt('lmdn', finish, 1);
    SendAt('msmv', Point2D(finish.x + 300.0f, finish.y));
    SendAt('lmup', Point2D(finish.x + 300.0f, finish.y));
    EXPECT_EQ(line->draggedEnd, -1);
    EXPECT_EQ(line->GetFirstOutgoingLink()->GetNextOutgoingLink()->GetTarget(), b.node);
    EXPECT_EQ(DescribeSteps(editor), steps);
    EXPECT_TRUE(editor->settings.layoutDue);
}

// A tree replacement in the middle of a drag ends it: nothing the drag held is used afterwards.
TEST_F(ConnectionEnds, UndoDuringADragEndsIt)
{
    ASSERT_NO_FATAL_FAILURE(SetUpLine());
    Point2D finish(editor->endHandles[1].x, editor->endHandles[1].y);
    SendAt('lmdn', finish, 1);
    SendAt('msmv', Point2D(c.x, c.y));
    ASSERT_EQ(editor->dragMode, uint32_t('conn'));
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(editor->connectObject, nullptr);
    EXPECT_EQ(editor->grabbedHandle.link, nullptr);
    EXPECT_FALSE(SendAt('msmv', Point2D(c.x + 1.0f, c.y)));
    uint64_t deadline = 0;
    static_cast<void>(editor->TickAt(uint64_t(editor->lastTickTime) + 10, false, &deadline));
    EXPECT_FALSE(SendAt('lmup', Point2D(c.x, c.y)));
    EXPECT_FALSE(windows.captured);
}

TEST_F(DrawingTools, UndoDuringADrawOrSelectionDragEndsIt)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    AnchorRecord a;
    AnchorRecord b;
    ASSERT_NO_FATAL_FAILURE(PickPair(&a, &b));
    ASSERT_NE(Draw(a, Point2D(b.x, b.y)), nullptr);
    std::vector<AnchorRecord> anchors = Anchors();

    // 'draw': the preview and its start anchor go.
    SendAt('lmdn', Point2D(anchors.front().x, anchors.front().y), 1);
    SendAt('msmv', Point2D(b.x, b.y));
    ASSERT_EQ(editor->dragMode, uint32_t('draw'));
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(editor->previewObject, nullptr);
    EXPECT_EQ(editor->startAnchor.node, nullptr);
    EXPECT_FALSE(SendAt('msmv', Point2D(b.x + 1.0f, b.y)));
    EXPECT_FALSE(SendAt('lmup', Point2D(b.x, b.y)));

    // 'eqtn': the selection anchor goes.
    editor->SetDrawingToolGroup(kToolGroupEquation);
    ASSERT_TRUE(LayoutTestDocument(editor));
    main = editor->document.GetMainGroup();  // the Undo replaced the tree
    Point2D inText(main->absolutePosition.x + 1.0f, main->absolutePosition.y);
    SendAt('lmdn', inText, 1);
    ASSERT_EQ(editor->dragMode, uint32_t('eqtn'));
    ASSERT_TRUE(editor->Redo());
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(editor->selectionAnchor.node, nullptr);
    EXPECT_FALSE(SendAt('msmv', Point2D(inText.x + 20.0f, inText.y)));
    uint64_t deadline = 0;
    static_cast<void>(editor->TickAt(uint64_t(editor->lastTickTime) + 10, true, &deadline));
    EXPECT_FALSE(SendAt('lmup', inText));
    EXPECT_FALSE(windows.captured);
}

// A popup opening in the middle of a drag cancels it: the preview goes and the capture is released.
TEST_F(DrawingTools, APopupCancelsADrag)
{
    FakeDialogServices services;
    SetWindowSystem(&windows);
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    AnchorRecord a;
    AnchorRecord b;
    ASSERT_NO_FATAL_FAILURE(PickPair(&a, &b));
    std::string steps = DescribeSteps(editor);
    SendAt('lmdn', Point2D(a.x, a.y), 1);
    SendAt('msmv', Point2D(b.x, b.y));
    ASSERT_EQ(editor->dragMode, uint32_t('draw'));
    ASSERT_TRUE(windows.captured);
    auto *dialog = new DialogWindow(FakeWindowSystem::kMainWindow, "Font Import", 100, 50);
    editor->SetActivePopup(dialog);
    EXPECT_EQ(editor->dragMode, 0u);
    EXPECT_EQ(editor->previewObject, nullptr);
    EXPECT_EQ(editor->previewOverlay, nullptr);
    EXPECT_FALSE(windows.captured);
    EXPECT_EQ(editor->heldButtons, 0);
    EXPECT_FALSE(SendAt('lmup', Point2D(b.x, b.y)));
    EXPECT_EQ(DescribeSteps(editor), steps);
    editor->SetActivePopup(nullptr);
    delete dialog;
}

TEST_F(DrawingTools, AutoscrollOutsideTheViewEveryFourMilliseconds)
{
    ASSERT_NO_FATAL_FAILURE(Load(kThreeRows));
    editor->SetDrawingToolGroup(kToolGroupLine);
    std::vector<AnchorRecord> anchors = Anchors();
    ASSERT_FALSE(anchors.empty());
    editor->lastTickTime = 1000;
    SendAt('lmdn', Point2D(anchors.front().x, anchors.front().y), 1);
    ASSERT_EQ(editor->dragMode, uint32_t('draw'));
    Send('msmv', Point2D(450.0f, 150.0f));
    Point2D centre = editor->viewCentre;
    uint64_t deadline = 0;
    EXPECT_TRUE(editor->TickAt(1010, false, &deadline));
    EXPECT_EQ(deadline, 1014u);
    EXPECT_GT(editor->viewCentre.x, centre.x);
    EXPECT_EQ(editor->lastDragEvent.position.x, 450.0f);

    // Inside the view only a change of Shift replays the drag.
    Send('msmv', Point2D(200.0f, 150.0f));
    centre = editor->viewCentre;
    editor->ReleasePreviewOverlay();
    static_cast<void>(editor->TickAt(1020, false, &deadline));
    EXPECT_NE(deadline, 1024u);
    EXPECT_EQ(editor->viewCentre.x, centre.x);
    EXPECT_EQ(editor->lastDragEvent.modifiers & kModifierShift, 0u);
    EXPECT_TRUE(editor->TickAt(1030, true, &deadline));
    EXPECT_NE(editor->lastDragEvent.modifiers & kModifierShift, 0u);
    Send('lmup', Point2D(200.0f, 150.0f));
}

}  // namespace
}  // namespace oq::test
