// Number formatting against std::to_chars and snprintf, UTF-8 to UTF-16 against iconv.

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/TextUtils.h"

namespace {

constexpr int32_t kValueCount = 4096;

// Normal floats: half random bit patterns, half thousandths as a document holds them.
const std::vector<float> &Floats()
{
    static const std::vector<float> values = [] {
        std::vector<float> v;
        std::mt19937 random(1);
        while (static_cast<int32_t>(v.size()) < kValueCount)
        {
            uint32_t bits = random();
            uint32_t biased = (bits >> 23) & 0xFF;
            if (biased == 0 || biased == 255) continue;
            float x;
            std::memcpy(&x, &bits, 4);
            v.push_back(x);
            v.push_back(static_cast<float>(static_cast<int32_t>(random() % 2000001) - 1000000) / 1000.0f);
        }
        return v;
    }();
    return values;
}

// Integers of every length.
const std::vector<int32_t> &Integers()
{
    static const std::vector<int32_t> values = [] {
        std::vector<int32_t> v;
        std::mt19937 random(2);
        for (int32_t i = 0; i < kValueCount; i++) v.push_back(static_cast<int32_t>(random()) >> (random() % 32));
        return v;
    }();
    return values;
}

// Formats every value once per iteration into a 64-byte buffer.
template <typename Value, typename Write>
void FormatAll(benchmark::State &state, const std::vector<Value> &values, Write write)
{
    char buffer[64];
    for (auto _ : state)
    {
        for (Value x : values) benchmark::DoNotOptimize(write(x, buffer));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
}

void FloatToText(benchmark::State &state)
{
    FormatAll(state, Floats(), [](float x, char *buffer) { return oq::FloatToText(x, buffer, 63); });
}

void FloatToChars(benchmark::State &state)
{
    FormatAll(state, Floats(), [](float x, char *buffer) { return std::to_chars(buffer, buffer + 63, x).ptr; });
}

void FloatSnprintf(benchmark::State &state)
{
    FormatAll(state, Floats(), [](float x, char *buffer) { return std::snprintf(buffer, 64, "%.9g", x); });
}

void Int32ToText(benchmark::State &state)
{
    FormatAll(state, Integers(), [](int32_t x, char *buffer) { return oq::Int32ToText(x, buffer, 15); });
}

void Int32ToChars(benchmark::State &state)
{
    FormatAll(state, Integers(), [](int32_t x, char *buffer) { return std::to_chars(buffer, buffer + 15, x).ptr; });
}

void Int32Snprintf(benchmark::State &state)
{
    FormatAll(state, Integers(), [](int32_t x, char *buffer) { return std::snprintf(buffer, 16, "%d", x); });
}

// About 64 KB of UTF-8: argument 0 is mostly ASCII (source text, names), 1 mostly CJK and emoji.
const std::string &Utf8Text(int64_t kind)
{
    static std::string texts[2];
    std::string &text = texts[kind];
    if (text.empty())
    {
        std::mt19937 random(3);
        char buffer[4];
        while (text.size() < 65536)
        {
            uint32_t r = random() % 100;
            uint32_t code;
            if (kind == 0) code = (r < 90) ? 0x20 + random() % 0x5F : (r < 97) ? 0xA0 + random() % 0x700 : 0x4E00 + random() % 0x5000;
            else code = (r < 10) ? 0x20 + random() % 0x5F : (r < 90) ? 0x4E00 + random() % 0x5000 : 0x1F300 + random() % 0x300;
            text.append(buffer, oq::EncodeUtf8(buffer, code));
        }
    }
    return text;
}

void ConvertUtf8ToUtf16(benchmark::State &state)
{
    const std::string &text = Utf8Text(state.range(0));
    std::vector<char16_t> out(text.size() + 1);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(oq::ConvertUtf8ToUtf16(text.c_str(), out.data(), static_cast<int32_t>(text.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void IconvUtf8ToUtf16(benchmark::State &state)
{
    const std::string &text = Utf8Text(state.range(0));
    std::vector<char16_t> out(text.size() + 1);
    iconv_t descriptor = iconv_open("UTF-16LE", "UTF-8");
    for (auto _ : state)
    {
        iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
        char *in = const_cast<char *>(text.data());
        size_t inLeft = text.size();
        char *outPointer = reinterpret_cast<char *>(out.data());
        size_t outLeft = out.size() * 2;
        benchmark::DoNotOptimize(iconv(descriptor, &in, &inLeft, &outPointer, &outLeft));
        benchmark::ClobberMemory();
    }
    iconv_close(descriptor);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(FloatToText);
BENCHMARK(FloatToChars);
BENCHMARK(FloatSnprintf);
BENCHMARK(Int32ToText);
BENCHMARK(Int32ToChars);
BENCHMARK(Int32Snprintf);
BENCHMARK(ConvertUtf8ToUtf16)->Arg(0)->Arg(1);
BENCHMARK(IconvUtf8ToUtf16)->Arg(0)->Arg(1);
