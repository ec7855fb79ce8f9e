#include "player/QuiloPlayerDlg.h"

#include "app/Log.h"
#include "framework/DataExchange.h"
#include "framework/Gdi.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "player/Settings.h"
#include "player/SkinFolders.h"
#include "resources/resource.h"
#include "ui/SnapGroup.h"

#include <algorithm>

namespace
{
const UINT_PTR kAutoHideTimer = 2277;
const UINT kAutoHidePeriod = 500;
const DWORD kAutoHideDelay = 2500;
const UINT kHttpPlayerId = 7778;
const UINT kLivePlugInId = 7777;
// The controls fill the client area under the side-panel button: clipped by their siblings, their painting
// never covers it.
const DWORD kControlStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
// The player window and the side panel beside it (490 pixels) are centred as a pair (96-DPI figures).
const int kPairWidth = 990;
const int kWindowWidth = 500;
const int kWindowHeight = 468;

CQuiloPlayerDlg* g_pPlayerDlg = nullptr;
HHOOK g_hKeyboardHook = nullptr;
HHOOK g_hMouseHook = nullptr;

// Auto-hide of the side-panel button: where the cursor was last seen moving, and when it next may hide.
POINT g_ptLastCursor = {0, 0};
DWORD g_dwNextCheck = 0;
bool g_bNextCheckSet = false;

}

CQuiloPlayerDlg* GetPlayerDlg()
{
	return g_pPlayerDlg;
}

CQuiloPlayerDlg::CQuiloPlayerDlg(CWnd* pParentWnd)
	: CDialog(IDD_QUILOPLAYER_DIALOG, pParentWnd)
	, m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)))
	, m_trayIcon(IDR_MENU_TRAY)
{
	g_pPlayerDlg = this;
	m_skinFrame.SetMenuButtonHandler([this](int x, int y) { ShowButtonMenu(x, y); });
}

CQuiloPlayerDlg::~CQuiloPlayerDlg()
{
	if (g_pPlayerDlg == this)
		g_pPlayerDlg = nullptr;
}

int CQuiloPlayerDlg::OnCreate(LPCREATESTRUCT pCreateStruct)
{
	if (CDialog::OnCreate(pCreateStruct) == -1)
		return -1;
	::SetPropW(m_hWnd, ToWide(kPlayerWindowProp).c_str(), reinterpret_cast<HANDLE>(1));
	DWORD dwThread = ::GetCurrentThreadId();
	g_hKeyboardHook = ::SetWindowsHookExW(WH_KEYBOARD, &CQuiloPlayerDlg::KeyboardHookProc, nullptr, dwThread);
	g_hMouseHook = ::SetWindowsHookExW(WH_MOUSE, &CQuiloPlayerDlg::MouseHookProc, nullptr, dwThread);
	return 0;
}

