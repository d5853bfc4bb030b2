#pragma once

#include "base/TextString.h"

#include <cstdint>

namespace oq {

class Font;
class FontFaceEntry;
class FontManager;
class FontResource;

// Loading fonts by name: shipped rows of the master table from the renderer's Data folder
// ("N.vorl"), imported faces from the local data folder. Fonts are shared and reference-counted;
// every loader runs on the UI thread and uses the process-wide renderer (GetRenderer(); none set:
// no font loads).

// The registry of imported fonts that the loaders consult, set by its owner; none: no imported
// face is found.
FontManager *GetFontManager();
void SetFontManager(FontManager *manager);

// Where an imported face lives: the Vorl file's key (its name without ".vorl") and the face's
// record in that file.
struct ImportedFontKey
{
    TextString key;
    int32_t indexInFile = 0;
};

// The key of face faceIndex of the resource: the font file's whole name, then "-" and the index
// when it is above 0 and the faces do not share tables ("Fonts.ttc-2", record 0); a resource whose
// faces share tables keeps every face in one file at its own index.
ImportedFontKey MakeImportedFontKey(const FontResource &resource, int32_t faceIndex);

// The local data folder + key + ".vorl"; empty when there is no local data folder.
TextString MakeImportedFontPath(const TextString &key);

// Whether the face can be loaded without an import: a loaded Font of exactly this name, a shipped
// master row of this name (ASCII case ignored), or an imported face whose Vorl file exists.
bool IsFontAvailable(const FontFaceEntry &entry);

// The Font of that name: a loaded one (its count raised), else a shipped row's face, else an
// imported face; a name that matches only an imported font's file name becomes that file's first
// face name. None when nothing matches or the file is absent, unreadable or refused (a face
// without 'AXIS', 'HITE' or 'SLNT', outlines without contours).
[[nodiscard]] Font *LoadFont(TextString &name);

// A new Font for a master row (0..83), sharing a loaded file; none for any other row and when the
// face cannot be loaded.
[[nodiscard]] Font *LoadFontByIndex(int32_t row);

}  // namespace oq
