// The peer of a static control (a label).
#pragma once

#include <QLabel>

#include "platform/qt/QtWidgetPeer.h"
#include "platform/wnd/IStaticPeer.h"

class CQtStaticPeer : public CQtWidgetPeer, public IStaticPeer {
public:
    explicit CQtStaticPeer(QLabel* label) : CQtWidgetPeer(label), m_label(label) {}

    HICON SetIcon(HICON icon) override;
    // A label is also a window with icons of its own (CWnd::SetIcon).
    using CQtWidgetPeer::SetIcon;
    IStaticPeer* AsStatic() override { return this; }

private:
    QLabel* m_label;
};
