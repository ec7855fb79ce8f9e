// The benchmark floors' share of the player's start: the configuration document at the URL of the command
// line, fetched the platform's way (WinINet).
#pragma once

#include <windows.h>
#include <wininet.h>

namespace floors
{
inline bool Fetch(const wchar_t* pszUrl, const wchar_t* pszAgent)
{
	HINTERNET hInternet = ::InternetOpenW(pszAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
	HINTERNET hUrl = hInternet ? ::InternetOpenUrlW(hInternet, pszUrl, nullptr, 0,
		INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0) : nullptr;
	char buffer[4096];
	DWORD cbRead = 0;
	bool bRead = false;
	while (hUrl && ::InternetReadFile(hUrl, buffer, sizeof(buffer), &cbRead) && cbRead > 0)
		bRead = true;
	if (hUrl)
		::InternetCloseHandle(hUrl);
	if (hInternet)
		::InternetCloseHandle(hInternet);
	return bRead;
}

// The command line after the program's name.
inline const wchar_t* Arguments()
{
	const wchar_t* psz = ::GetCommandLineW();
	bool bQuoted = false;
	for (; *psz && (bQuoted || (*psz != L' ' && *psz != L'\t')); ++psz)
		bQuoted ^= *psz == L'"';
	while (*psz == L' ' || *psz == L'\t')
		++psz;
	return psz;
}
}
