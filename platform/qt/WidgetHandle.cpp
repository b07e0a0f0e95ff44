#include "platform/qt/WidgetHandle.h"

#include <QApplication>

#include "platform/qt/QtButtonPeer.h"
#include "platform/qt/QtComboBoxPeer.h"
#include "platform/qt/QtEditPeer.h"
#include "platform/qt/QtListBoxPeer.h"
#include "platform/qt/QtProgressPeer.h"
#include "platform/qt/QtStaticPeer.h"
#include "platform/wnd/WindowHandle.h"

namespace {

const char kPeerProperty[] = "quilletPeer";

CQtWidgetPeer* MakePeer(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return new CQtButtonPeer(button);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return new CQtComboBoxPeer(combo);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return new CQtEditPeer(edit);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return new CQtStaticPeer(label);
    if (auto* list = qobject_cast<CListBoxView*>(widget))
        return new CQtListBoxPeer(list);
    if (auto* bar = qobject_cast<CProgressBarWidget*>(widget))
        return new CQtProgressPeer(bar);
    return new CQtWidgetPeer(widget);
}

}  // namespace

QWidget* WidgetOf(HWND hWnd)
{
    auto* peer = dynamic_cast<CQtWidgetPeer*>(PeerOf(hWnd));
    return peer ? peer->Widget() : nullptr;
}

HWND HandleOf(QWidget* widget)
{
    if (!widget)
        return NULL;
    auto* peer = reinterpret_cast<CQtWidgetPeer*>(widget->property(kPeerProperty).value<quintptr>());
    if (!peer) {
        // A child of the widget, so it goes with it.
        peer = MakePeer(widget);
        widget->setProperty(kPeerProperty, QVariant::fromValue((quintptr)peer));
    }
    return HandleOfPeer(peer);
}

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
