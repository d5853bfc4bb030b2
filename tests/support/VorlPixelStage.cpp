#include "support/VorlPixelStage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Half.h"

namespace oq::test {

namespace {

struct Float2
{
    float x, y;
};

struct Float4
{
    float x, y, z, w;
};

uint32_t Bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

float Saturate(float value)
{
    return std::min(std::max(value, 0.0F), 1.0F);
}

// Float to int as the shader converts it, clamped first so that the conversion is defined.
int ToInt(float value)
{
    if (!(value == value)) return 0;
    return int(std::min(std::max(value, -1.0e9F), 1.0e9F));
}

class Stage
{
public:
    Stage(const VorlTexelArrays &textures_, uint32_t variant_) : t(textures_), variant(variant_) {}

    Float4 Curve(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= t.curveWidth || y >= t.curveHeight) return {0, 0, 0, 0};
        size_t index = (size_t(y) * size_t(t.curveWidth) + size_t(x)) * 4;
        if (t.curveFloats) return {t.curveFloats[index], t.curveFloats[index + 1], t.curveFloats[index + 2], t.curveFloats[index + 3]};
        return {HalfToFloat(&t.curveHalves[index]), HalfToFloat(&t.curveHalves[index + 1]),
                HalfToFloat(&t.curveHalves[index + 2]), HalfToFloat(&t.curveHalves[index + 3])};
    }

    void Band(int x, int y, uint32_t out[2]) const
    {
        out[0] = out[1] = 0;
        if (x < 0 || y < 0 || x >= t.bandWidth || y >= t.bandHeight) return;
        uint32_t texel = t.band[size_t(y) * size_t(t.bandWidth) + size_t(x)];
        out[0] = texel & 0xFFFF;
        out[1] = texel >> 16;
    }

    static void BandLoc(int x, int y, uint32_t offset, int out[2])
    {
        int sum = x + int(offset);
        out[0] = sum & 4095;
        out[1] = y + (sum >> 12);
    }

    static void SolveHorizPoly(Float4 p12, Float2 p3, float r[2])
    {
        Float2 a = {p12.x - p12.z * 2.0F + p3.x, p12.y - p12.w * 2.0F + p3.y};
        Float2 b = {p12.x - p12.z, p12.y - p12.w};
        float t1;
        float t2;
        if (std::fabs(a.y) < 1.0F / 65536.0F)
        {
            t1 = p12.y * 0.5F / b.y;
            t2 = t1;
        }
        else
        {
            float ra = 1.0F / a.y;
            float d = std::sqrt(std::max(b.y * b.y - a.y * p12.y, 0.0F));
            t1 = (b.y - d) * ra;
            t2 = (b.y + d) * ra;
        }
        r[0] = (a.x * t1 - b.x * 2.0F) * t1 + p12.x;
        r[1] = (a.x * t2 - b.x * 2.0F) * t2 + p12.x;
    }

    static Float2 AddCurve(Float2 acc, Float4 p12, Float2 p3, float scale)
    {
        uint32_t s = (Bits(p12.y) >> 31) | ((Bits(p12.w) >> 30) & 2) | ((Bits(p3.y) >> 29) & 4);
        uint32_t code = (0x2E74U >> s) & 0x0101U;
        if (code == 0) return acc;
        float r[2];
        SolveHorizPoly(p12, p3, r);
        r[0] *= scale;
        r[1] *= scale;
        if (code & 1)
        {
            acc.x += Saturate(r[0] + 0.5F);
            acc.y = std::max(acc.y, Saturate(1.0F - std::fabs(r[0]) * 2.0F));
        }
        if (code > 1)
        {
            acc.x -= Saturate(r[1] + 0.5F);
            acc.y = std::max(acc.y, Saturate(1.0F - std::fabs(r[1]) * 2.0F));
        }
        return acc;
    }

    static Float2 AddLine(Float2 acc, Float4 p12, float scale)
    {
        if (((Bits(p12.y) ^ Bits(p12.w)) & 0x80000000U) == 0) return acc;
        float r = (p12.x - p12.y * (p12.z - p12.x) / (p12.w - p12.y)) * scale;
        float s = Saturate(r + 0.5F);
        acc.x += p12.y < 0.0F ? -s : s;
        acc.y = std::max(acc.y, Saturate(1.0F - std::fabs(r) * 2.0F));
        return acc;
    }

