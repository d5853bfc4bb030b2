// Boxes and strikes: the read and write tables (unknown types), copies that find the body by role, the
// layouts with the factory design, the frame's pieces and the strokes at every range end, the item
// order, and the full box against TeX's \boxed.
#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/BoxNode.h"
#include "editor/structures/LongDivisionNode.h"
#include "editor/structures/RadicalNode.h"
#include "editor/structures/StrikeNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace oq {
namespace {

using test::ResultText;

constexpr float kTolerance = 2e-4f;

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

TEST(BoxStrike, ReadAndWriteTable)
{
    const struct
    {
        std::string nodes;
        const char *result;
        const char *head;  // the head written back ("" to skip)
        uint32_t type;
    } cases[] = {
        {"Bx $n { Gr { Bg {} } }", "0", "\tBx\n", kBoxFull},
        {"Bx $n (t='full') { Gr { Bg {} } }", "0", "\tBx\n", kBoxFull},
        {"Bx $n (t='xxxx') { Gr { Bg {} } }", "0", "\tBx\n", kBoxFull},
        {"Bx $n (t='uplf') { Gr { Bg {} } }", "0", "\tBx (t='uplf')\n", kBoxUpperLeft},
        {"Bx $n (t='uprt') { Gr { Bg {} } }", "0", "\tBx (t='uprt')\n", kBoxUpperRight},
        {"Bx $n (pi=4,t='lwlf') { Gr { Bg {} } }", "0", "\tBx (pi=4,t='lwlf')\n", kBoxLowerLeft},
        {"Bx $n (t='lwrt') { Gr { Bg {} } }", "0", "\tBx (t='lwrt')\n", kBoxLowerRight},
        {"Bx $n { Gr (t='xtra') { Bg {} } Gr { Bg {} } }", "0", "", kBoxFull},
        {"Bx { Gr { Bg {} } Gr { Bg {} } }", "EXSB", "", 0},
        {"Bx { Gr (t='xtra') { Bg {} } }", "MSSB", "", 0},
        {"Bx { }", "MSSB", "", 0},
        {"Bx { Fx {} }", "IVST", "", 0},
        {"Kt $n { Gr { Bg {} } }", "0", "\tKt\n", kStrikeHorizontal},
        {"Kt $n (t='xxxx') { Gr { Bg {} } }", "0", "\tKt\n", kStrikeHorizontal},
        {"Kt $n (t='lwup') { Gr { Bg {} } }", "0", "\tKt (t='lwup')\n", kStrikeUp},
        {"Kt $n (t='uplw') { Gr { Bg {} } }", "0", "\tKt (t='uplw')\n", kStrikeDown},
        {"Kt $n (t='exxx',co=0xFF00FF00) { Gr { Bg {} } }", "0", "\tKt (co=0xFF00FF00,t='exxx')\n", kStrikeCross},
        {"Kt { Gr { Bg {} } Gr { Bg {} } }", "EXSB", "", 0},
        {"Kt { Gr (t='xtra') { Bg {} } }", "MSSB", "", 0},
        {"Kt { Fx {} }", "IVST", "", 0},
    };
    for (const auto &c : cases)
    {
        std::string text = Equation(c.nodes);
        test::StructureTestDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << text;
        if (std::string(c.result) != "0") continue;
        if (auto *box = document.Find<BoxNode>("n")) EXPECT_EQ(box->type, c.type) << text;
        else EXPECT_EQ(document.Find<StrikeNode>("n")->type, c.type) << text;
        std::string written = test::ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.head), std::string::npos) << written;
        EXPECT_EQ(written.find("xxxx"), std::string::npos) << written;
    }
}

