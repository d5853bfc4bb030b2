#pragma once

#include <map>
#include <string>
#include <vector>

namespace oq::test {

// How a formula is set for the LaTeX oracles.
struct LatexOracleOptions
{
    bool display = false;       // display math instead of $...$
    std::string preamble;       // lines after amsmath and amssymb (stubs, a package)
    std::map<std::string, std::string> mathJaxMacros;  // name (without backslash) -> definition
};

// Compiles the formula with pdflatex -halt-on-error in a document that loads amsmath, amssymb
// and the options' preamble. Returns "" when it compiles, else what went wrong (the log's error
// lines; a message naming `make deps` when pdflatex is missing).
std::string CompileWithPdflatex(const std::string &formula, const LatexOracleOptions &options = {});

// The same for many formulas in one run: each is set on a line of its own, in its own math, in
// one document. The first that fails stops the run; the result names it by its index and text.
std::string CompileWithPdflatex(const std::vector<std::string> &formulas, const LatexOracleOptions &options = {});

// Compiles a whole document with pdflatex -halt-on-error in a folder of its own. Returns "" and the
// log's text when it compiles, else what went wrong (a message naming `make deps` when pdflatex is
// missing).
std::string CompileLatexDocument(const std::string &document, std::string *log);

// The \providecommand lines that stub \unicode (one argument, expanding to '.', which TeX also
// takes as a null delimiter) and each name (with or without its backslash; "name[2]" takes two
// arguments and expands to a group of them, a plain name expands to an empty group). Names
// that are defined already stay as they are.
std::string MakeLatexStubs(const std::vector<std::string> &names);

// Converts the formula to MathML with MathJax (every TeX package but noundefined, noerrors and
// bussproofs, plus the options' macros); an undefined command or any other TeX error fails.
// Returns "" and the MathML when it converts, else what went wrong (a message naming
// `make deps` when node or MathJax is missing).
std::string ConvertWithMathJax(const std::string &formula, const LatexOracleOptions &options, std::string *mathml);

}  // namespace oq::test
