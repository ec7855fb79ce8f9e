// An unnamed manual-reset event that its owner keeps for its whole life.
#pragma once

#include <windows.h>

class CManualEvent
{
public:
	CManualEvent() = default;
	~CManualEvent()
	{
		if (m_h)
			::CloseHandle(m_h);
	}
	CManualEvent(const CManualEvent&) = delete;
	CManualEvent& operator=(const CManualEvent&) = delete;

	// Creates the event on first use, or brings it back to the given state.
	bool Prepare(bool bSignalled)
	{
		if (!m_h)
			return (m_h = ::CreateEventW(nullptr, TRUE, bSignalled, nullptr)) != nullptr;
		return (bSignalled ? ::SetEvent(m_h) : ::ResetEvent(m_h)) != FALSE;
	}
	HANDLE Get() const { return m_h; }
	void Set() { ::SetEvent(m_h); }
	void Reset() { ::ResetEvent(m_h); }
	// WAIT_FAILED when the event was never created.
	DWORD Wait(DWORD nMilliseconds) const { return m_h ? ::WaitForSingleObject(m_h, nMilliseconds) : WAIT_FAILED; }

private:
	HANDLE m_h = nullptr;
};
