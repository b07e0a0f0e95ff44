// The peer of a widget: the generic window operations on any widget, and the base of the
// peers of each control kind. It is a child object of its widget, so it lives exactly as long
// as the widget does; HandleOf (WidgetHandle.h) creates the peer of the right kind.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "platform/wnd/IWindowPeer.h"

class CQtWidgetPeer : public QObject, public IWindowPeer {
public:
    explicit CQtWidgetPeer(QWidget* widget);

    QWidget* Widget() const { return m_widget; }

    BOOL IsEnabled() const override;
    void SetEnabled(BOOL enable) override;
    BOOL IsHidden() const override;
    BOOL IsVisible() const override;
    BOOL IsTopLevel() const override;
    void Show(int command) override;
    CWnd* SetFocus() override;
    CString GetText() const override;
    void SetText(LPCSTR text) override;
    int ControlId() const override;
    CWnd* OwnerDialog() const override;
    void GetClientSize(int& width, int& height) const override;
    RECT ScreenRect() const override;
    void SetGeometry(int x, int y, int width, int height, BOOL repaint) override;
    void SetRedraw(BOOL redraw) override;
    void Invalidate() override;
    void UpdateNow() override;
    BOOL Post(std::function<void()> task) override;
    HICON SetIcon(HICON icon, BOOL bigIcon) override;
    HICON GetIcon(BOOL bigIcon) const override;
    IDialogPeer* AsDialog() override;

    // The object that stands for `widget`: the object bound to it, else the stand-in its
    // dialog keeps for the control it belongs to. NULL for a widget of no dialog.
    static CWnd* ObjectForWidget(QWidget* widget);

protected:
    // Lets a list box suspend its per-entry updates with the painting.
    virtual void OnRedrawChanged(BOOL) {}

private:
    QWidget* m_widget;
};
