// Groups: reading and writing, the row layout and the LaTeX and MathML of rows.
#include "editor/document/GroupNode.h"

#include "editor/document/AlignmentMarkNode.h"
#include "editor/document/ConnectionStructure.h"
#include "editor/document/MathDesign.h"
#include "editor/document/PhantomNode.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RowBeginNode.h"

#include <cstring>

namespace oq {

namespace {

// The number of row begins among the group's subnodes and whether one of them is an alignment mark.
void CountRows(const GroupNode *group, int32_t *rowBegins, bool *hasMark)
{
    *rowBegins = 0;
    *hasMark = false;
    for (const MathNode *node = group->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind) ++*rowBegins;
        else if (node->GetKind() == kAlignmentMarkKind) *hasMark = true;
    }
}

// Gives the row to everything inside a phantom (nested phantoms too) and to the decorations of a
// symbol run: their anchors read the row record of the group that numbers the phantom or run.
void NumberInnerNodes(MathNode *node, int32_t row)
{
    if (node->GetKind() != kPhantomKind && node->GetKind() != kSymbolRunKind) return;
    for (MathNode *inner = node->GetFirstMathSubnode(); inner != nullptr; inner = inner->GetNextMathNode())
    {
        inner->rowIndex = row;
        NumberInnerNodes(inner, row);
    }
}

const char *GetAlignmentWord(uint32_t alignment)
{
    if (alignment == kAlignCentre) return "center";
    if (alignment == kAlignRight) return "right";
    return "left";
}

}  // namespace

GroupNode::GroupNode(uint32_t groupRole) : MathNode(kGroupKind), role(groupRole)
{
}

GroupNode::GroupNode(const GroupNode &node)
    : MathNode(node), role(node.role), alignment(node.alignment), baselineRow(node.baselineRow)
{
}

bool GroupNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                              void **storage)
{
    uint32_t *destination = nullptr;
    if (std::strcmp(identifier, "t") == 0) destination = &role;
    else if (std::strcmp(identifier, "al") == 0) destination = &alignment;
    else if (std::strcmp(identifier, "ba") == 0) destination = &baselineRow;
    if (destination == nullptr) return MathNode::CheckProperty(document, identifier, type, storage);
    *type = 'UI32';
    *storage = destination;
    return true;
}

bool GroupNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    if (structure->GetStructureType() == kConnectionStructureType) return true;
    const MathNode *node = FromStructure(structure);
    if (node == nullptr) return false;
    // A decoration lays itself out against the symbol run that holds it, never against a group.
    uint32_t kind = node->GetKind();
    return kind != kMarkKind && kind != kNegationKind && kind != kSlashKind && kind != kEnclosureKind;
}

KettricResult GroupNode::ResolveData(KettricDocument *document)
{
    KettricResult result = MathNode::ResolveData(document);
    if (alignment != kAlignCentre && alignment != kAlignLeft && alignment != kAlignRight) alignment = 0;
    if (baselineRow != kBaselineFirst && baselineRow != kBaselineMiddle) baselineRow = kBaselineLast;
    if (result != 0) return result;
    const MathNode *first = GetFirstMathSubnode();
    if (first == nullptr || first->GetKind() != kRowBeginKind) return kResultMissingSubstructure;
    return 0;
}

DocumentNode *GroupNode::Clone() const
{
    return new GroupNode(*this);
}

bool GroupNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteMathProperties(&writer);
    if (role != 0) writer.WriteFourCC("t", role);
    if (alignment != 0) writer.WriteFourCC("al", alignment);
    if (baselineRow != kBaselineLast) writer.WriteFourCC("ba", baselineRow);
    return writer.Opened();
}

void GroupNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Gr");
}

void GroupNode::LayoutBeforeChildren(const Design *)
{
    if (IsTopLevel())
    {
        spaceAtRowStart = true;
        spaceAtRowEnd = true;
    }
}

