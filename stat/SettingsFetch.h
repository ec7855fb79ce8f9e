// The HTTP fetch of the statistics settings document over WinINet, and its three handles.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

class CSettingsFetch
{
public:
	enum { DOCUMENT_BUFFER_SIZE = 4096 };

	CSettingsFetch() = default;
	CSettingsFetch(const CSettingsFetch&) = delete;
	CSettingsFetch& operator=(const CSettingsFetch&) = delete;

	// One GET of "/wenstat/settings.ini" from pszHost, port 80, with one read of at most 4095 bytes
	// into pszDocument (DOCUMENT_BUFFER_SIZE bytes, zero-terminated). True only for status 200.
	// A set stop flag makes it give up at its next step.
	bool Fetch(const char* pszHost, char* pszDocument, const std::atomic<int>& bStop);
	// Closes request, connection and root, in that order. Any thread may call it, at any time:
	// each handle is taken out before it is closed, so it is closed exactly once.
	void CloseHandles();

private:
	bool Keep(std::atomic<HINTERNET>& hSlot, HINTERNET h, const std::atomic<int>& bStop);
	static void Close(std::atomic<HINTERNET>& hSlot);

	std::atomic<HINTERNET> m_hRoot{nullptr};
	std::atomic<HINTERNET> m_hConnection{nullptr};
	std::atomic<HINTERNET> m_hRequest{nullptr};
};
