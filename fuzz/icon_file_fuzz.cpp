// Icon file images: the loader's checks, then the textures made from an accepted image on a
// recording device, and every icon of it built by an icon widget into exact-size buffers, whose
// vertex and triangle counts must be the ones the build writes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "editor/platform/DataFileLoaders.h"
#include "editor/platform/Heap.h"
#include "editor/platform/IconWidget.h"
#include "editor/platform/RecordingDevice.h"
#include "editor/platform/Renderer.h"
#include "vorl/geometry/IconGeometry.h"
#include "vorl/geometry/VorlGraphicsFile.h"

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
    oq::SetRenderer(&renderer);
    const auto *graphics = reinterpret_cast<const oq::VorlGraphicsHeader *>(image + oq::kVorlGraphicsHeaderOffset);
    for (int32_t icon = 0; icon < graphics->iconCount; ++icon)
    {
        int32_t vertices = 0;
        int32_t triangles = 0;
        oq::CountIconGeometry(graphics, icon, 'POLY', &vertices, &triangles);
        oq::IconWidget widget('pict', &pair, icon, oq::Point2D(0, 0), oq::Vector2D(72, 72));
        bool empty = triangles == 0;
        if (widget.item.vertexCount != (empty ? 0U : uint32_t(vertices))) std::abort();
        if (widget.item.indexCount != (empty ? 0U : 3 * uint32_t(triangles))) std::abort();
    }
    oq::SetRenderer(nullptr);
    pair.ReleaseFile(renderer);
    return 0;
}
