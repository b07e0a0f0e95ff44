#include "platform/wnd/IconResource.h"

#include <map>

#include "platform/base/ResourceTables.h"

namespace {

// The entries' addresses are the handles, so they must never move: std::map keeps them.
std::map<UINT, const char* const*>& Icons()
{
    static std::map<UINT, const char* const*> icons;
    return icons;
}

}  // namespace

HICON IconHandleForResource(UINT id)
{
    const ResourceTables* tables = ResourceTablesSlot().Get();
    const char* const* xpm = tables ? tables->findIcon(id) : NULL;
    if (!xpm)
        return NULL;
    auto& entry = *Icons().emplace(id, xpm).first;
    return reinterpret_cast<HICON>(&entry.second);
}

const char* const* IconImageOf(HICON icon)
{
    if (!icon)
        return NULL;
    for (auto& [id, xpm] : Icons())
        if (reinterpret_cast<HICON>(&xpm) == icon)
            return xpm;
    return NULL;
}
