// A menu as a list of items. The only menu the system has is a dialog's window menu, which the
// Linux build shows as the dialog's context menu (right click on the dialog's background, or
// Shift+F10, the Menu key or Alt+Space); choosing an item sends WM_SYSCOMMAND with its id.
#pragma once

#include <vector>

#include "platform/base/CString.h"
#include "platform/base/WinMessages.h"

class CMenu {
public:
    struct Item {
        UINT flags = MF_STRING;  // MF_STRING, MF_SEPARATOR, MF_GRAYED ...
        UINT_PTR id = 0;
        CString text;  // '&' marks the mnemonic, "\t" precedes the shortcut text
    };

    // Adds an item at the end. A separator ignores `id` and `text`. Always succeeds.
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = NULL);
    void RemoveAll() { m_items.clear(); }
    // Text of the item at `position` (MF_BYPOSITION) or with command id `item`; its length.
    int GetMenuString(UINT item, CString& text, UINT flags) const;
    const std::vector<Item>& Items() const { return m_items; }

private:
    int IndexOf(UINT item, UINT flags) const;

    std::vector<Item> m_items;
};
