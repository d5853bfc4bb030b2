#pragma once

// Every glyph of one font face as closed quadratic contours in em units, read unscaled and unhinted
// with FreeType (cubics split by ConvertCubicToQuadratics at 1/1024 em): real outlines for the
// bounding polygon test and benchmark. Header-only, so that only its users link FreeType.

#include "base/Bezier.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <vector>

namespace oq::test {

// The curves of one glyph as FreeType's outline walk hands them over.
struct GlyphQuadraticSink
{
    float scale = 1.0f;
    Point2D start, pen;
    bool open = false;
    std::vector<QuadraticBezier2D> curves;

    Point2D Map(const FT_Vector *v) const { return Point2D(float(v->x) * scale, float(v->y) * scale); }

    // A closing line where a contour does not end at its start.
    void Close()
    {
        if (open && (pen.x != start.x || pen.y != start.y))
            curves.emplace_back(pen, start, start);
        open = false;
    }

    static int MoveTo(const FT_Vector *to, void *user)
    {
        auto *sink = static_cast<GlyphQuadraticSink *>(user);
        sink->Close();
        sink->start = sink->pen = sink->Map(to);
        sink->open = true;
        return 0;
    }

    static int LineTo(const FT_Vector *to, void *user)
    {
        auto *sink = static_cast<GlyphQuadraticSink *>(user);
        Point2D p = sink->Map(to);
        sink->curves.emplace_back(sink->pen, p, p);
        sink->pen = p;
        return 0;
    }

    static int ConicTo(const FT_Vector *control, const FT_Vector *to, void *user)
    {
        auto *sink = static_cast<GlyphQuadraticSink *>(user);
        Point2D p = sink->Map(to);
        sink->curves.emplace_back(sink->pen, sink->Map(control), p);
        sink->pen = p;
        return 0;
    }

    static int CubicTo(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
    {
        auto *sink = static_cast<GlyphQuadraticSink *>(user);
        CubicBezier2D cubic;
        cubic.p0 = sink->pen;
        cubic.p1 = sink->Map(c1);
        cubic.p2 = sink->Map(c2);
        cubic.p3 = sink->Map(to);
        QuadraticBezier2D pieces[kMaxCubicQuadratics];
        int32_t n = ConvertCubicToQuadratics(cubic, 1.0f / 1024.0f, pieces);
        sink->curves.insert(sink->curves.end(), pieces, pieces + n);
        sink->pen = cubic.p3;
        return 0;
    }
};

// One curve list per glyph of face 0 (empty for a glyph FreeType cannot load); none when the file
// does not open.
inline std::vector<std::vector<QuadraticBezier2D>> ReadGlyphQuadratics(const char *path)
{
    std::vector<std::vector<QuadraticBezier2D>> glyphs;
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return glyphs;
    FT_Face face;
    if (FT_New_Face(library, path, 0, &face) == 0)
    {
        const FT_Outline_Funcs funcs = {GlyphQuadraticSink::MoveTo, GlyphQuadraticSink::LineTo,
                                        GlyphQuadraticSink::ConicTo, GlyphQuadraticSink::CubicTo, 0, 0};
        for (FT_Long g = 0; g < face->num_glyphs; ++g)
        {
            GlyphQuadraticSink sink;
            sink.scale = 1.0f / float(face->units_per_EM);
            if (FT_Load_Glyph(face, FT_UInt(g), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
                FT_Outline_Decompose(&face->glyph->outline, &funcs, &sink) == 0)
                sink.Close();
            glyphs.push_back(std::move(sink.curves));
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return glyphs;
}

}  // namespace oq::test
