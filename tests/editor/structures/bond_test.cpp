// Chemical bonds: the style and angle lists of the Kettric form, the layout of the main group, the
// labels and their lines with the factory design, the angles, navigation and every line's outline.
#include "support/DocumentTestKinds.h"

#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include "editor/document/GlyphLayout.h"
#include "editor/document/GroupNode.h"
#include "editor/document/MathDesign.h"
#include "editor/fonts/Design.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/BondNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;
using test::StructureTestDocument;

constexpr const char *kBox = "Fx (w=6,t=9,b=-1) {}";

// A group of the role (0: the main group "m") holding the fixed box; the name is the role's first
// letters ("uppr" -> $uppr).
std::string Group(uint32_t role, const char *contents = kBox)
{
    if (role == 0) return std::string(" Gr $m { Bg {} ") + contents + " }";
    std::string name = test::KeyName(role);
    return " Gr $" + name + " (t='" + name + "') { Bg {} " + contents + " }";
}

// A top-level row "Fx Bd" or just "Bd", the bond named $b with the lists and groups given.
std::string Bond(const std::string &body, bool boxBefore = false)
{
    return std::string("Gr { Bg {} ") + (boxBefore ? "Fx (w=5,t=9,b=-1) {} " : "") + "Bd $b { " + body + " } }";
}

// A bond read and laid out with a design.
struct LaidOutBond
{
    explicit LaidOutBond(const std::string &text, const Design *layoutDesign = nullptr)
    {
        result = ResultText(document.ParseAndResolve(text.c_str()));
        EXPECT_EQ(result, "0") << text;
        bond = document.Find<BondNode>("b");
        if (bond == nullptr) bond = document.FirstNode<BondNode>();
        if (bond != nullptr) document.LayoutAll(layoutDesign != nullptr ? layoutDesign : &design);
    }
    // The main group ("m") or the label of a place ("uppr"), also in a text written back without names.
    GroupNode *Find(const char *name)
    {
        const std::string text(name);
        if (text == "m") return bond->GetMainGroup();
        for (int32_t i = 0; i < kBondLabelCount; ++i)
        {
            if (text == test::KeyName(kBondPlaces[i])) return bond->GetLabel(i);
        }
        return document.Find<GroupNode>(name);
    }
    // The curves of built line i.
    std::vector<QuadraticBezier2D> Line(int32_t index) const
    {
        int32_t first = 0;
        for (int32_t i = 0; i < index; ++i) first += bond->lineCurveCounts[i];
        const QuadraticBezier2D *curves = bond->curves.GetElements() + first;
        return std::vector<QuadraticBezier2D>(curves, curves + bond->lineCurveCounts[index]);
    }

    StructureTestDocument document;
    Design design;
    std::string result;
    BondNode *bond = nullptr;
};

float Param(const Design &design, uint32_t key)
{
    return GetGroupParam(&design, kBondKind, key);
}

// What the builder makes of the line from p0 to p1, moved right by shift.
std::vector<QuadraticBezier2D> ExpectedLine(const Design &design, uint32_t style, const Point2D &p0, const Point2D &p1,
                                            float shift = 0.0f)
{
    BondCurveArray curves;
    int32_t count = BondNode::BuildBondLines(&design, design.GetBaseFontSize(), style, p0, p1, &curves);
    std::vector<QuadraticBezier2D> line;
    for (int32_t i = 0; i < count; ++i)
    {
        QuadraticBezier2D c = curves[i];
        c.p0.x += shift;
        c.p1.x += shift;
        c.p2.x += shift;
        line.push_back(c);
    }
    return line;
}

void ExpectSameCurves(const std::vector<QuadraticBezier2D> &actual, const std::vector<QuadraticBezier2D> &expected,
                      const std::string &label)
{
    ASSERT_EQ(actual.size(), expected.size()) << label;
    for (size_t i = 0; i < actual.size(); ++i)
    {
        const Point2D a[3] = {actual[i].p0, actual[i].p1, actual[i].p2};
        const Point2D e[3] = {expected[i].p0, expected[i].p1, expected[i].p2};
        for (int32_t k = 0; k < 3; ++k)
        {
            EXPECT_NEAR(a[k].x, e[k].x, 1e-4f) << label << " curve " << i;
            EXPECT_NEAR(a[k].y, e[k].y, 1e-4f) << label << " curve " << i;
        }
    }
}

