#pragma once

// Whole files and folder listings for tests that check what a folder holds.

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace oq::test {

inline bool WriteFile(const std::string &path, const std::string &bytes)
{
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << bytes;
    return bool(stream);
}

// Empty when the file cannot be read.
inline std::string ReadFile(const std::string &path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

// The names in a folder other than "." and "..", sorted; none when it cannot be read.
inline std::vector<std::string> ListFolder(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *directory = opendir(folder.c_str()))
    {
        while (dirent *entry = readdir(directory))
        {
            std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(directory);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace oq::test
