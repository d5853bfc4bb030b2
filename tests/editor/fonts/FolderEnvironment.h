#pragma once

// Points HOME and the XDG folders into a temporary folder for one test and restores them after.

#include "support/TempDirectory.h"

#include <cstdlib>
#include <optional>
#include <string>

namespace oq::test {

class FolderEnvironment
{
public:
    FolderEnvironment()
    {
        for (int i = 0; i < 3; ++i)
        {
            const char *value = std::getenv(kNames[i]);
            if (value != nullptr) saved[i] = value;
        }
        Set("HOME", Path("home"));
        Unset("XDG_CONFIG_HOME");
        Unset("XDG_DATA_HOME");
    }

    ~FolderEnvironment()
    {
        for (int i = 0; i < 3; ++i)
        {
            if (saved[i]) setenv(kNames[i], saved[i]->c_str(), 1);
            else unsetenv(kNames[i]);
        }
    }

    FolderEnvironment(const FolderEnvironment &) = delete;
    FolderEnvironment &operator=(const FolderEnvironment &) = delete;

    // A path inside the temporary folder.
    std::string Path(const char *relative) const { return folder.File(relative); }
    static void Set(const char *name, const std::string &value) { setenv(name, value.c_str(), 1); }
    static void Unset(const char *name) { unsetenv(name); }

    TempDirectory folder;

private:
    static constexpr const char *kNames[3] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
    std::optional<std::string> saved[3];
};

}  // namespace oq::test
