// CHttpSocket against a scripted loopback server on a free port of 127.0.0.1: the request bytes, the
// header read and its bounds, the header queries, the body, closing and the socket library count.
#include "support/LoopbackHttpServer.h"

#include "net/HttpSocket.h"
#include "tests/net/LogRecords.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const std::string kFixedLines =
	"Accept:*/*\r\n"
	"User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
	"Connection:Keep-Alive\r\n";

std::string Format(CHttpSocket& socket, const char* pszObject, const char* pszCookie, const char* pszReferer,
	long nFrom, long nTo, long* pLength = nullptr)
{
	std::string strHost = "www.example.com", strObject = pszObject;
	std::string strCookie = pszCookie ? pszCookie : "", strReferer = pszReferer ? pszReferer : "";
	long nLength = -7;
	const char* pszHeader = socket.FormatRequestHeader(&strHost[0], &strObject[0], nLength,
		pszCookie ? &strCookie[0] : nullptr, pszReferer ? &strReferer[0] : nullptr, nFrom, nTo, 1);
	EXPECT_EQ(nLength, static_cast<long>(strlen(pszHeader)));
	if (pLength)
		*pLength = nLength;
	return pszHeader;
}

class HttpSocketTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		logrecords::Reset();
		ASSERT_TRUE(m_server.Start("127.0.0.1", 0));
	}

	// Composes a request, connects to the server, sends and reads the response header.
	bool Exchange(CHttpSocket& socket, const char* pszObject = "/doc")
	{
		char szHost[] = "127.0.0.1";
		std::string strObject = pszObject;
		long nLength = 0;
		socket.FormatRequestHeader(szHost, &strObject[0], nLength, nullptr, nullptr, 0, 0, 0);
		return socket.Socket() && socket.Connect(szHost, m_server.Port()) && socket.SetTimeout(6000, 0)
			&& socket.SendRequest(nullptr, 0);
	}

	std::string Header(CHttpSocket& socket)
	{
		int nLength = -2;
		const char* pszHeader = socket.GetResponseHeader(nLength);
		EXPECT_EQ(static_cast<int>(strlen(pszHeader)), nLength);
		return pszHeader;
	}

	CLoopbackHttpServer m_server;
};

TEST(HttpSocketRequest, HeaderBytes)
{
	CHttpSocket socket;
	long nLength = 0;
	const std::string strPlain = "GET /a/b.html?x=1 HTTP/1.1\r\nHost:www.example.com\r\n" + kFixedLines + "\r\n";
	EXPECT_EQ(Format(socket, "/a/b.html?x=1", nullptr, nullptr, 0, 0, &nLength), strPlain);
	EXPECT_EQ(nLength, static_cast<long>(strPlain.size()));

	// Empty but present cookie and referer still give their lines, in their places.
	EXPECT_EQ(Format(socket, "/", "", "", 0, 0),
		"GET / HTTP/1.1\r\nHost:www.example.com\r\nReferer:\r\n" + kFixedLines + "Cookie:\r\n\r\n");
	EXPECT_EQ(Format(socket, "/", "a=1; b=2", "http://r/", 0, 0),
		"GET / HTTP/1.1\r\nHost:www.example.com\r\nReferer:http://r/\r\n" + kFixedLines + "Cookie:a=1; b=2\r\n\r\n");

	const std::string strHead = "GET / HTTP/1.1\r\nHost:www.example.com\r\n" + kFixedLines;
	EXPECT_EQ(Format(socket, "/", nullptr, nullptr, 0, 500), strHead + "\r\n");
	EXPECT_EQ(Format(socket, "/", nullptr, nullptr, 100, 50), strHead + "Range: bytes=100-\r\n\r\n");
	EXPECT_EQ(Format(socket, "/", nullptr, nullptr, 100, 200), strHead + "Range: bytes=100-200\r\n\r\n");
	EXPECT_EQ(Format(socket, "/", nullptr, nullptr, -5, 200), strHead + "\r\n");

	// GetRequestHeader copies at most the capacity and adds nothing.
	char szCopy[8];
	memset(szCopy, 'z', sizeof(szCopy));
	EXPECT_EQ(socket.GetRequestHeader(szCopy, 5), 5);
	EXPECT_EQ(std::string(szCopy, 8), "GET /zzz");
	std::string strAll(2048, 'z');
	EXPECT_EQ(socket.GetRequestHeader(&strAll[0], 2048), static_cast<int>(strHead.size() + 2));
}

