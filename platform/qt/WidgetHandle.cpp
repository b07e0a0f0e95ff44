#include "platform/qt/WidgetHandle.h"

#include <QApplication>

bool HasWidgetApplication()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

bool IsInteractiveGui()
{
    if (!HasWidgetApplication())
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}
