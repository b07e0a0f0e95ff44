#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog134Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_CLEAR_CHOICE, "Clear Buffer", 0, 0, 114, 59, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_CLEAR_WHOLE, ControlKind::PushButton, "Clear Whole Buffer", 10, 10, 95, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_CLEAR_CHOICE, IDC_CLEAR_WHOLE)},
            {IDC_CLEAR_SELECTED, ControlKind::PushButton, "Clear Selected Only", 10, 35, 95, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_CLEAR_CHOICE, IDC_CLEAR_SELECTED)},
        },
    };
    // clang-format on
    return t;
}
