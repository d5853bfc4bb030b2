#pragma once

#include "base/List.h"
#include "base/Map.h"
#include "kettric/KettricPrimitive.h"

#include <cstdint>

namespace oq {

class FontResource;

// One face name of the font registry: an entry of the name map and of its resource's face list.
class FontFaceEntry : public ListElement, public MapElement
{
public:
    // The name stays the caller's: the first string of the face's "s" list, or a built-in name
    // (then the face list is null).
    FontFaceEntry(const char *name, KettricStringList *faceList);

    const char *GetFaceName() const { return faceName; }
    // The face's "s" list; null for a name without a face.
    KettricStringList *GetFaceList() const { return faceList; }
    // The resource that holds the face; null for a name without a face.
    FontResource *GetFontResource() const;
    // Number of face lists before the face's own in its resource; -1 for a name without a face.
    int32_t GetFaceIndex() const;
    // The next face of the same resource's face list.
    FontFaceEntry *GetNextFaceEntry() const { return static_cast<FontFaceEntry *>(GetNextListElement()); }

private:
    const char *faceName;
    KettricStringList *faceList;
};

}  // namespace oq
