// The writing rules of the Vorl file header and textures, the sticky binary sink and the file sink.
#include "support/ChildProcess.h"
#include "support/TempDirectory.h"
#include "vorl/text/VorlFileWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace oq {
namespace {

TEST(VorlFileWriterTest, TextureSizeFollowsTheCursor)
{
    struct Case
    {
        int32_t cursorX;
        int32_t cursorY;
        bool fullWidth;
        uint32_t width;
        uint32_t height;
    };
    const Case cases[] = {
        {0, 0, false, 1, 1},      // nothing written: one zero texel
        {0, 0, true, 16, 1},
        {5, 0, false, 5, 1},      // part of the first row
        {5, 0, true, 16, 1},
        {0, 1, false, 16, 1},     // exactly one full row
        {16, 0, false, 16, 1},
        {3, 1, false, 16, 2},     // into the second row
        {0, 4, false, 16, 4},     // the rows ran out: every row used
        {7, 4, false, 16, 4},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.cursorX) + ", " + std::to_string(c.cursorY));
        std::vector<uint16_t> texels(16 * 4 * 4, 0x3C00);
        VorlTextureOutput output;
        ASSERT_EQ(PrepareVorlTexture(&output, texels.data(), kTexelFormatHalf4, 16, 4, c.cursorX, c.cursorY, c.fullWidth, false), 0u);
        EXPECT_EQ(output.descriptor.format, kTexelFormatHalf4);
        EXPECT_EQ(output.descriptor.width, c.width);
        EXPECT_EQ(output.descriptor.height, c.height);
        EXPECT_EQ(output.size, c.width * c.height * 8);
        EXPECT_EQ(output.descriptor.compression, 0u);
        // The rest of the cursor's row is cleared, the texels before it are kept.
        if (c.cursorY < 4 && c.cursorX < 16)
        {
            EXPECT_EQ(texels[size_t(c.cursorY * 16 + c.cursorX) * 4], 0);
            EXPECT_EQ(texels[size_t(c.cursorY * 16 + 15) * 4 + 3], 0);
        }
        if (c.cursorX > 0 && c.cursorY < 4)
        {
            EXPECT_EQ(texels[size_t(c.cursorY * 16 + c.cursorX - 1) * 4], 0x3C00);
        }
    }
}

TEST(VorlFileWriterTest, CompressionAndPlacement)
{
    // Zeros compress; a texture that does not shrink is stored raw and the band data follows it
    // directly; after compressed curve code the band data starts at the next multiple of 64.
    std::vector<uint32_t> zeros(4096, 0);
    std::vector<uint32_t> noise(4096);
    uint32_t x = 12345;
    for (uint32_t &v : noise) v = (x = x * 1664525u + 1013904223u);
    struct Case
    {
        const std::vector<uint32_t> *curve;
        int32_t cursorX;
        bool compressed;
        uint32_t bandOffset;
    };
    for (const Case &c : {Case{&zeros, 100, true, 0}, Case{&noise, 100, false, 192 + 800}, Case{&zeros, 0, true, 0}})
    {
        std::vector<uint32_t> curve = *c.curve;
        std::vector<uint32_t> band(noise.begin(), noise.begin() + 64);
        VorlTextureOutput curveOut;
        VorlTextureOutput bandOut;
        ASSERT_EQ(PrepareVorlTexture(&curveOut, curve.data(), kTexelFormatHalf4, 2048, 1, c.cursorX, 0, false, true), 0u);
        ASSERT_EQ(PrepareVorlTexture(&bandOut, band.data(), kTexelFormatUint16x2, 64, 1, 3, 0, false, true), 0u);
        PlaceVorlTextures(&curveOut, &bandOut, 192);
        EXPECT_EQ(curveOut.descriptor.dataOffset, 192u);
        EXPECT_EQ(curveOut.descriptor.compression != 0, c.compressed);
        if (c.compressed)
        {
            EXPECT_EQ(curveOut.descriptor.compressedSize, curveOut.size);
            EXPECT_EQ(bandOut.descriptor.dataOffset, 192 + RoundUp64(curveOut.size));
        }
        else
        {
            EXPECT_EQ(curveOut.descriptor.compressedSize, 0u);
            EXPECT_EQ(bandOut.descriptor.dataOffset, c.bandOffset);
        }
        EXPECT_EQ(bandOut.descriptor.compression, 0u);  // 12 bytes of noise do not shrink
        EXPECT_EQ(bandOut.size, 12u);
    }
}