TEST(HttpSocketRequest, TooLongRequestIsRefusedWithinTheBuffer)
{
	CHttpSocket socket;
	const size_t nBase = Format(socket, "/", nullptr, nullptr, 0, 0).size();
	// The buffer holds 1023 bytes of request and the terminator.
	std::string strObject = "/" + std::string(1023 - nBase, 'o');
	long nLength = 0;
	EXPECT_EQ(Format(socket, strObject.c_str(), nullptr, nullptr, 0, 0, &nLength).size(), 1023u);
	EXPECT_EQ(nLength, 1023);

	strObject += "o";
	EXPECT_EQ(Format(socket, strObject.c_str(), nullptr, nullptr, 0, 0, &nLength), "");
	EXPECT_EQ(nLength, 0);
	std::string strCookie(5000, 'c');
	EXPECT_EQ(Format(socket, "/", strCookie.c_str(), nullptr, 0, 0), "");
	char szCopy[4] = "abc";
	EXPECT_EQ(socket.GetRequestHeader(szCopy, 4), 0);
}

TEST(HttpSocketRequest, FreshObjectHasNoResponse)
{
	logrecords::Reset();
	CHttpSocket socket;
	char szBuffer[16] = {};
	EXPECT_EQ(socket.GetServerState(), -1);
	EXPECT_EQ(socket.GetField("Content-Length", szBuffer, sizeof(szBuffer)), -1);
	EXPECT_EQ(socket.GetResponseLine(szBuffer, sizeof(szBuffer)), -1);
	EXPECT_EQ(socket.Receive(szBuffer, sizeof(szBuffer)), 0);
	EXPECT_EQ(socket.SendRequest("x", 1), 0);
	int nLength = 0;
	EXPECT_STREQ(socket.GetResponseHeader(nLength), "");
	EXPECT_EQ(nLength, -1);
	// Asking for the header before a response does not spoil the later one.
	EXPECT_EQ(socket.GetServerState(), -1);
	EXPECT_EQ(socket.Connect(nullptr, 80), 0);
	EXPECT_EQ(socket.CloseSocket(), 1);
	EXPECT_TRUE(logrecords::Read().empty());
}

TEST_F(HttpSocketTest, SendsTheComposedRequestAndReadsTheStatus)
{
	for (const char* pszVersion : {"HTTP/1.0", "HTTP/1.1"})
	{
		m_server.SetResponse(std::string(pszVersion) + " 404 Not Found", "Server: t\r\n", "gone");
		CHttpSocket socket;
		ASSERT_TRUE(Exchange(socket, "/missing?q=1"));
		EXPECT_EQ(socket.GetServerState(), 404) << pszVersion;
		EXPECT_EQ(Header(socket), std::string(pszVersion) + " 404 Not Found\r\nServer: t\r\nContent-Length: 4\r\n\r\n");
	}
	std::vector<std::string> requests = m_server.Requests();
	ASSERT_EQ(requests.size(), 2u);
	EXPECT_EQ(requests[0], "GET /missing?q=1 HTTP/1.1\r\nHost:127.0.0.1\r\n" + kFixedLines + "\r\n");
}

TEST_F(HttpSocketTest, GetFieldMatchesAnywhereAndStaysInItsBuffer)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/plain\r\nX-Empty: \r\n", std::string(1234, 'b'));
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));

	char szValue[30];
	EXPECT_EQ(socket.GetField("Content-Length", szValue, sizeof(szValue)), 4);
	EXPECT_STREQ(szValue, "1234");
	// A tail of the name finds the same line.
	memset(szValue, 0, sizeof(szValue));
	EXPECT_EQ(socket.GetField("ent-Length", szValue, sizeof(szValue)), 4);
	EXPECT_STREQ(szValue, "1234");
	// Case matters; a name absent from the header gives -1.
	EXPECT_EQ(socket.GetField("content-length", szValue, sizeof(szValue)), -1);
	EXPECT_EQ(socket.GetField("Location", szValue, sizeof(szValue)), -1);
	EXPECT_EQ(socket.GetField("X-Empty", szValue, sizeof(szValue)), 0);
	EXPECT_STREQ(szValue, "");

	// A small buffer receives what fits and its terminator, nothing beyond; the result is the whole length.
	char szSmall[8];
	memset(szSmall, '#', sizeof(szSmall));
	EXPECT_EQ(socket.GetField("Content-Type", szSmall, 4), 10);
	EXPECT_EQ(std::string(szSmall, 8), std::string("tex\0####", 8));
	EXPECT_EQ(socket.GetField("Content-Type", szSmall, 0), 10);
	EXPECT_EQ(szSmall[0], 't');
}

