#pragma once

#include "base/List.h"
#include "base/Map.h"
#include "base/TextString.h"
#include "kettric/KettricStructure.h"

#include <cstdint>

namespace oq {

class FontFaceEntry;
class FontManager;

// One font file of a font folder in the registry (fonts.quist "R"): its file name, whether its
// faces share their outline tables, and one "s" string list per face, the face name first.
class FontResource : public KettricStructure
{
public:
    // The resource's element in the resource map (its own map element serves Kettric names).
    class ResourceMapElement : public MapElement
    {
    public:
        explicit ResourceMapElement(FontResource *owner) : resource(owner) {}
        FontResource *const resource;
    };

    FontResource();
    // Deletes its face entries (they leave the name map), leaves the resource map, then the
    // structure deletes its face lists.
    ~FontResource() override;

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    // kResultInvalidPropertyValue for a file name that is no plain file name, kResultMissingSubstructure
    // without a face list, kResultInvalidDataFormat for a face list without a string; otherwise registers the
    // resource with its FontManager.
    [[nodiscard]] KettricResult ResolveData(KettricDocument *document) override;

    const TextString &GetFileName() const { return fileName; }
    void SetFileName(const char *name) { fileName = name; }
    bool GetSharedTablesFlag() const { return sharedTablesFlag; }
    void SetSharedTablesFlag(bool shared) { sharedTablesFlag = shared; }
    bool GetStaleFlag() const { return staleFlag; }
    void SetStaleFlag(bool stale) { staleFlag = stale; }

    // Whether the resource stands in the resource map (a second one of an equal file name does not).
    bool IsInResourceMap() const { return mapElement.GetOwningMap() != nullptr; }
    // The faces registered in the name map, in face order.
    FontFaceEntry *GetFirstFaceEntry() const;

    // Whether a substructure is a face list (a string list).
    static bool IsFaceList(const KettricStructure *structure);
    // A name that can stand as a file in a folder: not empty, not "." or "..", no '/'.
    static bool IsPlainFileName(const TextString &name);

private:
    friend class FontManager;

    TextString fileName;
    bool sharedTablesFlag = false;
    bool staleFlag = false;
    ResourceMapElement mapElement;
    List faceEntryList;
};

}  // namespace oq
