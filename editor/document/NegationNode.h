#pragma once

#include "editor/document/DecorationNode.h"

namespace oq {

// A negation stroke ("Ng", kind 'nega'): a bar slanted forward ('frwd') or backward ('bkwd') or
// upright ('vert') through the first glyph of its run, as in a not-equal sign.
class NegationNode : public DecorationNode
{
public:
    NegationNode() : DecorationNode(kNegationKind) {}
    NegationNode(const NegationNode &node) = default;

    DocumentNode *Clone() const override;
    // Four straight edges over the run's first glyph, upright when the slant has no room; no width.
    void Measure(const Design *design) override;
};

}  // namespace oq
