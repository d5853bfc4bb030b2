// Filled paths from arbitrary curves (documents carry fill paths as plain floats): the count, then
// the build into exact-size texel and geometry memory, which must agree; any float, NaN and
// infinity included, must neither crash nor write out of bounds. The first four bytes pick the
// style, the settings, the variant and the texture width; the rest are curves of six floats.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/Memory.h"
#include "vorl/geometry/PathFill.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const uint8_t options = data[0], limits = data[1], variant = data[2] & 3;
    const int32_t width = 2 + data[3] % 64;
    std::vector<oq::QuadraticBezier2D> curves((size - 4) / 24);
    if (curves.size() > 2000)
        curves.resize(2000);
    if (!curves.empty())
        std::memcpy(curves.data(), data + 4, curves.size() * 24);
    const int32_t count = int32_t(curves.size());

    oq::FillStyle style;
    oq::ResetFillStyle(&style);
    style.gradient = (options & 3) == 1 ? 'LINR' : (options & 3) == 2 ? 'RADL' : 0;
    style.rule = options & 4 ? 'EVOD' : 0;
    style.lineA = 0.5f;
    style.lineB = -1.0f;
    style.centerX = 1.0f;
    style.radius = options & 8 ? 0.0f : 2.0f;
    // Hexagon and pentagon searches are slow on round shapes: only for short paths.
    int32_t polygon = limits & 7;
    if (count > 6 && polygon > 4)
        polygon = 4;
    const oq::PathFillSettings settings = {int32_t(limits >> 3), polygon, float(options >> 4) * 0.5f};
    const uint32_t format = options & 0x80 ? 'FLT4' : 0;

    int32_t curveCursor[2] = {width - 1 - (options >> 5) % 4, 0}, bandCursor[2] = {0, 0};
    if (curveCursor[0] < 0)
        curveCursor[0] = 0;
    const int32_t startX = curveCursor[0];
    int32_t vertexCount = -1, triangleCount = -1;
    const int32_t rows = 1 + (limits & 0x40 ? 2 : 100000);
    bool counted = oq::CountPathFill(style, count, curves.data(), width, rows, curveCursor, 4096, rows, bandCursor,
                                     &vertexCount, &triangleCount, &settings, nullptr);
    if (!counted && (vertexCount != 0 || triangleCount != 0))
        std::abort();
    const int32_t curveRows = curveCursor[1] < rows ? curveCursor[1] + 1 : rows;
    const int32_t bandRows = bandCursor[1] < rows ? bandCursor[1] + 1 : rows;

    const size_t texelSize = format == 'FLT4' ? 16 : 8;
    const size_t vertexSize = variant & 2 ? 80 : 68, triangleSize = variant & 1 ? 12 : 6;
    void *curveTexels = oq::MemoryAllocate(size_t(curveRows) * size_t(width) * texelSize);
    void *bandTexels = oq::MemoryAllocate(size_t(bandRows) * 4096 * 4);
    void *vertices = oq::MemoryAllocate(size_t(vertexCount) * vertexSize + 1);
    void *triangles = oq::MemoryAllocate(size_t(triangleCount) * triangleSize + 1);
    oq::TexelBuffer curveBuffer = {curveTexels, format, width, curveRows, startX, 0};
    oq::TexelBuffer bandBuffer = {bandTexels, 0, 4096, bandRows, 0, 0};
    oq::GeometryBuffer geometry = {vertices, triangles, 0, variant & 2 ? 1 : 0, variant & 1 ? 1 : 0};
    bool built = oq::BuildPathFill(style, count, curves.data(), &curveBuffer, &bandBuffer, &geometry, &settings,
                                   nullptr);
    // On textures of exactly the counted rows the build agrees with the count.
    if (counted)
    {
        if (!built || curveBuffer.cursorX != curveCursor[0] || curveBuffer.cursorY != curveCursor[1] ||
            bandBuffer.cursorX != bandCursor[0] || bandBuffer.cursorY != bandCursor[1] ||
            static_cast<char *>(geometry.vertexData) != static_cast<char *>(vertices) + size_t(vertexCount) * vertexSize ||
            static_cast<char *>(geometry.triangleData) !=
                static_cast<char *>(triangles) + size_t(triangleCount) * triangleSize)
            std::abort();
    }
    if (!built && geometry.vertexData != vertices)
        std::abort();
    oq::MemoryRelease(curveTexels);
    oq::MemoryRelease(bandTexels);
    oq::MemoryRelease(vertices);
    oq::MemoryRelease(triangles);
    return 0;
}
