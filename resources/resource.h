// Resource ids of QuiloPlayer.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_QUILOPLAYER_DIALOG 102
#define IDR_MAINFRAME 128
#define IDD_APPEND_DIALOG 129

// Side-panel button images: triangle pointing left (the panel is shown) and right (it is hidden).
#define IDB_PANEL_SHOW_HOVER 173
#define IDB_PANEL_SHOW 177
#define IDB_PANEL_HIDE 186
#define IDB_PANEL_SHOW_PRESSED 188
#define IDB_PANEL_HIDE_HOVER 191
#define IDB_PANEL_HIDE_PRESSED 192

// Menus: the notification-area menu and the skin frame's menu.
#define IDR_MENU_TRAY 229
#define IDR_MENU_BUTTON 230

#define IDC_BUTTON_TOGGLE 1002
// The side panel's web browser control.
#define IDC_EXPLORER 1005
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// System menu item of the About box (a system command id: the low four bits stay clear).
#define IDM_ABOUTBOX 0x0010

// Menu commands.
#define ID_MENU_HELP 32785
#define ID_MENU_HOME 32786
#define ID_MENU_HIDE 32782
#define ID_MENU_SHOW 32790
#define ID_MENU_FEEDBACK 32795
#define ID_MENU_SKIN_DEFAULT 32797
// Skin menu items: the first skin folder and the last that can be chosen.
#define ID_SKIN_FIRST 10000
#define ID_SKIN_LAST 11024
