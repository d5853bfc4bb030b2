// Base64 literals: the byte block value and its reader.
#include "kettric/ByteBlock.h"

#include "base/Memory.h"
#include "kettric/KettricLiterals.h"

#include <array>

namespace oq {

namespace {

constexpr std::array<uint8_t, 256> MakeBase64Table()
{
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = 0xFF;
    for (int i = 0; i < 26; ++i)
    {
        table['A' + i] = static_cast<uint8_t>(i);
        table['a' + i] = static_cast<uint8_t>(26 + i);
    }
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<uint8_t>(52 + i);
    table['+'] = 62;
    table['/'] = 63;
    return table;
}

constexpr std::array<uint8_t, 256> kBase64Value = MakeBase64Table();

inline bool IsBase64Space(char c)
{
    return static_cast<unsigned char>(c) - 1u < 0x20u;
}

}  // namespace

ByteBlock::ByteBlock(ByteBlock &&block) noexcept : bytes(block.bytes), byteCount(block.byteCount)
{
    block.bytes = nullptr;
    block.byteCount = 0;
}

ByteBlock::~ByteBlock()
{
    MemoryRelease(bytes);
}

void ByteBlock::Allocate(uint64_t count)
{
    Release();
    if (count != 0) bytes = static_cast<uint8_t *>(MemoryAllocate(size_t(count)));
    byteCount = count;
}

void ByteBlock::Release()
{
    MemoryRelease(bytes);
    bytes = nullptr;
    byteCount = 0;
}

KettricResult ReadKettricBase64(const char **text, ByteBlock *value)
{
    const char *start = *text;
    const char *p = start;
    uint64_t count = 0;
    for (;; ++p)
    {
        unsigned char c = static_cast<unsigned char>(*p);
        if (kBase64Value[c] != 0xFF)
            ++count;
        else if (!IsBase64Space(*p))
            break;
    }
    const char *end = p;

    uint32_t remainder = static_cast<uint32_t>(count % 4u);
    if (remainder == 1) return kResultBase64Invalid;
    if (*p == '=')
    {
        if (remainder == 0) return kResultBase64Invalid;
        ++p;
        while (IsBase64Space(*p)) ++p;
        if (*p == '=')
        {
            if (remainder == 3) return kResultBase64Invalid;
            ++p;
            while (IsBase64Space(*p)) ++p;
        }
    }

    if (value != nullptr)
    {
        uint64_t byteCount = count * 6u / 8u;
        if (byteCount != value->byteCount) value->Allocate(byteCount);
        uint8_t *out = value->bytes;
        uint32_t bits = 0;
        uint32_t held = 0;
        for (const char *q = start; q < end; ++q)
        {
            uint8_t v = kBase64Value[static_cast<unsigned char>(*q)];
            if (v == 0xFF) continue;
            bits = bits << 6 | v;
            held += 6;
            if (held >= 8)
            {
                held -= 8;
                *out++ = static_cast<uint8_t>(bits >> held);
            }
        }
    }
    *text = p;
    return 0;
}

}  // namespace oq
