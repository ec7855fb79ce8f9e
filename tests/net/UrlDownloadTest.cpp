// DownloadURL_socket against a scripted server on 127.0.0.1:80 (the routine always uses port 80):
// every status class with its log record, bodies with and without a length or in chunks, early close,
// stall, the "filename=" cut, hostile headers and bodies, and the client configuration fetched end to end.
#include "support/LoopbackHttpServer.h"

#include "app/MakerSites.h"
#include "net/UrlDownload.h"
#include "player/ClientConfig.h"
#include "support/LogRecords.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <chrono>
#include <future>
#include <string>

namespace
{
const char kNoLength[] = "未知原因，取不到要下载的文件大小，有可能是使用了http广告拦截工具";
const char kClosed[] = "服务器已经关闭连接";
const char kTimedOut[] = "接收数据超时";
const char kGeneric[] = "文件下载错误，可能是下载地址不对或者网络故障";
const char kTooLarge[] = "要下载的文件过大，超过1MB";

class UrlDownloadTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		logrecords::Reset();
		// Another run of these tests on this machine may hold the port for a while.
		for (int nTry = 0; nTry < 60 && !m_server.Start("127.0.0.1", 80); ++nTry)
			::Sleep(500);
		ASSERT_EQ(m_server.Port(), 80) << "127.0.0.1:80 is taken";
	}

	// The ERR records written, without the DEBG ones.
	std::vector<std::string> Errors()
	{
		std::vector<std::string> errors;
		for (const std::string& strRecord : logrecords::Read())
		{
			if (strRecord.compare(0, 4, "ERR|") == 0)
				errors.push_back(strRecord.substr(4));
		}
		return errors;
	}

	void Restart()
	{
		m_server.Stop();
		logrecords::Reset();
		ASSERT_TRUE(m_server.Start("127.0.0.1", 80));
	}

	static std::string Download(const char* pszPath, const char* pszCookie = "")
	{
		return DownloadURL_socket(CString("http://127.0.0.1") + pszPath, pszCookie).Str();
	}

	CLoopbackHttpServer m_server;
};

struct CStatusRow
{
	const char* pszStatusLine;
	const char* pszHeaders;
	const char* pszBody;
	bool bAddLength;
	const char* pszResult;
	const char* pszError;   // null: no ERR record
	bool bNoLengthTrace;
};

TEST_F(UrlDownloadTest, StatusClassesGiveTheirResultsAndLogRecords)
{
	const CStatusRow rows[] = {
		{"HTTP/1.1 200 OK", "", "weburl=http://w/##", true, "weburl=http://w/##", nullptr, false},
		{"HTTP/1.0 206 Partial", "", "part", true, "part", nullptr, false},
		{"HTTP/1.1 200 OK", "", "whole body", false, "whole body", nullptr, true},
		{"HTTP/1.1 302 Found", "Location: http://127.0.0.1/next\r\n", "moved", true, "",
			"目标已经转移，新的地址在'Location'域中", false},
		{"HTTP/1.1 304 Not Modified", "", "", false, "", "目标已经转移，新的地址在'Location'域中", true},
		{"HTTP/1.1 404 Not Found", "", "no such page", true, "", "客户端错误，可能是下载地址不对", false},
		{"HTTP/1.0 404 Not Found", "", "no such page", false, "", "要下载的文件大小为0", true},
		{"HTTP/1.1 500 Internal Server Error", "", "oops", true, "", "服务器端错误", false},
		{"HTTP/1.1 503 Busy", "", "", false, "", "服务器端错误", true},
		{"HTTP/1.1 100 Continue", "", "", false, "", kGeneric, true},
		{"HTTP/1.1 600 Odd", "", "x", true, "", kGeneric, false},
		{"HTTP/1.1 abc", "", "x", true, "", kGeneric, false},
		{"garbage", "", "x", false, "", kGeneric, true},
	};
	for (const CStatusRow& row : rows)
	{
		logrecords::Reset();
		m_server.SetResponse(row.pszStatusLine, row.pszHeaders, row.pszBody, row.bAddLength);
		int nConnections = m_server.ConnectionCount();
		EXPECT_EQ(Download("/cfg"), row.pszResult) << row.pszStatusLine;
		std::vector<std::string> expected;
		if (row.pszError)
			expected.push_back(row.pszError);
		EXPECT_EQ(Errors(), expected) << row.pszStatusLine;
		EXPECT_EQ(logrecords::Has("DEBG", kNoLength), row.bNoLengthTrace) << row.pszStatusLine;
		// Redirections are not followed: one request per call.
		EXPECT_EQ(m_server.ConnectionCount(), nConnections + 1) << row.pszStatusLine;
	}
}

