// The peer of a push button, check box or radio button.
#pragma once

#include <QAbstractButton>

#include "platform/qt/QtWidgetPeer.h"
#include "platform/wnd/IButtonPeer.h"

class CQtButtonPeer : public CQtWidgetPeer, public IButtonPeer {
public:
    explicit CQtButtonPeer(QAbstractButton* button) : CQtWidgetPeer(button), m_button(button) {}

    int GetCheck() const override;
    void SetCheck(int check) override;
    BOOL IsChecked() const override;
    void SetChecked(BOOL checked) override;
    void Click() override;
    IButtonPeer* AsButton() override { return this; }

private:
    QAbstractButton* m_button;
};
