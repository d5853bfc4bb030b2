#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/Compression.h"
#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"
#include "editor/platform/RendererProbe.h"
#include "support/TempDirectory.h"
#include "support/VorlFontBuilder.h"
#include "support/VorlGraphicsBuilder.h"
#include "vorl/geometry/VorlGraphicsFile.h"

namespace oq {
namespace {

using test::TempDirectory;
using test::WriteBytes;

const float kWhite[4] = {1.0F, 1.0F, 1.0F, 1.0F};

struct Loader
{
    explicit Loader(HeapBackEnd *backEnd = GetProcessHeap())
        : heap("test", backEnd), renderer(&device, data.Path().c_str(), &heap)
    {
        EXPECT_TRUE(renderer.Start(nullptr, 64, 64, kWhite));
    }

    bool Write(const char *name, const void *bytes, size_t size) { return WriteBytes(data.File(name), bytes, size); }

    TempDirectory data;
    RecordingDevice device;
    Heap heap;
    Renderer renderer;
};

// An icon file with one shape and one icon; curve texture 64 x 2, band texture 64 x 1.
std::vector<uint8_t> MakeIconFile(bool floatTexels)
{
    test::VorlGraphicsBuilder builder;
    builder.floatCurveTexels = floatTexels;
    builder.curveHeight = 2;
    builder.shapes.push_back(test::MakeShapeRecord(0, 0, 1, 1));
    builder.icons.push_back({{test::MakeIconLayer(0)}, {}});
    uint32_t texelSize = floatTexels ? 16 : 8;
    builder.curveTexels.resize(64 * 2 * texelSize);
    for (size_t i = 0; i < builder.curveTexels.size(); ++i) builder.curveTexels[i] = uint8_t(i * 7);
    std::vector<uint32_t> words = builder.Build();
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return bytes;
}

VorlFileHeader &HeaderOf(std::vector<uint8_t> &file) { return *reinterpret_cast<VorlFileHeader *>(file.data()); }

TEST(DataFile, IconFileTexturesFollowTheCurveFormat)
{
    struct Case
    {
        bool floatTexels;
        uint32_t format;
        uint32_t texelSize;
    };
    for (const Case &c : {Case{true, 'FLT4', 16}, Case{false, 'HLF4', 8}})
    {
        Loader loader;
        std::vector<uint8_t> file = MakeIconFile(c.floatTexels);
        ASSERT_TRUE(loader.Write("Tools.vorl", file.data(), file.size()));
        GlyphTexturePair *pair = LoadIconFile(loader.renderer, "Tools");
        ASSERT_NE(pair, nullptr);
        EXPECT_EQ(pair->count, 2);
        EXPECT_EQ(pair->fileSize, file.size());
        EXPECT_EQ(std::memcmp(pair->fileData, file.data(), file.size()), 0);
        const RecordingDevice::Texture &curve = loader.device.textures.at(pair->curveTexture);
        EXPECT_EQ(curve.format, c.format);
        EXPECT_EQ(curve.width, 64);
        EXPECT_EQ(curve.height, 2);
        const TextureDescriptor &descriptor = HeaderOf(file).curveTexture;
        ASSERT_EQ(curve.texels.size(), 64U * 2 * c.texelSize);
        EXPECT_EQ(std::memcmp(curve.texels.data(), file.data() + descriptor.dataOffset, curve.texels.size()), 0);
        EXPECT_EQ(loader.device.textures.at(pair->bandTexture).format, uint32_t('16U2'));
        FreeLoadedTexturePair(loader.renderer, pair);
        EXPECT_EQ(loader.device.textures.size(), 0U);
        EXPECT_EQ(loader.heap.GetBytesInUse(), 0U);
    }
}

TEST(DataFile, CompressedIconTexturesAreExpanded)
{
    Loader loader;
    std::vector<uint8_t> file = MakeIconFile(false);
    TextureDescriptor &curve = HeaderOf(file).curveTexture;
    std::vector<uint8_t> plain(file.begin() + curve.dataOffset, file.begin() + curve.dataOffset + 64 * 2 * 8);
    std::vector<uint8_t> code(plain.size());
    uint32_t codeSize = CompressData(plain.data(), uint32_t(plain.size()), code.data());
    ASSERT_GT(codeSize, 0U);
    std::memcpy(file.data() + curve.dataOffset, code.data(), codeSize);
    curve.compression = 'COMP';
    curve.compressedSize = codeSize;
    ASSERT_TRUE(loader.Write("Arrows.vorl", file.data(), file.size()));
    GlyphTexturePair *pair = LoadIconFile(loader.renderer, "Arrows");
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(loader.device.textures.at(pair->curveTexture).texels, plain);
    FreeLoadedTexturePair(loader.renderer, pair);

    // A block that does not expand to the texture's size gives none.
    curve.compressedSize = codeSize - 4;
    ASSERT_TRUE(loader.Write("Arrows.vorl", file.data(), file.size()));
    EXPECT_EQ(LoadIconFile(loader.renderer, "Arrows"), nullptr);
    EXPECT_EQ(loader.heap.GetBytesInUse(), 0U);
}

TEST(DataFile, DamagedIconFilesGiveNone)
{
    const std::vector<uint8_t> good = MakeIconFile(false);
    struct Case
    {
        const char *what;
        void (*damage)(std::vector<uint8_t> &file);
    };
    const Case cases[] = {
        {"empty", [](std::vector<uint8_t> &file) { file.clear(); }},
        {"79 bytes", [](std::vector<uint8_t> &file) { file.resize(79); }},
        {"band data past the end", [](std::vector<uint8_t> &file) { HeaderOf(file).bandTexture.dataOffset = uint32_t(file.size()) - 4; }},
        {"curve rows past the end", [](std::vector<uint8_t> &file) { HeaderOf(file).curveTexture.height = 3; }},
        {"offset wraps in 32 bits", [](std::vector<uint8_t> &file) { HeaderOf(file).bandTexture.dataOffset = 0xFFFFFF00U; }},
        {"compressed size past the end", [](std::vector<uint8_t> &file) {
             HeaderOf(file).curveTexture.compression = 'COMP';
             HeaderOf(file).curveTexture.compressedSize = 0xFFFFFFF0U;
         }},
        {"texture size 32-bit overflow", [](std::vector<uint8_t> &file) {
             HeaderOf(file).curveTexture.width = 0x10000;
             HeaderOf(file).curveTexture.height = 0x10000;
         }},
        {"wrong magic", [](std::vector<uint8_t> &file) { HeaderOf(file).magic = 'VORL'; }},
        {"font kind", [](std::vector<uint8_t> &file) { std::memcpy(HeaderOf(file).kind, "fnt", 4); }},
        {"shape count past the file", [](std::vector<uint8_t> &file) {
             reinterpret_cast<VorlGraphicsHeader *>(file.data() + sizeof(VorlFileHeader))->shapeCount = 1000;
         }},
    };
    for (const Case &c : cases)
    {
        Loader loader;
        std::vector<uint8_t> file = good;
        c.damage(file);
        ASSERT_TRUE(loader.Write("Bonds.vorl", file.data(), file.size()));
        EXPECT_EQ(LoadIconFile(loader.renderer, "Bonds"), nullptr) << c.what;
        EXPECT_FALSE(CheckIconFile(file.data(), file.size())) << c.what;
        EXPECT_EQ(loader.device.textures.size(), 0U) << c.what;
        EXPECT_EQ(loader.heap.GetBytesInUse(), 0U) << c.what;
    }
    Loader loader;
    EXPECT_EQ(LoadIconFile(loader.renderer, "Absent"), nullptr);
}

TEST(DataFile, HueSaturationPictureNeedsItsWholeSize)
{
    struct Case
    {
        uint64_t size;
        bool loads;
    };
    for (const Case &c : {Case{1048575, false}, Case{1048576, true}, Case{1048577, true}, Case{0, false}})
    {
        Loader loader;
        std::vector<uint8_t> file(size_t(c.size));
        for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 13 + (i >> 11));
        ASSERT_TRUE(loader.Write("Huesat.rgba", file.data(), file.size()));
        GlyphTexturePair *pair = LoadHueSaturationTexture(loader.renderer);
        EXPECT_EQ(pair != nullptr, c.loads) << c.size;
        if (pair == nullptr) continue;
        EXPECT_EQ(pair->count, 1);
        const RecordingDevice::Texture &picture = loader.device.textures.at(pair->curveTexture);
        EXPECT_EQ(picture.format, kGpuTexturePicture);
        EXPECT_EQ(picture.width, 512);
        EXPECT_EQ(picture.height, 512);
        ASSERT_EQ(picture.texels.size(), 1048576U);
        EXPECT_EQ(std::memcmp(picture.texels.data(), file.data(), 1048576), 0);
        FreeLoadedTexturePair(loader.renderer, pair);
    }
}

TEST(DataFile, ExhaustedHeapGivesNoPair)
{
    test::ExhaustibleBackEnd backEnd;
    Loader loader(&backEnd);
    std::vector<uint8_t> icon = MakeIconFile(true);
    std::vector<uint8_t> picture(1048576);
    ASSERT_TRUE(loader.Write("Design.vorl", icon.data(), icon.size()));
    ASSERT_TRUE(loader.Write("Huesat.rgba", picture.data(), picture.size()));
    backEnd.exhausted = true;
    EXPECT_EQ(LoadIconFile(loader.renderer, "Design"), nullptr);
    EXPECT_EQ(LoadHueSaturationTexture(loader.renderer), nullptr);
    EXPECT_EQ(loader.device.textures.size(), 0U);
    backEnd.exhausted = false;
    GlyphTexturePair *pair = LoadIconFile(loader.renderer, "Design");
    ASSERT_NE(pair, nullptr);
    FreeLoadedTexturePair(loader.renderer, pair);
}

std::vector<uint8_t> MakeFontFile(bool compressed)
{
    test::VorlFontBuilder builder = test::MakeSampleVorlFont();
    builder.compressCurves = compressed;
    builder.compressBands = compressed;
    builder.fonts[0].AddFloats('HITE', {0.7F, 0.5F});
    return builder.Build();
}

TEST(DataFile, FontFilesAreValidatedAndDecodedOnce)
{
    for (bool compressed : {false, true})
    {
        Loader loader;
        std::vector<uint8_t> image = MakeFontFile(compressed);
        ASSERT_TRUE(loader.Write("2.vorl", image.data(), image.size()));
        FontFile *file = FontFile::Load(loader.renderer, loader.data.File("2.vorl").c_str(), "2");
        ASSERT_NE(file, nullptr);
        EXPECT_STREQ(file->key.GetText(), "2");
        ASSERT_NE(file->pair.decodedCurveData, nullptr);
        EXPECT_EQ(file->pair.count, 0);

        Font *face = Font::Create("Times New Roman", file, 0);
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->capitalHeight, 0.7F);
        EXPECT_STREQ(face->name.GetText(), "Times New Roman");
        GlyphTexturePair *pair = face->GetTexturePair();
        ASSERT_EQ(pair->count, 2);
        const RecordingDevice::Texture &curve = loader.device.textures.at(pair->curveTexture);
        EXPECT_EQ(curve.format, uint32_t('HLF4'));
        EXPECT_EQ(std::memcmp(curve.texels.data(), pair->decodedCurveData, curve.texels.size()), 0);
        // A second face shares the textures already made.
        size_t textureCalls = size_t(loader.device.CountCalls('ctex'));
        file->references++;
        Font *second = Font::Create("Second", file, 1);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(size_t(loader.device.CountCalls('ctex')), textureCalls);
        // A face index past the file's fonts gives none and drops the reference it was given.
        file->references++;
        EXPECT_EQ(Font::Create("Third", file, 2), nullptr);
        EXPECT_EQ(file->references, 2);
        second->Release();
        face->Release();
        EXPECT_EQ(loader.device.textures.size(), 0U);
        EXPECT_EQ(loader.heap.GetBytesInUse(), 0U);
    }
}

TEST(DataFile, RefusedFontFilesGiveNone)
{
    Loader loader;
    std::vector<uint8_t> image = MakeFontFile(false);
    // A glyph record pointing past the file's curves: the validator refuses it.
    std::vector<uint8_t> damaged = image;
    reinterpret_cast<VorlFileHeader *>(damaged.data())->curveTexture.height = 1000;
    std::vector<uint8_t> truncated(image.begin(), image.begin() + image.size() / 2);
    struct Case
    {
        const char *what;
        const std::vector<uint8_t> *bytes;
    };
    for (const Case &c : {Case{"texture past the end", &damaged}, Case{"truncated", &truncated}})
    {
        ASSERT_TRUE(loader.Write("3.vorl", c.bytes->data(), c.bytes->size()));
        EXPECT_EQ(FontFile::Load(loader.renderer, loader.data.File("3.vorl").c_str(), "3"), nullptr) << c.what;
    }
    EXPECT_EQ(FontFile::Load(loader.renderer, loader.data.File("absent.vorl").c_str(), "absent"), nullptr);
    EXPECT_EQ(loader.heap.GetBytesInUse(), 0U);
}

}  // namespace
}  // namespace oq
