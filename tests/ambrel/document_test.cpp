// Ambrel documents: the factory and the top-level rule, resolving a full drawing into document
// space, and writing it back to a fixpoint with the same resolved state.
#include "AmbrelTestSupport.h"
#include "ambrel/FiniteValues.h"
#include "DrawingFixture.h"

#include <cmath>

namespace oq {
namespace {

using test::ExpectSameResolvedState;
using test::WriteDocumentText;

// Reads the text; the result and error line of a failure.
struct ParseOutcome
{
    KettricResult result;
    int32_t line;
};

ParseOutcome Parse(AmbrelDocument *document, const char *text)
{
    KettricResult result = document->ParseAndResolve(text);
    return {result, document->GetErrorLine()};
}

TEST(AmbrelDocumentTest, FixtureRoundTripsToAFixpointWithTheSameState)
{
    AmbrelDocument first;
    ParseOutcome outcome = Parse(&first, test::kDrawingFixture);
    ASSERT_EQ(test::FourCC(outcome.result), test::FourCC(0)) << "line " << outcome.line;
    std::string text1 = WriteDocumentText(&first);
    EXPECT_EQ(text1.rfind("// Ambrel -- ", 0), 0u);

    AmbrelDocument second;
    outcome = Parse(&second, text1.c_str());
    ASSERT_EQ(test::FourCC(outcome.result), test::FourCC(0)) << "line " << outcome.line << "\n" << text1;
    std::string text2 = WriteDocumentText(&second);
    EXPECT_EQ(text1, text2);
    ExpectSameResolvedState(&first, &second);
}

TEST(AmbrelDocumentTest, FixtureResolvesIntoDocumentSpace)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(test::kDrawingFixture), 0u);

    EXPECT_EQ(document.canvasView.scale, 0.005f);
    EXPECT_EQ(document.canvasView.originX, 0.0f);
    EXPECT_EQ(document.canvasView.originY, -50.0f);

    // The first Path: translation (10, 0), scale 2, then its own rotation by 30 degrees.
    auto *path = test::FindStructure<PathStructure>(&document, 'path');
    ASSERT_NE(path, nullptr);
    double c = std::cos(30.0 * M_PI / 180.0), s = std::sin(30.0 * M_PI / 180.0);
    auto map = [&](double x, double y) { return Point2D(float(10.0 + 2.0 * (c * x - s * y)), float(2.0 * (s * x + c * y))); };
    ASSERT_EQ(path->contours.GetElementCount(), 2);
    // Open contour: L, H (2), V (2), Q, T, then the cubics and the closing segment.
    EXPECT_EQ(path->contours[0].closed, 0);
    EXPECT_EQ(path->contours[0].closingCurveAdded, 1);
    EXPECT_EQ(path->contours[1].curveCount, 4);
    EXPECT_EQ(path->contours[1].closed, 1);
    EXPECT_EQ(path->contours[1].closingCurveAdded, 0);
    const QuadraticBezier2D &line = path->curves[0];
    EXPECT_NEAR(line.p0.x, map(0, 0).x, 1e-4);
    EXPECT_NEAR(line.p2.x, map(10, 0).x, 1e-4);
    EXPECT_NEAR(line.p2.y, map(10, 0).y, 1e-4);
    EXPECT_EQ(line.p1.x, line.p2.x);
    // The H corner runs through (20, 0), the V corner through (20, 20).
    EXPECT_NEAR(path->curves[1].p2.x, map(20, 0).x, 1e-4);
    EXPECT_NEAR(path->curves[3].p2.y, map(20, 20).y, 1e-4);
    // T reflects the Q control (35, 25) about (40, 20): (45, 15).
    EXPECT_NEAR(path->curves[6].p1.x, map(45, 15).x, 1e-4);
    EXPECT_NEAR(path->curves[6].p1.y, map(45, 15).y, 1e-4);
    Box2D box;
    box.SetEmpty();
    for (const QuadraticBezier2D &curve : path->curves) box.Union(curve.GetBoundingBox());
    EXPECT_EQ(box.min.x, path->boundingBox.min.x);
    EXPECT_EQ(box.max.y, path->boundingBox.max.y);

