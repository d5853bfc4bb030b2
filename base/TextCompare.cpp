#include "base/TextUtils.h"

#include "base/TextBytes.h"

namespace oq {

namespace {

// Sign of the comparison of the first n bytes (0 when they are equal or both texts end before).
// Folding to upper case serves the equalities too: equal after folding down means equal after
// folding up.
template <bool kNoCase>
int32_t CompareBytes(const char *s1, const char *s2, int32_t n)
{
    const unsigned char *a = reinterpret_cast<const unsigned char *>(s1);
    const unsigned char *b = reinterpret_cast<const unsigned char *>(s2);
    for (int32_t i = 0; i < n; i++)
    {
        uint32_t x = a[i];
        uint32_t y = b[i];
        if (kNoCase)
        {
            x = UpperAsciiByte(x);
            y = UpperAsciiByte(y);
        }

        if (x != y) return (x < y) ? -1 : 1;
        if (x == 0) return 0;
    }

    return 0;
}

// Compares the digit runs starting at a and b as numbers of any length. Returns the sign, and the
// run lengths through lengthA and lengthB. Equal numbers: the run with fewer digits (fewer leading
// zeros) sorts first.
int32_t CompareDigitRuns(const unsigned char *a, const unsigned char *b, int32_t *lengthA, int32_t *lengthB)
{
    int32_t zerosA = 0;
    while (a[zerosA] == '0') zerosA++;
    int32_t zerosB = 0;
    while (b[zerosB] == '0') zerosB++;

    int32_t endA = zerosA;
    while (IsDigitByte(a[endA])) endA++;
    int32_t endB = zerosB;
    while (IsDigitByte(b[endB])) endB++;

    *lengthA = endA;
    *lengthB = endB;

    int32_t significantA = endA - zerosA;
    int32_t significantB = endB - zerosB;
    if (significantA != significantB) return (significantA < significantB) ? -1 : 1;

    for (int32_t i = 0; i < significantA; i++)
    {
        uint32_t x = a[zerosA + i];
        uint32_t y = b[zerosB + i];
        if (x != y) return (x < y) ? -1 : 1;
    }

    if (zerosA != zerosB) return (zerosA < zerosB) ? -1 : 1;
    return 0;
}

template <bool kNoCase>
bool CompareNatural(const char *s1, const char *s2)
{
    const unsigned char *a = reinterpret_cast<const unsigned char *>(s1);
    const unsigned char *b = reinterpret_cast<const unsigned char *>(s2);
    for (;;)
    {
        uint32_t x = *a;
        uint32_t y = *b;
        if (IsDigitByte(x) && IsDigitByte(y))
        {
            int32_t lengthA;
            int32_t lengthB;
            int32_t order = CompareDigitRuns(a, b, &lengthA, &lengthB);
            if (order != 0) return order < 0;

            a += lengthA;
            b += lengthB;
            continue;
        }

        if (kNoCase)
        {
            x = UpperAsciiByte(x);
            y = UpperAsciiByte(y);
        }

        if (x != y) return x < y;
        if (x == 0) return false;
        a++;
        b++;
    }
}

}  // namespace

bool CompareText(const char *s1, const char *s2)
{
    return CompareBytes<false>(s1, s2, INT32_MAX) == 0;
}

bool CompareTextMax(const char *s1, const char *s2, int32_t n)
{
    return CompareBytes<false>(s1, s2, n) == 0;
}

bool CompareTextNoCase(const char *s1, const char *s2)
{
    return CompareBytes<true>(s1, s2, INT32_MAX) == 0;
}

bool CompareTextNoCaseMax(const char *s1, const char *s2, int32_t n)
{
    return CompareBytes<true>(s1, s2, n) == 0;
}

bool CompareTextLessThan(const char *s1, const char *s2)
{
    return CompareBytes<false>(s1, s2, INT32_MAX) < 0;
}

bool CompareTextLessThanMax(const char *s1, const char *s2, int32_t n)
{
    return CompareBytes<false>(s1, s2, n) < 0;
}

bool CompareTextLessThanNoCase(const char *s1, const char *s2)
{
    return CompareBytes<true>(s1, s2, INT32_MAX) < 0;
}

bool CompareTextLessThanNoCaseMax(const char *s1, const char *s2, int32_t n)
{
    return CompareBytes<true>(s1, s2, n) < 0;
}

bool CompareTextLessEqual(const char *s1, const char *s2)
{
    return CompareBytes<false>(s1, s2, INT32_MAX) <= 0;
}

bool CompareTextLessEqualMax(const char *s1, const char *s2, int32_t n)
{
    return CompareBytes<false>(s1, s2, n) <= 0;
}

bool CompareTextLessEqualNoCase(const char *s1, const char *s2)
{
    return CompareBytes<true>(s1, s2, INT32_MAX) <= 0;
}

bool CompareTextLessEqualNoCaseMax(const char *s1, const char *s2, int32_t n)
{
    return CompareBytes<true>(s1, s2, n) <= 0;
}

bool CompareTextNatural(const char *s1, const char *s2)
{
    return CompareNatural<false>(s1, s2);
}

bool CompareTextNaturalNoCase(const char *s1, const char *s2)
{
    return CompareNatural<true>(s1, s2);
}

}  // namespace oq
