// Extensible arrows: the read and write table, setting parts and copies, and the layout with the
// factory design (length, spacings, line ends at their charms, stacked lines, labels, outlines, items).
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/document/GlyphLayout.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/ArrowNode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

namespace oq {
namespace {

using test::ResultText;

// Factory design: 11 pt, mu = 11 / 18 pt.
constexpr float kSize = 11.0f;
constexpr float kMu = kSize / 18.0f;
constexpr float kRule = 0.8525f * kMu;
constexpr float kAxis = 0.25555f * kSize;
constexpr float kCapital = 0.6621f * kSize;
constexpr float kTolerance = 2e-4f;

std::string Equation(const std::string &nodes)
{
    return "Gr { Bg {} " + nodes + " }";
}

// An arrow "$a" with the data lists and children.
std::string Arrow(const std::string &inside, const char *properties = "")
{
    return Equation(std::string("Ar $a ") + properties + " { " + inside + " }");
}

// The data lines an arrow wrote (each "u32{...}"), in order.
std::vector<std::string> DataLines(const std::string &written)
{
    std::vector<std::string> lines;
    for (size_t at = written.find("u32{"); at != std::string::npos; at = written.find("u32{", at + 1))
        lines.push_back(written.substr(at, written.find('\n', at) - at));
    return lines;
}

std::vector<uint32_t> Values(const Array<uint32_t, 3> &list)
{
    return std::vector<uint32_t>(list.begin(), list.end());
}

TEST(Arrow, ReadAndWriteTable)
{
    const struct
    {
        std::string inside;
        const char *properties;
        const char *result;
        std::vector<uint32_t> kinds;
        std::vector<std::string> lines;  // the data lines written back
    } cases[] = {
        {"u32{}", "", "0", {'long'}, {"u32{'long'}", "u32{}"}},
        {"u32{'left','rght','cent','long'}", "", "0", {'left', 'rght', 'cent'},
         {"u32{'left','rght','cent'}", "u32{}", "u32{}", "u32{}"}},
        {"u32{'xxxx','cent'}", "", "0", {'long', 'cent'}, {"u32{'long','cent'}", "u32{}", "u32{}"}},
        // The switches in either order read the same and write right-end charms first.
        {"u32{'long'} u32{'left','larw','rght','rarw'}", "", "0", {'long'}, {"u32{'long'}", "u32{'rarw','left','larw'}"}},
        {"u32{'long'} u32{'rarw','left','larw'}", "", "0", {'long'}, {"u32{'long'}", "u32{'rarw','left','larw'}"}},
        {"u32{'long'} u32{'cent','circ','left','barr','line'}", "", "0", {'long'},
         {"u32{'long'}", "u32{'left','barr','line','cent','circ'}"}},
        // Lists beyond the parts are dropped; unknown charms are kept.
        {"u32{'long'} u32{'zzzz'} u32{'larw'}", "", "0", {'long'}, {"u32{'long'}", "u32{'zzzz'}"}},
        // Without any kinds list the arrow is one plain line.
        {"Gr (t='uppr') { Bg {} }", "", "0", {'long'}, {"u32{'long'}", "u32{}"}},
        {"", "(pi=20)", "0", {'long'}, {"u32{'long'}", "u32{}"}},
        // Non-printable 4CCs are signed decimals; quotes are escaped.
        {"u32{'long'} u32{16909060,0x80000001}", "", "0", {'long'}, {"u32{'long'}", "u32{16909060,-2147483647}"}},
        {"u32{'long'} u32{-2147483647,'a\\'b\\\\'}", "", "0", {'long'}, {"u32{'long'}", "u32{-2147483647,'a\\'b\\\\'}"}},
        {"u32{} Gr (t='uppr') { Bg {} } Gr (t='uppr') { Bg {} }", "", "EXSB", {}, {}},
        {"u32{} Gr (t='lowr') { Bg {} } Gr (t='lowr') { Bg {} }", "", "EXSB", {}, {}},
        {"u32{} f32{1}", "", "IVST", {}, {}},
    };
    for (const auto &c : cases)
    {
        std::string text = Arrow(c.inside, c.properties);
        test::StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), c.result) << text;
        if (std::string(c.result) != "0") continue;
        auto *arrow = document.Find<ArrowNode>("a");
        ASSERT_NE(arrow, nullptr) << text;
        ASSERT_EQ(arrow->GetPartCount(), int32_t(c.kinds.size())) << text;
        for (int32_t i = 0; i < arrow->GetPartCount(); ++i) EXPECT_EQ(arrow->GetPart(i).kind, c.kinds[i]) << text;
        EXPECT_EQ(arrow->paletteIndex, 0) << text;
        // The lists left the tree: only groups remain.
        for (KettricStructure *s = arrow->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
            EXPECT_EQ(s->GetStructureType(), kGroupKind) << text;
        std::string written = test::ExpectRoundTrip(text);
        EXPECT_EQ(DataLines(written), c.lines) << written;
        EXPECT_NE(written.find("\tAr\n\t{\n\t\tu32{"), std::string::npos) << written;
    }

