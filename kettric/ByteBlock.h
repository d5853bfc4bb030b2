#pragma once

#include <cstdint>

namespace oq {

// Value of a base64 literal: an owned block of bytes. An empty block has a null pointer and count 0.
struct ByteBlock
{
    uint8_t *bytes = nullptr;
    uint64_t byteCount = 0;

    ByteBlock() = default;
    // Takes the source's block over; the source becomes empty.
    ByteBlock(ByteBlock &&block) noexcept;
    ByteBlock(const ByteBlock &) = delete;
    ByteBlock &operator=(const ByteBlock &) = delete;
    ~ByteBlock();

    // Releases the block and allocates one of the given size (null for 0); the contents are left open.
    void Allocate(uint64_t count);
    void Release();
};

}  // namespace oq
