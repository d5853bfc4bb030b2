#include "vorlfont/opentype/CffCharstringDecoder.h"

#include <cmath>
#include <cstdlib>

namespace oq {

CffCharstringDecoder::CffCharstringDecoder(const CffIndex &globalSubrIndex) : globalSubrs(globalSubrIndex)
{
    globalBias = GetCffSubroutineBias(globalSubrs.count);
}

void CffCharstringDecoder::SetLocalSubrs(const CffIndex *localSubrIndex)
{
    hasLocalSubrs = localSubrIndex != nullptr;
    localSubrs = hasLocalSubrs ? *localSubrIndex : CffIndex();
    localBias = GetCffSubroutineBias(localSubrs.count);
}

bool CffCharstringDecoder::CloseContour()
{
    if (currentPoint.x == contourStart.x && currentPoint.y == contourStart.y) return true;
    if (segments.GetElementCount() >= kCffMaxSegmentsPerGlyph) return false;
    // The current point stays where the path left it: the next move is relative to it.
    segments.AddElement(CubicBezier2D(currentPoint, contourStart, contourStart, contourStart));
    return true;
}

bool CffCharstringDecoder::MoveTo(float dx, float dy)
{
    if (!CloseContour()) return false;
    currentPoint = Point2D(currentPoint.x + dx, currentPoint.y + dy);
    contourStart = currentPoint;
    return true;
}

bool CffCharstringDecoder::AddLine(float dx, float dy)
{
    if (segments.GetElementCount() >= kCffMaxSegmentsPerGlyph) return false;
    Point2D end(currentPoint.x + dx, currentPoint.y + dy);
    segments.AddElement(CubicBezier2D(currentPoint, end, end, end));
    currentPoint = end;
    return true;
}

bool CffCharstringDecoder::AddCurve(float dx1, float dy1, float dx2, float dy2, float dx3, float dy3)
{
    if (segments.GetElementCount() >= kCffMaxSegmentsPerGlyph) return false;
    Point2D p1(currentPoint.x + dx1, currentPoint.y + dy1);
    Point2D p2(p1.x + dx2, p1.y + dy2);
    Point2D p3(p2.x + dx3, p2.y + dy3);
    segments.AddElement(CubicBezier2D(currentPoint, p1, p2, p3));
    currentPoint = p3;
    return true;
}

bool CffCharstringDecoder::CallSubroutine(const CffIndex *subrs, int32_t bias, const uint8_t **data, uint64_t *length)
{
    uint32_t bits;
    uint8_t type;
    if (!operandStack.Pop(&bits, &type)) return false;
    int32_t number = int32_t(bits);
    if (type != 0)
    {
        operandStack.count++;
        bool ok = operandStack.GetInteger(operandStack.count - 1, &number);
        operandStack.count--;
        if (!ok) return false;
    }
    int64_t index = int64_t(number) + bias;
    if (subrs == nullptr || callDepth >= kCffMaxCallDepth || index < 0 || index >= int64_t(subrs->count)) return false;
    callStack[callDepth++] = ReturnPosition{*data, *length};
    FontBytes element = subrs->GetElement(uint32_t(index));
    *data = element.data;
    *length = element.size;
    return true;
}

bool CffCharstringDecoder::RunCharstring(const uint8_t *charstring, uint64_t length)
{
    operandStack.count = 0;
    currentPoint = Point2D(0.0f, 0.0f);
    contourStart = currentPoint;
    segments.SetElementCount(0);
    stemCount = 0;
    for (float &cell : transient) cell = 0.0f;
    callDepth = 0;
    executedOperators = 0;

    const uint8_t *p = charstring;
    uint64_t left = length;
    for (;;)
    {
        if (left == 0)
        {
            if (callDepth == 0) return CloseContour();
            // The end of a subroutine returns to its caller.
            if (executedOperators >= kCffMaxOperatorsPerGlyph) return false;
            ++executedOperators;
            --callDepth;
            p = callStack[callDepth].data;
            left = callStack[callDepth].length;
            continue;
        }

        uint32_t b0 = p[0];
        if (b0 >= 32)
        {
            int32_t value;
            uint64_t size;
            if (b0 <= 246)
            {
                value = int32_t(b0) - 139;
                size = 1;
            }
            else if (b0 <= 254)
            {
                if (left < 2) return false;
                value = b0 <= 250 ? int32_t(b0 - 247) * 256 + p[1] + 108 : -int32_t(b0 - 251) * 256 - p[1] - 108;
                size = 2;
            }
            else
            {
                if (left < 5) return false;
                int32_t fixed = int32_t(uint32_t(p[1]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 8 | p[4]);
                if (!operandStack.PushReal(float(fixed) * (1.0f / 65536.0f))) return false;
                p += 5;
                left -= 5;
                continue;
            }
            if (!operandStack.PushInteger(value)) return false;
            p += size;
            left -= size;
            continue;
        }
        if (b0 == 28)
        {
            if (left < 3 || !operandStack.PushInteger(int16_t(p[1] << 8 | p[2]))) return false;
            p += 3;
            left -= 3;
            continue;
        }

        if (executedOperators >= kCffMaxOperatorsPerGlyph) return false;
        ++executedOperators;
        switch (b0)
        {
        case 10:
        case 29:
        {
            p += 1;
            left -= 1;
            const CffIndex *subrs = b0 == 10 ? (hasLocalSubrs ? &localSubrs : nullptr) : &globalSubrs;
            if (!CallSubroutine(subrs, b0 == 10 ? localBias : globalBias, &p, &left)) return false;
            break;
        }
        case 11:
            if (callDepth == 0) return false;
            --callDepth;
            p = callStack[callDepth].data;
            left = callStack[callDepth].length;
            break;
        case 14:
            return CloseContour();
        case 19:
        case 20:
        {
            stemCount += operandStack.count / 2;
            operandStack.count = 0;
            uint64_t skip = 1 + (uint64_t(stemCount) + 7) / 8;
            if (skip > left) return false;
            p += skip;
            left -= skip;
            break;
        }
        case 12:
            if (left < 2 || !ExecuteOperator(12, p[1])) return false;
            p += 2;
            left -= 2;
            break;
        default:
            if (!ExecuteOperator(b0, 0)) return false;
            p += 1;
            left -= 1;
            break;
        }
    }
}

bool CffCharstringDecoder::ExecuteOperator(uint32_t op, uint32_t escape)
{
    if (op == 12) return ExecuteEscapeOperator(escape);
    bool ok = ExecutePathOperator(op);
    operandStack.count = 0;
    return ok;
}

bool CffCharstringDecoder::ExecutePathOperator(uint32_t op)
{
    const CffOperandStack &s = operandStack;
    int32_t n = s.count;
    auto v = [&s](int32_t i) { return s.GetReal(i); };
    switch (op)
    {
    case 1:
    case 3:
    case 18:
    case 23:
        stemCount += n / 2;
        return true;
    case 4:
        return n >= 1 && MoveTo(0.0f, v(n - 1));
    case 21:
        return n >= 2 && MoveTo(v(n - 2), v(n - 1));
    case 22:
        return n >= 1 && MoveTo(v(n - 1), 0.0f);
    case 5:
        if (n < 2 || n % 2 != 0) return false;
        for (int32_t i = 0; i < n; i += 2)
        {
            if (!AddLine(v(i), v(i + 1))) return false;
        }
        return true;
    case 6:
    case 7:
    {
        if (n < 1) return false;
        bool horizontal = op == 6;
        for (int32_t i = 0; i < n; ++i, horizontal = !horizontal)
        {
            if (!(horizontal ? AddLine(v(i), 0.0f) : AddLine(0.0f, v(i)))) return false;
        }
        return true;
    }
    case 8:
        if (n < 6 || n % 6 != 0) return false;
        for (int32_t i = 0; i < n; i += 6)
        {
            if (!AddCurve(v(i), v(i + 1), v(i + 2), v(i + 3), v(i + 4), v(i + 5))) return false;
        }
        return true;
    case 24:
    {
        if (n < 8 || n % 6 != 2) return false;
        int32_t i = 0;
        for (; i + 2 < n; i += 6)
        {
            if (!AddCurve(v(i), v(i + 1), v(i + 2), v(i + 3), v(i + 4), v(i + 5))) return false;
        }
        return AddLine(v(i), v(i + 1));
    }
    case 25:
    {
        if (n < 8 || n % 2 != 0) return false;
        int32_t i = 0;
        for (; i + 6 < n; i += 2)
        {
            if (!AddLine(v(i), v(i + 1))) return false;
        }
        return AddCurve(v(i), v(i + 1), v(i + 2), v(i + 3), v(i + 4), v(i + 5));
    }
    case 26:
    case 27:
    {
        if (n < 4 || (n % 4 != 0 && n % 4 != 1)) return false;
        int32_t i = n % 4;
        float lead = i == 1 ? v(0) : 0.0f;
        for (; i < n; i += 4, lead = 0.0f)
        {
            bool ok = op == 26 ? AddCurve(lead, v(i), v(i + 1), v(i + 2), 0.0f, v(i + 3))
                               : AddCurve(v(i), lead, v(i + 1), v(i + 2), v(i + 3), 0.0f);
            if (!ok) return false;
        }
        return true;
    }
    case 30:
    case 31:
    {
        if (n < 4 || (n % 4 != 0 && n % 4 != 1)) return false;
        bool horizontal = op == 31;
        int32_t last = n - n % 4 - 4;  // start of the last curve
        for (int32_t i = 0; i + 4 <= n; i += 4, horizontal = !horizontal)
        {
            float extra = (i == last && n % 4 == 1) ? v(n - 1) : 0.0f;
            bool ok = horizontal ? AddCurve(v(i), 0.0f, v(i + 1), v(i + 2), extra, v(i + 3))
                                 : AddCurve(0.0f, v(i), v(i + 1), v(i + 2), v(i + 3), extra);
            if (!ok) return false;
        }
        return true;
    }
    case 0:
    case 2:
    case 9:
    case 13:
    case 15:
    case 16:
    case 17:
        return true;
    default:
        return false;
    }
}

bool CffCharstringDecoder::ExecuteEscapeOperator(uint32_t escape)
{
    CffOperandStack &s = operandStack;
    int32_t n = s.count;
    auto v = [&s](int32_t i) { return s.GetReal(i); };
    auto popInteger = [&s](int32_t *value) {
        if (s.count < 1 || !s.GetInteger(s.count - 1, value)) return false;
        --s.count;
        return true;
    };

    switch (escape)
    {
    case 0:  // dotsection
        s.count = 0;
        return true;
    case 35:  // flex
    {
        bool ok = n == 13 && AddCurve(v(0), v(1), v(2), v(3), v(4), v(5)) &&
                  AddCurve(v(6), v(7), v(8), v(9), v(10), v(11));
        s.count = 0;
        return ok;
    }
    case 34:  // hflex
    {
        if (n != 7) return false;
        float startY = currentPoint.y;
        bool ok = AddCurve(v(0), 0.0f, v(1), v(2), v(3), 0.0f) && AddCurve(v(4), 0.0f, v(5), -v(2), v(6), 0.0f);
        if (ok) segments[segments.GetElementCount() - 1].p3.y = currentPoint.y = startY;
        s.count = 0;
        return ok;
    }
    case 36:  // hflex1
    {
        if (n != 9) return false;
        float startY = currentPoint.y;
        bool ok = AddCurve(v(0), v(1), v(2), v(3), v(4), 0.0f) && AddCurve(v(5), 0.0f, v(6), v(7), v(8), 0.0f);
        if (ok) segments[segments.GetElementCount() - 1].p3.y = currentPoint.y = startY;
        s.count = 0;
        return ok;
    }
    case 37:  // flex1
    {
        if (n != 11) return false;
        Point2D start = currentPoint;
        float dx = v(0) + v(2) + v(4) + v(6) + v(8);
        float dy = v(1) + v(3) + v(5) + v(7) + v(9);
        bool ok = AddCurve(v(0), v(1), v(2), v(3), v(4), v(5));
        if (ok)
        {
            if (std::fabs(dx) > std::fabs(dy))
            {
                ok = AddCurve(v(6), v(7), v(8), v(9), v(10), 0.0f);
                if (ok) segments[segments.GetElementCount() - 1].p3.y = currentPoint.y = start.y;
            }
            else
            {
                ok = AddCurve(v(6), v(7), v(8), v(9), 0.0f, v(10));
                if (ok) segments[segments.GetElementCount() - 1].p3.x = currentPoint.x = start.x;
            }
        }
        s.count = 0;
        return ok;
    }
    case 3:   // and
    case 4:   // or
    case 15:  // eq
    {
        if (n < 2) return false;
        float a = v(n - 2), b = v(n - 1);
        s.count -= 2;
        bool result = escape == 3 ? (a != 0.0f && b != 0.0f) : escape == 4 ? (a != 0.0f || b != 0.0f) : a == b;
        return s.PushInteger(result ? 1 : 0);
    }
    case 5:  // not
    {
        if (n < 1) return false;
        float a = v(n - 1);
        s.count -= 1;
        return s.PushInteger(a == 0.0f ? 1 : 0);
    }
    case 9:   // abs
    case 14:  // neg
    case 26:  // sqrt
    {
        if (n < 1) return false;
        float a = v(n - 1);
        s.count -= 1;
        return s.PushReal(escape == 9 ? std::fabs(a) : escape == 14 ? -a : std::sqrt(a));
    }
    case 10:  // add
    case 11:  // sub
    case 24:  // mul
    case 12:  // div
    {
        if (n < 2) return false;
        float a = v(n - 2), b = v(n - 1);
        s.count -= 2;
        if (escape == 12 && b == 0.0f) return false;
        float result = escape == 10 ? a + b : escape == 11 ? a - b : escape == 24 ? a * b : a / b;
        return s.PushReal(result);
    }
    case 18:  // drop
        if (n < 1) return false;
        s.count -= 1;
        return true;
    case 27:  // dup
        if (n < 1) return false;
        if (!s.PushReal(0.0f)) return false;
        s.values[n] = s.values[n - 1];
        s.types[n] = s.types[n - 1];
        return true;
    case 28:  // exch
    {
        if (n < 2) return false;
        uint32_t value = s.values[n - 1];
        uint8_t type = s.types[n - 1];
        s.values[n - 1] = s.values[n - 2];
        s.types[n - 1] = s.types[n - 2];
        s.values[n - 2] = value;
        s.types[n - 2] = type;
        return true;
    }
    case 29:  // index
    {
        int32_t i;
        if (n < 2 || !popInteger(&i)) return false;
        int32_t top = s.count - 1;
        int32_t from = i < 0 ? top : i > top ? 0 : top - i;
        s.values[s.count] = s.values[from];
        s.types[s.count] = s.types[from];
        ++s.count;
        return true;
    }
    case 30:  // roll
    {
        int32_t j, count;
        if (n < 2 || !popInteger(&j) || !popInteger(&count)) return false;
        if (count < 0 || count > s.count) return false;
        if (count == 0) return true;
        int32_t shift = int32_t(((int64_t(j) % count) + count) % count);
        if (shift == 0) return true;
        uint32_t values[kCffMaxOperands];
        uint8_t types[kCffMaxOperands];
        int32_t base = s.count - count;
        for (int32_t k = 0; k < count; ++k)
        {
            int32_t to = (k + shift) % count;
            values[to] = s.values[base + k];
            types[to] = s.types[base + k];
        }
        for (int32_t k = 0; k < count; ++k)
        {
            s.values[base + k] = values[k];
            s.types[base + k] = types[k];
        }
        return true;
    }
    case 20:  // put
    {
        int32_t i;
        if (n < 2 || !popInteger(&i)) return false;
        float value = v(s.count - 1);
        s.count -= 1;
        if (i < 0 || i > 31) return false;
        transient[i] = value;
        return true;
    }
    case 21:  // get
    {
        int32_t i;
        if (n < 1 || !popInteger(&i)) return false;
        if (i < 0 || i > 31) return false;
        return s.PushReal(transient[i]);
    }
    case 22:  // ifelse
    {
        if (n < 4) return false;
        float c = v(n - 2), d = v(n - 1);
        int32_t pick = c <= d ? n - 4 : n - 3;
        uint32_t value = s.values[pick];
        uint8_t type = s.types[pick];
        s.count -= 4;
        s.values[s.count] = value;
        s.types[s.count] = type;
        ++s.count;
        return true;
    }
    case 23:  // random
        return s.PushReal(1.0f);
    default:
        return false;
    }
}

}  // namespace oq