TEST(BoxStrike, CopiesFindTheBodyByRole)
{
    for (const char *head : {"Bx", "Kt"})
    {
        test::StructureTestDocument document;
        std::string text =
            Equation(std::string(head) + " $n { Gr (t='xxxx') { Bg {} Fx (w=1) {} } Gr $b { Bg {} Fx (w=2) {} } }");
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *node = document.Find<StructureNode>("n");
        ASSERT_EQ(node->GetSlot(0), document.Find<GroupNode>("b"));
        std::unique_ptr<DocumentNode> copy(node->DeepCopy());
        auto *copied = dynamic_cast<StructureNode *>(copy.get());
        ASSERT_NE(copied, nullptr);
        GroupNode *body = copied->GetSlot(0);
        ASSERT_NE(body, nullptr) << head;
        EXPECT_EQ(body->role, 0u) << head;
        // The copy's second child is the copy of the role-0 group.
        MathNode *first = copied->GetFirstMathSubnode();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first->GetNextMathNode(), body) << head;
        EXPECT_EQ(copied->GetFirstGroup(), body);
        EXPECT_EQ(copied->GetLastGroup(), body);
        EXPECT_EQ(copied->GetNextGroup(body), nullptr);
        EXPECT_EQ(copied->GetGroupAbove(body), nullptr);
    }
    BoxNode box(kBoxLowerLeft);
    std::unique_ptr<DocumentNode> clone(box.Clone());
    EXPECT_EQ(static_cast<BoxNode *>(clone.get())->type, kBoxLowerLeft);
    StrikeNode strike(kStrikeCross);
    GroupNode *body = strike.GetOrCreateMainGroup();
    EXPECT_EQ(strike.GetOrCreateMainGroup(), body);
    EXPECT_EQ(strike.GetBody(), body);
}

TEST(BoxStrike, FactoryMakesTheEnclosingKinds)
{
    RegisterDocumentKindsOnce();
    RegisterStructureKinds();
    std::unique_ptr<KettricStructure> box(MakeRegisteredStructure("Bx"));
    std::unique_ptr<KettricStructure> strike(MakeRegisteredStructure("Kt"));
    std::unique_ptr<KettricStructure> radical(MakeRegisteredStructure("Rd"));
    std::unique_ptr<KettricStructure> division(MakeRegisteredStructure("Dv"));
    ASSERT_NE(dynamic_cast<BoxNode *>(box.get()), nullptr);
    ASSERT_NE(dynamic_cast<StrikeNode *>(strike.get()), nullptr);
    EXPECT_EQ(static_cast<BoxNode *>(box.get())->type, kBoxFull);
    EXPECT_EQ(static_cast<StrikeNode *>(strike.get())->type, kStrikeHorizontal);
    EXPECT_EQ(static_cast<BoxNode *>(box.get())->GetBody(), nullptr);
    ASSERT_NE(dynamic_cast<RadicalNode *>(radical.get()), nullptr);
    EXPECT_FALSE(static_cast<RadicalNode *>(radical.get())->noSlant);
    ASSERT_NE(dynamic_cast<LongDivisionNode *>(division.get()), nullptr);
    EXPECT_EQ(static_cast<LongDivisionNode *>(division.get())->GetDividend(), nullptr);
}

// Lays out one node named n in the design.
template <typename T>
T *LayOut(test::StructureTestDocument *document, const Design &design, const std::string &nodes)
{
    EXPECT_EQ(ResultText(document->ParseAndResolve(Equation(nodes).c_str())), "0") << nodes;
    document->LayoutAll(&design);
    return document->Find<T>("n");
}

// Whether the point lies inside the polygon of the curves' start points (even-odd).
bool InsidePolygon(const QuadraticBezier2D *curves, int32_t count, float x, float y)
{
    bool inside = false;
    for (int32_t i = 0; i < count; ++i)
    {
        const Point2D &a = curves[i].p0;
        const Point2D &b = curves[i].p2;
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) inside = !inside;
    }
    return inside;
}

