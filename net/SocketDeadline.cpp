#include "net/SocketDeadline.h"

namespace
{
thread_local CSocketDeadline* t_pDeadline = nullptr;
}

CSocketDeadline::CSocketDeadline(DWORD dwMilliseconds)
	: m_dwStart(::GetTickCount()), m_dwMilliseconds(dwMilliseconds), m_pOuter(t_pDeadline)
{
	t_pDeadline = this;
}

CSocketDeadline::~CSocketDeadline()
{
	t_pDeadline = m_pOuter;
}

DWORD CSocketDeadline::Left() const
{
	DWORD dwElapsed = ::GetTickCount() - m_dwStart;
	return dwElapsed >= m_dwMilliseconds ? 0 : m_dwMilliseconds - dwElapsed;
}

DWORD CSocketDeadline::ThreadLeft()
{
	return t_pDeadline ? t_pDeadline->Left() : INFINITE;
}

void CSocketDeadline::ThreadReached()
{
	if (t_pDeadline)
		t_pDeadline->m_bReached = true;
}
