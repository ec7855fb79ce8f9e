// Baselines of the player benchmark, two programs from this file. bench_bare_dialog: the least a Win32
// dialog program does before its window shows. bench_fair_floor (FAIR_FLOOR): the work the player cannot skip
// before it shows, done the platform's way: the common controls and OLE initialised, and the configuration
// document at the URL of its command line fetched with WinINet.
#include <windows.h>

#ifdef FAIR_FLOOR
#include <commctrl.h>
#include <ole2.h>
#include <wininet.h>
#endif

namespace
{
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
	if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK))
		::EndDialog(hDlg, 0);
	return uMsg == WM_INITDIALOG;
}

#ifdef FAIR_FLOOR
bool Fetch(const char* pszUrl)
{
	HINTERNET hInternet = ::InternetOpenA("fair floor", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
	HINTERNET hUrl = hInternet ? ::InternetOpenUrlA(hInternet, pszUrl, nullptr, 0,
		INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0) : nullptr;
	char buffer[4096];
	DWORD cbRead = 0;
	bool bRead = false;
	while (hUrl && ::InternetReadFile(hUrl, buffer, sizeof(buffer), &cbRead) && cbRead > 0)
		bRead = true;
	if (hUrl)
		::InternetCloseHandle(hUrl);
	if (hInternet)
		::InternetCloseHandle(hInternet);
	return bRead;
}
#endif
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int)
{
#ifdef FAIR_FLOOR
	INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
	::InitCommonControlsEx(&icc);
	::OleInitialize(nullptr);
	if (!Fetch(pszCmdLine))
		return 2;
#else
	(void)pszCmdLine;
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
