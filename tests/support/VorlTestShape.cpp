#include "support/VorlTestShape.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Half.h"

namespace oq::test {

namespace {

void PutHalves(std::vector<uint16_t> &texels, int32_t index, float a, float b, float c, float d)
{
    FloatToHalf(&texels[size_t(index) * 4], a);
    FloatToHalf(&texels[size_t(index) * 4 + 1], b);
    FloatToHalf(&texels[size_t(index) * 4 + 2], c);
    FloatToHalf(&texels[size_t(index) * 4 + 3], d);
}

}   // namespace

VorlTexelArrays VorlTestShape::Textures() const
{
    VorlTexelArrays arrays;
    arrays.curveHalves = curveHalves.data();
    arrays.curveWidth = curveWidth;
    arrays.curveHeight = curveHeight;
    arrays.band = bandTexels.data();
    arrays.bandWidth = bandWidth;
    arrays.bandHeight = bandHeight;
    return arrays;
}

VorlTestShape BuildVorlTestShape(const std::vector<ReferenceCurve> &curves, float width, float height, int32_t bandsX,
                                 int32_t bandsY, uint32_t flags, const VorlTestGradient *gradient)
{
    return BuildVorlTestLayers({{curves, {0, 0, 0}}}, width, height, bandsX, bandsY, flags, gradient);
}

VorlTestShape BuildVorlTestLayers(const std::vector<VorlTestLayer> &layers, float width, float height, int32_t bandsX,
                                  int32_t bandsY, uint32_t flags, const VorlTestGradient *gradient)
{
    VorlTestShape shape;
    shape.width = width;
    shape.height = height;
    std::vector<ReferenceCurve> curves;
    for (const VorlTestLayer &layer : layers) curves.insert(curves.end(), layer.curves.begin(), layer.curves.end());
    const int32_t n = int32_t(curves.size());
    const bool hasPaint = gradient && gradient->type != 0;

    // Curve texels: two per curve, 32 curves a row; the paint texels on a row of their own.
    const int32_t perRow = shape.curveWidth / 2;
    const int32_t curveRows = (n + perRow - 1) / perRow;
    shape.curveHeight = curveRows + 1;
    shape.curveHalves.assign(size_t(shape.curveWidth) * size_t(shape.curveHeight) * 4, 0);
    std::vector<uint32_t> location(static_cast<size_t>(n));
    bool straight = true;
    for (int32_t i = 0; i < n; ++i)
    {
        const ReferenceCurve &c = curves[size_t(i)];
        int32_t texel = (i / perRow) * shape.curveWidth + (i % perRow) * 2;
        PutHalves(shape.curveHalves, texel, float(c.x0), float(c.y0), float(c.x1), float(c.y1));
        PutHalves(shape.curveHalves, texel + 1, float(c.x2), float(c.y2), 0, 0);
        location[size_t(i)] = uint32_t(texel % shape.curveWidth) | uint32_t(texel / shape.curveWidth) << 16;
        if (c.x1 != c.x2 || c.y1 != c.y2) straight = false;
    }
    if (hasPaint)
    {
        int32_t texel = curveRows * shape.curveWidth;
        PutHalves(shape.curveHalves, texel, gradient->geometry[0], gradient->geometry[1], gradient->geometry[2], 0);
        const float *c1 = gradient->color1;
        const float *c2 = gradient->color2;
        PutHalves(shape.curveHalves, texel + 1, c1[0], c1[1], c1[2], c1[3]);
        PutHalves(shape.curveHalves, texel + 2, c2[0], c2[1], c2[2], c2[3]);
    }

    // Several layers: a layer header first, (count, 0) and per layer its band data and colour.
    std::vector<uint32_t> texels;
    const bool layered = layers.size() > 1;
    if (layered) texels.resize(1 + 2 * layers.size());
    if (layered) texels[0] = uint32_t(layers.size());

    int32_t first = 0;
    uint32_t dataLocation = 0;
    for (size_t l = 0; l < layers.size(); ++l)
    {
        // Band lists: horizontal bands along y, then vertical bands along x.
        const int32_t count = int32_t(layers[l].curves.size());
        std::vector<std::vector<int32_t>> lists;
        for (int32_t axis = 0; axis < 2; ++axis)
        {
            int32_t bands = axis == 0 ? bandsY : bandsX;
            double extent = axis == 0 ? height : width;
            for (int32_t b = 0; b < bands; ++b)
            {
                double low = extent * b / bands - 1.0 / 1024;
                double high = extent * (b + 1) / bands + 1.0 / 1024;
                std::vector<int32_t> members;
                for (int32_t i = first; i < first + count; ++i)
                {
                    const ReferenceCurve &c = curves[size_t(i)];
                    double a0 = axis == 0 ? c.y0 : c.x0, a1 = axis == 0 ? c.y1 : c.x1, a2 = axis == 0 ? c.y2 : c.x2;
                    double lo = std::min({a0, a1, a2}), hi = std::max({a0, a1, a2});
                    if (hi > lo && hi >= low && lo <= high) members.push_back(i);
                }
                auto key = [&](int32_t i) {
                    const ReferenceCurve &c = curves[size_t(i)];
                    return axis == 0 ? std::max({c.x0, c.x1, c.x2}) : std::max({c.y0, c.y1, c.y2});
                };
                std::stable_sort(members.begin(), members.end(), [&](int32_t a, int32_t b) { return key(a) > key(b); });
                lists.push_back(members);
            }
        }
        first += count;

        // Band texels: paint texel, headers, then each list in one row.
        if (hasPaint) texels.push_back(uint32_t(curveRows) << 16);
        const int32_t start = int32_t(texels.size());
        texels.resize(size_t(start + bandsX + bandsY));
        int32_t cursor = start + bandsX + bandsY;
        for (size_t b = 0; b < lists.size(); ++b)
        {
            int32_t size = int32_t(lists[b].size());
            if (cursor % shape.bandWidth + size > shape.bandWidth) cursor = (cursor / shape.bandWidth + 1) * shape.bandWidth;
            texels[size_t(start) + b] = uint32_t(size) | uint32_t(cursor - start) << 16;
            texels.resize(size_t(cursor + size));
            for (int32_t k = 0; k < size; ++k) texels[size_t(cursor + k)] = location[size_t(lists[b][size_t(k)])];
            cursor += size;
        }
        dataLocation = uint32_t(start % shape.bandWidth) | uint32_t(start / shape.bandWidth) << 16;
        if (layered)
        {
            const uint8_t *rgb = layers[l].color;
            texels[1 + 2 * l] = dataLocation;
            texels[2 + 2 * l] = uint32_t(rgb[0]) | uint32_t(rgb[1]) << 8 | uint32_t(rgb[2]) << 16;
        }
    }
    shape.bandHeight = int32_t((texels.size() + size_t(shape.bandWidth) - 1) / size_t(shape.bandWidth));
    texels.resize(size_t(shape.bandHeight * shape.bandWidth));
    shape.bandTexels = texels;

    uint32_t shapeFlags = flags | (straight ? 1U : 0U) | (gradient ? gradient->type << 5 : 0U);
    shape.locationWord = layered ? 0 : dataLocation;
    shape.limitWord = uint32_t(bandsX - 1) | uint32_t(bandsY - 1) << 16 | shapeFlags << 24;
    shape.banding[0] = float(bandsX) / width;
    shape.banding[1] = float(bandsY) / height;
    return shape;
}

std::vector<ReferenceCurve> MakeSquareOutline(double x0, double y0, double x1, double y1, bool clockwise)
{
    if (clockwise) return MakePolygonOutline({x0, y0, x0, y1, x1, y1, x1, y0});
    return MakePolygonOutline({x0, y0, x1, y0, x1, y1, x0, y1});
}

std::vector<ReferenceCurve> MakePolygonOutline(const std::vector<double> &p)
{
    std::vector<ReferenceCurve> curves;
    size_t count = p.size() / 2;
    for (size_t i = 0; i < count; ++i)
    {
        size_t j = (i + 1) % count;
        curves.push_back({p[2 * i], p[2 * i + 1], p[2 * j], p[2 * j + 1], p[2 * j], p[2 * j + 1]});
    }
    return curves;
}

std::vector<ReferenceCurve> MakeCircleOutline(double cx, double cy, double r, bool clockwise)
{
    // Eight arcs of 45 degrees, each a quadratic through the arc's ends with the tangents' crossing.
    std::vector<ReferenceCurve> curves;
    const double step = (clockwise ? -1.0 : 1.0) * M_PI / 4;
    const double control = r / std::cos(M_PI / 8);
    for (int i = 0; i < 8; ++i)
    {
        double a0 = i * step, a1 = (i + 1) * step, am = (i + 0.5) * step;
        curves.push_back({cx + r * std::cos(a0), cy + r * std::sin(a0), cx + control * std::cos(am),
                          cy + control * std::sin(am), cx + r * std::cos(a1), cy + r * std::sin(a1)});
    }
    curves.back().x2 = curves.front().x0;
    curves.back().y2 = curves.front().y0;
    return curves;
}

std::vector<ReferenceCurve> MakeRoundedRectOutline(double x0, double y0, double x1, double y1, double r)
{
    const double k = r;   // quarter arcs as one quadratic each, control at the corner
    return {
        {x0 + k, y0, x1 - k, y0, x1 - k, y0},   {x1 - k, y0, x1, y0, x1, y0 + k},
        {x1, y0 + k, x1, y1 - k, x1, y1 - k},   {x1, y1 - k, x1, y1, x1 - k, y1},
        {x1 - k, y1, x0 + k, y1, x0 + k, y1},   {x0 + k, y1, x0, y1, x0, y1 - k},
        {x0, y1 - k, x0, y0 + k, x0, y0 + k},   {x0, y0 + k, x0, y0, x0 + k, y0},
    };
}

}   // namespace oq::test

