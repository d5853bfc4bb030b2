// Replays every script of scripts/ (the harness's line language) and the property regressions kept
// there: each must run without a finding.
#include "EditorHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace oq::test {
namespace {

TEST(EditingScriptsTest, EveryScriptRunsWithoutFindings)
{
    std::filesystem::path folder = std::filesystem::path(OQ_SOURCE_DIR) / "tests/editor/editing/scripts";
    std::vector<std::filesystem::path> scripts;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
    {
        if (entry.path().extension() == ".script") scripts.push_back(entry.path());
    }
    std::sort(scripts.begin(), scripts.end());
    ASSERT_FALSE(scripts.empty());
    for (const auto &path : scripts)
    {
        SCOPED_TRACE(path.filename().string());
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        DestroyTheEditor();
        EXPECT_EQ(RunEditorScript(text.str()), "");
    }
    DestroyTheEditor();
}

// The driver itself reports what does not hold, with the line.
TEST(EditingScriptsTest, FindingsNameTheLine)
{
    const struct
    {
        const char *script;
        const char *finding;
    } cases[] = {
        {"new\nexpect steps 1/1\n", "line 2 (expect steps 1/1): expected\n1/1\nbut found\n0/0\n"},
        {"new\nfrobnicate\n", "line 2 (frobnicate): unknown command\n"},
        {"new\nexpect color\n", "line 2 (expect color): unknown expectation\n"},
        {"new\nselect 4 0 4 0\n", "line 2 (select 4 0 4 0): no such range\n"},
        {"load\nGr {\nend\n", "line 1 (load): the text does not read\n"},
        {"new\nexpect menu 513+\n", "line 2 (expect menu 513+): expected\n513+|\nbut found\n513-|\n"},
    };
    for (const auto &c : cases)
    {
        DestroyTheEditor();
        EXPECT_EQ(RunEditorScript(c.script), c.finding) << c.script;
    }
    DestroyTheEditor();
}

}  // namespace
}  // namespace oq::test
