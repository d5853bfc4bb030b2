#pragma once

#include <chrono>
#include <sys/types.h>

namespace oq {

// A program run as a child process in a process group of its own: started by absolute path
// (never a search), with default signal dispositions, an empty signal mask, the given environment,
// its standard streams on /dev/null and no other descriptor; waited for against a deadline and a
// stop descriptor; ended by killing the whole group, then reaped. Allocates nothing on the
// program's heap, so a worker thread may run it.
class ChildProgram
{
public:
    enum class WaitResult
    {
        kExited,    // the program ended; GetExitCode tells how
        kStopped,   // the stop descriptor became readable
        kTimedOut,  // the deadline passed
        kFailed,    // the wait itself failed
    };

    ChildProgram() = default;
    // Ends a child that is still there.
    ~ChildProgram();
    ChildProgram(const ChildProgram &) = delete;
    ChildProgram &operator=(const ChildProgram &) = delete;

    // argv[0] is the program's absolute path; both lists end with a null. False when the program
    // cannot be started (nothing is left running then).
    [[nodiscard]] bool Start(char *const *argv, char *const *envp);
    // Waits until the program exits, the stop descriptor (-1: none) is readable or the deadline
    // passes; when several hold, the exit wins. The exited program is not reaped yet.
    [[nodiscard]] WaitResult Wait(int stopDescriptor, std::chrono::steady_clock::time_point deadline);
    // After kExited: the exit status (0..255), or -1 when a signal ended the program.
    int GetExitCode() const { return exitCode; }
    // Ends the group: unless the program exited, SIGTERM to the group and up to 2 s for the
    // program to go; then SIGKILL to the group (its other processes may outlive the program); only
    // then the program is reaped, so the group's id cannot be reused before the kill.
    void End();
    // The process group of the last start (the program's pid); 0 before any.
    pid_t GetProcessGroup() const { return processGroup; }

private:
    // Whether the program has exited (not reaped); stores its exit code when it has.
    bool HasExited();
    // Waits up to the time for the program to exit.
    bool WaitForExit(std::chrono::milliseconds limit);

    pid_t child = 0;
    pid_t processGroup = 0;
    int processDescriptor = -1;
    bool exited = false;
    int exitCode = -1;
};

}  // namespace oq
