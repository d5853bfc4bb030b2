#pragma once

#include <cstdint>

namespace oq {

class Heap;

// A whole file read into one heap block, with spare zero bytes after the contents.
struct FileContents
{
    uint8_t *data;   // null when the file could not be read
    uint64_t size;   // bytes of the file
};

// Reads the file named by path into a block of size + spare bytes from the heap; the spare bytes
// are zero. Gives no data when the file cannot be opened, holds more than maxSize bytes, the heap
// has no block, or any read or close fails or comes up short.
[[nodiscard]] FileContents ReadFileContents(Heap &heap, const char *path, uint64_t maxSize, uint32_t spare);

// Joins folder, "/", name and extension into output (capacity bytes); false when they do not fit.
[[nodiscard]] bool MakeDataPath(const char *folder, const char *name, const char *extension, char *output,
                                uint32_t capacity);

}  // namespace oq
