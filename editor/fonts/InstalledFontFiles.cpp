#include "editor/fonts/InstalledFontFiles.h"

#include "base/TextUtils.h"
#include "editor/fonts/Folders.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace oq {

namespace {

constexpr int32_t kMaxFolderDepth = 64;

// The folder's entry names without those beginning with '.', in byte order.
std::vector<std::string> ReadFolderNames(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *directory = opendir(folder.c_str());
    if (directory == nullptr) return names;
    while (dirent *entry = readdir(directory))
    {
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

bool WalkFolder(const std::string &folder, int32_t depth, const FontFileVisitor &visitor)
{
    for (const std::string &name : ReadFolderNames(folder))
    {
        std::string path = folder + name;
        struct stat status;
        if (lstat(path.c_str(), &status) != 0) continue;
        if (S_ISDIR(status.st_mode))
        {
            if (depth < kMaxFolderDepth && !WalkFolder(path + "/", depth + 1, visitor)) return false;
            continue;
        }
        if (S_ISLNK(status.st_mode) && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) continue;
        if (!visitor(path, name.c_str())) return false;
    }
    return true;
}

bool EqualFontFileNames(const char *a, const char *b)
{
    return !CompareTextNaturalNoCase(a, b) && !CompareTextNaturalNoCase(b, a);
}

}  // namespace

bool WalkFontRoots(const Array<TextString> &roots, const FontFileVisitor &visitor)
{
    for (int32_t i = 0; i < roots.GetElementCount(); ++i)
    {
        std::string root = roots[i].GetText();
        if (root.empty()) continue;
        if (root.back() != '/') root.push_back('/');
        if (!WalkFolder(root, 0, visitor)) return false;
    }
    return true;
}

bool IsRegularFile(const char *path)
{
    int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return false;
    struct stat status;
    bool regular = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    close(descriptor);
    return regular;
}

std::string FindInstalledFontFile(const char *fileName)
{
    std::string found;
    if (fileName == nullptr || fileName[0] == 0) return found;
    auto match = [&found, fileName](const std::string &path, const char *name) {
        if (!EqualFontFileNames(name, fileName) || !IsRegularFile(path.c_str())) return true;
        found = path;
        return false;
    };
    if (WalkFontRoots(GetSystemFontsFolder(), match)) static_cast<void>(WalkFontRoots(GetUserFontsFolder(), match));
    return found;
}

}  // namespace oq