    Float2 BandCoverage(Float2 e, const int location[2], int band, float scale, bool straight, bool vertical) const
    {
        uint32_t header[2];
        Band(location[0] + band, location[1], header);
        int list[2];
        BandLoc(location[0], location[1], header[1], list);
        Float2 acc = {0, 0};
        for (int i = 0; i < int(header[0]); ++i)
        {
            uint32_t curve[2];
            Band(list[0] + i, list[1], curve);
            Float4 p12 = Curve(int(curve[0]), int(curve[1]));
            p12 = {p12.x - e.x, p12.y - e.y, p12.z - e.x, p12.w - e.y};
            if (vertical) p12 = {p12.y, p12.x, p12.w, p12.z};
            if ((variant & 0x04) && straight)
            {
                if (std::max(p12.x, p12.z) * scale < -0.5F) break;
                acc = AddLine(acc, p12, scale);
                continue;
            }
            Float4 third = Curve(int(curve[0]) + 1, int(curve[1]));
            Float2 p3 = {third.x - e.x, third.y - e.y};
            if (vertical) p3 = {p3.y, p3.x};
            if (std::max(std::max(p12.x, p12.z), p3.x) * scale < -0.5F) break;
            acc = AddCurve(acc, p12, p3, scale);
        }
        return acc;
    }

    float Coverage(float xcov, float xwgt, float ycov, float ywgt, uint32_t flags) const
    {
        float c = std::max(std::fabs(xcov * xwgt + ycov * ywgt) / std::max(xwgt + ywgt, 1.0F / 65536.0F),
                           std::min(std::fabs(xcov), std::fabs(ycov)));
        if ((variant & 0x20) && (flags & 0x1000))
        {
            float half = c * 0.5F;
            c = 1.0F - std::fabs(1.0F - 2.0F * (half - std::floor(half)));
        }
        else
        {
            c = Saturate(c);
        }
        if (variant & 0x01) c = std::sqrt(c);
        return c;
    }

    float GlyphCoverage(Float2 e, const int location[2], const uint32_t glyph[4], const float banding[4], Float2 epp) const
    {
        Float2 scale = {1.0F / epp.x, 1.0F / epp.y};
        int bandMax[2] = {int(glyph[2]), int(glyph[3] & 0xFF)};
        bool straight = (glyph[3] & 0x100) != 0;
        Float2 h = {0, 0};
        Float2 v = {0, 0};
        if (variant & 0x02)
        {
            int countX = std::clamp(ToInt(epp.x * 16.0F + 1.0F), 1, 4);
            int countY = std::clamp(ToInt(epp.y * 16.0F + 1.0F), 1, 4);
            for (int k = 0; k < countY; ++k)
            {
                Float2 s = {e.x, e.y + ((float(k) + 0.5F) / float(countY) - 0.5F) * epp.y};
                int band = std::clamp(ToInt(s.y * banding[1] + banding[3]), 0, bandMax[1]);
                Float2 r = BandCoverage(s, location, band, scale.x, straight, false);
                h = {h.x + r.x, std::max(h.y, r.y)};
            }
            h.x /= float(countY);
            for (int k = 0; k < countX; ++k)
            {
                Float2 s = {e.x + ((float(k) + 0.5F) / float(countX) - 0.5F) * epp.x, e.y};
                int band = std::clamp(ToInt(s.x * banding[0] + banding[2]), 0, bandMax[0]);
                Float2 r = BandCoverage(s, location, bandMax[1] + 1 + band, scale.y, straight, true);
                v = {v.x + r.x, std::max(v.y, r.y)};
            }
            v.x /= -float(countX);
        }
        else
        {
            int bandX = std::clamp(ToInt(e.x * banding[0] + banding[2]), 0, bandMax[0]);
            int bandY = std::clamp(ToInt(e.y * banding[1] + banding[3]), 0, bandMax[1]);
            h = BandCoverage(e, location, bandY, scale.x, straight, false);
            v = BandCoverage(e, location, bandMax[1] + 1 + bandX, scale.y, straight, true);
            v.x = -v.x;
        }
        return Coverage(h.x, h.y, v.x, v.y, glyph[3]);
    }

    float StrokeCoverage(Float2 e, const uint32_t glyph[4], int count, Float2 epp) const
    {
        Float2 scale = {1.0F / epp.x, 1.0F / epp.y};
        Float2 h = {0, 0};
        Float2 v = {0, 0};
        for (int k = 0; k < count; ++k)
        {
            Float4 p12 = Curve(int(glyph[0]) + k, int(glyph[1]));
            Float4 third = Curve(int(glyph[0]) + k + 1, int(glyph[1]));
            p12 = {p12.x - e.x, p12.y - e.y, p12.z - e.x, p12.w - e.y};
            Float2 p3 = {third.x - e.x, third.y - e.y};
            h = AddCurve(h, p12, p3, scale.x);
            v = AddCurve(v, {p12.y, p12.x, p12.w, p12.z}, {p3.y, p3.x}, scale.y);
        }
        return Coverage(h.x, h.y, -v.x, v.y, glyph[3]);
    }

