// The settings fetch over WinINet against a scripted server on 127.0.0.2:80: the request, the single
// 4095-byte read, the status check and the stop flag. (A fetch cut short by ExitLogThread is an
// end-to-end case.)
// The server's socket header must come before windows.h.
#include "tests/stat/StatServer.h"

#include "stat/SettingsFetch.h"
#include "stat/StatSettings.h"
#include "stat/StatWorker.h"

#include <gtest/gtest.h>

#include <memory>


namespace
{
class FetchTest : public ::testing::Test
{
protected:
	void SetUp() override { ASSERT_TRUE(StartStatServer(m_server)); }

	bool Fetch() { return m_fetch.Fetch("127.0.0.2", m_szDocument, m_bStop); }

	CLoopbackHttpServer m_server;
	CSettingsFetch m_fetch;
	std::atomic<int> m_bStop{0};
	char m_szDocument[CSettingsFetch::DOCUMENT_BUFFER_SIZE] = {};
};

// The worker's own fetch attempts, bounded at 300 ms instead of 10 s.
class CBoundedWorker : public CStatWorker
{
public:
	CBoundedWorker() : CStatWorker("127.0.0.2", 300) { Prepare(&NoReport); }
	using CStatWorker::GetDocumentBuffer;

private:
	static int __cdecl NoReport(char*, int) { return 0; }
};
}

TEST_F(FetchTest, GetsTheDocumentWithTheAgentAndObject)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/plain\r\n", "[setting]\r\nlog=1\r\n");
	ASSERT_TRUE(Fetch());
	m_fetch.CloseHandles();
	EXPECT_STREQ(m_szDocument, "[setting]\r\nlog=1\r\n");
	std::vector<std::string> requests = m_server.Requests();
	ASSERT_EQ(requests.size(), 1u);
	EXPECT_EQ(requests[0].rfind("GET /wenstat/settings.ini HTTP/1.1\r\n", 0), 0u) << requests[0];
	EXPECT_NE(requests[0].find("\r\nUser-Agent: Wendal Live\r\n"), std::string::npos) << requests[0];
	EXPECT_NE(requests[0].find("\r\nHost: 127.0.0.2\r\n"), std::string::npos) << requests[0];
}

TEST_F(FetchTest, OneReadOfAtMost4095Bytes)
{
	// The cut at byte 4095 falls inside the value "123456": the pair is read as far as it goes.
	std::string strBody = "[setting]\nservers=a\nlog=1\n[a]\nhost=h\n";
	const std::string strCut = "\n[setting]\ninterval=12";
	while (strBody.size() + 50 + strCut.size() <= 4095)
		strBody += ";" + std::string(48, '-') + "\n";
	strBody += std::string(4095 - strBody.size() - strCut.size(), ';') + strCut + "3456\n";
	strBody.resize(5000, 'x');
	m_server.SetResponse("HTTP/1.1 200 OK", "", strBody);
	ASSERT_TRUE(Fetch());
	m_fetch.CloseHandles();
	ASSERT_EQ(std::string(m_szDocument).size(), 4095u);
	EXPECT_EQ(std::string(m_szDocument), strBody.substr(0, 4095));
	StatSettings settings;
	ApplySettings(settings, m_szDocument);
	EXPECT_EQ(settings.m_nInterval, 12);
	EXPECT_EQ(settings.m_nLog, 1);
	EXPECT_EQ(settings.m_strHost, "h");
}

TEST_F(FetchTest, OnlyStatus200Succeeds)
{
	// The server closes after each answer and says so: a connection kept alive could be taken for the next
	// request just before that close arrives, and the request would then fail unserved.
	struct CAnswer
	{
		const char* pszStatusLine;
		const char* pszBody;
		bool bSucceeds;
	};
	const CAnswer answers[] = {{"HTTP/1.1 404 Not Found", "[setting]\nlog=1\n", false},
		{"HTTP/1.1 500 Internal Server Error", "", false}, {"HTTP/1.1 200 OK", "", true}};
	size_t nServed = 0;
	for (const CAnswer& answer : answers)
	{
		m_server.SetResponse(answer.pszStatusLine, "Connection: close\r\n", answer.pszBody);
		EXPECT_EQ(Fetch(), answer.bSucceeds) << answer.pszStatusLine;
		m_fetch.CloseHandles();
		EXPECT_EQ(m_server.Requests().size(), ++nServed) << answer.pszStatusLine << " was not served";
		// The body is read whatever the status, just not used.
		EXPECT_STREQ(m_szDocument, answer.pszBody) << answer.pszStatusLine;
	}
}

TEST_F(FetchTest, StopFlagEndsAFetchBeforeItConnects)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "", "[setting]\n");
	m_bStop = 1;
	EXPECT_FALSE(Fetch());
	m_fetch.CloseHandles();
	EXPECT_EQ(m_server.ConnectionCount(), 0);
}

TEST_F(FetchTest, LateAttemptsFailAndNeverTouchTheWorker)
{
	// Each answer comes 2 s late, with a document that would switch reports on.
	const std::string strBody = "[setting]\nservers=s\nlog=1\ninterval=100\n[s]\nhost=127.0.0.2\nport=9\n";
	m_server.SetScript({{HttpStep::Pause, {}, 2000},
		{HttpStep::Send, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(strBody.size()) + "\r\n\r\n" + strBody},
		{HttpStep::Close, {}}});
	auto pWorker = std::make_unique<CBoundedWorker>();
	strcpy(pWorker->GetDocumentBuffer(), "untouched");
	pWorker->InitialFetch();
	EXPECT_EQ(pWorker->GetSettings().m_nUpdateSetting, 1200000) << "three failed attempts";
	EXPECT_EQ(pWorker->GetSettings().m_nLog, 0);
	EXPECT_STREQ(pWorker->GetDocumentBuffer(), "untouched");

	// The late threads get their documents now, into buffers of their own, and outlive the worker: a worker
	// made in its place (most likely in the same memory) keeps what it holds.
	pWorker.reset();
	pWorker = std::make_unique<CBoundedWorker>();
	strcpy(pWorker->GetDocumentBuffer(), "untouched");
	::Sleep(3 * 2000 + 2000);
	EXPECT_STREQ(pWorker->GetDocumentBuffer(), "untouched");
	EXPECT_EQ(pWorker->GetSettings().m_nLog, 0);
	EXPECT_EQ(m_server.ConnectionCount(), 3) << "every late attempt was answered";
}
