#include "res/DialogTemplates.h"
#include "res/resource.h"

const DialogTemplate& Dialog102Template()
{
    // A template reads as a table: the dialog on its first line, then one control per row.
    // clang-format off
    static const DialogTemplate t = {
        IDD_MAIN_DIALOG, "Brenlow FLASH Programmer", 0, 0, 244, 234, "MS Sans Serif", 8,
        DLG_CAPTION | DLG_SYSMENU | DLG_CONTEXTHELP | DLG_MODALFRAME | DLG_3DLOOK | DLG_APPWINDOW,
        {
            {IDC_TARGET_TYPE, ControlKind::ComboDropDownList, "", 5, 15, 180, 155,
             CTL_SORT | CTL_VSCROLL | CTL_TABSTOP, MakeControlHelpId(IDD_MAIN_DIALOG, IDC_TARGET_TYPE)},
            {IDC_OPTIONS, ControlKind::PushButton, "&Options", 190, 15, 50, 14,
             CTL_DISABLED | CTL_TABSTOP, MakeControlHelpId(IDD_MAIN_DIALOG, IDC_OPTIONS)},
            {IDC_COMMS_RESOURCE, ControlKind::ComboDropDownList, "", 5, 45, 80, 45,
             CTL_SORT | CTL_VSCROLL | CTL_TABSTOP, MakeControlHelpId(IDD_MAIN_DIALOG, IDC_COMMS_RESOURCE)},
            {IDC_MODULE_LIST, ControlKind::ListBox, "", 5, 75, 180, 120,
             CTL_EXTENDEDSEL | CTL_USETABSTOPS | CTL_NOTIFY | CTL_NOINTEGRALHEIGHT | CTL_VSCROLL |
                 CTL_BORDER | CTL_TABSTOP,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_MODULE_LIST)},
            {IDC_LOAD_FILE, ControlKind::PushButton, "&Load File", 190, 75, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_LOAD_FILE)},
            {IDC_SAVE_BUFFER, ControlKind::PushButton, "&Save Buffer", 190, 105, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_SAVE_BUFFER)},
            {IDC_VIEW_BUFFER, ControlKind::PushButton, "&View Buffer", 190, 135, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_VIEW_BUFFER)},
            {IDC_CLEAR_BUFFER, ControlKind::PushButton, "&Clear Buffer", 190, 165, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_CLEAR_BUFFER)},
            {IDC_PROGRAM, ControlKind::DefPushButton, "&Program", 190, 215, 50, 14, CTL_TABSTOP,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_PROGRAM_HELP)},
            {IDC_STATIC, ControlKind::Static, "Select Communications Resource", 5, 35, 102, 8, 0, 0},
            {IDC_PROGRESS, ControlKind::ProgressBar, "", 5, 215, 180, 14, CTL_BORDER | CTL_SMOOTH,
             MakeControlHelpId(IDD_MAIN_DIALOG, IDC_PROGRESS)},
            {IDC_STATIC, ControlKind::Static, "Memory Module Status", 5, 65, 70, 8, 0, 0},
            {IDC_STATIC, ControlKind::Static, "Target Type Selection", 5, 5, 68, 8, 0, 0},
            {IDC_PROGRESS_TEXT, ControlKind::Static, "Program Action Progress", 5, 205, 235, 8, 0, 0},
        },
    };
    // clang-format on
    return t;
}
