// CQuiloPlayerDlg: the player window. It hosts the Flash control ("HttpPlayer") and the live plug-in
// ("LivePlugIn"), which take turns filling its client area, and plays the links later instances forward.
#pragma once

#include "app/MainWindow.h"
#include "controls/AppendDlg.h"
#include "controls/Livemediapluginctrl.h"
#include "controls/Shockwaveflash1.h"
#include "framework/Dialog.h"
#include "player/ClientConfig.h"
#include "resources/resource.h"
#include "skin/SkinFrame.h"
#include "ui/FlatMenu.h"
#include "ui/ImageButton.h"
#include "ui/SnapDrag.h"
#include "ui/TrayIcon.h"

// The tray icon's notification message.
const UINT kTrayMessage = WM_USER + 100;
// Posted by the initialisation: the control in front takes the keyboard once the window shows.
const UINT kFocusFrontMessage = WM_USER + 101;
// Posted by the first paint: the rest of the start, which the user does not see at once, follows it.
const UINT kFinishStartMessage = WM_USER + 102;

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
	// The notification-area menu, at the cursor.
	void ShowTrayMenu();
	// Shows the side panel when it is hidden and hides it when it is shown, with the button's look.
	void ToggleVideoLibrary();
	// What the start leaves until after the first paint, besides the window's own (see FinishStart).
	void SetAfterFirstPaint(std::function<void()> fnAfterFirstPaint) { m_fnAfterFirstPaint = std::move(fnAfterFirstPaint); }
	// Runs that work, once; also when the window ends before it painted.
	void RunAfterFirstPaint();

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
		CHAIN_MSG_MAP_MEMBER(m_snapDrag)
		CHAIN_MSG_MAP_MEMBER(m_menu)
		MESSAGE_HANDLER(kTrayMessage, OnTrayNotify)
		MESSAGE_HANDLER(kFocusFrontMessage, OnFocusFront)
		MESSAGE_HANDLER(kFinishStartMessage, OnFinishStart)
		MESSAGE_HANDLER(WM_DPICHANGED, OnDpiChanged)
		MSG_WM_SYSCOMMAND(OnSysCommand)
		COMMAND_ID_HANDLER(IDC_BUTTON_TOGGLE, ToggleVideoLibrary)
		COMMAND_ID_HANDLER(ID_MENU_SHOW, ShowAndRestore)
		COMMAND_ID_HANDLER(ID_MENU_HIDE, HideToTray)
		COMMAND_ID_HANDLER(ID_MENU_HOME, OnHomePage)
		COMMAND_ID_HANDLER(ID_MENU_HELP, OnHelpPage)
		COMMAND_ID_HANDLER(ID_MENU_FEEDBACK, OnFeedbackPage)
		COMMAND_ID_HANDLER(IDM_ABOUTBOX, ShowAboutBox)
		COMMAND_RANGE_HANDLER(ID_SKIN_FIRST, ID_SKIN_LAST, OnSelectSkin)
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

	// Window commands, menus and tray (PlayerCommands.cpp)
	LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
	LRESULT OnFocusFront(WPARAM, LPARAM)
	{
		FocusControlInFront();
		return 0;
	}
	LRESULT OnFinishStart(WPARAM wParam, LPARAM)
	{
		FinishStart(wParam);
		return 0;
	}
	// After the frame took the new scale and rectangle: the panel and the tray icon follow.
	LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
	void SetSmallIcon();
	void OnSysCommand(UINT nID, LPARAM lParam);
	void ShowAndRestore();
	void HideToTray();
	void OnHomePage() { OpenInBrowser(m_strHomeUrl); }
	void OnHelpPage() { OpenInBrowser(m_strHelpUrl); }
	void OnFeedbackPage() { OpenInBrowser(m_strFeedbackUrl); }
	void ShowAboutBox();
	void OnSelectSkin(UINT nID);
	// Starts the system's own browser, "IEXPLORE", with the address; TRUE when it was started.
	BOOL OpenInBrowser(const CString& strUrl);

private:
	// Both hooks are local to the window's thread.
	static LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
	static LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);

	// Fills the skin sub-menu with the skin folders, the one in use checked.
	void BuildSkinMenu(CFlatMenu* pSkinMenu);
	// Loads menu resource nID afresh and tracks its first pop-up at (x, y); the chosen command, or 0.
	UINT TrackMenu(UINT nID, int x, int y, bool bWithSkins);
	void CreateSidePanel();
	BOOL CreateControls();
	// Right after the first paint, once, a piece a message from step 0 on: the tray icon, the button's tooltip,
	// then the application's share (the URL schemes, the crash handler's dump writer).
	void FinishStart(WPARAM nStep);
	// The configuration and the skin choice, from the reading begun beside the window's making, else read now.
	void TakeStartReading();
	void PlayFlash(const CString& strLink);
	void PlayLive(const CString& strLink);
	// Gives the keyboard to the control that fills the window; the other one stops being a tab stop.
	void FocusControlInFront();

	// A window that never paints (started minimised) finishes its start when this one-shot fires.
	static constexpr UINT_PTR kFinishStartTimer = 2278;
	static constexpr UINT kFinishStartDelay = 250;
	// The tray icon's size at 96 DPI.
	static constexpr int kSmallIcon = 16;
	HICON m_hIcon;
	// The caption's and the taskbar's icon, loaded at the small-icon size of the window's scale.
	CIconHandle m_smallIcon;
	CAppendDlg m_wndAppend;
	int m_bFirstSkin = 1;
	CSkinFrame m_skinFrame;
	CTrayIcon m_trayIcon;
	// Reloaded for each pop-up: the tray menu and the skin's button menu.
	CFlatMenu m_menu;
	CShockwaveflash1 m_wndHttpPlayer;
	CLivemediapluginctrl m_wndLivePlugIn;
	int m_nPlayMode = PLAY_MODE_FLASH;
	// The side-panel button, control 1002.
	CImageButton m_btnToggle;
	CString m_strClientConfigUrl;
	CString m_strSkinPath;
	int m_nSkinIndex = 0;
	CStringArray m_arrSkinDirs;
	CSnapDrag m_snapDrag;
	std::function<void()> m_fnAfterFirstPaint;
	// Whether the first paint has asked for the rest of the start, and whether that has run.
	bool m_bFinishAsked = false;
	bool m_bStartFinished = false;
};

// The one player window of the process; null before it is constructed and after it is gone.
CQuiloPlayerDlg* GetPlayerDlg();
