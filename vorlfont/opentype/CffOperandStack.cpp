#include "vorlfont/opentype/CffOperandStack.h"

#include <cmath>
#include <cstring>

namespace oq {

bool CffOperandStack::PushInteger(int32_t value)
{
    if (count >= kCffMaxOperands) return false;
    values[count] = uint32_t(value);
    types[count] = 0;
    ++count;
    return true;
}

bool CffOperandStack::PushReal(float value)
{
    if (count >= kCffMaxOperands) return false;
    std::memcpy(&values[count], &value, 4);
    types[count] = 1;
    ++count;
    return true;
}

bool CffOperandStack::Pop(uint32_t *bits, uint8_t *type)
{
    if (count <= 0) return false;
    --count;
    *bits = values[count];
    *type = types[count];
    return true;
}

float CffOperandStack::GetReal(int32_t i) const
{
    if (types[i] == 0) return float(int32_t(values[i]));
    float value;
    std::memcpy(&value, &values[i], 4);
    return value;
}

bool CffOperandStack::GetInteger(int32_t i, int32_t *value) const
{
    if (types[i] == 0)
    {
        *value = int32_t(values[i]);
        return true;
    }
    return ConvertCffRealToInteger(GetReal(i), value);
}

bool ConvertCffRealToInteger(float value, int32_t *result)
{
    *result = 0;
    if (!std::isfinite(value)) return false;
    if (value >= 2147483648.0f) *result = INT32_MAX;
    else if (value <= -2147483648.0f) *result = INT32_MIN;
    else *result = int32_t(value);
    return true;
}

}  // namespace oq
