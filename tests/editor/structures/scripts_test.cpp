// Scripts: the Kettric form and its checks, navigation, slot scales, and the placement of post- and
// pre-scripts over fixed boxes with the factory design.
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/structures/ScriptNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::ResultText;

constexpr float kTolerance = 2e-4f;

TEST(Scripts, ReadsChecksAndWritesItsFlags)
{
    const struct
    {
        const char *text;
        const char *result;
        const char *head;  // how the node is written back; "" when not read
    } cases[] = {
        {"Sc { Gr (t='subs') { Bg {} } }", "0", "Sc\n"},
        {"Sc (ns,pr) { Gr (t='sups') { Bg {} } }", "0", "Sc (pr,ns)\n"},
        {"Sc (ow,ns,pr,pi=3) { Gr (t='sups') { Bg {} } Gr (t='subs') { Bg {} } }", "0", "Sc (pi=3,pr,ow,ns)\n"},
        {"Sc (pr=false,ow) { Gr (t='subs') { Bg {} } Gr (t='xtra') { Bg {} } }", "0", "Sc (ow)\n"},
        {"Sc { Gr (t='subs') { Bg {} } Gr (t='subs') { Bg {} } }", "EXSB", ""},
        {"Sc { Gr (t='sups') { Bg {} } Gr (t='subs') { Bg {} } Gr (t='sups') { Bg {} } }", "EXSB", ""},
        {"Sc {}", "MSSB", ""},
        {"Sc { Gr { Bg {} } Gr (t='xtra') { Bg {} } }", "MSSB", ""},
        {"Sc { Gr (t='subs') { Bg {} } Fx {} }", "IVST", ""},
    };
    for (const auto &c : cases)
    {
        test::StructureTestDocument document;
        std::string text = std::string("Gr { Bg {} Fx {} ") + c.text + " }";
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << c.text;
        if (c.head[0] == 0) continue;
        std::string written = test::ExpectRoundTrip(text);
        EXPECT_NE(written.find(c.head), std::string::npos) << written;
    }
}

TEST(Scripts, ConstructionCopiesAndNavigation)
{
    ScriptNode pre(true);
    EXPECT_TRUE(pre.pre);
    EXPECT_TRUE(pre.noSlant);
    EXPECT_FALSE(pre.outer);
    ScriptNode post(false);
    EXPECT_FALSE(post.pre || post.noSlant || post.outer);
    EXPECT_FALSE(post.HasVariant());

    // Only a superscript: no previous or lower slot.
    GroupNode *superscripts = post.GetOrCreateSuperscripts();
    EXPECT_EQ(post.GetOrCreateSuperscripts(), superscripts);
    EXPECT_EQ(superscripts->role, kSuperscriptRole);
    EXPECT_EQ(post.GetFirstGroup(), superscripts);
    EXPECT_EQ(post.GetPreviousGroup(superscripts), nullptr);
    EXPECT_EQ(post.GetGroupBelow(superscripts), nullptr);

    GroupNode *subscripts = post.GetOrCreateSubscripts();
    EXPECT_EQ(subscripts->role, kSubscriptRole);
    EXPECT_EQ(post.GetFirstGroup(), subscripts);
    EXPECT_EQ(post.GetLastGroup(), superscripts);
    EXPECT_EQ(post.GetNextGroup(subscripts), superscripts);
    EXPECT_EQ(post.GetPreviousGroup(superscripts), subscripts);
    EXPECT_EQ(post.GetGroupAbove(subscripts), superscripts);
    EXPECT_EQ(post.GetGroupBelow(superscripts), subscripts);
    EXPECT_EQ(post.GetGroupAbove(superscripts), nullptr);
    EXPECT_EQ(post.GetGroupBelow(subscripts), nullptr);

    // A deep copy keeps the flags and finds its own groups.
    post.outer = true;
    std::unique_ptr<DocumentNode> copy(post.DeepCopy());
    auto *scripts = dynamic_cast<ScriptNode *>(copy.get());
    ASSERT_NE(scripts, nullptr);
    EXPECT_TRUE(scripts->outer);
    ASSERT_NE(scripts->GetSubscripts(), nullptr);
    EXPECT_NE(scripts->GetSubscripts(), subscripts);
    EXPECT_EQ(scripts->GetSubscripts()->GetSuperMathNode(), scripts);
    EXPECT_EQ(scripts->GetSuperscripts()->role, kSuperscriptRole);
}