TEST(Bond, ReadsAndWritesItsLists)
{
    const std::string labels = Group(0) + Group(kBondUpper) + Group(kBondUpperLeft);
    const struct
    {
        std::string text;
        const char *result;
        std::vector<std::string> written;  // lines the text written back holds, in order
        std::vector<std::string> absent;   // what it must not hold
    } cases[] = {
        {Bond("u32[2]{{'uppr','Sing'},{'uplf','doub'}} u32[2]{{'uplf','step'}}" + labels),
         "0",
         {"\tBd\n\t{\n\t\tu32[2]{{'uppr','Sing'},{'uplf','doub'}}\n\t\tu32[2]{{'uplf','step'}}\n\t\tGr\n"},
         {}},
        // The places are written in place order, the horizontal bond as 0.
        {Bond("u32[2]{{0,'hevy'},{'lwrt','wavy'},{'uppr','trip'}}" + Group(0)),
         "0",
         {"\t\tu32[2]{{'uppr','trip'},{'lwrt','wavy'},{0,'hevy'}}\n\t\tGr\n"},
         {"u32[2]{{'uppr','trip'},{'lwrt','wavy'},{0,'hevy'}}\n\t\tu32"}},
        // No style: the style list is written empty.
        {Bond(Group(0)), "0", {"\tBd\n\t{\n\t\tu32[2]{}\n\t\tGr\n"}, {}},
        // A pair with an unknown place is ignored; a later pair of a place wins.
        {Bond("u32[2]{{'xxxx','sing'},{'uppr','sing'},{'uppr','doub'}}" + Group(0)), "0", {"u32[2]{{'uppr','doub'}}\n"},
         {"xxxx"}},
        // Angles without styles survive (a label without a line is still placed by its angle).
        {Bond("u32[2]{} u32[2]{{'uplf','step'},{'lwrt','shal'}}" + Group(0) + Group(kBondUpperLeft)),
         "0",
         {"\t\tu32[2]{}\n\t\tu32[2]{{'uplf','step'},{'lwrt','shal'}}\n"},
         {}},
        {Bond("u32[2]{} u32[2]{} u32[2]{}" + Group(0)), "EXSB", {}, {}},
        {Bond("u32[3]{{'uppr','sing',0}}" + Group(0)), "IVDF", {}, {}},
        {Bond("u32{'uppr','sing'}" + Group(0)), "IVDF", {}, {}},
        {Bond(Group(0) + Group(kBondUpperLeft) + " Gr (t='uplf') { Bg {} }"), "EXSB", {}, {}},
        {Bond(Group(0) + " Gr { Bg {} }"), "EXSB", {}, {}},
        // Without a main group the bond could not be laid out.
        {Bond("u32[2]{{'uppr','sing'}}" + Group(kBondUpper)), "MSSB", {}, {}},
        {Bond("u32[2]{}"), "MSSB", {}, {}},
        {Bond("f{1.0}" + Group(0)), "IVST", {}, {}},
        {Bond(std::string(kBox) + Group(0)), "IVST", {}, {}},
        // A group of another role stays a child; a palette index past the palette becomes 0.
        {"Gr { Bg {} Bd $b (pi=16) { u32[2]{}" + Group(0) + " Gr (t='anno') { Bg {} } } }",
         "0",
         {"\tBd\n", "\t\tGr (t='anno')\n"},
         {"pi="}},
    };
    for (const auto &c : cases)
    {
        StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.text.c_str())), c.result) << c.text;
        if (std::string(c.result) != "0") continue;
        std::string written = test::ExpectRoundTrip(c.text);
        size_t at = 0;
        for (const std::string &line : c.written)
        {
            at = written.find(line, at);
            EXPECT_NE(at, std::string::npos) << line << "\nin\n" << written;
        }
        for (const std::string &text : c.absent) EXPECT_EQ(written.find(text), std::string::npos) << written;
    }
}

