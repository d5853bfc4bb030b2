// Matrices: checks, text forms, the grid layout with its anchor points, and the cell operations.
#include "editor/structures/MatrixNode.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/document/NodeLink.h"
#include "editor/document/PropertyListWriter.h"
#include "editor/document/RowBeginNode.h"
#include "editor/fonts/Preferences.h"
#include "editor/structures/StructureNode.h"

#include <algorithm>
#include <cstring>

namespace oq {

namespace {

constexpr uint32_t kMatrixAnchorKinds[10] = {0,
                                             kCentreAnchorKind,
                                             kMatrixCornerAnchorKind,
                                             kMatrixCellAnchorKind,
                                             kMatrixRowAxisAnchorKind,
                                             kMatrixColumnCentreAnchorKind,
                                             kMatrixOuterRowAnchorKind,
                                             kMatrixOuterColumnAnchorKind,
                                             kMatrixRowLineAnchorKind,
                                             kMatrixColumnLineAnchorKind};

float MatrixParam(const Design *design, uint32_t key)
{
    return GetGroupParam(design, kMatrixKind, key);
}

int32_t CountCells(const MatrixNode *matrix)
{
    int32_t count = 0;
    for (const MathNode *node = matrix->GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
        ++count;
    return count;
}

// The new index of a link at a matrix anchor after a resize from r x c to R x C, or -1 when its
// point is gone. Line ends keep their side and line.
int32_t ResizedAnchorIndex(uint32_t kind, int32_t i, int32_t r, int32_t c, int32_t R, int32_t C)
{
    if (i < 0) return i;
    switch (kind)
    {
    case kMatrixCellAnchorKind:
    {
        int32_t line = i / (c + 1), column = i % (c + 1);
        return (line < R + 1 && column < C + 1) ? line * (C + 1) + column : -1;
    }
    case kMatrixRowAxisAnchorKind:
    {
        int32_t row = i / (c + 1), column = i % (c + 1);
        return (row < R && column < C + 1) ? row * (C + 1) + column : -1;
    }
    case kMatrixColumnCentreAnchorKind:
    {
        int32_t column = i / (r + 1), line = i % (r + 1);
        return (line < R + 1 && column < C) ? column * (R + 1) + line : -1;
    }
    case kMatrixOuterRowAnchorKind: return (i / 2 < R) ? i : -1;
    case kMatrixOuterColumnAnchorKind: return (i / 2 < C) ? i : -1;
    case kMatrixRowLineAnchorKind:
    case kMatrixColumnLineAnchorKind:
    {
        int32_t oldLines = (kind == kMatrixRowLineAnchorKind ? r : c) - 1;
        int32_t newLines = (kind == kMatrixRowLineAnchorKind ? R : C) - 1;
        if (oldLines <= 0) return (i / 2 < newLines) ? i : -1;
        int32_t line = i % oldLines, side = i / oldLines;
        return (line < newLines && side < 2) ? side * newLines + line : -1;
    }
    default: return i;
    }
}

}  // namespace

MatrixNode::MatrixNode(int32_t rows, int32_t columns) : ColoredMathNode(kMatrixKind), rowCount(rows), columnCount(columns)
{
}

MatrixNode::MatrixNode(const MatrixNode &node)
    : ColoredMathNode(node), rowCount(node.rowCount), columnCount(node.columnCount), alignment(node.alignment),
      middleBaseline(node.middleBaseline), equalHeights(node.equalHeights), equalWidths(node.equalWidths),
      rowGaps(node.rowGaps), columnGaps(node.columnGaps)
{
}

GroupNode *MatrixNode::InsertCell(MatrixNode *matrix, GroupNode *after)
{
    auto *cell = new GroupNode(0);
    cell->baselineRow = kBaselineMiddle;
    auto *rowBegin = new RowBeginNode;
    rowBegin->lineGap = -1.0f;
    cell->AppendSubnode(rowBegin);
    if (after != nullptr && after->GetSuperNode() == matrix) matrix->InsertSubnodeAfter(cell, after);
    else matrix->AppendSubnode(cell);
    return cell;
}

void MatrixNode::Resize(MatrixNode *matrix, int32_t rows, int32_t columns)
{
    // Only drawings and annotations go with their point; a cell, a group or an ancestor that a file
    // linked here loses only the link.
    struct Counts
    {
        int32_t r, c, rows, columns;
    } counts = {matrix->rowCount, matrix->columnCount, rows, columns};
    DestroyPickedLinkSources(
        matrix,
        [](NodeLink *link, void *context) {
            const auto *n = static_cast<const Counts *>(context);
            int32_t index = ResizedAnchorIndex(link->anchorKind, link->anchorIndex, n->r, n->c, n->rows, n->columns);
            if (index < 0 && link->anchorIndex >= 0) return true;
            link->anchorIndex = index;
            return false;
        },
        &counts);
    matrix->rowCount = rows;
    matrix->columnCount = columns;
}

bool MatrixNode::CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                               void **storage)
{
    if (std::strcmp(identifier, "r") == 0 || std::strcmp(identifier, "c") == 0)
    {
        *type = 'IN32';
        *storage = (identifier[0] == 'r') ? &rowCount : &columnCount;
        return true;
    }
    if (std::strcmp(identifier, "al") == 0)
    {
        *type = 'UI32';
        *storage = &alignment;
        return true;
    }
    const struct
    {
        const char *name;
        bool *flag;
    } flags[] = {{"mb", &middleBaseline}, {"eh", &equalHeights}, {"ew", &equalWidths},
                 {"rg", &rowGaps},        {"cg", &columnGaps}};
    for (const auto &flag : flags)
    {
        if (std::strcmp(identifier, flag.name) != 0) continue;
        *type = 'BOOL';
        *storage = flag.flag;
        return true;
    }
    return ColoredMathNode::CheckProperty(document, identifier, type, storage);
}

bool MatrixNode::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return AcceptGroupSubstructure(structure);
}

