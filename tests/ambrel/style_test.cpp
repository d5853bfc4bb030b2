// Paint and style structures: colours, fills with every gradient kind, strokes with dashes,
// gradient mapping through transforms and degenerate mappings.
#include "AmbrelTestSupport.h"

#include <cmath>

namespace oq {
namespace {

bool IsFiniteStyle(const FillStyle &s)
{
    const float *values = &s.color.red;
    for (int i = 0; i < 4; ++i)
        if (!std::isfinite(values[i])) return false;
    return std::isfinite(s.lineA) && std::isfinite(s.lineB) && std::isfinite(s.lineC) && std::isfinite(s.centerX) &&
           std::isfinite(s.centerY) && std::isfinite(s.radius);
}

TEST(AmbrelStyleTest, ColorEntries)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Group {Fill {Color {uint8[4] {{255, 128, 0, 51}, {1, 2, 3, 255}}}} "
                                       "Stroke {Color {float[3] {{1, 0.5, 0}, {0.25, 0.5, 0.75}}}}}"),
              0u);
    auto *bytes = test::FindStructure<ColorStructure>(&document, 'colr');
    EXPECT_EQ(bytes->entryCount, 2);
    ColorRGBA c = bytes->GetColor(0);
    EXPECT_EQ(c.red, 1.0f);
    EXPECT_NEAR(c.green, 0.2158605f, 1e-6);
    EXPECT_EQ(c.blue, 0.0f);
    EXPECT_NEAR(c.alpha, 0.2f, 1e-6);
    EXPECT_EQ(bytes->GetColor(5).alpha, 1.0f);
    EXPECT_EQ(bytes->GetColor(-3).red, 1.0f);
    uint8_t rgba[4];
    bytes->GetColorRGBA8(1, rgba);
    EXPECT_EQ(rgba[0], 1);
    EXPECT_EQ(rgba[3], 255);

    auto *floats = static_cast<ColorStructure *>(test::FindStructure<StrokeStructure>(&document, 'strk')->GetFirstSubnodeStructure());
    c = floats->GetColor(0);
    EXPECT_EQ(c.green, 0.5f);
    EXPECT_EQ(c.alpha, 1.0f);
    EXPECT_EQ(floats->GetColor(7).blue, 0.75f);
    floats->GetColorRGBA8(0, rgba);
    EXPECT_EQ(rgba[0], 255);
    EXPECT_EQ(rgba[2], 0);
    EXPECT_EQ(rgba[3], 255);

    // A colour that never resolved is opaque black.
    ColorStructure empty;
    c = empty.GetColor(0);
    EXPECT_EQ(c.red + c.green + c.blue, 0.0f);
    EXPECT_EQ(c.alpha, 1.0f);
}

TEST(AmbrelStyleTest, FillStyles)
{
    struct Case
    {
        const char *fill;
        uint32_t rule;
        uint32_t gradient;
        ColorRGBA color;
        ColorRGBA gradientColor1;
    };
    const ColorRGBA black = {0, 0, 0, 1}, white = {1, 1, 1, 1}, red = {1, 0, 0, 1};
    const ColorRGBA half = {0.5f, 0.25f, 1, 0.5f};
    const Case cases[] = {
        {"Fill {}", 0, 0, black, black},
        {"Fill (rule = \"evenodd\") {Color {float[3] {{1, 0, 0}}}}", kFillRuleEvenOdd, 0, red, black},
        {"Fill (rule = \"EvenOdd\") {}", 0, 0, black, black},
        {"Fill {Gradient {float[3] {{1, 0, 0}} Color {float[3] {{1, 0, 0}, {0, 0, 1}}}}}", 0, kGradientLinear, white, red},
        {"Fill {Color {float[4] {{0.5, 0.25, 1, 0.5}}} Gradient (kind = \"radial\") {float[2] {{0, 0}} Radius {float {2}} "
         "Color {float[3] {{1, 0, 0}}}}}", 0, kGradientRadial, half, red},
        {"Fill {Gradient (kind = \"sweep\") {float[2] {{0, 0}} Radius {float {2}} Angle {float[2] {{0, 90}}} "
         "Color {float[3] {{1, 0, 0}}}}}", 0, kGradientRadial, white, red},
        // A sweep without a Radius paints its first colour, times the Fill's colour.
        {"Fill {Gradient (kind = \"sweep\") {float[2] {{0, 0}} Angle {float[2] {{0, 90}}} "
         "Color {float[4] {{0.5, 0.5, 0.5, 0.5}}}}}", 0, 0, {0.5f, 0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f, 0.5f}},
        {"Fill {Color {float[4] {{0.5, 0.25, 1, 0.5}}} Gradient (kind = \"sweep\") {float[2] {{0, 0}} "
         "Angle {float[2] {{0, 90}}} Color {float[3] {{1, 0, 0}}}}}", 0, 0, {0.5f, 0, 0, 0.5f}, red},
    };
    for (const Case &c : cases)
    {
        std::string text = std::string("Rect {") + c.fill + " float[2] {{0, 0}, {1, 1}}}";
        AmbrelDocument document;
        ASSERT_EQ(test::FourCC(document.ParseAndResolve(text.c_str())), test::FourCC(0)) << c.fill;
        const FillStyle &style = test::FindStructure<FillStructure>(&document, 'fill')->fillStyle;
        EXPECT_EQ(style.rule, c.rule) << c.fill;
        EXPECT_EQ(test::FourCC(style.gradient), test::FourCC(c.gradient)) << c.fill;
        test::ExpectSameColor(style.color, c.color, c.fill);
        test::ExpectSameColor(style.gradientColor1, c.gradientColor1, c.fill);
        EXPECT_TRUE(IsFiniteStyle(style)) << c.fill;
    }
}

