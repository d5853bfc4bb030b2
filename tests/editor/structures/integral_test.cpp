// Integrals: the read and write table, the sign choice, the variant cycle and navigation, and the
// layout: the factory sign, repeated signs, the loop and its arrowhead, growth, display and inline
// limits, the nested-integral kern, the limits' scales, and the glyph mode with a test font.
#include "DesignRangeCases.h"
#include "LargeOperatorChecks.h"
#include "OperatorFont.h"
#include "StructureFixtures.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/platform/GlyphMeshItem.h"
#include "editor/structures/IntegralNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

TEST(Integral, ReadAndWriteTable)
{
    const test::OperatorReadCase cases[] = {
        {"In $i { Gr { Bg {} } }", "0", 0x222B, "\tIn\n\t{\n\t\tGr\n"},
        {"In $i { u32{0x222E} Gr { Bg {} } }", "0", 0x222E, "\tIn\n\t{\n\t\tu32{0x222E}\n\t\tGr\n"},
        {"In $i { Gr { Bg {} } u32{0x2A0C} }", "0", 0x2A0C, "\t\tu32{0x2A0C}\n"},
        {"In $i { u32{0x1D400} Gr { Bg {} } }", "0", 0x1D400, "u32{0x01D400}"},
        {"In $i { u32{0x3C} Gr { Bg {} } }", "0", 0x3C, "u32{0x3C}"},
        {"In $i { u32{0xD800} Gr { Bg {} } }", "0", 0xFFFD, "u32{0xFFFD}"},
        {"In $i { u32{0x110000} Gr { Bg {} } }", "0", 0xFFFD, "u32{0xFFFD}"},
        {"In $i { u32{0} Gr { Bg {} } }", "0", 0xFFFD, "u32{0xFFFD}"},
        {"In $i (gr,sm) { Gr { Bg {} } }", "0", 0x222B, "In (sm,gr)\n"},
        {"In $i (gr,kg,il,sm) { Gr { Bg {} } }", "0", 0x222B, "In (sm,il,kg,gr)\n"},
        {"In $i (pi=3,kg) { Gr { Bg {} } }", "0", 0x222B, "In (pi=3,kg)\n"},
        // A group of another role stays a child; it is neither a limit nor written as one.
        {"In $i { Gr (t='labl') { Bg {} Fx {} } Gr { Bg {} } }", "0", 0x222B, "t='labl'"},
        {"In $i { u32{0x222E,0x222F} Gr { Bg {} } }", "IVDF", 0, ""},
        {"In $i { u32{} Gr { Bg {} } }", "IVDF", 0, ""},
        {"In $i { u32{0x222E} u32{0x222F} Gr { Bg {} } }", "EXSB", 0, ""},
        {"In $i { u32{0x222E} }", "MSSB", 0, ""},
        {"In $i { Gr (t='uppr') { Bg {} } }", "MSSB", 0, ""},
        {"In $i { Gr { Bg {} } Gr { Bg {} } }", "EXSB", 0, ""},
        {"In $i { Gr (t='lowr') { Bg {} } Gr (t='lowr') { Bg {} } Gr { Bg {} } }", "EXSB", 0, ""},
        {"In $i { f32{1} Gr { Bg {} } }", "IVST", 0, ""},
    };
    ASSERT_NO_FATAL_FAILURE(test::ExpectOperatorReadTable<IntegralNode>(cases, 0x222B));
    // The bare form reads with every flag off.
    test::StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(Equation("In $i { Gr { Bg {} } }").c_str())), "0");
    auto *integral = document.Find<IntegralNode>("i");
    EXPECT_FALSE(integral->small || integral->inlineLimits || integral->keepGlyph || integral->grow);
    EXPECT_EQ(integral->GetLower(), nullptr);
    EXPECT_EQ(integral->GetUpper(), nullptr);
}