KettricResult MatrixNode::ResolveData(KettricDocument *document)
{
    KettricResult result = ColoredMathNode::ResolveData(document);
    if (alignment != kAlignLeft && alignment != kAlignRight) alignment = kAlignCentre;
    if (result != 0) return result;
    if (rowCount < 1 || rowCount > kMaxMatrixCount || columnCount < 1 || columnCount > kMaxMatrixCount)
        return kResultInvalidPropertyValue;
    int32_t cells = CountCells(this);
    if (cells < rowCount * columnCount) return kResultMissingSlotGroup;
    if (cells > rowCount * columnCount) return kResultExtraSlotGroup;
    return 0;
}

DocumentNode *MatrixNode::Clone() const
{
    return new MatrixNode(*this);
}

bool MatrixNode::WriteKettricProperties(TextBuffer *buffer) const
{
    PropertyListWriter writer(buffer);
    WriteColorProperties(&writer);
    writer.WriteInteger("r", rowCount);
    writer.WriteInteger("c", columnCount);
    if (alignment != kAlignCentre) writer.WriteFourCC("al", alignment);
    if (middleBaseline) writer.WriteFlag("mb");
    if (equalHeights) writer.WriteFlag("eh");
    if (equalWidths) writer.WriteFlag("ew");
    if (rowGaps) writer.WriteFlag("rg");
    if (columnGaps) writer.WriteFlag("cg");
    return writer.Opened();
}

void MatrixNode::WriteKettric(KettricDocument *document, TextBuffer *buffer) const
{
    WriteKettricContainer(document, buffer, "Mx");
}

int32_t MatrixNode::GetAnchorKinds(const uint32_t **kinds) const
{
    *kinds = kMatrixAnchorKinds;
    return 10;
}

int32_t MatrixNode::GetAnchorPoints(uint32_t kind, const Point2D **points) const
{
    const Array<Point2D, 2> *array = nullptr;
    switch (kind)
    {
    case kMatrixCornerAnchorKind: *points = cornerAnchors; return cellAnchors.GetElementCount() > 0 ? 4 : 0;
    case kMatrixCellAnchorKind: *points = cellAnchors.GetElements(); return cellAnchors.GetElementCount();
    case kMatrixRowAxisAnchorKind: array = &rowAxisAnchors; break;
    case kMatrixColumnCentreAnchorKind: array = &columnCentreAnchors; break;
    case kMatrixOuterRowAnchorKind: array = &outerRowAnchors; break;
    case kMatrixOuterColumnAnchorKind: array = &outerColumnAnchors; break;
    case kMatrixRowLineAnchorKind: array = &rowLineAnchors; break;
    case kMatrixColumnLineAnchorKind: array = &columnLineAnchors; break;
    default: return ColoredMathNode::GetAnchorPoints(kind, points);
    }
    *points = array->GetElements();
    return array->GetElementCount();
}

