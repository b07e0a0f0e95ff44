// The "Target Options" dialog of a PIC16 target: the target's configuration/options word as
// check boxes and two lists, with only the options its capability word allows enabled, a
// Default button, the brown-out / power-up timer link and the start-up target box.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"

class CPIC16Target;

class CPic16Options : public CHelpDlg {
public:
    // Edits `target`'s word; the target is not owned.
    explicit CPic16Options(CPIC16Target* target, CWnd* parent = NULL);
    ~CPic16Options() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Rebuilds the word from the controls, hands it to the target's SaveOptions and records
    // whether this target is the start-up target.
    void OnOK() override;

    // Shows the target's current word and capability.
    void ConfigToControls();
    // Puts the target's default word in force at once (Cancel does not undo it) and shows it.
    afx_msg void OnDefault();
    // Brown-out reset needs the power-up timer: checking the one checks the other.
    afx_msg void OnBrownOut();

    CButton m_ctlFastMode;
    CButton m_ctlVerify;
    CButton m_ctlPowerUpTimer;
    CButton m_ctlWatchdog;
    CButton m_ctlDefault;
    CComboBox m_ctlOscillator;
    CButton m_ctlLowVoltage;
    CButton m_ctlWriteEnable;
    CButton m_ctlEepromProtect;
    CButton m_ctlBrownOut;
    CComboBox m_ctlCodeProtect;
    CPIC16Target* m_pTarget;

    DECLARE_MESSAGE_MAP()

private:
    void FillCodeProtection(WORD capability, WORD config);
    // Sets a check box from a bit when the capability allows the option, else disables it.
    static void ShowBit(CButton& box, BOOL enabled, BOOL checked);
};
