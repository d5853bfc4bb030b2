#include "editor/fonts/FontFileScan.h"

#include "base/TextUtils.h"
#include "editor/fonts/FaceNames.h"
#include "editor/fonts/FontResource.h"
#include "editor/fonts/InstalledFontFiles.h"
#include "editor/fonts/SfntFaceDirectory.h"
#include "kettric/KettricPrimitive.h"
#include "vorlfont/opentype/SfntFile.h"

#include <cstring>
#include <sys/stat.h>

namespace oq {

namespace {

// The face's directory at entry i of a collection header.
bool ReadCollectionFace(const FontByteSource &file, uint32_t face, SfntFaceDirectory *directory)
{
    uint32_t offset = 0;
    return file.ReadUInt32(12 + uint64_t(face) * 4, &offset) && ReadSfntFaceDirectory(file, offset, directory);
}

// Appends a face list holding the face's name; false when the face has none.
bool AppendFace(FontResource *resource, const FontByteSource &file, const SfntFaceDirectory &directory)
{
    TextString name;
    if (!ReadFaceName(file, directory, &name)) return false;
    auto *faceList = new KettricStringList;
    faceList->AppendValues(&name, 1);
    resource->AppendSubnode(faceList);
    return true;
}

}  // namespace

bool FontFileNameOrder::operator()(const std::string &a, const std::string &b) const
{
    return CompareTextNaturalNoCase(a.c_str(), b.c_str());
}

bool IsFontFileName(const char *name)
{
    size_t length = std::strlen(name);
    if (length <= 4) return false;
    const char *end = name + length - 4;
    auto lower = [](char c) { return char(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); };
    return end[0] == '.' && (lower(end[1]) == 't' || lower(end[1]) == 'o') && lower(end[2]) == 't' &&
           (lower(end[3]) == 'f' || lower(end[3]) == 'c');
}

int32_t ScanFontFolder(const Array<TextString> &roots, FontFileListing *listing)
{
    int32_t added = 0;
    static_cast<void>(WalkFontRoots(roots, [listing, &added](const std::string &path, const char *name) {
        if (!IsFontFileName(name)) return true;
        // stat follows a link to the file and opens nothing, so a FIFO cannot block it.
        struct stat status;
        if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return true;
        if (listing->emplace(name, path).second) ++added;
        return true;
    }));
    return added;
}

int32_t TestSharedTables(const FontByteSource &file)
{
    uint32_t faceCount = 0;
    if (!file.ReadUInt32(8, &faceCount) || faceCount == 0 || faceCount > kMaxCollectionFaces) return -1;
    if (!file.Contains(12, uint64_t(faceCount) * 4)) return -1;
    SfntFaceDirectory directory;
    for (uint32_t face = 0; face < faceCount; ++face)
    {
        if (!ReadCollectionFace(file, face, &directory) || !HasSfntHeaderTables(directory, file.GetSize()))
            return -1;
    }
    return CollectionSharesTables(file, faceCount) ? 1 : 0;
}

FontResource *BuildFontResource(const char *fileName, const FontByteSource &file)
{
    uint32_t version = 0;
    if (file.GetSize() < 12 || !file.ReadUInt32(0, &version)) return nullptr;

    auto *resource = new FontResource;
    resource->SetFileName(fileName);
    bool built = false;
    SfntFaceDirectory directory;
    if (version == kCollectionTag)
    {
        int32_t shared = TestSharedTables(file);
        uint32_t faceCount = 0;
        built = shared >= 0 && file.ReadUInt32(8, &faceCount);
        resource->SetSharedTablesFlag(shared == 1);
        for (uint32_t face = 0; built && face < faceCount; ++face)
            built = ReadCollectionFace(file, face, &directory) && AppendFace(resource, file, directory);
    }
    else
    {
        built = ReadSfntFaceDirectory(file, 0, &directory) && AppendFace(resource, file, directory);
    }
    if (built) return resource;
    delete resource;
    return nullptr;
}

}  // namespace oq
