// Message pre-translation and the reflection of control notifications.
#include "framework/Wnd.h"

#include <olectl.h>

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
	for (HWND hWnd = pMsg->hwnd; hWnd; hWnd = ::GetParent(hWnd))
	{
		if (CWnd* pWnd = FromHandle(hWnd))
		{
			if (pWnd->PreTranslateMessage(pMsg))
				return TRUE;
		}
		if (hWnd == hWndStop)
			break;
	}
	return FALSE;
}

namespace
{
// The control a notification comes from, when it is one of the parent's children bound to an object.
HWND BoundControl(HWND hWndParent, HWND hWndControl)
{
	if (!hWndControl || ::GetParent(hWndControl) != hWndParent || !CWnd::FromHandle(hWndControl))
		return nullptr;
	return hWndControl;
}
}

BOOL CWnd::ReflectNotifications(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
	switch (uMsg)
	{
	case WM_COMMAND:
		// The control hears of its notification first; the parent still handles the command.
		if (HWND hWndControl = BoundControl(hWndParent, reinterpret_cast<HWND>(lParam)))
			::SendMessageW(hWndControl, OCM__BASE + uMsg, wParam, lParam);
		return FALSE;
	case WM_DRAWITEM:
	{
		auto* pDrawItem = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
		if (pDrawItem->CtlType == ODT_MENU)
			return FALSE;
		HWND hWndControl = BoundControl(hWndParent, pDrawItem->hwndItem);
		if (!hWndControl)
			return FALSE;
		lResult = ::SendMessageW(hWndControl, OCM__BASE + uMsg, wParam, lParam);
		return TRUE;
	}
	case WM_MEASUREITEM:
	{
		auto* pMeasureItem = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
		if (pMeasureItem->CtlType == ODT_MENU)
			return FALSE;
		HWND hWndControl = BoundControl(hWndParent, ::GetDlgItem(hWndParent, static_cast<int>(pMeasureItem->CtlID)));
		if (!hWndControl)
			return FALSE;
		lResult = ::SendMessageW(hWndControl, OCM__BASE + uMsg, wParam, lParam);
		return TRUE;
	}
	case WM_CTLCOLORBTN:
	case WM_CTLCOLOREDIT:
	case WM_CTLCOLORLISTBOX:
	case WM_CTLCOLORSCROLLBAR:
	case WM_CTLCOLORSTATIC:
	{
		// A control that gives no brush leaves its colours to the parent.
		HWND hWndControl = BoundControl(hWndParent, reinterpret_cast<HWND>(lParam));
		if (!hWndControl)
			return FALSE;
		lResult = ::SendMessageW(hWndControl, OCM__BASE + uMsg, wParam, lParam);
		return lResult != 0;
	}
	default:
		return FALSE;
	}
}
