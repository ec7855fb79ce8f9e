#include "app/QuiloPlayerApp.h"

#include "app/CrashDump.h"
#include "app/HandOff.h"
#include "app/Log.h"
#include "app/MainWindow.h"
#include "app/SettingsFile.h"
#include "framework/OleControl.h"
#include "framework/WideText.h"

#include <commctrl.h>

CQuiloPlayerApp theApp;

namespace
{
const wchar_t kInstanceMutex[] = L"Zefra_QuiloPlayer_Client";
// The hand-off waits for the running player to play the link, but not for a player that hangs: it is given
// up when the player has stopped reading its messages (the system's hung-window test, 5 s without), and
// after 30 s in any case.
const UINT kHandOffTimeoutMs = 30000;

// Exceptions that a window procedure, a hook or an event sink stopped reach the log, named by where.
void LogStoppedException(const char* pszWhere)
{
	WriteLog(LOG_ERR, CString(pszWhere) + " 异常");
}
}

BOOL CQuiloPlayerApp::InitInstance()
{
	AfxSetExceptionReporter(&LogStoppedException);
	HANDLE hMutex = ::CreateMutexW(nullptr, TRUE, kInstanceMutex);
	DWORD dwError = ::GetLastError();
	m_hMutex.Reset(hMutex);
	if (dwError == ERROR_ALREADY_EXISTS)
	{
		HandOffCommandLine();
		return FALSE;
	}
	if (!m_hMutex)
		return FALSE;
	// The settings file is read once on the way to the first paint, the crash handler being its first reader.
	KeepSettingsReading();
	InstallCrashDumps();

	INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
	::InitCommonControlsEx(&icc);
	CWinApp::InitInstance();
	AfxEnableControlContainer();
	SetRegistryKey("MelboTV客户端播放器");
	// The configuration's download and the skin's reading run beside the making of the window (after the
	// libraries the window thread loads: the download's own would wait for them); that thread then keeps the
	// crash handler's watch of the window thread, so that no thread more is made before the window shows.
	if (PrepareMainWindow([] { WatchWindowThread(); }))
		ClaimCrashWatch();

	// What the user does not see at once waits until the window has painted: the crash handler's dump thread
	// and writer, and the URL schemes, still registered at every start. A second instance finds the window by
	// its property from its creation on; the crash handler's filter is in place before the window exists, and a
	// fault before the first paint starts the dump thread itself.
	RunMainWindow(*this, [this] {
		DropSettingsReading();
		CompleteCrashDumps();
		RegisterUrlScheme("tarntvstream");
		RegisterUrlScheme("wenlive2");
	});
	return FALSE;
}

void CQuiloPlayerApp::HandOffCommandLine()
{
	HWND hWnd = ::GetWindow(::GetDesktopWindow(), GW_CHILD);
	while (hWnd && !::GetPropW(hWnd, ToWide(kPlayerWindowProp).c_str()))
		hWnd = ::GetWindow(hWnd, GW_HWNDNEXT);
	// Restoring a hung window would wait for it as a send does.
	if (!hWnd || ::IsHungAppWindow(hWnd))
		return;

	if (::IsIconic(hWnd))
		::ShowWindow(hWnd, SW_RESTORE);
	::SetForegroundWindow(hWnd);
	::SetForegroundWindow(::GetLastActivePopup(hWnd));

	std::string strCommandLine = HandOffText(::GetCommandLineW());
	COPYDATASTRUCT cds = {0, static_cast<DWORD>(strCommandLine.size()), &strCommandLine[0]};
	DWORD_PTR dwResult = 0;
	::SendMessageTimeoutW(hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, kHandOffTimeoutMs,
		&dwResult);
}
