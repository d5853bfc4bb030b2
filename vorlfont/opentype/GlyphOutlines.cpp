#include "vorlfont/opentype/GlyphOutlines.h"

#include "ambrel/AttachmentStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GeometryStructures.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MatrixStructures.h"
#include "vorlfont/opentype/CffFont.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <cstdlib>

namespace oq {

namespace {

bool SamePoint(const Point2D &a, const Point2D &b) { return a.x == b.x && a.y == b.y; }
bool SameVector(const Vector2D &a, const Vector2D &b) { return a.x == b.x && a.y == b.y; }

Point2D Midpoint(const Point2D &a, const Point2D &b) { return Point2D((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f); }

// The points and states of the contour being written, kept from one contour to the next.
struct ContourScratch
{
    Array<float> values;
    Array<uint32_t> states;
};

ContourScratch &GetContourScratch()
{
    static thread_local ContourScratch scratch;
    return scratch;
}

// Writes one contour of a Path as a float[2] list with states, merging straight runs into H and V
// corners and writing smooth joins as T and S. The contour is gathered in scratch arrays (one
// writer at a time) and becomes the Path's list when the writer goes, in one block of its size:
// a list grown point by point frees a block at every growth, and the allocator's cost of those
// freed blocks led the import of large fonts.
class PathContourWriter
{
public:
    PathContourWriter(PathStructure *path, const Point2D &start)
        : path(path), values(GetContourScratch().values), states(GetContourScratch().states), current(start)
    {
        values.SetElementCount(0);
        states.SetElementCount(0);
        Write(start, kPathClose);
    }

    ~PathContourWriter()
    {
        auto *list = new KettricFloatList(2, true);
        // Reserved at the final count first (a list's storage does not shrink).
        list->SetElementCount(values.GetElementCount());
        list->SetElementCount(0);
        for (int32_t i = 0; i < states.GetElementCount(); ++i) list->AppendValues(&values[2 * i], 2, states[i]);
        path->AppendSubnode(list);
    }

    PathContourWriter(const PathContourWriter &) = delete;
    PathContourWriter &operator=(const PathContourWriter &) = delete;

    const Point2D &GetCurrent() const { return current; }

    void Line(const Point2D &p)
    {
        if (horizontal && p.x == current.x)
        {
            Replace(p, kPathHorizontalCorner);
        }
        else if (vertical && p.y == current.y)
        {
            Replace(p, kPathVerticalCorner);
        }
        else
        {
            horizontal = p.y == current.y;
            vertical = p.x == current.x;
            lastLine = states.GetElementCount();
            Write(p, kPathLine);
        }
        reflection = Vector2D(0.0f, 0.0f);
        current = p;
    }

    void Quadratic(const Point2D &q, const Point2D &e)
    {
        if (SameVector(q - current, reflection)) Write(e, kPathSmoothQuadratic);
        else
        {
            Write(q, kPathQuadratic);
            Write(e, kPathQuadratic);
        }
        reflection = e - q;
        horizontal = vertical = false;
        current = e;
    }

    void Cubic(const Point2D &p1, const Point2D &p2, const Point2D &p3)
    {
        if (SameVector(p1 - current, reflection))
        {
            Write(p2, kPathSmoothCubic);
            Write(p3, kPathSmoothCubic);
        }
        else
        {
            Write(p1, kPathCubic);
            Write(p2, kPathCubic);
            Write(p3, kPathCubic);
        }
        reflection = p3 - p2;
        horizontal = vertical = false;
        current = p3;
    }

private:
    void Write(const Point2D &p, uint32_t state)
    {
        values.AddElement(p.x);
        values.AddElement(p.y);
        states.AddElement(state);
    }

    // The last L becomes a corner ending at p; both straight flags clear.
    void Replace(const Point2D &p, uint32_t state)
    {
        states[lastLine] = state;
        values[lastLine * 2] = p.x;
        values[lastLine * 2 + 1] = p.y;
        horizontal = vertical = false;
    }

    PathStructure *path;
    Array<float> &values;
    Array<uint32_t> &states;
    Point2D current;
    Vector2D reflection = Vector2D(0.0f, 0.0f);
    bool horizontal = false;
    bool vertical = false;
    int32_t lastLine = 0;
};

void AppendFloatData(AmbrelStructure *structure, const float *values, int32_t count)
{
    auto *list = new KettricFloatList(count, false);
    list->AppendValues(values, count);
    structure->AppendSubnode(list);
}

}  // namespace

uint32_t ConvertSimpleGlyph(GlyfOutlineReader *reader, uint32_t glyphIndex, GlyphStructure *glyph)
{
    Array<GlyfPoint> points;
    int64_t n = reader->DecodeGlyfOutline(glyphIndex, &points);
    if (n < 0) return kResultCorrupt;
    auto *path = new PathStructure;
    glyph->AppendSubnode(path);

    const GlyfPoint *p = points.GetElements();
    for (int32_t first = 0; first < int32_t(n);)
    {
        int32_t m = std::abs(p[first].link);
        const GlyfPoint *contour = p + first;
        first += m;
        if (m < 3) continue;

        auto at = [contour](int32_t i) { return Point2D(contour[i].x, contour[i].y); };
        bool firstOn = contour[0].link > 0;
        bool lastOn = contour[m - 1].link > 0;
        Point2D start = firstOn ? at(0) : lastOn ? at(m - 1) : Midpoint(at(0), at(m - 1));
        PathContourWriter writer(path, start);
        Point2D control = at(0);
        bool previousOff = !firstOn;
        for (int32_t i = 1; i < m; ++i)
        {
            Point2D q = at(i);
            if (contour[i].link < 0)
            {
                if (previousOff)
                {
                    Point2D mid = Midpoint(control, q);
                    if (!SamePoint(mid, writer.GetCurrent())) writer.Quadratic(control, mid);
                }
                control = q;
                previousOff = true;
                continue;
            }
            if (!SamePoint(q, writer.GetCurrent()))
            {
                if (previousOff) writer.Quadratic(control, q);
                else writer.Line(q);
            }
            previousOff = false;
        }
        if (!firstOn && !lastOn)
        {
            Point2D mid = Midpoint(at(m - 1), at(0));
            if (!SamePoint(mid, writer.GetCurrent())) writer.Quadratic(at(m - 1), mid);
        }
        else if (firstOn && !lastOn && !SamePoint(writer.GetCurrent(), at(0)))
        {
            writer.Quadratic(at(m - 1), at(0));
        }
    }
    return 0;
}

uint32_t ConvertCompositeGlyph(GlyfOutlineReader *reader, uint32_t glyphIndex, GlyphStructure *glyph)
{
    if (reader->CountGlyfPoints(glyphIndex) < 0) return kResultCorrupt;
    Array<GlyfPoint> points;
    Array<uint32_t> glyphs;
    Array<GlyfComponentTransform> transforms;
    (void)reader->DecodeGlyfOutline(glyphIndex, &points, &glyphs, &transforms);

    KettricUInt32List *open = nullptr;
    for (int32_t i = 0; i < glyphs.GetElementCount(); ++i)
    {
        const GlyfComponentTransform &t = transforms[i];
        bool identity = t.xscale == 1.0f && t.yscale == 1.0f && t.scale01 == 0.0f && t.scale10 == 0.0f;
        bool offset = t.dx != 0.0f || t.dy != 0.0f;
        AmbrelStructure *matrix = nullptr;
        if (!identity)
        {
            matrix = new TransformStructure;
            const float values[6] = {t.xscale, t.scale01, t.scale10, t.yscale, t.dx, t.dy};
            AppendFloatData(matrix, values, offset ? 6 : 4);
        }
        else if (offset)
        {
            matrix = new TranslationStructure;
            const float values[2] = {t.dx, t.dy};
            AppendFloatData(matrix, values, 2);
        }
        if (open == nullptr || matrix != nullptr)
        {
            auto *component = new ComponentStructure;
            glyph->AppendSubnode(component);
            if (matrix != nullptr) component->AppendSubnode(matrix);
            open = new KettricUInt32List;
            component->AppendSubnode(open);
        }
        const uint32_t index = glyphs[i];
        open->AppendValues(&index, 1);
        if (matrix != nullptr) open = nullptr;
    }
    return 0;
}

void ConvertCffGlyph(const Array<CubicBezier2D> &segments, GlyphStructure *glyph)
{
    if (segments.GetElementCount() == 0) return;
    auto *path = new PathStructure;
    glyph->AppendSubnode(path);
    PathContourWriter *writer = nullptr;
    Point2D start;
    for (const CubicBezier2D &s : segments)
    {
        if (writer == nullptr)
        {
            writer = new PathContourWriter(path, s.p0);
            start = s.p0;
        }
        if (!SamePoint(s.p1, s.p3) || !SamePoint(s.p2, s.p3)) writer->Cubic(s.p1, s.p2, s.p3);
        else if (!SamePoint(s.p3, start) && !SamePoint(s.p3, writer->GetCurrent())) writer->Line(s.p3);
        if (SamePoint(s.p3, start))
        {
            delete writer;
            writer = nullptr;
        }
    }
    delete writer;
}

uint32_t OpenTypeImporter::ReadOutlines(uint64_t offsetTable, FontStructure *glyphFont)
{
    uint32_t glyphCount = glyphFont->glyphCount;
    float scale = 1.0f / header.unitsPerEm;
    FontBytes glyf;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'glyf', &glyf)) return result;
    if (glyf.IsPresent())
    {
        FontBytes loca;
        if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'loca', &loca)) return result;
        if (!loca.IsPresent()) return kResultMissingLoca;
        GlyfOutlineReader reader;
        if (uint32_t result = reader.Open(glyf, loca, header.head.GetInt16(50), glyphCount, scale)) return result;
        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            if (reader.CountGlyfPoints(g) < 0) return kResultCorrupt;
        }
        for (uint32_t g = 0; g < glyphCount; ++g)
        {
            int32_t contours = reader.GetContourCount(g);
            GlyphStructure *glyph = glyphFont->GetGlyph(g);
            if (contours == 0 || glyph == nullptr) continue;
            uint32_t result = contours < 0 ? ConvertCompositeGlyph(&reader, g, glyph) : ConvertSimpleGlyph(&reader, g, glyph);
            if (result != 0) return result;
        }
        return 0;
    }

    FontBytes cff;
    if (uint32_t result = FindSfntTable(fileImage, offsetTable, 'CFF ', &cff)) return result;
    if (!cff.IsPresent()) return kResultMissingOutlines;
    auto *font = new CffFont;
    uint32_t result = OpenCffFont(cff, glyphCount, font);
    if (result == 0)
    {
        CffCharstringDecoder decoder(font->globalSubrs);
        Array<CubicBezier2D> segments;
        for (uint32_t g = 0; g < glyphCount && result == 0; ++g)
        {
            result = DecodeCffGlyph(*font, &decoder, g, &segments);
            GlyphStructure *glyph = glyphFont->GetGlyph(g);
            if (result == 0 && glyph != nullptr) ConvertCffGlyph(segments, glyph);
        }
    }
    delete font;
    return result;
}

}  // namespace oq
