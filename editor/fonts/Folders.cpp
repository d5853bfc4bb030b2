#include "editor/fonts/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace oq {

namespace {

// The variable's value when it is an absolute path, else null (the XDG rules ignore relative ones).
const char *GetAbsoluteVariable(const char *name)
{
    const char *value = std::getenv(name);
    return (value != nullptr && value[0] == '/') ? value : nullptr;
}

// The path with exactly one '/' at its end.
TextString WithFinalSlash(const char *path)
{
    TextString result(path);
    int32_t length = result.GetLength();
    while (length > 1 && result[length - 1] == '/' && result[length - 2] == '/') --length;
    result.SetLength(length);
    if (length == 0 || result[length - 1] != '/') result.AppendChar('/');
    return result;
}

// "$variable/" when the variable is absolute, else "$HOME/" + fallback; empty when neither is known.
TextString GetBaseFolder(const char *variable, const char *fallback)
{
    if (const char *value = GetAbsoluteVariable(variable)) return WithFinalSlash(value);
    const char *home = GetAbsoluteVariable("HOME");
    if (home == nullptr) return TextString();
    TextString base = WithFinalSlash(home);
    base.AppendText(fallback);
    return base;
}

// Makes every missing folder of the path (which ends in '/') with mode 0700; true when the whole
// path is a folder afterwards.
bool MakeFolders(TextString &path)
{
    char *text = path.GetBuffer();
    int32_t length = path.GetLength();
    for (int32_t i = 1; i < length; ++i)
    {
        if (text[i] != '/') continue;
        text[i] = 0;
        int result = mkdir(text, 0700);
        int error = errno;
        text[i] = '/';
        if (result != 0 && error != EEXIST) return false;
    }
    struct stat status;
    return stat(text, &status) == 0 && S_ISDIR(status.st_mode);
}

// The program's folder under the base, made when missing; empty when it cannot be made.
TextString GetProgramFolder(const char *variable, const char *fallback)
{
    TextString folder = GetBaseFolder(variable, fallback);
    if (folder.IsEmpty()) return folder;
    folder.AppendText("OrlendoQuist/");
    if (!MakeFolders(folder)) return TextString();
    return folder;
}

// The replaced system roots; null while the defaults hold. Never released.
Array<TextString> *systemFontRoots = nullptr;

}  // namespace

TextString GetSettingsFolder() { return GetProgramFolder("XDG_CONFIG_HOME", ".config/"); }

TextString GetLocalDataFolder() { return GetProgramFolder("XDG_DATA_HOME", ".local/share/"); }

Array<TextString> GetSystemFontsFolder()
{
    Array<TextString> roots;
    if (systemFontRoots != nullptr)
    {
        for (const TextString &root : *systemFontRoots) roots.AddElement(root);
        return roots;
    }
    roots.AddElement("/usr/share/fonts/");
    roots.AddElement("/usr/local/share/fonts/");
    return roots;
}

Array<TextString> GetUserFontsFolder()
{
    Array<TextString> roots;
    TextString data = GetBaseFolder("XDG_DATA_HOME", ".local/share/");
    if (!data.IsEmpty())
    {
        data.AppendText("fonts/");
        roots.AddElement(data);
    }
    if (const char *home = GetAbsoluteVariable("HOME"))
    {
        TextString fonts = WithFinalSlash(home);
        fonts.AppendText(".fonts/");
        roots.AddElement(fonts);
    }
    return roots;
}

void SetSystemFontRoots(const Array<TextString> &roots)
{
    if (systemFontRoots == nullptr) systemFontRoots = new Array<TextString>;
    systemFontRoots->SetElementCount(0);
    for (const TextString &root : roots) systemFontRoots->AddElement(WithFinalSlash(root));
}

}  // namespace oq
