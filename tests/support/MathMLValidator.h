#pragma once

#include <string>

namespace oq::test {

// Checks a MathML text (a whole <math> element) against the MathML 3 DTD with
// xmllint. The internal subset (declarations between the brackets of the
// DOCTYPE, may be empty) extends the DTD. Returns xmllint's messages: empty
// when the text is valid, a message naming `make deps` when xmllint or the DTD
// is missing.
std::string ValidateMathML(const std::string &mathml,
                           const std::string &internalSubset);

} // namespace oq::test
