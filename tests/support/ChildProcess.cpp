#include "support/ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace oq::test {
namespace {

// Writes past the limit then fail with EFBIG instead of killing the process.
void LimitFileSize(uint64_t fileSize)
{
    if (fileSize == UINT64_MAX) return;
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = {rlim_t(fileSize), rlim_t(fileSize)};
    setrlimit(RLIMIT_FSIZE, &limit);
}

int WaitForExit(pid_t child)
{
    int status = 0;
    pid_t done;
    do done = waitpid(child, &status, 0);
    while (done < 0 && errno == EINTR);
    return (done == child && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
}

}  // namespace

ProgramOutcome RunProgram(const char *program, const std::string &folder, const std::vector<std::string> &arguments,
                          const ChildLimits &limits)
{
    int channel[2];
    if (pipe(channel) != 0) return {-1, "pipe"};
    pid_t child = fork();
    if (child == 0)
    {
        dup2(channel[1], 1);
        if (limits.withErrors) dup2(channel[1], 2);
        close(channel[0]);
        close(channel[1]);
        if (chdir(folder.c_str()) != 0) _exit(126);
        LimitFileSize(limits.fileSize);
        if (limits.noLargeBlocks)
        {
#if defined(__SANITIZE_ADDRESS__)
            setenv("ASAN_OPTIONS", "allocator_may_return_null=1:max_allocation_size_mb=32", 1);
#else
            rlimit limit = {rlim_t(96) << 20, rlim_t(96) << 20};
            setrlimit(RLIMIT_AS, &limit);
#endif
        }
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(program));
        for (const std::string &argument : arguments) argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        _exit(127);
    }
    close(channel[1]);
    if (child < 0)
    {
        close(channel[0]);
        return {-1, "fork"};
    }
    ProgramOutcome outcome{-1, {}};
    char buffer[4096];
    ssize_t n;
    while ((n = read(channel[0], buffer, sizeof(buffer))) != 0)
    {
        if (n < 0)
        {
            if (errno == EINTR) continue;
            break;
        }
        outcome.output.append(buffer, size_t(n));
    }
    close(channel[0]);
    outcome.exitCode = WaitForExit(child);
    return outcome;
}

int RunWithFileSizeLimit(uint64_t fileSize, const std::function<int()> &check)
{
    std::fflush(nullptr);  // nothing buffered before the fork is written twice
    pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0)
    {
        LimitFileSize(fileSize);
        int result = check();
        std::fflush(nullptr);
        // _exit: the child must not run the parent's exit handlers or write its test reports.
        _exit(result);
    }
    return WaitForExit(child);
}

}  // namespace oq::test
