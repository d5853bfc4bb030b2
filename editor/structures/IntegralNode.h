#pragma once

#include "editor/structures/IntegralSignOutline.h"
#include "editor/structures/IterationNode.h"
#include "editor/structures/OperatorGlyph.h"
#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"
#include "editor/document/StretchyOutlines.h"

namespace oq {

inline constexpr uint32_t kIntegralKind = 'intg';
inline constexpr uint32_t kIntegralCodePoint = 0x222B;
// The style key of the integral glyph.
inline constexpr uint32_t kIntegralStyle = 'gral';

// An integral ("In"): a sign before a body with optional lower and upper limits. Single to quadruple,
// contour, surface, volume and arrowed contour integrals are drawn from the program's own outline
// (growing to the body with "gr"), every other sign is a font glyph; "sm" small, "il" limits beside
// the sign, "kg" always the glyph.
class IntegralNode : public StructureNode
{
public:
    IntegralNode(uint32_t codePoint, bool small, bool inlineLimits);
    IntegralNode(const IntegralNode &node);

    // The body is made by the slot-group creation iterations use (IterationNode::GetOrCreateBody).
    GroupNode *GetOrCreateBody() { return GetOrCreateMainGroup(); }
    GroupNode *GetOrCreateLower() { return GetOrCreateSlot(kLowerSlot); }
    GroupNode *GetOrCreateUpper() { return GetOrCreateSlot(kUpperSlot); }
    GroupNode *GetBody() const { return GetSlot(kBodySlot); }
    GroupNode *GetLower() const { return GetSlot(kLowerSlot); }
    GroupNode *GetUpper() const { return GetSlot(kUpperSlot); }

    // "sm", "il", "kg" and "gr" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // Groups and u32 data lists.
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // The slots (the body required), then the one-value sign list (kResultExtraSubstructure for a second list,
    // kResultInvalidDataFormat for another count), which leaves the tree; 0 and non-scalar values become
    // U+FFFD.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    // The container with the sign's data line first unless it is U+222B.
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The glyph, or the sign, loop and arrow outlines; then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildMeshItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void LayoutBeforeChildren(const Design *design) override;
    // Chooses the sign (drawn or glyph, count, loop, arrow) and lays out the glyph.
    void LayoutAfterChildren(const Design *design) override;
    void Measure(const Design *design) override;
    bool HasVariant() const override;
    // (sm, il): (false, false) -> (false, true) -> (true, true) -> (true, false) -> (false, false).
    void CycleVariant() override;
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    static constexpr int32_t kLowerSlot = 0;
    static constexpr int32_t kUpperSlot = 1;
    static constexpr int32_t kBodySlot = 2;
    static constexpr int32_t kMaxSigns = 4;
    static constexpr int32_t kLoopCurves = 24;

    uint32_t codePoint = kIntegralCodePoint;
    bool small = false;
    bool inlineLimits = false;
    bool keepGlyph = false;
    bool grow = false;

    // Layout state: the sign choice.
    int32_t signCount = 1;
    bool glyphMode = true;
    bool loop = false;
    bool arrow = false;
    bool clockwise = false;
    OperatorGlyph glyph;
    // Layout outputs: the sign's centre, its box [signBottom, signTop] (grown) and half extent.
    float signCentre = 0.0F;
    float signBottom = 0.0F;
    float signTop = 0.0F;
    float signHalfWidth = 0.0F;
    // The drawn outlines in node coordinates.
    int32_t signCurveCount = 0;
    QuadraticBezier2D signOutline[kMaxSigns * kIntegralSignOutlineCurves];
    int32_t loopCurveCount = 0;
    QuadraticBezier2D loopOutline[kLoopCurves];
    int32_t arrowCurveCount = 0;
    QuadraticBezier2D arrowOutline[kArrowheadOutlineCurves];

private:
    void ChooseSign();
    // The sign, loop and arrow outlines as export (or fill) items.
    void AppendOutlineItems(const Design *design, DisplayList *list, bool fill) const;
};

// The LaTeX command of an integral sign ("int" for any the table lacks).
const char *GetIntegralCommand(uint32_t codePoint);

}  // namespace oq
