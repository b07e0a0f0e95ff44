// The peer of a single-line edit control.
#pragma once

#include <QLineEdit>

#include "platform/qt/QtWidgetPeer.h"
#include "platform/wnd/IEditPeer.h"

class CQtEditPeer : public CQtWidgetPeer, public IEditPeer {
public:
    explicit CQtEditPeer(QLineEdit* edit) : CQtWidgetPeer(edit), m_edit(edit) {}

    void SetReadOnly(BOOL readOnly) override { m_edit->setReadOnly(readOnly != FALSE); }
    BOOL IsReadOnly() const override { return m_edit->isReadOnly(); }
    void SetSel(int start, int end) override;
    void GetSel(int& start, int& end) const override;
    void ReplaceSel(LPCSTR text) override;
    void LimitText(int maxChars) override;
    IEditPeer* AsEdit() override { return this; }

private:
    QLineEdit* m_edit;
};
