#include "support/SvgRaster.h"

#include "support/ChildProcess.h"
#include "support/TempDirectory.h"

#include <cstdio>
#include <cstring>

#include <zlib.h>

namespace oq::test {
namespace {

constexpr const char *kEnvPath = "/usr/bin/env";

uint32_t ReadBigEndian32(const unsigned char *bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

int PaethPredictor(int left, int up, int upLeft)
{
    int estimate = left + up - upLeft;
    int toLeft = estimate > left ? estimate - left : left - estimate;
    int toUp = estimate > up ? estimate - up : up - estimate;
    int toUpLeft = estimate > upLeft ? estimate - upLeft : upLeft - estimate;
    if (toLeft <= toUp && toLeft <= toUpLeft) return left;
    return toUp <= toUpLeft ? up : upLeft;
}

// Decodes an 8-bit, non-interlaced RGB or RGBA PNG (what rsvg-convert writes) into RGBA.
bool DecodePng(const std::string &file, int *width, int *height, std::vector<uint8_t> *pixels, std::string *error)
{
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(file.data());
    size_t size = file.size();
    if (size < 8 || std::memcmp(bytes, kSignature, 8) != 0)
    {
        *error = "not a PNG file";
        return false;
    }
    uint32_t pictureWidth = 0, pictureHeight = 0;
    int channels = 0;
    std::string compressed;
    size_t at = 8;
    while (at + 12 <= size)
    {
        uint32_t length = ReadBigEndian32(bytes + at);
        if (length > size - at - 12)
        {
            *error = "PNG chunk past the end of the file";
            return false;
        }
        const unsigned char *type = bytes + at + 4;
        const unsigned char *data = bytes + at + 8;
        if (std::memcmp(type, "IHDR", 4) == 0)
        {
            if (length < 13)
            {
                *error = "short PNG header";
                return false;
            }
            pictureWidth = ReadBigEndian32(data);
            pictureHeight = ReadBigEndian32(data + 4);
            int depth = data[8], colour = data[9], interlace = data[12];
            channels = colour == 6 ? 4 : colour == 2 ? 3 : 0;
            if (depth != 8 || channels == 0 || interlace != 0)
            {
                *error = "PNG of an unsupported kind (depth " + std::to_string(depth) + ", colour type " +
                         std::to_string(colour) + ", interlace " + std::to_string(interlace) + ")";
                return false;
            }
        }
        else if (std::memcmp(type, "IDAT", 4) == 0)
            compressed.append(reinterpret_cast<const char *>(data), length);
        else if (std::memcmp(type, "IEND", 4) == 0)
            break;
        at += 12 + size_t(length);
    }
    if (channels == 0 || pictureWidth == 0 || pictureHeight == 0 || pictureWidth > 16384 || pictureHeight > 16384)
    {
        *error = "PNG without a usable header";
        return false;
    }

    size_t stride = size_t(pictureWidth) * size_t(channels);
    std::vector<uint8_t> filtered((stride + 1) * pictureHeight);
    uLongf filteredSize = uLongf(filtered.size());
    if (uncompress(filtered.data(), &filteredSize, reinterpret_cast<const Bytef *>(compressed.data()),
                   uLong(compressed.size())) != Z_OK ||
        filteredSize != filtered.size())
    {
        *error = "PNG pixel data do not inflate to the picture's size";
        return false;
    }

    std::vector<uint8_t> previous(stride, 0), row(stride);
    pixels->assign(size_t(pictureWidth) * pictureHeight * 4, 0);
    for (uint32_t y = 0; y < pictureHeight; ++y)
    {
        const uint8_t *line = filtered.data() + y * (stride + 1);
        int filter = line[0];
        for (size_t i = 0; i < stride; ++i)
        {
            int left = i >= size_t(channels) ? row[i - size_t(channels)] : 0;
            int up = previous[i];
            int upLeft = i >= size_t(channels) ? previous[i - size_t(channels)] : 0;
            int predicted = 0;
            switch (filter)
            {
            case 0: predicted = 0; break;
            case 1: predicted = left; break;
            case 2: predicted = up; break;
            case 3: predicted = (left + up) / 2; break;
            case 4: predicted = PaethPredictor(left, up, upLeft); break;
            default: *error = "PNG row with an unknown filter"; return false;
            }
            row[i] = uint8_t(line[1 + i] + predicted);
        }
        for (uint32_t x = 0; x < pictureWidth; ++x)
        {
            uint8_t *out = pixels->data() + (size_t(y) * pictureWidth + x) * 4;
            const uint8_t *in = row.data() + size_t(x) * size_t(channels);
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = channels == 4 ? in[3] : 255;
        }
        previous.swap(row);
    }
    *width = int(pictureWidth);
    *height = int(pictureHeight);
    return true;
}

}  // namespace

std::vector<uint8_t> RasterizeSvg(const std::string &svg, int width, int height, std::string *error)
{
    std::string ignored;
    std::string &why = error != nullptr ? *error : ignored;
    why.clear();
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
    {
        why = "picture size out of range";
        return {};
    }
    TempDirectory folder;
    std::FILE *file = std::fopen(folder.File("picture.svg").c_str(), "wb");
    bool written = file != nullptr && std::fwrite(svg.data(), 1, svg.size(), file) == svg.size();
    if (file != nullptr && std::fclose(file) != 0) written = false;
    if (!written)
    {
        why = "picture.svg could not be written";
        return {};
    }

    ProgramOutcome outcome =
        RunProgram(kEnvPath, folder.Path(),
                   {"rsvg-convert", "--format=png", "--width=" + std::to_string(width),
                    "--height=" + std::to_string(height), "picture.svg"});
    if (outcome.exitCode == 127)
    {
        why = "rsvg-convert is missing (librsvg2-bin): run `make deps`";
        return {};
    }
    if (outcome.exitCode != 0)
    {
        why = "rsvg-convert failed (exit code " + std::to_string(outcome.exitCode) + ")";
        return {};
    }
    int pictureWidth = 0, pictureHeight = 0;
    std::vector<uint8_t> pixels;
    if (!DecodePng(outcome.output, &pictureWidth, &pictureHeight, &pixels, &why)) return {};
    if (pictureWidth != width || pictureHeight != height)
    {
        why = "rsvg-convert made a " + std::to_string(pictureWidth) + "x" + std::to_string(pictureHeight) +
              " picture instead of " + std::to_string(width) + "x" + std::to_string(height);
        return {};
    }
    return pixels;
}

}  // namespace oq::test