    // The charm lists as read.
    test::StructureTestDocument document;
    std::string text = Arrow("u32{'long','left'} u32{'cent','circ','rght','rarw','rarw','left','larw'} u32{'ruhp'}");
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    const ArrowNode *arrow = document.Find<ArrowNode>("a");
    ASSERT_EQ(arrow->GetPartCount(), 2);
    EXPECT_EQ(Values(arrow->GetPart(0).leftCharms), std::vector<uint32_t>({'larw'}));
    EXPECT_EQ(Values(arrow->GetPart(0).rightCharms), std::vector<uint32_t>({'rarw', 'rarw'}));
    EXPECT_EQ(Values(arrow->GetPart(0).middleCharms), std::vector<uint32_t>({'circ'}));
    EXPECT_EQ(Values(arrow->GetPart(1).rightCharms), std::vector<uint32_t>({'ruhp'}));
    EXPECT_TRUE(arrow->GetPart(1).leftCharms.GetElementCount() == 0);
}

TEST(Arrow, SetPartsAndCopies)
{
    test::StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(Arrow("u32{} Gr $u (t='uppr') { Bg {} }").c_str())), "0");
    auto *arrow = document.Find<ArrowNode>("a");

    const uint32_t kinds[3] = {'left', 'cent', 'wxyz'};
    const uint8_t leftCounts[3] = {1, 0, 2};
    const uint8_t middleCounts[3] = {0, 2, 0};
    const uint32_t leftItems[3] = {'larw', 'line', 'barr'};
    const uint32_t middleItems[2] = {'circ', 'sdcr'};
    arrow->SetParts(3, kinds, leftCounts, nullptr, middleCounts, leftItems, nullptr, middleItems);
    ASSERT_EQ(arrow->GetPartCount(), 3);
    EXPECT_EQ(arrow->GetPart(2).kind, uint32_t('wxyz'));
    EXPECT_EQ(Values(arrow->GetPart(0).leftCharms), std::vector<uint32_t>({'larw'}));
    EXPECT_EQ(Values(arrow->GetPart(2).leftCharms), std::vector<uint32_t>({'line', 'barr'}));
    EXPECT_EQ(Values(arrow->GetPart(1).middleCharms), std::vector<uint32_t>({'circ', 'sdcr'}));
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(arrow->GetPart(i).rightCharms.GetElementCount(), 0);

    // Copies keep kinds and lists and start without curves; the deep copy finds its label.
    Design design;
    document.LayoutAll(&design);
    EXPECT_GT(arrow->GetPart(1).middleCurves.GetElementCount(), 6);
    ArrowPart part(arrow->GetPart(1));
    EXPECT_EQ(part.kind, uint32_t('cent'));
    EXPECT_EQ(Values(part.middleCharms), std::vector<uint32_t>({'circ', 'sdcr'}));
    for (const Array<QuadraticBezier2D, 6> *curves : {&part.leftCurves, &part.rightCurves, &part.middleCurves})
    {
        EXPECT_EQ(curves->GetElementCount(), 0);
        EXPECT_EQ(curves->GetReservedCount(), 6);
    }
    auto *copy = static_cast<ArrowNode *>(arrow->DeepCopy());
    ASSERT_EQ(copy->GetPartCount(), 3);
    EXPECT_EQ(Values(copy->GetPart(2).leftCharms), std::vector<uint32_t>({'line', 'barr'}));
    EXPECT_EQ(copy->GetPart(1).middleCurves.GetElementCount(), 0);
    ASSERT_NE(copy->GetUpperLabel(), nullptr);
    EXPECT_NE(copy->GetUpperLabel(), arrow->GetUpperLabel());
    EXPECT_EQ(copy->GetLowerLabel(), nullptr);
    delete copy;

    // Kinds and counts absent: plain lines. A count of 0 gives one plain line, written as read.
    arrow->SetParts(2, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(arrow->GetPartCount(), 2);
    EXPECT_EQ(arrow->GetPart(1).kind, uint32_t('long'));
    arrow->SetParts(0, kinds, leftCounts, nullptr, nullptr, leftItems, nullptr, nullptr);
    ASSERT_EQ(arrow->GetPartCount(), 1);
    EXPECT_EQ(arrow->GetPart(0).kind, uint32_t('long'));
    EXPECT_EQ(arrow->GetPart(0).leftCharms.GetElementCount(), 0);
    EXPECT_EQ(DataLines(document.WriteText()), std::vector<std::string>({"u32{'long'}", "u32{}"}));
    document.LayoutAll(&design);
    EXPECT_NEAR(arrow->width - arrow->leftSpacing - arrow->rightSpacing, 2.0f * kSize + arrow->GetUpperLabel()->width,
                kTolerance);

    // A new arrow has no parts until it is laid out, then one plain line.
    ArrowNode fresh;
    EXPECT_EQ(fresh.GetPartCount(), 0);
    GroupNode *upper = fresh.GetOrCreateUpperLabel();
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->role, kUpperLabelRole);
    EXPECT_EQ(fresh.GetOrCreateUpperLabel(), upper);
    fresh.Layout(&design);
    ASSERT_EQ(fresh.GetPartCount(), 1);
    EXPECT_NEAR(fresh.GetPart(0).lineY, kAxis, kTolerance);
}

