// Resource ids of QuiloPlayer.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILOPLAYER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_APPEND_DIALOG 129

#define IDC_BUTTON_TOGGLE 1002

// System menu item of the About box (a system command id: the low four bits stay clear).
#define IDM_ABOUTBOX 0x0010
