// The tool state setters: edit mode, drawing tool group and pending style key.
#include "editor/editing/Editor.h"

#include "editor/editing/MenuState.h"
#include "editor/platform/ButtonPress.h"
#include "editor/platform/PictureButton.h"

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
    // The status band exists while its links are set (a size change empties them).
    if (panel.modeColors[0].GetTarget() == nullptr || statusBandRoot == nullptr) return;
    statusBandRoot->RequestRedraw();
    for (int i = 0; i < 3; ++i)
    {
        for (Link<Widget> *link : {&panel.modeColors[i], &panel.modeLabels[i]})
            if (Widget *widget = link->GetTarget()) SetWidgetHidden(widget, items[i].mode != mode);
    }
}

void Editor::SetDrawingToolGroup(uint32_t group)
{
    if (group == drawingToolGroup) return;
    drawingToolGroup = group;
    DiscardSelectionOverlay();
    DiscardAnchorOverlay();
    DiscardHoverHighlight();
    DiscardObjectHoverOutline();
    const uint32_t groups[4] = {kToolGroupEquation, kToolGroupAnnotation, kToolGroupLine, kToolGroupShape};
    int chosen = -1;
    for (int i = 0; i < 4; ++i)
        if (groups[i] == group) chosen = i;
    if (chosen < 0) return;
    for (int i = 0; i < 4; ++i)
    {
        auto *button = static_cast<PictureButton *>(panel.toolGroupButtons[i].GetTarget());
        if (button == nullptr) continue;
        if (i == chosen)
        {
            button->SetWidgetFlags(button->GetWidgetFlags() | kWidgetPressed);
            button->box.color = kPressedLook;
        }
        else
        {
            button->Unpress();
        }
    }
    const bool equation = chosen < 2;
    if (Widget *tools = panel.equationTools.GetTarget()) SetWidgetHidden(tools, !equation);
    if (Widget *tools = panel.drawingTools.GetTarget()) SetWidgetHidden(tools, equation);
    if (toolBandRoot != nullptr && panel.equationTools.GetTarget() != nullptr) toolBandRoot->RequestRedraw();
}

void Editor::SetStyleKey(uint32_t key)
{
    if (key == styleKey) return;
    styleKey = key;
    bool exists = false;
    for (int32_t i = 0; i < kCharacterStyleCount; ++i)
    {
        Widget *label = panel.styleLabels[i].GetTarget();
        if (label == nullptr) continue;
        exists = true;
        SetWidgetHidden(label, uint32_t(kCharacterStyles[i]) != key);
    }
    if (exists && statusBandRoot != nullptr) statusBandRoot->RequestRedraw();
}

}  // namespace oq