TEST(Arrow, NavigationRunsUpperThenLower)
{
    ArrowNode arrow;
    EXPECT_FALSE(arrow.HasVariant());
    EXPECT_EQ(arrow.GetFirstGroup(), nullptr);
    GroupNode *lower = arrow.GetOrCreateLowerLabel();
    EXPECT_EQ(lower->role, kLowerLabelRole);
    EXPECT_EQ(arrow.GetFirstGroup(), lower);
    EXPECT_EQ(arrow.GetGroupAbove(lower), nullptr);
    GroupNode *upper = arrow.GetOrCreateUpperLabel();
    EXPECT_EQ(arrow.GetFirstGroup(), upper);
    EXPECT_EQ(arrow.GetLastGroup(), lower);
    EXPECT_EQ(arrow.GetNextGroup(upper), lower);
    EXPECT_EQ(arrow.GetPreviousGroup(lower), upper);
    EXPECT_EQ(arrow.GetGroupBelow(upper), lower);
    EXPECT_EQ(arrow.GetGroupAbove(lower), upper);
    EXPECT_EQ(arrow.GetGroupAbove(upper), nullptr);
    EXPECT_EQ(arrow.GetGroupBelow(lower), nullptr);
    EXPECT_EQ(arrow.GetFirstStepIndex(), 0);
    EXPECT_EQ(arrow.GetEndIndex(), 0);
    EXPECT_TRUE(arrow.TakesPartInSpacing());
}

// A charm's extent from the builder, as the layout gets it.
ArrowCharmExtent CharmExtent(const Design &design, uint32_t charm)
{
    QuadraticBezier2D curves[kArrowCharmCurves];
    ArrowCharmExtent extent;
    bool nesting = false;
    EXPECT_GT(ArrowNode::BuildGeometry(&design, charm, kSize, kRule, curves, &extent, &nesting), 0);
    return extent;
}

float MinX(const Array<QuadraticBezier2D, 6> &curves)
{
    float x = 1e9f;
    for (const QuadraticBezier2D &c : curves) x = std::min({x, c.p0.x, c.p1.x, c.p2.x});
    return x;
}

float MaxX(const Array<QuadraticBezier2D, 6> &curves)
{
    float x = -1e9f;
    for (const QuadraticBezier2D &c : curves) x = std::max({x, c.p0.x, c.p1.x, c.p2.x});
    return x;
}

class ArrowLayoutTest : public ::testing::Test
{
protected:
    void TearDown() override { list.Purge(); }

    // Reads and lays out the equation in a document of its own; the arrow "$a" (null when it did not
    // read). Names are then found in that document.
    ArrowNode *Lay(const std::string &text)
    {
        documents.push_back(std::make_unique<test::StructureTestDocument>());
        test::StructureTestDocument &document = *documents.back();
        EXPECT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        document.LayoutAll(&design);
        return document.Find<ArrowNode>("a");
    }

    template <typename T>
    T *Find(const char *name)
    {
        return documents.back()->Find<T>(name);
    }

    static float Length(const ArrowNode *arrow) { return arrow->width - arrow->leftSpacing - arrow->rightSpacing; }

    std::vector<std::unique_ptr<test::StructureTestDocument>> documents;
    Design design;
    DisplayList list;
};

