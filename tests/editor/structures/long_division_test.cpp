// Long divisions: the read and write table, navigation and copies, the layout with the factory design
// (sign, dividend and quotient places) and the sign's outline at every corner of its design ranges.
#include "DesignRangeCases.h"
#include "StructureFixtures.h"

#include "editor/document/GroupNode.h"
#include "editor/platform/DisplayItems.h"
#include "editor/structures/LongDivisionNode.h"

#include <gtest/gtest.h>

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

TEST(LongDivision, ReadAndWriteTable)
{
    const test::ReadWriteCase cases[] = {
        {"Dv { Gr { Bg {} } }", "0", "\tDv\n\t{\n\t\tGr\n"},
        {"Dv (co=0xff0000ff) { Gr (t='quot') { Bg {} } Gr { Bg {} } }", "0", "Dv (co=0xFF0000FF)\n"},
        {"Dv { Gr (t='xtra') { Bg {} } Gr { Bg {} } }", "0", "t='xtra'"},
        {"Dv { Gr { Bg {} } Gr { Bg {} } }", "EXSB", ""},
        {"Dv { Gr { Bg {} } Gr (t='quot') { Bg {} } Gr (t='quot') { Bg {} } }", "EXSB", ""},
        {"Dv { Gr (t='quot') { Bg {} } }", "MSSB", ""},
        {"Dv { Fx {} }", "IVST", ""},
    };
    test::ExpectReadWriteTable(cases);
}

TEST(LongDivision, NavigationAndCopies)
{
    test::StructureTestDocument document;
    std::string text = Equation("Dv $v { Gr $q (t='quot') { Bg {} } Gr $b { Bg {} } }");
    ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
    auto *division = document.Find<LongDivisionNode>("v");
    auto *dividend = document.Find<GroupNode>("b");
    auto *quotient = document.Find<GroupNode>("q");
    EXPECT_EQ(division->GetFirstGroup(), dividend);
    EXPECT_EQ(division->GetLastGroup(), quotient);
    EXPECT_EQ(division->GetNextGroup(dividend), quotient);
    EXPECT_EQ(division->GetPreviousGroup(quotient), dividend);
    EXPECT_EQ(division->GetPreviousGroup(dividend), nullptr);
    EXPECT_EQ(division->GetGroupAbove(dividend), quotient);
    EXPECT_EQ(division->GetGroupBelow(quotient), dividend);
    EXPECT_EQ(division->GetGroupAbove(quotient), nullptr);
    EXPECT_EQ(division->GetGroupBelow(dividend), nullptr);
    EXPECT_EQ(division->GetOrCreateQuotient(), quotient);
    EXPECT_FALSE(division->HasVariant());

    std::unique_ptr<DocumentNode> copy(division->DeepCopy());
    auto *copied = dynamic_cast<LongDivisionNode *>(copy.get());
    ASSERT_NE(copied, nullptr);
    ASSERT_NE(copied->GetDividend(), nullptr);
    EXPECT_EQ(copied->GetDividend()->role, 0u);
    EXPECT_EQ(copied->GetQuotient()->role, kQuotientRole);

    // Without a quotient the dividend is first and last; the quotient is made on request.
    LongDivisionNode fresh;
    EXPECT_EQ(fresh.GetLastGroup(), nullptr);
    GroupNode *made = fresh.GetOrCreateQuotient();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->role, kQuotientRole);
    EXPECT_EQ(fresh.GetOrCreateQuotient(), made);
}

