// Data exchange between a dialog's members and its controls (CDialog::UpdateData calls the
// dialog's DoDataExchange with one of these). When loading (m_bSaveAndValidate FALSE) the
// member's value goes into the control; when saving, the control's value is validated and
// stored in the member. A failed validation tells the user, moves the focus to the control,
// marks the exchange failed and makes every later DDX call of the same pass do nothing.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinMessages.h"

class CWnd;
class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control with this id (asserted to exist in the template: NULL otherwise).
    CWnd* PrepareCtrl(int id);
    // Reports a validation failure on the last prepared control.
    void Fail();
    BOOL HasFailed() const { return m_bFailed; }

private:
    CWnd* m_pLastControl = NULL;
    BOOL m_bFailed = FALSE;
};

// Binds `control` to the dialog's control `id` for as long as the dialog's widgets exist.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, CString& value);
// Whole decimal numbers; a bad or out-of-range entry fails with "Please enter an integer.".
void DDX_Text(CDataExchange* pDX, int id, int& value);
void DDX_Text(CDataExchange* pDX, int id, UINT& value);  // also DWORD
// BST_CHECKED / BST_UNCHECKED / BST_INDETERMINATE.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// The index of the checked button within the radio group that starts at `firstId` (-1 none).
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);
void DDX_LBIndex(CDataExchange* pDX, int id, int& index);