TEST_F(ArrowLayoutTest, PlainArrowAloneInTheRow)
{
    ArrowNode *arrow = Lay(Arrow("u32{'long'} u32{}"));
    ASSERT_NE(arrow, nullptr);
    EXPECT_NEAR(Length(arrow), 16.5f, kTolerance);
    EXPECT_NEAR(arrow->leftSpacing, 2.44444f, kTolerance);
    EXPECT_NEAR(arrow->rightSpacing, 2.44444f, kTolerance);
    EXPECT_NEAR(arrow->width, 21.38889f, kTolerance);
    const ArrowPart &part = arrow->GetPart(0);
    EXPECT_NEAR(part.lineY, 2.81105f, kTolerance);
    EXPECT_NEAR(arrow->bottom, 2.55056f, kTolerance);
    EXPECT_NEAR(arrow->top, 3.07154f, kTolerance);
    // The rectangle: bottom edge rightwards, right edge up, top edge leftwards, left edge down.
    const Point2D corners[4] = {{2.44444f, 2.55056f}, {18.94444f, 2.55056f}, {18.94444f, 3.07154f}, {2.44444f, 3.07154f}};
    for (int32_t i = 0; i < 4; ++i)
    {
        const QuadraticBezier2D &curve = part.lineOutline[i];
        EXPECT_NEAR(curve.p0.x, corners[i].x, kTolerance) << i;
        EXPECT_NEAR(curve.p0.y, corners[i].y, kTolerance) << i;
        EXPECT_NEAR(curve.p2.x, corners[(i + 1) % 4].x, kTolerance) << i;
        EXPECT_NEAR(curve.p2.y, corners[(i + 1) % 4].y, kTolerance) << i;
        EXPECT_EQ(curve.p1.x, curve.p2.x);
        EXPECT_EQ(curve.p1.y, curve.p2.y);
    }
}

TEST_F(ArrowLayoutTest, LabelsLengthenTheArrow)
{
    const struct
    {
        const char *labels;
        float length;
        float x;  // the label's place
    } cases[] = {
        // Centred: twice the larger of the centre spacing beside the end charms and the least spacing.
        {"Gr $l (t='uppr') { Bg {} Fx (w=30,t=5,b=-1) {} }", 52.0f, 13.44444f},
        {"Gr $l (t='lowr',al='cent') { Bg {} Fx (w=30,t=5,b=-1) {} }", 52.0f, 13.44444f},
        // Sided: the side spacing, the label and the least spacing.
        {"Gr $l (t='uppr',al='left') { Bg {} Fx (w=30,t=5,b=-1) {} }", 41.61111f, 3.05556f},
        {"Gr $l (t='lowr',al='rght') { Bg {} Fx (w=30,t=5,b=-1) {} }", 41.61111f, 13.44444f},
        // A short label leaves the least length.
        {"Gr $l (t='uppr') { Bg {} Fx (w=2,t=5,b=-1) {} }", 24.0f, 13.44444f},
        {"Gr $l (t='uppr',al='left') { Bg {} Fx (w=2,t=5,b=-1) {} }", 16.5f, 3.05556f},
        {"Gr $l (t='uppr',al='rght') { Bg {} Fx (w=2,t=5,b=-1) {} }", 16.5f, 16.33333f},
    };
    for (const auto &c : cases)
    {
        const ArrowNode *arrow = Lay(Arrow(std::string("u32{'long'} u32{} ") + c.labels));
        ASSERT_NE(arrow, nullptr) << c.labels;
        EXPECT_NEAR(Length(arrow), c.length, kTolerance) << c.labels;
        EXPECT_NEAR(Find<GroupNode>("l")->position.x, c.x, kTolerance) << c.labels;
    }

    // Centred labels keep clear of the end charms: the wider end of part 0 for the upper label.
    ArrowNode *arrow = Lay(Arrow("u32{'long','long'} u32{'rarw','rarw','rarw','left','barr'} u32{'left','dbsl'}"
                                 " Gr $u (t='uppr') { Bg {} Fx (w=30,t=5,b=-1) {} }"));
    const ArrowPart &first = arrow->GetPart(0);
    ASSERT_GT(first.rightWidth, first.leftWidth);
    ASSERT_GT(0.25f * kSize + first.rightWidth, kSize);
    EXPECT_NEAR(Length(arrow), 2.0f * (0.25f * kSize + first.rightWidth) + 30.0f, kTolerance);
    GroupNode *upper = Find<GroupNode>("u");
    EXPECT_NEAR(upper->position.x, arrow->leftSpacing + (Length(arrow) - 30.0f) * 0.5f, kTolerance);
}

