#pragma once

#include <cstdint>

namespace oq {

// Virtual-key numbers of the keys the widgets answer, as key events carry them.
constexpr int32_t kKeyBack = 0x08;
constexpr int32_t kKeyTab = 0x09;
constexpr int32_t kKeyReturn = 0x0D;
constexpr int32_t kKeyEscape = 0x1B;
constexpr int32_t kKeyPageUp = 0x21;
constexpr int32_t kKeyPageDown = 0x22;
constexpr int32_t kKeyEnd = 0x23;
constexpr int32_t kKeyHome = 0x24;
constexpr int32_t kKeyLeft = 0x25;
constexpr int32_t kKeyUp = 0x26;
constexpr int32_t kKeyRight = 0x27;
constexpr int32_t kKeyDown = 0x28;
constexpr int32_t kKeyDelete = 0x2E;

}  // namespace oq
