#pragma once

#include "editor/platform/WindowSystem.h"

#include <cstdint>

namespace oq {

class DialogWindow;
class DocumentNode;

// Construction functions of the dialogs: the owner window first; each returns the dialog, which
// the caller makes the active popup, or null when it could not be made.
using OwnerDialogFunction = DialogWindow *(*)(WindowHandle owner);
// A node's property dialog: its editing form for the node, the insertion form for null.
using PropertyDialogFunction = DialogWindow *(*)(WindowHandle owner, DocumentNode *node);

// One menu command's dialog.
struct MenuDialogEntry
{
    int32_t commandId = 0;
    OwnerDialogFunction construct = nullptr;
};

// One node kind's property dialog.
struct PropertyDialogEntry
{
    uint32_t kind = 0;
    PropertyDialogFunction construct = nullptr;
};

constexpr int32_t kMenuDialogCapacity = 64;
constexpr int32_t kPropertyDialogCapacity = 32;

// The one way the libraries below the dialogs open one: construction functions, each null until
// the dialogs register themselves (an empty entry opens nothing, like a failed allocation).
struct DialogFactory
{
    OwnerDialogFunction fontSizeDialog = nullptr;
    OwnerDialogFunction zoomDialog = nullptr;
    MenuDialogEntry menuDialogs[kMenuDialogCapacity];
    int32_t menuDialogCount = 0;
    PropertyDialogEntry propertyDialogs[kPropertyDialogCapacity];
    int32_t propertyDialogCount = 0;

    // Registers (or replaces, or with null removes) the entry of a command id or node kind; false
    // when the table is full.
    [[nodiscard]] bool SetMenuDialog(int32_t commandId, OwnerDialogFunction construct);
    [[nodiscard]] bool SetPropertyDialog(uint32_t kind, PropertyDialogFunction construct);
    // The entry of a command id or node kind; null when none is registered.
    OwnerDialogFunction FindMenuDialog(int32_t commandId) const;
    PropertyDialogFunction FindPropertyDialog(uint32_t kind) const;
};

// The process-wide dialog factory.
DialogFactory &GetDialogFactory();

}  // namespace oq
