// Runs editing scripts of the harness's line language and prints their findings.
#include "EditorHarness.h"

#include "base/FloatControl.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char **argv)
{
    oq::EnableFlushToZero();
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: editor_script SCRIPT...\n");
        return 2;
    }
    int failed = 0;
    for (int i = 1; i < argc; ++i)
    {
        std::ifstream file(argv[i]);
        if (!file)
        {
            std::fprintf(stderr, "%s: cannot be read\n", argv[i]);
            ++failed;
            continue;
        }
        std::stringstream text;
        text << file.rdbuf();
        oq::test::DestroyTheEditor();
        std::string findings = oq::test::RunEditorScript(text.str());
        if (findings.empty())
            std::printf("%s: passed\n", argv[i]);
        else
        {
            std::printf("%s: failed\n%s", argv[i], findings.c_str());
            ++failed;
        }
    }
    oq::test::DestroyTheEditor();
    return failed == 0 ? 0 : 1;
}
