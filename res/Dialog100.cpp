#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog100Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_ABOUTBOX, "About Box", 0, 0, 179, 97, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_MODALFRAME,
        {
            {IDOK, ControlKind::DefPushButton, "OK", 60, 79, 50, 14, CTL_GROUP | CTL_TABSTOP,
             MakeControlHelpId(IDD_ABOUTBOX, IDOK)},
        },
    };
    // clang-format on
    return t;
}