TEST(Integral, VariantCycleNavigationAndCopies)
{
    IntegralNode node(0x222B, false, false);
    EXPECT_TRUE(node.HasVariant());
    const bool order[5][2] = {{false, false}, {false, true}, {true, true}, {true, false}, {false, false}};
    for (int32_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(node.small, order[i][0]) << i;
        EXPECT_EQ(node.inlineLimits, order[i][1]) << i;
        node.CycleVariant();
    }

    test::StructureTestDocument document;
    std::string text = Equation("In $i (gr,kg) { u32{0x222D} Gr $b { Bg {} } Gr $u (t='uppr') { Bg {} } }");
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    auto *in = document.Find<IntegralNode>("i");
    auto *body = document.Find<GroupNode>("b");
    auto *upper = document.Find<GroupNode>("u");
    EXPECT_EQ(in->GetFirstGroup(), upper);
    EXPECT_EQ(in->GetLastGroup(), body);
    EXPECT_EQ(in->GetNextGroup(upper), body);
    EXPECT_EQ(in->GetPreviousGroup(body), upper);
    EXPECT_EQ(in->GetPreviousGroup(upper), nullptr);
    EXPECT_EQ(in->GetGroupBelow(upper), nullptr);
    ASSERT_NO_FATAL_FAILURE(test::ExpectLowerLimitMadeOnRequest(in, upper, body));
    EXPECT_EQ(in->GetNextGroup(in->GetLower()), upper);

    IntegralNode fresh(0x222E, true, true);
    EXPECT_FALSE(fresh.keepGlyph || fresh.grow);
    GroupNode *made = fresh.GetOrCreateBody();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->role, 0u);
    EXPECT_EQ(fresh.GetBody(), made);

    // Copies keep the sign and the four flags and find their slots.
    auto *copy = dynamic_cast<IntegralNode *>(in->DeepCopy());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->codePoint, 0x222Du);
    EXPECT_TRUE(copy->grow && copy->keepGlyph);
    EXPECT_FALSE(copy->small || copy->inlineLimits);
    EXPECT_NE(copy->GetBody(), nullptr);
    EXPECT_NE(copy->GetBody(), body);
    EXPECT_EQ(copy->GetLower()->role, kLowerLimitRole);
    EXPECT_EQ(copy->GetUpper()->role, kUpperLimitRole);
    delete copy;
}

TEST(Integral, SignChoice)
{
    const struct
    {
        uint32_t codePoint;
        bool drawn;
        int32_t count;
        bool loop;
        bool arrow;
        bool clockwise;
    } rows[] = {
        {0x222B, true, 1, false, false, false}, {0x222C, true, 2, false, false, false},
        {0x222D, true, 3, false, false, false}, {0x2A0C, true, 4, false, false, false},
        {0x222E, true, 1, true, false, false},  {0x222F, true, 2, true, false, false},
        {0x2230, true, 3, true, false, false},  {0x2232, true, 1, true, true, true},
        {0x2233, true, 1, true, true, false},   {0x2231, false, 1, false, false, false},
        {0x41, false, 1, false, false, false},  {0xFFFD, false, 1, false, false, false},
    };
    Design design;
    for (const auto &row : rows)
    {
        for (bool keep : {false, true})
        {
            test::StructureTestDocument document;
            ASSERT_EQ(ResultText(document.ParseAndResolve(Equation("In $i { Gr { Bg {} } }").c_str())), "0");
            auto *in = document.Find<IntegralNode>("i");
            in->codePoint = row.codePoint;
            in->keepGlyph = keep;
            document.LayoutAll(&design);
            bool drawn = row.drawn && !keep;
            EXPECT_EQ(in->glyphMode, !drawn) << std::hex << row.codePoint << " kg " << keep;
            EXPECT_EQ(in->signCount, drawn ? row.count : 1) << std::hex << row.codePoint;
            EXPECT_EQ(in->loop, drawn && row.loop) << std::hex << row.codePoint;
            EXPECT_EQ(in->arrow, drawn && row.arrow) << std::hex << row.codePoint;
            EXPECT_EQ(in->clockwise, drawn && row.clockwise) << std::hex << row.codePoint;
            EXPECT_EQ(in->signCurveCount, drawn ? 20 * row.count : 0) << std::hex << row.codePoint;
            EXPECT_EQ(in->loopCurveCount, drawn && row.loop ? 24 : 0) << std::hex << row.codePoint;
            EXPECT_EQ(in->arrowCurveCount > 0, drawn && row.arrow) << std::hex << row.codePoint;
        }
    }
}

constexpr float kTolerance = 2e-4F;
constexpr float kEm = 11.0F;
constexpr float kMu = kEm / 18.0F;
constexpr float kAxis = 2.81105F;
constexpr float kBottom = -8.18895F;
constexpr float kTop = 13.81105F;
constexpr float kHalf = 5.63362F;  // w (0.3683724 + tan 5 deg x 0.8615347), w = 12.69557
const float kSlant = std::tan(5.0F * std::numbers::pi_v<float> / 180.0F);

