#include "targets/pic/pic16options.h"

#include "app/QuilletApp.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/pic/PIC16Target.h"

namespace {

const char* const kOscillators[] = {"LP Oscillator", "XT Oscillator", "HS Oscillator", "RC Oscillator"};

struct Protection {
    const char* text;
    WORD value;        // bits 5:4, repeated in bits 13:12
    WORD minimumSize;  // lowest FLASH size code (capability bits 1:0) that offers it
};

// In list order. FLASH size code 3 has no size and offers the first entry only.
const Protection kProtections[] = {
    {"Protect Disabled", 3, 0},
    {"Protect 0x1F00 to 0x1FFF", 2, 2},
    {"Protect 0x1000 to 0x1FFF", 1, 2},
    {"Protect 0x0000 to 0x1FFF", 0, 1},
};

WORD ProtectionBits(WORD value)
{
    return (WORD)((value << 4) | (value << 12));
}

BOOL IsOffered(const Protection& entry, WORD capability)
{
    WORD size = capability & CPIC16Target::capFlashSizeMask;
    return entry.minimumSize == 0 || (size != 3 && size >= entry.minimumSize);
}

}  // namespace

BEGIN_MESSAGE_MAP(CPic16Options, CHelpDlg)
    ON_BN_CLICKED(IDC_PIC16_RESTORE_DEFAULT, OnDefault)
    ON_BN_CLICKED(IDC_PIC16_BROWN_OUT, OnBrownOut)
END_MESSAGE_MAP()

CPic16Options::CPic16Options(CPIC16Target* target, CWnd* parent)
    : CHelpDlg(IDD_PIC16_OPTIONS, parent), m_pTarget(target)
{
}

CPic16Options::~CPic16Options() = default;

void CPic16Options::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PIC16_FAST_MODE, m_ctlFastMode);
    DDX_Control(pDX, IDC_PIC16_VERIFY, m_ctlVerify);
    DDX_Control(pDX, IDC_PIC16_POWER_UP_TIMER, m_ctlPowerUpTimer);
    DDX_Control(pDX, IDC_PIC16_WATCHDOG, m_ctlWatchdog);
    DDX_Control(pDX, IDC_DEFAULT_TARGET, m_ctlDefault);
    DDX_Control(pDX, IDC_PIC16_OSCILLATOR, m_ctlOscillator);
    DDX_Control(pDX, IDC_PIC16_LOW_VOLTAGE, m_ctlLowVoltage);
    DDX_Control(pDX, IDC_PIC16_WRITE_ENABLE, m_ctlWriteEnable);
    DDX_Control(pDX, IDC_PIC16_EEPROM_PROTECT, m_ctlEepromProtect);
    DDX_Control(pDX, IDC_PIC16_BROWN_OUT, m_ctlBrownOut);
    DDX_Control(pDX, IDC_PIC16_CODE_PROTECT, m_ctlCodeProtect);
}

BOOL CPic16Options::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    ConfigToControls();
    return TRUE;
}

void CPic16Options::ShowBit(CButton& box, BOOL enabled, BOOL checked)
{
    if (!enabled) {
        box.EnableWindow(FALSE);
        return;
    }
    box.SetCheck(checked ? BST_CHECKED : BST_UNCHECKED);
}

