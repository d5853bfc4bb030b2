#pragma once

#include "base/Map.h"
#include "kettric/KettricDocument.h"

#include <cstdint>

namespace oq {

class FontFaceEntry;
class FontResource;
struct TextBuffer;

// Largest fonts.quist that is read; a larger file is unreadable and leads to a rescan.
inline constexpr uint64_t kMaxFontsFileSize = 16 << 20;
inline constexpr const char kFontsFileName[] = "fonts.quist";

// The registry of installed font files and their faces (fonts.quist): the resources are the
// document's top-level structures, found by file name in the resource map and by face name in the
// name map (both ordered by CompareTextNaturalNoCase, so ASCII case is ignored).
class FontManager : public KettricDocument
{
public:
    FontManager();
    // Deletes every face entry of the name map, then every resource of the resource map, then the
    // document deletes what is left of its tree.
    ~FontManager() override;

    // A FontResource for "R"; nothing else.
    KettricStructure *MakeStructure(const TextString &identifier) override;
    bool CheckTopLevel(KettricStructure *structure) override;

    // The face entry of that name; null when none.
    FontFaceEntry *FindFontName(const char *name) const;
    // The resource of the file name + ".ttf", else of name + ".otf"; null when neither.
    FontResource *FindResourceByFontFileName(const char *name) const;

    // Reads fonts.quist of the local data folder at start-up; a file that is missing, cannot be read
    // or does not parse leaves no resources and leads to a rescan.
    void Load();
    // Replaces fonts.quist of the local data folder atomically with the registry's text; a File
    // result code (the old file stays whole on failure).
    [[nodiscard]] int32_t Save();
    // The same with the file's path; a null path names no file.
    void LoadFile(const char *path);
    [[nodiscard]] int32_t SaveFile(const char *path);
    // Rebuilds the registry from the installed font files (system roots, then user roots; files
    // already registered are not read again; files gone are dropped), enters the MasterFontTable
    // names without faces and writes fonts.quist: the result of Save.
    [[nodiscard]] int32_t Rescan();

    // Appends the text of fonts.quist: every resource in document order.
    void WriteText(TextBuffer *buffer);

    // Puts the resource into the resource map, unless one of an equal file name is there, and
    // registers its faces.
    void RegisterResource(FontResource *resource);
    // Enters the entry into the name map; false when one of an equal name is there (the entry
    // then stays the caller's).
    [[nodiscard]] bool InsertFaceEntry(FontFaceEntry *entry);

    // The resources in document order.
    FontResource *GetFirstResource();
    static FontResource *GetNextResource(FontResource *resource);

    const Map *GetNameMap() const { return &nameMap; }
    const Map *GetResourceMap() const { return &resourceMap; }

private:
    Map resourceMap;
    Map nameMap;
};

}  // namespace oq
