// CButton: a push button, check box or owner-drawn button the program binds to an object.
#pragma once

#include "framework/Wnd.h"

#include <olectl.h>

class CButton : public CWnd
{
public:
// Attributes
	UINT GetButtonStyle() const { return GetStyle() & 0xFF; }
	int GetCheck() const { return static_cast<int>(::SendMessageW(m_hWnd, BM_GETCHECK, 0, 0)); }

// Operations
	void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }
	void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

// Overridables
	// Draws an owner-drawn button; the parent's WM_DRAWITEM reaches it through REFLECT_NOTIFICATIONS.
	virtual void DrawItem(LPDRAWITEMSTRUCT) {}

	BEGIN_MSG_MAP(CButton)
		if (uMsg == OCM_DRAWITEM) { DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); lResult = TRUE; return TRUE; }
	END_MSG_MAP()
};
