// Version-1 colour glyphs: paint graphs into Paint, Gradient, matrix and Color structures.
#include "ambrel/AttachmentStructures.h"
#include "ambrel/ColorStructures.h"
#include "ambrel/FontStructure.h"
#include "ambrel/GlyphStructure.h"
#include "ambrel/MatrixStructures.h"
#include "ambrel/ParameterStructures.h"
#include "base/Color.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/OpenTypeImporter.h"
#include "vorlfont/opentype/SfntFile.h"

#include <algorithm>
#include <cmath>

namespace oq {

namespace {


void AppendFloatList(KettricStructure *owner, int32_t arraySize, const float *values, int32_t count)
{
    auto *list = new KettricFloatList(arraySize);
    owner->AppendSubnode(list);
    list->SetElementCount(count);
    for (int32_t i = 0; i < count; ++i) (*list)[i] = values[i];
}

float F2Dot14(const FontBytes &colr, uint64_t offset)
{
    return float(colr.GetInt16(offset)) / 16384.0f;
}

float Fixed(const FontBytes &colr, uint64_t offset)
{
    return float(int32_t(colr.GetUInt32(offset))) / 65536.0f;
}

uint64_t GetOffset24(const FontBytes &colr, uint64_t offset)
{
    return uint64_t(colr.GetUInt8(offset)) << 16 | colr.GetUInt16(offset + 1);
}

bool HasColorStops(const FontBytes &colr, uint64_t line)
{
    return colr.GetUInt16(line + 1) != 0 && colr.Contains(line + 3, 6);
}

}  // namespace

uint32_t ReadColorLine(KettricStructure *gradient, const FontBytes &colr, uint64_t line, const ColorPalettes &palettes)
{
    auto *stop = new StopStructure;
    gradient->AppendSubnode(stop);
    uint32_t extend = colr.GetUInt8(line);
    if (extend == 1) stop->extensionMode = "repeat";
    else if (extend == 2) stop->extensionMode = "mirror";
    uint32_t stopCount = colr.GetUInt16(line + 1);
    auto *offsets = new KettricFloatList(0);
    stop->AppendSubnode(offsets);
    auto *color = new ColorStructure(0);
    gradient->AppendSubnode(color);
    auto *colors = new KettricFloatList(4);
    color->AppendSubnode(colors);
    for (uint32_t i = 0; i < stopCount; ++i)
    {
        uint64_t record = line + 3 + 6 * uint64_t(i);
        if (!colr.Contains(record, 6)) break;
        float position = F2Dot14(colr, record);
        uint32_t entry = colr.GetUInt16(record + 2);
        float alpha = std::clamp(F2Dot14(colr, record + 4), 0.0f, 1.0f);
        // Colours are linear: the palette's sRGB bytes go through the sRGB curve; alpha is linear.
        float rgba[4] = {0.0f, 0.0f, 0.0f, alpha};
        if (entry < palettes.entryCount)
        {
            const uint8_t *source = &palettes.colors[int32_t(4 * entry)];
            for (int c = 0; c < 3; ++c) rgba[c] = kSrgbByteToLinear[source[c]];
            rgba[3] = float(source[3]) * (alpha / 255.0f);
        }
        offsets->AppendValues(&position, 1);
        colors->AppendValues(rgba, 4);
    }
    return 0;
}

uint32_t ColorPaintReader::Convert(KettricStructure *parent, uint64_t paint, int32_t depth)
{
    if (depth > kMaxPaintDepth || ++visitCount > kMaxPaintVisits) return kResultCorrupt;
    if (paint >= colr.size) return kResultCorrupt;
    uint32_t format = colr.GetUInt8(paint);
    float s = scale;
    auto child = [&](uint64_t at, KettricStructure *owner) -> uint32_t {
        return Convert(owner, paint + GetOffset24(colr, at), depth + 1);
    };
    // A colour line without a stop inside the table would make a Gradient without colours, which
    // does not resolve and fails the whole import: such a gradient paints nothing.
    uint64_t line = CheckedChild(paint, paint + 1);
    if ((format == 4 || format == 6 || format == 8) && !HasColorStops(colr, line)) return 0;
    switch (format)
    {
        case 1:
        {
            uint32_t layerCount = colr.GetUInt8(paint + 1);
            uint64_t first = colr.GetUInt32(paint + 2);
            if (first + layerCount > uint64_t(colr.GetUInt32(layerList)) || layerList == 0) return kResultCorrupt;
            for (uint32_t i = 0; i < layerCount; ++i)
            {
                uint64_t at = layerList + 4 + 4 * (first + i);
                if (!colr.Contains(at, 4)) return kResultCorrupt;
                if (uint32_t result = Convert(parent, layerList + colr.GetUInt32(at), depth + 1)) return result;
            }
            return 0;
        }
        case 2:
        {
            uint32_t entry = colr.GetUInt16(paint + 1);
            float alpha = std::clamp(F2Dot14(colr, paint + 3), 0.0f, 1.0f);
            uint8_t rgba[4] = {0, 0, 0, uint8_t(255.0f * alpha)};
            if (entry < palettes.entryCount)
            {
                const uint8_t *source = &palettes.colors[int32_t(4 * entry)];
                rgba[0] = source[0];
                rgba[1] = source[1];
                rgba[2] = source[2];
                rgba[3] = uint8_t(float(source[3]) * alpha);
            }
            auto *color = new ColorStructure(0);
            parent->AppendSubnode(color);
            auto *list = new KettricUInt8List(4);
            color->AppendSubnode(list);
            list->AppendValues(rgba, 4);
            return 0;
        }
        case 4:
        {
            float p[6];
            for (int i = 0; i < 6; ++i) p[i] = float(colr.GetInt16(paint + 4 + 2 * uint64_t(i))) * s;
            // t runs from p0 to p1 projected onto the line through p0 perpendicular to p0p2.
            double dx = p[2] - p[0], dy = p[3] - p[1];
            double ux = -(p[5] - p[1]), uy = p[4] - p[0];
            double uu = ux * ux + uy * uy;
            if (uu > 0.0)
            {
                double k = (dx * ux + dy * uy) / uu;
                dx = ux * k;
                dy = uy * k;
            }
            double dd = dx * dx + dy * dy;
            float abc[3] = {0.0f, 0.0f, 0.0f};
            if (dd > 0.0)
            {
                abc[0] = float(dx / dd);
                abc[1] = float(dy / dd);
                abc[2] = float(-(dx * p[0] + dy * p[1]) / dd);
            }
            auto *gradient = new GradientStructure("linear");
            parent->AppendSubnode(gradient);
            AppendFloatList(gradient, 3, abc, 3);
            return ReadColorLine(gradient, colr, line, palettes);
        }
        case 6:
        {
            float c[4] = {float(colr.GetInt16(paint + 4)) * s, float(colr.GetInt16(paint + 6)) * s,
                          float(colr.GetInt16(paint + 10)) * s, float(colr.GetInt16(paint + 12)) * s};
            float r0 = float(colr.GetUInt16(paint + 8)) * s, r1 = float(colr.GetUInt16(paint + 14)) * s;
            auto *gradient = new GradientStructure("radial");
            parent->AppendSubnode(gradient);
            AppendFloatList(gradient, 2, c, (c[0] == c[2] && c[1] == c[3]) ? 2 : 4);
            auto *radius = new RadiusStructure;
            gradient->AppendSubnode(radius);
            float radii[2] = {r0, r1};
            if (r0 == 0.0f) AppendFloatList(radius, 0, &r1, 1);
            else AppendFloatList(radius, 0, radii, 2);
            return ReadColorLine(gradient, colr, line, palettes);
        }
        case 8:
        {
            float centre[2] = {float(colr.GetInt16(paint + 4)) * s, float(colr.GetInt16(paint + 6)) * s};
            float angles[2] = {F2Dot14(colr, paint + 8) * 180.0f + 180.0f, F2Dot14(colr, paint + 10) * 180.0f + 180.0f};
            auto *gradient = new GradientStructure("sweep");
            parent->AppendSubnode(gradient);
            AppendFloatList(gradient, 2, centre, 2);
            auto *angle = new AngleStructure;
            gradient->AppendSubnode(angle);
            AppendFloatList(angle, 2, angles, 2);
            return ReadColorLine(gradient, colr, line, palettes);
        }
        case 10:
        case 11:
        {
            uint32_t glyph = colr.GetUInt16(paint + (format == 10 ? 4 : 1));
            // A glyph past the glyph count is passed over with its child.
            if (glyph >= glyphCount) return 0;
            auto *structure = new PaintStructure;
            parent->AppendSubnode(structure);
            KettricStructure *holder = structure;
            if (format == 11)
            {
                holder = new ComponentStructure;
                structure->AppendSubnode(holder);
            }
            uint32_t value = glyph;
            auto *list = new KettricUInt32List(0);
            holder->AppendSubnode(list);
            list->AppendValues(&value, 1);
            return format == 10 ? child(paint + 1, structure) : 0;
        }
        case 32:
        {
            auto *composite = new PaintStructure;
            parent->AppendSubnode(composite);
            auto *backdrop = new PaintStructure;
            composite->AppendSubnode(backdrop);
            if (uint32_t result = child(paint + 5, backdrop)) return result;
            auto *source = new PaintStructure;
            source->compositeMode = colr.GetUInt8(paint + 4);
            composite->AppendSubnode(source);
            return child(paint + 1, source);
        }
        default:
            break;
    }
    if (format < 12 || format > 30 || format % 2 != 0) return 0;

    // Matrix paints: the matrix beside what the child then makes.
    float m[6] = {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f};
    KettricStructure *matrix = nullptr;
    float v[2] = {0.0f, 0.0f};
    auto a = [&](uint64_t at) { return F2Dot14(colr, paint + at); };
    auto f = [&](uint64_t at) { return float(colr.GetInt16(paint + at)) * s; };
    switch (format)
    {
        case 12:
        {
            uint64_t affine = CheckedChild(paint, paint + 4);
            if (affine >= colr.size) return kResultCorrupt;
            for (int i = 0; i < 6; ++i) m[i] = Fixed(colr, affine + 4 * uint64_t(i)) * (i >= 4 ? s : 1.0f);
            break;
        }
        case 14:
            v[0] = f(4), v[1] = f(6);
            matrix = new TranslationStructure;
            break;
        case 16:
        case 20:
            v[0] = a(4), v[1] = format == 16 ? a(6) : a(4);
            matrix = new ScaleStructure;
            break;
        case 18:
            m[0] = a(4), m[3] = a(6), m[4] = (1.0f - m[0]) * f(8), m[5] = (1.0f - m[3]) * f(10);
            break;
        case 22:
            m[0] = m[3] = a(4), m[4] = f(6) * (1.0f - m[0]), m[5] = f(8) * (1.0f - m[0]);
            break;
        case 24:
            v[0] = a(4) * 180.0f;
            matrix = new RotationStructure;
            break;
        case 26:
        {
            double angle = double(a(4)) * kPi;
            float c = float(std::cos(angle)), n = float(std::sin(angle)), cx = f(6), cy = f(8);
            m[0] = c, m[1] = n, m[2] = -n, m[3] = c, m[4] = cx - cx * c + n * cy, m[5] = cy - n * cx - cy * c;
            break;
        }
        case 28:
        case 30:
        {
            float tx = float(std::tan(double(a(4)) * kPi)), ty = float(std::tan(double(a(6)) * kPi));
            m[1] = ty, m[2] = -tx;
            if (format == 30) m[4] = tx * f(10), m[5] = -ty * f(8);
            break;
        }
        default:
            return 0;
    }
    if (matrix == nullptr)
    {
        matrix = new TransformStructure;
        AppendFloatList(matrix, 6, m, 6);
    }
    else
    {
        AppendFloatList(matrix, format == 24 ? 0 : 2, v, format == 24 ? 1 : 2);
    }
    parent->AppendSubnode(matrix);
    return child(paint + 1, parent);
}

uint64_t ColorPaintReader::CheckedChild(uint64_t paint, uint64_t at) const
{
    uint64_t target = paint + GetOffset24(colr, at);
    return target < colr.size ? target : colr.size;
}

uint32_t OpenTypeImporter::ReadColorPaints(const FontBytes &colr, FontStructure *glyphFont,
                                           const ColorPalettes &palettes)
{
    if (colr.GetUInt16(0) == 0) return 0;
    uint64_t baseList = colr.GetUInt32(14);
    if (baseList == 0) return 0;
    if (baseList >= colr.size) return kResultCorrupt;
    int32_t count = int32_t(colr.GetUInt32(baseList));
    if (count <= 0) return 0;
    ColorPaintReader reader{colr, palettes, colr.GetUInt32(18), glyphFont->inverseUnitsPerEm, glyphFont->glyphCount};
    if (reader.layerList >= colr.size) return kResultCorrupt;
    for (int32_t i = 0; i < count; ++i)
    {
        uint64_t record = baseList + 4 + 6 * uint64_t(i);
        if (!colr.Contains(record, 6)) return kResultCorrupt;
        uint32_t glyph = colr.GetUInt16(record);
        if (glyph >= glyphFont->glyphCount || glyph >= glyphFont->glyphTableSize) return kResultCorrupt;
        if (uint32_t result = reader.Convert(glyphFont->glyphTable[glyph]->GetEmoji(), baseList + colr.GetUInt32(record + 2), 0))
        {
            return result;
        }
    }
    return 0;
}

}  // namespace oq