// A fixed box of width 3 with the given top and bottom.
std::string ScriptBox(float top, float bottom)
{
    return "Fx (w=3,t=" + std::to_string(top) + ",b=" + std::to_string(bottom) + ") {}";
}

struct ScriptPlaces
{
    float subscriptX, subscriptY, superscriptX, superscriptY;
    float width, top, bottom, leftSpacing, rightSpacing;
};

// Lays out the equation and reads the script node "s" with its groups "b" (subscript) and "p".
ScriptPlaces LayOut(const std::string &nodes, const Design &design)
{
    test::StructureTestDocument document;
    std::string text = "Gr { Bg {} " + nodes + " }";
    EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
    document.LayoutAll(&design);
    auto *scripts = document.Find<ScriptNode>("s");
    ScriptPlaces places = {};
    if (scripts == nullptr) return places;
    if (const GroupNode *sub = scripts->GetSubscripts()) places.subscriptX = sub->position.x, places.subscriptY = sub->position.y;
    if (const GroupNode *sup = scripts->GetSuperscripts())
        places.superscriptX = sup->position.x, places.superscriptY = sup->position.y;
    places.width = scripts->width;
    places.top = scripts->top;
    places.bottom = scripts->bottom;
    places.leftSpacing = scripts->leftSpacing;
    places.rightSpacing = scripts->rightSpacing;
    return places;
}

std::string PostScripts(const std::string &properties, const std::string &subscript, const std::string &superscript)
{
    std::string text = "Sc $s " + properties + " {";
    if (!subscript.empty()) text += " Gr $b (t='subs') { Bg {} " + subscript + " }";
    if (!superscript.empty()) text += " Gr $p (t='sups') { Bg {} " + superscript + " }";
    return text + " }";
}

TEST(Scripts, VerticalRulesOverFixedBoxes)
{
    Design design;
    // The empty row of a script slot (0.65) reaches 5.08158 up and 0.34757 down: the boxes exceed it.
    const struct
    {
        std::string subscript, superscript;
        float subscriptY, superscriptY, top, bottom;
    } cases[] = {
        {ScriptBox(6, -1), "", -1.98f, 0.0f, 0.0f, -2.98f},
        // Its top kept below cap height minus axis height.
        {ScriptBox(7, -1), "", -2.52795f, 0.0f, 0.0f, -3.52795f},
        // A superscript alone leaves the bottom at cap height.
        {"", ScriptBox(6, -1), 0.0f, 5.17f, 11.17f, 0.0f},
        // Its bottom kept on the axis.
        {"", ScriptBox(6, -3), 0.0f, 5.81105f, 11.81105f, 0.0f},
        // A gap of 0.15 opened to 'vtgp' points (1.5, not 1.5 mu).
        {ScriptBox(6, -1), ScriptBox(6, -1), -2.655f, 5.845f, 11.845f, -3.655f},
    };
    float capital = design.GetBaseFontSize() * GetGeneralParam(&design, 'cptl');
    for (const auto &c : cases)
    {
        ScriptPlaces places = LayOut("Fx (w=4,t=8,b=-2) {} " + PostScripts("", c.subscript, c.superscript), design);
        std::string context = c.subscript + " / " + c.superscript;
        if (!c.subscript.empty())
        {
            EXPECT_NEAR(places.subscriptY, c.subscriptY, kTolerance) << context;
        }
        if (!c.superscript.empty())
        {
            EXPECT_NEAR(places.superscriptY, c.superscriptY, kTolerance) << context;
        }
        EXPECT_NEAR(places.top, c.top, kTolerance) << context;
        EXPECT_NEAR(places.bottom, c.subscript.empty() ? capital : c.bottom, kTolerance) << context;
        // Horizontally: L = 1 mu of the base font, no right space at the row's end.
        EXPECT_NEAR(places.leftSpacing, 0.61111f, kTolerance);
        EXPECT_EQ(places.rightSpacing, 0.0f);
        EXPECT_NEAR(places.width, 3.61111f, kTolerance);
    }
}