TEST_F(UrlDownloadTest, RequestAndBodyInPieces)
{
	std::string strBody;
	for (int i = 0; strBody.size() < 3000; ++i)
		strBody += "line " + std::to_string(i) + "\n";
	const std::string strHeader = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(strBody.size()) + "\r\n\r\n";
	m_server.SetScript({{HttpStep::Send, strHeader.substr(0, 10)}, {HttpStep::Pause, {}, 50},
		{HttpStep::Send, strHeader.substr(10)}, {HttpStep::Send, strBody.substr(0, 700)}, {HttpStep::Pause, {}, 50},
		{HttpStep::Send, strBody.substr(700, 1500)}, {HttpStep::Pause, {}, 50}, {HttpStep::Send, strBody.substr(2200)},
		{HttpStep::Pause, {}, 50}, {HttpStep::Close, {}}});
	EXPECT_EQ(Download("/vmp/cfg.html?a=1&b=2", "sid=42"), strBody);
	EXPECT_TRUE(Errors().empty());

	std::vector<std::string> requests = m_server.Requests();
	ASSERT_EQ(requests.size(), 1u);
	EXPECT_EQ(requests[0],
		"GET /vmp/cfg.html?a=1&b=2 HTTP/1.1\r\n"
		"Host:127.0.0.1\r\n"
		"Accept:*/*\r\n"
		"User-Agent:Mozilla/4.0 (compatible; MSIE 5.00; Windows 98)\r\n"
		"Connection:Keep-Alive\r\n"
		"Cookie:sid=42\r\n"
		"\r\n");
}

TEST_F(UrlDownloadTest, EarlyCloseAndStallGiveNothing)
{
	const std::string strHeader = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n";
	m_server.SetScript({{HttpStep::Send, strHeader + "only ten.."}, {HttpStep::Close, {}}});
	EXPECT_EQ(Download("/early"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kClosed});

	// A length of 0 with nothing after it: one receive, which sees the close.
	logrecords::Reset();
	m_server.SetResponse("HTTP/1.1 200 OK", "", "", true);
	EXPECT_EQ(Download("/empty"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kClosed});
	EXPECT_TRUE(logrecords::Has("DEBG", kNoLength));

	// The server keeps the connection open and sends nothing more: the 6000 ms receive time-out ends it.
	logrecords::Reset();
	m_server.SetScript({{HttpStep::Send, strHeader + "only ten.."}});
	DWORD dwStart = ::GetTickCount();
	EXPECT_EQ(Download("/stall"), "");
	DWORD dwElapsed = ::GetTickCount() - dwStart;
	EXPECT_EQ(Errors(), std::vector<std::string>{kTimedOut});
	EXPECT_GE(dwElapsed, 5000u) << "the time-out is 6000 ms";
}

namespace
{
// The bytes one at a time, a second apart.
std::vector<HttpStep> Trickle(const std::string& strBytes)
{
	std::vector<HttpStep> steps;
	for (char ch : strBytes)
	{
		steps.push_back({HttpStep::Send, std::string(1, ch)});
		steps.push_back({HttpStep::Pause, {}, 1000});
	}
	return steps;
}

// The download on a thread of its own; "<still running>" when it has not returned after nWaitMs.
std::string DownloadWithin(DWORD dwDeadlineMs, DWORD nWaitMs)
{
	std::future<std::string> result = std::async(std::launch::async, [dwDeadlineMs] {
		return DownloadURL_socket("http://127.0.0.1/slow", "", dwDeadlineMs).Str();
	});
	if (result.wait_for(std::chrono::milliseconds(nWaitMs)) != std::future_status::ready)
		return "<still running>";
	return result.get();
}
}

