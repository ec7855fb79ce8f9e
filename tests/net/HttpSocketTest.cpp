// CHttpSocket against a scripted loopback server on a free port of 127.0.0.1: the request bytes, the
// header read and its bounds, the header queries, the body, closing and the socket library count.
#include "support/LoopbackHttpServer.h"

#include "net/HttpSocket.h"
#include "support/LogRecords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const std::string kFixedLines =
	"Accept:*/*\r\nUser-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\nConnection:Keep-Alive\r\n";

std::string Format(CHttpSocket& socket, std::string strObject, const char* pszCookie, const char* pszReferer,
	long nFrom, long nTo)
{
	std::string strHost = "www.example.com", strCookie = pszCookie ? pszCookie : "";
	std::string strReferer = pszReferer ? pszReferer : "";
	long nLength = -7;
	const char* pszHeader = socket.FormatRequestHeader(&strHost[0], &strObject[0], nLength,
		pszCookie ? &strCookie[0] : nullptr, pszReferer ? &strReferer[0] : nullptr, nFrom, nTo, 1);
	EXPECT_EQ(nLength, static_cast<long>(strlen(pszHeader)));
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
	bool Exchange(CHttpSocket& socket)
	{
		char szHost[] = "127.0.0.1", szObject[] = "/doc?q=1";
		long nLength = 0;
		socket.FormatRequestHeader(szHost, szObject, nLength, nullptr, nullptr, 0, 0, 0);
		return socket.Socket() && socket.Connect(szHost, m_server.Port()) && socket.SetTimeout(6000, 0)
			&& socket.SendRequest(nullptr, 0);
	}

	static std::string Header(CHttpSocket& socket)
	{
		int nLength = -2;
		const char* pszHeader = socket.GetResponseHeader(nLength);
		EXPECT_EQ(static_cast<int>(strlen(pszHeader)), nLength);
		return pszHeader;
	}

	CLoopbackHttpServer m_server;
};

TEST(HttpSocketRequest, HeaderBytesAndBounds)
{
	CHttpSocket socket;
	const std::string strHead = "GET /a?x=1 HTTP/1.1\r\nHost:www.example.com\r\n";
	EXPECT_EQ(Format(socket, "/a?x=1", nullptr, nullptr, 0, 500), strHead + kFixedLines + "\r\n");
	EXPECT_EQ(Format(socket, "/a?x=1", "", "", 0, 0), strHead + "Referer:\r\n" + kFixedLines + "Cookie:\r\n\r\n");
	EXPECT_EQ(Format(socket, "/a?x=1", "a=1", "http://r/", 100, 50),
		strHead + "Referer:http://r/\r\n" + kFixedLines + "Cookie:a=1\r\nRange: bytes=100-\r\n\r\n");
	EXPECT_EQ(Format(socket, "/a?x=1", nullptr, nullptr, 100, 200), strHead + kFixedLines + "Range: bytes=100-200\r\n\r\n");

	char szCopy[8];
	memset(szCopy, 'z', sizeof(szCopy));
	EXPECT_EQ(socket.GetRequestHeader(szCopy, 5), 5);
	EXPECT_EQ(std::string(szCopy, 8), "GET /zzz");

	// 1023 bytes of request fit beside the terminator; one more is refused, not cut.
	const size_t nBase = Format(socket, "/", nullptr, nullptr, 0, 0).size();
	EXPECT_EQ(Format(socket, "/" + std::string(1023 - nBase, 'o'), nullptr, nullptr, 0, 0).size(), 1023u);
	EXPECT_EQ(Format(socket, "/" + std::string(1024 - nBase, 'o'), nullptr, nullptr, 0, 0), "");
	EXPECT_EQ(Format(socket, "/", std::string(5000, 'c').c_str(), nullptr, 0, 0), "");
	EXPECT_EQ(socket.GetRequestHeader(szCopy, 8), 0);
}

TEST(HttpSocketRequest, FreshObjectHasNoResponse)
{
	logrecords::Reset();
	CHttpSocket socket;
	char szBuffer[16] = {};
	int nLength = 0;
	EXPECT_STREQ(socket.GetResponseHeader(nLength), "");
	EXPECT_EQ(nLength, -1);
	EXPECT_EQ(socket.GetServerState(), -1);
	EXPECT_EQ(socket.GetField("Content-Length", szBuffer, sizeof(szBuffer)), -1);
	EXPECT_EQ(socket.GetResponseLine(szBuffer, sizeof(szBuffer)), -1);
	EXPECT_EQ(socket.Receive(szBuffer, sizeof(szBuffer)), 0);
	EXPECT_EQ(socket.SendRequest("x", 1), 0);
	EXPECT_EQ(socket.Connect(nullptr, 80), 0);
	EXPECT_EQ(socket.CloseSocket(), 1);
	EXPECT_TRUE(logrecords::Read().empty());
}

