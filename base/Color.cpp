#include "base/Color.h"

#include "base/ScalarMath.h"

#include <bit>

namespace oq {

namespace {

// Compile-time natural logarithm and exponential in double for the byte table.
constexpr double kLn2Double = 0.69314718055994530942;

constexpr double ConstantLog(double x)
{
    int32_t exponent = 0;
    while (x >= 2.0)
    {
        x *= 0.5;
        exponent++;
    }
    while (x < 1.0)
    {
        x *= 2.0;
        exponent--;
    }
    double s = (x - 1.0) / (x + 1.0);
    double s2 = s * s, power = s, sum = 0.0;
    for (int k = 0; k < 40; k++)
    {
        sum += power / (2 * k + 1);
        power *= s2;
    }
    return exponent * kLn2Double + 2.0 * sum;
}

constexpr double ConstantExp(double y)
{
    int32_t k = static_cast<int32_t>(y / kLn2Double);
    double r = y - k * kLn2Double;
    double term = 1.0, sum = 1.0;
    for (int n = 1; n < 40; n++)
    {
        term *= r / n;
        sum += term;
    }
    for (; k > 0; k--)
        sum *= 2.0;
    for (; k < 0; k++)
        sum *= 0.5;
    return sum;
}

constexpr std::array<float, 256> MakeSrgbByteTable()
{
    std::array<float, 256> table{};
    for (int i = 0; i < 256; i++)
    {
        double v = i / 255.0;
        double linear = v <= 0.04045 ? v / 12.92 : ConstantExp(2.4 * ConstantLog((v + 0.055) / 1.055));
        table[i] = static_cast<float>(linear);
    }
    table[255] = 1.0f;
    return table;
}


constexpr char kHexDigits[] = "0123456789ABCDEF";

// c x 255 + 0.5 truncated, saturated to 0..255; NaN gives 0.
uint8_t ComponentToByte(float c)
{
    float t = c * 255.0f + 0.5f;
    if (!(t > 0.0f))
        return 0;
    if (t >= 255.0f)
        return 255;
    return static_cast<uint8_t>(static_cast<int32_t>(t));
}

// Lower-case digits are accepted; any other character counts as F.
int32_t HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 15;
}

// Reads the next two digits; a digit past the end of the text counts as F.
int32_t ReadHexByte(const char *&text)
{
    int32_t value = 0;
    for (int i = 0; i < 2; i++)
    {
        int32_t digit = 15;
        if (*text != 0)
            digit = HexDigitValue(*text++);
        value = value << 4 | digit;
    }
    return value;
}

void WriteHexByte(char *text, uint8_t byte)
{
    text[0] = kHexDigits[byte >> 4];
    text[1] = kHexDigits[byte & 15];
}

float MaxComponent(const ColorRGB &color)
{
    float m = color.red > color.green ? color.red : color.green;
    return m > color.blue ? m : color.blue;
}

// 2^(24 - i), the step scale of the RGB9E5 exponent i.
struct Rgb9e5ScaleTable
{
    float entries[32];
};

constexpr Rgb9e5ScaleTable MakeRgb9e5ScaleTable()
{
    Rgb9e5ScaleTable table{};
    double scale = 16777216.0;
    for (int i = 0; i < 32; i++)
    {
        table.entries[i] = static_cast<float>(scale);
        scale *= 0.5;
    }
    return table;
}

constexpr Rgb9e5ScaleTable kRgb9e5Scale = MakeRgb9e5ScaleTable();

float ClampRgb9e5(float c)
{
    if (!(c > 0.0f))
        return 0.0f;  // NaN too
    return c < 65408.0f ? c : 65408.0f;
}

}  // namespace

constexpr std::array<float, 256> kSrgbByteToLinear = MakeSrgbByteTable();

float SrgbToLinear(float c)
{
    if (c <= 0.04045f)
        return c * 0.07739938f;
    return Exp(2.4f * Log((c + 0.055f) * 0.94786733f));
}

float LinearToSrgb(float c)
{
    if (c < 0.0031308f)
        return c * 12.92f;
    return 1.055f * Exp(0.41666666f * Log(c)) - 0.055f;
}

ColorRGB ColorRGB::SrgbToLinear() const
{
    return {oq::SrgbToLinear(red), oq::SrgbToLinear(green), oq::SrgbToLinear(blue)};
}

ColorRGB ColorRGB::LinearToSrgb() const
{
    return {oq::LinearToSrgb(red), oq::LinearToSrgb(green), oq::LinearToSrgb(blue)};
}

ColorRGBA ColorRGBA::SrgbToLinear() const
{
    return {oq::SrgbToLinear(red), oq::SrgbToLinear(green), oq::SrgbToLinear(blue), alpha};
}

ColorRGBA ColorRGBA::LinearToSrgb() const
{
    return {oq::LinearToSrgb(red), oq::LinearToSrgb(green), oq::LinearToSrgb(blue), alpha};
}

