// Commands that typing and the keys call whose editing is not built yet: each refuses.
#include "editor/editing/Editor.h"

namespace oq {

bool Editor::RunBackslashCommand(SymbolRunNode *, int32_t) { return false; }
bool Editor::ContinuesFunctionName(const SymbolRunNode *, uint32_t) const { return false; }
bool Editor::RecognizeFunctionName(SymbolRunNode *, int32_t) { return false; }
void Editor::ReloadDesignFonts(int32_t) {}
void Editor::StartFontLoading() {}

}  // namespace oq