TEST(Bond, ReadListsLeaveTheTreeAndCopiesKeepStylesAndAngles)
{
    LaidOutBond laid(Bond("u32[2]{{'uplf','Swgo'},{0,'sing'}} u32[2]{{'uplf','shal'}}" + Group(0) +
                          Group(kBondUpperLeft)));
    ASSERT_NE(laid.bond, nullptr);
    int32_t children = 0;
    for (KettricStructure *s = laid.bond->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure()) ++children;
    EXPECT_EQ(children, 2);
    std::unique_ptr<DocumentNode> copy(laid.bond->DeepCopy());
    auto *bond = dynamic_cast<BondNode *>(copy.get());
    ASSERT_NE(bond, nullptr);
    EXPECT_EQ(bond->styles[1], uint32_t('Swgo'));
    EXPECT_EQ(bond->styles[6], uint32_t('sing'));
    EXPECT_EQ(bond->angleModes[1], uint32_t('shal'));
    EXPECT_EQ(bond->GetMainGroup()->role, 0u);
    EXPECT_EQ(bond->GetLabel(1)->role, kBondUpperLeft);
    EXPECT_EQ(bond->lineCount, 0);
}

TEST(Bond, FactoryLayoutWithFixedBoxes)
{
    const Design factory;
    const float s = factory.GetBaseFontSize();
    const float h = 0.5f * GetGeneralParam(&factory, 'cptl') * s;
    {
        // The atom followed by a short horizontal single bond.
        LaidOutBond laid(Bond("u32[2]{{0,'sing'}}" + Group(0)));
        BondNode *bond = laid.bond;
        ASSERT_EQ(bond->lineCount, 1);
        EXPECT_NEAR(bond->width, 14.27062f, 1e-4f);
        EXPECT_NEAR(bond->bottom, -1.0f, 1e-6f);
        EXPECT_NEAR(bond->top, 9.0f, 1e-6f);
        EXPECT_NEAR(h, 3.64155f, 1e-4f);
        ExpectSameCurves(laid.Line(0),
                         ExpectedLine(factory, 'sing', Point2D(6.79444f, 3.64155f), Point2D(13.47617f, 3.64155f)),
                         "right bond");
    }
    {
        // A short and a long single bond up: attach x 0.67 h at both ends.
        const struct
        {
            const char *style;
            float end;
        } styles[] = {{"sing", 17.48866f}, {"Sing", 26.77046f}};
        for (const auto &style : styles)
        {
            LaidOutBond laid(Bond(std::string("u32[2]{{'uppr','") + style.style + "'}}" + Group(0) + Group(kBondUpper)));
            BondNode *bond = laid.bond;
            GroupNode *label = laid.Find("uppr");
            ASSERT_EQ(bond->lineCount, 1) << style.style;
            EXPECT_NEAR(label->position.x, 0.0f, 1e-4f);
            EXPECT_NEAR(label->position.y, style.end + 1.95556f, 1e-4f) << style.style;
            EXPECT_NEAR(bond->top, style.end + 1.95556f + 9.0f, 1e-4f);
            EXPECT_NEAR(bond->width, 6.0f, 1e-6f);
            ExpectSameCurves(laid.Line(0),
                             ExpectedLine(factory, 'sing', Point2D(2.43984f, 9.23866f), Point2D(2.43984f, style.end)),
                             style.style);
        }
    }
    {
        // A label without a style: placed at the long distance, no line.
        LaidOutBond laid(Bond(Group(0) + Group(kBondUpper)));
        EXPECT_EQ(laid.bond->lineCount, 0);
        EXPECT_EQ(laid.bond->curves.GetElementCount(), 0);
        EXPECT_NEAR(laid.Find("uppr")->position.y, 26.77046f + 1.95556f, 1e-4f);
    }
    {
        // A style without its label draws nothing; the label below hangs from its capital top.
        LaidOutBond laid(Bond("u32[2]{{'uppr','sing'},{'lowr','doub'}}" + Group(0) + Group(kBondLower)));
        BondNode *bond = laid.bond;
        ASSERT_EQ(bond->lineCount, 1);
        EXPECT_EQ(bond->lineCurveCounts[0], 8);
        float y0 = -Param(factory, 'visp') * s / 18.0f;
        float y1 = y0 - Param(factory, 'vsln') * s;
        GroupNode *label = laid.Find("lowr");
        EXPECT_NEAR(label->position.y + 2.0f * h, y1 + y0, 1e-4f);
        EXPECT_NEAR(bond->bottom, label->position.y - 1.0f, 1e-5f);
        ExpectSameCurves(laid.Line(0), ExpectedLine(factory, 'doub', Point2D(0.67f * h, y0), Point2D(0.67f * h, y1)),
                         "lower");
    }
    {
        // An unknown style builds no line but a horizontal one still takes its room.
        LaidOutBond laid(Bond("u32[2]{{0,'xxxx'},{'uppr','Xxxx'}}" + Group(0) + Group(kBondUpper)));
        EXPECT_EQ(laid.bond->lineCount, 0);
        EXPECT_NEAR(laid.bond->width, 14.27062f, 1e-4f);
    }
}