// The integral font: U+2231 and U+222B inked glyphs, U+220F a glyph without outline.
class IntegralLayoutTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(test::MakeOperatorFont({0x2231, 0x222B}, {0x220F}), "integrals.vorl"); }

    void TearDown() override
    {
        list.Purge();
        OneFontTest::TearDown();
    }

    // Reads and lays out the equation in a fresh document; the integral "$i".
    IntegralNode *Lay(const std::string &nodes)
    {
        document = std::make_unique<test::StructureTestDocument>();
        std::string text = Equation(nodes);
        EXPECT_EQ(ResultText(document->ParseAndResolve(text.c_str())), "0") << text;
        document->LayoutAll(&design);
        return document->Find<IntegralNode>("i");
    }

    GroupNode *Group(const char *name) { return document->Find<GroupNode>(name); }

    // The node's own items of one kind (built before the children's).
    template <typename T>
    std::vector<T *> Items(const IntegralNode *node, void (IntegralNode::*build)(const Design *, DisplayList *) const)
    {
        DisplayList children;
        if (build == &IntegralNode::BuildExportItems) node->StructureNode::BuildExportItems(&design, &children);
        else if (build == &IntegralNode::BuildMeshItems) node->StructureNode::BuildMeshItems(&design, &children);
        else node->StructureNode::BuildPathItems(&design, &children);
        int32_t childCount = 0;
        for (ListElement *e = children.GetFirstListElement(); e != nullptr; e = e->GetNextListElement()) ++childCount;
        children.Purge();
        list.Purge();
        (node->*build)(&design, &list);
        int32_t total = 0;
        for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement()) ++total;
        std::vector<T *> items;
        int32_t index = 0;
        for (ListElement *e = list.GetFirstListElement(); e != nullptr && index < total - childCount;
             e = e->GetNextListElement(), ++index)
        {
            if (auto *item = dynamic_cast<T *>(e)) items.push_back(item);
        }
        return items;
    }

    std::unique_ptr<test::StructureTestDocument> document;
    DisplayList list;
};

// The sign's data line.
std::string Sign(uint32_t codePoint)
{
    char text[32];
    std::snprintf(text, sizeof(text), "u32{0x%X} ", codePoint);
    return text;
}

const char *const kBody = "Gr $b { Bg {} Fx (w=5,t=6,b=-2) {} }";

TEST_F(IntegralLayoutTest, FactorySignAloneInTheRow)
{
    IntegralNode *in = Lay("In $i { " + std::string(kBody) + " }");
    ASSERT_NE(in, nullptr);
    EXPECT_FALSE(in->glyphMode);
    EXPECT_EQ(in->leftSpacing, 0.0F);
    EXPECT_NEAR(in->signBottom, kBottom, kTolerance);
    EXPECT_NEAR(in->signTop, kTop, kTolerance);
    EXPECT_NEAR(in->signHalfWidth, kHalf, kTolerance);
    EXPECT_NEAR(in->signCentre, kHalf, kTolerance);
    EXPECT_NEAR(in->bottom, kBottom, kTolerance);
    EXPECT_NEAR(in->top, kTop, kTolerance);
    EXPECT_NEAR(Group("b")->position.x, 2.0F * kHalf + 2.0F * kMu, kTolerance);
    EXPECT_NEAR(in->width, Group("b")->position.x + 5.0F + in->rightSpacing, kTolerance);

    // One curve item and one fill item of 20 curves, no glyph mesh.
    std::vector<ExportCurveItem *> curves = Items<ExportCurveItem>(in, &IntegralNode::BuildExportItems);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_EQ(curves[0]->curveCount, 20);
    EXPECT_NEAR(curves[0]->box[0], 0.0F, kTolerance);
    EXPECT_NEAR(curves[0]->box[2], 2.0F * kHalf, kTolerance);
    EXPECT_EQ(curves[0]->color, kDefaultNodeColor);
    std::vector<FillPathItem *> paths = Items<FillPathItem>(in, &IntegralNode::BuildPathItems);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0]->curveCount, 20);
    EXPECT_TRUE(Items<GlyphMeshItem>(in, &IntegralNode::BuildMeshItems).empty());

    test::OutlineChecks checks = test::NodeBoxChecks(in);
    checks.closeTolerance = 0.0F;
    EXPECT_EQ(test::CheckOutline(in->signOutline, in->signCurveCount, checks), "");
}

