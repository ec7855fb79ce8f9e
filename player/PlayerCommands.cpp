// The player window's commands: the tray and button menus with the skin menu, the side-panel button,
// the maker's pages, hiding to the tray and back, and the About box.
#include "player/QuiloPlayerDlg.h"

#include "app/Log.h"
#include "framework/WideText.h"
#include "player/AboutDlg.h"
#include "player/SkinFolders.h"
#include "player/SkinMenu.h"

#include <shellapi.h>

namespace
{
const UINT kTrackFlags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
// The skin sub-menu's place in the button menu.
const int kSkinMenuPosition = 2;

// The text as one argument of a command line: in quotes, with the backslashes before the closing quote
// doubled so that they do not escape it; empty stays empty (no argument). A text that holds a quote
// cannot be passed whole: false.
bool QuoteArgument(const CString& strText, CString& strArgument)
{
	strArgument.Empty();
	if (strText.Find('"') >= 0)
		return false;
	if (strText.IsEmpty())
		return true;
	// The second byte of a two-byte character may be 0x5C without being a backslash.
	int nTrailing = 0;
	const char* psz = strText;
	for (int i = 0; psz[i]; ++i)
	{
		bool bDouble = IsLeadByte(psz[i]) && psz[i + 1];
		nTrailing = !bDouble && psz[i] == '\\' ? nTrailing + 1 : 0;
		if (bDouble)
			++i;
	}
	strArgument = "\"" + strText + CString(std::string(static_cast<size_t>(nTrailing), '\\')) + "\"";
	return true;
}
}

UINT CQuiloPlayerDlg::TrackMenu(UINT nID, int x, int y, bool bWithSkins)
{
	if (m_menu.GetSafeHmenu())
		m_menu.ReleaseMenu();
	// Flat on every system.
	CFlatMenu::ClassicDrawMode = 1;
	CFlatMenu::XpDrawMode = 1;
	if (!m_menu.LoadFromResource(nID))
		return 0;
	CMenu* pPopup = m_menu.GetSubMenu(0);
	if (!pPopup)
		return 0;
	if (bWithSkins)
		BuildSkinMenu(dynamic_cast<CFlatMenu*>(pPopup->GetSubMenu(kSkinMenuPosition)));
	return static_cast<UINT>(pPopup->TrackPopupMenu(kTrackFlags, x, y, this));
}

void CQuiloPlayerDlg::ShowTrayMenu()
{
	SetForegroundWindow();
	POINT pt = {0, 0};
	::GetCursorPos(&pt);
	UINT nCommand = TrackMenu(IDR_MENU_TRAY, pt.x, pt.y, false);
	// Without it the menu would not close when the user clicks outside it.
	PostMessage(WM_NULL);
	if (nCommand)
		PostMessage(WM_COMMAND, nCommand);
}

void CQuiloPlayerDlg::ShowButtonMenu(int x, int y)
{
	if (UINT nCommand = TrackMenu(IDR_MENU_BUTTON, x, y, true))
		PostMessage(WM_COMMAND, nCommand);
}

void CQuiloPlayerDlg::BuildSkinMenu(CFlatMenu* pSkinMenu)
{
	if (!pSkinMenu || pSkinMenu->GetMenuItemCount() < 0)
		return;
	// Folders added while the player runs are listed the next time. The skin in use is found again in the
	// new list, so that a folder added or removed before it moves neither the check mark nor the choice
	// saved at exit; once its own folder is gone, no entry is the skin in use.
	bool bListed = m_nSkinIndex >= 0 && m_nSkinIndex < m_arrSkinDirs.GetSize();
	CString strWorn = bListed ? m_arrSkinDirs[m_nSkinIndex] : CString();
	EnumSkinDirectories(GetSkinDirectory(), m_arrSkinDirs);
	if (bListed)
		m_nSkinIndex = FindListedSkin(m_arrSkinDirs, strWorn);
	FillSkinMenu(*pSkinMenu, m_arrSkinDirs, m_nSkinIndex);
}

void CQuiloPlayerDlg::OnSelectSkin(UINT nID)
{
	m_nSkinIndex = static_cast<int>(nID) - ID_SKIN_FIRST;
	if (m_nSkinIndex < 0 || m_nSkinIndex >= m_arrSkinDirs.GetSize())
		return;
	const CString strFolder = m_arrSkinDirs[m_nSkinIndex];
	ApplySkin(strFolder + "Main.ini");
	if (m_wndAppend.GetSafeHwnd())
		m_wndAppend.ApplySkin(strFolder + "Append.ini");
}