namespace oq::test {

void VorlTestView::EmFromPixel(double out[6]) const
{
    const double *m = pixelFromEm;
    double det = m[0] * m[4] - m[1] * m[3];
    out[0] = m[4] / det;
    out[1] = -m[1] / det;
    out[3] = -m[3] / det;
    out[4] = m[0] / det;
    out[2] = -(out[0] * m[2] + out[1] * m[5]);
    out[5] = -(out[3] * m[2] + out[4] * m[5]);
}

VorlTestQuad MakeVorlTestQuad(const VorlTestShape &shape, const VorlTestView &view, const uint8_t color[4])
{
    constexpr float kObjectScale = 10.0F;
    VorlTestQuad quad = {};
    const float corners[4][2] = {{0, 0}, {shape.width, 0}, {0, shape.height}, {shape.width, shape.height}};
    const float normals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i)
    {
        float record[17] = {corners[i][0] * kObjectScale, corners[i][1] * kObjectScale, normals[i][0], normals[i][1],
                            corners[i][0], corners[i][1], 0, 0,
                            1.0F / kObjectScale, 0, 0, 1.0F / kObjectScale,
                            shape.banding[0], shape.banding[1], shape.banding[2], shape.banding[3], 0};
        std::memcpy(&record[6], &shape.locationWord, 4);
        std::memcpy(&record[7], &shape.limitWord, 4);
        std::memcpy(&record[16], color, 4);
        const uint8_t *bytes = reinterpret_cast<const uint8_t *>(record);
        quad.vertices.insert(quad.vertices.end(), bytes, bytes + sizeof(record));
    }
    quad.triangles = {0, 2, 1, 1, 2, 3};
    // Object to pixel is the view scaled down by the object scale; pixel to clip is 2 p / size - 1.
    const double *m = view.pixelFromEm;
    const double sx = 2.0 / view.width, sy = 2.0 / view.height;
    const double rows[2][3] = {{m[0] / kObjectScale, m[1] / kObjectScale, m[2]}, {m[3] / kObjectScale, m[4] / kObjectScale, m[5]}};
    for (int r = 0; r < 2; ++r)
    {
        double s = r == 0 ? sx : sy;
        quad.matrix[r][0] = float(rows[r][0] * s);
        quad.matrix[r][1] = float(rows[r][1] * s);
        quad.matrix[r][2] = 0;
        quad.matrix[r][3] = float(rows[r][2] * s - 1.0);
    }
    quad.matrix[3][3] = 1;
    return quad;
}

