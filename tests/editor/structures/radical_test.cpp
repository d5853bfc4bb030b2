// Roots: the read and write table, navigation and copies, the layout with the factory design (sign,
// radicand and degree places), the sign's outline at every range end of its parameters and in the
// design where the vinculum would come down to the sign's bottom, and the radicand's slant.
#include "DesignRangeCases.h"
#include "LeaningFont.h"
#include "StructureFixtures.h"
#include "editor/document/OneFontTest.h"

#include "editor/document/GroupNode.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/RadicalNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace oq {
namespace {

using test::ResultText;

constexpr float kTolerance = 2e-4f;
constexpr const char *kBody = "Fx (w=6,t=9,b=-1) {}";

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

// A root named r over the radicand (named b), with a degree (named d) when one is given.
std::string Radical(const std::string &radicand, const char *degree = nullptr, const char *properties = "")
{
    std::string text = std::string("Rd $r ") + properties + " { Gr $b { Bg {} " + radicand + " }";
    if (degree != nullptr) text += std::string(" Gr $d (t='degr') { Bg {} ") + degree + " }";
    return text + " }";
}

TEST(Radical, ReadAndWriteTable)
{
    const test::ReadWriteCase cases[] = {
        {"Rd { Gr { Bg {} } }", "0", "\tRd\n\t{\n\t\tGr\n"},
        {"Rd (ns,pi=2) { Gr (t='degr') { Bg {} } Gr { Bg {} } }", "0", "Rd (pi=2,ns)\n"},
        {"Rd { Gr (t='xtra') { Bg {} } Gr { Bg {} } }", "0", "t='xtra'"},
        {"Rd { Gr { Bg {} } Gr { Bg {} } }", "EXSB", ""},
        {"Rd { Gr { Bg {} } Gr (t='degr') { Bg {} } Gr (t='degr') { Bg {} } }", "EXSB", ""},
        {"Rd { Gr (t='degr') { Bg {} } }", "MSSB", ""},
        {"Rd { }", "MSSB", ""},
        {"Rd { Fx {} }", "IVST", ""},
    };
    test::ExpectReadWriteTable(cases);
}

TEST(Radical, NavigationGetOrCreateAndCopies)
{
    RadicalNode fresh;
    EXPECT_FALSE(fresh.noSlant);
    EXPECT_EQ(fresh.GetRadicand(), nullptr);
    GroupNode *radicand = fresh.GetOrCreateMainGroup();
    ASSERT_NE(radicand, nullptr);
    EXPECT_EQ(fresh.GetFirstGroup(), radicand);
    GroupNode *degree = fresh.GetOrCreateDegree();
    ASSERT_NE(degree, nullptr);
    EXPECT_EQ(degree->role, kDegreeRole);
    EXPECT_EQ(fresh.GetOrCreateDegree(), degree);
    EXPECT_EQ(fresh.GetOrCreateMainGroup(), radicand);
    EXPECT_FALSE(fresh.HasVariant());
    // The degree comes first, the radicand last.
    EXPECT_EQ(fresh.GetFirstGroup(), degree);
    EXPECT_EQ(fresh.GetLastGroup(), radicand);
    EXPECT_EQ(fresh.GetNextGroup(degree), radicand);
    EXPECT_EQ(fresh.GetPreviousGroup(radicand), degree);
    EXPECT_EQ(fresh.GetNextGroup(radicand), nullptr);
    EXPECT_EQ(fresh.GetGroupAbove(radicand), nullptr);
    EXPECT_EQ(fresh.GetGroupBelow(degree), nullptr);

    // A copy keeps "ns" and finds its slots by role, whatever their order.
    test::StructureTestDocument document;
    std::string text = Equation("Rd $r (ns) { Gr (t='degr') { Bg {} } Gr (t='xtra') { Bg {} } Gr { Bg {} } }");
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    std::unique_ptr<DocumentNode> copy(document.Find<RadicalNode>("r")->DeepCopy());
    auto *radical = dynamic_cast<RadicalNode *>(copy.get());
    ASSERT_NE(radical, nullptr);
    EXPECT_TRUE(radical->noSlant);
    ASSERT_NE(radical->GetRadicand(), nullptr);
    ASSERT_NE(radical->GetDegree(), nullptr);
    EXPECT_EQ(radical->GetRadicand()->role, 0u);
    EXPECT_EQ(radical->GetDegree()->role, kDegreeRole);
}

// The centre line of the sign, found back from its eleven corners: the midpoint of two points on
// opposite edges of a band lies on the band's centre line.
struct SignLine
{
    Point2D p1, p2, p3, p4;
    float vinculumLow, vinculumHigh, xr;
};

Point2D Mid(const Point2D &a, const Point2D &b)
{
    return Point2D((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f);
}

// Where the line through a and b meets the line through c and d.
Point2D Cross(const Point2D &a, const Point2D &b, const Point2D &c, const Point2D &d)
{
    double rx = b.x - a.x, ry = b.y - a.y, sx = d.x - c.x, sy = d.y - c.y;
    double t = ((c.x - a.x) * sy - (c.y - a.y) * sx) / (rx * sy - ry * sx);
    return Point2D(float(a.x + rx * t), float(a.y + ry * t));
}

SignLine FindSignLine(const RadicalNode &radical)
{
    Point2D v[11];
    for (int32_t i = 0; i < 11; ++i) v[i] = radical.outline[i].p0;
    SignLine line;
    line.p1 = Mid(v[0], v[1]);
    line.p2 = Mid(v[2], v[10]);
    Point2D down = Mid(v[3], v[9]);
    Point2D upLow = Mid(v[4], v[9]);
    Point2D upHigh = Mid(v[5], v[8]);
    line.p3 = Cross(line.p2, down, upLow, upHigh);
    line.vinculumLow = v[6].y;
    line.vinculumHigh = v[7].y;
    line.xr = v[6].x;
    float yv = (v[6].y + v[7].y) * 0.5f;
    line.p4 = Cross(upLow, upHigh, Point2D(0.0f, yv), Point2D(1.0f, yv));
    return line;
}

TEST(Radical, FactoryLayouts)
{
    const struct
    {
        const char *radicand;
        float yv, top, bottom, width;
    } cases[] = {
        {kBody, 10.78826f, 11.04875f, -2.22222f, 16.00694f},
        {"", 9.72754f, 9.98803f, -1.75694f, 15.50694f},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(Equation(Radical(c.radicand)).c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *radical = document.Find<RadicalNode>("r");
        auto *radicand = document.Find<GroupNode>("b");
        EXPECT_NEAR(radical->leftSpacing, 0.61111f, kTolerance) << c.radicand;
        EXPECT_NEAR(radical->rightSpacing, 0.61111f, kTolerance) << c.radicand;
        EXPECT_NEAR(radical->top, c.top, kTolerance) << c.radicand;
        EXPECT_NEAR(radical->bottom, c.bottom, kTolerance) << c.radicand;
        EXPECT_NEAR(radical->width, c.width, kTolerance) << c.radicand;
        ASSERT_EQ(radical->outlineCount, 11);
        SignLine line = FindSignLine(*radical);
        EXPECT_NEAR(line.p1.x, 0.61111f, kTolerance);
        EXPECT_NEAR(line.p2.x, 1.71111f, kTolerance);
        EXPECT_NEAR(line.p3.x, 3.77361f, kTolerance);
        EXPECT_NEAR(line.p4.x, 8.17361f, kTolerance);
        EXPECT_NEAR((line.vinculumLow + line.vinculumHigh) * 0.5f, c.yv, kTolerance);
        EXPECT_NEAR(line.xr, c.width - 0.61111f, kTolerance);
        EXPECT_NEAR(radicand->position.x, 8.78472f, kTolerance);
        EXPECT_EQ(radicand->position.y, 0.0f);
    }
    EXPECT_NEAR(15.39583f, 16.00694f - 0.61111f, kTolerance);

    // One item for the sign first, in export and fill paths (the fixed box draws nothing).
    test::StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(Equation(Radical(kBody)).c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    auto *radical = document.Find<RadicalNode>("r");
    DisplayList exported;
    radical->BuildExportItems(&design, &exported);
    DisplayList paths;
    radical->BuildPathItems(&design, &paths);
    EXPECT_EQ(exported.GetListElementCount(), 1);
    EXPECT_EQ(paths.GetListElementCount(), 1);
    EXPECT_NE(dynamic_cast<ExportCurveItem *>(exported.GetFirstListElement()), nullptr);
    exported.Purge();
    paths.Purge();
}

// Lays out one root in the design; the document keeps it.
RadicalNode *LayOut(test::StructureTestDocument *document, const Design &design, const std::string &nodes)
{
    EXPECT_EQ(ResultText(document->ParseAndResolve(Equation(nodes).c_str())), "0") << nodes;
    document->LayoutAll(&design);
    return document->Find<RadicalNode>("r");
}

TEST(Radical, SignBottomStaysDescentSpacingBelowTheRadicand)
{
    for (float rule : {0.25f, 0.8525f, 4.0f})
    {
        for (float scale : {0.1f, 1.5f, 8.0f})
        {
            Design design;
            ASSERT_TRUE(test::SetDesignParam(&design, 'rdcl', 'rule', rule));
            ASSERT_TRUE(test::SetDesignParam(&design, 'rdcl', 'rsc1', scale));
            ASSERT_TRUE(test::SetDesignParam(&design, 'rdcl', 'rsc2', scale));
            test::StructureTestDocument document;
            RadicalNode *radical = LayOut(&document, design, Radical("Fx (w=6,t=9,b=-3) {}"));
            float mu = design.GetBaseFontSize() / 18.0f;
            float expected = -3.0f - mu * GetGroupParam(&design, 'rdcl', 'dssp');
            ASSERT_EQ(radical->outlineCount, 11);
            EXPECT_FLOAT_EQ(radical->bottom, expected) << rule << " " << scale;
            EXPECT_FLOAT_EQ(radical->outline[3].p0.y, expected) << rule << " " << scale;
            EXPECT_FLOAT_EQ(radical->outline[4].p0.y, expected) << rule << " " << scale;
        }
    }
}

TEST(Radical, DegreePlaceAndShift)
{
    Design design;
    float mu = design.GetBaseFontSize() / 18.0f;
    // A degree deeper than the gap allows sits the least gap above the tick's upper joint; its right
    // end lies the horizontal spacing left of the rising stroke's centre line at its baseline.
    test::StructureTestDocument narrowDocument;
    RadicalNode *narrow = LayOut(&narrowDocument, design, Radical(kBody, "Fx (w=2,t=3,b=-4) {}"));
    auto *degree = narrowDocument.Find<GroupNode>("d");
    SignLine line = FindSignLine(*narrow);
    float joint = narrow->outline[10].p0.y;
    EXPECT_NEAR(degree->position.y + degree->bottom, joint + mu * GetGroupParam(&design, 'rdcl', 'dgvg'), kTolerance);
    float baseline = degree->position.y + degree->GetLastRowBaseline();
    float strokeX = line.p3.x + (baseline - line.p3.y) * (line.p4.x - line.p3.x) / (line.p4.y - line.p3.y);
    float right = degree->position.x + degree->width;
    EXPECT_NEAR(strokeX - right, mu * GetGroupParam(&design, 'rdcl', 'dghs'), kTolerance);
    EXPECT_GT(degree->position.x, narrow->leftSpacing);
    EXPECT_NEAR(narrow->top, std::max(degree->position.y + degree->top, line.vinculumHigh), kTolerance);

    // A very wide degree moves sign, degree and radicand right by g and widens the node by g.
    test::StructureTestDocument wideDocument;
    RadicalNode *wide = LayOut(&wideDocument, design, Radical(kBody, "Fx (w=40,t=3,b=-4) {}"));
    auto *wideDegree = wideDocument.Find<GroupNode>("d");
    float g = wide->leftSpacing - (degree->position.x + 2.0f - 40.0f);
    ASSERT_GT(g, 1.0f);
    EXPECT_NEAR(wideDegree->position.x, wide->leftSpacing, kTolerance);
    EXPECT_EQ(wideDegree->position.y, degree->position.y);
    EXPECT_NEAR(wide->width, narrow->width + g, kTolerance);
    EXPECT_NEAR(wideDocument.Find<GroupNode>("b")->position.x, narrowDocument.Find<GroupNode>("b")->position.x + g,
                kTolerance);
    for (int32_t i = 0; i < 11; ++i)
    {
        EXPECT_NEAR(wide->outline[i].p0.x, narrow->outline[i].p0.x + g, kTolerance) << i;
        EXPECT_NEAR(wide->outline[i].p0.y, narrow->outline[i].p0.y, kTolerance) << i;
    }
}

TEST(Radical, DegreeScaleByScriptDepth)
{
    // Roots nested in degrees: depth 0, 1 and 2.
    test::StructureTestDocument document;
    std::string inner = "Rd { Gr { Bg {} Fx {} } Gr $d2 (t='degr') { Bg {} Fx {} } }";
    std::string middle = "Rd { Gr { Bg {} Fx {} } Gr $d1 (t='degr') { Bg {} " + inner + " } }";
    std::string outer = "Rd $r { Gr { Bg {} Fx {} } Gr $d0 (t='degr') { Bg {} " + middle + " } }";
    Design design;
    LayOut(&document, design, outer);
    const struct
    {
        const char *name;
        float factor;
        uint8_t step;
    } cases[] = {{"d0", 0.65f, 1}, {"d1", 0.75f, 1}, {"d2", 1.0f, 0}};
    for (const auto &c : cases)
    {
        auto *degree = document.Find<GroupNode>(c.name);
        ASSERT_NE(degree, nullptr);
        EXPECT_FLOAT_EQ(degree->sizeFactor, c.factor) << c.name;
        EXPECT_EQ(degree->scriptStep, c.step) << c.name;
    }
}

TEST(Radical, VinculumClearsTheRadicandAndNeverComesDown)
{
    // The sign is no TeX surd glyph: only the gap and the rise are TeX's.
    Design design;
    float mu = design.GetBaseFontSize() / 18.0f;
    float gap = mu * GetGroupParam(&design, 'rdcl', 'vtgp');
    float previous = -1e9f;
    for (float radicandTop = 0.0f; radicandTop <= 30.0f; radicandTop += 0.75f)
    {
        test::StructureTestDocument document;
        std::string body = "Fx (w=6,t=" + std::to_string(radicandTop) + ",b=-1) {}";
        RadicalNode *radical = LayOut(&document, design, Radical(body));
        SignLine line = FindSignLine(*radical);
        float top = document.Find<GroupNode>("b")->top;
        EXPECT_GE(line.vinculumLow - top, gap - kTolerance) << radicandTop;
        EXPECT_GE(line.vinculumLow, previous) << radicandTop;
        previous = line.vinculumLow;
    }
}

// The sign's checks: eleven straight edges, closed, counter-clockwise, simple.
test::OutlineChecks SignChecks()
{
    test::OutlineChecks checks;
    checks.simple = true;
    return checks;
}

TEST(Radical, OutlineAtEveryRangeEnd)
{
    test::ForEachRangeEnd('rdcl', [](const Design &design, const std::string &label) {
        for (const char *radicand : {kBody, ""})
        {
            test::StructureTestDocument document;
            RadicalNode *radical = LayOut(&document, design, Radical(radicand, "Fx (w=2,t=3,b=-1) {}"));
            ASSERT_EQ(radical->outlineCount, 11) << label;
            bool together = label.rfind("all at", 0) == 0;
            test::OutlineChecks checks = SignChecks();
            // With every stroke at its extreme at once the mitres may cross; only a closed positive
            // outline is promised there.
            checks.simple = !together;
            EXPECT_EQ(test::CheckOutline(radical->outline, 11, checks), "") << label << " " << radicand;
            float mu = design.GetBaseFontSize() / 18.0f;
            SignLine line = FindSignLine(*radical);
            EXPECT_NEAR(line.vinculumHigh - line.vinculumLow, mu * GetGroupParam(&design, 'rdcl', 'rule'), 1e-4f)
                << label;
            EXPECT_EQ(radical->outline[6].p0.x, radical->outline[7].p0.x) << label;
        }
    });
}

TEST(Radical, VinculumRisesAboveAFoldingSign)
{
    // With no cap height, spacing or gap, a thick rule and a heavy descending stroke, the sign's
    // bottom would lie above the vinculum over an empty radicand; the vinculum rises instead.
    Design design;
    ASSERT_TRUE(test::SetDesignParam(&design, 0, 'cptl', 0.0f));
    const struct
    {
        uint32_t key;
        float value;
    } params[] = {{'rule', 4.0f}, {'rsc1', 8.0f}, {'vtsp', 0.0f}, {'vtgp', 0.0f}, {'dssp', 0.0f}};
    for (const auto &p : params) ASSERT_TRUE(test::SetDesignParam(&design, 'rdcl', p.key, p.value));
    test::StructureTestDocument document;
    RadicalNode *radical = LayOut(&document, design, Radical("", "Fx (w=2,t=3,b=-1) {}"));
    ASSERT_EQ(radical->outlineCount, 11);
    test::OutlineChecks checks;
    EXPECT_EQ(test::CheckOutline(radical->outline, 11, checks), "");
    double area = test::SignedOutlineArea(radical->outline, 0, 11);
    EXPECT_NEAR(area, 15.5, 0.05);
    float mu = design.GetBaseFontSize() / 18.0f;
    float h = mu * 4.0f * 0.5f;
    float radicandBottom = document.Find<GroupNode>("b")->bottom;
    float yb = radicandBottom + h * 8.0f;
    SignLine line = FindSignLine(*radical);
    float yv = (line.vinculumLow + line.vinculumHigh) * 0.5f;
    EXPECT_GE(yv - yb, h - kTolerance);
    auto *degree = document.Find<GroupNode>("d");
    EXPECT_TRUE(std::isfinite(degree->position.x));
    EXPECT_NEAR(radical->top, std::max(yv + h, degree->position.y + degree->top), kTolerance);
    EXPECT_FLOAT_EQ(radical->bottom, radicandBottom);
}

class RadicalSlantTest : public test::OneFontTest
{
protected:
    void SetUp() override { StartWithFont(test::MakeLeaningFont(), "leaning.vorl"); }
};

TEST_F(RadicalSlantTest, ItalicFirstLetterTucksUnderTheVinculum)
{
    for (float interior : {1.0f, 0.0f, 6.0f})
    {
        ASSERT_TRUE(test::SetDesignParam(&design, 'rdcl', 'insp', interior));
        float em = design.GetBaseFontSize();
        float c = em / 18.0f * interior;
        test::StructureTestDocument slanted;
        RadicalNode *radical = LayOut(&slanted, design, Radical("Sb $a {s{\"f\"}}"));
        test::StructureTestDocument plain;
        LayOut(&plain, design, Radical("Sb $a {s{\"f\"}}", nullptr, "(ns)"));
        auto *run = slanted.Find<SymbolRunNode>("a");
        float k = em * run->GetStartSlantCorrection(&design, GetGeneralParam(&design, 'cptl'));
        ASSERT_GT(k, 0.01f);
        float d = std::max(c - k, -run->leftInset);
        float xo = FindSignLine(*radical).p4.x;
        EXPECT_NEAR(slanted.Find<GroupNode>("b")->position.x, xo + d, kTolerance) << interior;
        EXPECT_NEAR(radical->width, xo + d + slanted.Find<GroupNode>("b")->width + c + radical->rightSpacing, kTolerance);
        // "ns" leaves the interior spacing; never further left than the run's inset.
        EXPECT_NEAR(plain.Find<GroupNode>("b")->position.x, xo + std::max(c, -run->leftInset), kTolerance) << interior;
        EXPECT_GE(slanted.Find<GroupNode>("b")->position.x, xo - run->leftInset - kTolerance);
    }
}

}  // namespace
}  // namespace oq
