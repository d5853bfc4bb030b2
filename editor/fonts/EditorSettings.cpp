#include "editor/fonts/EditorSettings.h"

#include "base/Color.h"
#include "base/File.h"
#include "editor/fonts/AtomicFile.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/PreferencesReader.h"
#include "editor/fonts/PreferencesWriter.h"
#include "editor/platform/FileContents.h"
#include "editor/platform/Heap.h"
#include "editor/platform/ShellServices.h"
#include "editor/platform/TextBuffer.h"

namespace oq {

namespace {

// Settings files larger than this are not read.
constexpr uint64_t kMaxSettingsFileSize = 16 << 20;

// Built-in function names by length, 2 to 7 bytes.
const char *const kBuiltInFunctionNames2[] = {"ln", "Re", "Im"};
const char *const kBuiltInFunctionNames3[] = {"sin", "cos", "tan", "csc", "sec", "cot",
                                              "exp", "log", "min", "max", "lim"};
const char *const kBuiltInFunctionNames4[] = {"sinh", "cosh", "tanh", "csch", "sech", "coth"};
const char *const kBuiltInFunctionNames6[] = {"arcsin", "arccos", "arctan", "arsinh", "arcosh", "artanh"};

struct BuiltInNames
{
    const char *const *names;
    int32_t count;
};

const BuiltInNames kBuiltInFunctionNames[kFunctionNameListCount] = {
    {kBuiltInFunctionNames2, 3}, {kBuiltInFunctionNames3, 11}, {kBuiltInFunctionNames4, 6},
    {nullptr, 0},                {kBuiltInFunctionNames6, 6},  {nullptr, 0},
};

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool IsWellFormedUtf8(const char *text, int32_t length)
{
    const auto *bytes = reinterpret_cast<const unsigned char *>(text);
    for (int32_t at = 0; at < length;)
    {
        unsigned char lead = bytes[at];
        int32_t size = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                      : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (size == 0 || size > length - at) return false;
        for (int32_t i = 1; i < size; ++i)
        {
            if ((bytes[at + i] & 0xC0) != 0x80) return false;
        }
        if (size >= 3)
        {
            unsigned char second = bytes[at + 1];
            if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
                (lead == 0xF4 && second > 0x8F))
                return false;
        }
        at += size;
    }
    return true;
}

TextString GetConfigPath()
{
    TextString path = GetSettingsFolder();
    if (!path.IsEmpty()) path.AppendText("config.quist");
    return path;
}

}  // namespace

void SetSelectionHighlightFromPreferences(const Preferences &preferences)
{
    uint32_t color = preferences.colors[kColorSelection];
    SetSelectionHighlightColor({kSrgbByteToLinear[color & 0xFF], kSrgbByteToLinear[(color >> 8) & 0xFF],
                                kSrgbByteToLinear[(color >> 16) & 0xFF], float(color >> 24) / 255.0F});
}

KettricResult ReadPreferencesText(const char *text, EditorSettings *settings)
{
    EditorState &state = settings->state;
    PreferencesReader reader(&settings->preferences, &state.editMode, &state.toolPanel, &state.viewFlags);
    return reader.ParseAndResolve(text);
}

void WritePreferencesText(const EditorSettings &settings, TextBuffer *buffer)
{
    const EditorState &state = settings.state;
    WritePreferences(settings.preferences, state.editMode, state.toolPanel, state.viewFlags, buffer);
}

void LoadPreferencesFile(EditorSettings *settings)
{
    TextString path = GetConfigPath();
    if (!path.IsEmpty())
    {
        Heap &heap = GetMemoryManagerHeap();
        FileContents contents = ReadFileContents(heap, path, kMaxSettingsFileSize, 1);
        if (contents.data != nullptr)
        {
            // A partly valid file leaves what was read before the failure.
            static_cast<void>(ReadPreferencesText(reinterpret_cast<const char *>(contents.data), settings));
            FreeMemory(heap, contents.data);
        }
    }
    SetSelectionHighlightFromPreferences(settings->preferences);
    RebuildShortcutLists(settings);
}

int32_t SavePreferencesFile(const EditorSettings &settings)
{
    TextString path = GetConfigPath();
    if (path.IsEmpty()) return kFileOpenFailed;
    TextBuffer buffer(1024);
    WritePreferencesText(settings, &buffer);
    int32_t result = SaveFileAtomically(path, buffer.data, buffer.size);
    buffer.Free();
    return result;
}

int32_t ApplyPreferences(EditorSettings *settings, const Preferences &edited)
{
    settings->preferences.CopyFrom(edited);
    int32_t result = SavePreferencesFile(*settings);
    settings->layoutDue = true;
    if (result == kFileOkay) settings->preferencesChanged = false;
    SetSelectionHighlightFromPreferences(settings->preferences);
    RebuildShortcutLists(settings);
    return result;
}

void RebuildShortcutLists(EditorSettings *settings)
{
    const Array<TextString> &names = settings->preferences.functionNames;
    for (int32_t k = 0; k < kFunctionNameListCount; ++k)
    {
        Array<TextString> &list = settings->functionNameLists[k];
        list.SetElementCount(0);
        const BuiltInNames &builtIn = kBuiltInFunctionNames[k];
        for (int32_t i = 0; i < builtIn.count; ++i) list.AddElement(builtIn.names[i]);
        // Lengths are bytes; a name that is not UTF-8 could match inside a character.
        for (const TextString &name : names)
        {
            if (name.GetLength() == k + 2 && IsWellFormedUtf8(name.GetText(), name.GetLength())) list.AddElement(name);
        }
    }
}

}  // namespace oq
