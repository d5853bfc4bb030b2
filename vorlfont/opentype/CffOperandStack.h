#pragma once

#include <cstdint>

namespace oq {

inline constexpr int32_t kCffMaxOperands = 512;

// The operands of the CFF DICT and charstring parsers: integers and 32-bit reals with their kinds.
struct CffOperandStack
{
    int32_t count = 0;
    uint32_t values[kCffMaxOperands];
    uint8_t types[kCffMaxOperands];  // 0 integer, 1 real

    [[nodiscard]] bool PushInteger(int32_t value);
    [[nodiscard]] bool PushReal(float value);
    [[nodiscard]] bool Pop(uint32_t *bits, uint8_t *type);

    // Entry i as a real (integers converted).
    float GetReal(int32_t i) const;
    bool IsInteger(int32_t i) const { return types[i] == 0; }

    // Entry i as an integer: reals truncated toward zero and saturated; false for a non-finite real.
    [[nodiscard]] bool GetInteger(int32_t i, int32_t *value) const;
};

// A real truncated toward zero and saturated to int32; false when it is not finite.
[[nodiscard]] bool ConvertCffRealToInteger(float value, int32_t *result);

}  // namespace oq
