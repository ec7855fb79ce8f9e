// Play requests: the link a later instance forwards picks the control that plays it.
#include "player/QuiloPlayerDlg.h"

#include "app/Log.h"
#include "player/ConfigFields.h"


#include <cstring>
#include <vector>

namespace
{
const CString kFlashPrefix = "tarntvstream://";
const CString kLivePrefix = "wenlive2://";
// Without a host the address unloads the current Flash movie.
const char kUnloadMovie[] = "http://";
const unsigned long kOpenStreamValue = 100;
}

void CQuiloPlayerDlg::IniPlay(CString strCommandLine)
{
	// Up to the first zero byte, as the text always reached the player.
	strCommandLine = UnescapeUrlBytes(strCommandLine.GetString()).c_str();

	// The shell quotes the link; some browsers add a slash before the closing quote.
	if (strCommandLine.Right(2) == "/\"")
		strCommandLine = strCommandLine.Left(strCommandLine.GetLength() - 2);

	int nFlash = strCommandLine.Find(kFlashPrefix);
	if (nFlash >= 0)
	{
		PlayFlash(strCommandLine.Mid(nFlash + kFlashPrefix.GetLength()));
		return;
	}
	int nLive = strCommandLine.Find(kLivePrefix);
	if (nLive >= 0)
	{
		PlayLive(strCommandLine.Mid(nLive + kLivePrefix.GetLength()));
		return;
	}
	m_nPlayMode = PLAY_MODE_UNSUPPORTED;
	WriteLog(LOG_ERR, "不支持当前播放协议");
}

void CQuiloPlayerDlg::FocusControlInFront()
{
	HWND hFront = m_nPlayMode == PLAY_MODE_LIVE ? m_wndLivePlugIn.GetSafeHwnd() : m_wndHttpPlayer.GetSafeHwnd();
	HWND hBehind = m_nPlayMode == PLAY_MODE_LIVE ? m_wndHttpPlayer.GetSafeHwnd() : m_wndLivePlugIn.GetSafeHwnd();
	// A control with no size is no tab stop: Tab goes only between what can be seen.
	if (hBehind)
		::SetWindowLongPtrW(hBehind, GWL_STYLE, ::GetWindowLongPtrW(hBehind, GWL_STYLE) & ~WS_TABSTOP);
	if (!hFront)
		return;
	::SetWindowLongPtrW(hFront, GWL_STYLE, ::GetWindowLongPtrW(hFront, GWL_STYLE) | WS_TABSTOP);
	// Keys go to the control's own window inside its host, where it has one.
	HWND hInside = ::GetWindow(hFront, GW_CHILD);
	::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hInside ? hInside : hFront), TRUE);
}

void CQuiloPlayerDlg::PlayFlash(const CString& strLink)
{
	RECT rcClient;
	GetClientRect(&rcClient);
	if (m_wndHttpPlayer.GetSafeHwnd())
		m_wndHttpPlayer.MoveWindow(rcClient);
	if (m_wndLivePlugIn.GetSafeHwnd())
		m_wndLivePlugIn.MoveWindow(0, 0, 0, 0);
	if (m_nPlayMode == PLAY_MODE_LIVE && m_wndLivePlugIn.GetSafeHwnd())
		m_wndLivePlugIn.CloseStream();
	m_nPlayMode = PLAY_MODE_FLASH;
	WriteLog(LOG_DEBG, "IniPlay_CommandLine: " + strLink);
	if (m_wndHttpPlayer.GetSafeHwnd())
		m_wndHttpPlayer.SetMovie(strLink);
	FocusControlInFront();
}

void CQuiloPlayerDlg::PlayLive(const CString& strLink)
{
	RECT rcClient;
	GetClientRect(&rcClient);
	if (m_wndLivePlugIn.GetSafeHwnd())
		m_wndLivePlugIn.MoveWindow(rcClient);
	if (m_wndHttpPlayer.GetSafeHwnd())
		m_wndHttpPlayer.MoveWindow(0, 0, 0, 0);
	if (m_nPlayMode == PLAY_MODE_FLASH && m_wndHttpPlayer.GetSafeHwnd())
		m_wndHttpPlayer.SetMovie(kUnloadMovie);
	m_nPlayMode = PLAY_MODE_LIVE;
	WriteLog(LOG_DEBG, "IniPlay_CommandLine: " + strLink);
	try
	{
		if (m_wndLivePlugIn.GetSafeHwnd())
		{
			m_wndLivePlugIn.PrepareStream();
			m_wndLivePlugIn.OpenStream(strLink, kOpenStreamValue);
			m_wndLivePlugIn.StartStream();
		}
	}
	catch (...)
	{
		WriteLog(LOG_ERR, "高清p2p方式播放异常");
	}
	FocusControlInFront();
}
