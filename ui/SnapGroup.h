// CSnapGroup: drags the main window with the windows docked to it, and makes a dragged window snap to the
// edges of the others and of the work area within 15 pixels (at 100 %; scaled with the dragged window). One object per process (GetSnapGroup).
#pragma once

#include "ui/SnapEdges.h"

class CSnapGroup
{
public:
	CSnapGroup();
	CSnapGroup(const CSnapGroup&) = delete;
	CSnapGroup& operator=(const CSnapGroup&) = delete;
	~CSnapGroup();

// Operations
	void SetMainWindow(HWND hWnd);
	void AddWindow(HWND hWnd);
	// Points are in client coordinates of the dragged window.
	void BeginDrag(HWND hWnd, POINT point);
	void DragTo(POINT point);
	void EndDrag();

// Attributes
	BOOL IsDragging() const { return m_bDragging; }
	HWND DragWindow() const { return m_bDragging ? m_hWndDrag : nullptr; }
	const RECT& WorkArea() const { return m_rcWork; }

private:
	// Serialises the group's bookkeeping; a critical section may be entered again by its own thread.
	class CLock
	{
	public:
		explicit CLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
		CLock(const CLock&) = delete;
		CLock& operator=(const CLock&) = delete;
		~CLock() { ::LeaveCriticalSection(&m_cs); }

	private:
		CRITICAL_SECTION& m_cs;
	};

	static bool Refresh(SnapNode& node);

	SnapNode m_main = {};
	SnapList m_members;
	SnapList m_moving;
	SnapList m_fixed;
	HWND m_hWndDrag = nullptr;
	RECT m_rcWork = {};
	int m_nSnapDistance = 15;
	BOOL m_bDragging = FALSE;
	CRITICAL_SECTION m_lock;
	POINT m_ptStart = {};
	SnapShift m_bestShift;
	SIZE m_step = {};
};

// The process's one snapping group.
CSnapGroup& GetSnapGroup();
