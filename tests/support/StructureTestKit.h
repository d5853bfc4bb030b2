#pragma once

// The checks every structure kind's tests share: an outline checker for the curves a kind draws and
// a layout oracle that lets TeX set boxes. No test framework: each check returns its findings ("" when
// there are none).

#include "base/Bezier.h"

#include <cstdint>
#include <string>
#include <vector>

namespace oq::test {

// Which checks CheckOutline makes (y up). Contours are the runs of curves that each start where the
// previous one ended; a curve that starts elsewhere begins the next contour.
struct OutlineChecks
{
    // Every point finite.
    bool finitePoints = true;
    // Each contour ends where it began.
    bool closedContours = true;
    // How far a curve may start from the previous end (and a contour end from its start): < 0 gives
    // 1e-5 x the outline's extent, 0 asks for exact equality.
    float closeTolerance = -1.0f;
    // A straight curve (its control point on the line through its ends) has its control point on its
    // end point.
    bool straightEdges = true;
    // The first `outerContours` contours have positive signed area, the others (holes) none.
    bool orientation = true;
    int32_t outerContours = 1;
    // An outline of size 0: outer contours may have area 0.
    bool emptyAllowed = false;
    // End points and quadratic extremes inside y in [boxBottom, boxTop] and x in [-boxMargin,
    // boxWidth + boxMargin] (boxMargin: the kind's largest half stroke), within 1e-5 x the larger of the
    // outline's and the box's extent.
    bool box = false;
    float boxBottom = 0.0f;
    float boxTop = 0.0f;
    float boxWidth = 0.0f;
    float boxMargin = 0.0f;
    // No two curves cross (each curve flattened into 8 segments; touching ends are no crossing).
    bool simple = false;
};

// Checks the curves; "" when every asked check holds, else one line per finding.
std::string CheckOutline(const QuadraticBezier2D *curves, int32_t count, const OutlineChecks &checks);
inline std::string CheckOutline(const std::vector<QuadraticBezier2D> &curves, const OutlineChecks &checks)
{
    return CheckOutline(curves.data(), int32_t(curves.size()), checks);
}

// The index of the first curve of each contour (gaps above the tolerance, as in OutlineChecks).
std::vector<int32_t> FindContourStarts(const QuadraticBezier2D *curves, int32_t count, float tolerance);
// The exact signed area of curves from first to end (y up, counter-clockwise positive): the polygon of
// the end points plus 2/3 of each (p0, p1, p2) triangle.
double SignedOutlineArea(const QuadraticBezier2D *curves, int32_t first, int32_t end);
// The larger of the outline's width and height over its points (0 when none or not finite).
double OutlineExtent(const QuadraticBezier2D *curves, int32_t count);

// A box as TeX set it, in points.
struct TexBox
{
    double width = 0.0;
    double height = 0.0;
    double depth = 0.0;
};

// The math font parameters pdflatex set the cases with (article, 10 pt), in points, for the text,
// script and scriptscript sizes (index 0, 1, 2).
struct TexFontParams
{
    double sigma[3][23] = {};  // \fontdimen1..22 of family 2 (index 0 unused)
    double xi[3][14] = {};     // \fontdimen1..13 of family 3 (index 0 unused)
    double nullDelimiterSpace = 0.0;

    double AxisHeight(int32_t size = 0) const { return sigma[size][22]; }
    double RuleThickness(int32_t size = 0) const { return xi[size][8]; }
};

// TeX's layout as the oracle of the structures' layout: a test binary adds all its cases, runs
// pdflatex once (one generated .tex in a folder of its own) and reads each box and the font
// parameters. Agreement is expected within kTexLayoutTolerance.
class TexLayoutOracle
{
public:
    // Adds a math list, set as \hbox{$\displaystyle ...$}; returns its index.
    int32_t Add(const std::string &mathList);
    // Runs pdflatex over every case; "" when it ran and every box and parameter was read, else what
    // went wrong (naming `make deps` when pdflatex is missing).
    std::string Run();

    int32_t GetCaseCount() const { return int32_t(cases.size()); }
    // The box of a case (all 0 before a successful run or for an index out of range).
    TexBox GetBox(int32_t index) const;
    const TexFontParams &GetFontParams() const { return fontParams; }

private:
    std::vector<std::string> cases;
    std::vector<TexBox> boxes;
    TexFontParams fontParams;
};

inline constexpr double kTexLayoutTolerance = 2e-4;

// "\vrule height <h>pt depth <d>pt width <w>pt": a box of exactly that size for a slot.
std::string TexRuleBox(double height, double depth, double width);

}  // namespace oq::test