TEST(LongDivision, FactoryLayouts)
{
    const struct
    {
        const char *quotient;
        float xr, dividendX, top;
        float quotientX, quotientY;
    } cases[] = {
        {nullptr, 10.90493f, 4.29382f, 10.74319f, 0.0f, 0.0f},
        // Narrower than dividend and curve: the vinculum keeps its length.
        {"Fx (w=8,t=8,b=-1) {}", 10.90493f, 4.29382f, 20.96542f, 2.29382f, 12.96542f},
        // Wider: the vinculum grows; both stay right-aligned.
        {"Fx (w=12,t=8,b=-1) {}", 14.70493f, 8.09382f, 20.96542f, 2.09382f, 12.96542f},
    };
    for (const auto &c : cases)
    {
        std::string text = "Dv $v { Gr $b { Bg {} Fx (w=6,t=9,b=-1) {} }";
        if (c.quotient != nullptr) text += std::string(" Gr $q (t='quot') { Bg {} ") + c.quotient + " }";
        test::StructureTestDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(Equation(text + " }").c_str())), "0");
        Design design;
        document.LayoutAll(&design);
        auto *division = document.Find<LongDivisionNode>("v");
        auto *dividend = document.Find<GroupNode>("b");
        const char *label = c.quotient != nullptr ? c.quotient : "no quotient";
        EXPECT_NEAR(division->leftSpacing, 0.61111f, kTolerance) << label;
        EXPECT_NEAR(division->width, c.xr + 0.61111f, kTolerance) << label;
        EXPECT_NEAR(dividend->position.x, c.dividendX, kTolerance) << label;
        EXPECT_EQ(dividend->position.y, 0.0f);
        EXPECT_NEAR(division->top, c.top, kTolerance) << label;
        // The cap's lower corner is the bottom: yb - h C / n.
        EXPECT_NEAR(division->bottom, -2.38390f, kTolerance) << label;
        ASSERT_EQ(division->outlineCount, 9);
        // The vinculum: from xr back to its left end, the vertical edge at x0 + h (C - n) / B.
        EXPECT_NEAR(division->outline[3].p2.x, c.xr, kTolerance);
        EXPECT_NEAR(division->outline[4].p2.y - division->outline[3].p2.y, 0.52097f, kTolerance);
        EXPECT_NEAR(division->outline[5].p2.x, 0.48509f, kTolerance);
        EXPECT_EQ(division->outline[6].p2.x, division->outline[5].p2.x);
        EXPECT_NEAR(division->outline[0].p2.y, division->bottom, kTolerance);
        if (c.quotient == nullptr) continue;
        auto *quotient = document.Find<GroupNode>("q");
        EXPECT_NEAR(quotient->position.x, c.quotientX, kTolerance) << label;
        EXPECT_NEAR(quotient->position.y, c.quotientY, kTolerance) << label;
        EXPECT_NEAR(quotient->position.x + quotient->width, dividend->position.x + dividend->width, kTolerance);
    }

    // One item for the sign first.
    test::StructureTestDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(Equation("Dv $v { Gr { Bg {} } }").c_str())), "0");
    Design design;
    document.LayoutAll(&design);
    DisplayList exported;
    document.Find<LongDivisionNode>("v")->BuildExportItems(&design, &exported);
    EXPECT_EQ(exported.GetListElementCount(), 1);
    exported.Purge();
}

TEST(LongDivision, OutlineAtEveryCornerOfTheRanges)
{
    int32_t group = FindDesignGroup(kLongDivisionKind);
    const DesignGroupTable &table = kDesignGroupTables[group];
    ASSERT_EQ(table.rowCount, 8);
    for (int32_t corner = 0; corner < 256; ++corner)
    {
        Design design;
        for (int32_t i = 0; i < table.rowCount; ++i)
        {
            const DesignParamRow &row = table.rows[i];
            design.GetGroupSlots(group)[row.offset / 4] = (corner >> i & 1) != 0 ? row.maximum : row.minimum;
        }
        for (const char *quotient : {"", " Gr (t='quot') { Bg {} Fx (w=30,t=8,b=-1) {} }"})
        {
            test::StructureTestDocument document;
            std::string text = std::string("Dv $v { Gr { Bg {} Fx (w=6,t=9,b=-1) {} }") + quotient + " }";
            ASSERT_EQ(ResultText(document.ParseAndResolve(Equation(text).c_str())), "0");
            document.LayoutAll(&design);
            auto *division = document.Find<LongDivisionNode>("v");
            ASSERT_EQ(division->outlineCount, 9) << corner;
            float h = design.GetBaseFontSize() / 18.0f * GetGroupParam(&design, kLongDivisionKind, 'rule') * 0.5f;
            test::OutlineChecks checks;
            checks.simple = true;
            checks.box = true;
            checks.boxBottom = division->bottom;
            checks.boxTop = division->outline[4].p2.y;
            checks.boxWidth = division->width;
            checks.boxMargin = h;
            EXPECT_EQ(test::CheckOutline(division->outline, 9, checks), "") << "corner " << corner << quotient;
        }
    }
}

}  // namespace
}  // namespace oq
