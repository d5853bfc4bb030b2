// Fuzzes the Ambrel reader: every document it accepts is written, read back and written again;
// both reads succeed and the two texts are equal. Then every Font synthesises its features, and
// the changed document is written and read back, and that text reaches its fixpoint too.
#include "FuzzText.h"
#include "ambrel/AmbrelDocument.h"
#include "ambrel/FontStructure.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

bool AppendToString(const void *data, uint32_t count, void *user)
{
    static_cast<std::string *>(user)->append(static_cast<const char *>(data), count);
    return true;
}

std::string WriteText(oq::AmbrelDocument *document)
{
    std::string text;
    oq::TextOutputStream stream(AppendToString, &text);
    document->Write(&stream);
    if (!stream.Finish()) __builtin_trap();
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::AmbrelDocument first;
    if (first.ParseAndResolve(text.data()) != 0) return 0;
    std::string text1 = WriteText(&first);

    oq::AmbrelDocument second;
    if (second.ParseAndResolve(text1.c_str()) != 0) __builtin_trap();
    std::string text2 = WriteText(&second);
    if (text1 != text2) __builtin_trap();

    for (oq::FontStructure *font = first.fontList.GetFirst(); font != nullptr;
         font = oq::StructureList<oq::FontStructure>::GetNext(font))
    {
        font->SynthesizeFeatures(&first, oq::kSynthesizeAlternates | oq::kSynthesizeTabularDigits | oq::kSynthesizeCarets);
    }
    std::string text3 = WriteText(&first);
    oq::AmbrelDocument third;
    if (third.ParseAndResolve(text3.c_str()) != 0) __builtin_trap();
    std::string text4 = WriteText(&third);
    oq::AmbrelDocument fourth;
    if (fourth.ParseAndResolve(text4.c_str()) != 0) __builtin_trap();
    if (WriteText(&fourth) != text4) __builtin_trap();
    return 0;
}