BOOL CQuiloPlayerDlg::OnInitDialog()
{
	CDialog::OnInitDialog();

	wchar_t szAboutMenu[256] = {};
	int nAboutLength = ::LoadStringW(AfxGetResourceHandle(), IDS_ABOUTBOX, szAboutMenu, 256);
	HMENU hSysMenu = GetSystemMenu(FALSE);
	if (hSysMenu && nAboutLength > 0)
	{
		::AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
		::AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, szAboutMenu);
	}
	SetIcon(m_hIcon, TRUE);
	SetSmallIcon();

	GetSnapGroup().SetMainWindow(m_hWnd);

	TakeStartReading();
	m_nSkinIndex = FindSkinIndex(m_arrSkinDirs, m_strSkinPath);
	// It takes over what the prefetch read: the player and its panel wear the same borders and close button,
	// and each description and image is read and decoded once.
	CSkinFrame::CImageShare shareImages;

	// At its place and size before it wears the skin (at the window's own scale, which the frame takes on): its
	// frame and shape are made once, for that size.
	CDpiScale dpi = CDpiScale::ForWindow(m_hWnd);
	// A pair wider or taller than the screen (a small screen at a large scale) starts at its corner.
	int nLeft = std::max((::GetSystemMetrics(SM_CXSCREEN) - dpi.Scale(kPairWidth)) / 2, 0);
	int nTop = std::max((::GetSystemMetrics(SM_CYSCREEN) - dpi.Scale(kWindowHeight)) / 2, 0);
	// Not activated while hidden: its showing activates it. Not held to the screen either, as the system's
	// answer to the position's change would hold a window with a caption (a pair larger than the screen keeps its
	// size; the skinned frame answers that message itself).
	SetWindowPos(nullptr, nLeft, nTop, dpi.Scale(kWindowWidth), dpi.Scale(kWindowHeight),
		SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSENDCHANGING);

	m_bFirstSkin = 1;
	ApplySkin(m_strSkinPath + "Main.ini");

	CreateSidePanel();

	m_btnToggle.SetImages(IDB_PANEL_HIDE, IDB_PANEL_HIDE_HOVER, IDB_PANEL_HIDE_PRESSED, 0, TRUE);
	// Named for screen readers now; its tooltip window follows the first paint.
	m_btnToggle.SetTooltip("隐藏视频库", TRUE, FALSE);

	BOOL bControls = CreateControls();
	// The side-panel button floats above the controls that fill the client area.
	m_btnToggle.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
	if (!bControls)
		return FALSE;
	SetTimer(kAutoHideTimer, kAutoHidePeriod);
	SetTimer(kFinishStartTimer, kFinishStartDelay);
	// The focus is set once the window shows (the dialog manager would give it to the first control, the
	// hidden plug-in): setting it now would activate the window while it is still hidden.
	PostMessage(kFocusFrontMessage);
	return FALSE;
}

void CQuiloPlayerDlg::DoDataExchange()
{
	DDX_Control(*this, IDC_BUTTON_TOGGLE, m_btnToggle);
}

void CQuiloPlayerDlg::ApplySkin(const CString& strPath)
{
	if (!m_skinFrame.ApplyTo(this, strPath, TRUE, TRUE, m_bFirstSkin))
		WriteLog(LOG_ERR, "加载皮肤失败: " + strPath);
}