const uint32_t *MatrixNode::GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const
{
    if (preferences == nullptr) return nullptr;
    if (kind == 0 || kind == kCentreAnchorKind) return ColoredMathNode::GetAnchorHandleColor(preferences, kind);
    return &preferences->colors[kColorSpecialAnchor];
}

void MatrixNode::LayoutBeforeChildren(const Design *)
{
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() == kGroupKind) static_cast<GroupNode *>(node)->defaultAlignment = alignment;
    }
}

bool MatrixNode::HasAllCells() const
{
    if (rowCount < 1 || rowCount > kMaxMatrixCount || columnCount < 1 || columnCount > kMaxMatrixCount) return false;
    int32_t count = 0;
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode())
    {
        if (node->GetKind() != kGroupKind) return false;
        ++count;
    }
    return count == rowCount * columnCount;
}

void MatrixNode::ClearAnchors()
{
    for (Array<Point2D, 2> *array : {&rowAxisAnchors, &columnCentreAnchors, &outerRowAnchors, &outerColumnAnchors,
                                     &rowLineAnchors, &columnLineAnchors})
        array->SetElementCount(0);
    cellAnchors.SetElementCount(0);
}

void MatrixNode::Measure(const Design *design)
{
    width = 0.0f;
    top = 0.0f;
    bottom = 0.0f;
    leftSpacing = 0.0f;
    rightSpacing = 0.0f;
    ClearAnchors();
    if (!HasAllCells()) return;
    const int32_t r = rowCount, c = columnCount;
    float E = GetEm(design);
    float m = E / 18.0f;

    // 1. Cell extents.
    float B[kMaxMatrixCount] = {}, T[kMaxMatrixCount] = {}, W[kMaxMatrixCount] = {};
    float offsets[kMaxMatrixCount * kMaxMatrixCount];
    int32_t n = 0;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode(), ++n)
    {
        auto *cell = static_cast<GroupNode *>(node);
        int32_t k = n / c, j = n % c;
        float o = cell->GetBaselineOffset(design);
        offsets[n] = o;
        W[j] = std::max(W[j], cell->width);
        B[k] = std::min(B[k], o + cell->bottom);
        T[k] = std::max(T[k], o + cell->top);
    }
    // 2. Equal widths and heights.
    if (equalWidths) std::fill(W, W + c, *std::max_element(W, W + c));
    if (equalHeights)
    {
        std::fill(B, B + r, *std::min_element(B, B + r));
        std::fill(T, T + r, *std::max_element(T, T + r));
    }
    // 3. Columns.
    float K = m * MatrixParam(design, 'clgp');
    float G = m * MatrixParam(design, 'exsp');
    if (columnGaps) G = std::max(G, K * 0.5f);
    float X[kMaxMatrixCount];
    X[0] = G;
    for (int32_t j = 1; j < c; ++j) X[j] = X[j - 1] + W[j - 1] + K;
    width = X[c - 1] + W[c - 1] + G;
    // 4. Row baselines.
    float S = E * MatrixParam(design, 'rwsp');
    float Q = m * MatrixParam(design, 'rwgp');
    float Y[kMaxMatrixCount];
    Y[0] = 0.0f;
    for (int32_t k = 1; k < r; ++k) Y[k] = Y[k - 1] - std::max(S, T[k] - B[k - 1] + Q);
    // 5. Baseline shift.
    float axis = E * GetGeneralParam(design, 'axis');
    float shift;
    if (middleBaseline)
        shift = (r % 2 == 1) ? -Y[r / 2] : -(Y[r / 2 - 1] + Y[r / 2]) * 0.5f;
    else
        shift = (T[0] - B[r - 1] - Y[r - 1]) * 0.5f + axis - T[0];
    for (int32_t k = 0; k < r; ++k) Y[k] += shift;
    // 6. Top and bottom margins.
    float P = m * MatrixParam(design, 'vtsp');
    float topMargin = P, bottomMargin = P;
    if (rowGaps)
    {
        float U = E * GetGeneralParam(design, 'cptl') + 0.875f * m;
        float Fa = std::max(S, T[0] - 0.875f * m + Q);
        float Fb = std::max(S, U - B[r - 1] + Q);
        topMargin = std::max(P, (Fa - 0.875f * m - T[0]) * 0.5f);
        bottomMargin = std::max(P, (Fb - U + B[r - 1]) * 0.5f);
    }
    // 7. Box.
    top = Y[0] + T[0] + topMargin;
    bottom = Y[r - 1] + B[r - 1] - bottomMargin;
    // 8. Cells.
    n = 0;
    for (MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode(), ++n)
    {
        auto *cell = static_cast<GroupNode *>(node);
        int32_t k = n / c, j = n % c;
        uint32_t a = cell->alignment != 0 ? cell->alignment : alignment;
        float x = X[j];
        if (a == kAlignCentre) x += (W[j] - cell->width) * 0.5f;
        else if (a == kAlignRight) x += W[j] - cell->width;
        cell->position = Point2D(x, Y[k] + offsets[n]);
    }

    // Grid lines and anchor points.
    float columnLines[kMaxMatrixCount + 1], rowLines[kMaxMatrixCount + 1];
    columnLines[0] = 0.0f;
    columnLines[c] = width;
    for (int32_t j = 1; j < c; ++j) columnLines[j] = X[j - 1] + W[j - 1] + K * 0.5f;
    rowLines[0] = top;
    rowLines[r] = bottom;
    for (int32_t k = 1; k < r; ++k) rowLines[k] = ((Y[k - 1] + B[k - 1]) + (Y[k] + T[k])) * 0.5f;
    float left = -E * MatrixParam(design, 'aspx'), right = width + E * MatrixParam(design, 'aspx');
    float above = top + E * MatrixParam(design, 'aspy'), below = bottom - E * MatrixParam(design, 'aspy');

    cellAnchors.SetElementCount((r + 1) * (c + 1));
    for (int32_t k = 0; k <= r; ++k)
        for (int32_t j = 0; j <= c; ++j) cellAnchors[k * (c + 1) + j] = Point2D(columnLines[j], rowLines[k]);
    cornerAnchors[0] = Point2D(left, above);
    cornerAnchors[1] = Point2D(right, above);
    cornerAnchors[2] = Point2D(left, below);
    cornerAnchors[3] = Point2D(right, below);
    rowAxisAnchors.SetElementCount(r * (c + 1));
    outerRowAnchors.SetElementCount(2 * r);
    for (int32_t k = 0; k < r; ++k)
    {
        float y = Y[k] + axis;
        for (int32_t j = 0; j <= c; ++j) rowAxisAnchors[k * (c + 1) + j] = Point2D(columnLines[j], y);
        outerRowAnchors[2 * k] = Point2D(left, y);
        outerRowAnchors[2 * k + 1] = Point2D(right, y);
    }
    columnCentreAnchors.SetElementCount(c * (r + 1));
    outerColumnAnchors.SetElementCount(2 * c);
    for (int32_t j = 0; j < c; ++j)
    {
        float x = X[j] + W[j] * 0.5f;
        for (int32_t k = 0; k <= r; ++k) columnCentreAnchors[j * (r + 1) + k] = Point2D(x, rowLines[k]);
        outerColumnAnchors[2 * j] = Point2D(x, above);
        outerColumnAnchors[2 * j + 1] = Point2D(x, below);
    }
    rowLineAnchors.SetElementCount(2 * (r - 1));
    for (int32_t k = 1; k < r; ++k)
    {
        rowLineAnchors[k - 1] = Point2D(left, rowLines[k]);
        rowLineAnchors[r - 1 + k - 1] = Point2D(right, rowLines[k]);
    }
    columnLineAnchors.SetElementCount(2 * (c - 1));
    for (int32_t j = 1; j < c; ++j)
    {
        columnLineAnchors[j - 1] = Point2D(columnLines[j], above);
        columnLineAnchors[c - 1 + j - 1] = Point2D(columnLines[j], below);
    }
}

