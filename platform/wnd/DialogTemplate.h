// Dialog templates as plain data: what a dialog resource holds. Positions and sizes are in
// dialog units, which the dialog converts to pixels from its font (x * average character
// width / 4, y * character height / 8).
#pragma once

#include <vector>

#include "platform/base/WinTypes.h"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

enum class ControlKind {
    PushButton,
    DefPushButton,  // the dialog's default button
    CheckBox,       // toggled by code only
    AutoCheckBox,   // toggles itself when clicked
    RadioButton,
    AutoRadioButton,  // checks itself and unchecks the rest of its group
    GroupBox,
    Static,  // left-aligned text
    StaticCenter,
    StaticRight,
    Edit,
    ComboDropDownList,  // drop-down list: no editing, the list opens below
    ListBox,
    ProgressBar,
};

// Control style bits.
enum : DWORD {
    CTL_SORT = 0x00000001,         // combo and list boxes keep their entries in text order
    CTL_EXTENDEDSEL = 0x00000002,  // list box: shift/ctrl multiple selection
    CTL_MULTIPLESEL = 0x00000004,  // list box: every click toggles an entry
    CTL_USETABSTOPS = 0x00000008,  // list box expands "\t" to its tab stops
    CTL_NOTIFY = 0x00000010,       // list box sends LBN_* notifications
    CTL_NOINTEGRALHEIGHT = 0x00000020,
    CTL_VSCROLL = 0x00000040,
    CTL_HSCROLL = 0x00000080,
    CTL_BORDER = 0x00000100,
    CTL_READONLY = 0x00000200,     // edit
    CTL_AUTOHSCROLL = 0x00000400,  // edit
    CTL_DISABLED = 0x00000800,
    CTL_SMOOTH = 0x00001000,  // progress bar
    CTL_GROUP = 0x00002000,   // starts a group (radio buttons, tab navigation)
    CTL_TABSTOP = 0x00004000,
    CTL_HIDDEN = 0x00008000,
    CTL_MULTILINE = 0x00010000,  // edit
    CTL_PASSWORD = 0x00020000,   // edit
    CTL_NUMBER = 0x00040000,     // edit: digits only
};

// Dialog style bits.
enum : DWORD {
    DLG_CAPTION = 0x00000001,
    DLG_SYSMENU = 0x00000002,      // has a window menu (shown as the context menu)
    DLG_CONTEXTHELP = 0x00000004,  // offers context help ("What's This?")
    DLG_MODALFRAME = 0x00000008,
    DLG_APPWINDOW = 0x00000010,  // shows in the task bar
    DLG_3DLOOK = 0x00000020,
    DLG_MINIMIZEBOX = 0x00000040,
};

struct ControlTemplate {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::Static;
    const char* text = "";
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0;
    DWORD helpId = 0;  // context id of the control's popup help; 0 for none
};

struct DialogTemplate {
    UINT id = 0;
    const char* caption = "";
    int x = 0, y = 0, cx = 0, cy = 0;
    const char* fontName = "MS Sans Serif";
    int pointSize = 8;
    DWORD style = DLG_CAPTION | DLG_MODALFRAME;
    std::vector<ControlTemplate> controls;  // in tab order
};

// The help context id of a control: bit 31 set, the dialog template id in bits 16-30 and the
// control id in bits 0-15.
constexpr DWORD MakeControlHelpId(UINT dialogId, UINT controlId)
{
    return 0x80000000u | ((dialogId & 0x7FFFu) << 16) | (controlId & 0xFFFFu);
}

// The template with this id among those the program installed (platform/base/ResourceTables.h),
// or NULL.
const DialogTemplate* FindDialogTemplate(UINT id);
