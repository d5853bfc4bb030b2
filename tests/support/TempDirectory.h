#pragma once

#include <string>

namespace oq::test {

// A folder made for one test under the system's temporary folder; removed with its contents.
class TempDirectory
{
public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory &) = delete;
    TempDirectory &operator=(const TempDirectory &) = delete;

    const std::string &Path() const { return path; }
    std::string File(const char *name) const { return path + "/" + name; }
    // Leaves the folder in place (evidence of a failed test).
    void Keep() { kept = true; }

private:
    std::string path;
    bool kept = false;
};

}  // namespace oq::test
