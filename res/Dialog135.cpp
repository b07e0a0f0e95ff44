#include "res/DialogTemplates.h"
#include "res/resource.h"

// Several controls answer help pages other than their own (the start-up box, Cancel and OK
// share the generic topics; the verify box has a page of its own), and the items of the check
// boxes and the Default button are numbered one below their control ids.
const DialogTemplate& Dialog135Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_PIC16_OPTIONS, "Target Options", 0, 0, 187, 224, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_DEFAULT_TARGET, ControlKind::AutoCheckBox, "Default to target on startup", 5, 5, 100, 10,
             CTL_TABSTOP, MakeControlHelpId(133, 1021)},
            {IDC_PIC16_VERIFY, ControlKind::AutoCheckBox, "Verify data after programing", 5, 20, 99, 10,
             CTL_TABSTOP, MakeControlHelpId(141, 1038)},
            {IDC_PIC16_FAST_MODE, ControlKind::AutoCheckBox, "Fast mode programming", 5, 35, 90, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1040)},
            {IDC_STATIC, ControlKind::Static, "Code Protection", 5, 50, 49, 8, 0, 0},
            {IDC_PIC16_CODE_PROTECT, ControlKind::ComboDropDownList, "", 5, 60, 175, 70,
             CTL_VSCROLL | CTL_TABSTOP, MakeControlHelpId(135, 1029)},
            {IDC_STATIC, ControlKind::Static, "Oscillator Selection", 5, 80, 59, 8, 0, 0},
            {IDC_PIC16_OSCILLATOR, ControlKind::ComboDropDownList, "", 5, 90, 175, 60,
             CTL_VSCROLL | CTL_TABSTOP, MakeControlHelpId(135, 1036)},
            {IDC_PIC16_WRITE_ENABLE, ControlKind::AutoCheckBox, "FLASH Program Write Enable", 5, 110, 105, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1030)},
            {IDC_PIC16_EEPROM_PROTECT, ControlKind::AutoCheckBox, "EEPROM Code Protection Enable", 5, 125, 123, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1031)},
            {IDC_PIC16_LOW_VOLTAGE, ControlKind::AutoCheckBox, "Low Voltage Programming Enable", 5, 140, 122, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1032)},
            {IDC_PIC16_BROWN_OUT, ControlKind::AutoCheckBox, "Brown-out Reset Enable", 5, 155, 93, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1033)},
            {IDC_PIC16_POWER_UP_TIMER, ControlKind::AutoCheckBox, "Power-up Timer Enable", 5, 170, 87, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1034)},
            {IDC_PIC16_WATCHDOG, ControlKind::AutoCheckBox, "Watchdog Timer Enable", 5, 185, 89, 10,
             CTL_TABSTOP, MakeControlHelpId(135, 1035)},
            {IDC_PIC16_RESTORE_DEFAULT, ControlKind::PushButton, "Default", 5, 205, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(135, 1039)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 75, 205, 50, 14, CTL_TABSTOP, MakeControlHelpId(133, IDCANCEL)},
            {IDOK, ControlKind::DefPushButton, "OK", 130, 205, 50, 14, CTL_TABSTOP, MakeControlHelpId(100, IDOK)},
        },
    };
    // clang-format on
    return t;
}
