#include "editor/fonts/FontLoader.h"

#include "base/TextUtils.h"
#include "editor/fonts/FontFaceEntry.h"
#include "editor/fonts/FontManager.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/Folders.h"
#include "editor/fonts/MasterFontTable.h"
#include "editor/platform/FontFile.h"
#include "editor/platform/Renderer.h"
#include "vorl/text/FontDataAccess.h"

#include <sys/stat.h>

namespace oq {

namespace {

FontManager *processFontManager = nullptr;

// Where a face is looked for: the file's path and key and the face's record in it.
struct FontLocation
{
    TextString path;
    TextString key;
    int32_t face = 0;
};

bool FolderEndsInSlash(const char *folder)
{
    int32_t length = GetTextLength(folder);
    return length > 0 && folder[length - 1] == '/';
}

// A shipped row's file in the Data folder; false when the renderer has no Data folder (never the
// working folder).
bool LocateShippedFace(const Renderer &renderer, const MasterFontRow &row, FontLocation *location)
{
    const char *folder = renderer.GetDataFolder();
    if (folder == nullptr || folder[0] == 0) return false;
    location->key.SetInt32(row.fileNumber);
    location->path = folder;
    if (!FolderEndsInSlash(folder)) location->path.AppendChar('/');
    location->path.AppendString(location->key);
    location->path.AppendText(".vorl");
    location->face = row.faceIndex;
    return true;
}

bool LocateImportedFace(const FontFaceEntry &entry, FontLocation *location)
{
    const FontResource *resource = entry.GetFontResource();
    if (resource == nullptr) return false;
    ImportedFontKey key = MakeImportedFontKey(*resource, entry.GetFaceIndex());
    location->path = MakeImportedFontPath(key.key);
    if (location->path.IsEmpty()) return false;
    location->key = key.key;
    location->face = key.indexInFile;
    return true;
}

Font *FindLoadedFont(const char *name)
{
    for (Font *font = Font::GetFirst(); font; font = font->GetNext())
        if (CompareText(font->name, name)) return font;
    return nullptr;
}

// A file is found by its path (folder and key), byte for byte, among those of this renderer.
FontFile *FindLoadedFontFile(const Renderer &renderer, const TextString &path)
{
    for (FontFile *file = FontFile::GetFirst(); file; file = file->GetNext())
        if (file->renderer == &renderer && CompareText(file->path, path)) return file;
    return nullptr;
}

// Every font record of a file with outlines carries the ContourList the slanted extents and the
// exports read curves through.
bool HasContoursForOutlines(const FontFile &file)
{
    const VorlFileHeader *header = file.GetHeader();
    for (uint32_t f = 0; f < header->count; ++f)
    {
        const VorlFontRecord *record = GetVorlFontRecord(header, f);
        if (record->contourListOffset != 0) continue;
        const VorlGlyphRecord *glyphs = record->GetGlyphRecords();
        for (uint32_t g = 0; g < record->glyphCount; ++g)
            if (glyphs[g].bandCountX != 0 || glyphs[g].curveCount != 0) return false;
    }
    return true;
}

// The face exists and carries the metrics every Font reads.
bool HasFaceMetrics(const FontFile &file, int32_t face)
{
    if (face < 0 || uint32_t(face) >= file.GetFaceCount()) return false;
    const VorlFontRecord *record = GetVorlFontRecord(file.GetHeader(), uint32_t(face));
    return record->GetFontData('AXIS') != nullptr && record->GetFontData('HITE') != nullptr &&
           record->GetFontData('SLNT') != nullptr;
}

// Steps 4 and 5: a new Font on the loaded file of that path, else on the file read now.
Font *LoadFace(Renderer &renderer, const char *name, const FontLocation &location)
{
    FontFile *file = FindLoadedFontFile(renderer, location.path);
    if (file != nullptr)
    {
        if (!HasFaceMetrics(*file, location.face)) return nullptr;
        file->references++;
    }
    else
    {
        file = FontFile::Load(renderer, location.path, location.key);
        if (file == nullptr) return nullptr;
        if (!HasContoursForOutlines(*file) || !HasFaceMetrics(*file, location.face))
        {
            file->Release();
            return nullptr;
        }
    }
    return Font::Create(name, file, location.face);
}

}  // namespace

FontManager *GetFontManager() { return processFontManager; }

void SetFontManager(FontManager *manager) { processFontManager = manager; }

ImportedFontKey MakeImportedFontKey(const FontResource &resource, int32_t faceIndex)
{
    ImportedFontKey result;
    result.key = resource.GetFileName();
    if (faceIndex > 0 && !resource.GetSharedTablesFlag())
    {
        result.key.AppendChar('-');
        result.key.AppendInt32(faceIndex);
        return result;
    }
    result.indexInFile = faceIndex > 0 ? faceIndex : 0;
    return result;
}

TextString MakeImportedFontPath(const TextString &key)
{
    TextString path = GetLocalDataFolder();
    if (path.IsEmpty()) return path;
    path.AppendString(key);
    path.AppendText(".vorl");
    return path;
}

bool IsFontAvailable(const FontFaceEntry &entry)
{
    const char *name = entry.GetFaceName();
    if (FindLoadedFont(name) != nullptr) return true;
    int32_t row = FindMasterFontRow(name);
    if (row >= 0 && MasterFontTable[row].fileNumber >= 0) return true;
    FontLocation location;
    if (!LocateImportedFace(entry, &location)) return false;
    struct stat status;
    return stat(location.path, &status) == 0 && S_ISREG(status.st_mode);
}

Font *LoadFont(TextString &name)
{
    if (Font *font = FindLoadedFont(name))
    {
        font->references++;
        return font;
    }
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return nullptr;

    FontLocation location;
    int32_t row = FindMasterFontRow(name);
    if (row >= 0 && MasterFontTable[row].fileNumber >= 0)
    {
        if (!LocateShippedFace(*renderer, MasterFontTable[row], &location)) return nullptr;
        return LoadFace(*renderer, name, location);
    }

    FontManager *manager = GetFontManager();
    if (manager == nullptr) return nullptr;
    const FontFaceEntry *entry = manager->FindFontName(name);
    if (entry == nullptr)
    {
        // A font file's name without its ending: that file's first registered face.
        const FontResource *resource = manager->FindResourceByFontFileName(name);
        entry = resource ? resource->GetFirstFaceEntry() : nullptr;
        if (entry == nullptr) return nullptr;
        name = entry->GetFaceName();
    }
    if (!LocateImportedFace(*entry, &location)) return nullptr;
    return LoadFace(*renderer, name, location);
}

Font *LoadFontByIndex(int32_t row)
{
    if (row < 0 || row >= kMasterFontRowCount) return nullptr;
    Renderer *renderer = GetRenderer();
    if (renderer == nullptr) return nullptr;
    const MasterFontRow &master = MasterFontTable[row];
    FontLocation location;
    if (master.fileNumber >= 0)
    {
        if (!LocateShippedFace(*renderer, master, &location)) return nullptr;
        return LoadFace(*renderer, master.name, location);
    }
    FontManager *manager = GetFontManager();
    const FontFaceEntry *entry = manager ? manager->FindFontName(master.name) : nullptr;
    if (entry == nullptr || !LocateImportedFace(*entry, &location)) return nullptr;
    return LoadFace(*renderer, master.name, location);
}

}  // namespace oq
