#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/VorlPixelStage.h"
#include "support/VorlTestFixtures.h"
#include "vorl/geometry/FillStyle.h"
#include "vorl/geometry/GeometryBuffer.h"
#include "vorl/geometry/PathFill.h"
#include "vorl/geometry/ShapeScratch.h"
#include "vorl/geometry/TexelBuffer.h"
#include "vorl/text/ShaderSource.h"
#include "vorl/text/VorlFileHeader.h"

namespace oq::test {
namespace {

constexpr int32_t kSize = 64;
constexpr double kObjectScale = 40;
constexpr double kObjectX = 5;
constexpr double kObjectY = 7;
constexpr int32_t kCurveWidth = 256;
constexpr int32_t kCurveHeight = 16;
constexpr int32_t kBandWidth = 4096;
constexpr int32_t kBandHeight = 4;

// A fixture outline moved into object space: em x 40 + (5, 7).
std::vector<ReferenceCurve> ToObject(const std::vector<ReferenceCurve> &curves)
{
    std::vector<ReferenceCurve> result;
    for (const ReferenceCurve &c : curves)
        result.push_back({c.x0 * kObjectScale + kObjectX, c.y0 * kObjectScale + kObjectY, c.x1 * kObjectScale + kObjectX,
                          c.y1 * kObjectScale + kObjectY, c.x2 * kObjectScale + kObjectX, c.y2 * kObjectScale + kObjectY});
    return result;
}

// Points (x, y pairs) of a fixture moved into object space.
std::vector<double> ObjectPoints(const std::vector<double> &points)
{
    std::vector<double> result(points);
    for (size_t i = 0; i + 1 < result.size(); i += 2)
    {
        result[i] = result[i] * kObjectScale + kObjectX;
        result[i + 1] = result[i + 1] * kObjectScale + kObjectY;
    }
    return result;
}

// The view of a fixture's em box, as a view of its object-space copy.
VorlTestView ObjectView(const VorlTestView &emView)
{
    const double *m = emView.pixelFromEm;
    VorlTestView view = {{m[0] / kObjectScale, m[1] / kObjectScale, m[2] - (m[0] * kObjectX + m[1] * kObjectY) / kObjectScale,
                          m[3] / kObjectScale, m[4] / kObjectScale, m[5] - (m[3] * kObjectX + m[4] * kObjectY) / kObjectScale},
                         emView.width, emView.height};
    return view;
}

// The output of one counted and built fill.
struct BuiltFill
{
    std::vector<float> curveFloats;
    std::vector<uint16_t> curveHalves;
    std::vector<uint32_t> bandTexels;
    std::vector<AttribStruct> vertices;
    std::vector<uint16_t> triangles;
    float color[4];
};

struct FillImages
{
    std::vector<float> gl;
    std::vector<float> cpu;
    std::vector<float> alpha;   // GL alpha, 0 where nothing was drawn
    float cpuError = 0;
    uint32_t samples = 0;   // fragments shaded
};

// Counts and builds a fill into textures of a fixed size; the count must be exact.
BuiltFill BuildFill(const std::vector<ReferenceCurve> &objectCurves, const FillStyle &style, const PathFillSettings &settings,
                    uint32_t format)
{
    BuiltFill fill;
    std::vector<QuadraticBezier2D> curves(objectCurves.size());
    for (size_t i = 0; i < curves.size(); ++i)
    {
        const ReferenceCurve &c = objectCurves[i];
        curves[i].p0 = {float(c.x0), float(c.y0)};
        curves[i].p1 = {float(c.x1), float(c.y1)};
        curves[i].p2 = {float(c.x2), float(c.y2)};
    }
    const int32_t n = int32_t(curves.size());
    int32_t curveCursor[2] = {0, 0};
    int32_t bandCursor[2] = {0, 0};
    int32_t vertexCount = 0;
    int32_t triangleCount = 0;
    EXPECT_TRUE(CountPathFill(style, n, curves.data(), kCurveWidth, kCurveHeight, curveCursor, kBandWidth, kBandHeight,
                              bandCursor, &vertexCount, &triangleCount, &settings, nullptr));

    const bool floats = format == kTexelFormatFloat4;
    std::vector<float> &curveFloats = fill.curveFloats;
    std::vector<uint16_t> &curveHalves = fill.curveHalves;
    std::vector<uint32_t> &bandTexels = fill.bandTexels;
    curveFloats.resize(floats ? size_t(kCurveWidth) * kCurveHeight * 4 : 0);
    curveHalves.resize(floats ? 0 : size_t(kCurveWidth) * kCurveHeight * 4);
    bandTexels.resize(size_t(kBandWidth) * kBandHeight);
    TexelBuffer curveBuffer = {floats ? static_cast<void *>(curveFloats.data()) : static_cast<void *>(curveHalves.data()),
                               format, kCurveWidth, kCurveHeight, 0, 0};
    TexelBuffer bandBuffer = {bandTexels.data(), kTexelFormatUint16x2, kBandWidth, kBandHeight, 0, 0};
    std::vector<AttribStruct> vertices(size_t(vertexCount) + 1);
    std::vector<VorlTriangle> triangles(size_t(triangleCount) + 1);
    GeometryBuffer geometry = {vertices.data(), triangles.data(), 0, 0, 0};
    EXPECT_TRUE(BuildPathFill(style, n, curves.data(), &curveBuffer, &bandBuffer, &geometry, &settings, nullptr));
    // The count is exact.
    EXPECT_EQ(static_cast<AttribStruct *>(geometry.vertexData), vertices.data() + vertexCount);
    EXPECT_EQ(static_cast<VorlTriangle *>(geometry.triangleData), triangles.data() + triangleCount);
    EXPECT_EQ(curveBuffer.cursorX, curveCursor[0]);
    EXPECT_EQ(curveBuffer.cursorY, curveCursor[1]);
    EXPECT_EQ(bandBuffer.cursorX, bandCursor[0]);
    EXPECT_EQ(bandBuffer.cursorY, bandCursor[1]);
    fill.vertices.assign(vertices.begin(), vertices.begin() + vertexCount);
    for (int32_t t = 0; t < triangleCount; ++t)
        fill.triangles.insert(fill.triangles.end(), triangles[size_t(t)].index, triangles[size_t(t)].index + 3);
    fill.color[0] = style.color.red;
    fill.color[1] = style.color.green;
    fill.color[2] = style.color.blue;
    fill.color[3] = style.color.alpha;
    return fill;
}

// Draws a built fill on GL and evaluates the C++ pixel stage over the same texels.
FillImages RenderFill(const BuiltFill &fill, const VorlTestView &view, uint32_t variant)
{
    FillImages images;
    std::string error;
    EXPECT_TRUE(StartGL(&error)) << error;
    EXPECT_GE(fill.vertices.size(), 3U);
    if (fill.vertices.size() < 3) return images;
    VorlDrawData data;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(fill.vertices.data());
    data.vertices.assign(bytes, bytes + sizeof(AttribStruct) * fill.vertices.size());
    data.triangles = fill.triangles;
    const bool floats = !fill.curveFloats.empty();
    const std::vector<uint32_t> &bandTexels = fill.bandTexels;
    data.curveWidth = kCurveWidth;
    data.curveHeight = kCurveHeight;
    data.curveFloat = floats;
    data.curveFloats = fill.curveFloats;
    data.curveHalves = fill.curveHalves;
    data.bandWidth = kBandWidth;
    data.bandHeight = kBandHeight;
    data.bandTexels = bandTexels;
    const double *m = view.pixelFromEm;
    for (int r = 0; r < 2; ++r)
    {
        double s = 2.0 / (r == 0 ? view.width : view.height);
        data.matrix[r][0] = float(m[r * 3] * s);
        data.matrix[r][1] = float(m[r * 3 + 1] * s);
        data.matrix[r][3] = float(m[r * 3 + 2] * s - 1.0);
    }
    data.matrix[3][3] = 1;
    EXPECT_TRUE(DrawVorlImage(GetVorlProgram(variant), data, kSize, kSize, &images.gl, &error)) << error;
    images.samples = data.samplesPassed;

    // The pixel stage over the same texels: em = jacobian (object - position) + em of vertex 0.
    const AttribStruct &v = fill.vertices[0];
    double objectFromPixel[6];
    view.EmFromPixel(objectFromPixel);
    const double j[4] = {v.jacobian[0], v.jacobian[1], v.jacobian[2], v.jacobian[3]};
    double emFromPixel[6];
    for (int r = 0; r < 2; ++r)
    {
        for (int c = 0; c < 3; ++c) emFromPixel[r * 3 + c] = j[r * 2] * objectFromPixel[c] + j[r * 2 + 1] * objectFromPixel[3 + c];
        emFromPixel[r * 3 + 2] += v.texcoord[r] - (j[r * 2] * v.position[0] + j[r * 2 + 1] * v.position[1]);
    }
    VorlTexelArrays arrays;
    arrays.curveHalves = fill.curveHalves.data();
    arrays.curveFloats = floats ? fill.curveFloats.data() : nullptr;
    arrays.curveWidth = kCurveWidth;
    arrays.curveHeight = kCurveHeight;
    arrays.band = bandTexels.data();
    arrays.bandWidth = kBandWidth;
    arrays.bandHeight = kBandHeight;
    images.cpu = RenderVorlImage(arrays, variant, emFromPixel, kSize, kSize, v.bandLocation, v.bandLimits, v.banding, fill.color);

    images.alpha.resize(size_t(kSize) * kSize);
    for (size_t i = 0; i < images.alpha.size(); ++i)
    {
        bool drawn = images.gl[i * 4 + 3] >= 0.0F;
        images.alpha[i] = drawn ? images.gl[i * 4 + 3] : 0.0F;
        if (!drawn) continue;
        for (size_t c = 0; c < 4; ++c)
            images.cpuError = std::max(images.cpuError, std::fabs(images.gl[i * 4 + c] - images.cpu[i * 4 + c]));
    }
    return images;
}

FillStyle WhiteFill(uint32_t rule)
{
    FillStyle style = {};
    ResetFillStyle(&style);
    style.color = {1, 1, 1, 1};
    style.rule = rule;
    return style;
}

// Builds a fixture in three settings and checks its renders under every view and in the linear
// variant against the pixel stage and the reference.
void CheckBuiltFixture(const VorlTestFixture &fixture)
{
    struct Setting
    {
        const char *name;
        PathFillSettings settings;
        uint32_t format;
    };
    const Setting settings[] = {
        {"quad", {16, 0, 1.0F}, kTexelFormatHalf4},
        {"polygon", {16, 6, 1.0F}, kTexelFormatHalf4},
        {"float texels, 4 bands", {4, 5, 1.0F}, kTexelFormatFloat4},
    };
    std::vector<ReferenceCurve> object = ToObject(fixture.curves);
    uint32_t rule = fixture.evenOdd ? kFillRuleEvenOdd : 0;
    for (const Setting &setting : settings)
    {
        SCOPED_TRACE(fixture.name + " " + setting.name);
        BuiltFill fill = BuildFill(object, WhiteFill(rule), setting.settings, setting.format);
        for (const VorlTestViewCase &emView : MakeVorlTestViews(fixture.width, fixture.height))
        {
            VorlTestView view = ObjectView(emView.view);
            std::vector<float> reference = RasterizeReference(object, view.pixelFromEm, kSize, kSize,
                fixture.evenOdd ? ReferenceFillRule::kEvenOdd : ReferenceFillRule::kNonZero);
            for (uint32_t linear : {0U, uint32_t(kShaderOptionLinear)})
            {
                SCOPED_TRACE(emView.name + (linear ? " linear" : ""));
                uint32_t variant = linear | (fixture.evenOdd ? uint32_t(kShaderOptionEvenOdd) : 0U);
                FillImages images = RenderFill(fill, view, variant);
                EXPECT_LE(images.cpuError, 1.0F / 255.0F);
                CoverageComparison r = CompareWithReference(images.alpha, reference, view, ObjectPoints(fixture.crossings));
                EXPECT_LE(r.interiorError, 1.0F / 255.0F);
                EXPECT_LE(r.edgeError, 0.25F);
                EXPECT_NEAR(r.ink, r.referenceInk, r.referenceInk * (fixture.name == "slash" ? 0.1 : 0.02));
            }
        }
    }
}

TEST(PathFillRenderGL, BuiltFillsMatchTheReference)
{
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures()) CheckBuiltFixture(fixture);
}

// Outline decomposition of a TrueType glyph into quadratic curves, in font units.
struct OutlineSink
{
    std::vector<ReferenceCurve> curves;
    double x = 0;
    double y = 0;
};

int MoveTo(const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    sink->x = double(to->x);
    sink->y = double(to->y);
    return 0;
}

int LineTo(const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    sink->curves.push_back({sink->x, sink->y, double(to->x), double(to->y), double(to->x), double(to->y)});
    return MoveTo(to, user);
}

int ConicTo(const FT_Vector *control, const FT_Vector *to, void *user)
{
    auto *sink = static_cast<OutlineSink *>(user);
    sink->curves.push_back({sink->x, sink->y, double(control->x), double(control->y), double(to->x), double(to->y)});
    return MoveTo(to, user);
}

int CubicTo(const FT_Vector *, const FT_Vector *, const FT_Vector *, void *)
{
    return 1;   // TrueType outlines have none
}

TEST(PathFillRenderGL, DejaVuSansGlyphs)
{
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face), 0);
    for (char32_t character : {U'g', U'@', U'Q', U'&', U'8', U'\u00E9'})
    {
        ASSERT_EQ(FT_Load_Char(face, FT_ULong(character), FT_LOAD_NO_SCALE), 0);
        OutlineSink sink;
        const FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
        ASSERT_EQ(FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink), 0);
        ASSERT_FALSE(sink.curves.empty());
        // In em units, moved so that the control box starts at (0, 0).
        const double unit = 1.0 / face->units_per_EM;
        double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
        for (const ReferenceCurve &c : sink.curves)
        {
            minX = std::min({minX, c.x0, c.x1, c.x2}), maxX = std::max({maxX, c.x0, c.x1, c.x2});
            minY = std::min({minY, c.y0, c.y1, c.y2}), maxY = std::max({maxY, c.y0, c.y1, c.y2});
        }
        VorlTestFixture fixture = {std::string("glyph U+") + std::to_string(uint32_t(character)), {}, float((maxX - minX) * unit),
                                   float((maxY - minY) * unit), false, {}};
        for (const ReferenceCurve &c : sink.curves)
            fixture.curves.push_back({(c.x0 - minX) * unit, (c.y0 - minY) * unit, (c.x1 - minX) * unit, (c.y1 - minY) * unit,
                                      (c.x2 - minX) * unit, (c.y2 - minY) * unit});
        // Sharp corners (turns above 60 degrees) are hard points, like the star's tips.
        for (const ReferenceCurve &a : fixture.curves)
            for (const ReferenceCurve &b : fixture.curves)
            {
                if (b.x0 != a.x2 || b.y0 != a.y2) continue;
                double ax = a.x2 - (a.x1 != a.x2 || a.y1 != a.y2 ? a.x1 : a.x0), ay = a.y2 - (a.x1 != a.x2 || a.y1 != a.y2 ? a.y1 : a.y0);
                double bx = (b.x1 != b.x0 || b.y1 != b.y0 ? b.x1 : b.x2) - b.x0, by = (b.x1 != b.x0 || b.y1 != b.y0 ? b.y1 : b.y2) - b.y0;
                double cosine = (ax * bx + ay * by) / std::sqrt((ax * ax + ay * ay) * (bx * bx + by * by));
                if (cosine < 0.5)
                {
                    fixture.crossings.push_back(a.x2);
                    fixture.crossings.push_back(a.y2);
                }
            }
        CheckBuiltFixture(fixture);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

