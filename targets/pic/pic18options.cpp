#include "targets/pic/pic18options.h"

#include "app/QuilletApp.h"
#include "platform/wnd/DataExchange.h"
#include "res/resource.h"
#include "targets/pic/PIC18Target.h"

namespace {

using Config = PIC18Config;

// Byte 14 of the record, for the table below, is the low byte of the options word.
const int kOptionsLow = Config::kConfigBytes;

// A check box and its bit: ticked means 1, or 0 where `inverted` (for the protection bits:
// ticked = protected).
struct BoxBit {
    int id;
    int byte;
    BYTE mask;
    bool inverted;
};

const BoxBit kBoxBits[] = {
    {IDC_PIC18_OSC_SWITCH, Config::config1H, 0x20, true},
    {IDC_PIC18_BROWN_OUT, Config::config2L, 0x02, false},
    {IDC_PIC18_POWER_UP_TIMER, Config::config2L, 0x01, true},
    {IDC_PIC18_WATCHDOG, Config::config2H, 0x01, false},
    {IDC_PIC18_CCP2_MUX, Config::config3H, 0x01, false},
    {IDC_PIC18_STACK_RESET, Config::config4L, 0x01, false},
    {IDC_PIC18_LVP, Config::config4L, Config::kLvpBit, false},
    {IDC_PIC18_DEBUGGER, Config::config4L, 0x80, true},
    {IDC_PIC18_CODE_PROTECT_FIRST, Config::config5H, 0x80, true},
    {IDC_PIC18_CODE_PROTECT_FIRST + 1, Config::config5H, 0x40, true},
    {IDC_PIC18_CODE_PROTECT_FIRST + 2, Config::config5L, 0x01, true},
    {IDC_PIC18_CODE_PROTECT_FIRST + 3, Config::config5L, 0x02, true},
    {IDC_PIC18_CODE_PROTECT_FIRST + 4, Config::config5L, 0x04, true},
    {IDC_PIC18_CODE_PROTECT_FIRST + 5, Config::config5L, 0x08, true},
    {IDC_PIC18_WRITE_PROTECT_EEPROM, Config::config6H, 0x80, true},
    {IDC_PIC18_WRITE_PROTECT_CONFIG, Config::config6H, 0x20, true},
    {IDC_PIC18_PROTECT_FIRST, Config::config6H, 0x40, true},
    {IDC_PIC18_PROTECT_FIRST + 1, Config::config6L, 0x01, true},
    {IDC_PIC18_PROTECT_FIRST + 2, Config::config6L, 0x02, true},
    {IDC_PIC18_PROTECT_FIRST + 3, Config::config6L, 0x04, true},
    {IDC_PIC18_PROTECT_FIRST + 4, Config::config6L, 0x08, true},
    {IDC_PIC18_READ_PROTECT_BOOT, Config::config7H, 0x40, true},
    {IDC_PIC18_READ_PROTECT_BOOT + 1, Config::config7L, 0x01, true},
    {IDC_PIC18_READ_PROTECT_BOOT + 2, Config::config7L, 0x02, true},
    {IDC_PIC18_READ_PROTECT_BOOT + 3, Config::config7L, 0x04, true},
    {IDC_PIC18_READ_PROTECT_BOOT + 4, Config::config7L, 0x08, true},
    {IDC_PIC18_VERIFY, kOptionsLow, (BYTE)Config::optVerify, false},
    {IDC_PIC18_USE_LOW_VOLTAGE, kOptionsLow, (BYTE)Config::optLowVoltage, false},
};

const char* const kOscillators[] = {"LP",
                                    "XT",
                                    "HS",
                                    "RC",
                                    "EC with OSC2 as Clock Out",
                                    "EC with OSC2 as RA6",
                                    "HS with PLL Enabled",
                                    "RC with OSC2 as RA6"};
const char* const kBrownOutVoltages[] = {"4.5V", "4.2V", "2.7V", "2.0V"};
const char* const kPostscales[] = {"1:1", "1:2", "1:4", "1:8", "1:16", "1:32", "1:64", "1:128"};

// A list whose selected index is the field's value; it has an entry for every value.
struct ComboField {
    int id;
    int byte;
    int shift;
    BYTE width;  // mask of the value before shifting
    const char* const* entries;
};

const ComboField kComboFields[] = {
    {IDC_PIC18_OSCILLATOR, Config::config1H, 0, 0x07, kOscillators},
    {IDC_PIC18_BROWN_OUT_VOLTAGE, Config::config2L, 2, 0x03, kBrownOutVoltages},
    {IDC_PIC18_POSTSCALE, Config::config2H, 1, 0x07, kPostscales},
};

BYTE RecordByte(const Config& config, int byte)
{
    return byte == kOptionsLow ? (BYTE)config.m_wOptions : config.m_Bytes[byte];
}

void SetRecordByte(Config& config, int byte, BYTE value)
{
    if (byte == kOptionsLow)
        config.m_wOptions = (WORD)((config.m_wOptions & 0xFF00) | value);
    else
        config.m_Bytes[byte] = value;
}

}  // namespace