TEST_F(UrlDownloadTest, TricklingServersMeetTheOverallDeadline)
{
	// Every byte comes well within the receive time-out, but the whole would take minutes.
	const std::string strHeader = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-Pad: " + std::string(150, 'p')
		+ "\r\nContent-Length: 100\r\n\r\n";
	m_server.SetScript(Trickle(strHeader));
	EXPECT_EQ(DownloadWithin(3000, 60000), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kTimedOut});

	// A header in time, then a body of the announced length at a byte a second (on a fresh server: the
	// last one still plays its script to the connection given up).
	Restart();
	std::vector<HttpStep> steps = Trickle(std::string(100, 'b'));
	steps.insert(steps.begin(), {HttpStep::Send, strHeader});
	m_server.SetScript(steps);
	EXPECT_EQ(DownloadWithin(3000, 60000), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kTimedOut});

	// The deadline the player uses.
	Restart();
	m_server.SetScript(Trickle(strHeader));
	EXPECT_EQ(DownloadWithin(kDownloadDeadlineMs, 120000), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kTimedOut});
}

TEST_F(UrlDownloadTest, FileNameMarkerCutsABodyWithoutLength)
{
	const std::pair<const char*, const char*> cases[] = {
		{"head FileName=Movie.FLV$1024$ tail", "FileName=Movie.FLV$1024$"},
		{"a filename=x$", "filename=x$"},
		{"filename=$", "filename=$"},
		{"filename=no dollar", ""},
		{"$ before FILENAME=late", ""},
		{"just text, no marker $", "just text, no marker $"},
		// UTF-8 bytes that code page 936 would read as characters swallowing the marker or the "$".
		{"\xE4\xB8\xAD" "FileName=\xE4\xB8\xAD$\xAD$ tail", "FileName=\xE4\xB8\xAD$\xAD$"},
	};
	for (const auto& c : cases)
	{
		m_server.SetResponse("HTTP/1.1 200 OK", "", c.first, false);
		EXPECT_EQ(Download("/name"), c.second) << c.first;
	}
	// With a length the body is returned whole.
	m_server.SetResponse("HTTP/1.1 200 OK", "", "x filename=a$b$ y", true);
	EXPECT_EQ(Download("/name"), "x filename=a$b$ y");
}

TEST_F(UrlDownloadTest, HostileResponsesNeverOverrun)
{
	// A zero byte ends the text, with and without a length.
	const std::string strZero("abc\0def", 7);
	m_server.SetResponse("HTTP/1.1 200 OK", "", strZero, true);
	EXPECT_EQ(Download("/zero"), "abc");
	m_server.SetResponse("HTTP/1.1 200 OK", "", strZero, false);
	EXPECT_EQ(Download("/zero"), "abc");

	// A negative length is refused rather than used as a size.
	logrecords::Reset();
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Length: -5\r\n", "body", false);
	EXPECT_EQ(Download("/negative"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kGeneric});

	// An absurd length is refused as too large before anything of the body is read.
	logrecords::Reset();
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Length: 99999999999\r\n", "short", false);
	EXPECT_EQ(Download("/huge"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kTooLarge});

	// Junk of every byte value but zero comes back as it was sent.
	std::string strJunk;
	for (int i = 0; i < 8000; ++i)
		strJunk += static_cast<char>(1 + i * 7919 % 255);
	m_server.SetResponse("HTTP/1.1 200 OK", "", strJunk, true);
	EXPECT_EQ(Download("/junk"), strJunk);

	// A 5000-byte header is cut; its rest arrives as a body without a length, in one receive at most.
	std::string strPad;
	while (strPad.size() < 5000)
		strPad += "X-Pad: " + std::string(60, 'p') + "\r\n";
	const std::string strResponse = "HTTP/1.1 200 OK\r\n" + strPad + "Content-Length: 4\r\n\r\nbody";
	m_server.SetScript({{HttpStep::Send, strResponse}, {HttpStep::Close, {}}});
	std::string strResult = Download("/big");
	EXPECT_FALSE(strResult.empty());
	EXPECT_LE(strResult.size(), 4096u);
	EXPECT_EQ(strResult, strResponse.substr(1023, strResult.size()));
}

