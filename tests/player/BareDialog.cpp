// Baseline of the player benchmark: the least a Win32 dialog program does before its window shows.
#include <windows.h>

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
	// A template with no controls, no menu, the default class and the caption "Bare".
	struct
	{
		DLGTEMPLATE dlg;
		WORD wMenu, wClass;
		WCHAR szTitle[5];
	} tmpl = {{WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, 324, 277}, 0, 0, L"Bare"};
	return static_cast<int>(::DialogBoxIndirectParamA(hInstance, &tmpl.dlg, nullptr, &DialogProc, 0));
}
