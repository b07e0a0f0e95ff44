#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog136Template()
{
    // OK, Cancel and the start-up box share the generic options dialog's help texts; the jump
    // controls have none.
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_TESSAR_THICK_OPTIONS, "Tessar Thick Stub Options", 0, 0, 187, 97, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDOK, ControlKind::DefPushButton, "OK", 130, 80, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_ABOUTBOX, IDOK)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 75, 80, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_TARGET_OPTIONS, IDCANCEL)},
            {IDC_TESSAR_DEFAULT, ControlKind::AutoCheckBox, "&Default to target on startup", 5, 5, 103, 10,
             CTL_TABSTOP, MakeControlHelpId(IDD_TARGET_OPTIONS, IDC_DEFAULT_TARGET)},
            {IDC_TESSAR_JUMP, ControlKind::AutoCheckBox, "Jump to location after programming", 5, 20, 121, 10,
             CTL_TABSTOP, 0},
            {IDC_TESSAR_ADDRESS, ControlKind::Edit, "", 60, 31, 24, 12, CTL_BORDER | CTL_TABSTOP, 0},
            {IDC_STATIC, ControlKind::Static, "Jump Address 0x", 5, 33, 54, 10, 0, 0},
        },
    };
    // clang-format on
    return t;
}
