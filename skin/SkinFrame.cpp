#include "skin/SkinFrame.h"

#include "framework/WideText.h"

#include <windowsx.h>

namespace
{
// Screen coordinates of a mouse message, signed: a window partly left of or above the screen's
// origin has negative ones.
POINT PointOf(LPARAM lParam)
{
	return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

bool IsSizingCode(int nCode)
{
	return nCode >= HTLEFT && nCode <= HTBOTTOMRIGHT;
}

bool InRect(int x, int y, int nLeft, int nTop, int nRight, int nBottom)
{
	return x >= nLeft && x < nRight && y >= nTop && y < nBottom;
}
}

BOOL CSkinFrame::InstallSkin(CWnd* pWnd, BOOL bShowIcon, BOOL bShowSystemMenu)
{
	if (!pWnd || !pWnd->GetSafeHwnd() || !m_bLoaded)
		return FALSE;
	AttachToHandle(nullptr);
	BOOL bAttached = AttachTo(pWnd);
	m_bShowIcon = bShowIcon;
	m_bShowSystemMenu = bShowSystemMenu;
	HWND hWnd = pWnd->GetSafeHwnd();
	AdoptWindowScale(hWnd);
	LONG_PTR nStyle = ::GetWindowLongPtrW(hWnd, GWL_STYLE);
	m_bHadThickFrame = (nStyle & WS_THICKFRAME) != 0;
	m_bHadMinimizeBox = (nStyle & WS_MINIMIZEBOX) != 0;
	m_bHadMaximizeBox = (nStyle & WS_MAXIMIZEBOX) != 0;
	m_nCaptionStyle = nStyle & WS_CAPTION;
	::SetWindowLongPtrW(hWnd, GWL_STYLE, nStyle & ~static_cast<LONG_PTR>(WS_CAPTION));
	return bAttached;
}

BOOL CSkinFrame::ApplyTo(CWnd* pWnd, const char* pszPath, BOOL bShowIcon, BOOL bShowSystemMenu, int& bFirstSkin)
{
	BOOL bLoaded = LoadSkinFile(pszPath);
	if (bFirstSkin && InstallSkin(pWnd, bShowIcon, bShowSystemMenu))
		bFirstSkin = 0;
	// A window not yet shown is neither raised nor activated: its showing does both.
	UINT nHidden = pWnd->IsWindowVisible() ? 0 : SWP_NOZORDER | SWP_NOACTIVATE;
	pWnd->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED | nHidden);
	return bLoaded;
}

void CSkinFrame::FitCaptionStyle()
{
	HWND hWnd = GetHwnd();
	LONG_PTR nStyle = ::GetWindowLongPtrW(hWnd, GWL_STYLE);
	if (m_bLoaded)
	{
		::SetWindowLongPtrW(hWnd, GWL_STYLE, nStyle & ~static_cast<LONG_PTR>(WS_CAPTION));
		return;
	}
	::SetWindowLongPtrW(hWnd, GWL_STYLE, nStyle | m_nCaptionStyle);
	::SetWindowRgn(hWnd, nullptr, TRUE);
}

int CSkinFrame::FixedSlotOf(int nAction)
{
	return nAction == SKIN_ACTION_CLOSE ? SKIN_SLOT_CLOSE : nAction == SKIN_ACTION_MINIMIZE ? SKIN_SLOT_MINIMIZE
		: nAction == SKIN_ACTION_MENU ? SKIN_SLOT_MENU : -1;
}

RECT CSkinFrame::GetButtonRect(int nAction) const
{
	int nSlot = FixedSlotOf(nAction);
	if (nAction == SKIN_ACTION_MAXIMIZE && !m_bmpButtons[SKIN_SLOT_MAXIMIZE].IsNull())
		nSlot = m_nWindowState == SKIN_STATE_MAXIMIZED && !m_bmpButtons[SKIN_SLOT_RESTORE].IsNull()
			? SKIN_SLOT_RESTORE : SKIN_SLOT_MAXIMIZE;
	else if (nAction == SKIN_ACTION_TOPMOST && !m_bmpButtons[SKIN_SLOT_TOPMOST].IsNull())
		nSlot = m_bTopmost && !m_bmpButtons[SKIN_SLOT_PINNED].IsNull() ? SKIN_SLOT_PINNED : SKIN_SLOT_TOPMOST;
	if (nSlot < 0 || m_bmpButtons[nSlot].IsNull())
		return RECT{};
	RECT rcWindow = {};
	::GetWindowRect(GetHwnd(), &rcWindow);
	int nWidth = rcWindow.right - rcWindow.left;
	const RECT& rcSlot = m_rcButtons[nSlot];
	return RECT{nWidth - rcSlot.right, rcSlot.top, nWidth - rcSlot.left, rcSlot.bottom};
}

