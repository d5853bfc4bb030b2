#pragma once

#include <cstdint>

namespace oq {

// The parts of a new arrow as ArrowNode::SetParts takes them: the count, the kinds (null: all
// 'long'), and per end and middle the charm count of each part with the flat charm lists.
struct ArrowPartLists
{
    int32_t count = 1;
    const uint32_t *kinds = nullptr;
    const uint8_t *leftCounts = nullptr;
    const uint8_t *rightCounts = nullptr;
    const uint8_t *middleCounts = nullptr;
    const uint32_t *leftItems = nullptr;
    const uint32_t *rightItems = nullptr;
    const uint32_t *middleItems = nullptr;
};

}  // namespace oq
