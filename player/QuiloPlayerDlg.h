// CQuiloPlayerDlg: the player window. It hosts the Flash control ("HttpPlayer") and the live plug-in
// ("LivePlugIn"), which take turns filling its client area, and plays the links later instances forward.
#pragma once

#include "app/MainWindow.h"
#include "controls/Livemediapluginctrl.h"
#include "controls/Shockwaveflash1.h"
#include "framework/Dialog.h"
#include "player/ClientConfig.h"
#include "ui/ImageButton.h"
#include "ui/TrayIcon.h"
#include "skin/SkinFrame.h"

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
	// Loads a skin description file into the window's frame; the first successful load attaches the frame.
	void ApplySkin(const CString& strPath);
	// The menu of the skin's menu button, at screen point (x, y).
	void ShowButtonMenu(int x, int y);

	BEGIN_MSG_MAP(CQuiloPlayerDlg)
		REFLECT_NOTIFICATIONS()
		MSG_WM_CREATE(OnCreate)
		MSG_WM_SIZE(OnSize)
		MSG_WM_ERASEBKGND(OnEraseBkgnd)
		MSG_WM_PAINT(OnPaint)
		MSG_WM_QUERYDRAGICON(OnQueryDragIcon)
		MSG_WM_TIMER(OnTimer)
		MSG_WM_COPYDATA(OnCopyData)
		MSG_WM_DESTROY(OnDestroy)
		MSG_MOUSE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
		MSG_MOUSE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
		MSG_MOUSE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
		MSG_NCMOUSE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
		MSG_NCMOUSE_HANDLER(WM_NCMOUSEMOVE, OnNcMouseMove)
		MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
		CHAIN_MSG_MAP(CDialog)
	END_MSG_MAP()

protected:
	BOOL OnInitDialog() override;
	void DoDataExchange() override;
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

	// Dragging the window, with the windows docked to it, through the snapping group (PlayerDrag.cpp).
	void OnLButtonDown(UINT nFlags, POINT point);
	void OnLButtonUp(UINT nFlags, POINT point);
	void OnMouseMove(UINT nFlags, POINT point);
	void OnNcLButtonDown(UINT nHitTest, POINT point);
	void OnNcMouseMove(UINT nHitTest, POINT point);
	LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);

private:
	// Both hooks are local to the window's thread.
	static LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
	static LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);

	BOOL CreateControls();
	void PlayFlash(const CString& strLink);
	void PlayLive(const CString& strLink);

	HICON m_hIcon;
	// The side panel joins the window here.
	int m_bFirstSkin = 1;
	CSkinFrame m_skinFrame;
	CTrayIcon m_trayIcon;
	// The popup menu joins the window here.
	CShockwaveflash1 m_wndHttpPlayer;
	CLivemediapluginctrl m_wndLivePlugIn;
	int m_nPlayMode = PLAY_MODE_FLASH;
	// The side-panel button, control 1002.
	CImageButton m_btnToggle;
	CString m_strClientConfigUrl;
	CString m_strSkinPath;
	int m_nSkinIndex = 0;
	CStringArray m_arrSkinDirs;
};

// The one player window of the process; null before it is constructed and after it is gone.
CQuiloPlayerDlg* GetPlayerDlg();
