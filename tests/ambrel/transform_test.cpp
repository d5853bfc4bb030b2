// Transform structures: each kind's matrix and the composition of node and geometry transforms,
// against a double-precision reference.
#include "AmbrelTestSupport.h"

#include <array>
#include <cmath>

namespace oq {
namespace {

using Matrix = std::array<std::array<double, 4>, 4>;  // [row][column]

Matrix Identity()
{
    Matrix m{};
    for (int i = 0; i < 4; ++i) m[i][i] = 1.0;
    return m;
}

Matrix Multiply(const Matrix &a, const Matrix &b)
{
    Matrix m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) m[r][c] += a[r][k] * b[k][c];
    return m;
}

// Rotation by degrees about a unit axis.
Matrix Rotation(double degrees, double x, double y, double z)
{
    double a = degrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    Matrix m = Identity();
    m[0] = {c + t * x * x, t * x * y - s * z, t * x * z + s * y, 0};
    m[1] = {t * x * y + s * z, c + t * y * y, t * y * z - s * x, 0};
    m[2] = {t * x * z - s * y, t * y * z + s * x, c + t * z * z, 0};
    return m;
}

Matrix Scale(double x, double y, double z)
{
    Matrix m = Identity();
    m[0][0] = x;
    m[1][1] = y;
    m[2][2] = z;
    return m;
}

Matrix Translation(double x, double y, double z)
{
    Matrix m = Identity();
    m[0][3] = x;
    m[1][3] = y;
    m[2][3] = z;
    return m;
}

void ExpectNear(const Transform4D &actual, const Matrix &expected, double tolerance, const std::string &what)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(actual(r, c), expected[r][c], tolerance) << what << " element " << r << c;
}

TEST(AmbrelTransformTest, EveryKindAgainstReference)
{
    const double root = 1.0 / std::sqrt(14.0);
    Matrix m12 = Identity(), m9 = Identity(), m6 = Identity(), m4 = Identity(), m16{};
    m12[0] = {1, 4, 7, 10};
    m12[1] = {2, 5, 8, 11};
    m12[2] = {3, 6, 9, 12};
    m9 = m12;
    m9[0][3] = m9[1][3] = m9[2][3] = 0;
    m6[0] = {1, 3, 0, 5};
    m6[1] = {2, 4, 0, 6};
    m4[0] = {1, 3, 0, 0};
    m4[1] = {2, 4, 0, 0};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) m16[r][c] = 4 * c + r + 1;
    struct Case
    {
        const char *text;
        Matrix expected;
    };
    const Case cases[] = {
        {"Transform {float[16] {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}}}", m16},
        {"Transform {float[12] {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}}", m12},
        {"Transform {float[9] {{1, 2, 3, 4, 5, 6, 7, 8, 9}}}", m9},
        {"Transform {float[6] {{1, 2, 3, 4, 5, 6}}}", m6},
        {"Transform {float[4] {{1, 2, 3, 4}}}", m4},
        {"Translation (kind = \"x\") {float {5}}", Translation(5, 0, 0)},
        {"Translation (kind = \"y\") {float {-5}}", Translation(0, -5, 0)},
        {"Translation (kind = \"z\") {float {2.5}}", Translation(0, 0, 2.5)},
        {"Translation {float[2] {{3, 4}}}", Translation(3, 4, 0)},
        {"Translation (kind = \"xyz\") {float[3] {{3, 4, 5}}}", Translation(3, 4, 5)},
        {"Rotation (kind = \"x\") {float {30}}", Rotation(30, 1, 0, 0)},
        {"Rotation (kind = \"y\") {float {-60}}", Rotation(-60, 0, 1, 0)},
        {"Rotation {float {90}}", Rotation(90, 0, 0, 1)},
        {"Rotation (kind = \"axis\") {float[4] {{90, 0, 0, 2}}}", Rotation(90, 0, 0, 1)},
        {"Rotation (kind = \"axis\") {float[4] {{37, 1, 2, 3}}}", Rotation(37, root, 2 * root, 3 * root)},
        {"Scale (kind = \"x\") {float {2}}", Scale(2, 1, 1)},
        {"Scale (kind = \"y\") {float {3}}", Scale(1, 3, 1)},
        {"Scale (kind = \"z\") {float {4}}", Scale(1, 1, 4)},
        {"Scale {float[2] {{2, 3}}}", Scale(2, 3, 1)},
        {"Scale (kind = \"xyz\") {float[3] {{2, 3, 4}}}", Scale(2, 3, 4)},
    };
    for (const Case &c : cases)
    {
        std::string text = std::string("Group {") + c.text + "}";
        AmbrelDocument document;
        ASSERT_EQ(test::FourCC(document.ParseAndResolve(text.c_str())), test::FourCC(0)) << c.text;
        auto *group = test::FindStructure<GroupStructure>(&document, 'grup');
        auto *matrix = static_cast<const MatrixStructure *>(group->GetFirstSubnodeStructure());
        ExpectNear(matrix->matrix, c.expected, 2e-6 * 16, c.text);
        // The composed transform is the affine product: its fourth row is (0, 0, 0, 1).
        Matrix affine = c.expected;
        affine[3] = {0, 0, 0, 1};
        ExpectNear(group->nodeTransform, affine, 2e-6 * 16, c.text);
    }
}

