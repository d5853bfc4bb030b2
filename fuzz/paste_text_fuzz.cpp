// Clipboard bytes pasted into an edit box: filter, maximum length and box width from the first
// bytes, a selection over a fixed initial text, the rest is what the clipboard holds. The text must
// stay valid UTF-8 within the limits, with the selection inside it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/TextUtils.h"
#include "editor/platform/Clipboard.h"
#include "editor/platform/EditBox.h"
#include "editor/platform/FontProbe.h"
#include "editor/platform/RendererProbe.h"
#include "vorl/text/TextLayoutState.h"

namespace {

// The renderer and font live for the whole run.
struct PasteSetup
{
    PasteSetup()
    {
        if (!recording.WriteShaders() || !recording.Start()) std::abort();
        oq::SetRenderer(&recording.renderer);
        font = oq::test::LoadTestFont(recording.renderer, recording.data, "label.vorl",
                                      oq::test::MakeSquareFontFile(0.7F));
        if (font == nullptr) std::abort();
        oq::ResetTextLayoutState(&state);
        state.size = 10;
        oq::SetClipboard(&clipboard);
    }

    oq::test::RecordingRenderer recording;
    oq::Font *font = nullptr;
    oq::TextLayoutState state;
    oq::InProcessClipboard clipboard;
};

const oq::EditCharacterFilter kFilters[] = {
    oq::AcceptPrintableCharacter, oq::AcceptDigit,      oq::AcceptNonzeroDigit, oq::AcceptDecimalCharacter,
    oq::AcceptSignedDecimalCharacter, oq::AcceptHexDigit, oq::AcceptDigitOrComma, oq::AcceptAsciiLetter,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static PasteSetup setup;
    if (size < 4) return 0;
    const char *initial = "A1\xE2\x82\xAC" "e\xCC\x81" "b";
    int32_t initialLength = int32_t(std::strlen(initial));
    int32_t maximum = data[1] % 40;
    float width = float(data[2]) * 2.0F;
    oq::EditBox box(setup.font, &setup.state, initial, oq::Point2D(0, 0), width, maximum, 0);
    box.filter = kFilters[data[0] % 8];
    int32_t length = box.text.GetLength();
    int32_t a = (data[3] & 15) % (length + 1), b = (data[3] >> 4) % (length + 1);
    // Selection ends on character boundaries.
    while (a > 0 && (static_cast<unsigned char>(box.text.GetText()[a]) & 0xC0) == 0x80) --a;
    while (b > 0 && (static_cast<unsigned char>(box.text.GetText()[b]) & 0xC0) == 0x80) --b;
    box.selectionStart = a < b ? a : b;
    box.selectionEnd = a < b ? b : a;
    int32_t before = oq::CountUtf8Chars(box.text.GetText());

    if (!oq::SetClipboardText(&setup.clipboard, reinterpret_cast<const char *>(data + 4), size - 4)) std::abort();
    static_cast<void>(box.Paste());

    const char *text = box.text.GetText();
    int32_t after = box.text.GetLength();
    if (box.selectionStart < 0 || box.selectionStart > box.selectionEnd || box.selectionEnd > after) std::abort();
    if (int32_t(std::strlen(text)) != after) std::abort();
    std::string checked = oq::SanitizeUtf8Text(reinterpret_cast<const uint8_t *>(text), size_t(after), size_t(after));
    if (checked != text) std::abort();
    int32_t count = oq::CountUtf8Chars(text);
    if (count > (before > maximum ? before : maximum)) std::abort();
    if (after > initialLength + 256) std::abort();
    return 0;
}
