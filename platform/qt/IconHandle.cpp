#include "platform/qt/IconHandle.h"

#include <QGuiApplication>
#include <QPixmap>
#include <map>
#include <memory>

namespace {

std::map<HICON, std::unique_ptr<QIcon>>& Images()
{
    static std::map<HICON, std::unique_ptr<QIcon>> images;
    return images;
}

}  // namespace

const QIcon* IconFromHandle(HICON icon)
{
    if (!icon || !qGuiApp)
        return nullptr;
    std::unique_ptr<QIcon>& image = Images()[icon];
    if (!image) {
        const char* const* xpm = IconImageOf(icon);
        if (!xpm) {
            Images().erase(icon);
            return nullptr;
        }
        image = std::make_unique<QIcon>(QPixmap(xpm));
    }
    return image.get();
}
