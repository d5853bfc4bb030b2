// Symbol runs: their text form, role spacing, measuring against a test font, style alternates,
// decorations and long texts.
#include "support/DocumentTestKinds.h"

#include "editor/document/RunDecoration.h"
#include "editor/document/SymbolRunNode.h"
#include "editor/fonts/Design.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace oq {
namespace {

using test::ResultText;

// The math test document with real symbol runs ("Sb") and stand-ins that carry pre-scripts ("Ps").
class PreScriptsNode : public test::TestStructureNode, public PreScriptCarrier
{
public:
    PreScriptsNode() = default;
    PreScriptsNode(const PreScriptsNode &node) = default;
    DocumentNode *Clone() const override { return new PreScriptsNode(*this); }
    bool HasPreScripts() const override { return true; }
};

class RunDocument : public test::MathTestDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        if (std::strcmp(identifier, "Sb") == 0) return new SymbolRunNode;
        if (std::strcmp(identifier, "Ps") == 0) return new PreScriptsNode;
        return MathTestDocument::MakeStructure(identifier);
    }
};

std::string RunText(const SymbolRunNode *run)
{
    return std::string(run->text.GetText(), size_t(run->text.GetLength()));
}

TEST(SymbolRunNode, KettricRoundTrip)
{
    struct Case
    {
        const char *what;
        const char *input;
        const char *output;  // null: written as read
        uint32_t role;
        uint32_t style;
        const char *text;
    } cases[] = {
        {"a run without properties is 'math' in 'ital'", "Sb {s{\"x\"}}\n", nullptr, 'math', 'ital', "x"},
        {"an operator in its default style writes only its role", "Sb (ro='oper') {s{\"+\"}}\n", nullptr, 'oper', 'sym1',
         "+"},
        {"a style equal to the role's default is left out", "Sb (ro='text',st='uprt') {s{\"ab\"}}\n",
         "Sb (ro='text') {s{\"ab\"}}\n", 'text', 'uprt', "ab"},
        {"a style of 0 is the role's default", "Sb (ro='nmbr',st=0) {s{\"1\"}}\n", "Sb (ro='nmbr') {s{\"1\"}}\n", 'nmbr',
         'uprt', "1"},
        {"\"pf\" clears \"tf\"", "Sb (ro='nmbr',tf,pf) {s{\"12\"}}\n", "Sb (ro='nmbr',pf) {s{\"12\"}}\n", 'nmbr', 'uprt',
         "12"},
        {"flags in their order after role and style", "Sb (nb,ns,nd,zr,cf,sc,ma,of,tf,st='bold') {s{\"x\"}}\n",
         "Sb (st='bold',tf,of,ma,sc,cf,zr,nd,ns,nb) {s{\"x\"}}\n", 'math', 'bold', "x"},
        {"the colour comes first", "Sb (pi=3,ro='func') {s{\"sin\"}}\n", nullptr, 'func', 'uprt', "sin"},
        {"quotes, backslashes, dashes and non-ASCII text",
         "Sb {s{\"\\\"a\\\\b--c-->\xC3\xA9\xE2\x88\x92\"}}\n", "Sb {s{\"\\\"a\\\\b\\x2D\\x2Dc\\x2D\\x2D\\x3E\xC3\xA9\xE2\x88\x92\"}}\n",
         'math', 'ital', "\"a\\b--c-->\xC3\xA9\xE2\x88\x92"},
        {"invalid bytes read as U+FFFD each", "Sb {s{\"a\\xFF\\xC3b\"}}\n",
         "Sb {s{\"a\xEF\xBF\xBD\xEF\xBF\xBD" "b\"}}\n", 'math', 'ital', "a\xEF\xBF\xBD\xEF\xBF\xBD" "b"},
        {"an encoded surrogate reads as U+FFFD per byte", "Sb {s{\"\\xED\\xA0\\x80\"}}\n",
         "Sb {s{\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"}}\n", 'math', 'ital', "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"an empty text", "Sb {s{\"\"}}\n", nullptr, 'math', 'ital', ""},
        {"decorations follow the text in their order", "Sb\n{\n\ts{\"x\"}\n\tMk {}\n\tEn {}\n}\n", nullptr, 'math', 'ital',
         "x"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        RunDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(c.input)), "0");
        auto *run = dynamic_cast<SymbolRunNode *>(document.GetRootStructure()->GetFirstSubnodeStructure());
        ASSERT_NE(run, nullptr);
        EXPECT_EQ(run->role, c.role);
        EXPECT_EQ(run->style, c.style);
        EXPECT_EQ(RunText(run), c.text);
        std::string written = document.WriteText();
        EXPECT_EQ(written, c.output != nullptr ? c.output : c.input);
        EXPECT_EQ(written.find("--"), std::string::npos);
        // What was written reads back to the same run and text.
        RunDocument again;
        ASSERT_EQ(ResultText(again.ParseAndResolve(written.c_str())), "0");
        EXPECT_EQ(again.WriteText(), written);
    }
}

