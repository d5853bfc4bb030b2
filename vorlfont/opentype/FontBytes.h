#pragma once

#include <cstdint>
#include <cstring>

namespace oq {

// A bounded view of font bytes. Values are big-endian; every read checks offset + size against
// the view's end in 64-bit arithmetic, and a read outside the view gives 0 (the Read forms say so).
struct FontBytes
{
    const uint8_t *data = nullptr;
    uint64_t size = 0;

    bool IsPresent() const { return data != nullptr; }
    bool Contains(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }

    uint8_t GetUInt8(uint64_t offset) const { return Contains(offset, 1) ? data[offset] : 0; }
    uint16_t GetUInt16(uint64_t offset) const
    {
        return Contains(offset, 2) ? uint16_t(data[offset] << 8 | data[offset + 1]) : 0;
    }
    int16_t GetInt16(uint64_t offset) const { return int16_t(GetUInt16(offset)); }
    uint32_t GetUInt32(uint64_t offset) const
    {
        if (!Contains(offset, 4)) return 0;
        const uint8_t *p = data + offset;
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    }

    [[nodiscard]] bool ReadUInt16(uint64_t offset, uint16_t *value) const
    {
        *value = GetUInt16(offset);
        return Contains(offset, 2);
    }
    [[nodiscard]] bool ReadInt16(uint64_t offset, int16_t *value) const
    {
        *value = GetInt16(offset);
        return Contains(offset, 2);
    }
    [[nodiscard]] bool ReadUInt32(uint64_t offset, uint32_t *value) const
    {
        *value = GetUInt32(offset);
        return Contains(offset, 4);
    }

    // The bytes from offset on, count long; an empty view when they do not all lie inside.
    FontBytes Slice(uint64_t offset, uint64_t count) const
    {
        if (!Contains(offset, count)) return FontBytes();
        return FontBytes{data + offset, count};
    }
};

// Font bytes read piece by piece: a file image in memory, or a font file read where it lies.
class FontByteSource
{
public:
    virtual ~FontByteSource() = default;

    virtual uint64_t GetSize() const = 0;
    // Copies count bytes from offset on into out; false when they do not all lie inside the source
    // or cannot be read (out is then undefined).
    [[nodiscard]] virtual bool Read(uint64_t offset, uint64_t count, uint8_t *out) const = 0;

    bool Contains(uint64_t offset, uint64_t count) const
    {
        uint64_t size = GetSize();
        return offset <= size && count <= size - offset;
    }
    [[nodiscard]] bool ReadUInt16(uint64_t offset, uint16_t *value) const
    {
        uint8_t b[2];
        *value = 0;
        if (!Read(offset, 2, b)) return false;
        *value = uint16_t(b[0] << 8 | b[1]);
        return true;
    }
    [[nodiscard]] bool ReadUInt32(uint64_t offset, uint32_t *value) const
    {
        uint8_t b[4];
        *value = 0;
        if (!Read(offset, 4, b)) return false;
        *value = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
        return true;
    }
};

// A byte source over bytes in memory.
class FontBytesSource : public FontByteSource
{
public:
    explicit FontBytesSource(const FontBytes &view) : bytes(view) {}

    uint64_t GetSize() const override { return bytes.size; }
    [[nodiscard]] bool Read(uint64_t offset, uint64_t count, uint8_t *out) const override
    {
        if (!bytes.Contains(offset, count)) return false;
        if (count != 0) std::memcpy(out, bytes.data + offset, count);
        return true;
    }

private:
    FontBytes bytes;
};

}  // namespace oq
