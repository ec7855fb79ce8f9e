// AfxParseURL: splits an absolute URL "scheme://[user[:password]@]host[:port][/path][?query][#fragment]"
// into its service type, server, object and port.
#pragma once

#include "framework/String.h"

typedef WORD INTERNET_PORT;

enum : DWORD
{
	AFX_INET_SERVICE_FTP = 1,
	AFX_INET_SERVICE_GOPHER = 2,
	AFX_INET_SERVICE_HTTP = 3,
	AFX_INET_SERVICE_UNK = 0x1000,
	AFX_INET_SERVICE_FILE,
	AFX_INET_SERVICE_HTTPS,
};

// FALSE when the text has no scheme, no host or a bad port. The object is the path with its query
// (never the fragment) and starts with "/"; the port is the one written or the scheme's default
// (0 for schemes without one).
BOOL AfxParseURL(const char* pszURL, DWORD& dwServiceType, CString& strServer, CString& strObject,
	INTERNET_PORT& nPort);
