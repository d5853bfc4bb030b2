#pragma once

#include "base/Array.h"
#include "editor/document/MathNode.h"

namespace oq {

class RowBeginNode;

// Alignments of groups and marks, and the baseline-row choices of groups.
inline constexpr uint32_t kAlignLeft = 'left';
inline constexpr uint32_t kAlignCentre = 'cent';
inline constexpr uint32_t kAlignRight = 'rght';
inline constexpr uint32_t kBaselineFirst = 'frst';
inline constexpr uint32_t kBaselineMiddle = 'mddl';
inline constexpr uint32_t kBaselineLast = 'last';
inline constexpr uint32_t kAnnotationRole = 'anno';
// Decorations of a symbol run: a group never holds them directly.
inline constexpr uint32_t kMarkKind = 'mark';
inline constexpr uint32_t kNegationKind = 'nega';
inline constexpr uint32_t kSlashKind = 'slsh';
inline constexpr uint32_t kEnclosureKind = 'encl';

// One row of a group, in group coordinates (y up); rebuilt by every Measure.
struct GroupRow
{
    float x = 0.0f;               // left end
    float baselineOffset = 0.0f;  // 0 for the first row, negative below
    float rightEnd = 0.0f;
    float bottom = 0.0f;
    float top = 0.0f;
    RowBeginNode *rowBegin = nullptr;
};

// The container of one or more rows ("Gr"): the equation, an annotation or a slot of a structure.
// A row runs from one row begin up to the next; the group stacks its rows, lines up the columns of
// their alignment marks or aligns whole rows, and chooses the row that carries its baseline.
class GroupNode : public MathNode
{
public:
    explicit GroupNode(uint32_t groupRole);
    // Copies the math-node properties, the role, "al" and "ba"; no rows, default alignment 'left'.
    GroupNode(const GroupNode &node);

    // "t", "al" and "ba" (uint32).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Math nodes and "X" blocks, but no decoration of a symbol run ('mark', 'nega', 'slsh', 'encl').
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The subnodes first; an unknown "al" becomes 0, an unknown "ba" 'last'; 'MSSB' when the first
    // subnode is not a row begin.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;

    // A top-level group gets the row-edge spacing flags.
    void LayoutBeforeChildren(const Design *design) override;
    // Numbers the rows, lines up the mark columns, stacks the rows and aligns them.
    void Measure(const Design *design) override;
    // "\\begin{split}" ... "\\end{split}" around several rows or a row with a mark.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // "<mrow>" around one row; several rows as the cells of a one-column table.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    // The shift that puts the baseline row on y = 0.
    float GetBaselineOffset(const Design *design) const;
    // The baseline offset of the last row (0 before the first layout).
    float GetLastRowBaseline() const;

    int32_t GetRowCount() const { return rows.GetElementCount(); }
    // The row record at the index clamped to the rows; null before the first layout.
    const GroupRow *GetRow(int32_t index) const;
    // The alignment in force: "al", or the default alignment when that is 0.
    uint32_t GetEffectiveAlignment() const { return alignment != 0 ? alignment : defaultAlignment; }

    uint32_t role;
    uint32_t alignment = 0;
    uint32_t defaultAlignment = kAlignLeft;
    uint32_t baselineRow = kBaselineLast;
    Array<GroupRow, 2> rows;
    bool spaceAtRowStart = false;
    bool spaceAtRowEnd = false;
};

}  // namespace oq
