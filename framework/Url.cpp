#include "framework/Url.h"

#include <string>

namespace
{
struct CSchemeInfo
{
	const char* pszName;
	DWORD dwServiceType;
	INTERNET_PORT nDefaultPort;
};

const CSchemeInfo kSchemes[] = {
	{"http", AFX_INET_SERVICE_HTTP, 80},
	{"https", AFX_INET_SERVICE_HTTPS, 443},
	{"ftp", AFX_INET_SERVICE_FTP, 21},
	{"gopher", AFX_INET_SERVICE_GOPHER, 70},
	{"file", AFX_INET_SERVICE_FILE, 0},
};

bool IsAlpha(char ch)
{
	return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}

bool IsDigit(char ch)
{
	return ch >= '0' && ch <= '9';
}

bool IsSchemeChar(char ch)
{
	return IsAlpha(ch) || IsDigit(ch) || ch == '+' || ch == '-' || ch == '.';
}

bool IsHostChar(char ch)
{
	return static_cast<unsigned char>(ch) > ' ' && ch != 0x7F;
}
}

BOOL AfxParseURL(const char* pszURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
	INTERNET_PORT& nPort)
{
	std::string strUrl(pszURL ? pszURL : "");
	size_t nSchemeEnd = strUrl.find("://");
	if (nSchemeEnd == std::string::npos || nSchemeEnd == 0 || !IsAlpha(strUrl[0]))
		return FALSE;
	std::string strScheme = strUrl.substr(0, nSchemeEnd);
	for (char& ch : strScheme)
	{
		if (!IsSchemeChar(ch))
			return FALSE;
		if (ch >= 'A' && ch <= 'Z')
			ch = static_cast<char>(ch - 'A' + 'a');
	}

	size_t nAuthority = nSchemeEnd + 3;
	size_t nAuthorityEnd = strUrl.find_first_of("/?#", nAuthority);
	if (nAuthorityEnd == std::string::npos)
		nAuthorityEnd = strUrl.size();
	std::string strHost = strUrl.substr(nAuthority, nAuthorityEnd - nAuthority);
	size_t nAt = strHost.rfind('@');
	if (nAt != std::string::npos)
		strHost.erase(0, nAt + 1);
	std::string strPort;
	size_t nColon = strHost.find(':');
	if (nColon != std::string::npos)
	{
		strPort = strHost.substr(nColon + 1);
		strHost.erase(nColon);
	}
	if (strHost.empty())
		return FALSE;
	for (char ch : strHost)
	{
		if (!IsHostChar(ch))
			return FALSE;
	}

	DWORD dwService = AFX_INET_SERVICE_UNK;
	unsigned long nPortValue = 0;
	for (const CSchemeInfo& scheme : kSchemes)
	{
		if (strScheme == scheme.pszName)
		{
			dwService = scheme.dwServiceType;
			nPortValue = scheme.nDefaultPort;
		}
	}
	if (!strPort.empty())
	{
		if (strPort.size() > 5)
			return FALSE;
		nPortValue = 0;
		for (char ch : strPort)
		{
			if (!IsDigit(ch))
				return FALSE;
			nPortValue = nPortValue * 10 + static_cast<unsigned long>(ch - '0');
		}
		if (nPortValue == 0 || nPortValue > 65535)
			return FALSE;
	}

	// The fragment belongs to the client and is never sent.
	std::string strPath = strUrl.substr(nAuthorityEnd);
	size_t nFragment = strPath.find('#');
	if (nFragment != std::string::npos)
		strPath.erase(nFragment);
	if (strPath.empty() || strPath[0] != '/')
		strPath.insert(0, "/");

	dwServiceType = dwService;
	strServer = strHost.c_str();
	strObject = strPath.c_str();
	nPort = static_cast<INTERNET_PORT>(nPortValue);
	return TRUE;
}
