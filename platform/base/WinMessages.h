// Window messages, notification codes, help commands and the small records that travel with
// them, in the shape the dialog code expects. Only the values the system code uses are here.
#pragma once

#include "platform/base/WinTypes.h"

// Opaque window, cursor and device-context handles. Only the platform layer knows their target.
struct HWND__;
typedef HWND__* HWND;
typedef HICON HCURSOR;
struct HDC__;
typedef HDC__* HDC;

typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef short SHORT;
typedef int* LPINT;

#ifndef afx_msg
#define afx_msg
#endif

// Messages.
#define WM_NULL 0x0000
#define WM_DESTROY 0x0002
#define WM_SETFOCUS 0x0007
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_CLOSE 0x0010
#define WM_QUERYDRAGICON 0x0037
#define WM_KEYF1 0x004D
#define WM_HELP 0x0053
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_USER 0x0400

// System commands (the low four bits are used by the window manager and must be masked off).
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_CLOSE 0xF060
#define SC_RESTORE 0xF120
#define SC_CONTEXTHELP 0xF180

// Standard command ids.
#define ID_HELP_INDEX 0xE142
#define ID_HELP_FINDER 0xE143
#define ID_HELP_USING 0xE144
#define ID_CONTEXT_HELP 0xE145
#define ID_HELP 0xE146
#define ID_DEFAULT_HELP 0xE147

// Help engine commands and the base of dialog help topics.
#define HELP_CONTEXT 0x0001
#define HELP_QUIT 0x0002
#define HELP_INDEX 0x0003
#define HELP_CONTENTS 0x0003
#define HELP_CONTEXTPOPUP 0x0008
#define HELP_FINDER 0x000B
#define HID_BASE_COMMAND 0x00010000UL
#define HID_BASE_RESOURCE 0x00020000UL

// Notification codes carried in the high word of WM_COMMAND's wParam.
#define BN_CLICKED 0
#define BN_DOUBLECLICKED 5
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define LBN_SETFOCUS 4
#define LBN_KILLFOCUS 5
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300

// Button states.
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002

// Combo and list box results.
#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define LB_OKAY 0
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
#define SW_RESTORE 9

// Menu item flags.
#define MF_STRING 0x00000000L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_CHECKED 0x00000008L
#define MF_SEPARATOR 0x00000800L
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L

// Virtual keys.
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_APPS 0x5D
#define VK_F1 0x70
#define VK_F10 0x79

struct MSG {
    HWND hwnd = NULL;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
typedef MSG* LPMSG;

#define HELPINFO_WINDOW 0x0001
#define HELPINFO_MENUITEM 0x0002

struct HELPINFO {
    UINT cbSize = sizeof(HELPINFO);
    int iContextType = HELPINFO_WINDOW;
    int iCtrlId = 0;
    HANDLE hItemHandle = NULL;
    DWORD_PTR dwContextId = 0;
    POINT MousePos = {0, 0};
};
typedef HELPINFO* LPHELPINFO;

// Key state as of the input event being handled: negative while the key is down. Only
// VK_SHIFT, VK_CONTROL and VK_MENU are known (platform/ui/InputState.h says from where).
SHORT GetKeyState(int virtualKey);

// The mouse position in screen pixels (0,0 without a GUI).
BOOL GetCursorPos(POINT* point);