TEST_F(ArrowLayoutTest, CharmsAtTheEndsAndInTheMiddle)
{
    const ArrowCharmExtent head = CharmExtent(design, 'rarw');
    const ArrowCharmExtent stroke = CharmExtent(design, 'line');
    const float headWidth = head.maxX - head.minX;
    const float strokeWidth = stroke.maxX - stroke.minX;
    const float left = 2.44444f;
    const struct
    {
        const char *data;
        float rightWidth;
        float lineRight;  // the line's right end from the arrow's right end
        float inset;      // how far the charms stay from the arrow's right end
    } cases[] = {
        // The line ends at the head's attach point.
        {"u32{'rarw'}", headWidth, head.rightAttach - head.maxX, 0.0f},
        // Equal heads nest (chsn, -2 mu: they overlap), equal strokes do not (chsp).
        {"u32{'rarw','rarw'}", 2.0f * headWidth - 2.0f * kMu, head.rightAttach - head.maxX, 0.0f},
        {"u32{'line','line'}", 2.0f * strokeWidth + 2.0f * kMu, stroke.rightAttach - stroke.maxX, 0.0f},
        {"u32{'line','rarw'}", strokeWidth + headWidth + 2.0f * kMu, stroke.rightAttach - stroke.maxX, 0.0f},
        // An unknown first charm takes no room and leaves the line end; the next is one spacing in.
        {"u32{'zzzz','rarw'}", headWidth + 2.0f * kMu, 0.0f, 2.0f * kMu},
        {"u32{'rarw','zzzz','rarw'}", 2.0f * headWidth + 2.0f * kMu, head.rightAttach - head.maxX, 0.0f},
    };
    for (const auto &c : cases)
    {
        const ArrowNode *arrow = Lay(Arrow(std::string("u32{'long'} ") + c.data));
        ASSERT_NE(arrow, nullptr) << c.data;
        const ArrowPart &part = arrow->GetPart(0);
        EXPECT_NEAR(part.rightWidth, c.rightWidth, kTolerance) << c.data;
        EXPECT_NEAR(part.lineEnd, c.lineRight, kTolerance) << c.data;
        EXPECT_NEAR(part.lineOutline[1].p0.x, left + 16.5f + c.lineRight, kTolerance) << c.data;
        // The charms reach the arrow's right end and no further.
        EXPECT_NEAR(MaxX(part.rightCurves), left + 16.5f - c.inset, kTolerance) << c.data;
        EXPECT_NEAR(MinX(part.rightCurves), left + 16.5f - c.rightWidth, kTolerance) << c.data;
    }

    // Left-end charms run rightwards from the line start: a 'circ' starts the line in its ring.
    const ArrowCharmExtent ring = CharmExtent(design, 'circ');
    ArrowNode *arrow = Lay(Arrow("u32{'long'} u32{'left','circ'}"));
    const ArrowPart &part = arrow->GetPart(0);
    EXPECT_NEAR(part.lineStart, ring.leftAttach - ring.minX, kTolerance);
    EXPECT_NEAR(part.leftWidth, ring.maxX - ring.minX, kTolerance);
    EXPECT_NEAR(MinX(part.leftCurves), left, kTolerance);
    EXPECT_NEAR(part.lineOutline[0].p0.x, left + part.lineStart, kTolerance);
    EXPECT_NEAR(part.top, ring.top, kTolerance);
    EXPECT_NEAR(part.bottom, ring.bottom, kTolerance);
    EXPECT_NEAR(arrow->top, part.lineY + ring.top, kTolerance);
}

TEST_F(ArrowLayoutTest, MiddleCharmsStayCentred)
{
    const float casp = 9.0f * kMu;
    const struct
    {
        const char *data;
        const char *label;
    } cases[] = {
        // Only the middle group: the least length, centred.
        {"u32{'cent','circ'}", ""},
        // A middle group beside a right-end one: long enough to stay centred with casp on each side.
        {"u32{'rarw','rarw','rarw','cent','circ','circ'}", ""},
        // A wide label lengthens the arrow; the middle stays in the middle, the ends at the ends.
        {"u32{'rarw','left','larw','cent','sdsq'}", "Gr (t='uppr') { Bg {} Fx (w=60,t=5,b=-1) {} }"},
    };
    for (const auto &c : cases)
    {
        const ArrowNode *arrow = Lay(Arrow(std::string("u32{'long'} ") + c.data + " " + c.label));
        ASSERT_NE(arrow, nullptr) << c.data;
        const ArrowPart &part = arrow->GetPart(0);
        float length = Length(arrow);
        float centre = arrow->leftSpacing + length * 0.5f;
        EXPECT_NEAR((MinX(part.middleCurves) + MaxX(part.middleCurves)) * 0.5f, centre, kTolerance) << c.data;
        EXPECT_NEAR(MaxX(part.middleCurves) - MinX(part.middleCurves), part.middleWidth, kTolerance) << c.data;
        float ends = std::max(part.leftWidth, part.rightWidth);
        float expected = std::max(16.5f, part.leftWidth + part.rightWidth + part.middleWidth +
                                             casp * float((part.leftWidth > 0) + (part.rightWidth > 0)));
        if (ends > 0.0f) expected = std::max(expected, 2.0f * (ends + casp + part.middleWidth * 0.5f));
        if (c.label[0] != 0) expected = std::max(expected, 2.0f * std::max(0.25f * kSize + ends, kSize) + 60.0f);
        EXPECT_NEAR(length, expected, kTolerance) << c.data;
        if (part.rightWidth > 0.0f)
        {
            EXPECT_NEAR(MaxX(part.rightCurves), arrow->leftSpacing + length, kTolerance);
        }
        if (part.leftWidth > 0.0f)
        {
            EXPECT_NEAR(MinX(part.leftCurves), arrow->leftSpacing, kTolerance);
        }
    }
}

