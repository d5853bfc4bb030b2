// Fuzzes the installed-font scan's reader: any bytes build a resource or none without harm, every
// face name is non-empty valid UTF-8, and a registry holding the resource writes text that reads
// back to the same text.
#include "FuzzText.h"
#include "base/TextUtils.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/platform/TextBuffer.h"
#include "kettric/KettricPrimitive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string WrittenText(oq::FontManager &manager)
{
    oq::TextBuffer buffer;
    manager.WriteText(&buffer);
    return oq::fuzz::TakeText(buffer);
}

bool IsValidName(const char *name)
{
    if (name[0] == 0) return false;
    for (const char *p = name; *p != 0;)
    {
        int32_t size = oq::GetUtf8CharSize(p);
        if (size == 0) return false;
        p += size;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    oq::FontBytesSource source(oq::FontBytes{data, size});
    int32_t shared = oq::TestSharedTables(source);
    if (shared < -1 || shared > 1) std::abort();
    oq::FontResource *resource = oq::BuildFontResource("fuzz.ttc", source);
    if (resource == nullptr) return 0;

    for (oq::KettricStructure *s = resource->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        const auto *faceList = static_cast<const oq::KettricStringList *>(s);
        if (faceList->GetElementCount() != 1 || !IsValidName((*faceList)[0].GetText())) std::abort();
    }
    oq::FontManager manager;
    manager.GetRootStructure()->AppendSubnode(resource);
    manager.RegisterResource(resource);
    std::string text = WrittenText(manager);
    oq::FontManager reread;
    if (reread.ParseAndResolve(text.c_str()) != 0 || WrittenText(reread) != text) std::abort();
    return 0;
}
