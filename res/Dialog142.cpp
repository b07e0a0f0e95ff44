#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog142Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_HYUSB_OPTIONS, "QB7740 Options", 0, 0, 187, 62, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_HYUSB_DEFAULT, ControlKind::AutoCheckBox, "&Default to target on startup", 5, 5, 110, 10,
             CTL_TABSTOP, MakeControlHelpId(IDD_HYUSB_OPTIONS, IDC_HYUSB_DEFAULT)},
            {IDC_HYUSB_VERIFY, ControlKind::AutoCheckBox, "Verify data after programing", 5, 20, 110, 10,
             CTL_TABSTOP, MakeControlHelpId(IDD_HYUSB_OPTIONS, IDC_HYUSB_VERIFY)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 75, 42, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_HYUSB_OPTIONS, IDCANCEL)},
            {IDOK, ControlKind::DefPushButton, "OK", 130, 42, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_HYUSB_OPTIONS, IDOK)},
        },
    };
    // clang-format on
    return t;
}