// The gradient parameter at a mapped point equals the parameter at the point before mapping.
TEST(AmbrelStyleTest, GradientsFollowTheirGeometry)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Group {Translation {float[2] {{100, 0}}} Rotation {float {90}}\n"
                                       "Rect {Scale {float[2] {{2, 1}}} Fill {Gradient {float[3] {{0.1, 0.2, 0.3}} "
                                       "Color {float[3] {{1, 0, 0}}}}} float[2] {{0, 0}, {10, 20}}}\n"
                                       "Rect {Fill {Gradient (kind = \"radial\", object) {float[2] {{0.5, 0.5}} Radius {float {0.5}} "
                                       "Color {float[3] {{1, 0, 0}}}}} float[2] {{0, 0}, {10, 20}}}\n"
                                       "Rect {Fill {Gradient (object) {float[3] {{1, 0, 0}} Color {float[3] {{1, 0, 0}}}}} "
                                       "float[2] {{0, 0}, {10, 20}}}}"),
              0u);
    auto *first = test::FindStructure<RectStructure>(&document, 'rect');
    const FillStyle &linear = first->fillStructure->fillStyle;
    ASSERT_EQ(linear.gradient, kGradientLinear);
    // Document point of (x, y): rotation by 90 after a scale by (2, 1), then (100, 0).
    for (float x : {0.0f, 3.0f, 10.0f})
    {
        for (float y : {0.0f, 7.0f})
        {
            float dx = 100.0f - y, dy = 2.0f * x;
            EXPECT_NEAR(linear.lineA * dx + linear.lineB * dy + linear.lineC, 0.1f * x + 0.2f * y + 0.3f, 1e-5);
        }
    }

    // Object coordinates span the rectangle's own box, then follow the transform.
    auto *second = static_cast<RectStructure *>(first->GetNextStructure());
    const FillStyle &radial = second->fillStructure->fillStyle;
    ASSERT_EQ(radial.gradient, kGradientRadial);
    EXPECT_NEAR(radial.centerX, 100.0f - 10.0f, 1e-4);
    EXPECT_NEAR(radial.centerY, 5.0f, 1e-4);
    EXPECT_NEAR(radial.radius, 10.0f, 1e-4);

    auto *third = static_cast<RectStructure *>(second->GetNextStructure());
    const FillStyle &object = third->fillStructure->fillStyle;
    ASSERT_EQ(object.gradient, kGradientLinear);
    // t = x / width: 0 at the rectangle's x 0, 1 at x 10, mapped to document y 0 and 10.
    EXPECT_NEAR(object.lineA * 100.0f + object.lineB * 0.0f + object.lineC, 0.0f, 1e-5);
    EXPECT_NEAR(object.lineA * 80.0f + object.lineB * 10.0f + object.lineC, 1.0f, 1e-5);

    // The unit-box mapping keeps the parameter too.
    float before = object.lineA * 90.0f + object.lineB * 5.0f + object.lineC;
    Box2D box = third->boundingBox;
    third->NormalizeToUnitBox();
    float s = 1.0f / 20.0f;
    float u = s * (90.0f - box.min.x), v = s * (5.0f - box.min.y);
    EXPECT_NEAR(object.lineA * u + object.lineB * v + object.lineC, before, 1e-5);
}

