#include "platform/wnd/Menu.h"

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text)
{
    Item item;
    item.flags = flags;
    if (!(flags & MF_SEPARATOR)) {
        item.id = id;
        item.text = text ? text : "";
    }
    m_items.push_back(item);
    return TRUE;
}

int CMenu::IndexOf(UINT item, UINT flags) const
{
    if (flags & MF_BYPOSITION)
        return item < m_items.size() ? (int)item : -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (!(m_items[i].flags & MF_SEPARATOR) && m_items[i].id == item)
            return (int)i;
    return -1;
}

int CMenu::GetMenuString(UINT item, CString& text, UINT flags) const
{
    int index = IndexOf(item, flags);
    text = index < 0 ? CString() : m_items[index].text;
    return text.GetLength();
}
