#include "vorlfont/opentype/CffDictParser.h"

#include <cmath>
#include <initializer_list>

namespace oq {

namespace {

// Reads a real number's nibbles from p; returns its byte count, or 0 when it is malformed.
uint64_t ReadDictReal(const uint8_t *p, uint64_t available, float *value)
{
    float mantissa = 0.0f;
    int32_t fractionDigits = 0;
    int32_t exponent = 0;
    bool point = false, exponentSeen = false, exponentNegative = false, minus = false;
    for (uint64_t k = 0; k < available; ++k)
    {
        uint32_t byte = p[k];
        if ((byte >> 4) == 13 || (byte & 15) == 13) return 0;
        for (uint32_t nibble : {byte >> 4, byte & 15})
        {
            if (nibble <= 9)
            {
                if (exponentSeen)
                {
                    if (exponent < 10000) exponent = exponent * 10 + int32_t(nibble);
                }
                else
                {
                    mantissa = mantissa * 10.0f + float(nibble);
                    if (point) ++fractionDigits;
                }
            }
            else if (nibble == 10)
            {
                if (point || exponentSeen) return 0;
                point = true;
            }
            else if (nibble == 11 || nibble == 12)
            {
                if (exponentSeen) return 0;
                exponentSeen = true;
                exponentNegative = nibble == 12;
            }
            else if (nibble == 14)
            {
                if (minus) return 0;
                minus = true;
            }
            else  // 15 ends the number
            {
                float result = mantissa / std::pow(10.0f, float(fractionDigits));
                if (minus) result = -result;
                result *= std::pow(10.0f, float(exponentNegative ? -exponent : exponent));
                if (!std::isfinite(result)) return 0;
                *value = result;
                return k + 1;
            }
        }
    }
    return 0;
}

// The integer operand i as an offset from base that lies inside the CFF data or at its end (where
// only an empty Private DICT fits; what is read there is checked again).
bool GetDictOffset(const CffOperandStack &stack, int32_t i, const FontBytes &cff, uint64_t base, CffOffset *result)
{
    if (!stack.IsInteger(i)) return false;
    int64_t position = int64_t(base) + int32_t(stack.values[i]);
    if (position < 0 || uint64_t(position) > cff.size) return false;
    result->present = true;
    result->offset = uint64_t(position);
    return true;
}

}  // namespace

bool CffDictParser::Parse(const uint8_t *data, uint64_t length)
{
    operandStack.count = 0;
    dictData = data;
    uint64_t i = 0;
    while (i < length)
    {
        uint32_t b0 = data[i];
        uint64_t left = length - i;
        if (b0 <= 21 && b0 != 12)
        {
            if (!HandleOperator(b0, 0)) return false;
            i += 1;
        }
        else if (b0 == 12)
        {
            if (left < 2 || !HandleOperator(12, data[i + 1])) return false;
            i += 2;
        }
        else if (b0 == 28)
        {
            if (left < 3 || !operandStack.PushInteger(int16_t(data[i + 1] << 8 | data[i + 2]))) return false;
            i += 3;
        }
        else if (b0 == 29)
        {
            if (left < 5) return false;
            uint32_t v = uint32_t(data[i + 1]) << 24 | uint32_t(data[i + 2]) << 16 | uint32_t(data[i + 3]) << 8 | data[i + 4];
            if (!operandStack.PushInteger(int32_t(v))) return false;
            i += 5;
        }
        else if (b0 == 30)
        {
            float value = 0.0f;
            uint64_t size = ReadDictReal(data + i + 1, left - 1, &value);
            if (size == 0 || !operandStack.PushReal(value)) return false;
            i += 1 + size;
        }
        else if (b0 >= 32 && b0 <= 246)
        {
            if (!operandStack.PushInteger(int32_t(b0) - 139)) return false;
            i += 1;
        }
        else if (b0 >= 247 && b0 <= 254)
        {
            if (left < 2) return false;
            int32_t v = b0 <= 250 ? int32_t(b0 - 247) * 256 + data[i + 1] + 108 : -int32_t(b0 - 251) * 256 - data[i + 1] - 108;
            if (!operandStack.PushInteger(v)) return false;
            i += 2;
        }
        else return false;  // 22 to 27, 31, 255
    }
    return true;
}

CffTopDictParser::CffTopDictParser(const FontBytes &cffData) : cff(cffData)
{
    fontMatrix.Set(0.001f, 0.0f, 0.0f, 0.0f, 0.0f, 0.001f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
}

bool CffTopDictParser::HandleOperator(uint32_t op, uint32_t escape)
{
    const CffOperandStack &s = operandStack;
    bool ok = true;
    if (op == 17)
    {
        ok = s.count >= 1 && GetDictOffset(s, 0, cff, 0, &charStrings);
    }
    else if (op == 18)
    {
        ok = s.count >= 2 && s.IsInteger(0) && int32_t(s.values[0]) >= 0 && GetDictOffset(s, 1, cff, 0, &privateDict);
        if (ok)
        {
            privateSize = uint32_t(s.values[0]);
            ok = cff.Contains(privateDict.offset, privateSize);
        }
    }
    else if (op == 12 && escape == 7)
    {
        ok = s.count >= 6;
        if (ok)
        {
            float a = s.GetReal(0), b = s.GetReal(1), c = s.GetReal(2), d = s.GetReal(3), e = s.GetReal(4), f = s.GetReal(5);
            fontMatrix.Set(a, c, 0.0f, e, b, d, 0.0f, f, 0.0f, 0.0f, 1.0f, 0.0f);
            hasFontMatrix = true;
        }
    }
    else if (op == 12 && escape == 34)
    {
        ok = s.count >= 1 && s.GetInteger(0, &cidCount);
    }
    else if (op == 12 && escape == 36)
    {
        ok = s.count >= 1 && GetDictOffset(s, 0, cff, 0, &fdArray);
    }
    else if (op == 12 && escape == 37)
    {
        ok = s.count >= 1 && GetDictOffset(s, 0, cff, 0, &fdSelect);
    }
    operandStack.count = 0;
    return ok;
}

bool CffPrivateDictParser::HandleOperator(uint32_t op, uint32_t)
{
    bool ok = true;
    if (op == 19) ok = operandStack.count >= 1 && GetDictOffset(operandStack, 0, cff, privateStart, &localSubrs);
    operandStack.count = 0;
    return ok;
}

}  // namespace oq