// A bounding polygon shades fewer fragments than the box quad and still covers the shape (the
// renders above check the coverage).
TEST(PathFillRenderGL, BoundingPolygonsShadeFewerFragments)
{
    const PathFillSettings quad = {16, 0, 1.0F};
    const PathFillSettings polygon = {16, 6, 1.0F};
    for (const VorlTestFixture &fixture : MakeVorlTestFixtures())
    {
        SCOPED_TRACE(fixture.name);
        std::vector<ReferenceCurve> object = ToObject(fixture.curves);
        VorlTestView view = ObjectView(MakeVorlTestView(fixture.width, fixture.height, 56));
        uint32_t rule = fixture.evenOdd ? kFillRuleEvenOdd : 0;
        FillImages boxed = RenderFill(BuildFill(object, WhiteFill(rule), quad, kTexelFormatHalf4), view, 0);
        FillImages fitted = RenderFill(BuildFill(object, WhiteFill(rule), polygon, kTexelFormatHalf4), view, 0);
        EXPECT_LE(fitted.samples, boxed.samples);
        if (fixture.name == "triangle" || fixture.name == "circle" || fixture.name == "star")
        {
            EXPECT_LT(fitted.samples * 10, boxed.samples * 9);
        }
        std::printf("fragments %-12s quad %5u polygon %5u (%.0f%%)\n", fixture.name.c_str(), boxed.samples, fitted.samples,
                    100.0 * fitted.samples / std::max(boxed.samples, 1U));
    }
}