BEGIN_MESSAGE_MAP(CPic18Options, CHelpDlg)
    ON_BN_CLICKED(IDC_PIC18_RESTORE_DEFAULT, OnDefault)
    ON_BN_CLICKED(IDC_PIC18_USE_LOW_VOLTAGE, OnUseLowVoltage)
    ON_BN_CLICKED(IDC_PIC18_BROWN_OUT, OnBrownOutReset)
END_MESSAGE_MAP()

CPic18Options::CPic18Options(CPIC18Target* target, CWnd* parent)
    : CHelpDlg(IDD_PIC18_OPTIONS, parent), m_pTarget(target)
{
}

CPic18Options::~CPic18Options() = default;

void CPic18Options::DoDataExchange(CDataExchange* pDX)
{
    CHelpDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEFAULT_TARGET, m_ctlDefault);
    DDX_Control(pDX, IDC_PIC18_VERIFY, m_ctlVerify);
    DDX_Control(pDX, IDC_PIC18_USE_LOW_VOLTAGE, m_ctlUseLowVoltage);
    DDX_Control(pDX, IDC_PIC18_OSCILLATOR, m_ctlOscillator);
    DDX_Control(pDX, IDC_PIC18_OSC_SWITCH, m_ctlOscSwitch);
    DDX_Control(pDX, IDC_PIC18_BROWN_OUT_VOLTAGE, m_ctlBrownOutVoltage);
    DDX_Control(pDX, IDC_PIC18_BROWN_OUT, m_ctlBrownOut);
    DDX_Control(pDX, IDC_PIC18_POWER_UP_TIMER, m_ctlPowerUpTimer);
    DDX_Control(pDX, IDC_PIC18_WATCHDOG, m_ctlWatchdog);
    DDX_Control(pDX, IDC_PIC18_POSTSCALE, m_ctlPostscale);
    DDX_Control(pDX, IDC_PIC18_CCP2_MUX, m_ctlCcp2Mux);
    DDX_Control(pDX, IDC_PIC18_DEBUGGER, m_ctlDebugger);
    DDX_Control(pDX, IDC_PIC18_LVP, m_ctlLowVoltageIcsp);
    DDX_Control(pDX, IDC_PIC18_STACK_RESET, m_ctlStackReset);
    for (int i = 0; i < 6; ++i)
        DDX_Control(pDX, IDC_PIC18_CODE_PROTECT_FIRST + i, m_ctlCodeProtect[i]);
    DDX_Control(pDX, IDC_PIC18_WRITE_PROTECT_EEPROM, m_ctlWriteProtectEeprom);
    DDX_Control(pDX, IDC_PIC18_WRITE_PROTECT_CONFIG, m_ctlWriteProtectConfig);
    for (int i = 0; i < 10; ++i)
        DDX_Control(pDX, IDC_PIC18_PROTECT_FIRST + i, m_ctlProtect[i]);
}

CButton* CPic18Options::Box(int id)
{
    if (id >= IDC_PIC18_CODE_PROTECT_FIRST && id <= IDC_PIC18_CODE_PROTECT_LAST)
        return &m_ctlCodeProtect[id - IDC_PIC18_CODE_PROTECT_FIRST];
    if (id >= IDC_PIC18_PROTECT_FIRST && id <= IDC_PIC18_PROTECT_LAST)
        return &m_ctlProtect[id - IDC_PIC18_PROTECT_FIRST];
    switch (id) {
    case IDC_DEFAULT_TARGET: return &m_ctlDefault;
    case IDC_PIC18_VERIFY: return &m_ctlVerify;
    case IDC_PIC18_USE_LOW_VOLTAGE: return &m_ctlUseLowVoltage;
    case IDC_PIC18_OSC_SWITCH: return &m_ctlOscSwitch;
    case IDC_PIC18_BROWN_OUT: return &m_ctlBrownOut;
    case IDC_PIC18_POWER_UP_TIMER: return &m_ctlPowerUpTimer;
    case IDC_PIC18_WATCHDOG: return &m_ctlWatchdog;
    case IDC_PIC18_CCP2_MUX: return &m_ctlCcp2Mux;
    case IDC_PIC18_DEBUGGER: return &m_ctlDebugger;
    case IDC_PIC18_LVP: return &m_ctlLowVoltageIcsp;
    case IDC_PIC18_STACK_RESET: return &m_ctlStackReset;
    case IDC_PIC18_WRITE_PROTECT_EEPROM: return &m_ctlWriteProtectEeprom;
    case IDC_PIC18_WRITE_PROTECT_CONFIG: return &m_ctlWriteProtectConfig;
    default: return NULL;
    }
}

