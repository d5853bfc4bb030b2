// Glyphs of real fonts compiled by the font compiler and drawn through the Vorl shaders, against
// the reference rasterizer on the outlines FreeType decodes, placed the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include "../VorlFontTestSupport.h"
#include "FontTextDrawing.h"
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "base/TextUtils.h"
#include "gl/GLHarness.h"
#include "support/ReferenceRasterizer.h"
#include "support/TextRunStorage.h"
#include "support/VorlTestShape.h"
#include "vorlfont/compiler/VorlFontCommandLine.h"
#include "vorlfont/opentype/OpenTypeImporter.h"

namespace oq::test {
namespace {

// One glyph to draw, by the character that maps to it.
struct GlyphCase
{
    uint32_t codePoint;
    const char *what;
    bool shifted = false;   // the preparation moves the outline to its left side bearing
};

// A font compiled once with the glyphs of its cases.
struct FontCase
{
    const char *name;
    const char *path;
    uint32_t flags;
    std::vector<GlyphCase> glyphs;
};

void PrintTo(const FontCase &c, std::ostream *os) { *os << c.name; }

// The editor's switches (-no-poly -contours -math) and the defaults with contours.
constexpr uint32_t kEditorFlags = (kDefaultCompileFlags & ~kCompilePoly) | kCompileContours | kCompileMath;
constexpr uint32_t kPolygonFlags = kDefaultCompileFlags | kCompileContours;

const FontCase kFonts[] = {
    {"DejaVuSans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", kPolygonFlags,
     {{0x42, "B: two counters"},
      {0x67, "g: curves and a counter"},
      {0x26, "ampersand"},
      {0xC1, "Aacute: a composite"},
      {0xF6, "odieresis: a composite with a counter"},
      {0x2070, "superscript zero: its leftmost point lies a unit off its bearing", true}}},
    {"FreeSerif", "/usr/share/fonts/opentype/freefont/FreeSerif.otf", kEditorFlags,
     {{0x26, "ampersand: cubics"}, {0x67, "g: cubics and two counters"}, {0x51, "Q"}, {0x40, "at sign"}}},
    {"LatinModernMath", "/usr/share/texmf/fonts/opentype/public/lm-math/latinmodern-math.otf", kEditorFlags,
     {{0x2211, "summation"},
      {0x221A, "radical"},
      {0x222B, "integral"},
      {0x1D453, "mathematical italic f"},
      // The bearing is the left end of the curve; the leftmost quadratic control point lies 0.064 em
      // further left, and the outline stays where it is.
      {0x1D797, "sans-serif bold italic capital theta: control points left of its bearing"}}},
    // The whole shared collection imports (ten faces over 65,535 glyphs) and compiles to ten font
    // records; the text is drawn with the first.
    {"NotoSansCJK", "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", kPolygonFlags,
     {{0x6C38, "ideograph eternity"}, {0x570B, "ideograph country"}, {0x9F8D, "ideograph dragon"}}},
};

constexpr float kTextSizes[] = {24.0F, 96.0F};

// FreeType's outline as quadratic curves in ems; cubics split into 16 quadratics each.
struct OutlineWalk
{
    std::vector<ReferenceCurve> curves;
    double scale = 0.0;   // ems per font unit
    double x = 0.0, y = 0.0;
    std::vector<size_t> contourStarts;
};

int MoveTo(const FT_Vector *to, void *user)
{
    auto *walk = static_cast<OutlineWalk *>(user);
    walk->x = double(to->x) * walk->scale;
    walk->y = double(to->y) * walk->scale;
    walk->contourStarts.push_back(walk->curves.size());
    return 0;
}

int LineTo(const FT_Vector *to, void *user)
{
    auto *walk = static_cast<OutlineWalk *>(user);
    double x = double(to->x) * walk->scale, y = double(to->y) * walk->scale;
    walk->curves.push_back({walk->x, walk->y, (walk->x + x) * 0.5, (walk->y + y) * 0.5, x, y});
    walk->x = x;
    walk->y = y;
    return 0;
}

int ConicTo(const FT_Vector *control, const FT_Vector *to, void *user)
{
    auto *walk = static_cast<OutlineWalk *>(user);
    double x = double(to->x) * walk->scale, y = double(to->y) * walk->scale;
    walk->curves.push_back({walk->x, walk->y, double(control->x) * walk->scale, double(control->y) * walk->scale, x, y});
    walk->x = x;
    walk->y = y;
    return 0;
}

// Each sixteenth of the cubic becomes the quadratic through its ends whose control point is
// the mean of the ends plus h (D0 - D1) / 4; its error is far below a pixel's 1/255.
int CubicTo(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    auto *walk = static_cast<OutlineWalk *>(user);
    const double px[4] = {walk->x, double(c1->x) * walk->scale, double(c2->x) * walk->scale, double(to->x) * walk->scale};
    const double py[4] = {walk->y, double(c1->y) * walk->scale, double(c2->y) * walk->scale, double(to->y) * walk->scale};
    auto point = [](const double *p, double t) {
        double u = 1.0 - t;
        return u * u * u * p[0] + 3.0 * u * u * t * p[1] + 3.0 * u * t * t * p[2] + t * t * t * p[3];
    };
    auto slope = [](const double *p, double t) {
        double u = 1.0 - t;
        return 3.0 * (u * u * (p[1] - p[0]) + 2.0 * u * t * (p[2] - p[1]) + t * t * (p[3] - p[2]));
    };
    const int pieces = 16;
    const double h = 1.0 / pieces;
    for (int i = 0; i < pieces; ++i)
    {
        double t0 = i * h, t1 = (i + 1) * h;
        double x0 = point(px, t0), y0 = point(py, t0);
        double x1 = i + 1 == pieces ? px[3] : point(px, t1), y1 = i + 1 == pieces ? py[3] : point(py, t1);
        walk->curves.push_back({x0, y0, (x0 + x1) * 0.5 + h * (slope(px, t0) - slope(px, t1)) * 0.25,
                                (y0 + y1) * 0.5 + h * (slope(py, t0) - slope(py, t1)) * 0.25, x1, y1});
    }
    walk->x = px[3];
    walk->y = py[3];
    return 0;
}

// The unscaled, unhinted outline of the glyph in ems, its corners (x, y pairs: points where the
// direction turns by more than 30 degrees) and the smallest x of its points (control points
// included).
void LoadFreeTypeOutline(FT_Face face, uint32_t glyph, std::vector<ReferenceCurve> *curves, std::vector<double> *corners,
                         double *pointMinimumX)
{
    ASSERT_EQ(FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP), 0);
    const FT_Outline &outline = face->glyph->outline;
    ASSERT_GT(outline.n_points, 0);
    OutlineWalk walk;
    walk.scale = 1.0 / double(face->units_per_EM);
    const FT_Outline_Funcs funcs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    ASSERT_EQ(FT_Outline_Decompose(const_cast<FT_Outline *>(&outline), &funcs, &walk), 0);
    *curves = std::move(walk.curves);
    *pointMinimumX = INFINITY;
    for (int32_t i = 0; i < outline.n_points; ++i)
        *pointMinimumX = std::min(*pointMinimumX, double(outline.points[i].x) * walk.scale);

