// CQuiloPlayerDlg: the player window. It hosts the Flash control ("HttpPlayer") and the live plug-in
// ("LivePlugIn"), which take turns filling its client area, and plays the links later instances forward.
#pragma once

#include "app/MainWindow.h"
#include "controls/Livemediapluginctrl.h"
#include "controls/Shockwaveflash1.h"
#include "framework/Dialog.h"
#include "player/ClientConfig.h"

enum PlayMode
{
	PLAY_MODE_FLASH = 0,
	PLAY_MODE_LIVE = 1,
	PLAY_MODE_UNSUPPORTED = 2,
};

class CQuiloPlayerDlg : public CDialog, public CClientConfig
{
public:
	explicit CQuiloPlayerDlg(CWnd* pParentWnd = nullptr);
	~CQuiloPlayerDlg() override;

// Operations
	// Plays the link held anywhere in the text ("tarntvstream://" in the Flash control, "wenlive2://" live).
	void IniPlay(CString strCommandLine);

	BEGIN_MSG_MAP(CQuiloPlayerDlg)
		MSG_WM_CREATE(OnCreate)
		MSG_WM_SIZE(OnSize)
		MSG_WM_ERASEBKGND(OnEraseBkgnd)
		MSG_WM_PAINT(OnPaint)
		MSG_WM_QUERYDRAGICON(OnQueryDragIcon)
		MSG_WM_TIMER(OnTimer)
		MSG_WM_COPYDATA(OnCopyData)
		MSG_WM_DESTROY(OnDestroy)
		CHAIN_MSG_MAP(CDialog)
	END_MSG_MAP()

protected:
	BOOL OnInitDialog() override;
	// Enter never closes the player.
	void OnOK() override {}
	// Escape, "退出" and the close box ask before the player ends.
	void OnCancel() override;

	int OnCreate(LPCREATESTRUCT pCreateStruct);
	void OnSize(UINT nType, int cx, int cy);
	BOOL OnEraseBkgnd(HDC hDC);
	void OnPaint();
	HCURSOR OnQueryDragIcon();
	void OnTimer(UINT_PTR nIDEvent);
	BOOL OnCopyData(HWND hWndFrom, PCOPYDATASTRUCT pCopyDataStruct);
	void OnDestroy();

private:
	// Both hooks are local to the window's thread.
	static LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
	static LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);

	BOOL CreateControls();
	void PlayFlash(const CString& strLink);
	void PlayLive(const CString& strLink);

	HICON m_hIcon;
	// The side panel, the skin frame, the tray icon and the popup menu join the window here.
	CShockwaveflash1 m_wndHttpPlayer;
	CLivemediapluginctrl m_wndLivePlugIn;
	int m_nPlayMode = PLAY_MODE_FLASH;
	// The side-panel button (control 1002) is driven through its dialog item until it gets its images.
	CString m_strClientConfigUrl;
	CString m_strSkinPath;
	int m_nSkinIndex = 0;
	CStringArray m_arrSkinDirs;
};

// The one player window of the process; null before it is constructed and after it is gone.
CQuiloPlayerDlg* GetPlayerDlg();