void MatrixNode::FinishPlacement(const Design *design)
{
    ColoredMathNode::FinishPlacement(design);
    Vector2D shift(absolutePosition.x, absolutePosition.y);
    for (Point2D &point : cornerAnchors) point = point + shift;
    for (Point2D &point : cellAnchors) point = point + shift;
    for (Array<Point2D, 2> *array : {&rowAxisAnchors, &columnCentreAnchors, &outerRowAnchors, &outerColumnAnchors,
                                     &rowLineAnchors, &columnLineAnchors})
    {
        for (Point2D &point : *array) point = point + shift;
    }
}

bool MatrixNode::HasVariant() const
{
    return true;
}

void MatrixNode::CycleVariant()
{
    middleBaseline = !middleBaseline;
}

GroupNode *MatrixNode::StepCells(const GroupNode *group, int32_t steps) const
{
    if (group == nullptr || group->GetSuperNode() != this) return nullptr;
    const MathNode *node = group;
    for (int32_t i = 0; node != nullptr && i < (steps < 0 ? -steps : steps); ++i)
        node = steps < 0 ? node->GetPreviousMathNode() : node->GetNextMathNode();
    if (node == nullptr || node->GetKind() != kGroupKind) return nullptr;
    return const_cast<GroupNode *>(static_cast<const GroupNode *>(node));
}

