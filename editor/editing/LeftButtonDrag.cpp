// The view's left button: the press that picks the drag, the drag and the release, with the line
// and shape tools and the annotation tool.
#include "editor/document/GroupNode.h"
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
#include "editor/editing/Editor.h"

#include <cmath>

namespace oq {

namespace {

constexpr uint32_t kEndDecorations[] = {0, kLineEndRoundDot, kLineEndSquareDot, kLineEndWedge, kLineEndArrow1,
                                        kLineEndArrow2};
constexpr uint32_t kEndLengths[] = {0, kLineEndLong, kLineEndShort};

// The table entry of a choice counted from the first button; 0 outside the table.
template <size_t N>
uint32_t TableEntry(const uint32_t (&table)[N], int32_t choice, int32_t first)
{
    int32_t i = choice - first;
    return i >= 0 && size_t(i) < N ? table[i] : 0;
}

// A choice counted from the first button, kept within [0, count).
uint8_t ChoiceIndex(int32_t choice, int32_t first, int32_t count)
{
    int32_t i = choice - first;
    return uint8_t(i >= 0 && i < count ? i : 0);
}

void SetColors(DrawingObject *object, const ToolPanelState &tools, bool fill)
{
    object->strokePaletteIndex = tools.strokeColor.paletteIndex;
    object->strokeColor = tools.strokeColor.color;
    if (fill)
    {
        object->fillPaletteIndex = tools.fillColor.paletteIndex;
        object->fillColor = tools.fillColor.color;
    }
}

// The top-level group that holds the node; null when none.
GroupNode *GetTopLevelGroup(MathNode *node)
{
    if (node == nullptr) return nullptr;
    while (MathNode *above = node->GetSuperMathNode()) node = above;
    return dynamic_cast<GroupNode *>(node);
}

bool HasIncomingLink(const DocumentNode *node, uint32_t kind, int32_t index)
{
    for (NodeLink *link = node->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
    {
        if (link->anchorKind == kind && link->anchorIndex == index) return true;
    }
    return false;
}

}  // namespace

DocumentNode *Editor::MakeLineToolObject() const
{
    const ToolPanelState &tools = settings.state.toolPanel;
    int32_t tool = tools.lineTool;
    if (tool >= 9 && tool <= 11)
    {
        static constexpr BracketOutlineType kShapes[] = {kBracketOutlineSquare, kBracketOutlineBrace,
                                                         kBracketOutlineShell};
        auto *bracket = new BracketObject(kShapes[tool - 9]);
        bracket->startLengthStyle = TableEntry(kEndLengths, tools.startLengthChoice, 59);
        bracket->finishLengthStyle = TableEntry(kEndLengths, tools.finishLengthChoice, 62);
        SetColors(bracket, tools, false);
        return bracket;
    }
    LineObject *line = nullptr;
    switch (tool)
    {
    case 2: line = new LineObject; break;
    case 3:
    case 4: line = new CornerLineObject(tool == 4); break;
    case 5:
    case 6: line = new ZigzagLineObject(tool == 6); break;
    case 7:
    case 8: line = new QuarterLineObject(tool == 8); break;
    default: return nullptr;
    }
    line->widthIndex = ChoiceIndex(tools.widthChoice, 38, 5);
    line->dashIndex = ChoiceIndex(tools.dashChoice, 43, 3);
    line->startDecoration = TableEntry(kEndDecorations, tools.startDecorationChoice, 47);
    line->finishDecoration = TableEntry(kEndDecorations, tools.finishDecorationChoice, 53);
    line->startOffset = TableEntry(kEndLengths, tools.startLengthChoice, 59);
    line->finishOffset = TableEntry(kEndLengths, tools.finishLengthChoice, 62);
    SetColors(line, tools, false);
    return line;
}

DocumentNode *Editor::MakeShapeToolObject() const
{
    const ToolPanelState &tools = settings.state.toolPanel;
    int32_t tool = tools.shapeTool;
    if (tool < 12 || tool > 20) return nullptr;
    int32_t style = (tool - 12) % 3;
    bool fill = style != 1;
    bool stroke = style != 0;
    DrawingObject *object = nullptr;
    if (tool <= 14)
        object = new RectangleObject(fill, stroke);
    else if (tool <= 17)
    {
        auto *rounded = new RoundedRectangleObject(fill, stroke);
        rounded->radiusIndex = ChoiceIndex(tools.cornerRadiusChoice, 65, 3);
        object = rounded;
    }
    else
        object = new EllipseObject(fill, stroke);
    object->widthIndex = ChoiceIndex(tools.widthChoice, 38, 5);
    object->dashIndex = ChoiceIndex(tools.dashChoice, 43, 3);
    SetColors(object, tools, true);
    return object;
}

bool Editor::HandleLeftPress(const UIEvent &event)
{
    lastDragEvent = event;
    pressDoubleClick = event.key != 0;
    static_cast<void>(DiscardHoverHighlight());
    static_cast<void>(DiscardObjectHoverOutline());
    const Point2D p = GetDocumentPoint(event.position);

    if (drawingToolGroup == kToolGroupAnnotation)
    {
        const AnchorRecord *found = FindAnchorAtPoint(p, nullptr);
        if (found != nullptr)
        {
            const AnchorRecord anchor = *found;
            if (HasIncomingLink(anchor.node, anchor.kind, anchor.index)) return false;
            BeginEditBatch(EditBatchVariant::kObject);
            GroupNode *last = nullptr;
            for (KettricStructure *s = document.GetRootStructure()->GetFirstSubnodeStructure(); s != nullptr;
                 s = s->GetNextStructure())
            {
                if (auto *group = dynamic_cast<GroupNode *>(s)) last = group;
            }
            auto *group = new GroupNode('anno');
            group->alignment = 'cent';
            if (last != nullptr)
                document.GetRootStructure()->InsertSubnodeAfter(group, last);
            else
                document.GetRootStructure()->AppendSubnode(group);
            auto *rowBegin = new RowBeginNode;
            group->AppendSubnode(rowBegin);
            new NodeLink(group, anchor.node, anchor.kind, anchor.index, 0.0f);
            document.objectSelection.SetElementCount(0);
            SetSelection(CaretPosition{rowBegin, 0}, CaretPosition{rowBegin, 0});
            EndEditBatch();
            return true;
        }
    }
    else
    {
        if (handlesShown && document.objectSelection.GetElementCount() == 1)
        {
            const EndHandle *handle = FindEndHandleAt(p);
            if (handle != nullptr && handle->link != nullptr)
            {
                const EndHandle &other = endHandles[handle->end == 0 ? 1 : 0];
                grabbedHandle = *handle;
                connectObject = handle->link->GetSource();
                otherEnd = AnchorRecord{other.link != nullptr ? other.link->GetTarget() : nullptr,
                                        other.link != nullptr ? other.link->anchorKind : 0,
                                        other.link != nullptr ? other.link->anchorIndex : 0, other.x, other.y};
                grabbedLineStart = handle->end == 0 && connectObject->GetKind() == kLineObjectKind;
                dragMode = 'conn';
                return true;
            }
        }
        if (drawingToolGroup == kToolGroupLine || drawingToolGroup == kToolGroupShape)
        {
            const AnchorRecord *found = FindAnchorAtPoint(p, nullptr);
            if (found != nullptr)
            {
                DocumentNode *object =
                    drawingToolGroup == kToolGroupLine ? MakeLineToolObject() : MakeShapeToolObject();
                auto *drawing = dynamic_cast<DrawingObject *>(object);
                if (drawing == nullptr)
                {
                    delete object;
                    return false;
                }
                startAnchor = *found;
                delete previewObject;
                previewObject = drawing;
                ReleasePreviewOverlay();
                Point2D start(startAnchor.x, startAnchor.y);
                drawing->RebuildGeometry(&document.design, start, start);
                static_cast<void>(DiscardHoverHighlight());
                dragMode = 'draw';
                return true;
            }
        }
    }

    // The caret. The row tables are stale between an edit and the next layout: no caret is looked
    // for in them then.
    bool laidOut = !settings.layoutDue;
    bool backwards = drawingToolGroup == kToolGroupAnnotation;
    KettricStructure *root = document.GetRootStructure();
    for (KettricStructure *s = backwards ? root->GetLastSubnodeStructure() : root->GetFirstSubnodeStructure();
         s != nullptr; s = backwards ? s->GetPreviousStructure() : s->GetNextStructure())
    {
        auto *group = dynamic_cast<GroupNode *>(s);
        CaretPosition position;
        if (laidOut && group != nullptr && FindCaretAtPoint(group, p, &position))
        {
            PlaceCaretFromPress(position);
            return true;
        }
    }
    if (HandleRightPress(p)) return true;
    GroupNode *main = laidOut ? document.GetMainGroup() : nullptr;
    if (main != nullptr)
    {
        CaretPosition position;
        static_cast<void>(FindCaretInGroup(main, p, &position));
        if (main->GetRowCount() > 0 && position.node != nullptr)
        {
            PlaceCaretFromPress(position);
            return true;
        }
    }
    if (document.objectSelection.GetElementCount() > 0)
    {
        document.objectSelection.SetElementCount(0);
        DiscardSelectionOverlay();
        DiscardAnchorOverlay();
        return true;
    }
    return false;
}

const AnchorRecord *Editor::FindDragTarget(const UIEvent &event, Point2D *point, float *linkValue) const
{
    Point2D p = GetDocumentPoint(event.position);
    *linkValue = 0.0f;
    float offset = 0.0f;
    const AnchorRecord *from = nullptr;
    const AnchorRecord *target = nullptr;
    if (dragMode == 'draw')
    {
        from = &startAnchor;
        if ((event.modifiers & kModifierShift) != 0)
        {
            // Horizontal wins a tie.
            if (std::fabs(p.y - startAnchor.y) > std::fabs(p.x - startAnchor.x))
                p.x = startAnchor.x;
            else
                p.y = startAnchor.y;
        }
        target = FindConnectTarget(p, GetDrawingCategory(previewObject), &startAnchor, &offset);
    }
    else if (dragMode == 'conn')
    {
        from = &otherEnd;
        target = grabbedLineStart ? FindAnchorAtPoint(p, &otherEnd)
                                  : FindConnectTarget(p, GetDrawingCategory(connectObject), &otherEnd, &offset);
    }
    if (target != nullptr)
    {
        p = Point2D(target->x, target->y);
        if (IsEdgeAnchorKind(target->kind))
        {
            if (std::fabs(offset) < 3.0f / zoom) offset = 0.0f;
            if (target->kind == 'xxx!')
                p.x = from->x + offset;
            else if (target->kind == 'yyy!')
                p.y = from->y + offset;
            *linkValue = offset;
        }
    }
    *point = p;
    return target;
}

bool Editor::HandlePointerDrag(const UIEvent &event)
{
    lastDragEvent = event;
    switch (dragMode)
    {
    case 'eqtn':
    {
        GroupNode *top = GetTopLevelGroup(selectionAnchor.node);
        if (top == nullptr || settings.layoutDue) return false;
        const Point2D p = GetDocumentPoint(event.position);
        CaretPosition position;
        if (!FindCaretAtPoint(top, p, &position)) static_cast<void>(FindCaretInGroup(top, p, &position));
        if (position.node == nullptr) return false;
        const Selection before = document.selection;
        movingEnd = OrderSelectionEnds(selectionAnchor, position);
        if (pressDoubleClick && document.selection.start.node != nullptr)
        {
            GroupNode *group = document.selection.start.node->GetEnclosingGroup();
            MathNode *first = group != nullptr ? group->GetFirstMathSubnode() : nullptr;
            MathNode *last = group != nullptr ? group->GetLastMathSubnode() : nullptr;
            if (first != nullptr && last != nullptr)
            {
                document.selection.start = CaretPosition{first, 0};
                document.selection.end = CaretPosition{last, last->GetEndIndex()};
            }
        }
        const Selection &after = document.selection;
        if (before.start.node == after.start.node && before.start.index == after.start.index &&
            before.end.node == after.end.node && before.end.index == after.end.index)
            return false;
        DiscardSelectionOverlay();
        return true;
    }
    case 'draw':
    {
        auto *drawing = dynamic_cast<DrawingObject *>(previewObject);
        if (drawing == nullptr) return false;
        Point2D point;
        float linkValue = 0.0f;
        const AnchorRecord *target = FindDragTarget(event, &point, &linkValue);
        if (target != nullptr)
            static_cast<void>(HighlightAnchor(*target, point));
        else
            static_cast<void>(DiscardHoverHighlight());
        drawing->RebuildGeometry(&document.design, Point2D(startAnchor.x, startAnchor.y), point);
        ReleasePreviewOverlay();
        return true;
    }
    case 'conn':
    {
        auto *drawing = dynamic_cast<DrawingObject *>(connectObject);
        if (drawing == nullptr) return false;
        Point2D point;
        float linkValue = 0.0f;
        static_cast<void>(FindDragTarget(event, &point, &linkValue));
        drawing->draggedEnd = grabbedHandle.end;
        drawing->freePoint = point;
        settings.layoutDue = true;
        return true;
    }
    default: return false;
    }
}

bool Editor::HandleLeftRelease(const UIEvent &event)
{
    if (dragMode == 'draw')
    {
        auto *drawing = dynamic_cast<DrawingObject *>(previewObject);
        Point2D point;
        float linkValue = 0.0f;
        const AnchorRecord *found = drawing != nullptr ? FindDragTarget(event, &point, &linkValue) : nullptr;
        previewObject = nullptr;
        ReleasePreviewOverlay();
        if (found != nullptr)
        {
            // The batch empties the anchor records: keep the target.
            const AnchorRecord target = *found;
            drawing->RebuildGeometry(&document.design, Point2D(startAnchor.x, startAnchor.y), point);
            BeginEditBatch(EditBatchVariant::kObject);
            KettricStructure *root = document.GetRootStructure();
            GroupNode *main = document.GetMainGroup();
            if (settings.state.toolPanel.drawInForeground || main == nullptr)
                root->AppendSubnode(drawing);
            else
                root->InsertSubnodeBefore(drawing, main);
            new NodeLink(drawing, startAnchor.node, startAnchor.kind, startAnchor.index, 0.0f);
            new NodeLink(drawing, target.node, target.kind, target.index, linkValue);
            EndEditBatch();
        }
        else
            delete drawing;
        startAnchor = AnchorRecord();
        static_cast<void>(DiscardHoverHighlight());
        return true;
    }
    if (dragMode == 'conn')
    {
        auto *drawing = dynamic_cast<DrawingObject *>(connectObject);
        Point2D point;
        float linkValue = 0.0f;
        const AnchorRecord *found = FindDragTarget(event, &point, &linkValue);
        if (drawing != nullptr) drawing->draggedEnd = -1;
        if (found != nullptr && grabbedHandle.link != nullptr)
        {
            const AnchorRecord target = *found;
            NodeLink *link = grabbedHandle.link;
            BeginEditBatch(EditBatchVariant::kObject);
            link->SetTarget(target.node);
            link->anchorKind = target.kind;
            link->anchorIndex = target.index;
            link->value = linkValue;
            EndEditBatch();
        }
        settings.layoutDue = true;
        connectObject = nullptr;
        grabbedHandle = EndHandle();
        otherEnd = AnchorRecord();
        return true;
    }
    return false;
}

}  // namespace oq