const GroupRow *GroupNode::GetRow(int32_t index) const
{
    int32_t count = rows.GetElementCount();
    if (count == 0) return nullptr;
    if (index < 0) index = 0;
    if (index >= count) index = count - 1;
    return &rows[index];
}

void GroupNode::Measure(const Design *design)
{
    // Numbering: each row begin opens a row; the marks of a row are its columns. Nodes before the
    // first row begin (never read from a file) count to the first row.
    int32_t rowCount = 0;
    int32_t maxColumns = 0;
    int32_t column = 0;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kRowBeginKind)
        {
            ++rowCount;
            column = 0;
        }
        else if (node->GetKind() == kAlignmentMarkKind)
        {
            ++column;
            if (column > maxColumns) maxColumns = column;
        }
        node->rowIndex = (rowCount > 0) ? rowCount - 1 : 0;
        NumberInnerNodes(node, node->rowIndex);
    }
    if (rowCount == 0) rowCount = 1;
    rows.SetElementCount(0);
    rows.SetElementCount(rowCount);

    // Columns and row extents, relative to each row's own baseline.
    Array<float, 8> columns;
    columns.SetElementCount(maxColumns);
    for (float &x : columns) x = 0.0f;
    int32_t mark = 0;
    float lastMark = 0.0f;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        GroupRow &row = rows[node->rowIndex];
        if (node->GetKind() == kRowBeginKind)
        {
            row.bottom = node->bottom + node->position.y;
            row.top = node->top + node->position.y;
            row.rowBegin = static_cast<RowBeginNode *>(node);
            mark = 0;
            lastMark = 0.0f;
        }
        else if (node->GetKind() == kAlignmentMarkKind)
        {
            float segment = node->position.x - lastMark;
            if (segment > columns[mark]) columns[mark] = segment;
            lastMark = node->position.x;
            ++mark;
        }
        if (node->bottom + node->position.y < row.bottom) row.bottom = node->bottom + node->position.y;
        if (node->top + node->position.y > row.top) row.top = node->top + node->position.y;
    }
    for (int32_t k = 1; k < maxColumns; ++k) columns[k] += columns[k - 1];

    // Stacking: each row's baseline lies far enough below the previous one for the gap, and at
    // least the line spacing.
    float em = GetEm(design);
    float mu = em / 18.0f;
    bool deep = scriptDepth > 0;
    bool annotation = role == kAnnotationRole;
    float lineSpacing = em * GetGeneralParam(design, annotation ? (deep ? 'als1' : 'als0') : (deep ? 'lsp1' : 'lsp0'));
    float minGap = GetGeneralParam(design, annotation ? (deep ? 'alg1' : 'alg0') : (deep ? 'lgp1' : 'lgp0'));
    float y = 0.0f;
    float previousBottom = 0.0f;
    for (int32_t i = 0; i < rowCount; ++i)
    {
        GroupRow &row = rows[i];
        if (i > 0)
        {
            float gap = (row.rowBegin != nullptr && row.rowBegin->lineGap >= 0.0f) ? row.rowBegin->lineGap : minGap;
            float above = row.top > 0.0f ? row.top : 0.0f;
            float below = previousBottom < 0.0f ? -previousBottom : 0.0f;
            float distance = above + below + gap * mu;
            y -= (distance > lineSpacing) ? distance : lineSpacing;
        }
        previousBottom = row.bottom;
        row.baselineOffset = y;
        row.bottom += y;
        row.top += y;
        row.x = 0.0f;
    }

    // Placing: each row on its baseline, the k-th mark of every row at the k-th column; a mark that
    // aligns right or centre moves the stretch before it along.
    float shift = 0.0f;
    mark = 0;
    MathNode *segmentStart = nullptr;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        GroupRow &row = rows[node->rowIndex];
        if (node->GetKind() == kRowBeginKind)
        {
            shift = 0.0f;
            mark = 0;
            segmentStart = node->GetNextMathNode();
        }
        else if (node->GetKind() == kAlignmentMarkKind)
        {
            float newShift = columns[mark] - node->position.x;
            uint32_t markAlignment = static_cast<AlignmentMarkNode *>(node)->markAlignment;
            float move = newShift - shift;
            if (markAlignment == kAlignCentre) move *= 0.5f;
            if (markAlignment == kAlignRight || markAlignment == kAlignCentre)
            {
                for (MathNode *m = segmentStart; m != nullptr && m != node; m = m->GetNextMathNode()) m->position.x += move;
            }
            shift = newShift;
            ++mark;
            segmentStart = node->GetNextMathNode();
        }
        node->position.y += row.baselineOffset;
        node->position.x += shift;
        row.rightEnd = node->position.x + node->width + node->overhang;
    }
    width = rows[0].rightEnd;
    for (const GroupRow &row : rows)
    {
        if (row.rightEnd > width) width = row.rightEnd;
    }
    bottom = rows[rowCount - 1].bottom;
    top = rows[0].top;

    // Row alignment, only for several rows without marks.
    uint32_t rowAlignment = GetEffectiveAlignment();
    if (rowCount > 1 && maxColumns == 0 && (rowAlignment == kAlignRight || rowAlignment == kAlignCentre))
    {
        float factor = (rowAlignment == kAlignCentre) ? 0.5f : 1.0f;
        for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
            node->position.x += (width - rows[node->rowIndex].rightEnd) * factor;
        for (GroupRow &row : rows)
        {
            float move = (width - row.rightEnd) * factor;
            row.x += move;
            row.rightEnd += move;
        }
    }

    // The ink extent over the final positions.
    float leftmost = 0.0f;
    float rightmost = 0.0f;
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        float left = node->position.x + node->inkLeft;
        float right = node->position.x + node->width + node->overhang + node->inkRight;
        if (left < leftmost) leftmost = left;
        if (right > rightmost) rightmost = right;
    }
    inkLeft = leftmost;
    inkRight = (rightmost - width > 0.0f) ? rightmost - width : 0.0f;

    if (role == 0 && IsTopLevel()) position = Point2D(0.0f, GetBaselineOffset(design));
    if (role == kAnnotationRole) PlaceAnnotation(design, em);
}

