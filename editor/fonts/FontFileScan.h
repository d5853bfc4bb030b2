#pragma once

#include "base/Array.h"
#include "base/TextString.h"
#include "vorlfont/opentype/FontBytes.h"

#include <cstdint>
#include <map>
#include <string>

namespace oq {

class FontResource;

// Orders font file names as the registry's maps do (CompareTextNaturalNoCase).
struct FontFileNameOrder
{
    bool operator()(const std::string &a, const std::string &b) const;
};

// The font files of one font folder found by a rescan: whole path by base file name, the first
// found of each name.
using FontFileListing = std::map<std::string, std::string, FontFileNameOrder>;

// Whether the name ends in .ttf, .otf, .ttc or .otc (letters in either case) after at least one
// other character.
bool IsFontFileName(const char *name);

// Walks the folder's roots (WalkFontRoots) and lists every regular file with a font file name
// that the listing does not hold yet; returns the number of names added.
int32_t ScanFontFolder(const Array<TextString> &roots, FontFileListing *listing);

// A new resource named fileName with one face list per face of the font file or collection, each
// holding the face's name; null for a file that is no font, a malformed one, a collection with a
// bad face and a face without a name.
FontResource *BuildFontResource(const char *fileName, const FontByteSource &file);

// Of a collection: 1 when its faces share their outline tables (one imported file holds them all),
// 0 when not, as the font compiler decides; -1 when it is malformed (face count not 1 to 256, a
// face's offset table or directory outside the file, or 'head', 'hhea' or 'maxp' missing).
int32_t TestSharedTables(const FontByteSource &file);

}  // namespace oq
