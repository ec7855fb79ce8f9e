// How the player window starts: what is read beside the window's making, and what follows its first paint.
#include "player/QuiloPlayerDlg.h"

#include "framework/Handle.h"
#include "framework/WinApp.h"
#include "player/Settings.h"
#include "player/SkinFolders.h"

#include <memory>

namespace
{
// What the window's initialisation reads, read by a thread of its own from PrepareMainWindow on while the
// window thread sets up OLE and makes the window: the client configuration, then both skin descriptions
// and their images at the system's scale, which it hands over to the window thread's share. The skin
// choice is made first, on the window thread.
struct CStartPrefetch
{
	CString strConfigUrl;
	CString strConfigText;
	CStringArray arrSkinDirs;
	CString strSkinPath;
	DWORD dwWindowThread = 0;
	// Set when the reading is done: the window thread takes it from then on, and the thread goes on with
	// fnThen.
	CHandle hDone;
	CHandle hThread;
	std::function<void()> fnThen;
};
std::unique_ptr<CStartPrefetch> g_pStartPrefetch;

DWORD WINAPI StartPrefetchThread(void* pParam)
{
	auto* pPrefetch = static_cast<CStartPrefetch*>(pParam);
	pPrefetch->strConfigText = CClientConfig::DownloadClientConfig(pPrefetch->strConfigUrl);
	// Faults are the crash handler's; anything thrown here only leaves the window to read the skin itself.
	try
	{
		CSkinFrame::CImageShare share;
		CSkinFrame frameMain;
		CSkinFrame framePanel;
		frameMain.LoadSkinFile(pPrefetch->strSkinPath + "Main.ini");
		framePanel.LoadSkinFile(pPrefetch->strSkinPath + "Append.ini");
		share.HandOver(pPrefetch->dwWindowThread);
	}
	catch (...)
	{
	}
	// The record is the window thread's once done is set.
	std::function<void()> fnThen = std::move(pPrefetch->fnThen);
	::SetEvent(pPrefetch->hDone.Get());
	if (fnThen)
		fnThen();
	return 0;
}

// The skin folders, and the one chosen by its folder's own spelling, not the lower-case one the choice is
// compared in: a file system that tells cases apart (Wine's) finds its files without searching each folder on
// the way. The list is empty without skins.
void ChooseSkin(CStringArray& arrDirs, CString& strSkinPath)
{
	EnumSkinDirectories(GetSkinDirectory(), arrDirs);
	strSkinPath = ReadSkinPath(arrDirs);
	int nListed = FindListedSkin(arrDirs, strSkinPath);
	if (nListed >= 0)
		strSkinPath = arrDirs[nListed];
}
}

bool PrepareMainWindow(std::function<void()> fnThen)
{
	std::unique_ptr<CStartPrefetch> pPrefetch(new CStartPrefetch);
	pPrefetch->strConfigUrl = ReadClientConfigUrl();
	ChooseSkin(pPrefetch->arrSkinDirs, pPrefetch->strSkinPath);
	pPrefetch->dwWindowThread = ::GetCurrentThreadId();
	pPrefetch->fnThen = std::move(fnThen);
	pPrefetch->hDone.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
	if (pPrefetch->hDone)
		pPrefetch->hThread.Reset(::CreateThread(nullptr, 0, &StartPrefetchThread, pPrefetch.get(), 0, nullptr));
	// Without a thread the window reads it all itself.
	if (!pPrefetch->hThread)
		return false;
	g_pStartPrefetch = std::move(pPrefetch);
	return true;
}

void RunMainWindow(CWinApp& app, std::function<void()> fnAfterFirstPaint)
{
	CQuiloPlayerDlg dlg;
	dlg.SetAfterFirstPaint(std::move(fnAfterFirstPaint));
	app.m_pMainWnd = &dlg;
	dlg.DoModal();
	app.m_pMainWnd = nullptr;
	// A window that ended before its first paint still leaves the application's share done.
	dlg.RunAfterFirstPaint();
	// What the window never took is left to its thread, which may still write into it: the process ends.
	g_pStartPrefetch.release();
}

void CQuiloPlayerDlg::TakeStartReading()
{
	std::unique_ptr<CStartPrefetch> pPrefetch = std::move(g_pStartPrefetch);
	if (pPrefetch)
	{
		// The download keeps its own deadline.
		::WaitForSingleObject(pPrefetch->hDone.Get(), INFINITE);
		m_strClientConfigUrl = pPrefetch->strConfigUrl;
		TakeClientConfig(pPrefetch->strConfigText);
		m_arrSkinDirs = pPrefetch->arrSkinDirs;
		m_strSkinPath = pPrefetch->strSkinPath;
		return;
	}
	m_strClientConfigUrl = ReadClientConfigUrl();
	LoadClientConfig(m_strClientConfigUrl);
	ChooseSkin(m_arrSkinDirs, m_strSkinPath);
}

void CQuiloPlayerDlg::FinishStart(WPARAM nStep)
{
	// One piece a message: a link handed over meanwhile (a message another process sends) waits for one piece,
	// not for them all.
	switch (nStep)
	{
	case 0:
		KillTimer(kFinishStartTimer);
		if (m_bStartFinished)
			return;
		m_bStartFinished = true;
		// Whatever else waits for its first paint (the panel, the hosted controls, the button) is painted first.
		::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
		if (m_wndAppend.GetSafeHwnd())
			::RedrawWindow(m_wndAppend.GetSafeHwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
		m_trayIcon.SetNotifyWindow(this, kTrayMessage);
		m_trayIcon.SetIconFromResource(IDR_MAINFRAME, m_skinFrame.GetScale().Scale(kSmallIcon));
		break;
	case 1:
	{
		// The side-panel button's tooltip window, for the panel as it is now (a click may have hidden it already).
		bool bPanelHidden = m_wndAppend.GetSafeHwnd() && !m_wndAppend.IsWindowVisible();
		m_btnToggle.SetTooltip(bPanelHidden ? "显示视频库" : "隐藏视频库", TRUE);
		break;
	}
	case 2:
		RunAfterFirstPaint();
		return;
	default:
		return;
	}
	PostMessage(kFinishStartMessage, nStep + 1);
}

void CQuiloPlayerDlg::RunAfterFirstPaint()
{
	std::function<void()> fnAfterFirstPaint = std::move(m_fnAfterFirstPaint);
	m_fnAfterFirstPaint = nullptr;
	if (fnAfterFirstPaint)
		fnAfterFirstPaint();
}
