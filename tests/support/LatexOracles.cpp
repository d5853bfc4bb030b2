#include "support/LatexOracles.h"

#include "support/ChildProcess.h"
#include "support/TempDirectory.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <unistd.h>

#ifndef OQ_MATHJAX_DIR
#error "OQ_MATHJAX_DIR names the folder where make deps installs MathJax"
#endif
#ifndef OQ_MATHJAX_SCRIPT
#error "OQ_MATHJAX_SCRIPT names the node script that runs MathJax"
#endif

namespace oq::test {
namespace {

constexpr const char *kEnvPath = "/usr/bin/env";

// The first executable of that name on PATH, or "".
std::string FindProgram(const char *name)
{
    const char *path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size())
    {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(start, end - start);
        if (!folder.empty())
        {
            std::string candidate = folder + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return "";
}

bool WriteWholeFile(const std::string &path, const std::string &text)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return (std::fclose(file) == 0) && written;
}

bool ReadWholeFile(const std::string &path, std::string *text)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    text->clear();
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text->append(buffer, n);
    bool failed = std::ferror(file) != 0;
    return (std::fclose(file) == 0) && !failed;
}

// The error lines of a TeX log: from each line that starts with '!' up to the line that shows
// where it happened ("l.<number> ..."), and that line's number (0 when none).
std::string TexErrors(const std::string &log, int *errorLine)
{
    std::istringstream lines(log);
    std::string line;
    std::string errors;
    bool inError = false;
    *errorLine = 0;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line[0] == '!') inError = true;
        if (!inError) continue;
        errors += line + "\n";
        if (line.compare(0, 2, "l.") == 0)
        {
            if (*errorLine == 0) *errorLine = std::atoi(line.c_str() + 2);
            inError = false;
        }
    }
    return errors;
}

std::string JsonString(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text)
    {
        if (c == '"' || c == '\\')
        {
            out += '\\';
            out += char(c);
        }
        else if (c < 0x20)
        {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04X", c);
            out += escape;
        }
        else
            out += char(c);
    }
    return out + "\"";
}

// The lines of the document before its first formula, and their count.
std::string DocumentHead(const LatexOracleOptions &options, int *lineCount)
{
    std::string head = "\\documentclass{article}\n\\usepackage{amsmath}\n\\usepackage{amssymb}\n" + options.preamble;
    if (!head.empty() && head.back() != '\n') head += '\n';
    head += "\\begin{document}\n";
    *lineCount = 0;
    for (char c : head)
        if (c == '\n') ++*lineCount;
    return head;
}

// Runs pdflatex over the file of the folder; TeX's caches and configuration go to the folder.
ProgramOutcome RunPdflatexIn(const TempDirectory &folder, const std::string &pdflatex, const char *file)
{
    ChildLimits limits;
    limits.withErrors = true;
    return RunProgram(kEnvPath, folder.Path(),
                      {"TEXMFVAR=" + folder.File("texmf-var"), "TEXMFCONFIG=" + folder.File("texmf-config"),
                       pdflatex, "-halt-on-error", "-interaction=nonstopmode", "-no-shell-escape", file},
                      limits);
}

std::string RunPdflatex(const std::vector<std::string> &formulas, const LatexOracleOptions &options)
{
    std::string pdflatex = FindProgram("pdflatex");
    if (pdflatex.empty()) return "pdflatex is missing (texlive-latex-base): run `make deps`";
    for (const std::string &formula : formulas)
        if (formula.find('\n') != std::string::npos) return "a formula holds a line feed: " + formula;

    TempDirectory folder;
    int headLines = 0;
    std::string document = DocumentHead(options, &headLines);
    for (const std::string &formula : formulas)
        document += (options.display ? "\\[" + formula + "\\]" : "$" + formula + "$") + "\n\n";
    document += "\\end{document}\n";
    if (!WriteWholeFile(folder.File("formula.tex"), document)) return "formula.tex could not be written";

    ProgramOutcome outcome = RunPdflatexIn(folder, pdflatex, "formula.tex");
    if (outcome.exitCode == 0) return "";

    std::string log;
    int errorLine = 0;
    std::string errors = ReadWholeFile(folder.File("formula.log"), &log) ? TexErrors(log, &errorLine) : "";
    if (errors.empty()) errors = outcome.output;
    std::string where;
    // Formula i stands on line headLines + 1 + 2 i.
    int index = (errorLine - headLines - 1) / 2;
    if (formulas.size() > 1 && errorLine > headLines && index >= 0 && size_t(index) < formulas.size())
        where = "formula " + std::to_string(index) + " (" + formulas[size_t(index)] + "): ";
    return "pdflatex failed (exit code " + std::to_string(outcome.exitCode) + "): " + where + errors;
}

}  // namespace

