#pragma once

#include "ambrel/GeometryStructure.h"
#include "ambrel/GraphicsCompile.h"
#include "base/Array.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/StrokeStyle.h"

#include <cstdint>

namespace oq {

// A filled or stroked geometry as a compile uses it: working copies of its curves in the unit
// square of its box and of its styles scaled alike, so the document itself stays unchanged.
struct CompileGeometry : public HeapObject
{
    const GeometryStructure *geometry = nullptr;
    Array<QuadraticBezier2D> curves;
    float size = 1.0f;  // s: the unit box maps back by offset + s p
    bool filled = false;
    bool stroked = false;
    FillStyle fill{};
    StrokeStyle stroke{};
    Array<float, 8> dashes;
};

// The units of a compile: every top-level Layer when there are two or more, else the whole
// document; each holds its filled or stroked geometries with curves, in pre-order.
class CompileUnits
{
public:
    CompileUnits() = default;
    ~CompileUnits();
    CompileUnits(const CompileUnits &) = delete;
    CompileUnits &operator=(const CompileUnits &) = delete;

    void Prepare(AmbrelDocument *document, GraphicsCompileReport *report);

    int32_t GetUnitCount() const { return unitCount; }
    // The geometries of unit j: first index and count into the geometry list.
    int32_t GetFirst(int32_t unit) const { return unitStarts[unit]; }
    int32_t GetCount(int32_t unit) const { return unitStarts[unit + 1] - unitStarts[unit]; }
    CompileGeometry *GetGeometry(int32_t index) const { return geometries[index]; }

private:
    int32_t unitCount = 1;
    Array<int32_t> unitStarts;
    Array<CompileGeometry *> geometries;
};

// Maps the working curves into the canvas unit square: ((x0 + s x - origin x) scale, ...), with
// (x0, y0) the box minimum; y is not flipped. Appends to curves.
void AppendCanvasCurves(const AmbrelDocument *document, const CompileGeometry &geometry,
                        Array<QuadraticBezier2D> *curves);

// Rows of the two texture buffers: the file format's, or fewer for tests of full textures.
struct CompileTextureRows
{
    int32_t curveRows = 2048;
    int32_t bandRows = 8192;
};

// The two texture buffers of a compile at their full size, zeroed, cursors at (0, 0).
struct CompileTextures
{
    ZeroedBlock curveBlock;
    ZeroedBlock bandBlock;
    TexelBuffer curve{};
    TexelBuffer band{};

    static constexpr int32_t kWidth = 4096;

    // 0 or 'MEMY'.
    [[nodiscard]] uint32_t Allocate(uint32_t curveFormat, const CompileTextureRows &rows);
};

// The compiles of GraphicsCompile.h with the given texture rows.
[[nodiscard]] uint32_t CompileCanvasFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start,
                                         bool compress, ShapeScratch *scratch, GraphicsCompileReport *report,
                                         const CompileTextureRows &rows);
[[nodiscard]] uint32_t CompileIconFile(AmbrelDocument *document, OutputSink *sink, const VorlHeaderStart *start,
                                       bool floatTexels, bool compress, ShapeScratch *fillScratch,
                                       StrokeScratch *strokeScratch, GraphicsCompileReport *report,
                                       const CompileTextureRows &rows);

}  // namespace oq