    Float4 RenderGlyph(const VorlPixelInput &in) const
    {
        Float2 e = {in.em[0], in.em[1]};
        Float2 epp = {in.emsPerPixel[0], in.emsPerPixel[1]};
        if (variant & 0x08)
        {
            int strokeCount = int((in.glyph[3] >> 9) & 7);
            if (strokeCount != 0)
                return {in.color[0], in.color[1], in.color[2], StrokeCoverage(e, in.glyph, strokeCount, epp)};
        }
        if ((variant & 0xC0) == 0x40)
        {
            uint32_t header[2];
            Band(int(in.glyph[0]), int(in.glyph[1]), header);
            Float4 result = {0, 0, 0, 0};
            for (int i = 0; i < int(header[0]); ++i)
            {
                int at[2];
                uint32_t layer[2];
                uint32_t color[2];
                BandLoc(int(in.glyph[0]), int(in.glyph[1]), uint32_t(i * 2 + 1), at);
                Band(at[0], at[1], layer);
                BandLoc(int(in.glyph[0]), int(in.glyph[1]), uint32_t(i * 2 + 2), at);
                Band(at[0], at[1], color);
                int location[2] = {int(layer[0]), int(layer[1])};
                float c = GlyphCoverage(e, location, in.glyph, in.banding, epp);
                float rgb[3] = {float(color[0] & 0xFF) / 255.0F, float(color[0] >> 8) / 255.0F, float(color[1] & 0xFF) / 255.0F};
                result.x = result.x + (rgb[0] - result.x) * c;
                result.y = result.y + (rgb[1] - result.y) * c;
                result.z = result.z + (rgb[2] - result.z) * c;
                result.w = Saturate(result.w + c);
            }
            return result;
        }
        int location[2] = {int(in.glyph[0]), int(in.glyph[1])};
        return {in.color[0], in.color[1], in.color[2], GlyphCoverage(e, location, in.glyph, in.banding, epp)};
    }

    void Render(const VorlPixelInput &in, float out[4]) const
    {
        Float4 result = RenderGlyph(in);
        uint32_t type = in.glyph[3] >> 13;
        if ((variant & 0x10) && type != 0)
        {
            uint32_t paint[2];
            Band(int(in.glyph[0]) - 1, int(in.glyph[1]), paint);
            Float4 g = Curve(int(paint[0]), int(paint[1]));
            Float4 c1 = Curve(int(paint[0]) + 1, int(paint[1]));
            Float4 c2 = Curve(int(paint[0]) + 2, int(paint[1]));
            float t;
            if (type == 1)
                t = Saturate(g.x * in.em[0] + g.y * in.em[1] + g.z);
            else
                t = std::min(std::hypot(in.em[0] * g.z - g.x, in.em[1] * g.z - g.y), 1.0F);
            result.x *= c1.x + (c2.x - c1.x) * t;
            result.y *= c1.y + (c2.y - c1.y) * t;
            result.z *= c1.z + (c2.z - c1.z) * t;
            result.w *= c1.w + (c2.w - c1.w) * t;
        }
        uint32_t mode = variant & 0xC0;
        float a = result.w;
        if (mode == 0x80)
        {
            out[0] = result.x * a, out[1] = result.y * a, out[2] = result.z * a;
        }
        else if (mode == 0xC0)
        {
            out[0] = result.x * (1.0F - a), out[1] = result.y * (1.0F - a), out[2] = result.z * (1.0F - a);
        }
        else
        {
            out[0] = result.x, out[1] = result.y, out[2] = result.z;
        }
        out[3] = a * in.color[3];
    }

private:
    const VorlTexelArrays &t;
    uint32_t variant;
};

}   // namespace

void RenderVorlPixel(const VorlTexelArrays &textures, uint32_t variant, const VorlPixelInput &input, float output[4])
{
    Stage(textures, variant).Render(input, output);
}

std::vector<float> RenderVorlImage(const VorlTexelArrays &textures, uint32_t variant, const double a[6], int32_t width,
                                   int32_t height, uint32_t locationWord, uint32_t limitWord, const float banding[4],
                                   const float color[4])
{
    std::vector<float> image(size_t(width) * size_t(height) * 4);
    Stage stage(textures, variant);
    VorlPixelInput in = {};
    in.emsPerPixel[0] = float(std::fabs(a[0]) + std::fabs(a[1]));
    in.emsPerPixel[1] = float(std::fabs(a[3]) + std::fabs(a[4]));
    in.glyph[0] = locationWord & 0xFFFF;
    in.glyph[1] = locationWord >> 16;
    in.glyph[2] = limitWord & 0xFFFF;
    in.glyph[3] = limitWord >> 16;
    std::memcpy(in.banding, banding, sizeof(in.banding));
    std::memcpy(in.color, color, sizeof(in.color));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
        {
            double px = x + 0.5;
            double py = y + 0.5;
            in.em[0] = float(a[0] * px + a[1] * py + a[2]);
            in.em[1] = float(a[3] * px + a[4] * py + a[5]);
            stage.Render(in, &image[(size_t(y) * size_t(width) + size_t(x)) * 4]);
        }
    return image;
}

}   // namespace oq::test