TEST_F(IntegralLayoutTest, RepeatedSignsAndTheirLoop)
{
    const float w = 22.0F * kIntegralSignScale;
    const float adv = w * 0.47F;
    QuadraticBezier2D one[kIntegralSignOutlineCurves];
    float h = 0.0F;
    ASSERT_EQ(BuildIntegralSignOutline(&design, kEm, w, 0.0F, one, &h), 20);
    for (uint32_t codePoint : {0x222Cu, 0x222Du, 0x2A0Cu, 0x222Fu})
    {
        IntegralNode *in = Lay("In $i { " + Sign(codePoint) + kBody + " }");
        ASSERT_NE(in, nullptr);
        int32_t n = in->signCount;
        float d = float(n - 1) * adv * 0.5F;
        float u = h + d;
        if (in->loop) u = std::max(u, 11.0F * 0.3F + kMu * 0.818F * 0.5F + d);
        EXPECT_NEAR(in->signCentre, u, kTolerance) << std::hex << codePoint;
        // Sign i is the single outline moved to c - D + i adv: the signs centre where one sign would.
        ASSERT_EQ(in->signCurveCount, 20 * n);
        for (int32_t i = 0; i < n; ++i)
        {
            float dx = in->signCentre - d + float(i) * adv;
            for (int32_t k = 0; k < 20; ++k)
            {
                const QuadraticBezier2D &c = in->signOutline[i * 20 + k];
                EXPECT_NEAR(c.p1.x, one[k].p1.x + dx, kTolerance) << std::hex << codePoint << " " << i << " " << k;
                EXPECT_NEAR(c.p2.y, one[k].p2.y, kTolerance) << std::hex << codePoint << " " << i << " " << k;
            }
        }
        if (codePoint == 0x222C)
        {
            EXPECT_NEAR(adv, 5.96692F, kTolerance);
            EXPECT_NEAR(d, 2.98346F, kTolerance);
            EXPECT_NEAR(in->signHalfWidth, 8.61708F, kTolerance);
        }
    }
    // U+222F's ring grows by D: radii 6.53340 and 6.03352 around (c, A), the inner circle reversed.
    IntegralNode *in = Lay("In $i { u32{0x222F} " + std::string(kBody) + " }");
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(in->loopCurveCount, 24);
    for (int32_t k = 0; k < 24; ++k)
    {
        const Point2D &p = in->loopOutline[k].p2;
        EXPECT_NEAR(std::hypot(p.x - in->signCentre, p.y - kAxis), k < 12 ? 6.53340F : 6.03352F, kTolerance) << k;
    }
    EXPECT_GT(test::SignedOutlineArea(in->loopOutline, 0, 12), 0.0);
    EXPECT_LT(test::SignedOutlineArea(in->loopOutline, 12, 24), 0.0);
    // The two signs reach beyond the ring.
    EXPECT_NEAR(in->signHalfWidth, 8.61708F, kTolerance);
    test::OutlineChecks checks = test::NodeBoxChecks(in);
    checks.closeTolerance = 0.0F;
    EXPECT_EQ(test::CheckOutline(in->loopOutline, 24, checks), "");
    EXPECT_EQ(Items<ExportCurveItem>(in, &IntegralNode::BuildExportItems).size(), 2u);
    std::vector<FillPathItem *> paths = Items<FillPathItem>(in, &IntegralNode::BuildPathItems);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[0]->curveCount, 40);
    EXPECT_EQ(paths[1]->curveCount, 24);
}

TEST_F(IntegralLayoutTest, ArrowheadTurnsOnTheLoopsRightSide)
{
    for (uint32_t codePoint : {0x2233u, 0x2232u})
    {
        for (const char *flags : {"", "(sm) "})
        {
            IntegralNode *in = Lay("In $i " + std::string(flags) + "{ " + Sign(codePoint) + kBody + " }");
            ASSERT_NE(in, nullptr);
            std::string label = std::string(codePoint == 0x2233 ? "anticlockwise " : "clockwise ") + flags;
            ASSERT_TRUE(in->arrow) << label;
            ASSERT_EQ(in->arrowCurveCount, 6) << label;
            float axis = GetGeneralParam(&design, 'axis') * kEm;
            // The ring's middle radius on the right of the centre.
            float ro = std::hypot(in->loopOutline[0].p0.x - in->signCentre, in->loopOutline[0].p0.y - axis);
            float ri = std::hypot(in->loopOutline[12].p0.x - in->signCentre, in->loopOutline[12].p0.y - axis);
            float xa = in->signCentre + (ro + ri) * 0.5F;
            Point2D highest(0.0F, -INFINITY);
            Point2D lowest(0.0F, INFINITY);
            float minX = INFINITY;
            float maxX = -INFINITY;
            for (int32_t k = 0; k < in->arrowCurveCount; ++k)
            {
                for (const Point2D &p : {in->arrowOutline[k].p0, in->arrowOutline[k].p2})
                {
                    if (p.y > highest.y) highest = p;
                    if (p.y < lowest.y) lowest = p;
                    minX = std::min(minX, p.x);
                    maxX = std::max(maxX, p.x);
                }
            }
            // The head's extent along its direction is centred on the axis, across it on the ring.
            EXPECT_NEAR((highest.y + lowest.y) * 0.5F, axis, kTolerance) << label;
            EXPECT_NEAR((minX + maxX) * 0.5F, xa, kTolerance) << label;
            // The tip is the one point on the ring's middle line; the barbs stand off it.
            const Point2D &tip = codePoint == 0x2233 ? highest : lowest;
            const Point2D &barb = codePoint == 0x2233 ? lowest : highest;
            EXPECT_NEAR(tip.x, xa, kTolerance) << label;
            EXPECT_GT(std::fabs(barb.x - xa), kMu) << label;
            EXPECT_GE(in->signHalfWidth, maxX - in->signCentre) << label;

            test::OutlineChecks checks = test::NodeBoxChecks(in);
            EXPECT_EQ(test::CheckOutline(in->arrowOutline, in->arrowCurveCount, checks), "") << label;
            EXPECT_EQ(Items<FillPathItem>(in, &IntegralNode::BuildPathItems).size(), 3u) << label;
            EXPECT_EQ(Items<ExportCurveItem>(in, &IntegralNode::BuildExportItems).size(), 3u) << label;
        }
    }
}