CComboBox* CPic18Options::Combo(int id)
{
    switch (id) {
    case IDC_PIC18_OSCILLATOR: return &m_ctlOscillator;
    case IDC_PIC18_BROWN_OUT_VOLTAGE: return &m_ctlBrownOutVoltage;
    case IDC_PIC18_POSTSCALE: return &m_ctlPostscale;
    default: return NULL;
    }
}

BOOL CPic18Options::OnInitDialog()
{
    CHelpDlg::OnInitDialog();
    FillLists();
    UpdateControls();
    return TRUE;
}

void CPic18Options::FillLists()
{
    for (const ComboField& field : kComboFields) {
        CComboBox* combo = Combo(field.id);
        combo->ResetContent();
        for (int value = 0; value <= field.width; ++value)
            combo->AddString(field.entries[value]);
    }
}

void CPic18Options::UpdateControls()
{
    if (!m_pTarget)
        return;
    m_ctlDefault.SetCheck((theApp.m_dwOptions & 0xFF) == m_pTarget->GetId() ? BST_CHECKED : BST_UNCHECKED);
    const Config& config = m_pTarget->GetConfig();
    for (const ComboField& field : kComboFields)
        Combo(field.id)->SetCurSel((config.m_Bytes[field.byte] >> field.shift) & field.width);
    for (const BoxBit& bit : kBoxBits) {
        bool set = (RecordByte(config, bit.byte) & bit.mask) != 0;
        Box(bit.id)->SetCheck(set != bit.inverted ? BST_CHECKED : BST_UNCHECKED);
    }
    DisableMissingOptions(m_pTarget->GetDeviceFlags());
    OnUseLowVoltage();
    const BOOL lowVoltageOffered = (m_pTarget->GetDeviceFlags() & CPIC18Target::devLowVoltage) &&
                                   (config.m_wOptions & Config::optLowVoltageWired);
    if (!lowVoltageOffered)
        m_ctlUseLowVoltage.EnableWindow(FALSE);
}

void CPic18Options::DisableMissingOptions(WORD flags)
{
    using T = CPIC18Target;
    if (!(flags & T::devBrownOut)) {
        m_ctlBrownOut.EnableWindow(FALSE);
        m_ctlBrownOutVoltage.EnableWindow(FALSE);
    }
    if (!(flags & T::devPowerUpTimer))
        m_ctlPowerUpTimer.EnableWindow(FALSE);
    if (!(flags & T::devWatchdog)) {
        m_ctlWatchdog.EnableWindow(FALSE);
        m_ctlPostscale.EnableWindow(FALSE);
    }
    if (!(flags & T::devEepromMask)) {
        m_ctlCodeProtect[0].EnableWindow(FALSE);
        m_ctlWriteProtectEeprom.EnableWindow(FALSE);
    }
    // A 16 KB device has no blocks 2 and 3.
    if (!(flags & T::devCode32K)) {
        for (CButton* box : {&m_ctlCodeProtect[4], &m_ctlCodeProtect[5], &m_ctlProtect[3], &m_ctlProtect[4],
                             &m_ctlProtect[8], &m_ctlProtect[9]})
            box->EnableWindow(FALSE);
    }
}

void CPic18Options::OnUseLowVoltage()
{
    if (m_ctlUseLowVoltage.GetCheck() == BST_CHECKED) {
        m_ctlLowVoltageIcsp.SetCheck(BST_CHECKED);
        m_ctlLowVoltageIcsp.EnableWindow(FALSE);
    } else {
        m_ctlLowVoltageIcsp.EnableWindow(TRUE);
    }
}

void CPic18Options::OnBrownOutReset()
{
    if (m_ctlBrownOut.GetCheck() == BST_CHECKED)
        m_ctlPowerUpTimer.SetCheck(BST_CHECKED);
}

void CPic18Options::OnDefault()
{
    if (!m_pTarget)
        return;
    m_pTarget->SetConfig(m_pTarget->GetDefaultConfig());
    UpdateControls();
}

void CPic18Options::OnOK()
{
    if (m_pTarget) {
        Config& config = m_pTarget->Config();
        for (const ComboField& field : kComboFields) {
            int index = Combo(field.id)->GetCurSel();
            // A list always has a selection; without one the field keeps its bits.
            if (index < 0)
                continue;
            BYTE mask = (BYTE)(field.width << field.shift);
            BYTE value = (BYTE)((index & field.width) << field.shift);
            config.m_Bytes[field.byte] = (BYTE)((config.m_Bytes[field.byte] & ~mask) | value);
        }
        for (const BoxBit& bit : kBoxBits) {
            bool ticked = Box(bit.id)->GetCheck() == BST_CHECKED;
            BYTE byte = RecordByte(config, bit.byte) & (BYTE)~bit.mask;
            if (ticked != bit.inverted)
                byte |= bit.mask;
            SetRecordByte(config, bit.byte, byte);
        }
        m_pTarget->SaveOptions();
        int id = m_pTarget->GetId();
        theApp.SaveAppOptions(m_ctlDefault.GetCheck() == BST_CHECKED ? id : -id);
    }
    CHelpDlg::OnOK();
}