float GroupNode::GetBaselineOffset(const Design *design) const
{
    int32_t count = rows.GetElementCount();
    if (count <= 1) return 0.0f;
    if (baselineRow == kBaselineLast) return -rows[count - 1].baselineOffset;
    if (baselineRow == kBaselineMiddle)
    {
        if (count % 2 == 1) return -rows[count / 2].baselineOffset;
        return GetEm(design) * GetGeneralParam(design, 'axis') - (top + bottom) * 0.5f;
    }
    return 0.0f;
}

float GroupNode::GetLastRowBaseline() const
{
    int32_t count = rows.GetElementCount();
    return (count > 0) ? rows[count - 1].baselineOffset : 0.0f;
}

void GroupNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    int32_t rowBegins;
    bool hasMark;
    CountRows(this, &rowBegins, &hasMark);
    bool split = hasMark || rowBegins > 1;
    if (split)
    {
        output->AppendText("\\begin{split}");
        state->controlWord = 0;
    }
    WriteSubnodesLatex(state, output);
    if (split)
    {
        output->AppendText("\\end{split}");
        state->controlWord = 0;
    }
}

void GroupNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    int32_t rowBegins;
    bool hasMark;
    CountRows(this, &rowBegins, &hasMark);
    if (rowBegins <= 1)
    {
        output->AppendText("<mrow>");
        WriteSubnodesMathML(state, output);
        output->AppendText("</mrow>\n");
        return;
    }
    // Each further row begin closes a cell and its table row and opens the next.
    output->AppendText("<mrow><mtable columnalign=\"");
    output->AppendText(GetAlignmentWord(GetEffectiveAlignment()));
    output->AppendText("\"><mtr><mtd>");
    WriteSubnodesMathML(state, output);
    output->AppendText("</mtd></mtr></mtable></mrow>\n");
}

}  // namespace oq
