#pragma once

#include "editor/document/DecorationNode.h"

namespace oq {

// An enclosure ("En", kind 'encl'): a ring of constant thickness, circle ('circ'), square ('squa')
// or rounded square ('rdsq'), that its run centres on its first glyph.
class EnclosureNode : public DecorationNode
{
public:
    EnclosureNode() : DecorationNode(kEnclosureKind) {}
    EnclosureNode(const EnclosureNode &node) = default;

    DocumentNode *Clone() const override;
    // An outer contour and an inner one of opposite winding, from (0, -R) to (2R, R); a disc or a
    // filled square when the thickness leaves no inside.
    void Measure(const Design *design) override;
};

}  // namespace oq
