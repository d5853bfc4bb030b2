// Fuzzes the fonts.quist reader: any bytes parse or fail without harm, and a registry that parses
// is written, read back and written again to the same text.
#include "FuzzText.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/platform/TextBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string WrittenText(oq::FontManager &manager)
{
    oq::TextBuffer buffer;
    manager.WriteText(&buffer);
    return oq::fuzz::TakeText(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<char> text = oq::fuzz::TerminatedText(data, size);

    oq::FontManager manager;
    if (manager.ParseAndResolve(text.data()) != 0) return 0;

    // Every registered face is found by its own name, and every mapped file by its own name.
    for (oq::FontResource *r = manager.GetFirstResource(); r != nullptr; r = oq::FontManager::GetNextResource(r))
    {
        if (!oq::FontResource::IsPlainFileName(r->GetFileName())) __builtin_trap();
        for (oq::FontFaceEntry *e = r->GetFirstFaceEntry(); e != nullptr; e = e->GetNextFaceEntry())
        {
            if (manager.FindFontName(e->GetFaceName()) != e || e->GetFontResource() != r) __builtin_trap();
        }
        static_cast<void>(manager.FindResourceByFontFileName(r->GetFileName()));
    }

    std::string written = WrittenText(manager);
    oq::FontManager second;
    if (second.ParseAndResolve(written.c_str()) != 0) __builtin_trap();
    if (WrittenText(second) != written) __builtin_trap();
    return 0;
}
