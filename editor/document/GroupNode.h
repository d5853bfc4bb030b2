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
    // The subnodes first; an unknown "al" becomes 0, an unknown "ba" 'last'; kResultMissingSubstructure when
    // the first subnode is not a row begin.
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

    // Top-level groups: the anchor sets ('axis', 'lmnl', 'bord', 'xxx!', 'yyy!'); annotation groups:
    // their two 'anno' points.
    void FinishPlacement(const Design *design) override;
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;
    // The rail colour for the rails (kinds ending in '!'), else the group-anchor colour.
    const uint32_t *GetAnchorHandleColor(const Preferences *preferences, uint32_t kind) const override;
    // Below for point 0, above for every other point.
    void GetAnchorDirection(Vector2D *direction, int32_t index) const override;
    // Annotation groups: near one of the four edges of their box.
    bool HitTest(const Point2D &point, float tolerance) const override;
    // Annotation groups: the frame around their box.
    void BuildSelectionOutline(float halfWidth, DisplayList *list) const override;
    // The subnodes' items, then an empty item whose box keeps the outer spaces and the capital
    // height in exported pictures (when a row-edge flag is set).
    void BuildExportItems(const Design *design, DisplayList *list) const override;

    // Puts an annotation group beside the anchor point its first link names, on the side of the
    // target's anchor direction; without a link or without points it stays where it is.
    void PlaceAnnotation(const Design *design, float em);
    // Destroys the structures linked to the row anchors of rows that no longer exist (a source that
    // is this group or not a top-level structure loses only its link).
    void DeleteDependentsOfMissingRows();

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

    // The anchors, in equation coordinates, set by FinishPlacement.
    bool hasAnchors = false;
    Array<Point2D, 2> axisAnchors;
    Array<Point2D, 4> lineAnchors;
    Point2D borderAnchors[4] = {};
    Point2D annotationAnchors[2] = {};
    Point2D horizontalRails[10] = {};
    Point2D verticalRails[10] = {};
};

// Anchor kinds of groups.
inline constexpr uint32_t kAxisAnchorKind = 'axis';
inline constexpr uint32_t kLineAnchorKind = 'lmnl';
inline constexpr uint32_t kBorderAnchorKind = 'bord';
inline constexpr uint32_t kHorizontalRailKind = 'xxx!';
inline constexpr uint32_t kVerticalRailKind = 'yyy!';
inline constexpr uint32_t kAnnotationAnchorKind = 'anno';

}  // namespace oq
