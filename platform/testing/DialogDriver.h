// Drives a running dialog the way a user would, for modal-script handlers and GUI tests. Each
// action goes through the real widgets, so disabled or hidden controls refuse it (the action
// returns FALSE) and the dialog's message map sees exactly the notifications a user's action
// would send.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinMessages.h"

class CDialog;

class CDialogDriver {
public:
    explicit CDialogDriver(CDialog& dialog) : m_dialog(dialog) {}

    // A mouse click on a button: toggles auto check boxes, checks auto radio buttons, sends
    // BN_CLICKED. FALSE if the control is missing, disabled or hidden.
    BOOL Click(int id);
    // The user picks entry `index` of a combo box (CBN_SELCHANGE follows).
    BOOL Select(int comboId, int index);
    // The user picks the first entry starting with `text`.
    BOOL SelectText(int comboId, LPCSTR text);
    // The user selects list box entries: a plain click on `index`; with `extend`, a ctrl+click
    // that toggles it (extended selection). LBN_SELCHANGE follows.
    BOOL SelectListItem(int listId, int index, BOOL extend = FALSE);
    // The user double-clicks list box entry `index`: it is selected, then LBN_DBLCLK follows
    // (with the notify style).
    BOOL DoubleClickListItem(int listId, int index);
    // The user replaces an edit control's text (EN_CHANGE follows).
    BOOL Type(int editId, LPCSTR text);
    // Keys as the user presses them: VK_F1 (with Shift held when `shift`), VK_RETURN,
    // VK_ESCAPE. FALSE when the key did nothing.
    BOOL PressKey(int virtualKey, BOOL shift = FALSE);
    // In context-help mode, the click on a control that asks for its popup (WM_HELP).
    BOOL ContextHelpClick(int id);
    // Picks an item of the dialog's window menu (WM_SYSCOMMAND); FALSE if it has no such item.
    BOOL SystemMenu(UINT commandId);
    // The close box of the title bar.
    void Close();

    BOOL IsEnabled(int id) const;
    BOOL IsVisible(int id) const;
    CString Text(int id) const;
    // The dialog's control with keyboard focus, or 0.
    int FocusedId() const;

private:
    CDialog& m_dialog;
};