void ColorRGBAToSrgb8(uint8_t *output, const ColorRGBA &color)
{
    output[0] = ComponentToByte(LinearToSrgb(color.red));
    output[1] = ComponentToByte(LinearToSrgb(color.green));
    output[2] = ComponentToByte(LinearToSrgb(color.blue));
    output[3] = ComponentToByte(color.alpha);
}

void ColorRGB::GetHueSaturation(float *hue, float *saturation) const
{
    *hue = 0.0f;
    *saturation = 0.0f;
    float m = MaxComponent(*this);
    if (!(m > FloatMinNormal))
        return;
    float r = red / m, g = green / m, b = blue / m;
    float least = r < g ? r : g;
    least = least < b ? least : b;
    float s = 1.0f - least;
    if (!(s > FloatMinNormal))
        return;
    float h;
    if (r >= g && r >= b)
    {
        h = (g - b) / s;
        if (h < 0.0f)
            h += 6.0f;
    }
    else if (g >= b)
        h = (b - r) / s + 2.0f;
    else
        h = (r - g) / s + 4.0f;
    *hue = h;
    *saturation = s;
}

void ColorRGB::SetHueSaturation(float hue, float saturation)
{
    if (!(hue > -1.0f && hue < 6.0f))
        return;  // no sextant
    float low = 1.0f - saturation;
    float f = (hue - FloatFloor(hue)) * saturation;
    float rising = low + f;
    float falling = low + saturation - f;
    switch (static_cast<int32_t>(hue))
    {
    case 0: *this = {1.0f, rising, low}; break;
    case 1: *this = {falling, 1.0f, low}; break;
    case 2: *this = {low, 1.0f, rising}; break;
    case 3: *this = {low, falling, 1.0f}; break;
    case 4: *this = {rising, low, 1.0f}; break;
    default: *this = {1.0f, low, falling}; break;
    }
}

ColorRGB ColorRGB::GetNormalized() const
{
    float m = MaxComponent(*this);
    if (!(m > FloatMinNormal))
        return {1.0f, 1.0f, 1.0f};
    return {red / m, green / m, blue / m};
}

void ColorRGB::SetMaxComponent(float value)
{
    float m = MaxComponent(*this);
    if (!(m > FloatMinNormal))
    {
        *this = {value, value, value};
        return;
    }
    // Dividing first makes the largest component exactly 1 before the scaling.
    *this = {red / m * value, green / m * value, blue / m * value};
}

uint32_t ColorRGB::GetRGB9E5() const
{
    float r = ClampRgb9e5(red), g = ClampRgb9e5(green), b = ClampRgb9e5(blue);
    float m = r > g ? r : g;
    m = m > b ? m : b;
    int32_t e = static_cast<int32_t>(std::bit_cast<uint32_t>(m) >> 23) - 111;
    if (e < 0)
        e = 0;
    if (static_cast<int32_t>(m * kRgb9e5Scale.entries[e] + 0.5f) >= 512)
        e++;
    float scale = kRgb9e5Scale.entries[e];
    uint32_t rm = static_cast<uint32_t>(r * scale + 0.5f);
    uint32_t gm = static_cast<uint32_t>(g * scale + 0.5f);
    uint32_t bm = static_cast<uint32_t>(b * scale + 0.5f);
    return static_cast<uint32_t>(e) << 27 | bm << 18 | gm << 9 | rm;
}

void ColorRGB::GetHexText(char *text) const
{
    WriteHexByte(text, ComponentToByte(oq::LinearToSrgb(red)));
    WriteHexByte(text + 2, ComponentToByte(oq::LinearToSrgb(green)));
    WriteHexByte(text + 4, ComponentToByte(oq::LinearToSrgb(blue)));
    text[6] = 0;
}

void ColorRGB::SetHexText(const char *text)
{
    red = kSrgbByteToLinear[ReadHexByte(text)];
    green = kSrgbByteToLinear[ReadHexByte(text)];
    blue = kSrgbByteToLinear[ReadHexByte(text)];
}

void ColorRGBA::GetHexText(char *text) const
{
    WriteHexByte(text, ComponentToByte(oq::LinearToSrgb(red)));
    WriteHexByte(text + 2, ComponentToByte(oq::LinearToSrgb(green)));
    WriteHexByte(text + 4, ComponentToByte(oq::LinearToSrgb(blue)));
    WriteHexByte(text + 6, ComponentToByte(alpha));
    text[8] = 0;
}

void ColorRGBA::SetHexText(const char *text)
{
    red = kSrgbByteToLinear[ReadHexByte(text)];
    green = kSrgbByteToLinear[ReadHexByte(text)];
    blue = kSrgbByteToLinear[ReadHexByte(text)];
    alpha = static_cast<float>(ReadHexByte(text)) * 0.003921569f;
}

}  // namespace oq
