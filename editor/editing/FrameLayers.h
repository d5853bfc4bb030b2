#pragma once

#include <cstdint>

namespace oq {

// The display list a top-level node's path items go to in a frame.
enum class FrameLayer : uint8_t
{
    kEquation,
    kBackground,
    kForeground,
};

// Family 'eqtn' is the equation; another node is background until an 'eqtn' node was met, then
// foreground.
FrameLayer GetFrameLayer(uint32_t family, bool equationSeen);

}  // namespace oq
