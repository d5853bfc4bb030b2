#include "support/MathMLValidator.h"

#include "support/ChildProcess.h"
#include "support/TempDirectory.h"

#include <cstdio>

#include <unistd.h>

namespace oq::test {
namespace {

constexpr const char *kXmllintPath = "/usr/bin/xmllint";
constexpr const char *kMathMLDtdPath =
    "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-MathML3-20101021/mathml3.dtd";

bool WriteWholeFile(const std::string &path, const std::string &text) {
  FILE *file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return (std::fclose(file) == 0) && written;
}

} // namespace

std::string ValidateMathML(const std::string &mathml,
                           const std::string &internalSubset) {
  if (access(kXmllintPath, X_OK) != 0 || access(kMathMLDtdPath, R_OK) != 0)
    return std::string("xmllint or the MathML 3 DTD is missing (") +
           kXmllintPath + ", " + kMathMLDtdPath + "): run `make deps`";

  TempDirectory folder;
  std::string document = "<!DOCTYPE math SYSTEM \"" +
                         std::string(kMathMLDtdPath) + "\" [" + internalSubset +
                         "]>\n" + mathml + "\n";
  std::string path = folder.File("formula.xml");
  if (!WriteWholeFile(path, document))
    return "the MathML text could not be written to " + path;

  ChildLimits limits;
  limits.withErrors = true;
  ProgramOutcome outcome =
      RunProgram(kXmllintPath, folder.Path(),
                 {"--noout", "--valid", "--nonet", path}, limits);
  if (outcome.exitCode == 0)
    return outcome.output;
  if (outcome.output.empty())
    return "xmllint failed with exit code " + std::to_string(outcome.exitCode);
  return outcome.output;
}

} // namespace oq::test
