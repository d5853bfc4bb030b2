#pragma once

#include "editor/fonts/Design.h"

#include <cstdint>

namespace oq {

// The general group's fixed slots: the least depth of a row below its baseline and the least height
// above the capital height, in mu.
constexpr int32_t kGeneralRowDepthSlot = 4;
constexpr int32_t kGeneralRowHeightSlot = 5;

// A design parameter of the math layout by its group and key; 0 for a key the group does not have.
float GetDesignParam(const Design *design, int32_t group, uint32_t key);

// The index of the design group with the key (0 for the general group); -1 when none.
int32_t FindDesignGroup(uint32_t groupKey);

// A parameter of the design group with the key, by its own key; 0 when either is missing.
float GetGroupParam(const Design *design, uint32_t groupKey, uint32_t key);

// A parameter of the general group by its key.
inline float GetGeneralParam(const Design *design, uint32_t key)
{
    return GetDesignParam(design, 0, key);
}

}  // namespace oq
