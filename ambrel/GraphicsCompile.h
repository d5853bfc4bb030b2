#pragma once

#include "ambrel/AmbrelDocument.h"
#include "vorl/geometry/ShapeScratch.h"
#include "vorl/geometry/StrokePath.h"
#include "vorl/geometry/TexelBuffer.h"
#include "vorl/geometry/VorlGraphicsFile.h"
#include "vorl/text/OutputSink.h"
#include "vorl/text/VorlFileWriter.h"

#include <cstdint>

namespace oq {

// What a graphics compile left out or drew in a simpler way, for the caller's warnings.
struct GraphicsCompileReport
{
    int32_t geometryOutsideLayers = 0;  // filled or stroked geometry outside every Layer of two or more
    int32_t gradientFills = 0;          // canvas compile: gradient fills drawn in their Fill colour
};

// The record arrays of a graphics file, in file order.
struct VorlGraphicsContent
{
    int32_t shapeCount = 0;
    const VorlShapeRecord *shapes = nullptr;
    int32_t meshCount = 0;
    const VorlIconMesh *meshes = nullptr;
    int32_t vertexCount = 0;
    const VorlMeshVertex *vertices = nullptr;
    int32_t triangleCount = 0;
    const VorlMeshTriangle *triangles = nullptr;
    int32_t iconCount = 0;
    const VorlIconRecord *icons = nullptr;
    int32_t layerItemCount = 0;
    const VorlIconLayer *layerItems = nullptr;
};

// Writes a whole graphics file: the file header (the caller's 12-byte start or 'vorl', 1888,
// "alb"), the graphics header with fields 7 to 14 zeroed, the records, padding, and both textures
// (compressed when asked and shorter). Returns 0, 'WRIT' when the sink refused any block (no block
// reaches it after the first refusal) or 'MEMY' when the compression buffer is not available.
[[nodiscard]] uint32_t WriteVorlFile(OutputSink *sink, const VorlHeaderStart *start, VorlGraphicsHeader *header,
                                     const VorlGraphicsContent &content, uint32_t curveDataOffset,
                                     TexelBuffer *curveTexels, TexelBuffer *bandTexels, bool compress);

// One filled shape per Layer (or one for the whole document without two Layers), fills only,
// mapped into the canvas unit square. The document is left unchanged, so a second compile gives
// the same file. Returns 0, 'SIZE' (a shape does not fit the textures, or a Layer has more than
// 8192 filled curves), 'MEMY' or 'WRIT'.
[[nodiscard]] uint32_t BuildCanvasVorlFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start,
                                           bool compress, ShapeScratch *scratch,
                                           GraphicsCompileReport *report = nullptr);

// One icon per Layer: every filled geometry a shape with its own fill style, every stroked one a
// mesh. Returns 0, 'SIZE' (the textures run out, or the file would hold more than 65536 mesh
// vertices), 'MEMY' or 'WRIT'. The document is left unchanged.
[[nodiscard]] uint32_t BuildIconVorlFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start,
                                         bool floatTexels, bool compress, ShapeScratch *fillScratch,
                                         StrokeScratch *strokeScratch, GraphicsCompileReport *report = nullptr);

// The first Opacity of the structure (1 without one) times that of each enclosing Group, going up
// while the superior is a Group.
float CalculateGroupOpacity(const KettricStructure *structure);

}  // namespace oq
