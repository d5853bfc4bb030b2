// The MathML of symbol runs: elements, mathvariant, mark wrappers, enclosure notations and
// hostile texts, each checked against the MathML 3 DTD.
#include "DecorationTesting.h"
#include "support/MathMLValidator.h"

#include "editor/document/SymbolRunNode.h"

#include <gtest/gtest.h>

#include <string>

namespace oq {
namespace {

using test::DecorationTestDocument;

constexpr const char *kMathOpen = "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";

std::string WriteRunMathML(const std::string &run)
{
    DecorationTestDocument document;
    const SymbolRunNode *node = test::ReadRowRun(document, run);
    if (node == nullptr) return {};
    MathWriterState state;
    TextString output;
    node->WriteMathML(&state, &output);
    return output.GetText();
}

#define HAT "\xCC\x82"     // U+0302
#define VEC "\xE2\x83\x97" // U+20D7
#define UBAR "\xCC\xB1"    // U+0331
#define MSPACE "<mspace width=\"0.166667em\"/>"

TEST(RunMathML, ElementsVariantsAndDecorations)
{
    struct Case
    {
        const char *what;
        const char *run;
        const char *mathml;
    } cases[] = {
        {"one italic letter", "Sb $r {s{\"x\"}}", "<mi>x</mi>"},
        {"two italic letters", "Sb $r {s{\"ab\"}}", "<mi mathvariant=\"italic\">ab</mi>"},
        {"one upright letter", "Sb $r (st='uprt') {s{\"x\"}}", "<mi mathvariant=\"normal\">x</mi>"},
        {"two upright letters", "Sb $r (st='uprt') {s{\"ab\"}}", "<mi>ab</mi>"},
        {"one non-ASCII character is one letter", "Sb $r {s{\"\\xCE\\xB1\"}}", "<mi>\xCE\xB1</mi>"},
        {"a number", "Sb $r (ro='nmbr') {s{\"12\"}}", "<mn>12</mn>"},
        {"an italic number", "Sb $r (ro='nmbr',st='ital') {s{\"1\"}}", "<mn mathvariant=\"italic\">1</mn>"},
        {"an operator", "Sb $r (ro='oper') {s{\"+\"}}", "<mo>+</mo>"},
        {"a relation", "Sb $r (ro='rltn') {s{\"=\"}}", "<mo>=</mo>"},
        {"text", "Sb $r (ro='text') {s{\"ab\"}}", "<mtext>ab</mtext>"},
        {"italic text", "Sb $r (ro='text',st='ital') {s{\"a\"}}", "<mtext mathvariant=\"italic\">a</mtext>"},
        {"a chemical element", "Sb $r (ro='chem') {s{\"He\"}}", "<mi>He</mi>"},
        {"bold", "Sb $r (st='bold') {s{\"x\"}}", "<mi mathvariant=\"bold\">x</mi>"},
        {"bold Greek", "Sb $r (st='bdgk') {s{\"x\"}}", "<mi mathvariant=\"bold\">x</mi>"},
        {"bold italic", "Sb $r (st='bitl') {s{\"x\"}}", "<mi mathvariant=\"bold-italic\">x</mi>"},
        {"bold italic Greek", "Sb $r (st='bigk') {s{\"x\"}}", "<mi mathvariant=\"bold-italic\">x</mi>"},
        {"monospace", "Sb $r (st='mono') {s{\"x\"}}", "<mi mathvariant=\"monospace\">x</mi>"},
        {"script", "Sb $r (st='scpt') {s{\"x\"}}", "<mi mathvariant=\"script\">x</mi>"},
        {"bold script", "Sb $r (st='bdsc') {s{\"x\"}}", "<mi mathvariant=\"bold-script\">x</mi>"},
        {"fraktur", "Sb $r (st='frkt') {s{\"x\"}}", "<mi mathvariant=\"fraktur\">x</mi>"},
        {"bold fraktur", "Sb $r (st='bdfk') {s{\"x\"}}", "<mi mathvariant=\"bold-fraktur\">x</mi>"},
        {"double-struck", "Sb $r (st='doub') {s{\"x\"}}", "<mi mathvariant=\"double-struck\">x</mi>"},
        {"sans-serif", "Sb $r (st='sans') {s{\"x\"}}", "<mi mathvariant=\"sans-serif\">x</mi>"},
        {"sans-serif italic", "Sb $r (st='itsn') {s{\"x\"}}", "<mi mathvariant=\"sans-serif-italic\">x</mi>"},
        {"bold sans-serif", "Sb $r (st='dbsn') {s{\"x\"}}", "<mi mathvariant=\"bold-sans-serif\">x</mi>"},
        {"sans-serif bold italic", "Sb $r (st='bisn') {s{\"x\"}}",
         "<mi mathvariant=\"sans-serif-bold-italic\">x</mi>"},
        {"italic Greek", "Sb $r (st='itgk') {s{\"ab\"}}", "<mi mathvariant=\"italic\">ab</mi>"},
        {"upright Greek", "Sb $r (st='grek') {s{\"x\"}}", "<mi mathvariant=\"normal\">x</mi>"},
        {"two over-marks, the last outermost", "Sb $r { s{\"x\"} Mk {u32{0x302}} Mk {u32{0x20D7}} }",
         "<mover accent=\"true\"><mover accent=\"true\"><mi>x</mi><mo>" HAT "</mo></mover><mo>" VEC "</mo></mover>"},
        {"an over-mark and an under-mark", "Sb $r { s{\"x\"} Mk {u32{0x302}} Mk (un) {u32{0x331}} }",
         "<munder accentunder=\"true\"><mover accent=\"true\"><mi>x</mi><mo>" HAT "</mo></mover><mo>" UBAR
         "</mo></munder>"},
        {"a function name with an over-mark", "Sb $r (ro='func') { s{\"foo\"} Mk {u32{0x302}} }",
         MSPACE "<mover accent=\"true\"><mi>foo</mi><mo>" HAT "</mo></mover>"},
        {"a unit with an over-mark", "Sb $r (ro='unit') { s{\"m\"} Mk {u32{0x302}} }",
         MSPACE "<mover accent=\"true\"><mi mathvariant=\"normal\">m</mi><mo>" HAT "</mo></mover>"},
        {"a standard function", "Sb $r (ro='func') {s{\"sin\"}}", MSPACE "<mi>sin</mi>"},
        {"the notations, the last first",
         "Sb $r { s{\"x\"} Ng {} Ng (t='bkwd') {} Ng (t='vert') {} Sl {} Sl (t='bkwd') {} En {} En (t='squa') {} "
         "En (t='rdsq') {} }",
         "<menclose notation=\" roundedbox box circle downdiagonalstrike updiagonalstrike verticalstrike "
         "downdiagonalstrike updiagonalstrike\"><mi>x</mi></menclose>"},
        {"a mark over an enclosure", "Sb $r { s{\"x\"} En {} Mk {u32{0x302}} }",
         "<mover accent=\"true\"><menclose notation=\" circle\"><mi>x</mi></menclose><mo>" HAT "</mo></mover>"},
        {"escapes, control characters and a mark '<'", "Sb $r (ro='text') { s{\"a<b&c\\x01\\x7F\"} Mk {u32{0x3C}} }",
         "<mover accent=\"true\"><mtext>a&#x3C;b&#x26;c&#x7F;</mtext><mo>&#x3C;</mo></mover>"},
        {"a mark '&' under an identifier", "Sb $r { s{\"<\"} Mk (un) {u32{0x26}} }",
         "<munder accentunder=\"true\"><mi>&#x3C;</mi><mo>&#x26;</mo></munder>"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string written = WriteRunMathML(c.run);
        EXPECT_EQ(written, c.mathml);
        std::string messages = test::ValidateMathML(std::string(kMathOpen) + "<mrow>" + written + "</mrow></math>", "");
        EXPECT_EQ(messages, "");
    }
}

}  // namespace
}  // namespace oq
