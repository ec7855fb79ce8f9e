#include "ui/SnapGroup.h"

#include "ui/DpiScale.h"

CSnapGroup& GetSnapGroup()
{
	static CSnapGroup s_group;
	return s_group;
}

CSnapGroup::CSnapGroup()
{
	::InitializeCriticalSection(&m_lock);
	if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_rcWork, 0))
		m_rcWork = RECT{0, 0, ::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN)};
}

CSnapGroup::~CSnapGroup()
{
	::DeleteCriticalSection(&m_lock);
}

bool CSnapGroup::Refresh(SnapNode& node)
{
	RECT rc;
	if (!node.hWnd || !::GetWindowRect(node.hWnd, &rc))
		return false;
	node = SnapNode{node.hWnd, rc.left, rc.top, rc.right, rc.bottom};
	return true;
}

void CSnapGroup::SetMainWindow(HWND hWnd)
{
	CLock lock(m_lock);
	m_main = SnapNode{hWnd, 0, 0, 0, 0};
	Refresh(m_main);
}

void CSnapGroup::AddWindow(HWND hWnd)
{
	CLock lock(m_lock);
	SnapNode node = {hWnd, 0, 0, 0, 0};
	Refresh(node);
	m_members.push_back(node);
}

void CSnapGroup::BeginDrag(HWND hWnd, POINT point)
{
	if (!::IsWindow(hWnd))
		return;
	::EnableWindow(hWnd, FALSE);
	{
		CLock lock(m_lock);
		m_hWndDrag = hWnd;
		m_bDragging = TRUE;
		m_ptStart = point;
		::SetCapture(hWnd);

		// Windows that are gone take no part in the drag.
		bool bMainAlive = Refresh(m_main);
		SnapList members;
		for (SnapNode& member : m_members)
		{
			if (Refresh(member))
				members.push_back(member);
		}
		m_moving.clear();
		m_fixed.clear();
		SnapNode workArea = {nullptr, m_rcWork.left, m_rcWork.top, m_rcWork.right, m_rcWork.bottom};
		if (bMainAlive && hWnd == m_main.hWnd)
		{
			m_moving.push_back(m_main);
			m_fixed.push_back(workArea);
			m_fixed.insert(m_fixed.end(), members.begin(), members.end());
			CollectDocked(m_moving, m_fixed);
		}
		else
		{
			if (bMainAlive)
				m_fixed.push_back(m_main);
			m_fixed.push_back(workArea);
			for (const SnapNode& member : members)
				(member.hWnd == hWnd ? m_moving : m_fixed).push_back(member);
		}
	}
	::EnableWindow(hWnd, TRUE);
}

void CSnapGroup::DragTo(POINT point)
{
	CLock lock(m_lock);
	if (!m_bDragging)
		return;
	if (!::IsWindow(m_hWndDrag))
	{
		m_bDragging = FALSE;
		return;
	}
	m_bestShift = SnapShift();
	m_step = SIZE{point.x - m_ptStart.x, point.y - m_ptStart.y};
	OffsetNodes(m_moving, m_step.cx, m_step.cy);
	// The distance is a 96-DPI figure, scaled to the dragged window's display scale.
	const int nDistance = CDpiScale::ForWindow(m_hWndDrag).Scale(m_nSnapDistance);
	m_bestShift = FindSnapShifts(m_moving, m_fixed, nDistance);
	ApplySnap(m_moving, m_bestShift, m_rcWork, nDistance);
	for (const SnapNode& node : m_moving)
	{
		if (::IsWindow(node.hWnd))
			::MoveWindow(node.hWnd, node.left, node.top, node.right - node.left, node.bottom - node.top, TRUE);
	}
}

void CSnapGroup::EndDrag()
{
	HWND hWnd = m_hWndDrag;
	if (!m_bDragging)
		return;
	bool bAlive = ::IsWindow(hWnd) != FALSE;
	if (bAlive)
		::EnableWindow(hWnd, FALSE);
	{
		CLock lock(m_lock);
		m_bDragging = FALSE;
		if (bAlive && ::GetCapture() == hWnd)
			::ReleaseCapture();
	}
	if (bAlive)
		::EnableWindow(hWnd, TRUE);
}