TEST_F(ArrowLayoutTest, ShortLinesAreInset)
{
    const float inset = 0.5f * kSize;
    const float left = 2.44444f;
    const struct
    {
        uint32_t kind;
        float length;
        float start, end;
    } cases[] = {
        {'cent', (0.75f + 1.0f) * kSize, inset, -inset},
        {'left', 16.5f, 0.0f, -inset},
        {'rght', 16.5f, inset, 0.0f},
        {'long', 16.5f, 0.0f, 0.0f},
    };
    for (const auto &c : cases)
    {
        char kinds[32];
        std::snprintf(kinds, sizeof(kinds), "u32{%u}", c.kind);
        const ArrowNode *arrow = Lay(Arrow(kinds));
        ASSERT_NE(arrow, nullptr) << kinds;
        EXPECT_NEAR(Length(arrow), c.length, kTolerance) << kinds;
        const ArrowPart &part = arrow->GetPart(0);
        EXPECT_NEAR(part.lineOutline[0].p0.x, left + c.start, kTolerance) << kinds;
        EXPECT_NEAR(part.lineOutline[0].p2.x, left + c.length + c.end, kTolerance) << kinds;
    }
    // A right-end head on a 'left' line sits at the inset end.
    ArrowNode *arrow = Lay(Arrow("u32{'left'} u32{'rarw'}"));
    EXPECT_NEAR(MaxX(arrow->GetPart(0).rightCurves), left + 16.5f - inset, kTolerance);

    // An inset longer than the least length lengthens the arrow: the line never turns over. With a
    // charm at the inset end the charm's room already holds the inset.
    ASSERT_TRUE(test::SetDesignParam(&design, 'arrw', 'srin', 4.0f));
    const ArrowCharmExtent head = CharmExtent(design, 'rarw');
    const struct
    {
        const char *data;
        float length;
    } deep[] = {
        {"u32{'left'}", 4.0f * kSize},
        {"u32{'rght'}", 4.0f * kSize},
        {"u32{'rght'} u32{'left','rarw'}", 4.0f * kSize + head.maxX - head.minX},
    };
    for (const auto &c : deep)
    {
        arrow = Lay(Arrow(c.data));
        EXPECT_NEAR(Length(arrow), c.length, kTolerance) << c.data;
        const ArrowPart &part = arrow->GetPart(0);
        EXPECT_GE(part.lineOutline[0].p2.x - part.lineOutline[0].p0.x, 0.0f) << c.data;
        test::OutlineChecks checks;
        checks.emptyAllowed = true;
        checks.box = true;
        checks.boxBottom = arrow->bottom;
        checks.boxTop = arrow->top;
        checks.boxWidth = arrow->width;
        EXPECT_EQ(test::CheckOutline(part.lineOutline, 4, checks), "") << c.data;
    }
}

TEST_F(ArrowLayoutTest, StackedLines)
{
    const struct
    {
        const char *data;
        std::vector<float> gaps;  // in mu, from one line to the next down
    } cases[] = {
        // Full heads facing each other at the same end: rsp1.
        {"u32{'long','long'} u32{'rarw'} u32{'rarw'}", {9.0f}},
        // Two plain lines: rsp2.
        {"u32{'long','long'} u32{} u32{}", {4.0f}},
        // An up harpoon over a down harpoon at the same end: both facing masks empty, rsp2.
        {"u32{'long','long'} u32{'ruhp'} u32{'rdhp'}", {4.0f}},
        // Equilibrium harpoons at opposite ends: rsp2; a down harpoon over an up one faces it: rsp1.
        {"u32{'long','long'} u32{'ruhp'} u32{'left','ldhp'}", {4.0f}},
        {"u32{'long','long'} u32{'rdhp'} u32{'ruhp'}", {9.0f}},
        // Charms at different ends, or on one line only: rsp0.
        {"u32{'long','long'} u32{'rarw'} u32{'left','larw'}", {6.0f}},
        {"u32{'long','long'} u32{'rarw'} u32{}", {6.0f}},
        // Three lines: the middle one on the axis.
        {"u32{'long','long','long'} u32{} u32{'cent','circ'} u32{'cent','circ'}", {6.0f, 9.0f}},
    };
    for (const auto &c : cases)
    {
        const ArrowNode *arrow = Lay(Arrow(c.data));
        ASSERT_NE(arrow, nullptr) << c.data;
        int32_t count = arrow->GetPartCount();
        ASSERT_EQ(count, int32_t(c.gaps.size()) + 1) << c.data;
        for (int32_t i = 1; i < count; ++i)
            EXPECT_NEAR(arrow->GetPart(i - 1).lineY - arrow->GetPart(i).lineY, c.gaps[i - 1] * kMu, kTolerance) << c.data;
        float middle = count == 3 ? arrow->GetPart(1).lineY : (arrow->GetPart(0).lineY + arrow->GetPart(1).lineY) * 0.5f;
        EXPECT_NEAR(middle, kAxis, kTolerance) << c.data;
        const ArrowPart &first = arrow->GetPart(0);
        const ArrowPart &last = arrow->GetPart(count - 1);
        EXPECT_NEAR(arrow->top, first.lineY + first.top, kTolerance) << c.data;
        EXPECT_NEAR(arrow->bottom, last.lineY + last.bottom, kTolerance) << c.data;
    }
}

