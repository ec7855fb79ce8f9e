// CToolTipCtrl: a tooltip window the object creates and destroys.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

class CToolTipCtrl : public CWnd
{
public:
	CToolTipCtrl() = default;
	~CToolTipCtrl() override
	{
		if (::IsWindow(m_hWnd))
			::DestroyWindow(m_hWnd);
	}

// Operations
	BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0)
	{
		m_hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT, CW_USEDEFAULT,
			CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr, nullptr, nullptr);
		return m_hWnd != nullptr;
	}
	void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
	int SetMaxTipWidth(int nWidth) { return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, nWidth)); }
	int GetToolCount() const { return static_cast<int>(::SendMessageA(m_hWnd, TTM_GETTOOLCOUNT, 0, 0)); }
	BOOL AddTool(CWnd* pWnd, const char* pszText, const RECT& rcTool, UINT_PTR nIDTool)
	{
		TOOLINFOA ti = ToolInfo(pWnd, nIDTool, pszText);
		ti.rect = rcTool;
		return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti)));
	}
	void UpdateTipText(const char* pszText, CWnd* pWnd, UINT_PTR nIDTool)
	{
		TOOLINFOA ti = ToolInfo(pWnd, nIDTool, pszText);
		SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
	}
	// The tool's mouse messages reach the tooltip only this way (its tools are not subclassed).
	void RelayEvent(MSG* pMsg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(pMsg)); }

private:
	static TOOLINFOA ToolInfo(CWnd* pWnd, UINT_PTR nIDTool, const char* pszText)
	{
		// The record's first form: every version of the common controls reads it.
		TOOLINFOA ti = {};
		ti.cbSize = TTTOOLINFOA_V2_SIZE;
		ti.hwnd = pWnd->GetSafeHwnd();
		ti.uId = nIDTool;
		ti.lpszText = const_cast<char*>(pszText);
		return ti;
	}
};