TEST_F(IntegralLayoutTest, GrowReachesTheBodyPlusTheExtent)
{
    const float extent = 4.0F * kMu;
    const struct
    {
        const char *body;
        float top;  // the sign's expected top
    } cases[] = {
        {"Fx (w=5,t=20,b=-3) {}", 20.0F + extent},
        {"Fx (w=5,t=3,b=-30) {}", 2.0F * kAxis + 30.0F + extent},
        {"Fx (w=5,t=6,b=-2) {}", kTop},  // a short body: no growth
    };
    for (const auto &c : cases)
    {
        IntegralNode *in = Lay(std::string("In $i (gr) { Gr $b { Bg {} ") + c.body + " } }");
        ASSERT_NE(in, nullptr);
        EXPECT_NEAR(in->signTop, c.top, kTolerance) << c.body;
        EXPECT_NEAR(in->signBottom, 2.0F * kAxis - c.top, kTolerance) << c.body;
        EXPECT_EQ(in->signCurveCount, c.top == kTop ? 20 : 22) << c.body;
        float low = INFINITY;
        float high = -INFINITY;
        for (int32_t k = 0; k < in->signCurveCount; ++k)
        {
            float a = 0.0F;
            float b = 0.0F;
            in->signOutline[k].GetYExtent(&a, &b);
            low = std::min(low, a);
            high = std::max(high, b);
        }
        EXPECT_NEAR(high, c.top, 0.02F) << c.body;
        EXPECT_NEAR(low, 2.0F * kAxis - c.top, 0.02F) << c.body;
        EXPECT_NEAR(in->top, std::max(c.top, Group("b")->top), kTolerance) << c.body;
    }
}

TEST_F(IntegralLayoutTest, DisplayLimitsStandOnTheSlantedSign)
{
    const float shift = 0.375F * 0.65F * kEm;
    const float dl = -shift - (kAxis - kBottom) * kSlant;
    const float du = shift + (kTop - kAxis) * kSlant;
    const struct
    {
        float lowerWidth;
        float upperWidth;
    } cases[] = {{2.0F, 3.0F}, {40.0F, 3.0F}, {2.0F, 50.0F}};
    for (const auto &c : cases)
    {
        char nodes[256];
        std::snprintf(nodes, sizeof(nodes),
                      "In $i { Gr $l (t='lowr') { Bg {} Fx (w=%g,t=4,b=-1) {} } Gr $u (t='uppr') { Bg {} "
                      "Fx (w=%g,t=3,b=-2) {} } %s }",
                      c.lowerWidth, c.upperWidth, kBody);
        IntegralNode *in = Lay(nodes);
        ASSERT_NE(in, nullptr);
        GroupNode *lower = Group("l");
        GroupNode *upper = Group("u");
        float wl = c.lowerWidth;
        float wu = c.upperWidth;
        float centre = std::max({kHalf, wl * 0.5F - dl, wu * 0.5F - du});
        EXPECT_NEAR(in->signCentre, centre, kTolerance) << nodes;
        // Each limit centred on its slant-shifted point, the leftmost edge at the node's origin.
        EXPECT_NEAR(lower->position.x + wl * 0.5F, centre + dl, kTolerance) << nodes;
        EXPECT_NEAR(upper->position.x + wu * 0.5F, centre + du, kTolerance) << nodes;
        float left = std::min({centre - kHalf, lower->position.x, upper->position.x});
        EXPECT_NEAR(left, 0.0F, kTolerance) << nodes;
        float right = centre + std::max({kHalf, dl + wl * 0.5F, du + wu * 0.5F});
        EXPECT_NEAR(Group("b")->position.x, right + 2.0F * kMu, kTolerance) << nodes;
        EXPECT_EQ(lower->defaultAlignment, kAlignCentre);
        EXPECT_FLOAT_EQ(lower->sizeFactor, 0.65F);
    }
    // A wide lower limit widens the node equally on both sides of its own centre.
    IntegralNode *in = Lay("In $i { Gr $l (t='lowr') { Bg {} Fx (w=40,t=4,b=-1) {} } " + std::string(kBody) + " }");
    ASSERT_NE(in, nullptr);
    EXPECT_NEAR(Group("l")->position.x, 0.0F, kTolerance);
    EXPECT_NEAR(Group("b")->position.x - 2.0F * kMu, 40.0F, kTolerance);
}