    // Its Fill: a radial object gradient mapped through the box, uint8 colours, white colour.
    const FillStyle &fill = path->fillStructure->fillStyle;
    EXPECT_EQ(fill.gradient, kGradientRadial);
    EXPECT_EQ(fill.color.red, 1.0f);
    EXPECT_NEAR(fill.gradientColor1.green, 0.2158605f, 1e-6);
    EXPECT_EQ(fill.gradientColor2.blue, 1.0f);
    // Object coordinates span the box of the path in its own space, then go through its transform:
    // the radius 0.5 spans half the longer side, doubled by the group's scale.
    EXPECT_NEAR(fill.radius, 0.5f * 80.0f * 2.0f, 1e-3);

    // Its Stroke: width list 3 kept aside, style width 1 until scaled, dashes from the Dash.
    const StrokeStructure *stroke = path->strokeStructure;
    EXPECT_EQ(stroke->strokeWidth, 3.0f);
    EXPECT_EQ(stroke->strokeStyle.width, 1.0f);
    EXPECT_EQ(stroke->strokeStyle.cap, kStrokeCapRound);
    EXPECT_EQ(stroke->strokeStyle.join, kStrokeJoinRound);
    EXPECT_EQ(stroke->strokeStyle.miterLimit, 2.0f);
    ASSERT_EQ(stroke->strokeStyle.dashCount, 4);
    EXPECT_EQ(stroke->strokeStyle.dashArray[2], 1.0f);
    EXPECT_EQ(stroke->strokeStyle.dashPhase, 1.5f);
    EXPECT_EQ(stroke->strokeStyle.color.blue, 1.0f);

    // The Line in the inner Group: outer x inner x own.
    auto *lineStructure = test::FindStructure<LineStructure>(&document, 'line');
    ASSERT_NE(lineStructure, nullptr);
    ASSERT_EQ(lineStructure->contours.GetElementCount(), 1);
    EXPECT_EQ(lineStructure->contours[0].curveCount, 3);
    EXPECT_EQ(lineStructure->contours[0].closingCurveAdded, 1);
    // Inner: rotation by 90 about z, then translations x 1, y 2, z 3, xyz (1, 2, 3); own scale x 2.
    // The point (10, 0): scaled (20, 0), translated (22, 4), rotated (-4, 22), outer (2, 44).
    EXPECT_NEAR(lineStructure->curves[0].p2.x, 2.0f, 1e-4);
    EXPECT_NEAR(lineStructure->curves[0].p2.y, 44.0f, 1e-4);
    EXPECT_EQ(lineStructure->strokeStructure->strokeStyle.join, kStrokeJoinBevel);

    // The sweep Polygon fill has no Radius: no gradient, colour times the first gradient colour.
    auto *polygon = test::FindStructure<PolygonStructure>(&document, 'poly');
    ASSERT_NE(polygon, nullptr);
    EXPECT_EQ(polygon->contours[0].curveCount, 3);
    EXPECT_EQ(polygon->fillStructure->fillStyle.gradient, kGradientNone);
    EXPECT_NEAR(polygon->fillStructure->fillStyle.color.green, 0.4f, 1e-7);
    EXPECT_NEAR(polygon->fillStructure->fillStyle.color.alpha, 0.8f, 1e-7);
    // Transform (0, 1, -1, 0): x axis to (0, 1), y axis to (-1, 0).
    EXPECT_EQ(polygon->curves[0].p2.x, 0.0f);
    EXPECT_EQ(polygon->curves[0].p2.y, 10.0f);
}

