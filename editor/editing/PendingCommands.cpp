// Commands that typing and the keys call whose editing is not built yet: each refuses.
#include "editor/editing/Editor.h"

namespace oq {

void Editor::ReloadDesignFonts(int32_t) {}
void Editor::StartFontLoading() {}

}  // namespace oq
