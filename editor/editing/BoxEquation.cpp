// Box Equation: a rectangle over the equation, linked to two opposite corners of its frame.
#include "editor/editing/Editor.h"

#include "editor/document/GroupNode.h"
#include "editor/document/NodeLink.h"
#include "editor/drawing/RectangleObject.h"

#include <algorithm>

namespace oq {

namespace {

// The tool panel's first width and dash buttons, and how many of each there are.
constexpr int32_t kFirstWidthButton = 38;
constexpr int32_t kWidthButtons = 5;
constexpr int32_t kFirstDashButton = 43;
constexpr int32_t kDashButtons = 3;

}  // namespace

bool Editor::BoxEquation()
{
    GroupNode *mainGroup = document.GetMainGroup();
    if (mainGroup == nullptr) return false;
    for (NodeLink *link = mainGroup->GetFirstIncomingLink(); link != nullptr; link = link->GetNextIncomingLink())
    {
        if (link->anchorKind == kBorderAnchorKind) return false;
    }
    BeginEditBatch();
    const ToolPanelState &panel = settings.state.toolPanel;
    auto *rectangle = new RectangleObject(false, true);
    rectangle->widthIndex = uint8_t(std::clamp(panel.widthChoice - kFirstWidthButton, 0, kWidthButtons - 1));
    rectangle->dashIndex = uint8_t(std::clamp(panel.dashChoice - kFirstDashButton, 0, kDashButtons - 1));
    rectangle->strokePaletteIndex = panel.strokeColor.paletteIndex;
    rectangle->strokeColor = panel.strokeColor.color;
    document.GetRootStructure()->AppendSubnode(rectangle);
    new NodeLink(rectangle, mainGroup, kBorderAnchorKind, 0, 0.0f);
    new NodeLink(rectangle, mainGroup, kBorderAnchorKind, 3, 0.0f);
    EndEditBatch();
    return true;
}

}  // namespace oq
