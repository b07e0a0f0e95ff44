#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog129Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_HIDSN, "Please Select the Device to Open", 0, 0, 186, 95, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_MODALFRAME,
        {
            {IDC_HIDSN_LIST, ControlKind::ListBox, "", 7, 7, 115, 81,
             CTL_NOTIFY | CTL_VSCROLL | CTL_BORDER | CTL_NOINTEGRALHEIGHT | CTL_TABSTOP,
             MakeControlHelpId(IDD_HIDSN, IDC_HIDSN_LIST)},
            {IDOK, ControlKind::DefPushButton, "OK", 129, 7, 50, 14, CTL_TABSTOP, MakeControlHelpId(IDD_HIDSN, IDOK)},
            {IDCANCEL, ControlKind::PushButton, "Cancel", 129, 24, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_HIDSN, IDCANCEL)},
        },
    };
    // clang-format on
    return t;
}
