#pragma once

#include <cstdint>
#include <vector>

#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"

namespace oq::test {

// Curve and band texels of one shape written the plain way, for driving the Vorl pixel stage
// without the geometry builders: two curve texels per curve, bands of equal size along each axis,
// lists sorted by decreasing largest control coordinate, optional gradient paint texels.
struct VorlTestShape
{
    int32_t curveWidth = 64;
    int32_t curveHeight = 0;
    std::vector<uint16_t> curveHalves;
    int32_t bandWidth = 4096;   // the band location carry assumes 4096
    int32_t bandHeight = 0;
    std::vector<uint32_t> bandTexels;
    uint32_t locationWord = 0;
    uint32_t limitWord = 0;
    float banding[4] = {};
    float width = 0;    // em box, from (0, 0)
    float height = 0;

    VorlTexelArrays Textures() const;
};

// Gradient paint: type 1 linear (a, b, c line), 2 radial (centre x, y, radius in z); colours.
struct VorlTestGradient
{
    uint32_t type = 0;
    float geometry[3] = {};
    float color1[4] = {};
    float color2[4] = {};
};

// Curves in em space inside (0, 0) .. (width, height); flags go to bits 24-31 of the limit word
// (0x10 even-odd); the all-straight bit is set from the curves.
VorlTestShape BuildVorlTestShape(const std::vector<ReferenceCurve> &curves, float width, float height, int32_t bandsX,
                                 int32_t bandsY, uint32_t flags = 0, const VorlTestGradient *gradient = nullptr);

// One colour layer: its curves and its colour bytes (red, green, blue).
struct VorlTestLayer
{
    std::vector<ReferenceCurve> curves;
    uint8_t color[3];
};

// Several layers behind a layer header (the location word points at it); one layer is a plain
// shape.
VorlTestShape BuildVorlTestLayers(const std::vector<VorlTestLayer> &layers, float width, float height, int32_t bandsX,
                                  int32_t bandsY, uint32_t flags = 0, const VorlTestGradient *gradient = nullptr);

// Fixture outlines in a unit box (y up).
std::vector<ReferenceCurve> MakeSquareOutline(double x0, double y0, double x1, double y1, bool clockwise = false);
std::vector<ReferenceCurve> MakeCircleOutline(double cx, double cy, double radius, bool clockwise = false);
std::vector<ReferenceCurve> MakePolygonOutline(const std::vector<double> &points);   // x, y pairs, closed
std::vector<ReferenceCurve> MakeRoundedRectOutline(double x0, double y0, double x1, double y1, double radius);

}   // namespace oq::test

namespace oq::test {

// A view of a test shape: em space to pixel space (x' = m[0] x + m[1] y + m[2], y' = m[3] x +
// m[4] y + m[5]) on an image of width x height pixels, row 0 at the bottom.
struct VorlTestView
{
    double pixelFromEm[6];
    int32_t width;
    int32_t height;

    void EmFromPixel(double out[6]) const;
};

// The covering quad of a test shape as Vorl vertices (68-byte records, object = em x 10) with its
// two triangles and the rows of the object-to-clip matrix of the view.
struct VorlTestQuad
{
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> triangles;
    float matrix[4][4];
};

VorlTestQuad MakeVorlTestQuad(const VorlTestShape &shape, const VorlTestView &view, const uint8_t color[4]);

// How a coverage image compares with the reference: pixels whose 3 x 3 neighbourhood is wholly
// inside or outside in the reference are interior, the others edge pixels.
struct CoverageComparison
{
    float interiorError = 0;   // largest difference on interior pixels
    float edgeError = 0;       // largest difference on edge pixels
    double ink = 0;            // summed coverage
    double referenceInk = 0;
};

CoverageComparison CompareWithReference(const std::vector<float> &coverage, const std::vector<float> &reference,
                                        int32_t width, int32_t height);

// Leaves out of the edge error the pixels within 1.5 px of the given points (x, y pairs in em
// space, mapped through the view): sharp tips and points where an outline crosses itself.
CoverageComparison CompareWithReference(const std::vector<float> &coverage, const std::vector<float> &reference,
                                        const VorlTestView &view, const std::vector<double> &skipped);

}   // namespace oq::test
