#include "res/DialogTemplates.h"
#include "res/resource.h"

// The start-up box answers the generic target options' topic, the other popups are numbered
// apart from their control ids, and OK and Cancel have none.
const DialogTemplate& Dialog141Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_HYICE_OPTIONS, "Target Options", 0, 0, 187, 98, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDOK, ControlKind::DefPushButton, "OK", 130, 80, 50, 14, CTL_TABSTOP, 0},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 75, 80, 50, 14, CTL_TABSTOP, 0},
            {IDC_HYICE_DEFAULT, ControlKind::AutoCheckBox, "&Default to target on startup", 5, 5, 108, 10,
             CTL_TABSTOP, MakeControlHelpId(IDD_TARGET_OPTIONS, IDC_DEFAULT_TARGET)},
            {IDC_HYICE_SEGMENT, ControlKind::AutoCheckBox, "Allow Flash Segment Change", 5, 35, 104, 10,
             CTL_TABSTOP, 0x808D0421},
            {IDC_HYICE_SERIAL, ControlKind::Edit, "", 50, 50, 30, 12, CTL_BORDER | CTL_TABSTOP | CTL_AUTOHSCROLL,
             0x808D0422},
            {IDC_STATIC, ControlKind::Static, "Serial Number", 3, 52, 46, 8, 0, 0},
            {IDC_HYICE_VERIFY, ControlKind::AutoCheckBox, "Verify data after programing", 5, 20, 99, 10,
             CTL_TABSTOP, 0x808D040E},
        },
    };
    // clang-format on
    return t;
}
