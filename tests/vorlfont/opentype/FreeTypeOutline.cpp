#include "FreeTypeOutline.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

namespace oq::test {

namespace {

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// The walk of FT_Outline_Decompose: the measure and the pen.
struct FreeTypeWalk
{
    OutlineMeasure measure;
    FT_Vector current{};
};

// Points come shifted by 6 bits, so that implied on-curve midpoints are exact.
Point2D ToPoint(const FT_Vector *v) { return Point2D(float(v->x) / 64.0f, float(v->y) / 64.0f); }

int WalkMove(const FT_Vector *to, void *user)
{
    static_cast<FreeTypeWalk *>(user)->current = *to;
    return 0;
}

int WalkLine(const FT_Vector *to, void *user)
{
    auto *walk = static_cast<FreeTypeWalk *>(user);
    walk->measure.AddQuadratic(QuadraticBezier2D(ToPoint(&walk->current), ToPoint(to), ToPoint(to)));
    walk->current = *to;
    return 0;
}

int WalkConic(const FT_Vector *control, const FT_Vector *to, void *user)
{
    auto *walk = static_cast<FreeTypeWalk *>(user);
    walk->measure.AddQuadratic(QuadraticBezier2D(ToPoint(&walk->current), ToPoint(control), ToPoint(to)));
    walk->current = *to;
    return 0;
}

int WalkCubic(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    auto *walk = static_cast<FreeTypeWalk *>(user);
    walk->measure.AddCubic(CubicBezier2D(ToPoint(&walk->current), ToPoint(c1), ToPoint(c2), ToPoint(to)));
    walk->current = *to;
    return 0;
}

}  // namespace

void OutlineMeasure::Include(const Box2D &box)
{
    minX = std::min(minX, double(box.min.x));
    minY = std::min(minY, double(box.min.y));
    maxX = std::max(maxX, double(box.max.x));
    maxY = std::max(maxY, double(box.max.y));
}

void OutlineMeasure::AddQuadratic(const QuadraticBezier2D &q)
{
    area += (2.0 * (Cross(q.p0.x, q.p0.y, q.p1.x, q.p1.y) + Cross(q.p1.x, q.p1.y, q.p2.x, q.p2.y)) +
             Cross(q.p0.x, q.p0.y, q.p2.x, q.p2.y)) / 6.0;
    Include(q.GetBoundingBox());
}

void OutlineMeasure::AddCubic(const CubicBezier2D &c)
{
    const Point2D p[4] = {c.p0, c.p1, c.p2, c.p3};
    double sum = 6.0 * Cross(p[0].x, p[0].y, p[1].x, p[1].y) + 3.0 * Cross(p[0].x, p[0].y, p[2].x, p[2].y) +
                 Cross(p[0].x, p[0].y, p[3].x, p[3].y) + 3.0 * Cross(p[1].x, p[1].y, p[2].x, p[2].y) +
                 3.0 * Cross(p[1].x, p[1].y, p[3].x, p[3].y) + 6.0 * Cross(p[2].x, p[2].y, p[3].x, p[3].y);
    area += sum / 20.0;
    Include(c.GetBoundingBox());
}

FreeTypeFont::FreeTypeFont(const char *path, int32_t faceIndex)
{
    if (FT_Init_FreeType(&library) != 0)
    {
        library = nullptr;
        return;
    }
    if (FT_New_Face(library, path, faceIndex, &face) != 0) face = nullptr;
}

FreeTypeFont::~FreeTypeFont()
{
    if (face != nullptr) FT_Done_Face(face);
    if (library != nullptr) FT_Done_FreeType(library);
}

bool MeasureFreeTypeGlyph(FT_Face face, uint32_t glyph, int32_t minimumPoints, OutlineMeasure *measure)
{
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) return false;
    const FT_Outline &outline = face->glyph->outline;

    // Only the contours our readers keep.
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> ends;
    int32_t first = 0;
    for (int32_t c = 0; c < outline.n_contours; ++c)
    {
        int32_t end = outline.contours[c];
        if (end - first + 1 >= minimumPoints)
        {
            points.insert(points.end(), outline.points + first, outline.points + end + 1);
            tags.insert(tags.end(), outline.tags + first, outline.tags + end + 1);
            ends.push_back(short(points.size() - 1));
        }
        first = end + 1;
    }
    FT_Outline kept = outline;
    kept.n_points = short(points.size());
    kept.n_contours = short(ends.size());
    kept.points = points.data();
    kept.tags = tags.data();
    kept.contours = ends.data();
    FreeTypeWalk walk;
    walk.measure.contours = kept.n_contours;
    const FT_Outline_Funcs funcs = {WalkMove, WalkLine, WalkConic, WalkCubic, 6, 0};
    if (FT_Outline_Decompose(&kept, &funcs, &walk) != 0) return false;
    *measure = walk.measure;
    return true;
}

OutlineMeasure MeasureQuadratics(const QuadraticBezier2D *curves, int32_t count, double scale)
{
    OutlineMeasure measure;
    auto scaled = [scale](const Point2D &p) { return Point2D(float(p.x * scale), float(p.y * scale)); };
    bool startsContour = true;
    Point2D contourStart;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &q = curves[i];
        if (startsContour)
        {
            ++measure.contours;
            contourStart = q.p0;
        }
        measure.AddQuadratic(QuadraticBezier2D(scaled(q.p0), scaled(q.p1), scaled(q.p2)));
        // A contour's first curve never closes it: a single quadratic encloses nothing, and a
        // short first curve may end on the start once rounded to half floats.
        startsContour = !startsContour && q.p2.x == contourStart.x && q.p2.y == contourStart.y;
    }
    return measure;
}

FontBytes LoadSfntTable(FT_Face face, uint32_t tag, std::vector<uint8_t> *storage)
{
    FT_ULong length = 0;
    if (FT_Load_Sfnt_Table(face, tag, 0, nullptr, &length) != 0) return FontBytes();
    storage->resize(length);
    if (FT_Load_Sfnt_Table(face, tag, 0, storage->data(), &length) != 0) return FontBytes();
    return FontBytes{storage->data(), length};
}

}  // namespace oq::test
