// The tool state setters: edit mode, drawing tool group and pending style key.
#include "editor/editing/Editor.h"

#include "editor/editing/MenuState.h"

namespace oq {

void Editor::SetEditMode(uint32_t mode)
{
    if (mode == settings.state.editMode) return;
    settings.state.editMode = mode;
    SetStyleKey(0);
    const struct
    {
        uint32_t mode;
        int32_t item;
    } items[] = {{kEditModeMath, kMenuMathMode}, {kEditModeChem, kMenuChemMode}, {kEditModeText, kMenuTextMode}};
    bool known = false;
    for (const auto &entry : items) known = known || entry.mode == mode;
    if (!known) return;
    if (settings.preferences.options[kOptionRememberMode]) settings.preferencesChanged = true;
    for (const auto &entry : items) CheckMenuItem(entry.item, entry.mode == mode);
}

void Editor::SetDrawingToolGroup(uint32_t group)
{
    if (group == drawingToolGroup) return;
    drawingToolGroup = group;
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
    DiscardHoverHighlight();
    DiscardObjectHoverOutline();
}

void Editor::SetStyleKey(uint32_t key)
{
    styleKey = key;
}

}  // namespace oq