void CQuiloPlayerDlg::ToggleVideoLibrary()
{
	if (!m_wndAppend.GetSafeHwnd())
		return;
	if (m_wndAppend.IsWindowVisible())
	{
		m_btnToggle.SetImages(IDB_PANEL_SHOW, IDB_PANEL_SHOW_HOVER, IDB_PANEL_SHOW_PRESSED, 0, TRUE);
		m_btnToggle.SetTooltip("显示视频库", TRUE);
		m_wndAppend.ShowWindow(SW_HIDE);
	}
	else
	{
		m_btnToggle.SetImages(IDB_PANEL_HIDE, IDB_PANEL_HIDE_HOVER, IDB_PANEL_HIDE_PRESSED, 0, TRUE);
		m_btnToggle.SetTooltip("隐藏视频库", TRUE);
		m_wndAppend.ShowWindow(SW_SHOW);
	}
}

LRESULT CQuiloPlayerDlg::OnDpiChanged(WPARAM wParam, LPARAM)
{
	const CDpiScale& dpi = m_skinFrame.GetScale();
	// The panel takes the same scale, flush against the player's right edge and as tall as the player.
	if (m_wndAppend.GetSafeHwnd())
	{
		RECT rc;
		GetWindowRect(&rc);
		RECT rcPanel = {rc.right, rc.top, rc.right + dpi.Scale(CAppendDlg::kWidth), rc.bottom};
		::SendMessageW(m_wndAppend.GetSafeHwnd(), WM_DPICHANGED, wParam, reinterpret_cast<LPARAM>(&rcPanel));
	}
	m_btnToggle.SetScale(dpi);
	SetSmallIcon();
	// Before the end of the start the icon is not there yet: it comes at the scale of that moment.
	if (m_bStartFinished)
		m_trayIcon.SetIconFromResource(IDR_MAINFRAME, dpi.Scale(kSmallIcon));
	return 0;
}

void CQuiloPlayerDlg::SetSmallIcon()
{
	const int nSize = m_skinFrame.GetScale().Scale(kSmallIcon);
	CIconHandle icon(static_cast<HICON>(
		::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, nSize, nSize, 0)));
	SetIcon(icon ? icon.Get() : m_hIcon, FALSE);
	// The window holds the new icon now; the old one goes only after.
	if (icon)
		m_smallIcon = std::move(icon);
}

LRESULT CQuiloPlayerDlg::OnTrayNotify(WPARAM, LPARAM lParam)
{
	if (lParam == WM_RBUTTONUP)
		ShowTrayMenu();
	else if (lParam == WM_LBUTTONDBLCLK)
		ShowAndRestore();
	return 0;
}

void CQuiloPlayerDlg::ShowAndRestore()
{
	ShowWindow(SW_SHOW);
	ShowWindow(SW_RESTORE);
	SetForegroundWindow();
}

void CQuiloPlayerDlg::HideToTray()
{
	ShowWindow(SW_MINIMIZE);
	ShowWindow(SW_HIDE);
}

void CQuiloPlayerDlg::OnSysCommand(UINT nID, LPARAM)
{
	if ((nID & 0xFFF0) == IDM_ABOUTBOX)
		ShowAboutBox();
	else
		Default();
}

void CQuiloPlayerDlg::ShowAboutBox()
{
	bool bListed = m_nSkinIndex >= 0 && m_nSkinIndex < m_arrSkinDirs.GetSize();
	CAboutDlg dlgAbout(bListed ? m_arrSkinDirs[m_nSkinIndex] : CString(), this,
		[this](int x, int y) { ShowButtonMenu(x, y); });
	dlgAbout.DoModal();
}

BOOL CQuiloPlayerDlg::OpenInBrowser(const CString& strUrl)
{
	try
	{
		// The address is the browser's one argument: a blank in it (an unescaped "%20") must not start
		// another, nor may a quote end it early.
		CString strArgument;
		if (!QuoteArgument(strUrl, strArgument))
		{
			WriteLog(LOG_ERR, "OpenInBrowser_Refused: " + strUrl);
			return FALSE;
		}
		// Always the system's own browser, never the default one; no error box if it cannot start.
		std::wstring strParameters = ToWide(strArgument);
		SHELLEXECUTEINFOW sei = {};
		sei.cbSize = sizeof(sei);
		sei.fMask = SEE_MASK_FLAG_NO_UI;
		sei.hwnd = m_hWnd;
		sei.lpVerb = L"open";
		sei.lpFile = L"IEXPLORE";
		sei.lpParameters = strParameters.c_str();
		sei.nShow = SW_SHOWNORMAL;
		return ::ShellExecuteExW(&sei);
	}
	catch (...)
	{
		return FALSE;
	}
}