TEST(AmbrelTransformTest, CompositionThroughNestedNodes)
{
    const char *text =
        "Group {Rotation (kind = \"axis\") {float[4] {{37, 1, 2, 3}}} Translation (kind = \"xyz\") {float[3] {{1, 2, 3}}}\n"
        "  Group {Scale (kind = \"xyz\") {float[3] {{2, 3, 4}}}\n"
        "    Path {Rotation (kind = \"x\") {float {20}} Rotation (kind = \"y\") {float {-35}} Translation (kind = \"x\") {float {5}}\n"
        "      float[2]* {M{1, 1}, L{2, 3}}}}}\n"
        "Layer {Path {Scale {float[2] {{2, 2}}} float[2]* {M{1, 1}, L{2, 3}}}}\n"
        "Path {Translation {float[2] {{1, 0}}} float[2]* {M{1, 1}, L{2, 3}}}\n"
        "Group {Translation {float[2] {{10, 0}}} Scale {float[2] {{2, 2}}} Path {float[2]* {M{1, 1}, L{2, 3}}}}";
    AmbrelDocument document;
    ASSERT_EQ(document.ParseAndResolve(text), 0u);

    double root = 1.0 / std::sqrt(14.0);
    Matrix outer = Multiply(Rotation(37, root, 2 * root, 3 * root), Translation(1, 2, 3));
    Matrix inner = Multiply(outer, Scale(2, 3, 4));
    Matrix own = Multiply(Multiply(Rotation(20, 1, 0, 0), Rotation(-35, 0, 1, 0)), Translation(5, 0, 0));
    Matrix expected = Multiply(inner, own);

    PathStructure *paths[4];
    for (int32_t i = 0; i < 4; ++i) paths[i] = test::FindStructure<PathStructure>(&document, 'path', i);
    ExpectNear(paths[0]->geometryTransform, expected, 1e-5, "nested path");
    // Its curves are mapped by the transform: (1, 1) -> first two rows.
    double x = expected[0][0] + expected[0][1] + expected[0][3];
    double y = expected[1][0] + expected[1][1] + expected[1][3];
    EXPECT_NEAR(paths[0]->curves[0].p0.x, x, 1e-5);
    EXPECT_NEAR(paths[0]->curves[0].p0.y, y, 1e-5);

    // Inside a Layer or at the top level only the own transforms apply.
    ExpectNear(paths[1]->geometryTransform, Scale(2, 2, 1), 0.0, "path in a layer");
    ExpectNear(paths[2]->geometryTransform, Translation(1, 0, 0), 0.0, "top-level path");
    // Scale first, then translation: (1, 1) -> (12, 2).
    EXPECT_EQ(paths[3]->curves[0].p0.x, 12.0f);
    EXPECT_EQ(paths[3]->curves[0].p0.y, 2.0f);

    // CalculateTransform forms the own product only.
    Transform4D product;
    paths[0]->CalculateTransform(product);
    ExpectNear(product, own, 1e-6, "own product");
    GroupStructure empty;
    Transform4D none;
    none.Set(2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
    ExpectNear(empty.CalculateTransform(none), Identity(), 0.0, "no transforms");
}

}  // namespace
}  // namespace oq