std::string CompileLatexDocument(const std::string &document, std::string *log)
{
    log->clear();
    std::string pdflatex = FindProgram("pdflatex");
    if (pdflatex.empty()) return "pdflatex is missing (texlive-latex-base): run `make deps`";
    TempDirectory folder;
    if (!WriteWholeFile(folder.File("document.tex"), document)) return "document.tex could not be written";
    ProgramOutcome outcome = RunPdflatexIn(folder, pdflatex, "document.tex");
    bool logRead = ReadWholeFile(folder.File("document.log"), log);
    if (outcome.exitCode == 0) return logRead ? "" : "pdflatex wrote no log";
    int errorLine = 0;
    std::string errors = logRead ? TexErrors(*log, &errorLine) : "";
    if (errors.empty()) errors = outcome.output;
    return "pdflatex failed (exit code " + std::to_string(outcome.exitCode) + "): " + errors;
}

std::string CompileWithPdflatex(const std::string &formula, const LatexOracleOptions &options)
{
    return RunPdflatex({formula}, options);
}

std::string CompileWithPdflatex(const std::vector<std::string> &formulas, const LatexOracleOptions &options)
{
    return RunPdflatex(formulas, options);
}

std::string MakeLatexStubs(const std::vector<std::string> &names)
{
    std::string stubs = "\\providecommand{\\unicode}[1]{.}\n";
    for (std::string name : names)
    {
        if (!name.empty() && name[0] == '\\') name.erase(0, 1);
        int arguments = 0;
        size_t bracket = name.find('[');
        if (bracket != std::string::npos && bracket > 0 && name.back() == ']')
        {
            arguments = std::atoi(name.c_str() + bracket + 1);
            name.erase(bracket);
        }
        if (name.empty()) continue;
        if (arguments < 0) arguments = 0;
        if (arguments > 9) arguments = 9;
        std::string body = "{";
        // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "literal" + std::string temporaries.
        for (int i = 1; i <= arguments; ++i) body.append(1, '#').append(std::to_string(i));
        body.append(1, '}');
        stubs.append("\\providecommand{\\").append(name).append(1, '}');
        if (arguments > 0) stubs.append(1, '[').append(std::to_string(arguments)).append(1, ']');
        stubs.append(1, '{').append(body).append("}\n");
    }
    return stubs;
}

std::string ConvertWithMathJax(const std::string &formula, const LatexOracleOptions &options, std::string *mathml)
{
    mathml->clear();
    std::string node = FindProgram("node");
    if (node.empty()) return "node is missing (nodejs): run `make deps`";
    std::string mathjaxDir = OQ_MATHJAX_DIR;
    if (access((mathjaxDir + "/node_modules/mathjax-full/js/mathjax.js").c_str(), R_OK) != 0)
        return "MathJax is missing from " + mathjaxDir + ": run `make deps`";

    TempDirectory folder;
    std::string input = "{\"formula\": " + JsonString(formula) + ", \"display\": " +
                        (options.display ? "true" : "false") + ", \"macros\": {";
    bool first = true;
    for (const auto &[name, definition] : options.mathJaxMacros)
    {
        input += (first ? "" : ", ") + JsonString(name) + ": " + JsonString(definition);
        first = false;
    }
    input += "}}\n";
    if (!WriteWholeFile(folder.File("input.json"), input)) return "input.json could not be written";

    ChildLimits limits;
    limits.withErrors = true;
    ProgramOutcome outcome = RunProgram(node.c_str(), folder.Path(),
                                        {OQ_MATHJAX_SCRIPT, mathjaxDir, folder.File("input.json"), folder.File("output.mml")},
                                        limits);
    if (outcome.exitCode != 0)
        return "MathJax failed (exit code " + std::to_string(outcome.exitCode) + "): " + outcome.output;
    if (!ReadWholeFile(folder.File("output.mml"), mathml)) return "MathJax wrote no MathML";
    return "";
}

}  // namespace oq::test