HBITMAP CSkinFrame::GetButtonImage(int nAction) const
{
	int nSlot = FixedSlotOf(nAction);
	if (nSlot >= 0)
		return m_bmpButtons[nSlot];
	if (nAction == SKIN_ACTION_MAXIMIZE)
		return m_nWindowState == SKIN_STATE_MAXIMIZED && !m_bmpButtons[SKIN_SLOT_RESTORE].IsNull()
			? m_bmpButtons[SKIN_SLOT_RESTORE] : m_bmpButtons[SKIN_SLOT_MAXIMIZE];
	if (nAction == SKIN_ACTION_TOPMOST)
		return m_bTopmost || m_bmpButtons[SKIN_SLOT_TOPMOST].IsNull()
			? m_bmpButtons[SKIN_SLOT_PINNED] : m_bmpButtons[SKIN_SLOT_TOPMOST];
	return nullptr;
}

BOOL CSkinFrame::IsButtonShown(int nAction) const
{
	switch (nAction)
	{
	case SKIN_ACTION_CLOSE:
		return !m_bmpButtons[SKIN_SLOT_CLOSE].IsNull();
	case SKIN_ACTION_MINIMIZE:
		return !m_bmpButtons[SKIN_SLOT_MINIMIZE].IsNull() && m_bHadMinimizeBox;
	case SKIN_ACTION_MAXIMIZE:
		return !m_bmpButtons[SKIN_SLOT_MAXIMIZE].IsNull() && m_bHadMaximizeBox;
	case SKIN_ACTION_TOPMOST:
		return !m_bmpButtons[SKIN_SLOT_PINNED].IsNull();
	case SKIN_ACTION_MENU:
		return !m_bmpButtons[SKIN_SLOT_MENU].IsNull();
	default:
		return FALSE;
	}
}

int CSkinFrame::HitTest(int x, int y) const
{
	RECT rcWindow = {};
	::GetWindowRect(GetHwnd(), &rcWindow);
	POINT pt = {x - rcWindow.left, y - rcWindow.top};
	const int W = rcWindow.right - rcWindow.left;
	const int H = rcWindow.bottom - rcWindow.top;
	const int Lw = m_nLeftWidth;
	const int Rw = m_nRightWidth;
	const int Th = m_nCaptionHeight;
	const int Bh = m_nBottomHeight;
	auto inButton = [&](int nAction) {
		RECT rc = GetButtonRect(nAction);
		return ::PtInRect(&rc, pt) != FALSE;
	};
	if (inButton(SKIN_ACTION_CLOSE))
		return HTCLOSE;
	if (inButton(SKIN_ACTION_MINIMIZE) && m_bHadMinimizeBox)
		return HTMINBUTTON;
	if (inButton(SKIN_ACTION_MAXIMIZE) && m_bHadMaximizeBox)
		return HTMAXBUTTON;
	if (inButton(SKIN_ACTION_TOPMOST))
		return HT_SKIN_TOPMOST;
	if (inButton(SKIN_ACTION_MENU))
		return HT_SKIN_MENU;
	// The small icon's box answers as the system menu whether or not the icon is drawn.
	const int nIconTop = m_dpi.Scale(kIconTop);
	const int nIcon = m_dpi.Scale(kIconSize);
	if (InRect(pt.x, pt.y, Lw, nIconTop, Lw + nIcon, nIconTop + nIcon))
		return HTSYSMENU;
	if (m_bHadThickFrame && m_nWindowState != SKIN_STATE_MAXIMIZED)
	{
		if (InRect(pt.x, pt.y, 0, 0, Lw, Th))
			return HTTOPLEFT;
		if (InRect(pt.x, pt.y, W - Lw, 0, W, Th))
			return HTTOPRIGHT;
		if (InRect(pt.x, pt.y, 0, H - Bh, Lw, H))
			return HTBOTTOMLEFT;
		if (InRect(pt.x, pt.y, W - Rw, H - Bh, W, H))
			return HTBOTTOMRIGHT;
		if (InRect(pt.x, pt.y, 0, Th, Lw, H - Bh))
			return HTLEFT;
		if (InRect(pt.x, pt.y, W - Rw, Th, W, H - Bh))
			return HTRIGHT;
		if (InRect(pt.x, pt.y, Lw, H - Bh, W - Rw, H))
			return HTBOTTOM;
		if (InRect(pt.x, pt.y, Lw, 0, W - Rw, Bh))
			return HTTOP;
	}
	// The small icon's box answers as the system menu whether or not the icon is drawn.
	if (InRect(pt.x, pt.y, Lw, nIconTop, W - Rw, Th))
		return HTCAPTION;
	return HTCLIENT;
}

