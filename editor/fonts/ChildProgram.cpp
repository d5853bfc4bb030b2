#include "editor/fonts/ChildProgram.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace oq {

namespace {

using Clock = std::chrono::steady_clock;

// Without a process descriptor (kernels before 5.3) the wait looks at the child this often.
constexpr int kPollSliceMilliseconds = 10;
constexpr std::chrono::milliseconds kTerminateGrace(2000);

int OpenProcessDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    long descriptor = syscall(SYS_pidfd_open, pid, 0);
    if (descriptor >= 0)
    {
        static_cast<void>(fcntl(int(descriptor), F_SETFD, FD_CLOEXEC));  // pidfds are close-on-exec already
        return int(descriptor);
    }
#else
    static_cast<void>(pid);
#endif
    return -1;
}

// Milliseconds until the deadline, rounded up, within poll's range; 0 when it has passed.
int MillisecondsUntil(Clock::time_point deadline)
{
    Clock::time_point now = Clock::now();
    if (now >= deadline) return 0;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    return int(std::min<long long>(left, INT_MAX));
}

// The standard streams on /dev/null and every other descriptor closed: SDL, X11 and GL
// descriptors need not be close-on-exec.
bool SetUpDescriptors(posix_spawn_file_actions_t *actions)
{
    return posix_spawn_file_actions_addopen(actions, 0, "/dev/null", O_RDONLY, 0) == 0 &&
           posix_spawn_file_actions_addopen(actions, 1, "/dev/null", O_WRONLY, 0) == 0 &&
           posix_spawn_file_actions_addopen(actions, 2, "/dev/null", O_WRONLY, 0) == 0 &&
           posix_spawn_file_actions_addclosefrom_np(actions, 3) == 0;
}

// A group of its own (so the whole group can be killed), default signal dispositions and an
// empty signal mask.
bool SetUpAttributes(posix_spawnattr_t *attributes)
{
    sigset_t everySignal;
    sigset_t noSignal;
    sigfillset(&everySignal);
    sigemptyset(&noSignal);
    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    return posix_spawnattr_setflags(attributes, flags) == 0 && posix_spawnattr_setpgroup(attributes, 0) == 0 &&
           posix_spawnattr_setsigdefault(attributes, &everySignal) == 0 &&
           posix_spawnattr_setsigmask(attributes, &noSignal) == 0;
}

}  // namespace

ChildProgram::~ChildProgram() { End(); }

bool ChildProgram::Start(char *const *argv, char *const *envp)
{
    if (child != 0 || argv == nullptr || argv[0] == nullptr || argv[0][0] != '/') return false;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0) return false;
    if (posix_spawnattr_init(&attributes) != 0)
    {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    pid_t pid = 0;
    bool started = SetUpDescriptors(&actions) && SetUpAttributes(&attributes) &&
                   posix_spawn(&pid, argv[0], &actions, &attributes, argv, envp) == 0;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (!started) return false;

    child = pid;
    processGroup = pid;
    exited = false;
    exitCode = -1;
    processDescriptor = OpenProcessDescriptor(pid);
    return true;
}

bool ChildProgram::HasExited()
{
    if (exited) return true;
    if (child == 0) return false;
    siginfo_t info = {};
    while (waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
    {
        if (errno != EINTR) return false;
    }
    if (info.si_pid == 0) return false;
    exited = true;
    exitCode = info.si_code == CLD_EXITED ? (info.si_status & 0xFF) : -1;
    return true;
}

ChildProgram::WaitResult ChildProgram::Wait(int stopDescriptor, Clock::time_point deadline)
{
    if (child == 0) return WaitResult::kFailed;
    for (;;)
    {
        if (HasExited()) return WaitResult::kExited;
        int timeout = MillisecondsUntil(deadline);
        if (timeout == 0) return WaitResult::kTimedOut;
        pollfd descriptors[2];
        nfds_t count = 0;
        if (stopDescriptor >= 0) descriptors[count++] = pollfd{stopDescriptor, POLLIN, 0};
        if (processDescriptor >= 0) descriptors[count++] = pollfd{processDescriptor, POLLIN, 0};
        else timeout = std::min(timeout, kPollSliceMilliseconds);
        int ready = poll(descriptors, count, timeout);
        if (ready < 0)
        {
            if (errno == EINTR) continue;
            return WaitResult::kFailed;
        }
        if (HasExited()) return WaitResult::kExited;
        if (stopDescriptor >= 0 && (descriptors[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0)
            return WaitResult::kStopped;
    }
}

bool ChildProgram::WaitForExit(std::chrono::milliseconds limit)
{
    Clock::time_point deadline = Clock::now() + limit;
    for (;;)
    {
        if (HasExited()) return true;
        int timeout = MillisecondsUntil(deadline);
        if (timeout == 0) return false;
        if (processDescriptor >= 0)
        {
            pollfd descriptor = {processDescriptor, POLLIN, 0};
            if (poll(&descriptor, 1, timeout) < 0 && errno != EINTR) return HasExited();
        }
        else
        {
            usleep(useconds_t(std::min(timeout, kPollSliceMilliseconds)) * 1000);
        }
    }
}

void ChildProgram::End()
{
    if (child == 0) return;
    if (!HasExited())
    {
        static_cast<void>(kill(-processGroup, SIGTERM));
        static_cast<void>(WaitForExit(kTerminateGrace));
    }
    // The program's unreaped pid keeps the group's id from reuse until here.
    static_cast<void>(kill(-processGroup, SIGKILL));
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (!exited)
    {
        exited = true;
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (processDescriptor >= 0) close(processDescriptor);
    processDescriptor = -1;
    child = 0;
}

}  // namespace oq
