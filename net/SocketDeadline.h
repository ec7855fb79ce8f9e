// CSocketDeadline: one bound on the time the calling thread spends waiting in CHttpSocket's network calls
// (connection, each receive of the header and of the body), however the server paces its bytes. While an
// object lives, a wait that would pass it ends early: a receive then fails as a receive time-out does, a
// connection as a refused one. Kept beside the exported class, whose layout and members stay as they are.
#pragma once

#include <windows.h>

class CSocketDeadline
{
public:
	explicit CSocketDeadline(DWORD dwMilliseconds);
	~CSocketDeadline();
	CSocketDeadline(const CSocketDeadline&) = delete;
	CSocketDeadline& operator=(const CSocketDeadline&) = delete;

	// Once a wait has run into it, or its time is up.
	bool Expired() const { return m_bReached || Left() == 0; }
	// Milliseconds left, 0 once passed.
	DWORD Left() const;

	// What is left of the innermost deadline of the calling thread; INFINITE when none is set.
	static DWORD ThreadLeft();
	// A wait of the calling thread ended because it ran into the deadline (the clock may not show it yet).
	static void ThreadReached();

private:
	DWORD m_dwStart;
	DWORD m_dwMilliseconds;
	bool m_bReached = false;
	CSocketDeadline* m_pOuter;
};
