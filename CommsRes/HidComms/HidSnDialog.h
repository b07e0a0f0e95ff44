// The picker shown when several boards of one kind are plugged in: their serial-number strings
// in the order found, the first one selected; OK or a double click takes the selected one.
// A plain dialog: it has no help of its own.
#pragma once

#include "platform/base/CString.h"
#include "platform/wnd/Dialog.h"
#include "platform/wnd/ListBox.h"

class CHidSnDialog : public CDialog {
public:
    explicit CHidSnDialog(CWnd* parent = NULL);

    // The strings to show; the caller keeps them alive while the dialog runs.
    void SetList(CString* serials, int count);
    // The list position confirmed with OK; -1 before (or after Cancel).
    int GetSelection() const { return m_nSelection; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    CListBox m_List;
    CString* m_pSerials = NULL;
    int m_nCount = 0;
    int m_nSelection = -1;

    DECLARE_MESSAGE_MAP()
};