void CQuiloPlayerDlg::CreateSidePanel()
{
	m_wndAppend.SetStartUp(m_strSkinPath + "Append.ini", m_strWebUrl, [this] { ToggleVideoLibrary(); },
		[this](int x, int y) { ShowButtonMenu(x, y); });
	RECT rc;
	GetWindowRect(&rc);
	const CDpiScale& dpi = m_skinFrame.GetScale();
	m_wndAppend.SetStartRect(RECT{rc.right, rc.top, rc.right + dpi.Scale(CAppendDlg::kWidth), rc.top + dpi.Scale(kWindowHeight)});
	// Without its panel the player still plays; the side-panel button then has nothing to show.
	if (!m_wndAppend.Create(IDD_APPEND_DIALOG, this))
	{
		WriteLog(LOG_ERR, "创建视频库窗口失败");
		return;
	}
	GetSnapGroup().AddWindow(m_wndAppend);
	// Not activated: the player's showing activates the player, and the panel is not painted active first. (Its
	// frame was made when it took the skin: the frame change a skinned window's showing makes, which activates
	// it, is not needed.)
	m_wndAppend.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

BOOL CQuiloPlayerDlg::CreateControls()
{
	RECT rcEmpty = {0, 0, 0, 0};
	if (!m_wndLivePlugIn.Create(nullptr, "LivePlugIn", kControlStyle, rcEmpty, this, kLivePlugInId))
	{
		WriteLog(LOG_ERR, "创建高清p2p直播控件失败");
		return FALSE;
	}
	if (m_wndLivePlugIn.GetSafeHwnd())
	{
		m_wndLivePlugIn.SetStartupFlag(1);
		m_wndLivePlugIn.SetLoadingUrl1(m_strDefaultLoadingUrl);
		m_wndLivePlugIn.SetLoadingUrl2(m_strDefaultLoadingUrl);
	}

	RECT rcClient;
	GetClientRect(&rcClient);
	if (!m_wndHttpPlayer.Create(nullptr, "HttpPlayer", kControlStyle, rcClient, this, kHttpPlayerId))
	{
		WriteLog(LOG_ERR, "创建http方式的点播控件失败");
		return FALSE;
	}
	if (m_wndHttpPlayer.GetSafeHwnd())
	{
		m_wndHttpPlayer.SetBackgroundColor(0);
		m_wndHttpPlayer.SetAllowFullScreen("true");
		m_wndHttpPlayer.SetMovie(m_strPlayerUrl);
	}
	return TRUE;
}

void CQuiloPlayerDlg::OnSize(UINT nType, int cx, int cy)
{
	CDialog::OnSize(nType, cx, cy);
	if (m_btnToggle.GetSafeHwnd())
	{
		const CDpiScale& dpi = m_skinFrame.GetScale();
		m_btnToggle.MoveWindow(cx - dpi.Scale(11), (cy - dpi.Scale(33)) / 2 - dpi.Scale(20), dpi.Scale(11),
			dpi.Scale(33), TRUE);
	}
	if (m_nPlayMode == PLAY_MODE_FLASH && m_wndHttpPlayer.GetSafeHwnd())
		m_wndHttpPlayer.MoveWindow(0, 0, cx, cy);
	else if (m_nPlayMode == PLAY_MODE_LIVE && m_wndLivePlugIn.GetSafeHwnd())
		m_wndLivePlugIn.MoveWindow(0, 0, cx, cy);
}

BOOL CQuiloPlayerDlg::OnEraseBkgnd(HDC hDC)
{
	RECT rcClient;
	GetClientRect(&rcClient);
	FillOffScreen(hDC, rcClient, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
	return TRUE;
}

void CQuiloPlayerDlg::OnPaint()
{
	// Posted messages come before paints: the rest of the start follows this paint and the others waiting.
	if (!m_bFinishAsked)
	{
		m_bFinishAsked = true;
		PostMessage(kFinishStartMessage);
	}
	if (!IsIconic())
	{
		CDialog::OnPaint();
		return;
	}
	CPaintDC dc(m_hWnd);
	SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(static_cast<HDC>(dc)), 0);
	RECT rc;
	GetClientRect(&rc);
	int x = (rc.right - rc.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
	int y = (rc.bottom - rc.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
	::DrawIcon(dc, x, y, m_hIcon);
}

HCURSOR CQuiloPlayerDlg::OnQueryDragIcon()
{
	return static_cast<HCURSOR>(m_hIcon);
}

void CQuiloPlayerDlg::OnTimer(UINT_PTR nIDEvent)
{
	if (nIDEvent == kFinishStartTimer)
	{
		FinishStart(0);
		return;
	}
	if (nIDEvent != kAutoHideTimer)
	{
		CDialog::OnTimer(nIDEvent);
		return;
	}
	POINT pt;
	::GetCursorPos(&pt);
	RECT rcWindow;
	GetWindowRect(&rcWindow);
	if ((pt.x != g_ptLastCursor.x || pt.y != g_ptLastCursor.y) && ::PtInRect(&rcWindow, pt))
	{
		m_btnToggle.ShowWindow(SW_SHOW);
		g_ptLastCursor = pt;
	}
	else
	{
		DWORD dwNow = ::GetTickCount();
		if (!g_bNextCheckSet)
		{
			g_dwNextCheck = dwNow;
			g_bNextCheckSet = true;
		}
		// Compared as a difference, so the check survives the tick count wrapping after 49 days.
		if (static_cast<LONG>(dwNow - g_dwNextCheck) >= 0)
		{
			RECT rcButton = {};
			m_btnToggle.GetWindowRect(&rcButton);
			if (!::PtInRect(&rcButton, pt))
				m_btnToggle.ShowWindow(SW_HIDE);
			g_dwNextCheck = dwNow + kAutoHideDelay;
		}
	}
	CDialog::OnTimer(nIDEvent);
}

BOOL CQuiloPlayerDlg::OnCopyData(HWND hWndFrom, PCOPYDATASTRUCT pCopyDataStruct)
{
	// Another process wrote this record: an empty one carries nothing, and a text cannot be longer than an int counts.
	if (pCopyDataStruct && pCopyDataStruct->lpData && pCopyDataStruct->cbData > 0
		&& pCopyDataStruct->cbData < static_cast<DWORD>(INT_MAX))
	{
		CString strCommandLine(static_cast<const char*>(pCopyDataStruct->lpData),
			static_cast<int>(pCopyDataStruct->cbData));
		IniPlay(strCommandLine);
	}
	return CDialog::OnCopyData(hWndFrom, pCopyDataStruct);
}

void CQuiloPlayerDlg::OnCancel()
{
	if (::MessageBoxW(m_hWnd, L"是否退出MelboTV播放器？", L"MelboTV播放器", MB_YESNO | MB_ICONQUESTION) == IDYES)
		CDialog::OnCancel();
}

void CQuiloPlayerDlg::OnDestroy()
{
	SaveSkinPath(m_arrSkinDirs, m_nSkinIndex);
	KillTimer(kAutoHideTimer);
	KillTimer(kFinishStartTimer);
	if (g_hKeyboardHook)
		::UnhookWindowsHookEx(g_hKeyboardHook);
	g_hKeyboardHook = nullptr;
	if (g_hMouseHook)
		::UnhookWindowsHookEx(g_hMouseHook);
	g_hMouseHook = nullptr;
	if (m_menu.GetSafeHmenu())
		m_menu.ReleaseMenu();
	try
	{
		if (m_wndLivePlugIn.GetSafeHwnd())
			m_wndLivePlugIn.DestroyWindow();
		if (m_wndHttpPlayer.GetSafeHwnd())
			m_wndHttpPlayer.DestroyWindow();
	}
	catch (...)
	{
		WriteLog(LOG_ERR, "CQuiloPlayerDlg::OnDestroy 异常");
	}
	::RemovePropW(m_hWnd, ToWide(kPlayerWindowProp).c_str());
	CDialog::OnDestroy();
}

LRESULT CALLBACK CQuiloPlayerDlg::KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
	// Escape in the player leaves the plug-in's full screen; auto-repeats (previous key state set) pass on,
	// and so do the Escapes of an open menu, the exit question, the About box and the side panel.
	const LPARAM kPreviousKeyState = 1 << 30;
	const LPARAM kKeyUp = static_cast<LPARAM>(1u << 31);
	CQuiloPlayerDlg* pDlg = g_pPlayerDlg;
	GUITHREADINFO info = {};
	info.cbSize = sizeof(info);
	bool bInMenu = ::GetGUIThreadInfo(::GetCurrentThreadId(), &info)
		&& (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
	HWND hActive = ::GetActiveWindow();
	if (nCode >= 0 && wParam == VK_ESCAPE && !(lParam & kPreviousKeyState) && !(lParam & kKeyUp) && pDlg
		&& pDlg->m_nPlayMode == PLAY_MODE_LIVE && !bInMenu && hActive == pDlg->m_hWnd)
	{
		// A failed dispatch call must not unwind through the system's hook code.
		try
		{
			pDlg->m_wndLivePlugIn.SetOption("FULLSCREEN", "FALSE");
		}
		catch (...)
		{
			AfxReportException("CQuiloPlayerDlg::KeyboardHookProc");
		}
		return 1;
	}
	// Shift+F10 and the Menu key ask the active window for its frame menu before a hosted control eats
	// them; posted, so that the menu's loop does not run inside the hook. Not while a menu runs, and not in
	// the library page, whose fields have context menus of their own.
	bool bMenuKey = wParam == VK_APPS || (wParam == VK_F10 && (::GetKeyState(VK_SHIFT) & 0x8000));
	if (nCode >= 0 && bMenuKey && pDlg && hActive && !bInMenu && !pDlg->m_wndAppend.IsInLibraryPage(::GetFocus())
		&& (hActive == pDlg->m_hWnd || hActive == pDlg->m_wndAppend.GetSafeHwnd()))
	{
		if (!(lParam & kKeyUp) && !(lParam & kPreviousKeyState))
			::PostMessageW(hActive, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hActive), -1);
		return 1;
	}
	return ::CallNextHookEx(g_hKeyboardHook, nCode, wParam, lParam);
}

LRESULT CALLBACK CQuiloPlayerDlg::MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
	return ::CallNextHookEx(g_hMouseHook, nCode, wParam, lParam);
}