void CPic16Options::ConfigToControls()
{
    if (!m_pTarget)
        return;
    m_ctlDefault.SetCheck((theApp.m_dwOptions & 0xFF) == m_pTarget->GetId() ? BST_CHECKED : BST_UNCHECKED);

    const WORD capability = m_pTarget->GetCapability();
    const WORD config = m_pTarget->GetConfig();
    using T = CPIC16Target;
    ShowBit(m_ctlVerify, TRUE, config & T::cfgVerify);
    ShowBit(m_ctlFastMode, capability & T::capFastMode, config & T::cfgFastMode);
    ShowBit(m_ctlPowerUpTimer, capability & T::capPowerUpTimer, !(config & T::cfgPowerUpTimerOff));
    ShowBit(m_ctlWatchdog, capability & T::capWatchdog, config & T::cfgWatchdog);
    ShowBit(m_ctlLowVoltage, capability & T::capLowVoltage, config & T::cfgLowVoltage);
    ShowBit(m_ctlWriteEnable, TRUE, config & T::cfgWriteEnable);
    ShowBit(m_ctlEepromProtect, capability & (T::capEeprom128 | T::capEeprom256), !(config & T::cfgEepromUnprotected));
    ShowBit(m_ctlBrownOut, capability & T::capBrownOut, config & T::cfgBrownOut);

    m_ctlOscillator.ResetContent();
    for (const char* text : kOscillators)
        m_ctlOscillator.AddString(text);
    m_ctlOscillator.SetCurSel(config & T::cfgOscillatorMask);

    FillCodeProtection(capability, config);
}

void CPic16Options::FillCodeProtection(WORD capability, WORD config)
{
    m_ctlCodeProtect.ResetContent();
    const char* shown = kProtections[0].text;
    WORD value = (WORD)((config & CPIC16Target::cfgCodeProtectLow) >> 4);
    for (const Protection& entry : kProtections) {
        if (!IsOffered(entry, capability))
            continue;
        m_ctlCodeProtect.AddString(entry.text);
        if (entry.value == value)
            shown = entry.text;
    }
    // Found by its text, so the entry is right whatever the list holds; a value the device
    // does not offer shows as "Protect Disabled".
    int index = m_ctlCodeProtect.FindStringExact(-1, shown);
    m_ctlCodeProtect.SetCurSel(index == CB_ERR ? 0 : index);
}

void CPic16Options::OnOK()
{
    if (m_pTarget) {
        using T = CPIC16Target;
        WORD word = 0;
        if (m_ctlPowerUpTimer.GetCheck() != BST_CHECKED)
            word |= T::cfgPowerUpTimerOff;
        if (m_ctlWatchdog.GetCheck() == BST_CHECKED)
            word |= T::cfgWatchdog;
        if (m_ctlLowVoltage.GetCheck() == BST_CHECKED)
            word |= T::cfgLowVoltage;
        if (m_ctlWriteEnable.GetCheck() == BST_CHECKED)
            word |= T::cfgWriteEnable;
        if (m_ctlEepromProtect.GetCheck() != BST_CHECKED)
            word |= T::cfgEepromUnprotected;
        if (m_ctlBrownOut.GetCheck() == BST_CHECKED)
            word |= T::cfgBrownOut;
        int oscillator = m_ctlOscillator.GetCurSel();
        word |= (WORD)((oscillator < 0 ? 0 : oscillator) & T::cfgOscillatorMask);

        // The selected entry's value, looked up by its text, so that every entry is stored as
        // the bits under which it is shown again.
        CString selected;
        m_ctlCodeProtect.GetLBText(m_ctlCodeProtect.GetCurSel(), selected);
        WORD protection = kProtections[0].value;
        for (const Protection& entry : kProtections) {
            if (selected == entry.text)
                protection = entry.value;
        }
        word |= ProtectionBits(protection);

        if (m_ctlVerify.GetCheck() == BST_CHECKED)
            word |= T::cfgVerify;
        if (m_ctlFastMode.GetCheck() == BST_CHECKED)
            word |= T::cfgFastMode;

        m_pTarget->SetConfig(word);
        m_pTarget->SaveOptions();
        int id = m_pTarget->GetId();
        theApp.SaveAppOptions(m_ctlDefault.GetCheck() == BST_CHECKED ? id : -id);
    }
    CHelpDlg::OnOK();
}

void CPic16Options::OnDefault()
{
    if (!m_pTarget)
        return;
    m_pTarget->SetConfig(m_pTarget->GetDefaultConfig());
    ConfigToControls();
}

void CPic16Options::OnBrownOut()
{
    if (m_ctlBrownOut.GetCheck() == BST_CHECKED)
        m_ctlPowerUpTimer.SetCheck(BST_CHECKED);
}
