#include "stat/SettingsFetch.h"

#include <cstdlib>

// The record that the shipped 32-bit library hands to the extended send call is 40 bytes long.
static_assert(sizeof(void*) != 4 || sizeof(INTERNET_BUFFERSA) == 40, "unexpected INTERNET_BUFFERSA layout");

bool CSettingsFetch::Keep(std::atomic<HINTERNET>& hSlot, HINTERNET h, const std::atomic<int>& bStop)
{
	if (!h)
		return false;
	hSlot = h;
	// A stop that came while the handle was being opened found nothing to close: give up here.
	return !bStop;
}

void CSettingsFetch::Close(std::atomic<HINTERNET>& hSlot)
{
	HINTERNET h = hSlot.exchange(nullptr);
	if (h)
		::InternetCloseHandle(h);
}

void CSettingsFetch::CloseHandles()
{
	Close(m_hRequest);
	Close(m_hConnection);
	Close(m_hRoot);
}

bool CSettingsFetch::Fetch(const char* pszHost, char* pszDocument, const std::atomic<int>& bStop)
{
	if (!Keep(m_hRoot, ::InternetOpenA("Wendal Live", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0), bStop))
		return false;
	if (!Keep(m_hConnection, ::InternetConnectA(m_hRoot, pszHost, INTERNET_DEFAULT_HTTP_PORT, nullptr, nullptr,
		INTERNET_SERVICE_HTTP, 0, 0), bStop))
	{
		CloseHandles();
		return false;
	}
	if (!Keep(m_hRequest, ::HttpOpenRequestA(m_hConnection, "GET", "/wenstat/settings.ini", nullptr, nullptr,
		nullptr, INTERNET_FLAG_NO_CACHE_WRITE, 0), bStop))
	{
		CloseHandles();
		return false;
	}

	INTERNET_BUFFERSA buffersIn = {};
	buffersIn.dwStructSize = sizeof(buffersIn);
	if (!::HttpSendRequestExA(m_hRequest, &buffersIn, nullptr, 0, 0))
		return false;
	if (!::HttpEndRequestA(m_hRequest, nullptr, 0, 0))
		return false;

	DWORD cbRead = 0;
	BOOL bRead = ::InternetReadFile(m_hRequest, pszDocument, DOCUMENT_BUFFER_SIZE - 1, &cbRead);
	if (cbRead > DOCUMENT_BUFFER_SIZE - 1)
		cbRead = 0;
	pszDocument[cbRead] = '\0';
	if (!bRead)
		return false;

	char szStatus[80] = {};
	DWORD cbStatus = sizeof(szStatus);
	if (!::HttpQueryInfoA(m_hRequest, HTTP_QUERY_STATUS_CODE, szStatus, &cbStatus, nullptr))
		return false;
	return std::strtol(szStatus, nullptr, 10) == 200;
}
