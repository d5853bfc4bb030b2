#pragma once

#include "editor/structures/EnclosingNode.h"

namespace oq {

inline constexpr uint32_t kBoxKind = 'boxx';
inline constexpr uint32_t kBoxFull = 'full';
inline constexpr uint32_t kBoxUpperLeft = 'uplf';
inline constexpr uint32_t kBoxUpperRight = 'uprt';
inline constexpr uint32_t kBoxLowerLeft = 'lwlf';
inline constexpr uint32_t kBoxLowerRight = 'lwrt';

// A box ("Bx"): a ruled frame around its body, complete ('full', the default) or one corner of two
// rules; every type writes "\boxed" in LaTeX.
class BoxNode : public EnclosingNode
{
public:
    explicit BoxNode(uint32_t type);
    BoxNode(const BoxNode &node) = default;

    DocumentNode *Clone() const override;
    // Four overlapping pieces (16 curves) for 'full', the corner's two rules (8 curves) otherwise.
    void Measure(const Design *design) override;
};

}  // namespace oq
