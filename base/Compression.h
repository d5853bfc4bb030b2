#pragma once

#include <cstdint>

namespace oq {

// The LZ byte code that Vorl files store their textures in ('COMP' blocks).

// Compresses size bytes into output, which holds at least size bytes.
// Returns the compressed size (a multiple of 4, at most size), or 0 when the input is shorter
// than 4 bytes or its code does not fit in size bytes; the caller then stores the input as it is.
[[nodiscard]] uint32_t CompressData(const void *input, uint32_t size, void *output);

// Expands compressedSize bytes of code into the outputSize bytes of output.
// Never writes outside the output, copies from before its start, or reads past compressedSize.
// Returns true only when the code was well formed and filled the output exactly.
[[nodiscard]] bool DecompressData(const void *compressed, uint32_t compressedSize, void *output, uint32_t outputSize);

}  // namespace oq
