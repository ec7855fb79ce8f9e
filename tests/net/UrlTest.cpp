// AfxParseURL: service type, server, object and port of the URLs the program meets, and refusals.
#include "framework/Url.h"

#include <gtest/gtest.h>

namespace
{
struct CUrlCase
{
	const char* pszUrl;
	DWORD dwServiceType;
	const char* pszServer;
	const char* pszObject;
	INTERNET_PORT nPort;
};

TEST(UrlParser, SplitsAbsoluteUrls)
{
	const CUrlCase cases[] = {
		{"http://www.melbotv.com/vmp/clientconfig.html", AFX_INET_SERVICE_HTTP, "www.melbotv.com",
			"/vmp/clientconfig.html", 80},
		{"http://127.0.0.1", AFX_INET_SERVICE_HTTP, "127.0.0.1", "/", 80},
		{"HTTP://Host:8080/a/b?x=1&y=%20#frag", AFX_INET_SERVICE_HTTP, "Host", "/a/b?x=1&y=%20", 8080},
		{"http://host?q=1", AFX_INET_SERVICE_HTTP, "host", "/?q=1", 80},
		{"http://user:pw@host:81/p", AFX_INET_SERVICE_HTTP, "host", "/p", 81},
		{"https://secure.example/s", AFX_INET_SERVICE_HTTPS, "secure.example", "/s", 443},
		{"ftp://files.example/pub/", AFX_INET_SERVICE_FTP, "files.example", "/pub/", 21},
		{"gopher://g.example:7070", AFX_INET_SERVICE_GOPHER, "g.example", "/", 7070},
		{"tarntvstream://stream.example/live", AFX_INET_SERVICE_UNK, "stream.example", "/live", 0},
		{"http://host:/x", AFX_INET_SERVICE_HTTP, "host", "/x", 80},
		{"http://host/path with blank", AFX_INET_SERVICE_HTTP, "host", "/path with blank", 80},
	};
	for (const CUrlCase& c : cases)
	{
		DWORD dwServiceType = 0;
		CString strServer = "old", strObject = "old";
		INTERNET_PORT nPort = 1;
		ASSERT_TRUE(AfxParseURL(c.pszUrl, dwServiceType, strServer, strObject, nPort)) << c.pszUrl;
		EXPECT_EQ(dwServiceType, c.dwServiceType) << c.pszUrl;
		EXPECT_STREQ(strServer, c.pszServer) << c.pszUrl;
		EXPECT_STREQ(strObject, c.pszObject) << c.pszUrl;
		EXPECT_EQ(nPort, c.nPort) << c.pszUrl;
	}
}

TEST(UrlParser, RefusesWhatIsNoAbsoluteUrl)
{
	const char* const urls[] = {nullptr, "", "not a url", "www.example.com/x", "://host/", "1http://host/",
		"ht tp://host/", "http://", "http:///path", "http://:80/", "http://user@/",
		"http://host:0/", "http://host:65536/", "http://host:8a/", "http://ho st/", "file:///C:/x"};
	for (const char* pszUrl : urls)
	{
		DWORD dwServiceType = 7;
		CString strServer = "keep", strObject = "keep";
		INTERNET_PORT nPort = 9;
		EXPECT_FALSE(AfxParseURL(pszUrl, dwServiceType, strServer, strObject, nPort)) << (pszUrl ? pszUrl : "null");
		EXPECT_EQ(dwServiceType, 7u);
		EXPECT_STREQ(strServer, "keep");
		EXPECT_EQ(nPort, 9);
	}
}
}
