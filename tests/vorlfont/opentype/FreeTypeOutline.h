#pragma once

// FreeType as the outline oracle of the import tests: unscaled glyph outlines measured the way the
// tests measure ours (signed area by Green's theorem, tight box, contour count).

#include "base/Bezier.h"
#include "vorlfont/opentype/FontBytes.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdint>
#include <vector>

namespace oq::test {

// Signed area, tight box and contour count of one outline, in the units its points are given in.
struct OutlineMeasure
{
    double area = 0.0;
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    int32_t contours = 0;

    void Include(const Box2D &box);
    void AddQuadratic(const QuadraticBezier2D &q);
    void AddCubic(const CubicBezier2D &c);
};

// One face of a font file opened by its own FreeType library.
class FreeTypeFont
{
public:
    FreeTypeFont(const char *path, int32_t faceIndex);
    ~FreeTypeFont();
    FreeTypeFont(const FreeTypeFont &) = delete;
    FreeTypeFont &operator=(const FreeTypeFont &) = delete;

    bool IsOpen() const { return face != nullptr; }

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

// Loads the glyph unscaled, unhinted and without bitmaps and measures its outline, counting only
// contours of at least minimumPoints points (the contours our readers keep: 3 for TrueType, 2 for
// CFF, whose single-point contours are moves without a segment). False when FreeType fails.
[[nodiscard]] bool MeasureFreeTypeGlyph(FT_Face face, uint32_t glyph, int32_t minimumPoints, OutlineMeasure *measure);

// Quadratic curves scaled by the factor; a contour ends at a curve after its first that returns to
// its start.
OutlineMeasure MeasureQuadratics(const QuadraticBezier2D *curves, int32_t count, double scale);

// A table of the face copied into the storage; an empty view when the face has none.
FontBytes LoadSfntTable(FT_Face face, uint32_t tag, std::vector<uint8_t> *storage);

}  // namespace oq::test