TEST_F(UrlDownloadTest, ChunkedBodiesAreDecoded)
{
	// As nginx sends a document made by server-side includes: a chunk boundary inside an address, and the
	// connection kept open after the last chunk (the download must not wait for its close).
	const std::string strHeader = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n\r\n";
	m_server.SetScript({{HttpStep::Send, strHeader + "1a\r\nweburl=http://127.0.0.1/vm\r\n"}, {HttpStep::Pause, {}, 50},
		{HttpStep::Send, "1;name=value\r\np\r\n"}, {HttpStep::Pause, {}, 50},
		{HttpStep::Send, "11\r\n/default_new.aspx\r\n0\r\nX-Trailer: ignored\r\n\r\n"}});
	DWORD dwStart = ::GetTickCount();
	EXPECT_EQ(Download("/ssi"), "weburl=http://127.0.0.1/vmp/default_new.aspx");
	EXPECT_LT(::GetTickCount() - dwStart, 5000u) << "waited for the close after the last chunk";
	EXPECT_TRUE(logrecords::Read().empty());

	struct CRow
	{
		const char* pszHeaders;
		std::string strBody;
		const char* pszResult;
		const char* pszError;
	};
	const CRow rows[] = {
		// The coding overrides a length; names and codings in any letter case, bare LF line ends.
		{"Content-Length: 3\r\ntransfer-encoding: gzip, Chunked\r\n", "A\nabcdefghij\n0\n\n", "abcdefghij", nullptr},
		{"Transfer-Encoding: chunked\r\n", std::string("3\r\na\0b\r\n0\r\n\r\n", 13), "a", nullptr},
		{"Transfer-Encoding: chunked\r\n", "zz\r\nabc\r\n0\r\n\r\n", "", "分块传输的数据格式错误"},
		{"Transfer-Encoding: chunked\r\n", "2\r\nabc\r\n0\r\n\r\n", "", "分块传输的数据格式错误"},
		{"Transfer-Encoding: chunked\r\n", "9\r\nabc", "", kClosed},
		{"Transfer-Encoding: chunked\r\n", "200000\r\nabc", "", kTooLarge},
		{"Transfer-Encoding: chunked\r\n", "ffffffffffffffffffff1\r\nabc", "", kTooLarge},
		// Only "chunked" last is the chunked coding; the body is then read as one without a length.
		{"Transfer-Encoding: chunked, gzip\r\n", "3\r\nabc\r\n0\r\n\r\n", "3\r\nabc\r\n0\r\n\r\n", nullptr},
	};
	for (const CRow& row : rows)
	{
		logrecords::Reset();
		m_server.SetResponse("HTTP/1.1 200 OK", row.pszHeaders, row.strBody, false);
		EXPECT_EQ(Download("/chunks"), row.pszResult) << row.strBody;
		EXPECT_EQ(Errors(), row.pszError ? std::vector<std::string>{row.pszError} : std::vector<std::string>())
			<< row.strBody;
	}

	// A refusal in chunks has a body.
	logrecords::Reset();
	m_server.SetResponse("HTTP/1.1 404 Not Found", "Transfer-Encoding: chunked\r\n", "4\r\ngone\r\n0\r\n\r\n", false);
	EXPECT_EQ(Download("/gone"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{"客户端错误，可能是下载地址不对"});

	// Endless one-byte chunks end at the bound of the raw stream.
	logrecords::Reset();
	std::string strOneByteChunks;
	while (strOneByteChunks.size() < 6000)
		strOneByteChunks += "1\r\nq\r\n";
	m_server.SetScript({{HttpStep::Send, strHeader}, {HttpStep::Send, strOneByteChunks, 0, 1000}});
	EXPECT_EQ(Download("/endless"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kTooLarge});
}

// The most memory the process has held so far.
size_t PeakBytes()
{
	PROCESS_MEMORY_COUNTERS counters = {};
	counters.cb = sizeof(counters);
	::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
	return counters.PeakWorkingSetSize;
}

TEST_F(UrlDownloadTest, HugeBodiesFailFastAndNeverGrowTheProcess)
{
	// 400 MB announced and sent: refused at the header. Then 400 MB sent without a length: one receive.
	const std::string strChunk(64 * 1024, 'h');
	const unsigned nChunks = 6400;
	const size_t nPeakBefore = PeakBytes();
	m_server.SetScript({{HttpStep::Send, "HTTP/1.1 200 OK\r\nContent-Length: 419430400\r\n\r\n"},
		{HttpStep::Send, strChunk, 0, nChunks}, {HttpStep::Close, {}}});
	EXPECT_EQ(Download("/announced"), "");
	EXPECT_EQ(Errors(), std::vector<std::string>{kTooLarge});

	logrecords::Reset();
	m_server.SetScript({{HttpStep::Send, "HTTP/1.1 200 OK\r\n\r\n"}, {HttpStep::Send, strChunk, 0, nChunks},
		{HttpStep::Close, {}}});
	std::string strPiece = Download("/unannounced");
	EXPECT_TRUE(Errors().empty());
	EXPECT_LE(strPiece.size(), 4096u);
	EXPECT_EQ(strPiece, std::string(strPiece.size(), 'h'));

	// The player's configuration step keeps its defaults.
	logrecords::Reset();
	m_server.SetScript({{HttpStep::Send, "HTTP/1.1 200 OK\r\nContent-Length: 419430400\r\n\r\nplayerurl=x##"},
		{HttpStep::Send, strChunk, 0, nChunks}, {HttpStep::Close, {}}});
	CClientConfig config;
	config.LoadClientConfig("http://127.0.0.1/vmp/clientconfig.html");
	EXPECT_STREQ(config.m_strPlayerUrl, MAKER_PLAYER_URL);
	EXPECT_EQ(Errors(), std::vector<std::string>{kTooLarge});
	EXPECT_LT(PeakBytes() - nPeakBefore, 16u << 20);
}

TEST_F(UrlDownloadTest, UrlGivesOnlyHostAndObject)
{
	// Whatever the scheme and port, the request goes over plain HTTP to port 80.
	m_server.SetResponse("HTTP/1.1 200 OK", "", "port 80", true);
	for (const char* pszUrl : {"http://127.0.0.1:8080/a", "https://127.0.0.1/a", "ftp://user:pw@127.0.0.1:21/a"})
		EXPECT_EQ(DownloadURL_socket(pszUrl, "").Str(), "port 80") << pszUrl;
	for (const std::string& strRequest : m_server.Requests())
		EXPECT_EQ(strRequest.substr(0, 36), "GET /a HTTP/1.1\r\nHost:127.0.0.1\r\nAcc");

	// An unparsable address logs nothing and connects nowhere.
	logrecords::Reset();
	int nConnections = m_server.ConnectionCount();
	for (const char* pszUrl : {"", "not a url", "127.0.0.1/cfg", "http://"})
		EXPECT_EQ(DownloadURL_socket(pszUrl, "").Str(), "") << pszUrl;
	EXPECT_TRUE(logrecords::Read().empty());
	EXPECT_EQ(m_server.ConnectionCount(), nConnections);
}

TEST_F(UrlDownloadTest, ClientConfigurationEndToEnd)
{
	m_server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/html\r\n",
		"\r\n  PlayerURL%3Dhttp://127.0.0.1/Player.SWF%23%23HomeUrl=http://home/%23%23 \r\n", true);
	CClientConfig config;
	config.LoadClientConfig("http://127.0.0.1/vmp/clientconfig.html");
	EXPECT_STREQ(config.m_strPlayerUrl, "http://127.0.0.1/Player.SWF");
	EXPECT_STREQ(config.m_strHomeUrl, "http://home/");
	EXPECT_STREQ(config.m_strWebUrl, MAKER_WEB_URL);
	EXPECT_TRUE(logrecords::Has("DEBG",
		"ConfigParam_UrlUnescape: PlayerURL=http://127.0.0.1/Player.SWF##HomeUrl=http://home/##"));

	// Nothing listens: the download fails with its log records and every default stays.
	m_server.Stop();
	logrecords::Reset();
	config.LoadClientConfig("http://127.0.0.1/vmp/clientconfig.html");
	EXPECT_STREQ(config.m_strPlayerUrl, MAKER_PLAYER_URL);
	EXPECT_STREQ(config.m_strHomeUrl, MAKER_HOME_URL);
	EXPECT_STREQ(config.m_strDefaultLoadingUrl, MAKER_DEFAULT_LOADING_URL);
	EXPECT_EQ(Errors(), (std::vector<std::string>{"Socket连接失败", kGeneric}));
	EXPECT_TRUE(logrecords::Has("DEBG", "ConfigParam_UrlUnescape: "));
}
}
