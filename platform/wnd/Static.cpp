#include "platform/wnd/Static.h"

#include <QLabel>

#include "platform/qt/IconHandle.h"
#include "platform/qt/WidgetHandle.h"

HICON CStatic::SetIcon(HICON icon)
{
    auto* label = qobject_cast<QLabel*>(WidgetOf(m_hWnd));
    if (!label)
        return NULL;
    HICON previous = (HICON)label->property("quilletIcon").value<quintptr>();
    label->setProperty("quilletIcon", QVariant::fromValue((quintptr)icon));
    if (const QIcon* image = IconFromHandle(icon))
        label->setPixmap(image->pixmap(32, 32));
    return previous;
}