TEST(AmbrelDocumentTest, FactoryAndTopLevelRule)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        int32_t line;
    };
    const Case cases[] = {
        {"// Ambrel -- nothing else\n", 0, 0},
        {"Color {float[3] {{1, 0, 0}}}", kResultInvalidStructure, 1},
        {"Path {float[2]* {M{0, 0}, L{1, 1}}}", 0, 0},
        {"Name {string {\"a\"}}", kResultInvalidStructure, 1},
        {"\n\nRange {float[2] {{0, 1}, {0, 1}}}", kResultInvalidStructure, 3},
        {"Group {Fill {} Group {Rect {Opacity {float {1}}}}}", 0, 0},
        {"Object {\nFill {}}", kResultInvalidStructure, 2},
        {"Layer {Fill {}}", kResultInvalidStructure, 1},
        {"Group {Brush {Whatever {float {1}}} Rect {}}", 0, 0},
        {"Canvas {Circle {}}", kResultInvalidStructure, 1},
        {"Group {Gradient {}}", kResultInvalidStructure, 1},
        {"Path {float[2] {{0, 0}}}", kResultInvalidStructure, 1},
        {"Path {float[2]* {M{0, 0}, X{1, 1}}}", kResultStateName, 1},
        {"Path {Radius {float {1}}}", kResultInvalidStructure, 1},
    };
    for (const Case &c : cases)
    {
        AmbrelDocument document;
        ParseOutcome outcome = Parse(&document, c.text);
        EXPECT_EQ(test::FourCC(outcome.result), test::FourCC(c.result)) << c.text;
        if (c.result != 0)
        {
            EXPECT_EQ(outcome.line, c.line) << c.text;
        }
        EXPECT_EQ(document.fontList.GetFirstListElement(), nullptr);
    }

    // Unknown identifiers are dropped with their contents.
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Group {Brush {Rect {}} Rect {}}"), 0u);
    EXPECT_EQ(WriteDocumentText(&document).find("Brush"), std::string::npos);
    auto *group = test::FindStructure<GroupStructure>(&document, 'grup');
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetSubnodeCount(), 1);
}

