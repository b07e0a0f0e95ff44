#include "platform/qt/IconHandle.h"

#include <QGuiApplication>
#include <QPixmap>
#include <map>
#include <memory>

#include "res/Icons.h"

namespace {

struct IconResource {
    const char* const* xpm = nullptr;
    std::unique_ptr<QIcon> icon;
};

std::map<UINT, IconResource>& Icons()
{
    static std::map<UINT, IconResource> icons;
    return icons;
}

} // namespace

HICON IconHandleForResource(UINT id)
{
    const char* const* xpm = FindIconResource(id);
    if (!xpm)
        return NULL;
    IconResource& entry = Icons()[id];
    entry.xpm = xpm;
    return reinterpret_cast<HICON>(&entry);
}

const QIcon* IconFromHandle(HICON icon)
{
    if (!icon || !qGuiApp)
        return nullptr;
    for (auto& [id, entry] : Icons()) {
        if (reinterpret_cast<HICON>(&entry) != icon)
            continue;
        if (!entry.icon)
            entry.icon = std::make_unique<QIcon>(QPixmap(entry.xpm));
        return entry.icon.get();
    }
    return nullptr;
}