    corners->clear();
    walk.contourStarts.push_back(curves->size());
    for (size_t k = 0; k + 1 < walk.contourStarts.size(); ++k)
    {
        size_t first = walk.contourStarts[k], end = walk.contourStarts[k + 1];
        for (size_t i = first; i < end; ++i)
        {
            const ReferenceCurve &a = (*curves)[i];
            const ReferenceCurve &b = (*curves)[i + 1 < end ? i + 1 : first];
            double ax = a.x2 - a.x1, ay = a.y2 - a.y1, bx = b.x1 - b.x0, by = b.y1 - b.y0;
            double lengths = std::hypot(ax, ay) * std::hypot(bx, by);
            if (lengths > 0.0 && ax * bx + ay * by < std::cos(M_PI / 6.0) * lengths)
            {
                corners->push_back(a.x2);
                corners->push_back(a.y2);
            }
        }
    }
}

// The left side bearing of the glyph in ems, from 'hhea' and 'hmtx'.
double LeftSideBearing(FT_Face face, uint32_t glyph)
{
    FT_ULong hheaLength = 0, hmtxLength = 0;
    if (FT_Load_Sfnt_Table(face, FT_MAKE_TAG('h', 'h', 'e', 'a'), 0, nullptr, &hheaLength) != 0 ||
        FT_Load_Sfnt_Table(face, FT_MAKE_TAG('h', 'm', 't', 'x'), 0, nullptr, &hmtxLength) != 0)
        return NAN;
    std::vector<uint8_t> hhea(hheaLength), hmtx(hmtxLength);
    if (FT_Load_Sfnt_Table(face, FT_MAKE_TAG('h', 'h', 'e', 'a'), 0, hhea.data(), &hheaLength) != 0 ||
        FT_Load_Sfnt_Table(face, FT_MAKE_TAG('h', 'm', 't', 'x'), 0, hmtx.data(), &hmtxLength) != 0 || hheaLength < 36)
        return NAN;
    uint32_t longCount = uint32_t(hhea[34]) << 8 | hhea[35];
    size_t at = glyph < longCount ? size_t(glyph) * 4 + 2 : size_t(longCount) * 4 + size_t(glyph - longCount) * 2;
    if (at + 2 > hmtx.size()) return NAN;
    return double(int16_t(uint16_t(hmtx[at] << 8 | hmtx[at + 1]))) / double(face->units_per_EM);
}

// The smallest x of all points of the quadratics the import made for the glyph, before the
// preparation moved them, and the left edge of their curves.
struct CollectedLeft
{
    double point = INFINITY;
    double curve = INFINITY;
};

CollectedLeft CollectedMinimumX(const FontStructure *font, const GlyphStructure *glyph)
{
    Array<QuadraticBezier2D> curves;
    GeometryCollection collection{&curves, {}, 0, false};
    glyph->CollectGeometry(font, &collection);
    CollectedLeft left;
    for (const QuadraticBezier2D &q : curves)
    {
        left.point = std::min({left.point, double(q.p0.x), double(q.p1.x), double(q.p2.x)});
        left.curve = std::min(left.curve, double(q.GetBoundingBox().min.x));
    }
    return left;
}

// FreeType's own anti-aliased rendering of its outline moved by dx ems and placed by the view: a
// cross-check of the reference (it flattens curves, so it is no oracle). Row 0 at the bottom.
std::vector<float> RenderWithFreeType(FT_Library library, FT_Face face, double dx, const VorlTestView &view)
{
    std::vector<float> coverage;
    const FT_Outline &source = face->glyph->outline;
    FT_Outline placed;
    if (FT_Outline_New(library, FT_UInt(source.n_points), source.n_contours, &placed) != 0) return coverage;
    static_cast<void>(FT_Outline_Copy(&source, &placed));   // same sizes: cannot fail
    const double unit = 1.0 / double(face->units_per_EM);
    for (int32_t i = 0; i < placed.n_points; ++i)
    {
        double x = double(source.points[i].x) * unit + dx, y = double(source.points[i].y) * unit;
        placed.points[i].x = FT_Pos(std::lround((view.pixelFromEm[0] * x + view.pixelFromEm[2]) * 64.0));
        placed.points[i].y = FT_Pos(std::lround((view.pixelFromEm[4] * y + view.pixelFromEm[5]) * 64.0));
    }
    std::vector<uint8_t> pixels(size_t(view.width) * size_t(view.height), 0);
    FT_Bitmap bitmap = {};
    bitmap.rows = unsigned(view.height);
    bitmap.width = unsigned(view.width);
    bitmap.pitch = -view.width;   // bottom row first
    bitmap.buffer = pixels.data();
    bitmap.num_grays = 256;
    bitmap.pixel_mode = FT_PIXEL_MODE_GRAY;
    if (FT_Outline_Get_Bitmap(library, &placed, &bitmap) == 0)
        for (uint8_t p : pixels) coverage.push_back(float(p) / 255.0F);
    FT_Outline_Done(library, &placed);
    return coverage;
}

// A FreeType library with one face of a font file, released at the end of the scope.
struct FreeTypeFace
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    FreeTypeFace(const char *path, int32_t index)
    {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
        else if (FT_New_Face(library, path, index, &face) != 0) face = nullptr;
    }
    ~FreeTypeFace()
    {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
    FreeTypeFace(const FreeTypeFace &) = delete;
    FreeTypeFace &operator=(const FreeTypeFace &) = delete;
};

class RealFontRenderGL : public testing::TestWithParam<FontCase>
{
};

// Each glyph drawn at each size matches the reference on FreeType's outline: within 1/255 one
// pixel or more from an edge, within 0.25 on edge pixels, total ink within 2%.
TEST_P(RealFontRenderGL, CompiledGlyphsMatchFreeTypeOutlines)
{
    const FontCase &fontCase = GetParam();
    std::string error;
    ASSERT_TRUE(StartGL(&error)) << error;

    std::string file = ReadWholeFile(fontCase.path);
    ASSERT_FALSE(file.empty()) << fontCase.path;
    AmbrelDocument document;
    ASSERT_EQ(ImportOpenTypeFont(file.data(), file.size(), &document), 0u);
    std::vector<uint32_t> codePoints;
    for (const GlyphCase &g : fontCase.glyphs) codePoints.push_back(g.codePoint);
    std::vector<uint8_t> bytes;
    {
        FontCompiler compiler(&document, fontCase.flags, int32_t(codePoints.size()), codePoints.data());
        OutputSink sink(AppendToBytes, &bytes);
        ASSERT_EQ(compiler.CompileAndWrite(&sink, nullptr, 0), 0u);
    }
    ExpectReadableFontFile(bytes);
    LoadedVorlFont font(bytes);
    ASSERT_TRUE(font.valid);

    // The face that maps the characters (the first member of a shared collection) and the Font
    // holding the glyphs.
    const FontStructure *top = document.fontList.GetFirst();
    ASSERT_NE(top, nullptr);
    const FontStructure *face = top->memberFonts.GetFirst() != nullptr ? top->memberFonts.GetFirst() : top;
    const FontStructure *glyphFont = face->GetGlyphFont();

    FreeTypeFace freeType(fontCase.path, 0);
    ASSERT_NE(freeType.face, nullptr);
    FT_Face ftFace = freeType.face;
    FT_ULong glyfLength = 0;
    const bool trueType = FT_Load_Sfnt_Table(ftFace, FT_MAKE_TAG('g', 'l', 'y', 'f'), 0, nullptr, &glyfLength) == 0;

    for (const GlyphCase &g : fontCase.glyphs)
    {
        SCOPED_TRACE(std::string(fontCase.name) + ": " + g.what);
        uint32_t index = FT_Get_Char_Index(ftFace, g.codePoint);
        ASSERT_NE(index, 0u);
        const CharacterTable *table = face->FindCharacterTable(g.codePoint);
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(uint32_t(table->Get(g.codePoint)), index);
        const GlyphStructure *glyph = glyphFont->GetGlyph(index);
        ASSERT_NE(glyph, nullptr);

        std::vector<ReferenceCurve> outline;
        std::vector<double> corners;
        double freeTypeMinimumX = 0.0;
        LoadFreeTypeOutline(ftFace, index, &outline, &corners, &freeTypeMinimumX);
        if (HasFatalFailure()) break;

        // Placement: FreeType moves a TrueType outline by its header box, so it is put back at the
        // imported points (the same points); then the preparation's rule moves an outline onto a
        // positive left side bearing by the nearer of its leftmost point and its curves' left edge.
        const CollectedLeft imported = CollectedMinimumX(glyphFont, glyph);
        double dx = trueType ? imported.point - freeTypeMinimumX : 0.0;
        const double bearing = LeftSideBearing(ftFace, index);
        ASSERT_TRUE(std::isfinite(bearing));
        double shift = bearing - imported.point;
        if (std::fabs(bearing - imported.curve) < std::fabs(shift)) shift = bearing - imported.curve;
        const bool moves = bearing > 0.0 && std::fabs(shift) >= 1.0 / 4096.0;
        if (moves) dx += shift;
        EXPECT_EQ(moves, g.shifted) << "shift " << shift << " em";
        double minimumX = INFINITY, maximumX = -INFINITY, minimumY = INFINITY, maximumY = -INFINITY;
        for (ReferenceCurve &c : outline)
        {
            c.x0 += dx;
            c.x1 += dx;
            c.x2 += dx;
            minimumX = std::min({minimumX, c.x0, c.x1, c.x2});
            maximumX = std::max({maximumX, c.x0, c.x1, c.x2});
            minimumY = std::min({minimumY, c.y0, c.y1, c.y2});
            maximumY = std::max({maximumY, c.y0, c.y1, c.y2});
        }

        for (size_t i = 0; i < corners.size(); i += 2) corners[i] += dx;
        char text[8] = {};
        EncodeUtf8(text, g.codePoint);
        for (float size : kTextSizes)
        {
            SCOPED_TRACE("size " + std::to_string(int32_t(size)));
            // The box 3.37 px from the left and 3.61 px from the top (object space is y down).
            const float pen[2] = {float(3.37 - minimumX * size), float(3.61 + maximumY * size)};
            const int32_t width = int32_t(std::ceil((maximumX - minimumX) * size + 7.0));
            const int32_t height = int32_t(std::ceil((maximumY - minimumY) * size + 7.0));
            std::vector<float> alpha;
            DrawFontText(font, text, size, pen, 0, -1, width, height, &alpha);
            if (HasFatalFailure()) break;

            const VorlTestView view = {{size, 0, pen[0], 0, size, height - pen[1]}, width, height};
            std::vector<float> reference = RasterizeReference(outline, view.pixelFromEm, width, height, ReferenceFillRule::kNonZero);
            CoverageComparison r = CompareWithReference(alpha, reference, view, corners);
            EXPECT_LE(r.interiorError, 1.0F / 255.0F);
            EXPECT_LE(r.edgeError, 0.25F);
            // At corners the shaders' coverage is off by up to about 0.27 (right angles of ideographs).
            CoverageComparison whole = CompareWithReference(alpha, reference, view, {});
            EXPECT_LE(whole.edgeError, 0.3F);
            EXPECT_GT(r.referenceInk, size * size * 0.05);
            EXPECT_NEAR(r.ink, r.referenceInk, r.referenceInk * 0.02);

            std::vector<float> freeTypeImage = RenderWithFreeType(freeType.library, ftFace, dx, view);
            ASSERT_EQ(freeTypeImage.size(), reference.size());
            CoverageComparison check = CompareWithReference(freeTypeImage, reference, view, {});
            EXPECT_LE(check.edgeError, 0.25F) << "FreeType's rendering";
            EXPECT_NEAR(check.ink, check.referenceInk, check.referenceInk * 0.03) << "FreeType's rendering";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fonts, RealFontRenderGL, testing::ValuesIn(kFonts),
                         [](const testing::TestParamInfo<FontCase> &info) { return std::string(info.param.name); });

}   // namespace
}   // namespace oq::test
