// The player window's mouse handlers: they drag it, with the windows docked to it, through the
// snapping group.
#include "player/QuiloPlayerDlg.h"

#include "ui/SnapGroup.h"

void CQuiloPlayerDlg::OnLButtonDown(UINT, POINT point)
{
	GetSnapGroup().BeginDrag(m_hWnd, point);
	Default();
}

void CQuiloPlayerDlg::OnLButtonUp(UINT, POINT)
{
	GetSnapGroup().EndDrag();
	Default();
}

void CQuiloPlayerDlg::OnMouseMove(UINT, POINT point)
{
	GetSnapGroup().DragTo(point);
	Default();
}

void CQuiloPlayerDlg::OnNcLButtonDown(UINT nHitTest, POINT point)
{
	if (nHitTest != HTCAPTION)
	{
		Default();
		return;
	}
	// The group's capture carries the drag to the button release. The system's own move loop would move
	// this window alone and swallow the release, leaving the group dragging with no button down.
	ScreenToClient(&point);
	GetSnapGroup().BeginDrag(m_hWnd, point);
}

void CQuiloPlayerDlg::OnNcMouseMove(UINT nHitTest, POINT point)
{
	if (nHitTest == HTCAPTION)
	{
		ScreenToClient(&point);
		GetSnapGroup().DragTo(point);
	}
	Default();
}

LRESULT CQuiloPlayerDlg::OnCaptureChanged(WPARAM, LPARAM lParam)
{
	// Whoever takes the mouse away ends this window's drag: no release would reach it.
	if (reinterpret_cast<HWND>(lParam) != m_hWnd && GetSnapGroup().DragWindow() == m_hWnd)
		GetSnapGroup().EndDrag();
	return Default();
}