TEST(Scripts, PostScriptSpacingCarriesTheBaseRightSpacing)
{
    Design design;
    float mu = design.GetBaseFontSize() / 18.0f;
    const struct
    {
        const char *before, *after;
        float left, right;
    } cases[] = {
        // Interior 1 mu less the base's right spacing; the right spacing carried on, at least exterior 1 mu.
        {"Fx (w=4,t=8,b=-2,rs=2) {}", "Fx (w=1) {}", mu - 2.0f, 2.0f},
        {"Fx (w=4,t=8,b=-2,rs=0.2) {}", "Fx (w=1) {}", mu - 0.2f, mu},
        // Nothing before a space or after a row start; nothing at the row's end.
        {"", "Sp (s=3) {}", 0.0f, 0.0f},
        {"Fx (w=4) {}", "", mu, 0.0f},
        {"Fx (w=4) {} Sp (s=3) {}", "Fx (w=1) {}", 0.0f, mu},
    };
    for (const auto &c : cases)
    {
        ScriptPlaces places =
            LayOut(std::string(c.before) + " " + PostScripts("", ScriptBox(6, -1), "") + " " + c.after, design);
        EXPECT_NEAR(places.leftSpacing, c.left, kTolerance) << c.before << " | " << c.after;
        EXPECT_NEAR(places.rightSpacing, c.right, kTolerance) << c.before << " | " << c.after;
        EXPECT_NEAR(places.subscriptX, c.left, kTolerance) << c.before << " | " << c.after;
        EXPECT_NEAR(places.width, c.left + 3.0f + c.right, kTolerance) << c.before << " | " << c.after;
    }
}

TEST(Scripts, OuterAlignmentOfPostScripts)
{
    Design design;
    const std::string wide = "Fx (w=5,t=6,b=-1) {}";
    ScriptPlaces plain = LayOut("Fx (w=4) {} " + PostScripts("", ScriptBox(6, -1), wide), design);
    EXPECT_NEAR(plain.subscriptX, plain.superscriptX, kTolerance);
    ScriptPlaces outer = LayOut("Fx (w=4) {} " + PostScripts("(ow)", ScriptBox(6, -1), wide), design);
    // The narrower subscript moves right so both end together.
    EXPECT_NEAR(outer.subscriptX, plain.subscriptX + 2.0f, kTolerance);
    EXPECT_NEAR(outer.superscriptX, plain.superscriptX, kTolerance);
    EXPECT_NEAR(outer.width, plain.width, kTolerance);
}

