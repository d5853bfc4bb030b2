#pragma once

#include "editor/document/MathNode.h"

namespace oq {

// The start of a row ("Bg"): gives every row its least height and depth, makes an empty row half
// an em wide for the caret, holds the row's line gap ("lg") and the row-start anchors.
class RowBeginNode : public MathNode
{
public:
    RowBeginNode();
    // Copies the math-node properties and the line gap.
    RowBeginNode(const RowBeginNode &node);

    // "lg" (float).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Refuses every substructure.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // A non-finite "lg" reads as the default.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // A frame around an empty row when empty rows are shown.
    void BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                              DisplayList *list) const override;
    // Kind 0 only.
    int32_t GetAnchorKinds(const uint32_t **kinds) const override;
    int32_t GetAnchorPoints(uint32_t kind, const Point2D **points) const override;

    void Measure(const Design *design) override;
    void FinishPlacement(const Design *design) override;
    void OnReparented() override;
    // " \\\\ " before every row but the first.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // "</mtd></mtr><mtr><mtd>" before every row of a group but the first.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    // Whether the row holds nothing but this row begin.
    bool IsRowEmpty() const;
    // Whether this row begin opens the group's first row.
    bool IsFirstRow() const { return GetPreviousMathNode() == nullptr; }

    float lineGap = -1.0f;  // negative: the design's least line gap
    int32_t anchorCount = 0;
    Point2D anchors[4] = {};
};

}  // namespace oq