TEST_F(HttpSocketTest, ResponseLinesWalkTheHeaderAndRewind)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "A: bc\r\n", "body", false);
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	const std::string strHeader = "HTTP/1.1 200 OK\r\nA: bc\r\n\r\n";
	ASSERT_EQ(Header(socket), strHeader);

	for (int nPass = 0; nPass < 2; ++nPass)
	{
		std::vector<std::string> pieces;
		char szPiece[6];
		int n;
		while ((n = socket.GetResponseLine(szPiece, 6)) != -1)
		{
			ASSERT_GT(n, 0);
			ASSERT_LE(n, 6);
			pieces.emplace_back(szPiece, n);
		}
		std::vector<std::string> expected = {"HTTP/1", ".1 200", " OK\r\n", "A: bc\r", "\n", "\r\n"};
		EXPECT_EQ(pieces, expected) << "pass " << nPass;
	}
	char szLine[64];
	EXPECT_EQ(socket.GetResponseLine(szLine, sizeof(szLine)), 17);
	EXPECT_EQ(std::string(szLine, 17), "HTTP/1.1 200 OK\r\n");

	// The body was left in the socket for Receive.
	EXPECT_EQ(socket.Receive(szLine, sizeof(szLine)), 4);
	EXPECT_EQ(std::string(szLine, 4), "body");
}

TEST_F(HttpSocketTest, ReceiveAfterCloseReturnsZeroAndStaysClosed)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "", "abc");
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	char szBody[16];
	EXPECT_EQ(socket.Receive(szBody, sizeof(szBody)), 3);
	EXPECT_EQ(socket.Receive(szBody, sizeof(szBody)), 0);
	EXPECT_EQ(socket.Receive(szBody, sizeof(szBody)), 0);
	EXPECT_EQ(socket.SendRequest(nullptr, 0), 0);
	EXPECT_EQ(socket.GetServerState(), 200);
	EXPECT_EQ(socket.CloseSocket(), 1);

	// A copy taken now carries the same response.
	CHttpSocket copy(socket);
	char szValue[8];
	EXPECT_EQ(copy.GetField("Content-Length", szValue, sizeof(szValue)), 1);
	CHttpSocket assigned;
	assigned = copy;
	EXPECT_EQ(assigned.GetServerState(), 200);
}

TEST_F(HttpSocketTest, OversizeHeaderIsCutAndTheRestIsBody)
{
	std::string strPad;
	for (int i = 0; strPad.size() < 5000; ++i)
		strPad += "X-Pad-" + std::to_string(i) + ": " + std::string(40, 'p') + "\r\n";
	const std::string strResponse = "HTTP/1.1 200 OK\r\n" + strPad + "Content-Length: 5\r\n\r\nhello";
	m_server.SetScript({{HttpStep::Send, strResponse}, {HttpStep::Close, {}}});
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));

	int nLength = 0;
	const char* pszHeader = socket.GetResponseHeader(nLength);
	EXPECT_EQ(nLength, 1023);
	EXPECT_EQ(std::string(pszHeader), strResponse.substr(0, 1023));
	EXPECT_EQ(socket.GetServerState(), 200);
	char szValue[30];
	EXPECT_EQ(socket.GetField("Content-Length", szValue, sizeof(szValue)), -1);
	// The line cut at the end of the buffer has no value.
	size_t nLastLine = strResponse.rfind("X-Pad-", 1022);
	std::string strCutName = strResponse.substr(nLastLine, strResponse.find(':', nLastLine) - nLastLine);
	EXPECT_EQ(socket.GetField(strCutName.c_str(), szValue, sizeof(szValue)), -1);

	std::string strRest;
	char szChunk[700];
	long n;
	while ((n = socket.Receive(szChunk, sizeof(szChunk))) > 0)
		strRest.append(szChunk, n);
	EXPECT_EQ(n, 0);
	EXPECT_EQ(strRest, strResponse.substr(1023));
}

