#include "editor/fonts/FontFaceEntry.h"

#include "editor/fonts/FontResource.h"

namespace oq {

FontFaceEntry::FontFaceEntry(const char *name, KettricStringList *list) : faceName(name), faceList(list)
{
}

FontResource *FontFaceEntry::GetFontResource() const
{
    if (faceList == nullptr) return nullptr;
    return static_cast<FontResource *>(faceList->GetSuperStructure());
}

int32_t FontFaceEntry::GetFaceIndex() const
{
    if (faceList == nullptr) return -1;
    int32_t index = 0;
    for (KettricStructure *s = faceList->GetPreviousStructure(); s != nullptr; s = s->GetPreviousStructure())
    {
        if (FontResource::IsFaceList(s)) ++index;
    }
    return index;
}

}  // namespace oq
