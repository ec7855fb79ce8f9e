// Resource ids of the UI tests, beside the program's own resources that the test program carries too.
#pragma once

#define IDD_BUTTON_TEST 900
#define IDB_BUTTON_TEST 901
#define IDR_TOOLBAR_TEST 902
#define IDR_MENU_ACCELERATORS 903
#define IDC_TEST_CHECK 1003
#define IDC_TEST_PLAIN 1004
#define ID_TOOL_FIRST 5001
#define ID_TOOL_SECOND 5002