TEST_F(IntegralLayoutTest, InlineLimitsBesideTheSign)
{
    const char *const limits = "Gr $l (t='lowr') { Bg {} Fx (w=3,t=4,b=-1) {} } Gr $u (t='uppr') { Bg {} Fx (w=4,t=3,b=-2) {} } ";
    const struct
    {
        const char *flags;
        const char *sign;
        float half;    // the sign's half extent
        float height;  // H
        float lower;   // lls or lgs, mu
        float upper;   // uls or ugs, mu
        bool slanted;
    } cases[] = {
        {"(il)", "", kHalf, 22.0F, -4.0F, 2.5F, true},
        {"(il,sm)", "", kHalf * 1.066F / 2.0F, 11.726F, -1.5F, 1.5F, true},
        {"(il,kg)", "", 0.4F * 22.0F / 1.2F, 22.0F, -7.5F, 2.5F, false},
        {"(il,sm)", "u32{0x2231} ", 0.4F * 11.726F / 1.2F, 11.726F, -3.5F, 1.5F, false},
    };
    for (const auto &c : cases)
    {
        IntegralNode *in = Lay(std::string("In $i ") + c.flags + " { " + c.sign + limits + kBody + " }");
        ASSERT_NE(in, nullptr);
        std::string label = std::string(c.flags) + c.sign;
        float b = kAxis - c.height * 0.5F;
        float t = kAxis + c.height * 0.5F;
        EXPECT_NEAR(in->signCentre, c.half, kTolerance) << label;
        float x0 = 2.0F * c.half;
        float lx = x0 + c.lower * kMu - (c.slanted ? kSlant * (t - b) : 0.0F);
        float ux = x0 + c.upper * kMu;
        EXPECT_NEAR(Group("l")->position.x, lx, kTolerance) << label;
        EXPECT_NEAR(Group("l")->position.y, b - 0.15F * kEm, kTolerance) << label;
        EXPECT_NEAR(Group("u")->position.x, ux, kTolerance) << label;
        EXPECT_NEAR(Group("u")->position.y, t - 0.25F * kEm, kTolerance) << label;
        EXPECT_EQ(Group("l")->defaultAlignment, kAlignLeft) << label;
        EXPECT_NEAR(Group("b")->position.x, std::max({x0, lx + 3.0F, ux + 4.0F}) + 2.0F * kMu, kTolerance) << label;
        EXPECT_NEAR(in->bottom, std::min(b, Group("l")->position.y + Group("l")->bottom), kTolerance) << label;
        EXPECT_NEAR(in->top, std::max(t, Group("u")->position.y + Group("u")->top), kTolerance) << label;
    }
}

TEST_F(IntegralLayoutTest, NestedIntegralKern)
{
    const float kern = 0.25F * kEm;
    const std::string inner = "Gr $b { Bg {} In { Gr { Bg {} Fx (w=2) {} } } }";
    const struct
    {
        const char *outer;
        float moved;  // how far left of its unkerned place the body goes
    } cases[] = {
        // Display limits: the bound is the right edge, the factory kern changes nothing.
        {"In $i { ", 0.0F},
        {"In $i { Gr (t='lowr') { Bg {} Fx (w=2,t=1) {} } ", 0.0F},
        // Inline, no lower limit: the whole kern (the bound is the sign's centre).
        {"In $i (il) { ", kern},
        // Inline: never past the lower limit's right end.
        {"In $i (il) { Gr (t='lowr') { Bg {} Fx (w=30,t=1) {} } ", 0.0F},
        // Inline with a narrow lower limit the bound is the sign's right side: an upper limit reaching
        // past it by less than the kern lets the body move only that far.
        {"In $i (il) { Gr (t='lowr') { Bg {} Fx (w=1,t=1) {} } Gr (t='uppr') { Bg {} Fx (w=0.5,t=1) {} } ",
         2.5F * kMu + 0.5F},
        {"In $i (il) { Gr (t='lowr') { Bg {} Fx (w=1,t=1) {} } ", 0.0F},
        {"In $i (il) { Gr (t='uppr') { Bg {} Fx (w=9,t=1) {} } ", kern},
    };
    for (const auto &c : cases)
    {
        IntegralNode *plain = Lay(std::string(c.outer) + "Gr $b { Bg {} Fx (w=2) {} } }");
        ASSERT_NE(plain, nullptr);
        float unkerned = Group("b")->position.x;
        IntegralNode *in = Lay(std::string(c.outer) + inner + " }");
        ASSERT_NE(in, nullptr);
        float moved = unkerned - Group("b")->position.x;
        EXPECT_NEAR(moved, c.moved, kTolerance) << c.outer;
        EXPECT_LE(moved, kern + kTolerance) << c.outer;
    }
}