TEST(PathFillRenderGL, GradientsOfBuiltFills)
{
    struct Case
    {
        const char *name;
        uint32_t gradient;
        float expectedAtCentre[4];
    };
    const Case cases[] = {
        // t = (x - 5) / 40 across the square: half way at its centre.
        {"linear", kGradientLinear, {0.5F, 0, 0.5F, 1}},
        // t = distance from the centre / 20: the first colour at the centre.
        {"radial", kGradientRadial, {1, 0, 0, 1}},
    };
    std::vector<ReferenceCurve> square = ToObject(MakeSquareOutline(0, 0, 1, 1));
    VorlTestView view = ObjectView(MakeVorlTestView(1, 1, 48));
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        FillStyle style = WhiteFill(0);
        style.gradient = c.gradient;
        style.lineA = 1.0F / 40;
        style.lineB = 0;
        style.lineC = -5.0F / 40;
        style.centerX = 25;
        style.centerY = 27;
        style.radius = 20;
        style.gradientColor1 = {1, 0, 0, 1};
        style.gradientColor2 = {0, 0, 1, 1};
        BuiltFill fill = BuildFill(square, style, {8, 0, 1.0F}, kTexelFormatHalf4);
        ASSERT_FALSE(fill.vertices.empty());
        EXPECT_EQ(fill.vertices[0].bandLimits >> 29, c.gradient == kGradientLinear ? 1U : 2U);
        FillImages images = RenderFill(fill, view, kShaderOptionGradient);
        EXPECT_LE(images.cpuError, 1.0F / 255.0F);
        // The square's centre (32.37, 32.61) lies in pixel (32, 32), 0.13 px left of its centre.
        const float *centre = &images.gl[(32 * size_t(kSize) + 32) * 4];
        for (int32_t k = 0; k < 4; ++k) EXPECT_NEAR(centre[k], c.expectedAtCentre[k], 0.02F) << k;
    }
}

}   // namespace
}   // namespace oq::test
