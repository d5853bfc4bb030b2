#include "editor/fonts/FontResource.h"

#include "base/TextUtils.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontManager.h"
#include "kettric/KettricPrimitive.h"

#include <cstring>

namespace oq {

FontResource::FontResource() : KettricStructure('rsrc'), mapElement(this)
{
}

// The members go first: the entry list deletes the entries, the map element leaves the resource
// map, and then the structure deletes the face lists the entries pointed at.
FontResource::~FontResource() = default;

bool FontResource::CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type,
                                 void **storage)
{
    if (CompareText(identifier, "n"))
    {
        *type = 'STRG';
        *storage = &fileName;
        return true;
    }
    if (CompareText(identifier, "c"))
    {
        *type = 'BOOL';
        *storage = &sharedTablesFlag;
        return true;
    }
    return false;
}

bool FontResource::CheckSubstructure(KettricDocument *, KettricStructure *structure)
{
    return IsFaceList(structure);
}

bool FontResource::IsFaceList(const KettricStructure *structure)
{
    return structure->GetStructureType() == 'STRG' && structure->GetBaseStructureType() == 'PRIM';
}

bool FontResource::IsPlainFileName(const TextString &name)
{
    const char *text = name.GetText();
    if (text[0] == 0 || std::strcmp(text, ".") == 0 || std::strcmp(text, "..") == 0) return false;
    return std::strchr(text, '/') == nullptr;
}

KettricResult FontResource::ResolveData(KettricDocument *document)
{
    KettricResult result = KettricStructure::ResolveData(document);
    if (result != 0) return result;

    // The file name becomes a path component of the import: nothing that leaves the folder.
    if (!IsPlainFileName(fileName)) return kResultInvalidPropertyValue;
    KettricStructure *firstFace = GetFirstSubnodeStructure();
    while (firstFace != nullptr && !IsFaceList(firstFace)) firstFace = firstFace->GetNextStructure();
    if (firstFace == nullptr) return kResultMissingSubstructure;
    for (KettricStructure *s = firstFace; s != nullptr; s = s->GetNextStructure())
    {
        if (IsFaceList(s) && static_cast<KettricStringList *>(s)->GetElementCount() == 0)
            return kResultInvalidDataFormat;
    }

    // Only a FontManager makes resources.
    static_cast<FontManager *>(document)->RegisterResource(this);
    return 0;
}

FontFaceEntry *FontResource::GetFirstFaceEntry() const
{
    return static_cast<FontFaceEntry *>(faceEntryList.GetFirstListElement());
}

}  // namespace oq
