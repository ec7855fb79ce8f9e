// CToolTipCtrl: a tooltip window the object creates and destroys.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd
{
public:
	CToolTipCtrl() = default;
	~CToolTipCtrl() override { Destroy(); }

// Operations
	BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0)
	{
		m_hWnd = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
			CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr, nullptr, nullptr);
		return m_hWnd != nullptr;
	}
	// The window goes and the object can make another.
	void Destroy()
	{
		if (::IsWindow(m_hWnd))
			::DestroyWindow(m_hWnd);
		m_hWnd = nullptr;
	}
	void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
	int SetMaxTipWidth(int nWidth) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, nWidth)); }
	int GetToolCount() const { return static_cast<int>(::SendMessageW(m_hWnd, TTM_GETTOOLCOUNT, 0, 0)); }
	BOOL AddTool(CWnd* pWnd, const char* pszText, const RECT& rcTool, UINT_PTR nIDTool)
	{
		std::wstring strText = ToWide(pszText ? pszText : "");
		TOOLINFOW ti = ToolInfo(pWnd, nIDTool, strText);
		ti.rect = rcTool;
		return static_cast<BOOL>(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
	}
	void UpdateTipText(const char* pszText, CWnd* pWnd, UINT_PTR nIDTool)
	{
		std::wstring strText = ToWide(pszText ? pszText : "");
		TOOLINFOW ti = ToolInfo(pWnd, nIDTool, strText);
		SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
	}
	// The tool's mouse messages reach the tooltip only this way (its tools are not subclassed).
	void RelayEvent(MSG* pMsg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg)); }

private:
	static TOOLINFOW ToolInfo(CWnd* pWnd, UINT_PTR nIDTool, std::wstring& strText)
	{
		// The record's first form: every version of the common controls reads it.
		TOOLINFOW ti = {};
		ti.cbSize = TTTOOLINFOW_V2_SIZE;
		ti.hwnd = pWnd->GetSafeHwnd();
		ti.uId = nIDTool;
		ti.lpszText = &strText[0];
		return ti;
	}
};