CoverageComparison CompareWithReference(const std::vector<float> &coverage, const std::vector<float> &reference,
                                        int32_t width, int32_t height)
{
    VorlTestView view = {{1, 0, 0, 0, 1, 0}, width, height};
    return CompareWithReference(coverage, reference, view, {});
}

CoverageComparison CompareWithReference(const std::vector<float> &coverage, const std::vector<float> &reference,
                                        const VorlTestView &view, const std::vector<double> &skipped)
{
    const int32_t width = view.width, height = view.height;
    const double *m = view.pixelFromEm;
    CoverageComparison result;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
        {
            size_t index = size_t(y) * size_t(width) + size_t(x);
            float value = reference[index];
            bool interior = value == 0.0F || value == 1.0F;
            for (int32_t dy = -1; dy <= 1 && interior; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx)
                {
                    int32_t nx = std::clamp(x + dx, 0, width - 1), ny = std::clamp(y + dy, 0, height - 1);
                    if (reference[size_t(ny) * size_t(width) + size_t(nx)] != value) interior = false;
                }
            float error = std::fabs(coverage[index] - value);
            bool near = false;
            for (size_t i = 0; i + 1 < skipped.size(); i += 2)
            {
                double px = m[0] * skipped[i] + m[1] * skipped[i + 1] + m[2] - (x + 0.5);
                double py = m[3] * skipped[i] + m[4] * skipped[i + 1] + m[5] - (y + 0.5);
                if (px * px + py * py < 1.5 * 1.5) near = true;
            }
            if (interior) result.interiorError = std::max(result.interiorError, error);
            else if (!near) result.edgeError = std::max(result.edgeError, error);
            result.ink += coverage[index];
            result.referenceInk += value;
        }
    return result;
}

}   // namespace oq::test