TEST_F(ArrowLayoutTest, LabelsKeepTheirSpacingAndGap)
{
    const float half = kRule * 0.5f;
    const ArrowCharmExtent ring = CharmExtent(design, 'circ');
    const struct
    {
        const char *data;
        const char *label;
        float y;  // the label's y from the line
    } cases[] = {
        // Upper: vspe over a bare line, rising to keep vgpe over the line.
        {"u32{}", "Gr $l (t='uppr') { Bg {} Fx (w=4,t=5,b=-0.5) {} }", 3.5f * kMu},
        {"u32{}", "Gr $l (t='uppr') { Bg {} Fx (w=4,t=5,b=-3) {} }", half + 1.5f * kMu + 3.0f},
        // vspc over a middle charm, rising to keep vgpc over the charm.
        {"u32{'cent','circ'}", "Gr $l (t='uppr') { Bg {} Fx (w=4,t=5,b=-0.5) {} }", 6.5f * kMu},
        {"u32{'cent','circ'}", "Gr $l (t='uppr') { Bg {} Fx (w=4,t=5,b=-3) {} }", ring.top + 2.0f * kMu + 3.0f},
        // A left-aligned label looks at the left-end charms only.
        {"u32{'cent','circ'}", "Gr $l (t='uppr',al='left') { Bg {} Fx (w=4,t=5,b=-0.5) {} }", 3.5f * kMu},
        {"u32{'left','circ'}", "Gr $l (t='uppr',al='left') { Bg {} Fx (w=4,t=5,b=-0.5) {} }", 6.5f * kMu},
        // Lower: vspe and the label's cap height under the line, lowered to keep vgpe.
        {"u32{}", "Gr $l (t='lowr') { Bg {} Fx (w=4,t=1,b=-2) {} }", -3.5f * kMu - 0.65f * kCapital},
        {"u32{}", "Gr $l (t='lowr') { Bg {} Fx (w=4,t=6,b=-2) {} }", -half - 1.5f * kMu - 6.0f},
        {"u32{'rarw'}", "Gr $l (t='lowr',al='rght') { Bg {} Fx (w=4,t=1,b=-2) {} }", -6.5f * kMu - 0.65f * kCapital},
        {"u32{'rarw'}", "Gr $l (t='lowr',al='rght') { Bg {} Fx (w=4,t=6,b=-2) {} }",
         -CharmExtent(design, 'rarw').top - 2.0f * kMu - 6.0f},
    };
    for (const auto &c : cases)
    {
        const ArrowNode *arrow = Lay(Arrow(std::string("u32{'long'} ") + c.data + " " + c.label));
        ASSERT_NE(arrow, nullptr) << c.data;
        const GroupNode *label = Find<GroupNode>("l");
        EXPECT_NEAR(label->sizeFactor, 0.65f, kTolerance);
        EXPECT_NEAR(label->position.y - arrow->GetPart(0).lineY, c.y, kTolerance) << c.data << " " << c.label;
        float edge = label->role == kUpperLabelRole ? arrow->top : arrow->bottom;
        float labelEdge = label->position.y + (label->role == kUpperLabelRole ? label->top : label->bottom);
        EXPECT_NEAR(edge, labelEdge, kTolerance);
    }

    // Two lines: the upper label over the first, the lower under the last.
    ArrowNode *arrow = Lay(Arrow("u32{'long','long'} u32{} u32{} Gr $u (t='uppr') { Bg {} Fx (w=4,t=5,b=-0.5) {} }"
                                 " Gr $d (t='lowr') { Bg {} Fx (w=4,t=1,b=-2) {} }"));
    EXPECT_NEAR(Find<GroupNode>("u")->position.y, arrow->GetPart(0).lineY + 3.5f * kMu, kTolerance);
    EXPECT_NEAR(Find<GroupNode>("d")->position.y, arrow->GetPart(1).lineY - 3.5f * kMu - 0.65f * kCapital,
                kTolerance);
}

