#include "ui/SnapDrag.h"

#include "ui/SnapGroup.h"

namespace
{
POINT PointOf(LPARAM lParam)
{
	return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

POINT ClientPointOf(HWND hWnd, LPARAM lParam)
{
	POINT pt = PointOf(lParam);
	::ScreenToClient(hWnd, &pt);
	return pt;
}
}

BOOL CSnapDrag::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
	CSnapGroup& group = GetSnapGroup();
	switch (uMsg)
	{
	case WM_LBUTTONDOWN:
		group.BeginDrag(hWnd, PointOf(lParam));
		break;
	case WM_LBUTTONUP:
		group.EndDrag();
		break;
	case WM_MOUSEMOVE:
		group.DragTo(PointOf(lParam));
		break;
	case WM_NCLBUTTONDOWN:
		if (wParam == HTCAPTION)
		{
			group.BeginDrag(hWnd, ClientPointOf(hWnd, lParam));
			lResult = 0;
			return TRUE;
		}
		break;
	case WM_NCMOUSEMOVE:
		if (wParam == HTCAPTION)
			group.DragTo(ClientPointOf(hWnd, lParam));
		break;
	case WM_CAPTURECHANGED:
		// Whoever takes the mouse away ends this window's drag: no release would reach it.
		if (reinterpret_cast<HWND>(lParam) != hWnd && group.DragWindow() == hWnd)
			group.EndDrag();
		break;
	}
	return FALSE;
}