// The diagonal places: their index, the direction's angle for an angle a, and whether the label lies left.
struct DiagonalPlace
{
    uint32_t place;
    int32_t index;
    float turn;
    float sign;
    bool left;
    bool lower;
};
constexpr DiagonalPlace kDiagonals[4] = {{kBondUpperLeft, 1, 180.0f, -1.0f, true, false},
                                         {kBondUpperRight, 2, 0.0f, 1.0f, false, false},
                                         {kBondLowerLeft, 4, -180.0f, 1.0f, true, true},
                                         {kBondLowerRight, 5, 0.0f, -1.0f, false, true}};

TEST(Bond, DiagonalAnglesAndLabelPlacement)
{
    const Design factory;
    const float s = factory.GetBaseFontSize();
    const float mu = s / 18.0f;
    const float h = 0.5f * GetGeneralParam(&factory, 'cptl') * s;
    const float spacing = Param(factory, 'disp') * mu;
    const struct
    {
        const char *mode;  // nullptr: no angle list
        float angle;
    } modes[] = {{"step", Param(factory, 'astp')}, {"shal", Param(factory, 'ashl')}, {"xxxx", 45.0f}, {nullptr, 45.0f}};
    for (const DiagonalPlace &diagonal : kDiagonals)
    {
        for (const auto &mode : modes)
        {
            std::string name = test::KeyName(diagonal.place);
            std::string label = name + (mode.mode != nullptr ? std::string(" ") + mode.mode : " none");
            std::string lists = "u32[2]{{'" + name + "','dwgo'}}";
            if (mode.mode != nullptr) lists += " u32[2]{{'" + name + "','" + mode.mode + "'}}";
            LaidOutBond laid(Bond(lists + Group(0) + Group(diagonal.place)));
            BondNode *bond = laid.bond;
            GroupNode *main = laid.Find("m");
            GroupNode *other = laid.Find(name.c_str());
            ASSERT_EQ(bond->lineCount, 1) << label;

            double radians = double(diagonal.turn + diagonal.sign * mode.angle) * 3.14159265358979323846 / 180.0;
            Vector2D d(float(std::cos(radians)), float(std::sin(radians)));
            // The main group's corner glyph: 0.67 h in from its left or right edge, h above the baseline of
            // its only row; the left labels push it right.
            float shift = main->position.x;
            EXPECT_EQ(shift == 0.0f, !diagonal.left) << label;
            float cornerX = diagonal.index == 1 || diagonal.index == 4 ? 0.67f * h : 6.0f - 0.67f * h;
            Point2D p0 = Point2D(cornerX + shift, h) + d * (h + spacing);
            Point2D p1 = p0 + d * (Param(factory, 'dsln') * s);
            ExpectSameCurves(laid.Line(0), ExpectedLine(factory, 'dwgo', p0, p1), label);
            // The label's opposite corner glyph, moved back by h along d, lands on p1 + spacing d.
            float otherX = diagonal.index == 1 || diagonal.index == 4 ? 6.0f - 0.67f * h : 0.67f * h;
            Point2D attach = Point2D(other->position.x + otherX, other->position.y + h) - d * h;
            EXPECT_NEAR(attach.x, p1.x + spacing * d.x, 1e-4f) << label;
            EXPECT_NEAR(attach.y, p1.y + spacing * d.y, 1e-4f) << label;
            // A left label stands at 0 and widens the node by the main group's shift; a right one ends it.
            if (diagonal.left)
            {
                EXPECT_NEAR(other->position.x, 0.0f, 1e-5f) << label;
                EXPECT_NEAR(bond->width, 6.0f + shift, 1e-4f) << label;
            }
            else
            {
                EXPECT_NEAR(bond->width, other->position.x + 6.0f, 1e-4f) << label;
            }
            EXPECT_NEAR(bond->top, std::max(9.0f, other->position.y + 9.0f), 1e-4f) << label;
            EXPECT_NEAR(bond->bottom, std::min(-1.0f, other->position.y - 1.0f), 1e-4f) << label;
        }
    }
}

