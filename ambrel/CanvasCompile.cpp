// The canvas compile: one filled shape per Layer, in the canvas unit square.
#include "ambrel/CompileGeometry.h"
#include "vorl/geometry/ShapeData.h"

#include <cstring>

namespace oq {

namespace {

// Builds the shape of one unit into the record: one colour run per run of equal Fill colour bytes.
uint32_t BuildLayerFillShape(AmbrelDocument *document, const CompileUnits &units, int32_t unit,
                             CompileTextures *textures, VorlShapeRecord *record, ShapeScratch *scratch,
                             GraphicsCompileReport *report)
{
    struct Run : public HeapObject
    {
        uint8_t color[4];
        Array<QuadraticBezier2D> curves;
    };
    Array<Run *> runs;
    auto release = [&runs]() {
        for (Run *run : runs) delete run;
    };
    int32_t first = units.GetFirst(unit);
    for (int32_t i = 0; i < units.GetCount(unit); ++i)
    {
        const CompileGeometry &geometry = *units.GetGeometry(first + i);
        if (!geometry.filled) continue;
        if (geometry.fill.gradient != kGradientNone && report != nullptr) ++report->gradientFills;
        uint8_t color[4];
        ColorRGBAToSrgb8(color, geometry.fill.color);
        color[3] = 0;
        if (runs.GetElementCount() == 0 || std::memcmp(runs[runs.GetElementCount() - 1]->color, color, 4) != 0)
        {
            Run *run = new Run;
            std::memcpy(run->color, color, 4);
            runs.AddElement(run);
        }
        AppendCanvasCurves(document, geometry, &runs[runs.GetElementCount() - 1]->curves);
    }

    const FontCompileSettings &settings = document->compileSettings;
    bool built;
    int32_t runCount = runs.GetElementCount();
    if (runCount >= 2)
    {
        Array<uint32_t> colors;
        Array<int32_t> counts;
        Array<const QuadraticBezier2D *> lists;
        colors.SetElementCount(runCount);
        for (int32_t r = 0; r < runCount; ++r)
        {
            std::memcpy(&colors[r], runs[r]->color, 4);
            counts.AddElement(runs[r]->curves.GetElementCount());
            lists.AddElement(runs[r]->curves.GetElements());
        }
        built = BuildLayeredShapeData(runCount, reinterpret_cast<const uint8_t(*)[4]>(colors.GetElements()), counts.GetElements(), lists.GetElements(),
                                      &textures->curve, &textures->band, record, settings.polygonVertexCount,
                                      settings.polygonEdgeFactor, settings.maxBandCount, scratch);
    }
    else
    {
        int32_t count = (runCount == 1) ? runs[0]->curves.GetElementCount() : 0;
        const QuadraticBezier2D *curves = (runCount == 1) ? runs[0]->curves.GetElements() : nullptr;
        built = BuildShapeData(count, curves, &textures->curve, &textures->band, record, settings.polygonVertexCount,
                               settings.polygonEdgeFactor, settings.maxBandCount, scratch);
    }
    release();
    return built ? 0 : kResultSizeExceeded;
}

}  // namespace

uint32_t BuildCanvasVorlFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start, bool compress,
                             ShapeScratch *scratch, GraphicsCompileReport *report)
{
    return CompileCanvasFile(document, sink, start, compress, scratch, report, CompileTextureRows());
}

uint32_t CompileCanvasFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start, bool compress,
                           ShapeScratch *scratch, GraphicsCompileReport *report, const CompileTextureRows &rows)
{
    CompileUnits units;
    units.Prepare(document, report);
    int32_t n = units.GetUnitCount();

    CompileTextures textures;
    ZeroedBlock shapeBlock;
    uint32_t result = textures.Allocate(kTexelFormatHalf4, rows);
    if (result != 0) return result;
    if (!shapeBlock.Allocate(uint64_t(n) * sizeof(VorlShapeRecord))) return kResultOutOfMemory;
    auto *shapes = shapeBlock.Get<VorlShapeRecord>();
    for (int32_t unit = 0; unit < n; ++unit)
    {
        result = BuildLayerFillShape(document, units, unit, &textures, &shapes[unit], scratch, report);
        if (result != 0) return result;
    }

    VorlGraphicsHeader header{};
    header.shapeCount = n;
    header.shapeRecordOffset = 112;
    VorlGraphicsContent content;
    content.shapeCount = n;
    content.shapes = shapes;
    uint64_t curveOffset = 192 + RoundUp64(uint64_t(n) * sizeof(VorlShapeRecord));
    if (curveOffset > UINT32_MAX / 2) return kResultSizeExceeded;
    return WriteVorlFile(sink, start, &header, content, uint32_t(curveOffset), &textures.curve, &textures.band,
                         compress);
}

}  // namespace oq
