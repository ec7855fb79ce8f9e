// The player window's commands: the tray and button menus with the skin menu, the side-panel button,
// the maker's pages, hiding to the tray and back, and the About box.
#include "player/QuiloPlayerDlg.h"

#include "app/Log.h"
#include "player/AboutDlg.h"
#include "player/SkinFolders.h"
#include "player/SkinMenu.h"

#include <shellapi.h>

namespace
{
const UINT kTrackFlags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
// The skin sub-menu's place in the button menu.
const int kSkinMenuPosition = 2;
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
	// Folders added while the player runs are listed the next time.
	EnumSkinDirectories(GetSkinDirectory(), m_arrSkinDirs);
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
	CAboutDlg dlgAbout(bListed ? m_arrSkinDirs[m_nSkinIndex] : CString(), this);
	dlgAbout.DoModal();
}

BOOL CQuiloPlayerDlg::OpenInBrowser(const CString& strUrl)
{
	try
	{
		// Always the system's own browser, never the default one; no error box if it cannot start.
		SHELLEXECUTEINFOA sei = {};
		sei.cbSize = sizeof(sei);
		sei.fMask = SEE_MASK_FLAG_NO_UI;
		sei.hwnd = m_hWnd;
		sei.lpVerb = "open";
		sei.lpFile = "IEXPLORE";
		sei.lpParameters = strUrl;
		sei.nShow = SW_SHOWNORMAL;
		return ::ShellExecuteExA(&sei);
	}
	catch (...)
	{
		return FALSE;
	}
}
