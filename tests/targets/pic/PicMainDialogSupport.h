// What the PIC boards' dialog tests share: the file dialogs' filters and flags, the main window
// and the options dialogs run with a script, and a combo box's selected text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainDialog.h"
#include "app/QuilletApp.h"
#include "platform/base/WinMessages.h"
#include "platform/testing/DialogDriver.h"
#include "platform/testing/ModalScript.h"
#include "platform/wnd/ComboBox.h"
#include "res/resource.h"
#include "targets/TargetBase.h"
#include "tests/support/ListEntries.h"

namespace pictest {

inline const char kLoadFilter[] = "Intel Hex Files (*.hex)|*.hex|All Files (*.*)|*.*||";
inline const char kSaveFilter[] = "Intel Hex Files (*.hex)|*.hex|.bin Files|*.bin|All Files (*.*)|*.*||";
inline const DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

// Runs the main dialog as the application's main window with `body`, then closes it; `script`
// holds what the dialogs `body` opens do.
inline void RunMainDialog(CModalScript& script, std::function<void(CDialog&, CDialogDriver&)> body)
{
    script.Expect(IDD_MAIN_DIALOG, [&](CDialog& dialog) {
        CDialogDriver driver(dialog);
        body(dialog, driver);
        driver.Close();
    });
    CMainDialog main;
    ITargetHost* previous = theApp.m_pMainDialog;
    theApp.m_pMainDialog = &main;
    main.DoModal();
    theApp.m_pMainDialog = previous;
    script.VerifyAndClear();
}

// Opens `target`'s options dialog `dialogId`, reads it with `read`, runs `act`, reads it again
// into `after` (where given), then presses `button`; returns the first reading.
template <class Shown>
Shown RunOptions(CModalScript& script, int dialogId, CTargetBase& target, Shown (*read)(CDialog&),
                 std::function<void(CDialogDriver&)> act, int button, Shown* after = nullptr)
{
    Shown shown;
    script.Expect(dialogId, [&](CDialog& dialog) {
        shown = read(dialog);
        CDialogDriver driver(dialog);
        if (act)
            act(driver);
        if (after)
            *after = read(dialog);
        EXPECT_TRUE(driver.Click(button));
    });
    EXPECT_EQ(target.ShowOptions(), button == IDOK ? 1 : 0);
    script.VerifyAndClear();
    return shown;
}

inline std::string SelectedText(CDialog& dialog, int id)
{
    CComboBox* combo = (CComboBox*)dialog.GetDlgItem(id);
    CString text;
    combo->GetLBText(combo->GetCurSel(), text);
    return text.str();
}

}  // namespace pictest
