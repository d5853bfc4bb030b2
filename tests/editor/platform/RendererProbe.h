#pragma once

#include "editor/platform/Heap.h"

#include <cstdio>
#include <string>

namespace oq::test {

// A heap back end that can run out of memory on demand.
class ExhaustibleBackEnd : public HeapBackEnd
{
public:
    void *Acquire(size_t size) override { return exhausted ? nullptr : GetProcessHeap()->Acquire(size); }
    void Release(void *memory) override { GetProcessHeap()->Release(memory); }
    bool exhausted = false;
};

// Writes bytes to a file; false when it cannot.
inline bool WriteBytes(const std::string &path, const void *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

inline bool WriteText(const std::string &path, const std::string &text)
{
    return WriteBytes(path, text.data(), text.size());
}

}  // namespace oq::test