TEST(Scripts, PreScriptsEndAtTheirBase)
{
    Design design;
    float mu = design.GetBaseFontSize() / 18.0f;
    const std::string wide = "Fx (w=5,t=6,b=-1) {}";
    // Pre-scripts at the row start take no space before; interior 1 mu before the base.
    auto pre = [&](const char *properties, const char *base) {
        return LayOut(PostScripts(properties, ScriptBox(6, -1), wide) + " " + base, design);
    };
    ScriptPlaces plain = pre("(pr,ns)", "Fx (w=4,t=8,b=-2) {}");
    EXPECT_NEAR(plain.leftSpacing, 0.0f, kTolerance);
    EXPECT_NEAR(plain.rightSpacing, mu, kTolerance);
    EXPECT_NEAR(plain.width, 5.0f + mu, kTolerance);
    // Right-aligned: both end at the width less the right spacing.
    EXPECT_NEAR(plain.subscriptX + 3.0f, 5.0f, kTolerance);
    EXPECT_NEAR(plain.superscriptX + 5.0f, 5.0f, kTolerance);
    EXPECT_NEAR(plain.subscriptY, -2.655f, kTolerance);
    EXPECT_NEAR(plain.superscriptY, 5.845f, kTolerance);

    // "ow": both start at the left edge.
    ScriptPlaces outer = pre("(pr,ns,ow)", "Fx (w=4,t=8,b=-2) {}");
    EXPECT_NEAR(outer.subscriptX, 0.0f, kTolerance);
    EXPECT_NEAR(outer.superscriptX, 0.0f, kTolerance);

    // After the row is measured the scripts move onto the base's ink by its left spacing.
    ScriptPlaces hugging = pre("(pr,ns)", "Fx (w=4,t=8,b=-2,ls=0.5) {}");
    EXPECT_NEAR(hugging.leftSpacing, plain.leftSpacing + 0.5f, kTolerance);
    EXPECT_NEAR(hugging.rightSpacing, plain.rightSpacing - 0.5f, kTolerance);
    EXPECT_NEAR(hugging.subscriptX, plain.subscriptX + 0.5f, kTolerance);
    EXPECT_NEAR(hugging.superscriptX, plain.superscriptX + 0.5f, kTolerance);
    EXPECT_NEAR(hugging.width, plain.width, kTolerance);

    // Without a base after them nothing moves.
    ScriptPlaces alone = LayOut(PostScripts("(pr,ns)", ScriptBox(6, -1), wide), design);
    EXPECT_NEAR(alone.rightSpacing, 0.0f, kTolerance);
    EXPECT_NEAR(alone.width, 5.0f, kTolerance);
}

TEST(Scripts, SlotScalesAlignmentAndRowEdges)
{
    test::StructureTestDocument document;
    // Scripts in scripts in scripts: depth 0, 1 and 2.
    std::string text = "Gr { Bg {} Fx {} Sc $a { Gr $ga (t='sups') { Bg {} Fx {} Sc $b { Gr $gb (t='sups') { Bg {} Fx {} "
                       "Sc $c (pr) { Gr $gc (t='subs') { Bg {} Fx {} } } Fx {} } } } } }";
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    const struct
    {
        const char *group;
        float factor;
        uint8_t step;
        uint32_t alignment;
    } cases[] = {
        {"ga", 0.65f, 1, kAlignLeft},
        {"gb", 0.75f, 1, kAlignLeft},
        {"gc", 1.0f, 0, kAlignRight},
    };
    for (const auto &c : cases)
    {
        auto *group = document.Find<GroupNode>(c.group);
        ASSERT_NE(group, nullptr);
        EXPECT_EQ(group->sizeFactor, c.factor) << c.group;
        EXPECT_EQ(group->scriptStep, c.step) << c.group;
        EXPECT_EQ(group->defaultAlignment, c.alignment) << c.group;
    }
    EXPECT_NEAR(document.Find<GroupNode>("gc")->effectiveScale, 0.65f * 0.75f, 1e-6f);

    // In a top-level row, post-scripts at its end take the row-end flag, pre-scripts at its start the
    // row-start flag; neither takes the other.
    test::StructureTestDocument edges;
    text = "Gr { Bg {} Sc $p (pr) { Gr $gp (t='subs') { Bg {} } } Fx {} Sc $q { Gr $gq (t='subs') { Bg {} } } }";
    ASSERT_EQ(ResultText(edges.ParseAndResolve(text.c_str())), "0");
    edges.LayoutAll(&design);
    auto *main = MathNode::FromStructure(edges.GetRootStructure()->GetFirstSubnodeStructure());
    auto *mainGroup = dynamic_cast<GroupNode *>(main);
    ASSERT_NE(mainGroup, nullptr);
    auto *preGroup = edges.Find<GroupNode>("gp");
    auto *postGroup = edges.Find<GroupNode>("gq");
    ASSERT_TRUE(mainGroup->spaceAtRowStart && mainGroup->spaceAtRowEnd);
    EXPECT_TRUE(preGroup->spaceAtRowStart);
    EXPECT_FALSE(preGroup->spaceAtRowEnd);
    EXPECT_TRUE(postGroup->spaceAtRowEnd);
    EXPECT_FALSE(postGroup->spaceAtRowStart);
}

}  // namespace
}  // namespace oq
