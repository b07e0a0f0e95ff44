// Asks whether Clear Buffer clears every module or only the selected ones. There is no OK or
// Cancel button: a choice ends the dialog with IDOK, Esc and the close box with IDCANCEL.
#pragma once

#include "app/HelpDlg.h"

class CClearChoice : public CHelpDlg {
public:
    enum { choiceWholeBuffer = 0, choiceSelectedOnly = 1 };

    explicit CClearChoice(CWnd* parent = NULL);

    // choiceWholeBuffer or choiceSelectedOnly; meaningful only after DoModal gave IDOK.
    int GetChoice() const { return m_nChoice; }

protected:
    afx_msg void OnClearWhole();
    afx_msg void OnClearSelected();

    DECLARE_MESSAGE_MAP()

private:
    int m_nChoice = choiceWholeBuffer;
};
