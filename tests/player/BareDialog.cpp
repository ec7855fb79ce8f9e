// Baselines of the player benchmark, two programs from this file. bench_bare_dialog: the least a Win32
// dialog program does before its window shows. bench_fair_floor (FAIR_FLOOR): the work the player cannot skip
// before it shows, done the platform's way: the common controls and OLE initialised, and the configuration
// document at the URL of its command line fetched with WinINet.
#include <windows.h>

#ifdef FAIR_FLOOR
#include <commctrl.h>
#include <ole2.h>
#include "FloorFetch.h"
#endif

namespace
{
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
	if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK))
		::EndDialog(hDlg, 0);
	return uMsg == WM_INITDIALOG;
}
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
#ifdef FAIR_FLOOR
	INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
	::InitCommonControlsEx(&icc);
	::OleInitialize(nullptr);
	if (!floors::Fetch(floors::Arguments(), L"fair floor"))
		return 2;
#endif
	// A template with no controls, no menu, the default class and the caption "Bare".
	struct
	{
		DLGTEMPLATE dlg;
		WORD wMenu, wClass;
		WCHAR szTitle[5];
	} tmpl = {{WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, 324, 277}, 0, 0, L"Bare"};
	return static_cast<int>(::DialogBoxIndirectParamA(hInstance, &tmpl.dlg, nullptr, &DialogProc, 0));
}
