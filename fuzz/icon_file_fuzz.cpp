// Icon file images: the loader's checks, then the textures made from an accepted image on a
// recording device.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/Heap.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static oq::Heap heap("fuzz", oq::GetProcessHeap(), true);
    // An exact-size, aligned copy from the heap, as the loader reads files.
    uint8_t *image = static_cast<uint8_t *>(oq::AllocateMemory(heap, size));
    if (image == nullptr) return 0;
    if (size != 0) std::memcpy(image, data, size);
    if (!oq::CheckIconFile(image, size))
    {
        oq::FreeMemory(heap, image);
        return 0;
    }
    oq::RecordingDevice device;
    oq::Renderer renderer(&device, "", &heap);
    const float white[4] = {1, 1, 1, 1};
    if (!renderer.Start(nullptr, 16, 16, white)) std::abort();
    oq::VorlFileHeader header;
    std::memcpy(&header, image, sizeof(header));
    oq::GlyphTexturePair pair;
    // A compressed block may fail to expand; an accepted image stored plainly always makes both textures.
    bool made = pair.CreateFromFile(renderer, image, size) && pair.count == 2;
    if (!made && header.curveTexture.compression == 0 && header.bandTexture.compression == 0) std::abort();
    pair.ReleaseFile(renderer);
    return 0;
}
