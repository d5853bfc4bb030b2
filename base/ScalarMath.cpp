#include "base/ScalarMath.h"

#include <bit>
#include <cmath>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define OQ_HAVE_SSE 1
#endif

namespace oq {

namespace {

constexpr int32_t kTrigTableSize = 256;
constexpr int32_t kArctanTableSize = 65;
constexpr int32_t kExpTableSize = 178;

// Table generation in double at compile time, so the tables exist before any static constructor runs.

constexpr double kPiDouble = 3.14159265358979323846;
constexpr double kEDouble = 2.71828182845904523536;

// Taylor series of cosine and sine for |x| <= pi / 2.
constexpr double CosTaylor(double x)
{
    double term = 1.0, sum = 1.0;
    for (int n = 1; n < 30; n++)
    {
        term *= -x * x / ((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sum;
}

constexpr double SinTaylor(double x)
{
    double term = x, sum = x;
    for (int n = 1; n < 30; n++)
    {
        term *= -x * x / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

// Euler's series, which converges fast for 0 <= x <= 1.
constexpr double ArctanSeries(double x)
{
    double y = x * x / (1.0 + x * x);
    double term = x / (1.0 + x * x), sum = term;
    for (int n = 1; n < 80; n++)
    {
        term *= y * (2.0 * n) / (2.0 * n + 1.0);
        sum += term;
    }
    return sum;
}

constexpr double PowerOfE(int n)
{
    double base = n < 0 ? 1.0 / kEDouble : kEDouble;
    unsigned count = static_cast<unsigned>(n < 0 ? -n : n);
    double result = 1.0;
    while (count != 0)
    {
        if (count & 1)
            result *= base;
        base *= base;
        count >>= 1;
    }
    return result;
}

struct TrigTableData
{
    float entries[kTrigTableSize][2];
};

constexpr TrigTableData MakeTrigTable()
{
    // First quadrant by series, the others by exact quarter turns.
    TrigTableData table{};
    for (int i = 0; i < kTrigTableSize; i++)
    {
        int quadrant = i / 64;
        double angle = 2.0 * kPiDouble * (i % 64) / 256.0;
        double c = CosTaylor(angle), s = SinTaylor(angle);
        double qc = c, qs = s;
        if (quadrant == 1)
            qc = -s, qs = c;
        else if (quadrant == 2)
            qc = -c, qs = -s;
        else if (quadrant == 3)
            qc = s, qs = -c;
        table.entries[i][0] = static_cast<float>(qc);
        table.entries[i][1] = static_cast<float>(qs);
    }
    return table;
}

struct ArctanTableData
{
    float entries[kArctanTableSize];
};

constexpr ArctanTableData MakeArctanTable()
{
    ArctanTableData table{};
    for (int i = 0; i < kArctanTableSize; i++)
        table.entries[i] = static_cast<float>(ArctanSeries(i / 64.0));
    table.entries[64] = static_cast<float>(kPiDouble / 4.0);
    return table;
}

struct ExpTableData
{
    float entries[kExpTableSize];
};

constexpr ExpTableData MakeExpTable()
{
    ExpTableData table{};
    table.entries[0] = 0.0f;  // e^-88 lies below the normal range
    for (int i = 1; i < kExpTableSize - 1; i++)
        table.entries[i] = static_cast<float>(PowerOfE(i - 88));
    table.entries[kExpTableSize - 1] = std::numeric_limits<float>::infinity();
    return table;
}

constexpr TrigTableData kTrigTableData = MakeTrigTable();
constexpr ArctanTableData kArctanTableData = MakeArctanTable();
constexpr ExpTableData kExpTableData = MakeExpTable();

constexpr float kStepsPerRadian = 40.743664f;  // 256 / (2 pi)
constexpr float kRadiansPerStep = 0.024543693f;  // 2 pi / 256

// Truncation toward zero with x86 semantics: out of range and NaN give INT32_MIN.
inline int32_t TruncateToInt32(float x)
{
#if OQ_HAVE_SSE
    return _mm_cvtt_ss2si(_mm_set_ss(x));
#else
    if (!(x > -2147483904.0f && x < 2147483648.0f))
        return INT32_MIN;
    return static_cast<int32_t>(x);
#endif
}

// Shared core of the table trigonometry: cosine and sine of abs(angle).
inline void TableCosSin(float angle, float &cosine, float &sine)
{
    float a;
    float k;
    int32_t whole;
    float magnitude = std::fabs(angle);
    if (magnitude < 5.0e7f)
    {
        // The common case, scaled below 2^31: the floor of a is its truncation. (For -0 the
        // magnitude is +0 where the general path keeps -0; both give the same results.)
        a = magnitude * kStepsPerRadian;
        whole = TruncateToInt32(a);
        k = float(whole);
    }
    else
    {
        // Floats of 2^31 and above are whole multiples of 256 and their own floor; the truncation
        // then gives INT32_MIN (also for NaN), whose low byte is 0 as well.
        a = (angle < 0.0f ? -angle : angle) * kStepsPerRadian;
        whole = TruncateToInt32(a);
        k = (a < 2147483648.0f) ? float(whole) : a;
    }
    int32_t index = whole & (kTrigTableSize - 1);
    float r = (a - k) * kRadiansPerStep;
    float c = kTrigTableData.entries[index][0];
    float s = kTrigTableData.entries[index][1];
    float r2 = r * r;
    float cr = 1.0f - r2 * (0.5f - r2 * 0.041666668f);
    float sr = r - r * r2 * (0.16666667f - r2 * 0.008333334f);
    sine = s * cr + c * sr;
    cosine = c * cr - s * sr;
}

// Sign bit test: -0 counts as negative, so the odd functions stay odd at zero and Arccos(-0) is pi/2.
inline bool HasSignBit(float x)
{
    return (std::bit_cast<uint32_t>(x) & 0x80000000u) != 0;
}

// The value negated when sign has its sign bit set, without a branch: random signs would
// mispredict it.
inline float WithSignOf(float value, float sign)
{
    return std::bit_cast<float>(std::bit_cast<uint32_t>(value) ^ (std::bit_cast<uint32_t>(sign) & 0x80000000u));
}

}  // namespace

float Sin(float angle)
{
    float c, s;
    TableCosSin(angle, c, s);
    return WithSignOf(s, angle);
}

float Cos(float angle)
{
    float c, s;
    TableCosSin(angle, c, s);
    return c;
}

float Tan(float angle)
{
    float c, s;
    TableCosSin(angle, c, s);
    float t = s / c;
    return HasSignBit(angle) ? -t : t;
}

void CosSin(float angle, float *cosine, float *sine)
{
    float c, s;
    TableCosSin(angle, c, s);
    *cosine = c;
    *sine = WithSignOf(s, angle);
}

void GetTrigTableEntry(int32_t index, float *cosine, float *sine)
{
    const float *entry = kTrigTableData.entries[index & (kTrigTableSize - 1)];
    *cosine = entry[0];
    *sine = entry[1];
}

float Arctan(float x)
{
    if (x != x)
        return x;
    float v = x < 0.0f ? -x : x;
    float w = v <= 1.0f ? v : 1.0f / v;
    float k = FloatFloor(64.0f * w);
    int32_t index = TruncateToInt32(k);  // 0 to 64
    float u = k * 0.015625f;
    float t = (w - u) / (1.0f + u * w);
    float t2 = t * t;
    float r = kArctanTableData.entries[index] + t * (1.0f - t2 * (0.33333334f - t2 * (0.2f - t2 * 0.14285715f)));
    if (v > 1.0f)
        r = kHalfPi - r;
    return x < 0.0f ? -r : r;
}

float Arcsin(float x)
{
    return Arctan(x * InverseSqrt(1.0f - x * x));
}

float Arccos(float x)
{
    float r = Arctan(Sqrt(1.0f - x * x) / x);
    // The sign bit decides, so that -0 gives pi/2 like +0.
    if (HasSignBit(x))
        r += kPi;
    return r;
}

float Arctan2(float y, float x)
{
    if ((y < 0.0f ? -y : y) <= FloatMinNormal)
        return x < 0.0f ? kPi : 0.0f;
    if ((x < 0.0f ? -x : x) <= FloatMinNormal)
        return y < 0.0f ? -kHalfPi : kHalfPi;
    float r = Arctan(y / x);
    if (x < 0.0f)
        return y >= 0.0f ? r + kPi : r - kPi;
    return r;
}

float Exp(float x)
{
    float n = FloatFloor(x);
    if (n >= 89.0f)
        return FloatInfinity;
    if (!(n > -88.0f))
        return x == x ? 0.0f : x;  // NaN stays NaN
    float f = x - n;
    float p = 2.7557319e-6f;
    p = p * f + 2.4801588e-5f;
    p = p * f + 0.0001984127f;
    p = p * f + 0.0013888889f;
    p = p * f + 0.008333334f;
    p = p * f + 0.041666668f;
    p = p * f + 0.16666667f;
    p = p * f + 0.5f;
    float ef = 1.0f + f + f * f * p;
    return ef * kExpTableData.entries[TruncateToInt32(n) + 88];
}

float Log(float x)
{
    uint32_t bits = std::bit_cast<uint32_t>(x);
    if (static_cast<int32_t>(bits) <= 0)
    {
        if ((bits & 0x7FFFFFFFu) == 0)
            return FloatMinusInfinity;
        return std::bit_cast<float>(0x7FFFFFFFu);
    }
    if (bits >= 0x7F800000u)
        return x;  // +infinity and NaN pass through
    float e = static_cast<float>(static_cast<int32_t>(bits >> 23) - 127);
    float m = std::bit_cast<float>((bits & 0x7FFFFFu) | 0x3F800000u);
    float s = (m - 1.0f) / (m + 1.0f);
    float s2 = s * s;
    float series = 1.0f + s2 * (0.33333334f + s2 * (0.2f + s2 * (0.14285715f + s2 * (0.11111111f + s2 * (0.09090909f + s2 * 0.07692308f)))));
    return e * kLn2 + 2.0f * s * series;
}

}  // namespace oq