TEST_F(ArrowLayoutTest, LabelScalesByDepth)
{
    // An arrow in a label is one script level deeper.
    ArrowNode *arrow = Lay(Arrow("u32{} Gr $u0 (t='uppr') { Bg {} Ar $b { u32{} Gr $u1 (t='lowr') { Bg {}"
                                 " Ar $c { u32{} Gr $u2 (t='uppr') { Bg {} Fx (w=2,t=1,b=0) {} } } } } }"));
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(Find<ArrowNode>("b")->scriptDepth, 1);
    EXPECT_EQ(Find<ArrowNode>("c")->scriptDepth, 2);
    EXPECT_NEAR(Find<GroupNode>("u0")->sizeFactor, 0.65f, kTolerance);
    EXPECT_NEAR(Find<GroupNode>("u1")->sizeFactor, 0.75f, kTolerance);
    EXPECT_NEAR(Find<GroupNode>("u2")->sizeFactor, 1.0f, kTolerance);
    for (const char *name : {"u0", "u1", "u2"}) EXPECT_EQ(Find<GroupNode>(name)->defaultAlignment, kAlignCentre);
    // Lengths follow the arrow's own size: the least label spacing on each side of the label.
    const ArrowNode *inner = Find<ArrowNode>("c");
    EXPECT_NEAR(inner->effectiveScale, 0.65f * 0.75f, kTolerance);
    EXPECT_NEAR(Length(inner), 2.0f * kSize * inner->effectiveScale + 2.0f, kTolerance);
}

TEST_F(ArrowLayoutTest, OutlinesAndItems)
{
    ArrowNode *arrow = Lay(Arrow("u32{'long','cent','left'} u32{'rarw','rarw','left','larw','cent','circ'}"
                                 " u32{'lfsh','left','ltri','cent','exxx','dbsl'} u32{'rabr','left','ldlp','luhk'}"
                                 " Gr (t='uppr') { Bg {} Ar $n (pi=3) { u32{} } }",
                                 "(pi=2)"));
    ASSERT_EQ(arrow->GetPartCount(), 3);
    test::OutlineChecks checks;
    checks.orientation = false;
    checks.straightEdges = false;
    checks.box = true;
    checks.boxBottom = arrow->bottom;
    checks.boxTop = arrow->top;
    checks.boxWidth = arrow->width;
    std::vector<int32_t> counts;
    for (int32_t i = 0; i < arrow->GetPartCount(); ++i)
    {
        const ArrowPart &part = arrow->GetPart(i);
        test::OutlineChecks line = checks;
        line.orientation = true;
        line.straightEdges = true;
        EXPECT_EQ(test::CheckOutline(part.lineOutline, 4, line), "") << i;
        counts.push_back(4);
        for (const Array<QuadraticBezier2D, 6> *curves : {&part.leftCurves, &part.rightCurves, &part.middleCurves})
        {
            if (curves->GetElementCount() == 0) continue;
            EXPECT_EQ(test::CheckOutline(curves->GetElements(), curves->GetElementCount(), checks), "") << i;
            counts.push_back(curves->GetElementCount());
        }
    }
    // Line, left, right, middle per part, in the node's colour, then the label's items (the line of
    // the arrow in it, in its own colour).
    EXPECT_EQ(counts, std::vector<int32_t>({4, 6, 12, 24, 4, 6, 32, 16, 4, 38, 10}));
    counts.push_back(4);
    arrow->BuildExportItems(&design, &list);
    std::vector<int32_t> exported;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *item = dynamic_cast<ExportCurveItem *>(e);
        ASSERT_NE(item, nullptr);
        exported.push_back(item->curveCount);
        int32_t palette = e->GetNextListElement() != nullptr ? 2 : 3;
        EXPECT_EQ(item->color, GetNodeColorWord(&design, palette, kDefaultNodeColor));
    }
    EXPECT_EQ(exported, counts);
    const ArrowNode *nested = Find<ArrowNode>("n");
    EXPECT_NEAR(static_cast<ExportCurveItem *>(list.GetLastListElement())->box[0],
                nested->absolutePosition.x + nested->GetPart(0).lineOutline[0].p0.x, kTolerance);
    list.Purge();
    arrow->BuildPathItems(&design, &list);
    std::vector<int32_t> paths;
    for (ListElement *e = list.GetFirstListElement(); e != nullptr; e = e->GetNextListElement())
    {
        auto *item = dynamic_cast<FillPathItem *>(e);
        ASSERT_NE(item, nullptr);
        paths.push_back(item->curveCount);
    }
    EXPECT_EQ(paths, counts);
}

}  // namespace
}  // namespace oq
