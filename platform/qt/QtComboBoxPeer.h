// The peer of a drop-down list.
#pragma once

#include <QComboBox>

#include "platform/qt/QtWidgetPeer.h"
#include "platform/wnd/IComboBoxPeer.h"

class CQtComboBoxPeer : public CQtWidgetPeer, public IComboBoxPeer {
public:
    explicit CQtComboBoxPeer(QComboBox* combo) : CQtWidgetPeer(combo), m_combo(combo) {}

    int Add(LPCSTR text) override;
    void Insert(int index, LPCSTR text) override;
    void Delete(int index) override;
    void Clear() override;
    int Count() const override { return m_combo->count(); }
    int CurrentIndex() const override { return m_combo->currentIndex(); }
    void SetCurrentIndex(int index) override;
    DWORD_PTR ItemData(int index) const override;
    void SetItemData(int index, DWORD_PTR data) override;
    CString ItemText(int index) const override;
    int Find(int startAfter, LPCSTR text, BOOL exact) const override;
    void UserSelect(int index) override;
    IComboBoxPeer* AsComboBox() override { return this; }

private:
    bool IsSorted() const;
    std::string Text(int index) const;

    QComboBox* m_combo;
};