TEST_F(HttpSocketTest, StatusOfBothProtocolVersions)
{
	for (const std::string strVersion : {"HTTP/1.0", "HTTP/1.1"})
	{
		m_server.SetResponse(strVersion + " 404 Not Found", "", "gone");
		CHttpSocket socket;
		ASSERT_TRUE(Exchange(socket));
		EXPECT_EQ(socket.GetServerState(), 404) << strVersion;
	}
	EXPECT_EQ(m_server.Requests()[0], "GET /doc?q=1 HTTP/1.1\r\nHost:127.0.0.1\r\n" + kFixedLines + "\r\n");
}

TEST_F(HttpSocketTest, HeaderQueriesAndBody)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/plain\r\n", std::string(1234, 'b'));
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	const std::string strHeader = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 1234\r\n\r\n";
	ASSERT_EQ(Header(socket), strHeader);

	// A tail of a name finds the same line; a small buffer gets what fits and its terminator.
	char szValue[8];
	for (const char* pszName : {"Content-Length", "ent-Length"})
	{
		memset(szValue, '#', sizeof(szValue));
		EXPECT_EQ(socket.GetField(pszName, szValue, sizeof(szValue)), 4);
		EXPECT_STREQ(szValue, "1234");
	}
	memset(szValue, '#', sizeof(szValue));
	EXPECT_EQ(socket.GetField("Content-Type", szValue, 4), 10);
	EXPECT_EQ(std::string(szValue, 8), std::string("tex\0####", 8));
	EXPECT_EQ(socket.GetField("content-length", szValue, sizeof(szValue)), -1);

	// Lines come in pieces of at most the capacity; the call after the last rewinds.
	for (int nPass = 0; nPass < 2; ++nPass)
	{
		std::string strWalk;
		int n;
		while ((n = socket.GetResponseLine(szValue, 6)) != -1)
		{
			ASSERT_TRUE(n >= 1 && n <= 6);
			ASSERT_TRUE(n == 6 || szValue[n - 1] == '\n');
			strWalk.append(szValue, n);
		}
		EXPECT_EQ(strWalk, strHeader);
	}

	std::string strBody(2000, 0);
	long nBody = 0, n;
	while ((n = socket.Receive(&strBody[nBody], 700)) > 0)
		nBody += n;
	EXPECT_EQ(n, 0);
	EXPECT_EQ(strBody.substr(0, nBody), std::string(1234, 'b'));
	// Closed now: no more receive calls, and the response stays readable.
	EXPECT_EQ(socket.Receive(szValue, sizeof(szValue)), 0);
	EXPECT_EQ(socket.SendRequest(nullptr, 0), 0);
	CHttpSocket copy(socket);
	EXPECT_EQ(copy.GetServerState(), 200);
}

TEST_F(HttpSocketTest, HeaderAndBodyInOneSegmentOrMany)
{
	const std::string strHeader = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 1000\r\n\r\n";
	std::string strBody = "\r\n\r\nHTTP/1.1 500 Not this\r\n\r\n";
	while (strBody.size() < 1000)
		strBody += "body " + std::to_string(strBody.size()) + "\r\n";
	strBody.resize(1000);
	const std::string strResponse = strHeader + strBody;
	const size_t nEnd = strHeader.size();
	// One segment; one every 7 bytes; cuts inside the empty line and right after it.
	std::vector<std::vector<size_t>> cuts = {{}, {}, {nEnd - 3, nEnd - 1, nEnd, nEnd + 1}};
	for (size_t nCut = 7; nCut < strResponse.size(); nCut += 7)
		cuts[1].push_back(nCut);
	for (const std::vector<size_t>& cut : cuts)
	{
		std::vector<HttpStep> steps;
		size_t nFrom = 0;
		for (size_t nTo : cut)
		{
			steps.push_back({HttpStep::Send, strResponse.substr(nFrom, nTo - nFrom)});
			steps.push_back({HttpStep::Pause, {}, 2});
			nFrom = nTo;
		}
		steps.push_back({HttpStep::Send, strResponse.substr(nFrom)});
		steps.push_back({HttpStep::Close, {}});
		m_server.SetScript(steps);
		CHttpSocket socket;
		ASSERT_TRUE(Exchange(socket));
		EXPECT_EQ(Header(socket), strHeader) << cut.size() << " cuts";
		EXPECT_EQ(socket.GetServerState(), 200);
		std::string strReceived;
		char szChunk[300];
		long n;
		while ((n = socket.Receive(szChunk, sizeof(szChunk))) > 0)
			strReceived.append(szChunk, n);
		EXPECT_EQ(strReceived, strBody) << cut.size() << " cuts";
	}
}