void CSkinFrame::SetTopmost(BOOL bTopmost)
{
	::SetWindowPos(GetHwnd(), bTopmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
		SWP_NOSIZE | SWP_NOMOVE | SWP_NOSENDCHANGING);
	m_bTopmost = bTopmost;
}

void CSkinFrame::MaximizeToWorkArea()
{
	HWND hWnd = GetHwnd();
	RECT rcWork = {};
	if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0))
		return;
	// The rectangle to come back to is the one before the first maximise: maximising again (from the
	// system menu, or the taskbar while minimised from the maximised state) must not lose it.
	bool bMaximized = m_nWindowState == SKIN_STATE_MAXIMIZED
		|| (m_nWindowState == SKIN_STATE_MINIMIZED && m_nStateBeforeMinimize == SKIN_STATE_MAXIMIZED);
	if (m_nWindowState == SKIN_STATE_MINIMIZED || ::IsIconic(hWnd))
		::ShowWindow(hWnd, SW_RESTORE);
	if (!bMaximized)
		::GetWindowRect(hWnd, &m_rcRestore);
	m_nWindowState = SKIN_STATE_MAXIMIZED;
	::MoveWindow(hWnd, rcWork.left, rcWork.top, rcWork.right - rcWork.left, rcWork.bottom - rcWork.top, TRUE);
	::UpdateWindow(hWnd);
}

void CSkinFrame::RestoreFromMaximized()
{
	if (m_nWindowState != SKIN_STATE_MAXIMIZED)
		return;
	HWND hWnd = GetHwnd();
	m_nWindowState = SKIN_STATE_NORMAL;
	::MoveWindow(hWnd, m_rcRestore.left, m_rcRestore.top, m_rcRestore.right - m_rcRestore.left,
		m_rcRestore.bottom - m_rcRestore.top, TRUE);
	::UpdateWindow(hWnd);
}

void CSkinFrame::RestoreFromMinimized()
{
	::ShowWindow(GetHwnd(), SW_RESTORE);
	m_nWindowState = m_nStateBeforeMinimize;
	PaintFrame();
}

void CSkinFrame::ToggleMaximized()
{
	if (m_nWindowState == SKIN_STATE_MAXIMIZED)
		RestoreFromMaximized();
	else
		MaximizeToWorkArea();
}

void CSkinFrame::ShowSystemMenu(int x, int y)
{
	if (!m_bShowSystemMenu)
		return;
	HWND hWnd = GetHwnd();
	if (HMENU hMenu = ::GetSystemMenu(hWnd, FALSE))
		::TrackPopupMenu(hMenu, 0, x, y, 0, hWnd, nullptr);
}

BOOL CSkinFrame::HandleSystemMenuCommand(WPARAM wParam, LPARAM lParam)
{
	// Commands of controls are theirs.
	if (lParam)
		return FALSE;
	HWND hWnd = GetHwnd();
	UINT nId = LOWORD(wParam);
	HMENU hMenu = ::GetSystemMenu(hWnd, FALSE);
	int nItems = hMenu ? ::GetMenuItemCount(hMenu) : 0;
	bool bFound = false;
	for (int i = 0; i < nItems && !bFound; ++i)
		bFound = ::GetMenuItemID(hMenu, i) == nId;
	if (!bFound)
		return FALSE;
	switch (nId)
	{
	case SC_MAXIMIZE:
		MaximizeToWorkArea();
		break;
	case SC_MINIMIZE:
		m_nStateBeforeMinimize = m_nWindowState;
		m_nWindowState = SKIN_STATE_MINIMIZED;
		::ShowWindow(hWnd, SW_MINIMIZE);
		break;
	case SC_RESTORE:
		if (m_nWindowState == SKIN_STATE_MAXIMIZED)
			RestoreFromMaximized();
		else if (m_nWindowState == SKIN_STATE_MINIMIZED)
			RestoreFromMinimized();
		else
			::SendMessageW(hWnd, WM_SYSCOMMAND, nId, 0);
		break;
	default:
		::SendMessageW(hWnd, WM_SYSCOMMAND, nId, 0);
		break;
	}
	return TRUE;
}

