#include "support/MathMLValidator.h"

#include <gtest/gtest.h>

namespace {

constexpr const char *kMathOpen =
    "<math xmlns=\"http://www.w3.org/1998/Math/MathML\">";

struct ValidationCase {
  const char *name;
  const char *body;
  const char *internalSubset;
  bool valid;
};

// The checker must accept the table nesting groups write and refuse what the
// DTD does not declare, so that an empty answer really means "valid".
TEST(MathMLValidator, AcceptsDeclaredMarkupAndRefusesTheRest) {
  const ValidationCase cases[] = {
      {"row", "<mrow><mi>x</mi><mo>=</mo><mn>1</mn></mrow>", "", true},
      {"table",
       "<mrow><mtable "
       "columnalign=\"left\"><mtr><mtd><mi>a</mi></mtd></mtr><mtr><mtd><mi>b</"
       "mi></mtd></mtr></mtable></mrow>",
       "", true},
      {"unknown element", "<mrow><mfoo/></mrow>", "", false},
      {"cell outside a table row", "<mrow><mtd><mi>a</mi></mtd></mrow>", "",
       false},
      {"unknown attribute", "<mi bogus=\"1\">x</mi>", "", false},
      {"attribute declared in the subset", "<mi bogus=\"1\">x</mi>",
       "<!ATTLIST mi bogus CDATA #IMPLIED>", true},
      {"not well-formed", "<mrow><mi>x</mrow>", "", false},
  };
  for (const ValidationCase &c : cases) {
    std::string messages = oq::test::ValidateMathML(
        std::string(kMathOpen) + c.body + "</math>", c.internalSubset);
    EXPECT_EQ(messages.find("make deps"), std::string::npos) << messages;
    if (c.valid)
      EXPECT_EQ(messages, "") << c.name;
    else
      EXPECT_NE(messages, "") << c.name;
  }
}

} // namespace