// Mappings without an inverse, and radii that vanish, drop the gradient for its first colour.
TEST(AmbrelStyleTest, DegenerateGradientMappings)
{
    const char *cases[] = {
        "Rect {Scale {float[2] {{0, 1}}} Fill {Gradient {float[3] {{1, 0, 0}} Color {float[3] {{0.5, 0.5, 0.5}}}}} "
        "float[2] {{0, 0}, {1, 1}}}",
        "Rect {Scale (kind = \"z\") {float {0}} Fill {Gradient {float[3] {{1, 0, 0}} Color {float[3] {{0.5, 0.5, 0.5}}}}} "
        "float[2] {{0, 0}, {1, 1}}}",
        "Rect {Scale {float[2] {{0x7F800000, 1}}} Fill {Gradient {float[3] {{1, 0, 0}} Color {float[3] {{0.5, 0.5, 0.5}}}}} "
        "float[2] {{0, 0}, {1, 1}}}",
        "Line {Fill {Gradient (object) {float[3] {{1, 0, 0}} Color {float[3] {{0.5, 0.5, 0.5}}}}} "
        "float[2] {{0, 0}, {10, 0}}}",
        "Rect {Fill {Gradient (object) {float[3] {{1, 0, 0}} Color {float[3] {{0.5, 0.5, 0.5}}}}}}",
        "Rect {Scale {float[2] {{0, 0}}} Fill {Gradient (kind = \"radial\") {float[2] {{0, 0}} Radius {float {1}} "
        "Color {float[3] {{0.5, 0.5, 0.5}}}}} float[2] {{0, 0}, {1, 1}}}",
        "Rect {Fill {Gradient (kind = \"radial\") {float[2] {{0, 0}} Radius {float {0}} "
        "Color {float[3] {{0.5, 0.5, 0.5}}}}} float[2] {{0, 0}, {1, 1}}}",
        "Rect {Fill {Gradient (kind = \"radial\") {float[2] {{0, 0}} Radius {float {-2}} "
        "Color {float[3] {{0.5, 0.5, 0.5}}}}} float[2] {{0, 0}, {1, 1}}}",
        "Rect {Fill {Gradient (kind = \"radial\") {float[2] {{0, 0}} Radius {float {0x7F800000}} "
        "Color {float[3] {{0.5, 0.5, 0.5}}}}} float[2] {{0, 0}, {1, 1}}}",
        "Rect {Fill {Gradient (kind = \"radial\", object) {float[2] {{0, 0}} Radius {float {1}} "
        "Color {float[3] {{0.5, 0.5, 0.5}}}}}}",
    };
    for (const char *text : cases)
    {
        AmbrelDocument document;
        ASSERT_EQ(test::FourCC(document.ParseAndResolve(text)), test::FourCC(0)) << text;
        const FillStyle &style = test::FindStructure<FillStructure>(&document, 'fill')->fillStyle;
        EXPECT_EQ(style.gradient, kGradientNone) << text;
        test::ExpectSameColor(style.color, ColorRGBA{0.5f, 0.5f, 0.5f, 1.0f}, text);
        EXPECT_TRUE(IsFiniteStyle(style)) << text;
    }
}

// ScaleStroke takes the dash values from the Dash each time: a second call neither compounds the
// scale nor reads the buffer it fills.
TEST(AmbrelStyleTest, ScaleStrokeTwiceWithSixDashValues)
{
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve("Path {Stroke (cap = \"square\", join = \"miter\") {float {4} "
                                       "Dash {Offset {float {3}} float[2] {{1, 2}, {3, 4}, {5, 6}}}} "
                                       "float[2]* {M{0, 0}, L{10, 0}}}"),
              0u);
    auto *stroke = test::FindStructure<StrokeStructure>(&document, 'strk');
    const StrokeStyle &style = stroke->strokeStyle;
    EXPECT_EQ(style.cap, kStrokeCapSquare);
    EXPECT_EQ(style.join, kStrokeJoinBevel);
    ASSERT_EQ(style.dashCount, 6);
    EXPECT_EQ(style.dashPhase, 3.0f);
    for (float scale : {0.5f, 2.0f, 0.25f})
    {
        stroke->ScaleStroke(scale);
        EXPECT_EQ(style.width, 4.0f * scale);
        ASSERT_EQ(style.dashCount, 6);
        EXPECT_EQ(style.dashPhase, 3.0f * scale);
        for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(style.dashArray[i], float(i + 1) * scale);
        EXPECT_EQ(style.dashArray, stroke->dashBuffer.GetElements());
    }
}

TEST(AmbrelStyleTest, DashPatterns)
{
    struct Case
    {
        const char *dash;
        int32_t count;
        float offset;
    };
    const Case cases[] = {
        {"Dash {}", 0, 0.0f},
        {"Dash {Offset {float {2}}}", 0, 2.0f},
        {"Dash {float[2] {}}", 0, 0.0f},
        {"Dash {float[2] {{0, 0}, {0, 0}}}", 0, 0.0f},
        {"Dash {float[2] {{0, 1}}}", 2, 0.0f},
        {"Dash {Offset {float {-1}} float[2] {{4, 2}, {1, 2}}}", 4, -1.0f},
    };
    for (const Case &c : cases)
    {
        std::string text = std::string("Path {Stroke {") + c.dash + "} float[2]* {M{0, 0}, L{10, 0}}}";
        AmbrelDocument document;
        ASSERT_EQ(test::FourCC(document.ParseAndResolve(text.c_str())), test::FourCC(0)) << c.dash;
        auto *path = test::FindStructure<PathStructure>(&document, 'path');
        const StrokeStyle &style = path->strokeStructure->strokeStyle;
        EXPECT_EQ(style.dashCount, c.count) << c.dash;
        EXPECT_EQ(style.dashPhase, c.offset) << c.dash;
        EXPECT_EQ(style.dashArray == nullptr, c.count == 0) << c.dash;
        path->NormalizeToUnitBox();
        EXPECT_EQ(style.dashCount, c.count) << c.dash;
        EXPECT_EQ(style.dashPhase, c.offset * 0.1f) << c.dash;
        EXPECT_EQ(style.width, 0.1f) << c.dash;
    }
}

}  // namespace
}  // namespace oq
