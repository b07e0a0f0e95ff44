#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog132Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_QB2300_OPTIONS, "Target Options", 0, 0, 187, 97, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_QB2300_DEFAULT, ControlKind::AutoCheckBox, "Default to target on startup", 5, 5, 105, 10,
             CTL_TABSTOP, MakeControlHelpId(IDD_QB2300_OPTIONS, IDC_QB2300_DEFAULT)},
            {IDC_STATIC, ControlKind::Static, "Include this 'thin' stub code at startup", 5, 20, 108, 8, 0, 0},
            {IDC_QB2300_THIN_PATH, ControlKind::Edit, "", 5, 30, 120, 14, CTL_AUTOHSCROLL | CTL_BORDER | CTL_TABSTOP,
             MakeControlHelpId(IDD_QB2300_OPTIONS, IDC_QB2300_THIN_PATH)},
            {IDC_QB2300_BROWSE, ControlKind::PushButton, "&Browse", 130, 30, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_QB2300_OPTIONS, IDC_QB2300_BROWSE)},
            {IDC_STATIC, ControlKind::Static, "Banked hex file (.H00) automatic expansion mode", 5, 50, 148, 8, 0, 0},
            {IDC_QB2300_MODE, ControlKind::ComboDropDownList, "", 5, 60, 175, 45, CTL_VSCROLL | CTL_TABSTOP,
             MakeControlHelpId(IDD_QB2300_OPTIONS, IDC_QB2300_MODE)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 75, 80, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_QB2300_OPTIONS, IDCANCEL)},
            {IDOK, ControlKind::DefPushButton, "OK", 130, 80, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_QB2300_OPTIONS, IDOK)},
        },
    };
    // clang-format on
    return t;
}