TEST(SymbolRunNode, ReadingErrors)
{
    const struct
    {
        const char *input;
        const char *result;
    } cases[] = {
        {"Sb {}", "MSSB"},
        {"Sb { Mk {} }", "MSSB"},
        {"Sb { s{\"a\"} s{\"b\"} }", "EXSB"},
        {"Sb { s{\"a\", \"b\"} }", "IVDF"},
        {"Sb { s{} }", "IVDF"},
        {"Sb { s{\"a\"} Fx {} }", "IVST"},
        {"Sb { s{\"a\"} u32{1} }", "IVST"},
    };
    for (const auto &c : cases)
    {
        RunDocument document;
        EXPECT_EQ(ResultText(document.ParseAndResolve(c.input)), c.result) << c.input;
    }
}

TEST(SymbolRunNode, CloneKeepsPropertiesAndText)
{
    RunDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve("Sb (co=0xFF112233,ro='nmbr',st='bold',of,zr) {s{\"42\"}}")), "0");
    auto *run = dynamic_cast<SymbolRunNode *>(document.GetRootStructure()->GetFirstSubnodeStructure());
    ASSERT_NE(run, nullptr);
    run->glyphRequest.alternateMask = 0x800;
    std::unique_ptr<DocumentNode> copy(run->Clone());
    auto *clone = dynamic_cast<SymbolRunNode *>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->role, uint32_t('nmbr'));
    EXPECT_EQ(clone->style, uint32_t('bold'));
    EXPECT_TRUE(clone->oldstyleFigures);
    EXPECT_TRUE(clone->slashedZero);
    EXPECT_FALSE(clone->smallCaps);
    EXPECT_EQ(clone->colorValue, run->colorValue);
    EXPECT_EQ(RunText(clone), "42");
    EXPECT_EQ(clone->glyphRequest.alternateMask, 0U);
    EXPECT_EQ(clone->GetCachedRun(), nullptr);
}

TEST(SymbolRunNode, AlternateFeatures)
{
    const struct
    {
        uint32_t style;
        const char *flags;
        uint32_t mask;
        uint32_t selector;
    } cases[] = {
        {'uprt', "", 0xC000 | 0x40000 | 0x10000, 0},
        {'ital', "", 0xC000 | 0x40000 | 0x10000 | 0x800, 1},
        {'itgk', "", 0xC000 | 0x40000 | 0x10000 | 0x800, 1},
        {'bdgk', "", 0xC000 | 0x40000 | 0x10000 | 0x800, 2},
        {'bitl', "", 0xC000 | 0x40000 | 0x10000 | 0x800, 3},
        {'mono', "", 0xC000 | 0x40000 | 0x10000 | 0x800, 4},
        {'scpt', "", 0xC000 | 0x40000 | 0x10000, 0},
        {'uprt', "pf,of,sc,cf,zr", 0xC000 | 0x80000 | 0x20000 | 0x4 | 0x40 | 0x80, 0},
    };
    for (const auto &c : cases)
    {
        std::string style(1, char(c.style >> 24));
        style += char(c.style >> 16);
        style += char(c.style >> 8);
        style += char(c.style);
        std::string text = "Sb (st='" + style + "'" + (c.flags[0] ? std::string(",") + c.flags : "") + ") {s{\"x\"}}";
        RunDocument document;
        ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0") << text;
        auto *run = dynamic_cast<SymbolRunNode *>(document.GetRootStructure()->GetFirstSubnodeStructure());
        uint32_t selector = 99;
        EXPECT_EQ(run->GetAlternateFeatures(&selector), c.mask) << text;
        EXPECT_EQ(selector, c.selector) << text;
    }
}

