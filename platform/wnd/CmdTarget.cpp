#include "platform/wnd/CmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, NULL}};
    static const AFX_MSGMAP messageMap = {NULL, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, WPARAM wParam) const
{
    UINT code = HIWORD(wParam);
    UINT id = LOWORD(wParam);
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : NULL) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry && entry->nMessage != 0; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (message == WM_COMMAND && (entry->nCode != code || entry->nID != id))
                continue;
            return entry;
        }
    }
    return NULL;
}

BOOL CCmdTarget::DispatchMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, wParam);
    if (!entry)
        return FALSE;
    LRESULT value = entry->pfn(this, wParam, lParam);
    if (result)
        *result = value;
    return TRUE;
}