TEST_F(IntegralLayoutTest, LimitScalesByDepthAndRowEnd)
{
    IntegralNode *in = Lay("In $i { Gr $l0 (t='lowr') { Bg {} In { Gr $l1 (t='lowr') { Bg {} In { Gr $l2 (t='uppr') { "
                           "Bg {} Fx (w=1,t=1) {} } Gr { Bg {} } } } Gr { Bg {} } } } " +
                           std::string(kBody) + " }");
    ASSERT_NE(in, nullptr);
    EXPECT_FLOAT_EQ(Group("l0")->sizeFactor, 0.65F);
    EXPECT_FLOAT_EQ(Group("l1")->sizeFactor, 0.75F);
    EXPECT_FLOAT_EQ(Group("l2")->sizeFactor, 1.0F);
    EXPECT_EQ(Group("l2")->scriptDepth, 2);
    EXPECT_TRUE(Group("b")->spaceAtRowEnd);
    in = Lay("In $i { " + std::string(kBody) + " } Fx (w=1) {}");
    ASSERT_NE(in, nullptr);
    EXPECT_FALSE(Group("b")->spaceAtRowEnd);
}

TEST_F(IntegralLayoutTest, GlyphInkSpansTheSignBox)
{
    const float k = 22.0F / 1.2F;
    const float half = 0.4F * k;
    for (const char *nodes : {"In $i (kg) { ", "In $i { u32{0x2231} ", "In $i (kg,gr) { "})
    {
        IntegralNode *in = Lay(std::string(nodes) + "Gr $b { Bg {} Fx (w=5,t=40,b=-2) {} } }");
        ASSERT_NE(in, nullptr);
        ASSERT_TRUE(in->glyphMode) << nodes;
        ASSERT_TRUE(in->glyph.IsDrawn()) << nodes;
        // No growth for a glyph: the ink spans exactly [b, t], centred on c.
        EXPECT_NEAR(in->signCentre, half, kTolerance) << nodes;
        std::vector<ExportCurveItem *> items = Items<ExportCurveItem>(in, &IntegralNode::BuildExportItems);
        ASSERT_GE(items.size(), 1u) << nodes;
        EXPECT_EQ(items[0]->curveCount, 4) << nodes;
        EXPECT_NEAR(items[0]->box[1], kBottom, kTolerance) << nodes;
        EXPECT_NEAR(items[0]->box[3], kTop, kTolerance) << nodes;
        EXPECT_NEAR((items[0]->box[0] + items[0]->box[2]) * 0.5F, in->signCentre, kTolerance) << nodes;
        EXPECT_TRUE(Items<FillPathItem>(in, &IntegralNode::BuildPathItems).empty()) << nodes;
        std::vector<GlyphMeshItem *> meshes = Items<GlyphMeshItem>(in, &IntegralNode::BuildMeshItems);
        ASSERT_EQ(meshes.size(), 1u) << nodes;
        EXPECT_EQ(meshes[0]->items[0].vertexCount, 4u) << nodes;
        EXPECT_EQ(meshes[0]->items[1].vertexCount, 0u) << nodes;
        EXPECT_NEAR(Group("b")->position.x, 2.0F * half + 2.0F * kMu, kTolerance) << nodes;
    }
}

