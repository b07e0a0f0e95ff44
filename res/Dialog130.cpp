#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog130Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_MODULE_SELECT, "Module Type Select", 0, 0, 187, 89, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_STATIC, ControlKind::Static, "Select type of module to load", 5, 5, 88, 8, 0, 0},
            {IDC_MODULE_TYPE, ControlKind::ComboDropDownList, "", 5, 15, 175, 80,
             CTL_VSCROLL | CTL_TABSTOP, MakeControlHelpId(IDD_MODULE_SELECT, IDC_MODULE_TYPE)},
            {IDC_STATIC, ControlKind::Static, "For this module", 5, 35, 47, 8, 0, 0},
            {IDC_MODULE_FILE, ControlKind::Edit, "", 5, 45, 175, 14,
             CTL_READONLY | CTL_AUTOHSCROLL | CTL_BORDER | CTL_TABSTOP,
             MakeControlHelpId(IDD_MODULE_SELECT, IDC_MODULE_FILE)},
            {IDOK, ControlKind::DefPushButton, "OK", 30, 70, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_ABOUTBOX, IDOK)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 100, 70, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_TARGET_OPTIONS, IDCANCEL)},
        },
    };
    // clang-format on
    return t;
}
