#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog131Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_VIEW_BUFFER, "View Buffer Contents", 0, 0, 339, 214, "Courier New", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME,
        {
            {IDC_VIEW_AREA, ControlKind::ComboDropDownList, "", 5, 15, 175, 155,
             CTL_VSCROLL | CTL_TABSTOP, MakeControlHelpId(IDD_VIEW_BUFFER, IDC_VIEW_AREA)},
            {IDC_STATIC, ControlKind::Static, "Select buffer area to view", 5, 5, 76, 8, 0, 0},
            {IDC_VIEW_LIST, ControlKind::ListBox, "", 5, 30, 330, 180,
             CTL_SORT | CTL_NOTIFY | CTL_NOINTEGRALHEIGHT | CTL_HSCROLL | CTL_VSCROLL | CTL_BORDER |
                 CTL_TABSTOP,
             MakeControlHelpId(IDD_VIEW_BUFFER, IDC_VIEW_LIST)},
        },
    };
    // clang-format on
    return t;
}