TEST(BoxStrike, BoxLayouts)
{
    const struct
    {
        const char *type;
        const char *body;
        float top;
    } cases[] = {
        {"full", "Fx (w=6,t=9,b=-1) {}", 12.08185f},
        {"full", "Fx (w=6,t=12,b=-1) {}", 14.04875f},
        {"uplf", "Fx (w=6,t=9,b=-1) {}", 12.08185f},
        {"uprt", "Fx (w=6,t=9,b=-1) {}", 12.08185f},
        {"lwlf", "Fx (w=6,t=9,b=-1) {}", 12.08185f},
        {"lwrt", "Fx (w=6,t=9,b=-1) {}", 12.08185f},
    };
    Design design;
    float rule = design.GetBaseFontSize() / 18.0f * GetGroupParam(&design, kBoxKind, 'rule');
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        auto *box = LayOut<BoxNode>(&document, design,
                                    std::string("Bx $n (t='") + c.type + "') { Gr $b { Bg {} " + c.body + " } }");
        std::string label = std::string(c.type) + " " + c.body;
        EXPECT_NEAR(document.Find<GroupNode>("b")->position.x, 4.79875f, kTolerance) << label;
        EXPECT_NEAR(box->width, 15.5975f, kTolerance) << label;
        EXPECT_NEAR(box->top, c.top, kTolerance) << label;
        EXPECT_NEAR(box->bottom, -4.79875f, kTolerance) << label;
        float xl = box->leftSpacing;
        float xr = box->width - box->rightSpacing;
        bool full = std::string(c.type) == "full";
        ASSERT_EQ(box->outlineCount, full ? 16 : 8) << label;
        test::OutlineChecks checks = test::NodeBoxChecks(box);
        checks.outerContours = full ? 4 : 2;
        checks.closeTolerance = 0.0f;
        EXPECT_EQ(test::CheckOutline(box->outline, box->outlineCount, checks), "") << label;
        ASSERT_EQ(test::FindContourStarts(box->outline, box->outlineCount, 0.0f).size(), full ? 4u : 2u) << label;

        // Every point of the rules is covered by a piece: no gap at the joints. A corner covers its
        // two rules and nothing of the others.
        bool upper = c.type[0] == 'u' || full;
        bool lower = c.type[0] == 'l' || full;
        bool leftRule = full || c.type[3] == 'f';
        bool rightRule = full || c.type[3] == 't';
        for (int32_t i = 1; i < 200; ++i)
        {
            for (int32_t j = 1; j < 200; ++j)
            {
                float x = xl + (xr - xl) * (float(i) + 0.37f) / 200.0f;
                float y = box->bottom + (box->top - box->bottom) * (float(j) + 0.41f) / 200.0f;
                bool inBottom = y < box->bottom + rule;
                bool inTop = y > box->top - rule;
                bool inLeft = x < xl + rule;
                bool inRight = x > xr - rule;
                bool wanted = (inBottom && lower) || (inTop && upper) || (inLeft && leftRule) || (inRight && rightRule);
                bool covered = false;
                for (int32_t piece = 0; piece < box->outlineCount; piece += 4)
                    covered = covered || InsidePolygon(box->outline + piece, 4, x, y);
                ASSERT_EQ(covered, wanted) << label << " at " << x << ", " << y;
            }
        }
    }

    // Around an empty body the box still reaches from vtsp below the baseline to vtsp above the cap height.
    test::StructureTestDocument document;
    auto *box = LayOut<BoxNode>(&document, design, "Bx $n { Gr { Bg {} } }");
    float mu = design.GetBaseFontSize() / 18.0f;
    EXPECT_NEAR(box->bottom, -mu * 7.0f - rule, kTolerance);
    EXPECT_NEAR(box->top, design.GetBaseFontSize() * GetGeneralParam(&design, 'cptl') + mu * 7.0f + rule, kTolerance);
}

