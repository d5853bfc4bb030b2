#pragma once

#include "editor/document/ColoredMathNode.h"

#include "base/Array.h"
#include "kettric/KettricResultCodes.h"

namespace oq {

class GroupNode;

inline constexpr uint32_t kMatrixKind = 'mtrx';
inline constexpr int32_t kMaxMatrixCount = 32;

// Anchor kinds a matrix adds to its box and centre anchors.
inline constexpr uint32_t kMatrixCornerAnchorKind = 'mtrx';
inline constexpr uint32_t kMatrixCellAnchorKind = 'cell';
inline constexpr uint32_t kMatrixRowAxisAnchorKind = 'mrow';
inline constexpr uint32_t kMatrixColumnCentreAnchorKind = 'mcol';
inline constexpr uint32_t kMatrixOuterRowAnchorKind = 'orow';
inline constexpr uint32_t kMatrixOuterColumnAnchorKind = 'ocol';
inline constexpr uint32_t kMatrixRowLineAnchorKind = 'lrow';
inline constexpr uint32_t kMatrixColumnLineAnchorKind = 'lcol';

// A matrix ("Mx"): r x c cell groups in row order, sized by columns and rows, with a baseline on the
// math axis or on the middle row, and many anchor points for drawings.
class MatrixNode : public ColoredMathNode
{
public:
    MatrixNode(int32_t rows, int32_t columns);
    // Copies "r", "c", "al" and the flags; no cells, no anchor points.
    MatrixNode(const MatrixNode &node);

    // A role-0 cell (baseline row 'mddl', one row) after the given cell, or appended when null.
    static GroupNode *InsertCell(MatrixNode *matrix, GroupNode *after);
    // Re-indexes or removes the links to the matrix's anchors for the new counts, then sets them.
    // Cells are neither added nor removed.
    static void Resize(MatrixNode *matrix, int32_t rows, int32_t columns);

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // kResultInvalidPropertyValue for counts outside 1..32, kResultMissingSubstructure /
    // kResultExtraSubstructure for too few / many cells; "al" reset.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    const uint32_t *GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const override;

    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    void FinishPlacement(const Design *design) override;
    bool HasVariant() const override;
    // Toggles "mb".
    void CycleVariant() override;
    GroupNode *GetFirstGroup() const override;
    GroupNode *GetLastGroup() const override;
    GroupNode *GetPreviousGroup(const GroupNode *group) const override;
    GroupNode *GetNextGroup(const GroupNode *group) const override;
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    bool TakesPartInSpacing() const override;
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    int32_t rowCount = 0;
    int32_t columnCount = 0;
    uint32_t alignment = 'cent';
    bool middleBaseline = false;
    bool equalHeights = false;
    bool equalWidths = false;
    bool rowGaps = false;
    bool columnGaps = false;

    // Layout state, node coordinates until FinishPlacement moves them.
    Point2D cornerAnchors[4] = {};
    Array<Point2D, 4> cellAnchors;
    Array<Point2D, 2> rowAxisAnchors;
    Array<Point2D, 2> columnCentreAnchors;
    Array<Point2D, 2> outerRowAnchors;
    Array<Point2D, 2> outerColumnAnchors;
    Array<Point2D, 2> rowLineAnchors;
    Array<Point2D, 2> columnLineAnchors;

private:
    // Whether the cells match the counts (what Measure and the writers walk).
    bool HasAllCells() const;
    GroupNode *StepCells(const GroupNode *group, int32_t steps) const;
    void ClearAnchors();
};

}  // namespace oq
