#include "support/ReferenceRasterizer.h"

#include <algorithm>
#include <cmath>

namespace oq::test {

namespace {

constexpr int kSamples = 16;

// A piece of a curve on which y rises or falls strictly, between parameters ta and tb.
struct MonotonePiece
{
    ReferenceCurve curve;
    double ta, tb;
    double ya, yb;
};

double CurveX(const ReferenceCurve &c, double t)
{
    double u = 1.0 - t;
    return u * u * c.x0 + 2.0 * t * u * c.x1 + t * t * c.x2;
}

double CurveY(const ReferenceCurve &c, double t)
{
    double u = 1.0 - t;
    return u * u * c.y0 + 2.0 * t * u * c.y1 + t * t * c.y2;
}

void AddPiece(std::vector<MonotonePiece> &pieces, const ReferenceCurve &c, double ta, double tb)
{
    double ya = CurveY(c, ta);
    double yb = CurveY(c, tb);
    if (ta == 0.0) ya = c.y0;
    if (tb == 1.0) yb = c.y2;
    if (ya != yb) pieces.push_back({c, ta, tb, ya, yb});
}

// The parameter in [ta, tb] where the piece reaches height y.
double SolvePiece(const MonotonePiece &p, double y)
{
    const ReferenceCurve &c = p.curve;
    double a = c.y0 - 2.0 * c.y1 + c.y2;
    double b = 2.0 * (c.y1 - c.y0);
    double k = c.y0 - y;
    double roots[2];
    int count = 0;
    if (std::fabs(a) < 1e-12 * (std::fabs(b) + 1e-300))
    {
        roots[count++] = -k / b;
    }
    else
    {
        double d = std::sqrt(std::max(b * b - 4.0 * a * k, 0.0));
        double q = -0.5 * (b + (b >= 0.0 ? d : -d));
        roots[count++] = q / a;
        if (q != 0.0) roots[count++] = k / q;
    }
    double best = roots[0];
    double bestDistance = INFINITY;
    for (int i = 0; i < count; ++i)
    {
        double t = roots[i];
        double distance = t < p.ta ? p.ta - t : (t > p.tb ? t - p.tb : 0.0);
        if (distance < bestDistance)
        {
            bestDistance = distance;
            best = std::clamp(t, p.ta, p.tb);
        }
    }
    return best;
}

}   // namespace

std::vector<float> RasterizeReference(const std::vector<ReferenceCurve> &curves, const double t[6], int width, int height,
                                      ReferenceFillRule rule)
{
    std::vector<MonotonePiece> pieces;
    for (const ReferenceCurve &source : curves)
    {
        ReferenceCurve c = {t[0] * source.x0 + t[1] * source.y0 + t[2], t[3] * source.x0 + t[4] * source.y0 + t[5],
                            t[0] * source.x1 + t[1] * source.y1 + t[2], t[3] * source.x1 + t[4] * source.y1 + t[5],
                            t[0] * source.x2 + t[1] * source.y2 + t[2], t[3] * source.x2 + t[4] * source.y2 + t[5]};
        double denominator = c.y0 - 2.0 * c.y1 + c.y2;
        double extremum = denominator != 0.0 ? (c.y0 - c.y1) / denominator : -1.0;
        if (extremum > 0.0 && extremum < 1.0)
        {
            AddPiece(pieces, c, 0.0, extremum);
            AddPiece(pieces, c, extremum, 1.0);
        }
        else
        {
            AddPiece(pieces, c, 0.0, 1.0);
        }
    }

    std::vector<float> coverage(size_t(width) * size_t(height), 0.0F);
    std::vector<std::pair<double, int>> crossings;
    std::vector<int> inside(size_t(width), 0);
    for (int row = 0; row < height; ++row)
    {
        std::fill(inside.begin(), inside.end(), 0);
        for (int sy = 0; sy < kSamples; ++sy)
        {
            double y = row + (sy + 0.5) / kSamples;
            crossings.clear();
            for (const MonotonePiece &p : pieces)
            {
                double low = std::min(p.ya, p.yb);
                double high = std::max(p.ya, p.yb);
                if (y < low || y >= high) continue;
                crossings.emplace_back(CurveX(p.curve, SolvePiece(p, y)), p.yb > p.ya ? 1 : -1);
            }
            std::sort(crossings.begin(), crossings.end());
            size_t next = 0;
            int winding = 0;
            for (int column = 0; column < width; ++column)
            {
                for (int sx = 0; sx < kSamples; ++sx)
                {
                    double x = column + (sx + 0.5) / kSamples;
                    while (next < crossings.size() && crossings[next].first < x) winding += crossings[next++].second;
                    bool in = rule == ReferenceFillRule::kNonZero ? winding != 0 : (winding & 1) != 0;
                    inside[size_t(column)] += in;
                }
            }
        }
        for (int column = 0; column < width; ++column)
            coverage[size_t(row) * size_t(width) + size_t(column)] = float(inside[size_t(column)]) / float(kSamples * kSamples);
    }
    return coverage;
}

}   // namespace oq::test
