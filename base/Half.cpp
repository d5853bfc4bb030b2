#include "base/Half.h"

#include <bit>

namespace oq {

namespace {

// Indexed by the top six bits of a half (sign and exponent): the float bits to AND with the
// shifted mantissa. Signed zero for exponent 0, signed infinity for exponent 31.
struct HalfExponentTable
{
    uint32_t entries[64];
};

constexpr HalfExponentTable MakeHalfExponentTable()
{
    HalfExponentTable table{};
    for (uint32_t i = 0; i < 64; i++)
    {
        uint32_t sign = (i & 32) << 26;
        uint32_t exponent = i & 31;
        if (exponent == 0)
            table.entries[i] = sign;
        else if (exponent == 31)
            table.entries[i] = sign | 0x7F800000u;
        else
            table.entries[i] = sign | (exponent + 112) << 23 | 0x7FFFFFu;
    }
    return table;
}

constexpr HalfExponentTable kHalfExponentTable = MakeHalfExponentTable();

}  // namespace

float HalfToFloat(const uint16_t *half)
{
    uint32_t h = *half;
    uint32_t bits = kHalfExponentTable.entries[h >> 10] & ((h | 0xFFFFFC00u) << 13);
    return std::bit_cast<float>(bits);
}

void FloatToHalf(uint16_t *half, float value)
{
    uint32_t bits = std::bit_cast<uint32_t>(value);
    uint32_t sign = (bits >> 16) & 0x8000u;
    uint32_t exponent = (bits >> 23) & 0xFFu;
    if (exponent < 113)
    {
        *half = static_cast<uint16_t>(sign);
        return;
    }
    uint32_t c = ((bits >> 12) & 0x7FFu) + 1;  // top 11 mantissa bits plus the rounding half
    uint32_t e = exponent + (c >> 11);
    if (e > 142)
    {
        *half = static_cast<uint16_t>(sign | 0x7C00u);
        return;
    }
    *half = static_cast<uint16_t>(sign | (e - 112) << 10 | ((c >> 1) & 0x3FFu));
}

}  // namespace oq