TEST_F(HttpSocketTest, OversizeOrBrokenHeadersStayInTheBuffer)
{
	std::string strPad;
	for (int i = 0; strPad.size() < 5000; ++i)
		strPad += "X-Pad-" + std::to_string(i) + ": " + std::string(40, 'p') + "\r\n";
	const std::string strResponse = "HTTP/1.1 200 OK\r\n" + strPad + "Content-Length: 5\r\n\r\nhello";
	m_server.SetScript({{HttpStep::Send, strResponse}, {HttpStep::Close, {}}});
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	EXPECT_EQ(Header(socket), strResponse.substr(0, 1023));
	char szValue[30];
	EXPECT_EQ(socket.GetField("Content-Length", szValue, sizeof(szValue)), -1);
	EXPECT_EQ(socket.GetField("X-Pad-19", szValue, sizeof(szValue)), -1);   // the line cut at the end
	std::string strRest;
	long n;
	while ((n = socket.Receive(szValue, sizeof(szValue))) > 0)
		strRest.append(szValue, n);
	EXPECT_EQ(strRest, strResponse.substr(1023));

	// A server that closes inside the header ends the read at once.
	m_server.SetScript({{HttpStep::Send, "HTTP/1.1 301"}, {HttpStep::Close, {}}});
	CHttpSocket cut;
	ASSERT_TRUE(Exchange(cut));
	EXPECT_EQ(Header(cut), "HTTP/1.1 301");
	EXPECT_EQ(cut.GetServerState(), 301);
}

TEST_F(HttpSocketTest, SocketLibraryStartUpsStayBalanced)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "", "x");
	{
		CHttpSocket socket;
		ASSERT_TRUE(Exchange(socket));
		char szBody[4];
		while (socket.Receive(szBody, sizeof(szBody)) > 0)
		{
		}
		EXPECT_EQ(socket.CloseSocket(), 1);
		CHttpSocket unconnected;
		EXPECT_EQ(unconnected.Socket(), 1);
		EXPECT_EQ(unconnected.Socket(), 1);   // replaces its socket
		EXPECT_EQ(unconnected.CloseSocket(), 1);
		EXPECT_EQ(unconnected.CloseSocket(), 1);
	}
	// One release too many would have ended the server's own start-up.
	SOCKET hProbe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
	EXPECT_NE(hProbe, INVALID_SOCKET) << ::WSAGetLastError();
	::closesocket(hProbe);
}

TEST_F(HttpSocketTest, ConnectionStepsAreLogged)
{
	m_server.SetResponse("HTTP/1.1 204 No Content", "", "");
	CHttpSocket socket;
	ASSERT_TRUE(Exchange(socket));
	EXPECT_EQ(socket.Socket(), 0);
	EXPECT_TRUE(logrecords::Has("DEBG", "已建立Socket连接，创建Socket失败"));

	// Connecting a connected object closes it and connects a new socket; the first header stays.
	char szHost[] = "127.0.0.1", szReply[64];
	EXPECT_EQ(socket.Connect(szHost, m_server.Port()), 1);
	EXPECT_TRUE(logrecords::Has("DEBG", "若Socket已经连接,则先关闭"));
	EXPECT_EQ(socket.SendRequest("GET /again HTTP/1.1\r\n\r\n", 23), 1);
	EXPECT_GT(socket.Receive(szReply, sizeof(szReply)), 12);
	EXPECT_EQ(std::string(szReply, 12), "HTTP/1.1 204");
	EXPECT_EQ(m_server.Requests().back(), "GET /again HTTP/1.1\r\n\r\n");

	unsigned short nClosedPort = m_server.Port();
	m_server.Stop();
	CHttpSocket refused;
	ASSERT_EQ(refused.Socket(), 1);
	EXPECT_EQ(refused.Connect(szHost, nClosedPort), 0);
	EXPECT_TRUE(logrecords::Has("ERR", "Socket连接失败"));
}
}
