#pragma once

// cairo pictures of the items a graphics compile makes of a document, drawn from the document's
// own curves (quadratics as exact cubics), and the comparison of composed colour images.

#include "AmbrelTestSupport.h"
#include "GraphicsCompileSupport.h"
#include "ambrel/CompileGeometry.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace oq::test {

// Document space (y up) to an image of width x height pixels (row 0 at the top):
// pixel x = (x - x0) k, pixel y = (y1 - y) k.
struct DrawingView
{
    double x0;
    double y1;
    double k;
    int width;
    int height;

    void PixelCentre(int i, int j, double *x, double *y) const
    {
        *x = x0 + (i + 0.5) / k;
        *y = y1 - (j + 0.5) / k;
    }
};

// One drawn item: its coverage (0 to 255 per pixel) and its colour, linear.
struct ReferenceItem
{
    std::vector<uint8_t> mask;
    float color[3];
};

inline void AddContourPath(cairo_t *cr, const QuadraticBezier2D *curves, int32_t count)
{
    cairo_move_to(cr, curves[0].p0.x, curves[0].p0.y);
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        double c1x = c.p0.x + 2.0 / 3.0 * (double(c.p1.x) - c.p0.x);
        double c1y = c.p0.y + 2.0 / 3.0 * (double(c.p1.y) - c.p0.y);
        double c2x = c.p2.x + 2.0 / 3.0 * (double(c.p1.x) - c.p2.x);
        double c2y = c.p2.y + 2.0 / 3.0 * (double(c.p1.y) - c.p2.y);
        cairo_curve_to(cr, c1x, c1y, c2x, c2y, c.p2.x, c.p2.y);
    }
}

// Fills (fill true) or strokes one geometry into an A8 mask.
inline std::vector<uint8_t> DrawGeometry(const GeometryStructure *g, const DrawingView &view, bool fill, bool evenOdd)
{
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_A8, view.width, view.height);
    cairo_t *cr = cairo_create(surface);
    cairo_matrix_t m;
    cairo_matrix_init(&m, view.k, 0, 0, -view.k, -view.x0 * view.k, view.y1 * view.k);
    cairo_set_matrix(cr, &m);
    int32_t start = 0;
    for (const ContourRecord &contour : g->contours)
    {
        const QuadraticBezier2D *curves = g->curves.GetElements() + start;
        if (fill)
        {
            AddContourPath(cr, curves, contour.curveCount);
            cairo_close_path(cr);
        }
        else
        {
            int32_t count = contour.curveCount - contour.closingCurveAdded;
            if (count > 0)
            {
                AddContourPath(cr, curves, count);
                if (contour.closed) cairo_close_path(cr);
            }
        }
        start += contour.curveCount;
    }
    if (fill)
    {
        cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_fill(cr);
    }
    else
    {
        const StrokeStyle &s = g->strokeStructure->strokeStyle;
        cairo_set_line_width(cr, g->strokeStructure->strokeWidth);
        cairo_set_line_cap(cr, s.cap == kStrokeCapRound ? CAIRO_LINE_CAP_ROUND
                               : s.cap == kStrokeCapSquare ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT);
        // Joins other than round ("miter" included) are bevels, which the stroke builders mitre
        // up to the miter limit, as cairo's miter join does.
        cairo_set_line_join(cr, s.join == kStrokeJoinRound ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
        cairo_set_miter_limit(cr, s.miterLimit);
        cairo_stroke(cr);
    }
    cairo_surface_flush(surface);
    std::vector<uint8_t> mask(size_t(view.width) * size_t(view.height));
    const uint8_t *data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int j = 0; j < view.height; ++j) std::memcpy(&mask[size_t(j) * size_t(view.width)], data + j * stride, size_t(view.width));
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return mask;
}

// The items in the compile's order: per geometry in pre-order its fill, then (icons) its stroke.
// The canvas compile fills with the non-zero rule and draws no strokes.
inline std::vector<ReferenceItem> DrawReferenceItems(AmbrelDocument *document, const DrawingView &view, CompileKind kind)
{
    std::vector<ReferenceItem> items;
    KettricStructure *root = document->GetRootStructure();
    for (TreeBase *node = root->GetNextTreeNode(root); node != nullptr;)
    {
        auto *s = static_cast<KettricStructure *>(node);
        if (s->GetBaseStructureType() != kAmbrelGeometryBase)
        {
            node = root->GetNextTreeNode(node);
            continue;
        }
        auto *g = static_cast<GeometryStructure *>(s);
        if (g->curves.GetElementCount() != 0)
        {
            if (g->fillStructure != nullptr)
            {
                const FillStyle &f = g->fillStructure->fillStyle;
                bool evenOdd = kind == CompileKind::kIcon && f.rule == kFillRuleEvenOdd;
                items.push_back({DrawGeometry(g, view, true, evenOdd), {f.color.red, f.color.green, f.color.blue}});
            }
            if (g->strokeStructure != nullptr && kind == CompileKind::kIcon)
            {
                const ColorRGBA &c = g->strokeStructure->strokeStyle.color;
                items.push_back({DrawGeometry(g, view, false, false), {c.red, c.green, c.blue}});
            }
        }
        node = root->GetNextLevelTreeNode(node);
    }
    return items;
}

