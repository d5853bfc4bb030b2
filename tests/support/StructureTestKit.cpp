#include "support/StructureTestKit.h"

#include "support/LatexOracles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace oq::test {
namespace {

struct DoublePoint
{
    double x;
    double y;
};

DoublePoint ToDouble(const Point2D &p)
{
    return {double(p.x), double(p.y)};
}

double Distance(const Point2D &a, const Point2D &b)
{
    return std::hypot(double(a.x) - double(b.x), double(a.y) - double(b.y));
}

bool IsFinite(const Point2D &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

std::string PointText(const Point2D &p)
{
    char text[64];
    std::snprintf(text, sizeof(text), "(%.9g, %.9g)", double(p.x), double(p.y));
    return text;
}

std::string Finding(int32_t curve, const std::string &what)
{
    return "curve " + std::to_string(curve) + ": " + what + "\n";
}

// Cross product of (b - a) and (c - a).
double Cross(const DoublePoint &a, const DoublePoint &b, const DoublePoint &c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// The curve's value at t in double.
DoublePoint Evaluate(const QuadraticBezier2D &curve, double t)
{
    double s = 1.0 - t;
    DoublePoint a = ToDouble(curve.p0), b = ToDouble(curve.p1), c = ToDouble(curve.p2);
    return {s * s * a.x + 2.0 * s * t * b.x + t * t * c.x, s * s * a.y + 2.0 * s * t * b.y + t * t * c.y};
}

// The parameter of the extreme of one coordinate inside (0, 1), or -1 when there is none.
double ExtremeParameter(double a, double b, double c)
{
    double denominator = a - 2.0 * b + c;
    if (denominator == 0.0) return -1.0;
    double t = (a - b) / denominator;
    return (t > 0.0 && t < 1.0) ? t : -1.0;
}

std::string CheckStraightEdges(const QuadraticBezier2D *curves, int32_t count, double tolerance)
{
    std::string findings;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        DoublePoint a = ToDouble(c.p0), b = ToDouble(c.p1), e = ToDouble(c.p2);
        double length = std::hypot(e.x - a.x, e.y - a.y);
        if (length <= tolerance) continue;  // a point: no direction to be straight along
        // The control point on the line through the ends, between them: a straight edge.
        bool onLine = std::fabs(Cross(a, e, b)) <= tolerance * length;
        double along = ((b.x - a.x) * (e.x - a.x) + (b.y - a.y) * (e.y - a.y)) / length;
        bool between = along >= -tolerance && along <= length + tolerance;
        if (onLine && between && (c.p1.x != c.p2.x || c.p1.y != c.p2.y))
            findings += Finding(i, "straight edge with control point " + PointText(c.p1) + " off its end " +
                                       PointText(c.p2));
    }
    return findings;
}

std::string CheckBox(const QuadraticBezier2D *curves, int32_t count, const OutlineChecks &checks, double tolerance)
{
    std::string findings;
    double left = -double(checks.boxMargin) - tolerance;
    double right = double(checks.boxWidth) + double(checks.boxMargin) + tolerance;
    double low = double(checks.boxBottom) - tolerance;
    double high = double(checks.boxTop) + tolerance;
    for (int32_t i = 0; i < count; ++i)
    {
        const QuadraticBezier2D &c = curves[i];
        std::vector<DoublePoint> points = {ToDouble(c.p0), ToDouble(c.p2)};
        double tx = ExtremeParameter(c.p0.x, c.p1.x, c.p2.x);
        double ty = ExtremeParameter(c.p0.y, c.p1.y, c.p2.y);
        if (tx >= 0.0) points.push_back(Evaluate(c, tx));
        if (ty >= 0.0) points.push_back(Evaluate(c, ty));
        for (const DoublePoint &p : points)
        {
            if (p.x >= left && p.x <= right && p.y >= low && p.y <= high) continue;
            char text[160];
            std::snprintf(text, sizeof(text), "point (%.9g, %.9g) outside x %.9g to %.9g, y %.9g to %.9g", p.x, p.y,
                          left, right, low, high);
            findings += Finding(i, text);
        }
    }
    return findings;
}

// A piece of the flattened outline (8 per curve) and its curve.
struct Segment
{
    DoublePoint a;
    DoublePoint b;
    int32_t curve;
};

bool SegmentsCross(const Segment &s, const Segment &t)
{
    double d1 = Cross(s.a, s.b, t.a);
    double d2 = Cross(s.a, s.b, t.b);
    double d3 = Cross(t.a, t.b, s.a);
    double d4 = Cross(t.a, t.b, s.b);
    return ((d1 > 0.0 && d2 < 0.0) || (d1 < 0.0 && d2 > 0.0)) && ((d3 > 0.0 && d4 < 0.0) || (d3 < 0.0 && d4 > 0.0));
}

std::string CheckSimple(const QuadraticBezier2D *curves, int32_t count)
{
    constexpr int32_t kPieces = 8;
    std::vector<Segment> segments;
    for (int32_t i = 0; i < count; ++i)
    {
        for (int32_t j = 0; j < kPieces; ++j)
            segments.push_back({Evaluate(curves[i], double(j) / kPieces), Evaluate(curves[i], double(j + 1) / kPieces), i});
    }
    std::string findings;
    for (size_t i = 0; i < segments.size(); ++i)
    {
        // Neighbours share an end, which is no proper crossing.
        for (size_t j = i + 1; j < segments.size(); ++j)
        {
            const Segment &s = segments[i];
            const Segment &t = segments[j];
            if (!SegmentsCross(s, t)) continue;
            findings += Finding(s.curve, "crosses curve " + std::to_string(t.curve));
            return findings;  // one crossing says enough
        }
    }
    return findings;
}

}  // namespace

double OutlineExtent(const QuadraticBezier2D *curves, int32_t count)
{
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY;
    for (int32_t i = 0; i < count; ++i)
    {
        for (const Point2D *p : {&curves[i].p0, &curves[i].p1, &curves[i].p2})
        {
            if (!IsFinite(*p)) continue;
            minX = std::min(minX, double(p->x));
            maxX = std::max(maxX, double(p->x));
            minY = std::min(minY, double(p->y));
            maxY = std::max(maxY, double(p->y));
        }
    }
    if (!(maxX >= minX)) return 0.0;
    return std::max(maxX - minX, maxY - minY);
}

std::vector<int32_t> FindContourStarts(const QuadraticBezier2D *curves, int32_t count, float tolerance)
{
    std::vector<int32_t> starts;
    for (int32_t i = 0; i < count; ++i)
    {
        if (i == 0 || !(Distance(curves[i].p0, curves[i - 1].p2) <= double(tolerance))) starts.push_back(i);
    }
    return starts;
}

double SignedOutlineArea(const QuadraticBezier2D *curves, int32_t first, int32_t end)
{
    double area = 0.0;
    for (int32_t i = first; i < end; ++i)
    {
        DoublePoint a = ToDouble(curves[i].p0), b = ToDouble(curves[i].p1), c = ToDouble(curves[i].p2);
        area += 0.5 * (a.x * c.y - c.x * a.y);
        area += (2.0 / 3.0) * 0.5 * Cross(a, b, c);
    }
    // The closing chord from the last end to the first start (0 for a closed contour).
    if (end > first)
    {
        DoublePoint a = ToDouble(curves[end - 1].p2), c = ToDouble(curves[first].p0);
        area += 0.5 * (a.x * c.y - c.x * a.y);
    }
    return area;
}

std::string CheckOutline(const QuadraticBezier2D *curves, int32_t count, const OutlineChecks &checks)
{
    if (count < 0) return "negative curve count\n";
    std::string findings;
    if (checks.finitePoints)
    {
        for (int32_t i = 0; i < count; ++i)
        {
            for (const Point2D *p : {&curves[i].p0, &curves[i].p1, &curves[i].p2})
            {
                if (!IsFinite(*p)) findings += Finding(i, "point not finite " + PointText(*p));
            }
        }
        if (!findings.empty()) return findings;  // nothing else can be measured
    }
    double extent = OutlineExtent(curves, count);
    double tolerance = checks.closeTolerance < 0.0f ? 1e-5 * extent : double(checks.closeTolerance);
    std::vector<int32_t> starts = FindContourStarts(curves, count, float(tolerance));
    if (checks.closedContours)
    {
        for (size_t k = 0; k < starts.size(); ++k)
        {
            int32_t end = k + 1 < starts.size() ? starts[k + 1] : count;
            const Point2D &begin = curves[starts[k]].p0;
            const Point2D &last = curves[end - 1].p2;
            if (!(Distance(begin, last) <= tolerance))
                findings += Finding(end - 1, "contour " + std::to_string(k) + " ends at " + PointText(last) +
                                                 ", not at its start " + PointText(begin));
        }
    }
    if (checks.straightEdges) findings += CheckStraightEdges(curves, count, tolerance);
    if (checks.orientation)
    {
        double areaTolerance = checks.emptyAllowed ? 1e-6 * extent * extent : 0.0;
        for (size_t k = 0; k < starts.size(); ++k)
        {
            int32_t end = k + 1 < starts.size() ? starts[k + 1] : count;
            double area = SignedOutlineArea(curves, starts[k], end);
            bool outer = int32_t(k) < checks.outerContours;
            bool fine = outer ? (area > 0.0 || (checks.emptyAllowed && area >= -areaTolerance)) : area <= areaTolerance;
            if (!fine)
            {
                char text[96];
                std::snprintf(text, sizeof(text), "%s contour %zu has signed area %.9g", outer ? "outer" : "hole", k,
                              area);
                findings += Finding(starts[k], text);
            }
        }
        if (int32_t(starts.size()) < checks.outerContours)
            findings += "only " + std::to_string(starts.size()) + " contours, " + std::to_string(checks.outerContours) +
                        " outer ones expected\n";
    }
    // Rounding in the kind's own sums: 1e-5 x the larger of the outline's and the box's extent.
    double boxExtent = std::max({extent, double(checks.boxWidth), double(checks.boxTop) - double(checks.boxBottom)});
    if (checks.box) findings += CheckBox(curves, count, checks, 1e-5 * boxExtent);
    if (checks.simple) findings += CheckSimple(curves, count);
    return findings;
}

int32_t TexLayoutOracle::Add(const std::string &mathList)
{
    cases.push_back(mathList);
    return int32_t(cases.size() - 1);
}

TexBox TexLayoutOracle::GetBox(int32_t index) const
{
    return (index >= 0 && size_t(index) < boxes.size()) ? boxes[size_t(index)] : TexBox();
}

namespace {

// A TeX dimension as \the writes it ("-1.25pt"); false when the text is no such dimension.
bool ReadPoints(const std::string &text, double *value)
{
    if (text.size() < 3 || text.compare(text.size() - 2, 2, "pt") != 0) return false;
    std::string number = text.substr(0, text.size() - 2);
    char *end = nullptr;
    *value = std::strtod(number.c_str(), &end);
    return end != nullptr && *end == 0 && !number.empty();
}

}  // namespace

std::string TexLayoutOracle::Run()
{
    boxes.assign(cases.size(), TexBox());
    fontParams = TexFontParams();
    std::string document = "\\documentclass{article}\n\\usepackage{amsmath}\n\\usepackage{amssymb}\n\\begin{document}\n";
    // Math fonts load lazily: their parameters are printed from inside math.
    const char *sizes[3] = {"\\textfont", "\\scriptfont", "\\scriptscriptfont"};
    document += "\\setbox0\\hbox{$";
    for (int32_t size = 0; size < 3; ++size)
    {
        for (int32_t n = 1; n <= 22; ++n)
            document += "\\typeout{OQF 2 " + std::to_string(size) + " " + std::to_string(n) + " \\the\\fontdimen" +
                        std::to_string(n) + sizes[size] + "2}\n";
        for (int32_t n = 1; n <= 13; ++n)
            document += "\\typeout{OQF 3 " + std::to_string(size) + " " + std::to_string(n) + " \\the\\fontdimen" +
                        std::to_string(n) + sizes[size] + "3}\n";
    }
    document += "\\typeout{OQN \\the\\nulldelimiterspace}$}\n";
    for (size_t i = 0; i < cases.size(); ++i)
    {
        if (cases[i].find('\n') != std::string::npos) return "case " + std::to_string(i) + " holds a line feed";
        document += "\\setbox0\\hbox{$\\displaystyle " + cases[i] + "$}\\typeout{OQB " + std::to_string(i) +
                    " \\the\\wd0 \\space\\the\\ht0 \\space\\the\\dp0 }\n";
    }
    document += "\\end{document}\n";

    std::string log;
    std::string failure = CompileLatexDocument(document, &log);
    if (!failure.empty()) return failure;

    std::vector<bool> seen(cases.size(), false);
    int32_t fontValues = 0;
    bool nullDelimiterRead = false;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line))
    {
        std::istringstream words(line);
        std::string tag;
        words >> tag;
        if (tag == "OQF")
        {
            int32_t family = 0, size = -1, n = 0;
            std::string value;
            words >> family >> size >> n >> value;
            double points = 0.0;
            if (!ReadPoints(value, &points) || size < 0 || size > 2) return "unreadable line: " + line;
            if (family == 2 && n >= 1 && n <= 22) fontParams.sigma[size][n] = points;
            else if (family == 3 && n >= 1 && n <= 13) fontParams.xi[size][n] = points;
            else return "unreadable line: " + line;
            ++fontValues;
        }
        else if (tag == "OQN")
        {
            std::string value;
            words >> value;
            if (!ReadPoints(value, &fontParams.nullDelimiterSpace)) return "unreadable line: " + line;
            nullDelimiterRead = true;
        }
        else if (tag == "OQB")
        {
            long index = -1;
            std::string w, h, d;
            words >> index >> w >> h >> d;
            if (index < 0 || size_t(index) >= cases.size()) return "unreadable line: " + line;
            TexBox &box = boxes[size_t(index)];
            if (!ReadPoints(w, &box.width) || !ReadPoints(h, &box.height) || !ReadPoints(d, &box.depth))
                return "unreadable line: " + line;
            seen[size_t(index)] = true;
        }
    }
    if (fontValues != 3 * (22 + 13) || !nullDelimiterRead) return "the log lacks font parameters";
    for (size_t i = 0; i < cases.size(); ++i)
    {
        if (!seen[i]) return "the log lacks the box of case " + std::to_string(i) + " (" + cases[i] + ")";
    }
    return "";
}

std::string TexRuleBox(double height, double depth, double width)
{
    char text[128];
    std::snprintf(text, sizeof(text), "\\vrule height %.6fpt depth %.6fpt width %.6fpt", height, depth, width);
    return text;
}

}  // namespace oq::test
