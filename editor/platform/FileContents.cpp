#include "editor/platform/FileContents.h"

#include "base/File.h"
#include "editor/platform/Heap.h"

#include <cstring>

namespace oq {

FileContents ReadFileContents(Heap &heap, const char *path, uint64_t maxSize, uint32_t spare)
{
    File file;
    if (file.Open(path, kFileModeRead) != kFileOkay) return {nullptr, 0};
    uint64_t size = file.GetSize();
    // One transfer moves at most 2^32 - 1 bytes.
    if (size > maxSize || size > 0xFFFFFFFFU)
    {
        static_cast<void>(file.Close());  // read only: nothing to lose
        return {nullptr, 0};
    }
    uint8_t *data = static_cast<uint8_t *>(AllocateMemory(heap, size + spare));
    bool read = data != nullptr && (size == 0 || file.Read(data, uint32_t(size)) == kFileOkay);
    bool closed = file.Close() == kFileOkay;
    if (!read || !closed)
    {
        FreeMemory(heap, data);
        return {nullptr, 0};
    }
    std::memset(data + size, 0, spare);
    return {data, size};
}

bool MakeDataPath(const char *folder, const char *name, const char *extension, char *output, uint32_t capacity)
{
    size_t folderLength = std::strlen(folder);
    size_t nameLength = std::strlen(name);
    size_t extensionLength = std::strlen(extension);
    if (uint64_t(folderLength) + nameLength + extensionLength + 2 > capacity) return false;
    std::memcpy(output, folder, folderLength);
    output[folderLength] = '/';
    std::memcpy(output + folderLength + 1, name, nameLength);
    std::memcpy(output + folderLength + 1 + nameLength, extension, extensionLength + 1);
    return true;
}

}  // namespace oq
