#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"

namespace oq {

inline constexpr uint32_t kFractionKind = 'frac';
inline constexpr uint32_t kFractionVertical = 'vert';
inline constexpr uint32_t kFractionHorizontal = 'horz';
inline constexpr uint32_t kFractionDiagonal = 'diag';
inline constexpr uint32_t kNumeratorRole = 'numr';
inline constexpr uint32_t kDenominatorRole = 'dnom';

// A fraction ("Fr"): a numerator over a denominator with a bar ('vert'), beside it with a slash
// ('horz') or bevelled with a diagonal slash ('diag'); small, without bar ("at") or without slant
// corrections ("ns").
class FractionNode : public StructureNode
{
public:
    FractionNode(uint32_t type, bool small, bool atop);
    FractionNode(const FractionNode &node);

    GroupNode *GetOrCreateNumerator() { return GetOrCreateSlot(0); }
    GroupNode *GetOrCreateDenominator() { return GetOrCreateSlot(1); }
    GroupNode *GetNumerator() const { return GetSlot(0); }
    GroupNode *GetDenominator() const { return GetSlot(1); }

    // "t" (uint32), "sm", "at" and "ns" (bool).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // 'horz' drops "sm"; an unknown type becomes 'vert'; both slots are required.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The bar or slash (unless "at"), then the children's items.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void LayoutBeforeChildren(const Design *design) override;
    void Measure(const Design *design) override;
    bool HasVariant() const override;
    // Toggles "sm" unless 'horz'.
    void CycleVariant() override;
    GroupNode *GetGroupAbove(const GroupNode *group) const override;
    GroupNode *GetGroupBelow(const GroupNode *group) const override;
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    uint32_t fractionType = kFractionVertical;
    bool small = false;
    bool atop = false;
    bool noSlant = false;
    // The bar or slash in node coordinates (counter-clockwise); no curves when it could not be built.
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[4];

private:
    void MeasureVertical(const Design *design, float em, float mu, float left, float right);
    void MeasureHorizontal(const Design *design, float em, float mu, float left, float right);
    void MeasureDiagonal(const Design *design, float em, float mu, float left, float right);
    // The slash: the centre line from p to q widened by the half width on each side; the vertical
    // part of that widening, or -1 when the line has no usable direction (no outline).
    float BuildSlash(const Point2D &p, const Point2D &q, float halfWidth);
};

}  // namespace oq
