#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char **environ;

namespace oq::test {

// An Xvfb server started once for the process and ended at its exit; DISPLAY names it.
class XvfbServer
{
public:
    static XvfbServer &Get()
    {
        static XvfbServer server;
        return server;
    }

    bool Start()
    {
        if (tried) return started;
        tried = true;
        int fds[2];
        if (pipe(fds) != 0) return Fail("pipe");
        std::string fd = std::to_string(fds[1]);
        const char *args[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", nullptr};
        int spawned = posix_spawnp(&pid, "Xvfb", nullptr, nullptr, const_cast<char **>(args), environ);
        close(fds[1]);
        if (spawned != 0)
        {
            close(fds[0]);
            pid = 0;
            return Fail("Xvfb cannot be started");
        }
        // The server writes its display number once it accepts connections.
        std::string number;
        pollfd wait = {fds[0], POLLIN, 0};
        while (poll(&wait, 1, 10000) > 0)
        {
            char c = 0;
            if (read(fds[0], &c, 1) != 1 || c == '\n') break;
            number.push_back(c);
        }
        close(fds[0]);
        if (number.empty()) return Fail("Xvfb gave no display");
        display = ":" + number;
        setenv("DISPLAY", display.c_str(), 1);
        started = true;
        return true;
    }

    ~XvfbServer()
    {
        if (pid > 0)
        {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    std::string error;
    std::string display;

private:
    bool Fail(const char *what)
    {
        error = what;
        return false;
    }

    bool tried = false;
    bool started = false;
    pid_t pid = 0;
};

}  // namespace oq::test
