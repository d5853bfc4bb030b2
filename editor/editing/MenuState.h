#pragma once

#include <cstdint>

namespace oq {

// Menu items the editor core enables, greys or checks.
constexpr int32_t kMenuSave = 260;
constexpr int32_t kMenuUndo = 513;
constexpr int32_t kMenuRedo = 514;
constexpr int32_t kMenuUndoAll = 515;
constexpr int32_t kMenuRedoAll = 516;
constexpr int32_t kMenuMathMode = 769;
constexpr int32_t kMenuChemMode = 770;
constexpr int32_t kMenuTextMode = 771;
// View > Zoom 100% .. Zoom 800%: kMenuZoomFirst + n - 1 for zoom n.
constexpr int32_t kMenuZoomFirst = 2050;

// The menu bar as the editor core sees it: items are enabled or greyed and checked or unchecked by
// id. The program's menu bar implements it; tests record the calls.
class MenuState
{
public:
    virtual ~MenuState() = default;

    virtual void EnableMenuItem(int32_t id, bool enabled) = 0;
    virtual void CheckMenuItem(int32_t id, bool checked) = 0;
};

}  // namespace oq
