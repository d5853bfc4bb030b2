// Speed and compression ratio of the texture codec against LZ4 (default and HC level 9, the same
// search depth of 256 candidates) and zlib (levels 1 and 6) on synthetic curve and band textures and English-like text.
// MB/s counts uncompressed bytes; "ratio" is the compressed size over the uncompressed size and
// "bytes" the compressed size.
#include "base/Compression.h"
#include "tests/support/CompressionSamples.h"

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <lz4hc.h>
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

enum class Codec { Texture, Lz4, Lz4Hc, Zlib1, Zlib6 };

enum class Input { Curves, Bands, Text };

// 64 rows of 4096 texels: 2 MiB of curve texels, 1 MiB of band texels; 1 MiB of text.
const Bytes &Sample(Input input)
{
    static const Bytes curveTexture = oq::test::SampleCurveTexture(64, 17);
    static const Bytes bandTexture = oq::test::SampleBandTexture(64, 29);
    static const Bytes text = oq::test::SampleText(1 << 20, 31);
    return (input == Input::Curves) ? curveTexture : (input == Input::Bands) ? bandTexture : text;
}

// Compresses input into output (sized for the codec's worst case); returns the compressed size.
size_t Compress(Codec codec, const Bytes &input, Bytes *output)
{
    output->resize(input.size() + input.size() / 8 + 1024);
    const char *source = reinterpret_cast<const char *>(input.data());
    char *target = reinterpret_cast<char *>(output->data());
    int sourceSize = int(input.size());
    int targetSize = int(output->size());
    switch (codec)
    {
    case Codec::Texture: return oq::CompressData(input.data(), uint32_t(input.size()), output->data());
    case Codec::Lz4: return size_t(LZ4_compress_default(source, target, sourceSize, targetSize));
    case Codec::Lz4Hc: return size_t(LZ4_compress_HC(source, target, sourceSize, targetSize, 9));
    case Codec::Zlib1:
    case Codec::Zlib6:
    {
        uLongf size = uLongf(output->size());
        int level = (codec == Codec::Zlib1) ? 1 : 6;
        if (compress2(output->data(), &size, input.data(), uLong(input.size()), level) != Z_OK) return 0;
        return size_t(size);
    }
    }
    return 0;
}

bool Decompress(Codec codec, const Bytes &code, size_t codeSize, Bytes *output)
{
    const char *source = reinterpret_cast<const char *>(code.data());
    char *target = reinterpret_cast<char *>(output->data());
    switch (codec)
    {
    case Codec::Texture:
        return oq::DecompressData(code.data(), uint32_t(codeSize), output->data(), uint32_t(output->size()));
    case Codec::Lz4:
    case Codec::Lz4Hc: return LZ4_decompress_safe(source, target, int(codeSize), int(output->size())) == int(output->size());
    case Codec::Zlib1:
    case Codec::Zlib6:
    {
        uLongf size = uLongf(output->size());
        return uncompress(output->data(), &size, code.data(), uLong(codeSize)) == Z_OK && size == output->size();
    }
    }
    return false;
}

void CompressBench(benchmark::State &state, Codec codec, Input sample)
{
    const Bytes &input = Sample(sample);
    Bytes output;
    size_t size = 0;
    for (auto _ : state)
    {
        size = Compress(codec, input, &output);
        benchmark::DoNotOptimize(output.data());
    }
    if (size == 0) state.SkipWithError("not compressed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
    state.counters["ratio"] = double(size) / double(input.size());
    state.counters["bytes"] = double(size);
}

void DecompressBench(benchmark::State &state, Codec codec, Input sample)
{
    const Bytes &input = Sample(sample);
    Bytes code;
    size_t size = Compress(codec, input, &code);
    Bytes output(input.size());
    bool good = (size != 0);
    for (auto _ : state)
    {
        good = Decompress(codec, code, size, &output) && good;
        benchmark::DoNotOptimize(output.data());
    }
    if (!good || output != input) state.SkipWithError("round trip failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
    state.counters["ratio"] = double(size) / double(input.size());
    state.counters["bytes"] = double(size);
}

#define CODEC_BENCHES(name, codec)                                        \
    BENCHMARK_CAPTURE(CompressBench, name##_curves, codec, Input::Curves);   \
    BENCHMARK_CAPTURE(CompressBench, name##_bands, codec, Input::Bands);     \
    BENCHMARK_CAPTURE(CompressBench, name##_text, codec, Input::Text);       \
    BENCHMARK_CAPTURE(DecompressBench, name##_curves, codec, Input::Curves); \
    BENCHMARK_CAPTURE(DecompressBench, name##_bands, codec, Input::Bands);   \
    BENCHMARK_CAPTURE(DecompressBench, name##_text, codec, Input::Text)

CODEC_BENCHES(texture, Codec::Texture);
CODEC_BENCHES(lz4, Codec::Lz4);
CODEC_BENCHES(lz4hc, Codec::Lz4Hc);
CODEC_BENCHES(zlib1, Codec::Zlib1);
CODEC_BENCHES(zlib6, Codec::Zlib6);

}  // namespace