TEST(VorlFileWriterTest, HeaderTakesTheCallersStart)
{
    TextureDescriptor curve = {kTexelFormatFloat4, 3, 1, 0, 0, 320};
    TextureDescriptor band = {kTexelFormatUint16x2, 1, 1, 0, 0, 368};
    VorlFileHeader header;
    FormVorlFileHeader(&header, nullptr, "fnt", 2, curve, band);
    EXPECT_EQ(header.magic, kVorlFileMagic);
    EXPECT_EQ(header.version, kVorlFileVersion);
    EXPECT_STREQ(header.kind, "fnt");
    EXPECT_EQ(header.count, 2u);
    EXPECT_EQ(header.curveTexture.dataOffset, 320u);
    EXPECT_EQ(header.bandTexture.format, kTexelFormatUint16x2);
    VorlHeaderStart start = {'abcd', 9, {'x', 'y', 'z', 'w'}};
    FormVorlFileHeader(&header, &start, "alb", 1, curve, band);
    EXPECT_EQ(header.magic, uint32_t('abcd'));
    EXPECT_EQ(header.version, 9u);
    EXPECT_EQ(std::memcmp(header.kind, "xyzw", 4), 0);
    EXPECT_EQ(header.count, 1u);
    for (uint32_t word : header.reserved) EXPECT_EQ(word, 0u);
}

struct CountingSink
{
    std::string bytes;
    int32_t calls = 0;
    int32_t refuseAt = -1;

    static bool Callback(const void *data, uint32_t count, void *user)
    {
        auto *sink = static_cast<CountingSink *>(user);
        if (sink->calls++ == sink->refuseAt) return false;
        sink->bytes.append(static_cast<const char *>(data), count);
        return true;
    }
};

TEST(VorlFileWriterTest, SinkCountsPadsAndStopsAtTheFirstRefusal)
{
    CountingSink counting;
    OutputSink sink(CountingSink::Callback, &counting, 10);
    EXPECT_TRUE(sink.Write("abc", 3));
    EXPECT_TRUE(sink.WritePadding(64));
    EXPECT_EQ(sink.byteCount, 64u);
    EXPECT_EQ(counting.bytes, std::string("abc") + std::string(51, '\0'));
    EXPECT_TRUE(sink.WritePadding(64));  // already aligned: nothing handed over
    EXPECT_TRUE(sink.Write("", 0));
    EXPECT_EQ(counting.calls, 2);

    counting.refuseAt = 2;
    EXPECT_FALSE(sink.Write("d", 1));
    EXPECT_FALSE(sink.Write("e", 1));
    EXPECT_FALSE(sink.WritePadding(64));
    EXPECT_TRUE(sink.failed);
    EXPECT_EQ(counting.calls, 3);        // nothing reached the callback after the refusal
    EXPECT_EQ(sink.byteCount, 128u);     // the count still advances
}

TEST(VorlFileWriterTest, FileSinkReportsTheFirstFailure)
{
    test::TempDirectory folder;
    std::string name = folder.File("out.vorl");
    FileSink file;
    ASSERT_EQ(file.Create(name.c_str()), kFileOkay);
    FileIdentity identity;
    EXPECT_TRUE(file.GetIdentity(&identity));
    EXPECT_TRUE(FileSink::Callback("vorl", 4, &file));
    EXPECT_EQ(file.Close(), kFileOkay);

    EXPECT_FALSE(file.GetIdentity(&identity));  // closed

    // A file that cannot grow past 6 bytes: the second block fails and every later one is refused,
    // even one that would fit.
    std::string fullName = folder.File("full.vorl");
    int child = test::RunWithFileSizeLimit(6, [&] {
        FileSink full;
        if (full.Create(fullName.c_str()) != kFileOkay) return 1;
        EXPECT_TRUE(FileSink::Callback("vorl", 4, &full));
        EXPECT_FALSE(FileSink::Callback("vorl", 4, &full));
        EXPECT_FALSE(FileSink::Callback("v", 1, &full));
        EXPECT_EQ(full.Close(), kFileDiskFull);
        return ::testing::Test::HasFailure() ? 2 : 0;
    });
    EXPECT_EQ(child, 0);
    EXPECT_LE(std::filesystem::file_size(fullName), 6u);
}

}  // namespace
}  // namespace oq
