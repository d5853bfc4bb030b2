#pragma once

#include "editor/structures/EnclosingNode.h"

namespace oq {

inline constexpr uint32_t kStrikeKind = 'strk';
inline constexpr uint32_t kStrikeHorizontal = 'horz';
inline constexpr uint32_t kStrikeUp = 'lwup';
inline constexpr uint32_t kStrikeDown = 'uplw';
inline constexpr uint32_t kStrikeCross = 'exxx';

// A strike ("Kt"): its body struck out by a rule on the math axis ('horz', the default) or cancelled
// by one or two diagonal strokes drawn over it.
class StrikeNode : public EnclosingNode
{
public:
    explicit StrikeNode(uint32_t type);
    StrikeNode(const StrikeNode &node) = default;

    DocumentNode *Clone() const override;
    // The axis rule (4 curves) or the strokes ('exxx': the 'lwup' stroke, then the 'uplw' one).
    void Measure(const Design *design) override;

private:
    // Appends the stroke from p to q widened by h to each side and takes its corners into the
    // node's extent; a stroke without a usable direction is left out.
    void AppendStroke(const Point2D &p, const Point2D &q, float h);
};

}  // namespace oq
