#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace oq::test {

// Limits put on a child process before it runs a program or a check.
struct ChildLimits
{
    uint64_t fileSize = UINT64_MAX;  // bytes any file may grow to (writes past it fail with EFBIG)
    bool noLargeBlocks = false;      // allocations of 32 MB and more fail
    bool withErrors = false;         // standard error goes to the collected output as well
};

struct ProgramOutcome
{
    int exitCode;  // -1 when the program did not exit normally
    std::string output;
};

// Runs the program in the folder with the arguments and collects its standard output.
ProgramOutcome RunProgram(const char *program, const std::string &folder, const std::vector<std::string> &arguments,
                          const ChildLimits &limits = {});

// Runs the check in a forked child whose files cannot grow past fileSize bytes; returns the
// check's result as the child's exit code (-1 when the child did not exit normally).
int RunWithFileSizeLimit(uint64_t fileSize, const std::function<int()> &check);

}  // namespace oq::test
