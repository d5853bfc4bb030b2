#pragma once

#include "editor/structures/OperatorGlyph.h"
#include "editor/structures/StructureNode.h"

namespace oq {

inline constexpr uint32_t kIterationKind = 'iter';
inline constexpr uint32_t kModifierRole = 'mdfr';
inline constexpr uint32_t kLowerLimitRole = 'lowr';
inline constexpr uint32_t kUpperLimitRole = 'uppr';
inline constexpr uint32_t kSummationCodePoint = 0x2211;
// The style key of the operator glyph.
inline constexpr uint32_t kNaryStyle = 'nary';

// A large n-ary operator ("It": sum, product, big union...) with optional lower and upper limits, a
// modifier at its upper right and the body it applies to; small ("sm") and inline limits ("il").
class IterationNode : public StructureNode
{
public:
    IterationNode(uint32_t codePoint, bool small, bool inlineLimits);
    IterationNode(const IterationNode &node);

    // The body (role 0) of an iteration, made when absent. Integrals take theirs from the same
    // slot-group creation (StructureNode::GetOrCreateMainGroup).
    GroupNode *GetOrCreateBody() { return GetOrCreateMainGroup(); }
    GroupNode *GetOrCreateLower() { return GetOrCreateSlot(kLowerSlot); }
    GroupNode *GetOrCreateUpper() { return GetOrCreateSlot(kUpperSlot); }
    GroupNode *GetBody() const { return GetSlot(kBodySlot); }
    GroupNode *GetModifier() const { return GetSlot(kModifierSlot); }
    GroupNode *GetLower() const { return GetSlot(kLowerSlot); }
    GroupNode *GetUpper() const { return GetSlot(kUpperSlot); }

    // "sm" and "il" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Groups and u32 data lists.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The slots (the body required), then the one-value code point list (kResultExtraSubstructure for a second
    // list, kResultInvalidDataFormat for another count), which leaves the tree; 0 and non-scalar values become
    // U+FFFD.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // The container with the code point's data line first unless it is U+2211.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The operator glyph, then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildMeshItems(const Design *design, DisplayList *list) const override;

    void LayoutBeforeChildren(const Design *design) override;
    void LayoutAfterChildren(const Design *design) override;
    void Measure(const Design *design) override;
    bool HasVariant() const override;
    // (sm, il): (false, false) -> (false, true) -> (true, true) -> (true, false) -> (false, false).
    void CycleVariant() override;
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    // Steps the variant and returns the previous "il" (the editing command's answer).
    bool StepVariant();

    static constexpr int32_t kLowerSlot = 0;
    static constexpr int32_t kUpperSlot = 1;
    static constexpr int32_t kModifierSlot = 2;
    static constexpr int32_t kBodySlot = 3;

    uint32_t codePoint = kSummationCodePoint;
    bool small = false;
    bool inlineLimits = false;
    OperatorGlyph glyph;
    // The operator part's drawn width and centre, and the nominal height of the glyph (layout outputs).
    float glyphWidth = 0.0F;
    float operatorCentre = 0.0F;
    float operatorBottom = 0.0F;
    float operatorTop = 0.0F;
};

// The LaTeX command of an iteration's code point ("sum" for any the table lacks).
const char *GetIterationCommand(uint32_t codePoint);

}  // namespace oq