GroupNode *MatrixNode::GetFirstGroup() const
{
    MathNode *node = GetFirstMathSubnode();
    return (node != nullptr && node->GetKind() == kGroupKind) ? static_cast<GroupNode *>(node) : nullptr;
}

GroupNode *MatrixNode::GetLastGroup() const
{
    MathNode *node = GetLastMathSubnode();
    return (node != nullptr && node->GetKind() == kGroupKind) ? static_cast<GroupNode *>(node) : nullptr;
}

GroupNode *MatrixNode::GetPreviousGroup(const GroupNode *group) const
{
    return StepCells(group, -1);
}

GroupNode *MatrixNode::GetNextGroup(const GroupNode *group) const
{
    return StepCells(group, 1);
}

GroupNode *MatrixNode::GetGroupAbove(const GroupNode *group) const
{
    return columnCount > 0 ? StepCells(group, -columnCount) : nullptr;
}

GroupNode *MatrixNode::GetGroupBelow(const GroupNode *group) const
{
    return columnCount > 0 ? StepCells(group, columnCount) : nullptr;
}

bool MatrixNode::TakesPartInSpacing() const
{
    return true;
}

void MatrixNode::WriteLatex(MathWriterState *state, TextString *output) const
{
    output->AppendText("\\begin{matrix}");
    int32_t n = 0;
    int32_t cells = (columnCount > 0) ? CountCells(this) : 0;
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode(), ++n)
    {
        if (node->GetKind() != kGroupKind) continue;
        state->controlWord = 0;
        WriteSlotGroupLatex(static_cast<const GroupNode *>(node), SlotStyle::kCleared, state, output);
        if (n + 1 >= cells) break;
        output->AppendText((n + 1) % columnCount != 0 ? " & " : " \\\\ ");
    }
    output->AppendText("\\end{matrix}");
    state->controlWord = 0;
}

void MatrixNode::WriteMathML(MathWriterState *state, TextString *output) const
{
    uint8_t saved = state->displayStyle;
    state->displayStyle = 0;
    output->AppendText("<mtable");
    if (equalHeights) output->AppendText(" equalrows=\"true\"");
    if (equalWidths) output->AppendText(" equalcolumns=\"true\"");
    output->AppendText(">");
    int32_t n = 0;
    int32_t c = columnCount > 0 ? columnCount : 1;
    bool open = false;
    for (const MathNode *node = GetFirstMathSubnode(); node != nullptr; node = node->GetNextMathNode(), ++n)
    {
        if (n % c == 0)
        {
            if (open) output->AppendText("</mtr>");
            output->AppendText("<mtr>");
            open = true;
        }
        output->AppendText("<mtd>");
        if (node->GetKind() == kGroupKind) static_cast<const GroupNode *>(node)->WriteMathML(state, output);
        output->AppendText("</mtd>");
    }
    if (open) output->AppendText("</mtr>");
    output->AppendText("</mtable>");
    state->displayStyle = saved;
}

}  // namespace oq
