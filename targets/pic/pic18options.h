// The "Target Options" dialog of a PIC18 target: the configuration record of the target as
// drop-down lists and check boxes, one per configuration field this program edits, the
// programmer options (verify, low-voltage programming) and the start-up target box. Options
// the device lacks are disabled but keep their bits. The dialog holds no copy of the record:
// Default changes the target's record at once, OK writes the controls into it and stores it.
#pragma once

#include "app/HelpDlg.h"
#include "platform/wnd/Button.h"
#include "platform/wnd/ComboBox.h"

class CPIC18Target;

class CPic18Options : public CHelpDlg {
public:
    // Edits `target`'s record; the target is not owned.
    explicit CPic18Options(CPIC18Target* target, CWnd* parent = NULL);
    ~CPic18Options() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Each control back into its own bits of the record, then the target's SaveOptions and the
    // start-up target.
    void OnOK() override;

    // The record and device flags to the controls. Disables what the device lacks; never
    // enables a control other than "Low Voltage ISCP Enable".
    void UpdateControls();
    // Low-voltage programming needs the device's LVP bit: ticking it ticks and locks that box.
    afx_msg void OnUseLowVoltage();
    // Brown-out reset ticks the power-up timer.
    afx_msg void OnBrownOutReset();
    // Copies the board's default record over the target's at once (Cancel does not undo it).
    afx_msg void OnDefault();

    CButton m_ctlDefault;
    CButton m_ctlVerify;
    CButton m_ctlUseLowVoltage;
    CComboBox m_ctlOscillator;
    CButton m_ctlOscSwitch;
    CComboBox m_ctlBrownOutVoltage;
    CButton m_ctlBrownOut;
    CButton m_ctlPowerUpTimer;
    CButton m_ctlWatchdog;
    CComboBox m_ctlPostscale;
    CButton m_ctlCcp2Mux;
    CButton m_ctlDebugger;
    CButton m_ctlLowVoltageIcsp;
    CButton m_ctlStackReset;
    // Data EEPROM, boot block and blocks 0-3 (1053-1058).
    CButton m_ctlCodeProtect[6];
    CButton m_ctlWriteProtectEeprom;
    CButton m_ctlWriteProtectConfig;
    // Write protection of the boot block and blocks 0-3, then table read protection of the
    // same (1064-1073).
    CButton m_ctlProtect[10];
    CPIC18Target* m_pTarget;

    DECLARE_MESSAGE_MAP()

private:
    CButton* Box(int id);
    CComboBox* Combo(int id);
    void FillLists();
    void DisableMissingOptions(WORD flags);
};
