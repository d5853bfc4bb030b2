// Fuzzes the config.quist reader: any bytes read into the factory settings, and whatever was read
// is written, read back into the factory settings and written again to the same text.
#include "FuzzText.h"
#include "editor/fonts/EditorSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string Write(const oq::EditorSettings &settings)
{
    oq::TextBuffer buffer;
    oq::WritePreferencesText(settings, &buffer);
    return oq::fuzz::TakeText(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::EditorSettings settings;
    static_cast<void>(oq::ReadPreferencesText(text.data(), &settings));  // partly read settings stay, as at start-up
    std::string written = Write(settings);

    oq::EditorSettings again;
    if (oq::ReadPreferencesText(written.c_str(), &again) != 0) __builtin_trap();
    if (Write(again) != written) __builtin_trap();
    return 0;
}