TEST(Bond, AnAngleWithoutAStyleSurvivesTheRoundTrip)
{
    // The label without a line is placed by its steep angle; written and read again, it stays there.
    const std::string text = Bond("u32[2]{} u32[2]{{'uplf','step'}}" + Group(0) + Group(kBondUpperLeft));
    LaidOutBond first(text);
    std::string written = first.document.WriteText();
    EXPECT_NE(written.find("u32[2]{{'uplf','step'}}"), std::string::npos) << written;
    // The test box does not write its size: put it back.
    for (size_t at = written.find("Fx {}"); at != std::string::npos; at = written.find("Fx {}", at + 1))
        written.replace(at, 5, kBox);
    LaidOutBond second(written);
    LaidOutBond without(Bond(Group(0) + Group(kBondUpperLeft)));
    for (const char *name : {"m", "uplf"})
    {
        EXPECT_NEAR(second.Find(name)->position.x, first.Find(name)->position.x, 1e-6f) << name;
        EXPECT_NEAR(second.Find(name)->position.y, first.Find(name)->position.y, 1e-6f) << name;
    }
    EXPECT_NEAR(second.bond->width, first.bond->width, 1e-6f);
    // The steep angle puts the label elsewhere than 45 degrees would.
    EXPECT_GT(std::fabs(without.Find("uplf")->position.y - first.Find("uplf")->position.y), 1.0f);
}

TEST(Bond, OneItemPerBuiltLineAtTheNodesPlaceInItsColor)
{
    // Lines in building order: above, below, upper left, then the horizontal bond; the unknown style
    // at the upper right builds none. The test boxes draw nothing.
    LaidOutBond laid(Bond("u32[2]{{'uplf','trip'},{'uprt','xxxx'},{'lowr','doub'},{'uppr','sing'},{0,'hevy'}}" +
                              Group(0) + Group(kBondUpper) + Group(kBondUpperLeft) + Group(kBondUpperRight) +
                              Group(kBondLower),
                          true));
    BondNode *bond = laid.bond;
    bond->paletteIndex = 3;
    ASSERT_EQ(bond->lineCount, 4);
    const std::vector<int32_t> counts = {4, 8, 12, 4};
    EXPECT_EQ(std::vector<int32_t>(bond->lineCurveCounts, bond->lineCurveCounts + 4), counts);
    const Point2D at = bond->absolutePosition;
    ASSERT_GT(at.x, 4.0f);
    const uint32_t color = GetNodeColorWord(&laid.design, 3, kDefaultNodeColor);
    DisplayList list;
    bond->BuildExportItems(&laid.design, &list);
    int32_t index = 0;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement(), ++index)
    {
        auto *item = dynamic_cast<ExportCurveItem *>(e);
        ASSERT_NE(item, nullptr);
        ASSERT_LT(index, 4);
        EXPECT_EQ(item->color, color);
        std::vector<QuadraticBezier2D> line = laid.Line(index);
        ASSERT_EQ(item->curveCount, int32_t(line.size()));
        for (int32_t i = 0; i < item->curveCount; ++i)
        {
            EXPECT_NEAR(item->curves[i].p0.x, line[size_t(i)].p0.x + at.x, 1e-4f);
            EXPECT_NEAR(item->curves[i].p2.y, line[size_t(i)].p2.y + at.y, 1e-4f);
        }
    }
    EXPECT_EQ(index, 4);
    list.Purge();
    bond->BuildPathItems(&laid.design, &list);
    std::vector<int32_t> paths;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *item = dynamic_cast<FillPathItem *>(e);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->color, color);
        paths.push_back(item->curveCount);
    }
    EXPECT_EQ(paths, counts);
    list.Purge();
}