TEST(BoxStrike, StrikeLayouts)
{
    Design design;
    float mu = design.GetBaseFontSize() / 18.0f;
    float h = mu * GetGroupParam(&design, kStrikeKind, 'rule') * 0.5f;
    // A diagonal over an empty body: from dsct below the baseline to asct above the cap height.
    test::StructureTestDocument document;
    auto *strike = LayOut<StrikeNode>(&document, design, "Kt $n (t='lwup') { Gr $b { Bg {} } }");
    ASSERT_EQ(strike->outlineCount, 4);
    float xr = strike->width - strike->rightSpacing;
    EXPECT_NEAR(xr, 7.33333f, kTolerance);
    EXPECT_NEAR(document.Find<GroupNode>("b")->position.x, 1.22222f, kTolerance);
    Point2D low = test::FindContourStarts(strike->outline, 4, 0.0f).size() == 1 ? strike->outline[0].p0 : Point2D();
    Point2D high = strike->outline[1].p0;
    // The centre line runs from (L, yb) to (xr, yt).
    Point2D start((strike->outline[0].p0.x + strike->outline[3].p0.x) * 0.5f,
                  (strike->outline[0].p0.y + strike->outline[3].p0.y) * 0.5f);
    Point2D end((strike->outline[1].p0.x + strike->outline[2].p0.x) * 0.5f,
                (strike->outline[1].p0.y + strike->outline[2].p0.y) * 0.5f);
    EXPECT_NEAR(start.x, strike->leftSpacing, kTolerance);
    EXPECT_NEAR(start.y, -2.44444f, kTolerance);
    EXPECT_NEAR(end.x, 7.33333f, kTolerance);
    EXPECT_NEAR(end.y, 7.89421f, kTolerance);
    EXPECT_FLOAT_EQ(strike->bottom, std::min(low.y, strike->outline[3].p0.y));
    EXPECT_FLOAT_EQ(strike->top, std::max(high.y, strike->outline[2].p0.y));
    EXPECT_LT(strike->bottom, -2.44444f);

    // A horizontal strike keeps the body's extent; its rule lies on the axis.
    test::StructureTestDocument plain;
    auto *horizontal = LayOut<StrikeNode>(&plain, design, "Kt $n { Gr { Bg {} Fx (w=6,t=9,b=-1) {} } }");
    EXPECT_EQ(horizontal->top, 9.0f);
    EXPECT_EQ(horizontal->bottom, -1.0f);
    ASSERT_EQ(horizontal->outlineCount, 4);
    float axis = design.GetBaseFontSize() * GetGeneralParam(&design, 'axis');
    EXPECT_NEAR(horizontal->outline[0].p0.y, axis - h, kTolerance);
    EXPECT_NEAR(horizontal->outline[2].p0.y, axis + h, kTolerance);
    EXPECT_NEAR(horizontal->width, 0.61111f + 6.0f + 2.0f * 0.61111f + 0.61111f, kTolerance);
}

TEST(BoxStrike, StrokesAtEveryRangeEnd)
{
    const struct
    {
        const char *type;
        int32_t curves;
    } types[] = {{"horz", 4}, {"lwup", 4}, {"uplw", 4}, {"exxx", 8}};
    test::ForEachRangeEnd(kStrikeKind, [&](const Design &design, const std::string &label) {
        float h = design.GetBaseFontSize() / 18.0f * GetGroupParam(&design, kStrikeKind, 'rule') * 0.5f;
        for (const auto &t : types)
        {
            for (const char *body : {"", "Fx (w=0.5,t=3,b=-1) {}", "Fx (w=20,t=14,b=-8) {}"})
            {
                test::StructureTestDocument document;
                auto *strike = LayOut<StrikeNode>(&document, design,
                                                  std::string("Kt $n (t='") + t.type + "') { Gr { Bg {} " + body + " } }");
                ASSERT_EQ(strike->outlineCount, t.curves) << label << " " << t.type;
                test::OutlineChecks checks = test::NodeBoxChecks(strike);
                checks.outerContours = t.curves / 4;
                checks.closeTolerance = 0.0f;
                checks.boxMargin = h;
                if (t.curves == 4) checks.simple = true;
                EXPECT_EQ(test::CheckOutline(strike->outline, strike->outlineCount, checks), "")
                    << label << " " << t.type << " " << body;
                if (t.curves != 8) continue;
                // 'lwup' first (rising), then 'uplw' (falling).
                EXPECT_LT(strike->outline[0].p0.y, strike->outline[1].p0.y) << label;
                EXPECT_GT(strike->outline[4].p0.y, strike->outline[5].p0.y) << label;
            }
        }
    });
}

