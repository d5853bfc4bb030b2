#pragma once

#include "editor/structures/StructureNode.h"

#include "base/Bezier.h"

namespace oq {

inline constexpr uint32_t kStrikeKind = 'strk';
inline constexpr uint32_t kStrikeHorizontal = 'horz';
inline constexpr uint32_t kStrikeUp = 'lwup';
inline constexpr uint32_t kStrikeDown = 'uplw';
inline constexpr uint32_t kStrikeCross = 'exxx';

// A strike ("Kt"): its body (role 0) struck out by a rule on the math axis or cancelled by one or two
// diagonal strokes drawn over it.
class StrikeNode : public StructureNode
{
public:
    static constexpr int32_t kMaxOutlineCurves = 8;

    explicit StrikeNode(uint32_t type);
    StrikeNode(const StrikeNode &node);

    GroupNode *GetBody() const { return GetSlot(0); }

    // "t" (a 4CC).
    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    // A type out of the four becomes 'horz'.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;
    DocumentNode *Clone() const override;
    // The colour properties, then "t" unless 'horz'.
    bool WriteKettricProperties(TextBuffer *buffer) const override;
    void WriteKettric(KettricDocument *document, TextBuffer *buffer) const override;
    // The children's items, then the strokes in the node colour over them.
    void BuildExportItems(const Design *design, DisplayList *list) const override;
    void BuildPathItems(const Design *design, DisplayList *list) const override;

    void Measure(const Design *design) override;
    void WriteLatex(MathWriterState *state, TextString *output) const override;
    // menclose with the type's notation.
    void WriteMathML(MathWriterState *state, TextString *output) const override;

    uint32_t strikeType = kStrikeHorizontal;
    // The rule or strokes in node coordinates (counter-clockwise, 4 curves each; 'exxx' the 'lwup'
    // stroke first); none before layout or for a stroke without a usable direction.
    int32_t outlineCount = 0;
    QuadraticBezier2D outline[kMaxOutlineCurves];

private:
    // Appends the stroke from p to q widened by h to each side.
    void AppendStroke(const Point2D &p, const Point2D &q, float h);
};

}  // namespace oq