// Resolving failures give their code and the line of the failing structure.
TEST(AmbrelDocumentTest, ResolveFailuresReportTheirLine)
{
    struct Case
    {
        const char *text;
        KettricResult result;
        int32_t line;
    };
    const Case cases[] = {
        {"Canvas {\nRange {float[2] {{0, 1}, {0, 1}, {0, 1}, {0, 1}}}}", kResultInvalidDataFormat, 2},
        {"Canvas {Range {float[2] {{5, 5}, {3, 3}}}}", kResultInvalidDataFormat, 1},
        {"Canvas {Range {float[2] {{0, 0x7F800000}, {0, 1}}}}", kResultInvalidDataFormat, 1},
        {"Canvas {Range {float[2] {{0, 0x7FC00000}, {0, 1}}}}", kResultInvalidDataFormat, 1},
        {"Canvas {Range {float[2] {{1, 0}, {1, 0}}}}", kResultInvalidDataFormat, 1},
        {"Rect {Radius {float {1, 2, 3}}}", kResultInvalidDataFormat, 1},
        {"Rect {\n\nfloat[2] {{0, 0}, {1, 1}, {2, 2}}}", kResultInvalidDataFormat, 1},
        {"Circle {float[2] {{0, 0}}}", kResultMissingSubstructure, 1},
        {"Circle {Radius {float {1}} float[2] {{0, 0}, {1, 1}}}", kResultInvalidDataFormat, 1},
        {"Rect {Fill {} Fill {}}", kResultExtraSubstructure, 1},
        {"Rect {Stroke {} Stroke {}}", kResultExtraSubstructure, 1},
        {"Rect {Opacity {float {1, 2}}}", kResultInvalidDataFormat, 1},
        {"Rect {Opacity {}}", kResultMissingSubstructure, 1},
        {"Path {float[2]* {M{0, 0}, L{1, 1}, M{2, 2}}}", kResultInvalidDataFormat, 1},
        {"Path {float[2]* {M{0, 0}, Q{1, 1}}}", kResultInvalidDataFormat, 1},
        {"Path {float[2]* {M{0, 0}, C{1, 1}, {2, 2}}}", kResultInvalidDataFormat, 1},
        {"Path {float[2]* {M{0, 0}, S{1, 1}}}", kResultInvalidDataFormat, 1},
        {"Group {Translation (kind = \"w\") {float {1}}}", 'ivtk', 1},
        {"Group {Translation (kind = \"x\") {float[2] {{3, 4}}}}", kResultInvalidDataFormat, 1},
        {"Group {Rotation (kind = \"Z\") {float {1}}}", 'ivrk', 1},
        {"Group {Scale (kind = \"xz\") {float {1}}}", 'ivsk', 1},
        {"Group {Transform {float[6] {{1, 0, 0, 1, 10, 20}, {1, 0, 0, 1, 0, 0}}}}", kResultInvalidDataFormat, 1},
        {"Group {Transform {}}", kResultMissingSubstructure, 1},
        {"Group {Scale {float[2] {{1, 1}} float[2] {{1, 1}}}}", kResultExtraSubstructure, 1},
        {"Group {Rotation (kind = \"axis\") {float[4] {{90, 0, 0, 0}}}}", kResultInvalidDataFormat, 1},
        {"Group {Rotation (kind = \"axis\") {float[4] {{90, 1e-20, 0, 0}}}}", kResultInvalidDataFormat, 1},
        {"Group {Rotation (kind = \"axis\") {float[4] {{90, 0x7F800000, 0, 0}}}}", kResultInvalidDataFormat, 1},
        {"Group {Rotation (kind = \"axis\") {float[4] {{90, 1e20, 1e20, 0}}}}", kResultInvalidDataFormat, 1},
        {"Group {Fill {Color {float[3] {}}}}", kResultInvalidDataFormat, 1},
        {"Group {Fill {Color {float[3] {{1, 0, 0}} float[3] {{1, 0, 0}}}}}", kResultExtraSubstructure, 1},
        {"Group {Fill {Color {float[3] {{1, 0, 0}}} Color {float[3] {{1, 0, 0}}}}}", kResultExtraSubstructure, 1},
        {"Group {Fill {Gradient {float[3] {{1, 0, 0}}}}}", kResultMissingSubstructure, 1},
        {"Group {Fill {Gradient {float[2] {{1, 0}} Color {float[3] {{1, 0, 0}}}}}}", kResultInvalidDataFormat, 1},
        {"Group {Fill {Gradient (kind = \"radial\") {float[2] {{1, 0}} Color {float[3] {{1, 0, 0}}}}}}", kResultMissingSubstructure, 1},
        {"Group {Fill {Gradient (kind = \"sweep\") {float[2] {{1, 0}} Color {float[3] {{1, 0, 0}}}}}}", kResultMissingSubstructure, 1},
        {"Group {Fill {Gradient (kind = \"conic\") {float[2] {{1, 0}} Color {float[3] {{1, 0, 0}}}}}}", 'ivgk', 1},
        {"Group {Fill {Gradient (kind = \"sweep\") {float[2] {{1, 0}} Angle {float[2] {{1}}} Color {float[3] {{1, 0, 0}}}}}}", kResultSubarrayUndersize, 1},
        {"Group {Fill {Gradient (kind = \"sweep\") {float[2] {{1, 0}} Angle {float[2] {}} Color {float[3] {{1, 0, 0}}}}}}", kResultInvalidDataFormat, 1},
        {"Group {Fill {Gradient (kind = \"sweep\") {float[2] {{1, 0}} Angle {float[2] {{1, 2}, {3, 4}}} Color {float[3] {{1, 0, 0}}}}}}", kResultInvalidDataFormat, 1},
        {"Group {Stroke {float {1, 2}}}", kResultInvalidDataFormat, 1},
        {"Group {Stroke {Dash {float[2] {{1, -1}}}}}", kResultInvalidDataFormat, 1},
        {"Group {Stroke {Dash {float[2] {{1, 0x7F800000}}}}}", kResultInvalidDataFormat, 1},
        {"Group {Stroke {Dash {float[2] {{1, 0x7FC00000}}}}}", kResultInvalidDataFormat, 1},
        {"Group {Stroke {Dash {} Dash {}}}", kResultExtraSubstructure, 1},
    };
    for (const Case &c : cases)
    {
        AmbrelDocument document;
        ParseOutcome outcome = Parse(&document, c.text);
        EXPECT_EQ(test::FourCC(outcome.result), test::FourCC(c.result)) << c.text;
        EXPECT_EQ(outcome.line, c.line) << c.text;
    }
}