TEST_F(IntegralLayoutTest, WithoutAUsableGlyphTheNominalBoxStays)
{
    const char *const limits = "Gr $l (t='lowr') { Bg {} Fx (w=3,t=4,b=-1) {} } Gr $u (t='uppr') { Bg {} Fx (w=4,t=3,b=-2) {} } ";
    const struct
    {
        const char *name;
        const char *data;
        uint32_t setCodePoint;  // set after reading, as an editing command would (0: keep)
    } cases[] = {
        {"zero-height glyph", "u32{0x220F} ", 0},
        {"not in the font", "u32{0x41} ", 0},
        {"no U+FFFD in the font (read from 0xD800)", "u32{0xD800} ", 0},
        {"a code point past U+10FFFF passed in", "", 0x110000},
        {"a surrogate passed in", "", 0xDFFF},
    };
    const float shift = 0.5F * 0.65F * kEm;
    for (const auto &c : cases)
    {
        for (const char *flags : {"", "(il) "})
        {
            IntegralNode *in = Lay(std::string("In $i ") + flags + "{ " + c.data + limits + kBody + " }");
            ASSERT_NE(in, nullptr) << c.name;
            if (c.setCodePoint != 0)
            {
                in->codePoint = c.setCodePoint;
                document->LayoutAll(&design);
            }
            std::string label = std::string(c.name) + " " + flags;
            ASSERT_TRUE(in->glyphMode) << label;
            EXPECT_FALSE(in->glyph.IsDrawn()) << label;
            const MathNode *nodes[] = {in, in->GetBody(), in->GetLower(), in->GetUpper()};
            for (const MathNode *node : nodes)
            {
                for (float v : {node->width, node->top, node->bottom, node->position.x, node->position.y})
                    EXPECT_TRUE(std::isfinite(v)) << label;
            }
            EXPECT_EQ(in->signHalfWidth, 0.0F) << label;
            EXPECT_NEAR(in->signBottom, kBottom, kTolerance) << label;
            EXPECT_NEAR(in->signTop, kTop, kTolerance) << label;
            EXPECT_TRUE(Items<ExportCurveItem>(in, &IntegralNode::BuildExportItems).empty()) << label;
            EXPECT_TRUE(Items<GlyphMeshItem>(in, &IntegralNode::BuildMeshItems).empty()) << label;
            // Limits placed as usual around the centre (glyph shifts, no slant).
            if (flags[0] == '\0')
            {
                EXPECT_NEAR(in->signCentre, 1.5F + shift, kTolerance) << label;
                EXPECT_NEAR(Group("l")->position.x, 0.0F, kTolerance) << label;
                EXPECT_NEAR(Group("u")->position.x, in->signCentre + shift - 2.0F, kTolerance) << label;
            }
            else
            {
                EXPECT_EQ(in->signCentre, 0.0F) << label;
                EXPECT_NEAR(Group("l")->position.x, -7.5F * kMu, kTolerance) << label;
                EXPECT_NEAR(Group("u")->position.x, 2.5F * kMu, kTolerance) << label;
            }
        }
    }
}

TEST(IntegralOutlines, RangeEndsGiveSoundOutlines)
{
    const std::string body = "Gr { Bg {} Fx (w=5,t=30,b=-12) {} }";
    const std::string nodes = "In $a (gr) { u32{0x2233} " + body + " } In $b { u32{0x222F} " + body +
                              " } In $c (sm,il) { u32{0x2232} " + body + " } In $d (gr) { u32{0x2A0C} " + body + " }";
    test::ForEachRangeEnd(kIntegralKind, [&](const Design &factory, const std::string &label) {
        for (float size : test::kRangeSizes)
        {
            Design design;
            const int32_t group = FindDesignGroup(kIntegralKind);
            std::copy_n(factory.GetGroupSlots(group), kDesignGroupTables[group].slotCount, design.GetGroupSlots(group));
            ASSERT_TRUE(test::SetDesignParam(&design, 0, 'fsiz', size));
            test::StructureTestDocument document;
            ASSERT_EQ(ResultText(document.ParseAndResolve(Equation(nodes).c_str())), "0");
            document.LayoutAll(&design);
            for (const char *name : {"a", "b", "c", "d"})
            {
                auto *in = document.Find<IntegralNode>(name);
                std::string where = label + " at " + std::to_string(size) + " in " + name;
                ASSERT_FALSE(in->glyphMode) << where;
                test::OutlineChecks checks;
                checks.straightEdges = false;
                // Each sign apart (with 'advc' 0 they coincide).
                int32_t perSign = in->signCurveCount / in->signCount;
                for (int32_t i = 0; i < in->signCount; ++i)
                {
                    EXPECT_EQ(test::CheckOutline(in->signOutline + i * perSign, perSign, checks), "") << where;
                }
                if (in->loop)
                {
                    EXPECT_EQ(test::CheckOutline(in->loopOutline, in->loopCurveCount, checks), "") << where;
                }
                if (in->arrow)
                {
                    EXPECT_EQ(test::CheckOutline(in->arrowOutline, in->arrowCurveCount, checks), "") << where;
                }
                for (float v : {in->width, in->top, in->bottom, in->GetBody()->position.x})
                    EXPECT_TRUE(std::isfinite(v)) << where;
            }
        }
    });
}

}  // namespace
}  // namespace oq
