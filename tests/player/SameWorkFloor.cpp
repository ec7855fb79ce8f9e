// Baseline of the player benchmark, bench_same_work_floor: the platform work of the player's start without
// the player's own code. It initialises the common controls, OLE and atl.dll's control host, fetches the
// document at the URL of its command line with WinINet, and makes the player's two dialogs from the player's
// own templates at the player's sizes: the side panel with its web browser control, shown beside the main
// window, and in the main window the live plug-in (empty) and the Flash control (the client area). The main
// window then shows. When the fetch fails it ends with 2, when a control cannot be made with 3, showing nothing.
#include "resources/resource.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include "FloorFetch.h"

extern "C" BOOL WINAPI AtlAxWinInit();
extern "C" HRESULT WINAPI AtlAxGetControl(HWND hWnd, IUnknown** ppUnk);

namespace
{
const wchar_t kFlash[] = L"{D27CDB6E-AE6D-11CF-96B8-444553540000}";
const wchar_t kLive[] = L"{9D8168F2-26F1-48FB-B7C7-65721B24ADC3}";
const int kWindowWidth = 500;
const int kPanelWidth = 490;
const int kHeight = 468;

bool Hosts(HWND hWnd)
{
	IUnknown* pUnknown = nullptr;
	if (!hWnd || FAILED(::AtlAxGetControl(hWnd, &pUnknown)) || !pUnknown)
		return false;
	pUnknown->Release();
	return true;
}

// A child host window of control pszClsid; null, and no window left, when the control cannot be made.
HWND HostControl(HWND hWndParent, const wchar_t* pszClsid, const RECT& rc)
{
	HWND hWnd = ::CreateWindowExW(0, L"AtlAxWin", pszClsid, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rc.left,
		rc.top, rc.right - rc.left, rc.bottom - rc.top, hWndParent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
	if (hWnd && !Hosts(hWnd))
	{
		::DestroyWindow(hWnd);
		hWnd = nullptr;
	}
	return hWnd;
}

INT_PTR CALLBACK PanelProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
	return uMsg == WM_INITDIALOG;
}

bool CreateWindows(HWND hDlg)
{
	int nLeft = (::GetSystemMetrics(SM_CXSCREEN) - kWindowWidth - kPanelWidth) / 2;
	int nTop = (::GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
	::SetWindowPos(hDlg, nullptr, nLeft, nTop, kWindowWidth, kHeight, SWP_NOZORDER);
	HWND hPanel = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_APPEND_DIALOG), hDlg,
		&PanelProc, 0);
	HWND hBrowser = hPanel ? ::GetDlgItem(hPanel, IDC_EXPLORER) : nullptr;
	if (!Hosts(hBrowser))
	{
		// A host window without its control is no hosted control: none is left for the benchmark to count.
		if (hPanel)
			::DestroyWindow(hPanel);
		return false;
	}
	::MoveWindow(hBrowser, 0, 0, 0, 0, TRUE);
	::MoveWindow(hPanel, nLeft + kWindowWidth, nTop, kPanelWidth, kHeight, TRUE);
	::ShowWindow(hPanel, SW_SHOW);
	RECT rcEmpty = {0, 0, 0, 0};
	RECT rcClient;
	::GetClientRect(hDlg, &rcClient);
	return HostControl(hDlg, kLive, rcEmpty) && HostControl(hDlg, kFlash, rcClient);
}

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
	if (uMsg == WM_INITDIALOG && !CreateWindows(hDlg))
		::EndDialog(hDlg, 3);
	if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK))
		::EndDialog(hDlg, 0);
	return uMsg == WM_INITDIALOG;
}
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
	INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
	::InitCommonControlsEx(&icc);
	::OleInitialize(nullptr);
	::AtlAxWinInit();
	if (!floors::Fetch(floors::Arguments(), L"same-work floor"))
		return 2;
	return static_cast<int>(::DialogBoxParamW(hInstance, MAKEINTRESOURCEW(IDD_QUILOPLAYER_DIALOG), nullptr,
		&DialogProc, 0));
}