TEST(BoxStrike, ItemOrder)
{
    // A root in the body draws one item: the frame comes before it, the strike after it.
    const char *const root = "Rd { Gr { Bg {} Fx (w=3,t=5,b=-1) {} } }";
    const struct
    {
        const char *head;
        const char *properties;
        int32_t frameIndex;
        int32_t curves;
    } cases[] = {{"Bx", "", 0, 16}, {"Kt", "(t='exxx')", 1, 8}, {"Kt", "", 1, 4}};
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        std::string text = std::string(c.head) + " $n " + c.properties + " { Gr { Bg {} " + root + " } }";
        ASSERT_EQ(ResultText(document.ParseAndResolve(Equation(text).c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *node = document.Find<MathNode>("n");
        DisplayList exported;
        node->BuildExportItems(&design, &exported);
        DisplayList paths;
        node->BuildPathItems(&design, &paths);
        ASSERT_EQ(exported.GetListElementCount(), 2) << c.head;
        ASSERT_EQ(paths.GetListElementCount(), 2) << c.head;
        ListElement *first = exported.GetFirstListElement();
        auto *frame = static_cast<ExportCurveItem *>(c.frameIndex == 0 ? first : first->GetNextListElement());
        auto *other = static_cast<ExportCurveItem *>(c.frameIndex == 0 ? first->GetNextListElement() : first);
        EXPECT_EQ(frame->curveCount, c.curves) << c.head;
        EXPECT_EQ(other->curveCount, 11) << c.head;
        exported.Purge();
        paths.Purge();
    }
}

const test::TexLayoutOracle &Oracle(std::string *failure)
{
    static std::string result;
    static test::TexLayoutOracle oracle = [] {
        test::TexLayoutOracle o;
        o.Add("\\boxed{" + test::TexRuleBox(8, 2, 6) + "}");
        o.Add("\\boxed{" + test::TexRuleBox(12, 0.5, 1) + "}");
        o.Add("\\boxed{" + test::TexRuleBox(9, 6, 20) + "}");
        // \fboxrule and \fboxsep as widths.
        o.Add("\\vrule width\\fboxrule height 0pt depth 0pt");
        o.Add("\\kern\\fboxsep");
        result = o.Run();
        return o;
    }();
    *failure = result;
    return oracle;
}

TEST(BoxStrike, FullBoxIsTexBoxed)
{
    std::string failure;
    const test::TexLayoutOracle &oracle = Oracle(&failure);
    ASSERT_EQ(failure, "");
    double ruleWidth = oracle.GetBox(3).width;
    double separation = oracle.GetBox(4).width;
    // Computer Modern: 8 pt high, 2 pt deep and 6 pt wide gives 12.8 x (11.4 + 5.4).
    EXPECT_NEAR(oracle.GetBox(0).width, 12.8, 1e-4);
    EXPECT_NEAR(oracle.GetBox(0).height, 11.4, 1e-4);
    EXPECT_NEAR(oracle.GetBox(0).depth, 5.4, 1e-4);
    const double mu = 10.0 / 18.0;
    Design design;
    test::SetTexDerivedDesign(oracle.GetFontParams(), &design);
    const struct
    {
        uint32_t key;
        double value;
    } rows[] = {{'rule', ruleWidth / mu}, {'insp', separation / mu}, {'vtgp', separation / mu}, {'vtsp', 0.0}, {'exsp', 0.0}};
    for (const auto &row : rows) ASSERT_TRUE(test::SetDesignParam(&design, kBoxKind, row.key, float(row.value)));
    const char *const bodies[] = {"Fx (w=6,t=8,b=-2) {}", "Fx (w=1,t=12,b=-0.5) {}", "Fx (w=20,t=9,b=-6) {}"};
    for (int32_t i = 0; i < 3; ++i)
    {
        test::StructureTestDocument document;
        auto *box = LayOut<BoxNode>(&document, design, std::string("Bx $n { Gr { Bg {} ") + bodies[i] + " } }");
        test::TexBox tex = oracle.GetBox(i);
        EXPECT_NEAR(box->width, tex.width, test::kTexLayoutTolerance) << bodies[i];
        EXPECT_NEAR(box->top, tex.height, test::kTexLayoutTolerance) << bodies[i];
        EXPECT_NEAR(-box->bottom, tex.depth, test::kTexLayoutTolerance) << bodies[i];
    }
}

}  // namespace
}  // namespace oq
