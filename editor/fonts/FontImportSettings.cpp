#include "editor/fonts/FontImportSettings.h"

#include "editor/platform/ShellServices.h"

#include <climits>
#include <unistd.h>

namespace oq {

FontImportSettings MakeDefaultFontImportSettings()
{
    FontImportSettings settings;
    settings.wake = PushWakeEvent;
    char buffer[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer));
    if (length <= 0 || size_t(length) >= sizeof(buffer)) return settings;
    std::string program(buffer, size_t(length));
    size_t slash = program.rfind('/');
    if (slash == std::string::npos) return settings;
    settings.compilerPath = program.substr(0, slash + 1) + "vorlfont";
    return settings;
}

}  // namespace oq
