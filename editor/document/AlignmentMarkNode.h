#pragma once

#include "editor/document/MathNode.h"

namespace oq {

// An alignment point in a row ("Al"): the group lines up the k-th marks of its rows in one column;
// "al" says where the stretch before the mark sits in its column. Takes no room; "&" in LaTeX.
class AlignmentMarkNode : public MathNode
{
public:
    AlignmentMarkNode();
    // Copies the math-node properties and "al".
    AlignmentMarkNode(const AlignmentMarkNode &node);

    // "al" (uint32).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Refuses every substructure.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // Any "al" other than 'cent' or 'rght' becomes 'left'.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // A bar with a flag on the side of the alignment when marks are shown.
    void BuildEditingAidItems(uint32_t flags, const Preferences *preferences, const Design *design,
                              DisplayList *list) const override;

    // Stands in front of the previous node's trailing white space, as wide as that space.
    void Measure(const Design *design) override;
    // 'left' -> 'rght' -> 'cent' -> 'left'.
    bool HasVariant() const override;
    void CycleVariant() override;
    bool TakesPartInSpacing() const override;
    // "&".
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // Nothing: the group's table cells carry the rows.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    uint32_t markAlignment;
};

}  // namespace oq