// A composed colour image: for every pixel the colour of the last item that covers it, or -1.
struct ComposedImage
{
    int width = 0;
    int height = 0;
    std::vector<float> rgb;   // three per pixel, -1 where nothing covers
};

// The reference composition (items count at 50% coverage) and the pixels to leave out: those
// within one pixel of an edge of any item.
inline ComposedImage ComposeReference(const std::vector<ReferenceItem> &items, const DrawingView &view,
                                      std::vector<bool> *edge)
{
    ComposedImage image{view.width, view.height, std::vector<float>(size_t(view.width * view.height) * 3, -1.0f)};
    edge->assign(size_t(view.width * view.height), false);
    for (const ReferenceItem &item : items)
    {
        for (int j = 0; j < view.height; ++j)
        {
            for (int i = 0; i < view.width; ++i)
            {
                size_t p = size_t(j * view.width + i);
                if (item.mask[p] >= 128) std::copy(item.color, item.color + 3, &image.rgb[p * 3]);
                bool any = false;
                bool all = true;
                for (int dj = -1; dj <= 1; ++dj)
                {
                    for (int di = -1; di <= 1; ++di)
                    {
                        int x = std::clamp(i + di, 0, view.width - 1);
                        int y = std::clamp(j + dj, 0, view.height - 1);
                        uint8_t v = item.mask[size_t(y * view.width + x)];
                        any = any || v != 0;
                        all = all && v == 255;
                    }
                }
                if (any && !all) (*edge)[p] = true;
            }
        }
    }
    return image;
}

// Counts the pixels off the edges whose colours differ by more than the tolerance; the first few
// are described in the report.
inline int CompareComposed(const ComposedImage &a, const ComposedImage &reference, const std::vector<bool> &edge,
                           float tolerance, std::string *report)
{
    int differing = 0;
    for (int j = 0; j < a.height; ++j)
    {
        for (int i = 0; i < a.width; ++i)
        {
            size_t p = size_t(j * a.width + i);
            if (edge[p]) continue;
            bool same = true;
            for (int c = 0; c < 3; ++c) same = same && std::fabs(a.rgb[p * 3 + c] - reference.rgb[p * 3 + c]) <= tolerance;
            if (same) continue;
            if (++differing <= 5)
            {
                *report += "pixel (" + std::to_string(i) + ", " + std::to_string(j) + "): " + std::to_string(a.rgb[p * 3]) + " " +
                           std::to_string(a.rgb[p * 3 + 1]) + " " + std::to_string(a.rgb[p * 3 + 2]) + " vs " +
                           std::to_string(reference.rgb[p * 3]) + " " + std::to_string(reference.rgb[p * 3 + 1]) + " " +
                           std::to_string(reference.rgb[p * 3 + 2]) + "\n";
            }
        }
    }
    return differing;
}

// A drawing of fills (both rules, curves, holes) and strokes (curved, mitred, bevelled, closed) in
// one Layer over a 32 x 32 canvas.
inline constexpr const char kRenderFixture[] = R"(Canvas {Range {float[2] {{0, 32}, {0, 32}}}}
Layer
{
	Circle {Fill {Color {float[3] {{1, 0, 0}}}} Radius {float {9}} float[2] {{12, 14}}}
	Path
	{
		Fill (rule = "evenodd") {Color {float[3] {{0, 0.5, 1}}}}
		float[2]* {Z{16, 6}, L{30, 6}, {30, 24}, {16, 24}}
		float[2]* {Z{19, 10}, L{27, 10}, {27, 20}, {19, 20}}
	}
	Group
	{
		Opacity {float {0.5}}
		Line {Stroke (join = "miter") {float {1.5} Color {float[3] {{0, 1, 0}}}} float[2] {{2, 29}, {16, 22}, {30, 29}}}
	}
	Path {Stroke {float {1.25} Color {float[3] {{1, 1, 0}}}} float[2]* {M{3, 3}, Q{16, 16}, {29, 3}}}
	Rect {Fill {Color {float[3] {{0.2, 0.2, 0.2}}}} Stroke {float {1} Color {float[3] {{1, 0, 1}}}} float[2] {{21, 25}, {30, 30}}}
	Polygon {Fill {Color {float[3] {{0, 1, 1}}}} float[2] {{2, 16}, {8, 30}, {12, 18}}}
	Line {Stroke (miter = 1.05) {float {1} Color {float[3] {{1, 0.5, 0}}}} float[2] {{3, 8}, {9, 12}, {3, 16}}}
}
)";

}  // namespace oq::test
