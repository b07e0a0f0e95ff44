#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog133Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_TARGET_OPTIONS, "Target Options", 0, 0, 187, 97, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_DEFAULT_TARGET, ControlKind::AutoCheckBox, "&Default to target on startup", 5, 5, 102, 10,
             CTL_TABSTOP, MakeControlHelpId(IDD_TARGET_OPTIONS, IDC_DEFAULT_TARGET)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 75, 80, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_TARGET_OPTIONS, IDCANCEL)},
            {IDOK, ControlKind::DefPushButton, "OK", 130, 80, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_ABOUTBOX, IDOK)},
        },
    };
    // clang-format on
    return t;
}