LRESULT CSkinFrame::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	HWND hWnd = GetHwnd();
	if (!::IsWindow(hWnd))
		return 0;
	// Tracking ends with this message whoever handles it: one that comes while minimised or unskinned
	// must not leave the next hover untracked.
	if (uMsg == WM_NCMOUSELEAVE)
		m_bTrackingLeave = FALSE;
	if (!m_bLoaded)
		return PassOn(uMsg, wParam, lParam);
	if (LRESULT lResult = uMsg == WM_GETOBJECT ? m_access.OnGetObject(*this, wParam, lParam) : 0)
		return lResult;
	uMsg = uMsg == CSkinCaptionAccess::PressMessage() ? WM_NCLBUTTONUP : uMsg; // a reader's press: a click
	// A minimised window is the platform's to draw and to restore (where it shows at all: Wine without a
	// window manager draws it as a small caption); the frame only follows activation and restores.
	if (::IsIconic(hWnd) && uMsg != WM_SYSCOMMAND && uMsg != WM_COMMAND)
	{
		if (uMsg == WM_ACTIVATE)
			m_bActive = LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE;
		else if (uMsg == WM_NCACTIVATE)
			m_bActive = static_cast<BOOL>(wParam);
		return PassOn(uMsg, wParam, lParam);
	}

	switch (uMsg)
	{
	case WM_SIZE:
	{
		PassOn(uMsg, wParam, lParam);
		::InvalidateRect(hWnd, nullptr, TRUE);
		PaintFrame();
		RECT rc;
		::GetWindowRect(hWnd, &rc);
		CRgn rgn;
		if (m_bUsesTran)
			rgn = BuildCaptionRegion(rc.right - rc.left, rc.bottom - rc.top);
		if (::SetWindowRgn(hWnd, rgn, TRUE))
			rgn.Detach();
		return 0;
	}
	case WM_ACTIVATE:
		m_bActive = LOWORD(wParam) == WA_ACTIVE || LOWORD(wParam) == WA_CLICKACTIVE;
		PaintFrame();
		// The dialog manager keeps the focus at deactivation and gives it back on return.
		return PassOn(uMsg, wParam, lParam);
	case WM_SETTEXT:
	{
		// The result is the window's own: SetWindowText reports it.
		LRESULT lResult = PassOn(uMsg, wParam, lParam);
		// The hook is a Unicode one: the text comes as UTF-16 whichever form the caller used.
		m_strTitle = lParam ? FromWide(reinterpret_cast<const wchar_t*>(lParam)).c_str() : "";
		PaintFrame();
		return lResult;
	}
	case WM_SHOWWINDOW:
		if (wParam)
			::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
		PassOn(uMsg, wParam, lParam);
		return 0;
	case WM_INITMENUPOPUP:
		PassOn(uMsg, wParam, lParam);
		return 0;
	case WM_GETMINMAXINFO:
	{
		MINMAXINFO* pInfo = reinterpret_cast<MINMAXINFO*>(lParam);
		pInfo->ptMinTrackSize.x = GetBitmapSize(m_bmpTop).cx + GetBitmapSize(m_bmpLeft).cx + GetBitmapSize(m_bmpRight).cx;
		pInfo->ptMinTrackSize.y = GetBitmapSize(m_bmpLeft).cy + m_dpi.Scale(20);
		return 0;
	}
	case WM_WINDOWPOSCHANGING:
		return 0;
	case WM_DPICHANGED:
		return OnDpiChanged(wParam, lParam);
	case WM_NCCALCSIZE:
	{
		if (!wParam)
			return PassOn(uMsg, wParam, lParam);
		NCCALCSIZE_PARAMS* pParams = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
		RECT& rc = pParams->rgrc[0];
		rc.left += m_nLeftWidth;
		rc.top += m_nCaptionHeight;
		rc.right -= m_nRightWidth;
		rc.bottom -= m_nBottomHeight;
		pParams->rgrc[1] = rc;
		return 0;
	}
	case WM_NCHITTEST:
	{
		POINT pt = PointOf(lParam);
		return HitTest(pt.x, pt.y);
	}
	case WM_NCPAINT:
		PaintFrame();
		return 0;
	case WM_NCACTIVATE:
		m_bActive = static_cast<BOOL>(wParam);
		PaintFrame();
		return wParam == 0 ? 1 : 0;
	case WM_NCMOUSEMOVE:
	{
		int nCode = static_cast<int>(wParam);
		if (IsSizingCode(nCode) || (nCode == HTCAPTION && m_nWindowState != SKIN_STATE_MAXIMIZED))
			PassOn(uMsg, wParam, lParam);
		if (!m_bTrackingLeave)
		{
			// Told when the pointer leaves the frame, so that no button stays lit.
			TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE | TME_NONCLIENT, hWnd, 0};
			m_bTrackingLeave = ::TrackMouseEvent(&tme);
		}
		m_nHoverCode = nCode;
		m_nPressedCode = 0;
		if (nCode != m_nLastHoverCode)
		{
			PaintFrame();
			m_nLastHoverCode = nCode;
		}
		return 0;
	}
	case WM_NCMOUSELEAVE:
		if (m_nHoverCode || m_nPressedCode)
		{
			m_nHoverCode = m_nPressedCode = m_nLastHoverCode = 0;
			PaintFrame();
		}
		return PassOn(uMsg, wParam, lParam);
	case WM_NCLBUTTONDOWN:
	{
		int nCode = static_cast<int>(wParam);
		m_nPressedCode = m_nHoverCode = nCode;
		PaintFrame();
		if (IsSizingCode(nCode) || (nCode == HTCAPTION && m_nWindowState != SKIN_STATE_MAXIMIZED))
			PassOn(uMsg, wParam, lParam);
		else if (nCode == HTSYSMENU)
		{
			POINT pt = PointOf(lParam);
			ShowSystemMenu(pt.x, pt.y);
		}
		return 0;
	}
	case WM_NCLBUTTONUP:
	{
		int nCode = static_cast<int>(wParam);
		POINT pt = PointOf(lParam);
		switch (nCode)
		{
		case HTCLOSE:
			// The window may be gone when this returns.
			::SendMessageW(hWnd, WM_CLOSE, 0, 0);
			return 0;
		case HTMINBUTTON:
			m_nStateBeforeMinimize = m_nWindowState;
			m_nWindowState = SKIN_STATE_MINIMIZED;
			::ShowWindow(hWnd, SW_MINIMIZE);
			break;
		case HTMAXBUTTON:
			ToggleMaximized();
			break;
		case HT_SKIN_TOPMOST:
			SetTopmost(!m_bTopmost);
			break;
		case HT_SKIN_MENU:
			if (m_fnMenuButton)
				m_fnMenuButton(pt.x, pt.y);
			break;
		default:
			return 0;
		}
		m_nPressedCode = m_nHoverCode = 0;
		PaintFrame();
		return 0;
	}
	case WM_CONTEXTMENU:
	{
		// From the keyboard (no position): the menu opens under its button, as a click would open it; a
		// frame without the button opens it under its caption.
		if (lParam != -1 || !m_fnMenuButton)
			return PassOn(uMsg, wParam, lParam);
		RECT rcWindow = {}, rcButton = {m_nLeftWidth, 0, 0, m_nCaptionHeight};
		if (IsButtonShown(SKIN_ACTION_MENU))
			rcButton = GetButtonRect(SKIN_ACTION_MENU);
		::GetWindowRect(hWnd, &rcWindow);
		m_fnMenuButton(rcWindow.left + rcButton.left, rcWindow.top + rcButton.bottom);
		return 0;
	}
	case WM_NCLBUTTONDBLCLK:
		if (wParam == HTCAPTION && m_bHadThickFrame && m_bHadMaximizeBox)
		{
			ToggleMaximized();
			m_nPressedCode = m_nHoverCode = 0;
			PaintFrame();
		}
		return 0;
	case WM_NCRBUTTONDOWN:
		if (wParam == HTCAPTION)
		{
			POINT pt = PointOf(lParam);
			ShowSystemMenu(pt.x, pt.y);
		}
		return 0;
	case WM_NCRBUTTONUP:
		return 0;
	case WM_COMMAND:
		if (HandleSystemMenuCommand(wParam, lParam))
			return 0;
		return PassOn(uMsg, wParam, lParam);
	case WM_SYSCOMMAND:
		if (wParam == SC_MAXIMIZE)
			MaximizeToWorkArea();
		else if (wParam == SC_RESTORE && m_nWindowState == SKIN_STATE_MAXIMIZED)
			RestoreFromMaximized();
		else if (wParam == SC_RESTORE && m_nWindowState == SKIN_STATE_MINIMIZED)
			RestoreFromMinimized();
		else
			PassOn(uMsg, wParam, lParam);
		return 0;
	default:
		return PassOn(uMsg, wParam, lParam);
	}
}
