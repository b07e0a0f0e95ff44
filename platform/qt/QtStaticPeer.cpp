#include "platform/qt/QtStaticPeer.h"

#include "platform/qt/IconHandle.h"

HICON CQtStaticPeer::SetIcon(HICON icon)
{
    HICON previous = (HICON)m_label->property("quilletIcon").value<quintptr>();
    m_label->setProperty("quilletIcon", QVariant::fromValue((quintptr)icon));
    if (const QIcon* image = IconFromHandle(icon))
        m_label->setPixmap(image->pixmap(32, 32));
    return previous;
}