// Factory design: em 11 pt, mu 11/18 pt; 'osp', 'rsp' and 'asp' 4 full and 1.25 sub, 'psp' 3 and 1,
// 'elsp' 0.61, 'fnsp' 3, 'cesp' 3, 'unsp' 4 (all in mu).
TEST(SymbolRunNode, RoleSpacing)
{
    struct Case
    {
        const char *what;
        const char *row;   // the nodes of one row after its row begin
        const char *name;  // the run whose spacing is checked
        float before;      // in mu at full size
        float after;
        float beforeSub;   // in mu in a script
        float afterSub;
    } cases[] = {
        {"x+y", "Sb {s{\"x\"}} Sb $r (ro='oper') {s{\"+\"}} Sb {s{\"y\"}}", "r", 4, 4, 1.25F, 1.25F},
        {"an operator at the end of its row has none after", "Sb {s{\"x\"}} Sb $r (ro='oper') {s{\"+\"}}", "r", 4, 0,
         1.25F, 0},
        {"a leading minus at a row start", "Sb $r (ro='oper') {s{\"-\"}} Sb {s{\"x\"}}", "r", 0, 0, 0, 0},
        {"a leading minus before an alignment mark keeps the space after it",
         "Sb $r (ro='oper') {s{\"-\"}} Al {} Sb {s{\"x\"}}", "r", 0, 4, 0, 1.25F},
        {"an operator after a relation", "Sb (ro='rltn') {s{\"=\"}} Sb $r (ro='oper') {s{\"-\"}} Sb {s{\"x\"}}", "r",
         4, 0, 1.25F, 0},
        {"an operator before punctuation", "Sb {s{\"x\"}} Sb $r (ro='oper') {s{\"-\"}} Sb (ro='pnct') {s{\",\"}}", "r",
         4, 0, 1.25F, 0},
        {"an operator after text", "Sb (ro='text') {s{\"if\"}} Sb $r (ro='oper') {s{\"-\"}} Sb {s{\"x\"}}", "r", 0, 0,
         0, 0},
        {"relation after relation",
         "Sb {s{\"x\"}} Sb (ro='rltn') {s{\"<\"}} Sb $r (ro='rltn') {s{\"=\"}} Sb {s{\"y\"}}", "r", 0, 4, 0, 1.25F},
        {"a relation before a relation", "Sb {s{\"x\"}} Sb $r (ro='rltn') {s{\"<\"}} Sb (ro='rltn') {s{\"=\"}}", "r", 4,
         0, 1.25F, 0},
        {"a relation at a row start", "Sb $r (ro='rltn') {s{\"=\"}} Sb {s{\"y\"}}", "r", 0, 4, 0, 1.25F},
        {"an arrow", "Sb {s{\"x\"}} Sb $r (ro='arrw') {s{\"\xE2\x86\x92\"}} Sb {s{\"y\"}}", "r", 4, 4, 1.25F, 1.25F},
        {"punctuation before an ellipsis",
         "Sb {s{\"x\"}} Sb $r (ro='pnct') {s{\",\"}} Sb (ro='elps') {s{\"\xE2\x80\xA6\"}}", "r", 0, 0.61F, 0, 0.61F},
        {"punctuation before a letter", "Sb {s{\"x\"}} Sb $r (ro='pnct') {s{\",\"}} Sb {s{\"y\"}}", "r", 0, 3, 0, 1},
        {"an ellipsis after punctuation",
         "Sb (ro='pnct') {s{\",\"}} Sb $r (ro='elps') {s{\"\xE2\x80\xA6\"}} Sb {s{\"y\"}}", "r", 0.61F, 3, 0.61F, 1},
        {"an ellipsis at a row start", "Sb $r (ro='elps') {s{\"\xE2\x80\xA6\"}}", "r", 0, 0, 0, 0},
        {"a function name after an operator",
         "Sb (ro='oper') {s{\"+\"}} Sb $r (ro='func') {s{\"sin\"}} Sb {s{\"x\"}}", "r", 0, 3, 0, 3},
        {"a function name after a letter", "Sb {s{\"a\"}} Sb $r (ro='func') {s{\"sin\"}} Sb {s{\"x\"}}", "r", 3, 3, 3,
         3},
        {"a function name after pre-scripts at a row start", "Ps {} Sb $r (ro='func') {s{\"sin\"}}", "r", 0, 3, 0, 3},
        {"a function name after pre-scripts after an operator",
         "Sb (ro='oper') {s{\"+\"}} Ps {} Sb $r (ro='func') {s{\"sin\"}}", "r", 3, 3, 3, 3},
        {"'chem' after 'nmbr'", "Sb (ro='nmbr') {s{\"2\"}} Sb $r (ro='chem') {s{\"H\"}}", "r", 3, 0, 3, 0},
        {"'chem' after 'math'", "Sb {s{\"n\"}} Sb $r (ro='chem') {s{\"H\"}}", "r", 3, 0, 3, 0},
        {"'chem' after 'chem'", "Sb (ro='chem') {s{\"O\"}} Sb $r (ro='chem') {s{\"H\"}}", "r", 0, 0, 0, 0},
        {"'chem' after pre-scripts after a number",
         "Sb (ro='nmbr') {s{\"2\"}} Ps {} Sb $r (ro='chem') {s{\"H\"}}", "r", 3, 0, 3, 0},
        {"'chem' after pre-scripts after a letter", "Sb {s{\"n\"}} Ps {} Sb $r (ro='chem') {s{\"H\"}}", "r", 0, 0, 0, 0},
        {"'unit'", "Sb (ro='nmbr') {s{\"5\"}} Sb $r (ro='unit') {s{\"kg\"}}", "r", 4, 0, 4, 0},
        {"a plain letter", "Sb (ro='oper') {s{\"+\"}} Sb $r {s{\"x\"}} Sb (ro='oper') {s{\"+\"}}", "r", 0, 0, 0, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        for (bool script : {false, true})
        {
            std::string text = std::string("Gr { Bg {} ") + c.row + " }";
            if (script) text = "St (ss=1) { " + text + " }";
            Design design;
            RunDocument document;
            ASSERT_EQ(ResultText(document.ParseAndResolve(text.c_str())), "0");
            document.LayoutAll(&design);
            auto *run = document.Find<SymbolRunNode>(c.name);
            ASSERT_NE(run, nullptr);
            EXPECT_EQ(run->scriptDepth > 0, script);
            float before = 0.0F;
            float after = 0.0F;
            run->GetRoleSpacing(&design, &before, &after);
            float mu = run->GetMu(&design);
            EXPECT_NEAR(before, (script ? c.beforeSub : c.before) * mu, 1e-4F) << (script ? "in a script" : "full size");
            EXPECT_NEAR(after, (script ? c.afterSub : c.after) * mu, 1e-4F) << (script ? "in a script" : "full size");
        }
    }
}

// Without fonts a run lays out no glyphs: its width is its spacing and its box the row's least one.
TEST(SymbolRunNode, WithoutFontsOnlySpacing)
{
    Design design;
    RunDocument document;
    ASSERT_EQ(ResultText(document.ParseAndResolve(
                  "Gr { Bg {} Sb $x {s{\"x\"}} Sb $r (ro='oper') {s{\"+\"}} Sb $y {s{\"y\"}} Sb $e {s{\"\"}} }")),
              "0");
    document.LayoutAll(&design);
    const float mu = 11.0F / 18.0F;
    auto *r = document.Find<SymbolRunNode>("r");
    EXPECT_EQ(r->GetGlyphCount(), 0);
    EXPECT_NEAR(r->leftSpacing, 4.0F * mu, 1e-4F);
    EXPECT_NEAR(r->width, 8.0F * mu, 1e-4F);
    EXPECT_NEAR(document.Find("y")->position.x, 8.0F * mu, 1e-4F);
    auto *e = document.Find<SymbolRunNode>("e");
    EXPECT_FLOAT_EQ(e->bottom, -0.875F * mu);
    EXPECT_FLOAT_EQ(e->top, 0.875F * mu + 0.6621F * 11.0F);
    EXPECT_EQ(e->GetFirstStepIndex(), 0);
    EXPECT_EQ(e->GetEndIndex(), 0);
    EXPECT_EQ(e->GetCharIndexAtX(&design, 5.0F), 0);
}

TEST(SymbolRunNode, StepAndEndIndexes)
{
    const struct
    {
        const char *text;
        int32_t first;
        int32_t end;
    } cases[] = {
        {"x", 1, 1},
        {"ab", 1, 2},
        {"\xC3\xA9z", 2, 3},
        {"e\xCC\x81z", 3, 4},  // e and a combining acute step as one
        {"\xF0\x9D\x91\x8E", 4, 4},
    };
    for (const auto &c : cases)
    {
        SymbolRunNode run;
        run.text = c.text;
        EXPECT_EQ(run.GetFirstStepIndex(), c.first) << c.text;
        EXPECT_EQ(run.GetEndIndex(), c.end) << c.text;
    }
}

TEST(SymbolRunNode, KeepRunTextRange)
{
    const struct
    {
        int32_t begin;
        int32_t end;
        const char *kept;
    } cases[] = {
        {1, 3, "\xC3\xA9"},
        {0, 99, "a\xC3\xA9z"},
        {-4, 1, "a"},
        {3, 1, ""},
        {2, 4, "\xEF\xBF\xBDz"},  // the cut splits the e acute: its trailing byte becomes U+FFFD
    };
    for (const auto &c : cases)
    {
        SymbolRunNode run;
        run.text = "a\xC3\xA9z";
        run.KeepRunTextRange(c.begin, c.end);
        EXPECT_EQ(RunText(&run), c.kept) << c.begin << " " << c.end;
    }
}

}  // namespace
}  // namespace oq
