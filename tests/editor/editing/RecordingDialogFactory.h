#pragma once

// The dialog factory's recording fake: while it lives every entry of GetDialogFactory() makes a
// plain DialogWindow (a window system must be installed) and records the call; it puts the
// factory back as it was when it goes.
#include "editor/editing/DialogFactory.h"
#include "editor/platform/DialogWindow.h"

#include <string>
#include <vector>

namespace oq::test {

class RecordingDialogFactory
{
public:
    // One construction call: "fontSize", "zoom", "menu" or "property", with the key (command id or
    // node kind), the owner and the node.
    struct Call
    {
        std::string entry;
        uint32_t key = 0;
        WindowHandle owner = 0;
        DocumentNode *node = nullptr;
        DialogWindow *dialog = nullptr;
    };

    // Fills the two named entries and the menu and property entries of the ids and kinds given.
    explicit RecordingDialogFactory(std::vector<int32_t> menuIds = {}, std::vector<uint32_t> kinds = {})
        : saved(GetDialogFactory())
    {
        active = this;
        DialogFactory &factory = GetDialogFactory();
        factory.fontSizeDialog = [](WindowHandle owner) { return active->Record("fontSize", 0, owner, nullptr); };
        factory.zoomDialog = [](WindowHandle owner) { return active->Record("zoom", 0, owner, nullptr); };
        for (int32_t id : menuIds)
        {
            // The id is not passed to the entry: the fake keeps one function per id it knows.
            menuKeys.push_back(id);
            bool set = factory.SetMenuDialog(id, MenuFunction(menuKeys.size() - 1));
            (void)set;
        }
        for (uint32_t kind : kinds)
        {
            propertyKeys.push_back(kind);
            bool set = factory.SetPropertyDialog(kind, PropertyFunction(propertyKeys.size() - 1));
            (void)set;
        }
    }
    ~RecordingDialogFactory()
    {
        GetDialogFactory() = saved;
        active = nullptr;
    }
    RecordingDialogFactory(const RecordingDialogFactory &) = delete;
    RecordingDialogFactory &operator=(const RecordingDialogFactory &) = delete;

    // False: every entry answers null from then on, like a failed allocation.
    bool makeDialogs = true;
    std::vector<Call> calls;

private:
    DialogWindow *Record(const char *entry, uint32_t key, WindowHandle owner, DocumentNode *node)
    {
        DialogWindow *dialog = makeDialogs ? new DialogWindow(owner, entry, 100, 50) : nullptr;
        calls.push_back({entry, key, owner, node, dialog});
        return dialog;
    }

    // A plain function pointer per slot; up to eight menu ids and eight kinds per fake.
    template <size_t slot>
    static DialogWindow *MenuSlot(WindowHandle owner)
    {
        return active->Record("menu", static_cast<uint32_t>(active->menuKeys[slot]), owner, nullptr);
    }
    template <size_t slot>
    static DialogWindow *PropertySlot(WindowHandle owner, DocumentNode *node)
    {
        return active->Record("property", active->propertyKeys[slot], owner, node);
    }
    static OwnerDialogFunction MenuFunction(size_t slot)
    {
        static const OwnerDialogFunction functions[] = {MenuSlot<0>, MenuSlot<1>, MenuSlot<2>, MenuSlot<3>,
                                                        MenuSlot<4>, MenuSlot<5>, MenuSlot<6>, MenuSlot<7>};
        return slot < 8 ? functions[slot] : nullptr;
    }
    static PropertyDialogFunction PropertyFunction(size_t slot)
    {
        static const PropertyDialogFunction functions[] = {PropertySlot<0>, PropertySlot<1>, PropertySlot<2>,
                                                           PropertySlot<3>, PropertySlot<4>, PropertySlot<5>,
                                                           PropertySlot<6>, PropertySlot<7>};
        return slot < 8 ? functions[slot] : nullptr;
    }

    DialogFactory saved;
    std::vector<int32_t> menuKeys;
    std::vector<uint32_t> propertyKeys;
    static inline RecordingDialogFactory *active = nullptr;
};

}  // namespace oq::test
