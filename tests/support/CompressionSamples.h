#pragma once

// Synthetic inputs for the compression codec: texture images shaped like the curve and band
// textures of a Vorl font file, plus random and text bytes. Shared by the codec tests and benchmark.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace oq::test {

constexpr uint32_t kSampleTextureWidth = 4096;

// Half float bits of a float of moderate magnitude (round to nearest even, subnormals flushed).
inline uint16_t SampleHalfBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    uint32_t sign = (bits >> 16) & 0x8000;
    int32_t exponent = int32_t((bits >> 23) & 0xFF) - 127 + 15;
    if (exponent <= 0) return uint16_t(sign);
    if (exponent >= 31) return uint16_t(sign | 0x7C00);
    uint32_t mantissa = bits & 0x7FFFFF;
    uint32_t half = (uint32_t(exponent) << 10) | (mantissa >> 13);
    uint32_t rest = mantissa & 0x1FFF;
    if (rest > 0x1000 || (rest == 0x1000 && (half & 1))) ++half;
    return uint16_t(sign | half);
}

// Random bytes from a fixed seed.
inline std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t &b : bytes) b = uint8_t(random() >> 24);
    return bytes;
}

// English-like text: words from a small vocabulary separated by spaces and line breaks.
inline std::vector<uint8_t> SampleText(size_t size, uint32_t seed)
{
    static const char *const kWords[] = {"the", "glyph", "curve", "band", "texture", "font", "of", "and",
        "a", "quadratic", "outline", "contour", "is", "stored", "in", "row", "column", "with", "each",
        "equation", "editor", "layout", "baseline", "kerning"};
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    bytes.reserve(size);
    while (bytes.size() < size)
    {
        const char *word = kWords[random() % (sizeof(kWords) / sizeof(kWords[0]))];
        for (const char *c = word; *c != 0 && bytes.size() < size; ++c) bytes.push_back(uint8_t(*c));
        if (bytes.size() < size) bytes.push_back((random() % 12 == 0) ? '\n' : ' ');
    }
    return bytes;
}

// A curve texture of 8-byte texels (four half floats) holding glyph-like closed contours of
// quadratic curves: a contour of n curves takes n + 1 texels in one row, texel k holding points
// 2k and 2k + 1 and the last one ending with (0, 0). Rows are padded with zero texels.
inline std::vector<uint8_t> SampleCurveTexture(uint32_t rows, uint32_t seed)
{
    std::mt19937 random(seed);
    auto unit = [&random]() { return float(random() >> 8) * (1.0f / 16777216.0f); };

    std::vector<uint16_t> halves(size_t(rows) * kSampleTextureWidth * 4, 0);
    uint32_t column = 0;
    uint32_t row = 0;
    while (row < rows)
    {
        uint32_t curves = 3 + random() % 28;
        if (column + curves + 1 > kSampleTextureWidth)
        {
            ++row;
            column = 0;
            continue;
        }

        // Points around an ellipse-like outline, control points between neighbouring ends.
        float cx = 0.2f + 0.6f * unit(), cy = 0.2f + 0.5f * unit();
        float rx = 0.05f + 0.3f * unit(), ry = 0.05f + 0.4f * unit();
        std::vector<float> points;
        for (uint32_t k = 0; k <= curves; ++k)
        {
            float t = float(k % curves) / float(curves) * 6.2831853f;
            float wobble = 1.0f + 0.1f * (unit() - 0.5f);
            float x = cx + rx * std::cos(t) * wobble, y = cy + ry * std::sin(t) * wobble;
            if (k > 0)
            {
                float px = points[points.size() - 2], py = points[points.size() - 1];
                bool straight = (random() % 4 == 0);
                points.push_back(straight ? x : (px + x) * 0.5f + 0.02f * (unit() - 0.5f));
                points.push_back(straight ? y : (py + y) * 0.5f + 0.02f * (unit() - 0.5f));
            }
            points.push_back(x);
            points.push_back(y);
        }
        points.push_back(0.0f);
        points.push_back(0.0f);

        uint16_t *texel = &halves[(size_t(row) * kSampleTextureWidth + column) * 4];
        for (size_t k = 0; k < points.size(); ++k) texel[k] = SampleHalfBits(points[k]);
        column += curves + 1;
    }

    std::vector<uint8_t> bytes(halves.size() * 2);
    std::memcpy(bytes.data(), halves.data(), bytes.size());
    return bytes;
}

// A band texture of 4-byte texels (two uint16): per glyph a header block of band headers
// (curve count, offset to the list) followed by lists of curve locations (column, row).
inline std::vector<uint8_t> SampleBandTexture(uint32_t rows, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint16_t> words(size_t(rows) * kSampleTextureWidth * 2, 0);
    uint32_t column = 0;
    uint32_t row = 0;
    uint32_t curveColumn = 0;
    uint32_t curveRow = 0;
    while (row < rows)
    {
        uint32_t bands = 2 + random() % 15;
        uint32_t curves = 4 + random() % 40;
        uint32_t listLength = 1 + curves / 3;
        uint32_t width = bands + bands * listLength;
        if (column + width > kSampleTextureWidth)
        {
            ++row;
            column = 0;
            continue;
        }

        uint16_t *texel = &words[(size_t(row) * kSampleTextureWidth + column) * 2];
        for (uint32_t band = 0; band < bands; ++band)
        {
            texel[band * 2] = uint16_t(listLength);
            texel[band * 2 + 1] = uint16_t(bands + band * listLength);
            for (uint32_t k = 0; k < listLength; ++k)
            {
                uint32_t curve = (band * listLength / 2 + k * 3 + random() % 3) % curves;
                uint16_t *entry = texel + (bands + band * listLength + k) * 2;
                entry[0] = uint16_t((curveColumn + curve * 2) % kSampleTextureWidth);
                entry[1] = uint16_t(curveRow);
            }
        }
        column += width;
        curveColumn += curves * 2 + 1;
        if (curveColumn >= kSampleTextureWidth) { curveColumn = 0; ++curveRow; }
    }

    std::vector<uint8_t> bytes(words.size() * 2);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

}  // namespace oq::test
