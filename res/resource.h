// Resource ids shared by the templates, the string table and the code. Append new ids in the
// section of their dialog.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Icons and strings.
#define IDR_MAINFRAME 128
#define IDS_ABOUTBOX 101
#define IDS_HELPINDEX 103
#define AFX_IDS_APP_TITLE 0xE000

// Window-menu command of the about box (the low four bits belong to the window manager).
#define IDM_ABOUTBOX 0x0010

// About box.
#define IDD_ABOUTBOX 100

// Main dialog.
#define IDD_MAIN_DIALOG 102
#define IDC_COMMS_RESOURCE 1003
#define IDC_PROGRESS 1007
#define IDC_MODULE_LIST 1009
#define IDC_TARGET_TYPE 1010
#define IDC_LOAD_FILE 1011
#define IDC_SAVE_BUFFER 1012
#define IDC_CLEAR_BUFFER 1013
#define IDC_VIEW_BUFFER 1014
#define IDC_PROGRESS_TEXT 1016
#define IDC_OPTIONS 1018
#define IDC_PROGRAM_HELP 1041
#define IDC_PROGRAM 1043

// Module-type selection.
#define IDD_MODULE_SELECT 130
#define IDC_MODULE_TYPE 1015
#define IDC_MODULE_FILE 1017

// Buffer viewer.
#define IDD_VIEW_BUFFER 131
#define IDC_VIEW_AREA 1019
#define IDC_VIEW_LIST 1020

// Stub-download boards' options.
#define IDD_QB2300_OPTIONS 132
#define IDC_QB2300_DEFAULT IDC_DEFAULT_TARGET
#define IDC_QB2300_THIN_PATH 1022
#define IDC_QB2300_BROWSE 1023
#define IDC_QB2300_MODE 1045

// Generic target options; 1021 is the start-up default check box of every options dialog.
#define IDD_TARGET_OPTIONS 133
#define IDC_DEFAULT_TARGET 1021

// Clear-buffer choice.
#define IDD_CLEAR_CHOICE 134
#define IDC_CLEAR_WHOLE 1026
#define IDC_CLEAR_SELECTED 1027

// DSP thick-stub target's options.
#define IDD_TESSAR_THICK_OPTIONS 136
#define IDC_TESSAR_DEFAULT IDC_DEFAULT_TARGET
#define IDC_TESSAR_JUMP 1047
#define IDC_TESSAR_ADDRESS 1049
// PIC16 targets' options; 1021 is the start-up default check box.
#define IDD_PIC16_OPTIONS 135
#define IDC_PIC16_CODE_PROTECT 1029
#define IDC_PIC16_WRITE_ENABLE 1030
#define IDC_PIC16_EEPROM_PROTECT 1031
#define IDC_PIC16_LOW_VOLTAGE 1033
#define IDC_PIC16_BROWN_OUT 1034
#define IDC_PIC16_POWER_UP_TIMER 1035
#define IDC_PIC16_WATCHDOG 1036
#define IDC_PIC16_OSCILLATOR 1037
#define IDC_PIC16_VERIFY 1039
#define IDC_PIC16_RESTORE_DEFAULT 1040
#define IDC_PIC16_FAST_MODE 1041
// USB device picker.
#define IDD_HIDSN 129
#define IDC_HIDSN_LIST 1074

// USB flash boards' options.
#define IDD_HYUSB_OPTIONS 142
#define IDC_HYUSB_DEFAULT IDC_DEFAULT_TARGET
#define IDC_HYUSB_VERIFY 1039

// PIC18 targets' options; 1021 is the start-up default check box.
#define IDD_PIC18_OPTIONS 138
#define IDC_PIC18_POSTSCALE 1032
#define IDC_PIC18_WATCHDOG 1036
#define IDC_PIC18_OSCILLATOR 1037
#define IDC_PIC18_CCP2_MUX 1038
#define IDC_PIC18_VERIFY 1039
#define IDC_PIC18_RESTORE_DEFAULT 1040
#define IDC_PIC18_DEBUGGER 1042
#define IDC_PIC18_LVP 1044
#define IDC_PIC18_USE_LOW_VOLTAGE 1046
#define IDC_PIC18_STACK_RESET 1048
#define IDC_PIC18_OSC_SWITCH 1050
#define IDC_PIC18_BROWN_OUT 1051
#define IDC_PIC18_POWER_UP_TIMER 1052
// Code protection: data EEPROM, boot block, blocks 0-3.
#define IDC_PIC18_CODE_PROTECT_FIRST 1053
#define IDC_PIC18_CODE_PROTECT_LAST 1058
#define IDC_PIC18_WRITE_PROTECT_CONFIG 1059
#define IDC_PIC18_BROWN_OUT_VOLTAGE 1060
#define IDC_PIC18_WRITE_PROTECT_EEPROM 1063
// Write protection of the boot block and blocks 0-3 (1064-1068), then table read protection
// of the same (1069-1073).
#define IDC_PIC18_PROTECT_FIRST 1064
#define IDC_PIC18_READ_PROTECT_BOOT 1069
#define IDC_PIC18_PROTECT_LAST 1073
// Serial-link FLASH boards' options, and the board-side FLASH programmer they download.
#define IDD_HYICE_OPTIONS 141
#define IDC_HYICE_DEFAULT IDC_DEFAULT_TARGET
#define IDC_HYICE_VERIFY 1039
#define IDC_HYICE_SEGMENT 1061
#define IDC_HYICE_SERIAL 1062
#define IDR_HYE_PROG 146
