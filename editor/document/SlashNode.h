#pragma once

#include "editor/document/DecorationNode.h"

#include <cstdint>

namespace oq {

// A slash ("Sl", kind 'slsh'): a long stroke, forward ('frwd') or backward ('bkwd'), that crosses
// the first glyph of its run on the math axis.
class SlashNode : public DecorationNode
{
public:
    explicit SlashNode(uint32_t slashType = 'frwd') : DecorationNode(kSlashKind) { type = slashType; }
    SlashNode(const SlashNode &node) = default;

    DocumentNode *Clone() const override;
    // Four straight edges crossing x = 0 at the math axis; no width.
    void Measure(const Design *design) override;
};

}  // namespace oq