TEST(Bond, InsetsOfTheMainGroupsEdgeBoxesAreNotRuns)
{
    // Only symbol runs hand their insets and spacings to the bond; a box with insets leaves them 0.
    LaidOutBond laid(Bond("u32[2]{{0,'sing'}} Gr $m { Bg {} Fx (w=6,t=9,b=-1,li=-2,ri=-1,ls=1,rs=1) {} }", true));
    BondNode *bond = laid.bond;
    EXPECT_EQ(bond->leftInset, 0.0f);
    EXPECT_EQ(bond->rightInset, 0.0f);
    EXPECT_EQ(bond->leftSpacing, 0.0f);
    EXPECT_NEAR(laid.Find("m")->position.x, 0.0f, 1e-6f);
    EXPECT_NEAR(bond->width, 14.27062f, 1e-4f);
}

TEST(Bond, Navigation)
{
    const struct
    {
        std::vector<uint32_t> labels;
        const char *first;
        const char *last;
        // next and previous of the main group, then of each label in the given order
        std::vector<std::string> next;
        std::vector<std::string> previous;
    } cases[] = {
        {{}, "m", "m", {""}, {""}},
        {{kBondLowerRight, kBondUpper, kBondLower},
         "m",
         "lwrt",
         {"uppr", "", "lowr", "lwrt"},
         {"", "lowr", "m", "uppr"}},
        {{kBondUpperRight, kBondUpperLeft}, "m", "uprt", {"uplf", "", "uprt"}, {"", "uplf", "m"}},
    };
    auto name = [](const GroupNode *group) { return group == nullptr ? std::string() : std::string(group->GetStructureName()); };
    for (const auto &c : cases)
    {
        std::string body = Group(0);
        for (uint32_t role : c.labels) body += Group(role);
        body += " Gr $o (t='anno') { Bg {} }";
        LaidOutBond laid(Bond(body));
        BondNode *bond = laid.bond;
        EXPECT_EQ(name(bond->GetFirstGroup()), c.first);
        EXPECT_EQ(name(bond->GetLastGroup()), c.last);
        std::vector<GroupNode *> groups = {laid.Find("m")};
        for (uint32_t role : c.labels) groups.push_back(laid.Find(test::KeyName(role).c_str()));
        for (size_t i = 0; i < groups.size(); ++i)
        {
            EXPECT_EQ(name(bond->GetNextGroup(groups[i])), c.next[i]) << i;
            EXPECT_EQ(name(bond->GetPreviousGroup(groups[i])), c.previous[i]) << i;
            EXPECT_EQ(bond->GetGroupAbove(groups[i]), nullptr);
            EXPECT_EQ(bond->GetGroupBelow(groups[i]), nullptr);
        }
        // A group of another role goes back to the main group and on to nothing.
        EXPECT_EQ(name(bond->GetPreviousGroup(laid.Find("o"))), "m");
        EXPECT_EQ(bond->GetNextGroup(laid.Find("o")), nullptr);
        EXPECT_FALSE(bond->HasVariant());
        EXPECT_TRUE(bond->TakesPartInSpacing());
    }
}

