#include "editor/fonts/FontManager.h"

#include "base/File.h"
#include "base/TextUtils.h"
#include "editor/fonts/AtomicFile.h"
#include "editor/fonts/Design.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontFileScan.h"
#include "editor/fonts/FontFileSource.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/MasterFontTable.h"
#include "editor/fonts/SettingsText.h"
#include "editor/platform/FileContents.h"
#include "editor/platform/Heap.h"
#include "editor/platform/TextBuffer.h"

#include <cstring>

namespace oq {

namespace {

const char *GetResourceKey(const MapElement *element)
{
    return static_cast<const FontResource::ResourceMapElement *>(element)->resource->GetFileName();
}

const char *GetFaceKey(const MapElement *element)
{
    return static_cast<const FontFaceEntry *>(element)->GetFaceName();
}

// The element of the map whose key equals the name (neither sorts before the other), or null.
template <const char *(*GetKey)(const MapElement *)>
MapElement *FindElement(const Map &map, const char *name)
{
    MapElement *element = map.GetRootMapElement();
    while (element != nullptr)
    {
        const char *key = GetKey(element);
        if (CompareTextNaturalNoCase(name, key))
            element = element->GetLeftMapElement();
        else if (CompareTextNaturalNoCase(key, name))
            element = element->GetRightMapElement();
        else
            return element;
    }
    return nullptr;
}

// Links the element where its key belongs; false when an element of an equal key is there.
template <const char *(*GetKey)(const MapElement *)>
bool InsertElement(Map *map, MapElement *newElement)
{
    const char *name = GetKey(newElement);
    MapElement *element = map->GetRootMapElement();
    if (element == nullptr)
    {
        map->InsertRootElement(newElement);
        return true;
    }
    for (;;)
    {
        const char *key = GetKey(element);
        if (CompareTextNaturalNoCase(name, key))
        {
            if (element->GetLeftMapElement() == nullptr)
            {
                map->InsertLeftElement(element, newElement);
                return true;
            }
            element = element->GetLeftMapElement();
        }
        else if (CompareTextNaturalNoCase(key, name))
        {
            if (element->GetRightMapElement() == nullptr)
            {
                map->InsertRightElement(element, newElement);
                return true;
            }
            element = element->GetRightMapElement();
        }
        else
        {
            return false;
        }
    }
}

}  // namespace

FontManager::FontManager() = default;

FontManager::~FontManager()
{
    // Resources that stayed out of the resource map go with the document's tree.
    nameMap.Purge();
    while (MapElement *element = resourceMap.GetRootMapElement())
    {
        delete static_cast<FontResource::ResourceMapElement *>(element)->resource;
    }
}

KettricStructure *FontManager::MakeStructure(const TextString &identifier)
{
    if (CompareText(identifier, "R")) return new FontResource;
    return nullptr;
}

bool FontManager::CheckTopLevel(KettricStructure *structure)
{
    return structure->GetStructureType() == 'rsrc';
}

FontFaceEntry *FontManager::FindFontName(const char *name) const
{
    return static_cast<FontFaceEntry *>(FindElement<GetFaceKey>(nameMap, name));
}

FontResource *FontManager::FindResourceByFontFileName(const char *name) const
{
    for (const char *extension : {".ttf", ".otf"})
    {
        TextString fileName(name, extension);
        MapElement *element = FindElement<GetResourceKey>(resourceMap, fileName);
        if (element != nullptr) return static_cast<FontResource::ResourceMapElement *>(element)->resource;
    }
    return nullptr;
}

void FontManager::RegisterResource(FontResource *resource)
{
    // A second resource of an equal file name stays out of the map; its faces still register.
    static_cast<void>(InsertElement<GetResourceKey>(&resourceMap, &resource->mapElement));
    for (KettricStructure *s = resource->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
    {
        if (!FontResource::IsFaceList(s)) continue;
        KettricStringList *faceList = static_cast<KettricStringList *>(s);
        if (faceList->GetElementCount() == 0) continue;
        FontFaceEntry *entry = new FontFaceEntry((*faceList)[0], faceList);
        if (InsertFaceEntry(entry))
            resource->faceEntryList.Append(entry);
        else
            delete entry;
    }
}

bool FontManager::InsertFaceEntry(FontFaceEntry *entry)
{
    return InsertElement<GetFaceKey>(&nameMap, entry);
}

FontResource *FontManager::GetFirstResource()
{
    KettricStructure *s = GetRootStructure()->GetFirstSubnodeStructure();
    while (s != nullptr && s->GetStructureType() != 'rsrc') s = s->GetNextStructure();
    return static_cast<FontResource *>(s);
}

FontResource *FontManager::GetNextResource(FontResource *resource)
{
    KettricStructure *s = resource->GetNextStructure();
    while (s != nullptr && s->GetStructureType() != 'rsrc') s = s->GetNextStructure();
    return static_cast<FontResource *>(s);
}

void FontManager::Load()
{
    // Without a local data folder there is no file (never one of the working folder).
    TextString folder = GetLocalDataFolder();
    if (folder.IsEmpty())
        LoadFile(nullptr);
    else
        LoadFile(TextString(folder, kFontsFileName));
}

int32_t FontManager::Save()
{
    TextString folder = GetLocalDataFolder();
    if (folder.IsEmpty()) return kFileOpenFailed;
    return SaveFile(TextString(folder, kFontsFileName));
}

void FontManager::LoadFile(const char *path)
{
    FileContents contents = {nullptr, 0};
    if (path != nullptr) contents = ReadFileContents(GetMemoryManagerHeap(), path, kMaxFontsFileSize, 1);
    if (contents.data != nullptr)
    {
        const char *text = reinterpret_cast<const char *>(contents.data);
        // A NUL inside the file would hide the rest of it from the parser: the file is damaged.
        bool whole = std::strlen(text) == contents.size;
        KettricResult result = whole ? ParseAndResolve(text) : kResultInvalidDataFormat;
        FreeMemory(GetMemoryManagerHeap(), contents.data);
        if (result == 0) return;
    }
    while (KettricStructure *s = GetRootStructure()->GetFirstSubnodeStructure()) delete s;
    // A registry that cannot be written is rebuilt again at the next start.
    static_cast<void>(Rescan());
}

int32_t FontManager::SaveFile(const char *path)
{
    TextBuffer buffer(1024);
    WriteText(&buffer);
    int32_t result = SaveFileAtomically(path, buffer.data, buffer.size);
    buffer.Free();
    return result;
}

int32_t FontManager::Rescan()
{
    // A font installed since may now be imported: missing names are offered again.
    ClearReportedMissingFonts();
    for (FontResource *resource = GetFirstResource(); resource != nullptr; resource = GetNextResource(resource))
        resource->SetStaleFlag(true);

    // System roots first, so that a file name found in both is registered from there.
    for (const Array<TextString> &roots : {GetSystemFontsFolder(), GetUserFontsFolder()})
    {
        FontFileListing listing;
        static_cast<void>(ScanFontFolder(roots, &listing));
        for (const auto &[name, path] : listing)
        {
            MapElement *known = FindElement<GetResourceKey>(resourceMap, name.c_str());
            if (known != nullptr)
            {
                static_cast<FontResource::ResourceMapElement *>(known)->resource->SetStaleFlag(false);
                continue;
            }
            FontFileSource file;
            if (!file.Open(path.c_str())) continue;
            FontResource *resource = BuildFontResource(name.c_str(), file);
            if (resource == nullptr) continue;
            GetRootStructure()->AppendSubnode(resource);
            RegisterResource(resource);
        }
    }

    for (int32_t row = 1; row < kMasterFontRowCount; ++row)
    {
        auto *entry = new FontFaceEntry(MasterFontTable[row].name, nullptr);
        if (!InsertFaceEntry(entry)) delete entry;
    }

    // Files that are gone: their entries leave the name map with them.
    FontResource *resource = GetFirstResource();
    while (resource != nullptr)
    {
        FontResource *next = GetNextResource(resource);
        if (resource->GetStaleFlag()) delete resource;
        resource = next;
    }
    return Save();
}

void FontManager::WriteText(TextBuffer *buffer)
{
    for (FontResource *resource = GetFirstResource(); resource != nullptr; resource = GetNextResource(resource))
    {
        buffer->AppendText("R (n=");
        AppendQuotedText(buffer, resource->GetFileName(), resource->GetFileName().GetLength());
        if (resource->GetSharedTablesFlag()) buffer->AppendText(",c");
        buffer->AppendText(")\n{\n");
        for (KettricStructure *s = resource->GetFirstSubnodeStructure(); s != nullptr; s = s->GetNextStructure())
        {
            if (!FontResource::IsFaceList(s)) continue;
            const KettricStringList *faceList = static_cast<const KettricStringList *>(s);
            buffer->AppendText("\ts{");
            const char *face = faceList->GetElementCount() != 0 ? (*faceList)[0].GetText() : "";
            AppendQuotedText(buffer, face, int32_t(std::strlen(face)));
            buffer->AppendText("}\n");
        }
        buffer->AppendText("}\n\n");
    }
}

}  // namespace oq
