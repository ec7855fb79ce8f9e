// CAppendDlg: the side panel, the video library. A skinned pop-up beside the player window that shows the
// library page in the web browser control; its close request only hides it, through the owner.
#pragma once

#include "controls/Explorer1.h"
#include "framework/Dialog.h"
#include "framework/EventSink.h"
#include "skin/SkinFrame.h"
#include "ui/SnapDrag.h"

#include <functional>

class CAppendDlg : public CDialog
{
	DECLARE_DYNAMIC(CAppendDlg)

public:
	// The panel keeps this width whichever border the user drags.
	static const int kWidth = 490;

	CAppendDlg();
	~CAppendDlg() override;

// Operations
	// What the panel's initialisation needs from its owner, given before Create: its skin description,
	// the library page, what a close request does, and what the skin's menu button does.
	void SetStartUp(const CString& strSkinFile, const CString& strWebUrl, std::function<void()> fnCloseRequest,
		std::function<void(int x, int y)> fnMenuButton);
	// Where the panel stands once made (screen coordinates), given before Create: placed there before it wears
	// its skin, its frame and shape are made once, for that size. Unset: the template's place.
	void SetStartRect(const RECT& rc) { m_rcStart = rc; }
	// Loads a skin description into the panel's frame (attached once) and redraws the frame; always 1.
	BOOL ApplySkin(const char* pszPath);
	// Whether the window is inside the library page, within the browser's host window: the page's keys are
	// its own there.
	BOOL IsInLibraryPage(HWND hWnd) const
	{
		HWND hBrowser = m_browser.GetSafeHwnd();
		return hBrowser && hWnd && ::IsChild(hBrowser, hWnd);
	}

	BEGIN_MSG_MAP(CAppendDlg)
		CHAIN_MSG_MAP_MEMBER(m_snapDrag)
		MESSAGE_HANDLER(WM_SIZING, OnSizing)
		MESSAGE_HANDLER(WM_SIZE, OnSize)
		MSG_WM_ERASEBKGND(OnEraseBkgnd)
		MESSAGE_HANDLER(WM_CLOSE, OnClose)
		CHAIN_MSG_MAP(CDialog)
	END_MSG_MAP()

protected:
	BOOL OnInitDialog() override;
	void DoDataExchange() override;
	// Enter and Escape in the panel (the browser's keys go first) hide nothing behind the owner's back.
	void OnOK() override {}
	void OnCancel() override { RequestClose(); }

	LRESULT OnSizing(WPARAM wParam, LPARAM lParam);
	LRESULT OnSize(WPARAM wParam, LPARAM lParam);
	void FitBrowser();
	BOOL OnEraseBkgnd(HDC hDC);
	LRESULT OnClose(WPARAM wParam, LPARAM lParam);

// Browser events
	void OnBeforeNavigate2(IDispatch* pDisp, VARIANT* pvarUrl, VARIANT* pvarFlags, VARIANT* pvarTargetFrameName,
		VARIANT* pvarPostData, VARIANT* pvarHeaders, VARIANT_BOOL* pbCancel);
	void OnNavigateComplete2(IDispatch* pDisp, VARIANT* pvarUrl);

private:
	void RequestClose();

	CSkinFrame m_skinFrame;
	int m_bFirstSkin = 1;
	int m_bAwaitingFirstPage = 0;
	CExplorer1 m_browser;
	CEventSink m_sinkBrowser;
	CSnapDrag m_snapDrag;
	CString m_strSkinFile;
	CString m_strWebUrl;
	RECT m_rcStart = {};
	std::function<void()> m_fnCloseRequest;
};
