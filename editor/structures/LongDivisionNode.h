#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"

namespace oq {

inline constexpr uint32_t kLongDivisionKind = 'divs';
inline constexpr uint32_t kQuotientRole = 'quot';

// A long division ("Dv"): a curved stroke joined to a vinculum left of and over the dividend (role 0),
// with an optional quotient ('quot') over the vinculum.
class LongDivisionNode : public StructureNode
{
public:
    static constexpr int32_t kOutlineCurves = 9;

    LongDivisionNode();
    LongDivisionNode(const LongDivisionNode &node);

    GroupNode *GetDividend() const { return GetSlot(0); }
    GroupNode *GetQuotient() const { return GetSlot(1); }
    GroupNode *GetOrCreateQuotient() { return GetOrCreateSlot(1); }

    DocumentNode *Clone() const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The sign in the node colour, then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void Measure(const Design *design) override;
    // The quotient lies above the dividend.
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    // "\enclose{longdiv}{dividend}": the quotient is not written.
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    // The sign in node coordinates (counter-clockwise); no curves before layout or when it could not
    // be built from finite values.
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kOutlineCurves];
};

}  // namespace oq