TEST(Bond, GetOrCreateLabelsMakeEachRoleOnce)
{
    auto *bond = new BondNode;
    std::unique_ptr<DocumentNode> owner(bond);
    using Make = GroupNode *(*)(BondNode *);
    const struct
    {
        Make make;
        uint32_t role;
    } labels[] = {
        {[](BondNode *b) { return b->GetOrCreateUpperLabel(); }, kBondUpper},
        {[](BondNode *b) { return b->GetOrCreateUpperLeftLabel(); }, kBondUpperLeft},
        {[](BondNode *b) { return b->GetOrCreateUpperRightLabel(); }, kBondUpperRight},
        {[](BondNode *b) { return b->GetOrCreateLowerLabel(); }, kBondLower},
        {[](BondNode *b) { return b->GetOrCreateLowerLeftLabel(); }, kBondLowerLeft},
        {[](BondNode *b) { return b->GetOrCreateLowerRightLabel(); }, kBondLowerRight},
    };
    for (int32_t i = 0; i < kBondLabelCount; ++i)
    {
        GroupNode *group = labels[i].make(bond);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->role, labels[i].role);
        EXPECT_EQ(labels[i].make(bond), group);
        EXPECT_EQ(bond->GetLabel(i), group);
        EXPECT_EQ(static_cast<MathNode *>(bond->GetLastMathSubnode()), group);
        MathNode *rowBegin = group->GetFirstMathSubnode();
        ASSERT_NE(rowBegin, nullptr);
        EXPECT_EQ(rowBegin->GetKind(), kRowBeginKind);
        EXPECT_EQ(rowBegin->GetNextMathNode(), nullptr);
    }
    // Without a main group the layout draws nothing and offers empty boxes.
    Design design;
    bond->Layout(&design);
    EXPECT_EQ(bond->width, 0.0f);
    EXPECT_EQ(bond->lineCount, 0);
}

TEST(Bond, EveryLineIsAClosedOutlineAtTheRangeEnds)
{
    const uint32_t styles[] = {'sing', 'Hevy', 'doub', 'Trip', 'wavy', 'swgo', 'Swgi', 'dwgo',
                               'Dwgi', 'part', 'prd1', 'Prd2', 'prt1', 'prt2', 'Prt3'};
    const char *modes[] = {"step", "shal", "xxxx"};
    std::string text = "Gr { Bg {}";
    for (size_t k = 0; k < std::size(styles); ++k)
    {
        std::string style = "'" + test::KeyName(styles[k]) + "'";
        text += " Bd { u32[2]{{'uppr'," + style + "},{'uplf'," + style + "},{'uprt'," + style + "},{'lowr'," + style +
                "},{'lwlf'," + style + "},{'lwrt'," + style + "},{0," + style + "}} u32[2]{{'uplf','" + modes[k % 3] +
                "'},{'uprt','" + modes[(k + 1) % 3] + "'},{'lwlf','" + modes[(k + 2) % 3] + "'},{'lwrt','" +
                modes[k % 3] + "'}}" + Group(0);
        for (uint32_t role : {kBondUpper, kBondUpperLeft, kBondUpperRight, kBondLower, kBondLowerLeft, kBondLowerRight})
            text += " Gr (t='" + test::KeyName(role) + "') { Bg {} " + kBox + " }";
        text += " }";
    }
    text += " }";
    // Names would repeat: the groups are found by walking the row.
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '$')
        {
            while (i < text.size() && text[i] != ' ') ++i;
        }
        else
        {
            plain += text[i];
        }
    }
    StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(plain.c_str())), "0");
    MathNode *row = document.FirstNode();
    test::ForEachRangeEnd(kBondKind, [&](const Design &design, const std::string &label) {
        document.LayoutAll(&design);
        int32_t k = 0;
        for (MathNode *node = row; node != nullptr; node = node->GetNextMathNode(), ++k)
        {
            auto *bond = dynamic_cast<BondNode *>(node);
            ASSERT_NE(bond, nullptr);
            ASSERT_EQ(bond->lineCount, 7) << label << " " << test::KeyName(styles[k]);
            int32_t first = 0;
            for (int32_t i = 0; i < bond->lineCount; ++i)
            {
                const QuadraticBezier2D *curves = bond->curves.GetElements() + first;
                int32_t count = bond->lineCurveCounts[i];
                first += count;
                test::OutlineChecks checks;
                checks.outerContours = int32_t(test::FindContourStarts(curves, count, 0.0f).size());
                EXPECT_EQ(test::CheckOutline(curves, count, checks), "")
                    << label << " " << test::KeyName(styles[k]) << " line " << i;
            }
            EXPECT_EQ(first, bond->curves.GetElementCount());
        }
    });
}

}  // namespace
}  // namespace oq
