// Operations the frame calls whose editing is not built yet: each does nothing.
#include "editor/editing/Editor.h"

namespace oq {

void Editor::ReloadDesignFonts(int32_t) {}
void Editor::StartFontLoading() {}

}  // namespace oq
