#pragma once

#include "base/Array.h"
#include "base/TextString.h"

namespace oq {

// The folders where the editor keeps its settings and imported fonts, and where installed fonts
// lie. Every path ends in '/'; callers append a file name.

// "$XDG_CONFIG_HOME/OrlendoQuist/", else "$HOME/.config/OrlendoQuist/" (a relative XDG value is
// ignored). Missing folders of the path are made with mode 0700. Empty when no folder can be made:
// reads then find nothing and saves fail.
TextString GetSettingsFolder();

// The same under "$XDG_DATA_HOME", else "$HOME/.local/share".
TextString GetLocalDataFolder();

// The system font roots, in search order: "/usr/share/fonts/" and "/usr/local/share/fonts/" unless
// SetSystemFontRoots replaced them. No folder is made; a missing one stays in the list.
Array<TextString> GetSystemFontsFolder();

// The user font roots, in search order: "$XDG_DATA_HOME/fonts/" (else "$HOME/.local/share/fonts/")
// and "$HOME/.fonts/". No folder is made; a root whose base is unknown is left out.
Array<TextString> GetUserFontsFolder();

// Replaces the system font roots for the whole process (tests); a '/' is added where one is missing.
void SetSystemFontRoots(const Array<TextString> &roots);

}  // namespace oq