// With finiteValuesOnly (as the compiling programs read) a number that is not finite fails at its
// line, in every number type and in the miter limit; without it the document reads as before.
TEST(AmbrelDocumentTest, FiniteValuesOnlyRefusesNonFiniteNumbers)
{
    struct Case
    {
        const char *text;
        int32_t line;  // 0: every number is finite
    };
    const Case cases[] = {
        {"Rect {Fill {} float[2] {{0, 0}, {1e38, 3.4028234e38}}}", 0},
        {"Rect {Fill {}\nfloat[2] {{0, 0}, {1e39, 1}}}", 2},
        {"Rect {Fill {} float[2] {{0, 0}, {-1.0e+9999, 1}}}", 1},
        {"Rect {Fill {} float[2] {{0, 0}, {0xFF800000, 1}}}", 1},
        {"Circle {Radius {float {0x7FC00000}} float[2] {{0, 0}}}", 1},
        {"Group\n{\n\tTranslation {float[2] {{1, 1}}}\n\tScale {float[2] {{1, 1}}}\n\tRect {float[2] {{0, 0}, {1, 1e40}}}\n}", 5},
        {"Line {Stroke (miter = 1e39) {} float[2] {{0, 0}, {1, 1}}}", 1},
        {"Line {Stroke (miter = 0x7FC00000) {} float[2] {{0, 0}, {1, 1}}}", 1},
        {"Group {Rotation (kind = \"axis\") {float[4] {{90, 0x7F800000, 0, 0}}}}", 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.text);
        AmbrelDocument plain;
        KettricResult plainResult = plain.ParseAndResolve(c.text);
        AmbrelDocument finite;
        finite.finiteValuesOnly = true;
        ParseOutcome outcome = Parse(&finite, c.text);
        if (c.line == 0)
        {
            EXPECT_EQ(test::FourCC(outcome.result), test::FourCC(0));
            continue;
        }
        EXPECT_NE(test::FourCC(plainResult), test::FourCC(kResultNonFiniteValue));
        EXPECT_EQ(test::FourCC(outcome.result), test::FourCC(kResultNonFiniteValue));
        EXPECT_EQ(outcome.line, c.line);
    }
}

TEST(AmbrelDocumentTest, CanvasView)
{
    AmbrelDocument document;
    EXPECT_EQ(document.canvasView.scale, 1.0f);
    ASSERT_EQ(document.ParseAndResolve("Canvas {}"), 0u);
    EXPECT_EQ(document.canvasView.scale, 1.0f);
    EXPECT_EQ(document.SetCanvasRange(0.0f, 100.0f, 0.0f, 400.0f), 0.0025f);
    EXPECT_EQ(document.canvasView.originX, -150.0f);
    EXPECT_EQ(document.canvasView.originY, 0.0f);

    // A later Canvas overwrites an earlier one; a failing one sets nothing.
    AmbrelDocument two;
    ASSERT_EQ(two.ParseAndResolve("Canvas {Range {float[2] {{0, 200}, {0, 100}}}}\n"
                                  "Canvas {Range {float[2] {{0, 10}, {0, 20}, {5, 6}}}}"), 0u);
    EXPECT_EQ(two.canvasView.scale, 0.05f);
    EXPECT_EQ(two.canvasView.originX, -5.0f);
    AmbrelDocument bad;
    EXPECT_EQ(bad.ParseAndResolve("Canvas {Range {float[2] {{0, -1}, {0, 0}}}}"), uint32_t(kResultInvalidDataFormat));
    EXPECT_EQ(bad.canvasView.scale, 1.0f);
}

}  // namespace
}  // namespace oq
