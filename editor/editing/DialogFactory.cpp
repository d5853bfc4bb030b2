// The process-wide table of dialog construction functions.
#include "editor/editing/DialogFactory.h"

namespace oq {

namespace {

// Sets, replaces or (null) removes the entry whose key matches; removal keeps the others' order.
template <typename Entry, typename Key, typename Function>
bool SetEntry(Entry *entries, int32_t *count, int32_t capacity, Key Entry::*key, Key value, Function construct)
{
    for (int32_t i = 0; i < *count; ++i)
    {
        if (entries[i].*key != value)
        {
            continue;
        }
        if (construct)
        {
            entries[i].construct = construct;
            return true;
        }
        for (int32_t j = i + 1; j < *count; ++j)
        {
            entries[j - 1] = entries[j];
        }
        --*count;
        entries[*count] = Entry{};
        return true;
    }
    if (!construct)
    {
        return true;
    }
    if (*count >= capacity)
    {
        return false;
    }
    entries[*count].*key = value;
    entries[*count].construct = construct;
    ++*count;
    return true;
}

}  // namespace

bool DialogFactory::SetMenuDialog(int32_t commandId, OwnerDialogFunction construct)
{
    return SetEntry(menuDialogs, &menuDialogCount, kMenuDialogCapacity, &MenuDialogEntry::commandId, commandId,
                    construct);
}

bool DialogFactory::SetPropertyDialog(uint32_t kind, PropertyDialogFunction construct)
{
    return SetEntry(propertyDialogs, &propertyDialogCount, kPropertyDialogCapacity, &PropertyDialogEntry::kind, kind,
                    construct);
}

OwnerDialogFunction DialogFactory::FindMenuDialog(int32_t commandId) const
{
    for (int32_t i = 0; i < menuDialogCount; ++i)
    {
        if (menuDialogs[i].commandId == commandId)
        {
            return menuDialogs[i].construct;
        }
    }
    return nullptr;
}

PropertyDialogFunction DialogFactory::FindPropertyDialog(uint32_t kind) const
{
    for (int32_t i = 0; i < propertyDialogCount; ++i)
    {
        if (propertyDialogs[i].kind == kind)
        {
            return propertyDialogs[i].construct;
        }
    }
    return nullptr;
}

DialogFactory &GetDialogFactory()
{
    static DialogFactory factory;
    return factory;
}

}  // namespace oq
