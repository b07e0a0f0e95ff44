#include "platform/qt/QtWidgetPeer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/DialogWindowPeer.h"
#include "platform/qt/IconHandle.h"
#include "platform/qt/WidgetHandle.h"
#include "platform/wnd/Wnd.h"

namespace {

const char kRedrawOffProperty[] = "quilletRedrawOff";
const char kBigIconProperty[] = "quilletBigIcon";
const char kSmallIconProperty[] = "quilletSmallIcon";

CDialogWindowPeer* PeerContaining(QWidget* widget)
{
    return widget ? qobject_cast<CDialogWindowPeer*>(widget->window()) : nullptr;
}

}  // namespace

CQtWidgetPeer::CQtWidgetPeer(QWidget* widget) : QObject(widget), m_widget(widget) {}

CWnd* CQtWidgetPeer::ObjectForWidget(QWidget* widget)
{
    if (!widget)
        return NULL;
    if (CWnd* bound = CWnd::FromHandlePermanent(HandleOf(widget)))
        return bound;
    CDialogWindowPeer* peer = PeerContaining(widget);
    if (!peer)
        return NULL;
    if (CDialogWindowPeer::Control* control = peer->ControlOfWidget(widget))
        return peer->ObjectForControl(*control);
    return NULL;
}

BOOL CQtWidgetPeer::IsEnabled() const
{
    return m_widget->isEnabled();
}

void CQtWidgetPeer::SetEnabled(BOOL enable)
{
    m_widget->setEnabled(enable != FALSE);
}

BOOL CQtWidgetPeer::IsHidden() const
{
    return m_widget->isHidden();
}

BOOL CQtWidgetPeer::IsVisible() const
{
    return m_widget->isVisible();
}

BOOL CQtWidgetPeer::IsTopLevel() const
{
    return m_widget->isWindow();
}

void CQtWidgetPeer::Show(int command)
{
    switch (command) {
    case SW_HIDE: m_widget->hide(); break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED: m_widget->showMinimized(); break;
    case SW_MAXIMIZE: m_widget->showMaximized(); break;
    case SW_RESTORE: m_widget->showNormal(); break;
    default: m_widget->setVisible(true); break;
    }
}

CWnd* CQtWidgetPeer::SetFocus()
{
    QWidget* previous = m_widget->window()->focusWidget();
    m_widget->setFocus(Qt::OtherFocusReason);
    return ObjectForWidget(previous);
}

CString CQtWidgetPeer::GetText() const
{
    QString value;
    if (m_widget->isWindow())
        value = m_widget->windowTitle();
    else if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        value = button->text();
    else if (auto* label = qobject_cast<QLabel*>(m_widget))
        value = label->text();
    else if (auto* edit = qobject_cast<QLineEdit*>(m_widget))
        value = edit->text();
    else if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        value = group->title();
    else if (auto* combo = qobject_cast<QComboBox*>(m_widget))
        value = combo->currentText();
    return CString(value.toUtf8().toStdString());
}

void CQtWidgetPeer::SetText(LPCSTR text)
{
    QString value = QString::fromUtf8(text ? text : "");
    if (m_widget->isWindow())
        m_widget->setWindowTitle(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(m_widget))
        button->setText(value);
    else if (auto* label = qobject_cast<QLabel*>(m_widget))
        label->setText(value);
    else if (auto* edit = qobject_cast<QLineEdit*>(m_widget))
        edit->setText(value);
    else if (auto* group = qobject_cast<QGroupBox*>(m_widget))
        group->setTitle(value);
}

int CQtWidgetPeer::ControlId() const
{
    if (m_widget->isWindow())
        return 0;
    QVariant id = m_widget->property("quilletId");
    return id.isValid() ? id.toInt() : 0;
}

CWnd* CQtWidgetPeer::OwnerDialog() const
{
    if (m_widget->isWindow())
        return NULL;
    CDialogWindowPeer* peer = PeerContaining(m_widget);
    return peer ? (CWnd*)peer->Owner() : NULL;
}

void CQtWidgetPeer::GetClientSize(int& width, int& height) const
{
    QSize size = m_widget->size();
    if (auto* frame = qobject_cast<QFrame*>(m_widget))
        size = frame->contentsRect().size();
    width = size.width();
    height = size.height();
}

RECT CQtWidgetPeer::ScreenRect() const
{
    QPoint origin = m_widget->mapToGlobal(QPoint(0, 0));
    return {origin.x(), origin.y(), origin.x() + m_widget->width(), origin.y() + m_widget->height()};
}

void CQtWidgetPeer::SetGeometry(int x, int y, int width, int height, BOOL repaint)
{
    m_widget->setGeometry(x, y, width, height);
    if (repaint)
        m_widget->update();
}

void CQtWidgetPeer::SetRedraw(BOOL redraw)
{
    bool off = m_widget->property(kRedrawOffProperty).toBool();
    if (off == !redraw)
        return;
    m_widget->setProperty(kRedrawOffProperty, !redraw);
    OnRedrawChanged(redraw);
    m_widget->setUpdatesEnabled(redraw != FALSE);
}

void CQtWidgetPeer::Invalidate()
{
    m_widget->update();
}

void CQtWidgetPeer::UpdateNow()
{
    if (m_widget->isVisible())
        m_widget->repaint();
}

BOOL CQtWidgetPeer::Post(std::function<void()> task)
{
    if (!qApp)
        return FALSE;
    QPointer<QWidget> target(m_widget);
    QMetaObject::invokeMethod(
        qApp,
        [target, task = std::move(task)] {
            if (target)
                task();
        },
        Qt::QueuedConnection);
    return TRUE;
}

HICON CQtWidgetPeer::SetIcon(HICON icon, BOOL bigIcon)
{
    const char* property = bigIcon ? kBigIconProperty : kSmallIconProperty;
    HICON previous = (HICON)m_widget->property(property).value<quintptr>();
    m_widget->setProperty(property, QVariant::fromValue((quintptr)icon));
    if (const QIcon* qicon = IconFromHandle(icon))
        m_widget->setWindowIcon(*qicon);
    return previous;
}

HICON CQtWidgetPeer::GetIcon(BOOL bigIcon) const
{
    return (HICON)m_widget->property(bigIcon ? kBigIconProperty : kSmallIconProperty).value<quintptr>();
}

IDialogPeer* CQtWidgetPeer::AsDialog()
{
    return qobject_cast<CDialogWindowPeer*>(m_widget);
}
