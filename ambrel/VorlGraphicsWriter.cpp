// The writer of Vorl graphics files.
#include "ambrel/GraphicsCompile.h"

namespace oq {

uint32_t WriteVorlFile(OutputSink *sink, const VorlHeaderStart *start, VorlGraphicsHeader *header,
                       const VorlGraphicsContent &content, uint32_t curveDataOffset, TexelBuffer *curveTexels,
                       TexelBuffer *bandTexels, bool compress)
{
    VorlTextureOutput curve;
    VorlTextureOutput band;
    uint32_t result = PrepareVorlTexture(&curve, curveTexels->texels, curveTexels->format, curveTexels->width,
                                         curveTexels->height, curveTexels->cursorX, curveTexels->cursorY, false,
                                         compress);
    if (result == 0)
    {
        result = PrepareVorlTexture(&band, bandTexels->texels, kTexelFormatUint16x2, bandTexels->width,
                                    bandTexels->height, bandTexels->cursorX, bandTexels->cursorY, false, compress);
    }
    if (result != 0) return result;
    PlaceVorlTextures(&curve, &band, curveDataOffset);

    for (int32_t field = 1; field < 9; ++field) header->reserved[field] = 0;
    VorlFileHeader fileHeader;
    FormVorlFileHeader(&fileHeader, start, "alb", 1, curve.descriptor, band.descriptor);

    // Every block goes to the sink, which stops handing them over after a refusal.
    static_cast<void>(sink->Write(&fileHeader, sizeof(fileHeader)));
    static_cast<void>(sink->Write(header, sizeof(*header)));
    static_cast<void>(sink->WritePadding(64));
    static_cast<void>(sink->Write(content.shapes, uint32_t(content.shapeCount) * uint32_t(sizeof(VorlShapeRecord))));
    static_cast<void>(sink->WritePadding(64));
    if (content.iconCount != 0)
    {
        static_cast<void>(sink->Write(content.icons, uint32_t(content.iconCount) * uint32_t(sizeof(VorlIconRecord))));
        static_cast<void>(
            sink->Write(content.layerItems, uint32_t(content.layerItemCount) * uint32_t(sizeof(VorlIconLayer))));
        static_cast<void>(sink->Write(content.meshes, uint32_t(content.meshCount) * uint32_t(sizeof(VorlIconMesh))));
        static_cast<void>(sink->WritePadding(64));
        static_cast<void>(
            sink->Write(content.vertices, uint32_t(content.vertexCount) * uint32_t(sizeof(VorlMeshVertex))));
        static_cast<void>(
            sink->Write(content.triangles, uint32_t(content.triangleCount) * uint32_t(sizeof(VorlMeshTriangle))));
        static_cast<void>(sink->WritePadding(64));
    }
    static_cast<void>(WriteVorlTextures(sink, curve, band));
    return sink->failed ? kResultWriteFailed : 0;
}

}  // namespace oq
