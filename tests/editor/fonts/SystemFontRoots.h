#pragma once

// Replaces the system font roots with one folder for one test and restores them after.

#include "base/Array.h"
#include "base/TextString.h"
#include "editor/fonts/Folders.h"

#include <string>
#include <sys/stat.h>
#include <vector>

namespace oq::test {

class ScopedSystemFontRoots
{
public:
    // The folder is made when missing.
    explicit ScopedSystemFontRoots(const std::string &root)
    {
        for (const TextString &saved : GetSystemFontsFolder()) savedRoots.emplace_back(saved.GetText());
        mkdir(root.c_str(), 0700);
        Array<TextString> roots;
        roots.AddElement(TextString(root.c_str()));
        SetSystemFontRoots(roots);
    }

    ~ScopedSystemFontRoots()
    {
        Array<TextString> restored;
        for (const std::string &root : savedRoots) restored.AddElement(TextString(root.c_str()));
        SetSystemFontRoots(restored);
    }

    ScopedSystemFontRoots(const ScopedSystemFontRoots &) = delete;
    ScopedSystemFontRoots &operator=(const ScopedSystemFontRoots &) = delete;

private:
    std::vector<std::string> savedRoots;
};

}  // namespace oq::test
