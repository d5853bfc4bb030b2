#pragma once

#include "base/Array.h"
#include "base/TextString.h"

#include <functional>
#include <string>

namespace oq {

// The walk over the installed font folders that the import and the installed-font scan share.

// One file met by the walk: its whole path and its name within its folder.
using FontFileVisitor = std::function<bool(const std::string &path, const char *name)>;

// Visits every entry of the roots that is not a folder, root by root, each folder's entries in
// byte order of their names, descending into subfolders where they stand in that order. Names
// beginning with '.' are skipped; symbolic links to folders are not followed; folders deeper than
// 64 levels are left out. The visitor returns false to end the walk; so does WalkFontRoots.
bool WalkFontRoots(const Array<TextString> &roots, const FontFileVisitor &visitor);

// Whether the path opens (without blocking, so a FIFO cannot hang it) as a regular file.
bool IsRegularFile(const char *path);

// The installed font file of that name: the first regular file of the walk over the system roots
// (GetSystemFontsFolder), then the user roots (GetUserFontsFolder), whose name equals it as the
// registry's maps compare names (CompareTextNaturalNoCase). Empty when there is none.
std::string FindInstalledFontFile(const char *fileName);

}  // namespace oq