TEST_F(HttpSocketTest, HeaderReadEndsWhenTheServerCloses)
{
	m_server.SetScript({{HttpStep::Send, "HTTP/1.1 301"}, {HttpStep::Close, {}}});
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	EXPECT_EQ(Header(socket), "HTTP/1.1 301");
	EXPECT_EQ(socket.GetServerState(), 301);

	// A zero byte inside the header ends its text but not the read.
	m_server.SetScript({{HttpStep::Send, std::string("HTTP/1.1 200 OK\r\nA: 1") + '\0' + "\r\nB: 2\r\n\r\nbody"},
		{HttpStep::Close, {}}});
	CHttpSocket other;
	ASSERT_TRUE(Exchange(other));
	int nLength = 0;
	EXPECT_STREQ(other.GetResponseHeader(nLength), "HTTP/1.1 200 OK\r\nA: 1");
	EXPECT_EQ(nLength, 32);
	char szValue[8];
	EXPECT_EQ(other.GetField("B", szValue, sizeof(szValue)), -1);
	EXPECT_EQ(other.Receive(szValue, sizeof(szValue)), 4);
}

TEST_F(HttpSocketTest, SocketLibraryStartUpsStayBalanced)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "", "x");
	{
		CHttpSocket socket;
		ASSERT_TRUE(Exchange(socket));
		char szBody[4];
		EXPECT_EQ(socket.Receive(szBody, sizeof(szBody)), 1);
		EXPECT_EQ(socket.Receive(szBody, sizeof(szBody)), 0);   // closes
		EXPECT_EQ(socket.CloseSocket(), 1);
		EXPECT_EQ(socket.CloseSocket(), 1);
	}
	{
		CHttpSocket socket;
		EXPECT_EQ(socket.Socket(), 1);
		EXPECT_EQ(socket.Socket(), 1);   // replaces the unconnected socket
		EXPECT_EQ(socket.CloseSocket(), 1);
		EXPECT_EQ(socket.CloseSocket(), 1);
	}
	// Had any of those released the library more often than they started it, the server's own start-up
	// would be gone and this would fail.
	SOCKET hProbe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
	EXPECT_NE(hProbe, INVALID_SOCKET) << ::WSAGetLastError();
	::closesocket(hProbe);
	CHttpSocket again;
	EXPECT_TRUE(Exchange(again));
	EXPECT_EQ(again.GetServerState(), 200);
}

TEST_F(HttpSocketTest, ConnectFailuresAndReconnectAreLogged)
{
	m_server.SetResponse("HTTP/1.1 204 No Content", "", "");
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	EXPECT_EQ(socket.Socket(), 0);
	EXPECT_TRUE(logrecords::Has("DEBG", "已建立Socket连接，创建Socket失败"));

	// Connecting a connected object closes it and connects a new socket.
	char szHost[] = "127.0.0.1";
	EXPECT_EQ(socket.Connect(szHost, m_server.Port()), 1);
	EXPECT_TRUE(logrecords::Has("DEBG", "若Socket已经连接,则先关闭"));
	EXPECT_EQ(socket.SendRequest("GET /again HTTP/1.1\r\n\r\n", 23), 1);
	// The first response header stays; the new response arrives as body.
	char szReply[64];
	EXPECT_GT(socket.Receive(szReply, sizeof(szReply)), 0);
	EXPECT_EQ(std::string(szReply, 12), "HTTP/1.1 204");
	EXPECT_EQ(m_server.ConnectionCount(), 2);
	EXPECT_EQ(m_server.Requests().back(), "GET /again HTTP/1.1\r\n\r\n");

	unsigned short nClosedPort = m_server.Port();
	m_server.Stop();
	CHttpSocket refused;
	ASSERT_EQ(refused.Socket(), 1);
	EXPECT_EQ(refused.Connect(szHost, nClosedPort), 0);
	EXPECT_TRUE(logrecords::Has("ERR", "Socket连接失败"));
	EXPECT_EQ(refused.SendRequest(nullptr, 0), 0);
}
}
