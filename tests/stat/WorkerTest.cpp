// The worker's logic driven step by step: fetch attempts, which timers are armed with which period at
// start-up and at each tick, and the report datagrams sent to a UDP listener on 127.0.0.2. The real
// thread, its timers and Exit are end-to-end cases.
#include "stat/StatWorker.h"
#include "tests/stat/UdpListener.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>

namespace
{
const char kFailedFetch[] = "<failed fetch>";

struct TimerCall
{
	UINT_PTR nId;
	int32_t nPeriod;
	bool operator==(const TimerCall& other) const { return nId == other.nId && nPeriod == other.nPeriod; }
};

// Fetches from a list of documents instead of the network, and records its timers.
class CScriptedWorker : public CStatWorker
{
public:
	CScriptedWorker() : CStatWorker("127.0.0.2") {}
	using CStatWorker::Prepare;

	void Queue(const std::string& strDocument)
	{
		m_documents.push_back(strDocument);
	}
	int Fetches() const { return m_nFetches; }
	int Lookups() const { return m_nLookups; }
	std::vector<TimerCall> TakeArms() { return std::exchange(m_arms, {}); }
	std::vector<UINT_PTR> TakeKills() { return std::exchange(m_kills, {}); }

protected:
	bool FetchAttempt() override
	{
		char* pszDocument = GetDocumentBuffer();
		++m_nFetches;
		if (m_documents.empty())
			return false;
		std::string strDocument = m_documents.front();
		m_documents.pop_front();
		if (strDocument == kFailedFetch)
			return false;
		strDocument.copy(pszDocument, CSettingsFetch::DOCUMENT_BUFFER_SIZE - 1);
		pszDocument[std::min<size_t>(strDocument.size(), CSettingsFetch::DOCUMENT_BUFFER_SIZE - 1)] = '\0';
		return true;
	}
	UINT_PTR SetThreadTimer(UINT_PTR nId, int32_t nPeriod) override
	{
		m_arms.push_back({nId, nPeriod});
		return nId ? nId : ++m_nLastId;
	}
	bool KillThreadTimer(UINT_PTR nId) override
	{
		m_kills.push_back(nId);
		return true;
	}
	bool ResolveHost(const char* pszHost, in_addr& addr) override
	{
		++m_nLookups;
		return CStatWorker::ResolveHost(pszHost, addr);
	}

private:
	std::deque<std::string> m_documents;
	int m_nFetches = 0;
	int m_nLookups = 0;
	std::vector<TimerCall> m_arms;
	std::vector<UINT_PTR> m_kills;
	UINT_PTR m_nLastId = 100;
};

struct ReportCalls
{
	int nKind1 = 0;
	int nKind2 = 0;
	int nResult1 = 0;
	int nResult2 = 40;
};
ReportCalls g_calls;

// Writes a recognisable pattern, including a byte 0 that the library must replace.
int __cdecl FillReport(char* pBuffer, int nKind)
{
	int cb = nKind == 1 ? g_calls.nResult1 : g_calls.nResult2;
	++(nKind == 1 ? g_calls.nKind1 : g_calls.nKind2);
	for (int i = 0; i < STAT_REPORT_BUFFER_SIZE; ++i)
		pBuffer[i] = static_cast<char>('a' + (i + nKind) % 26);
	return cb;
}

std::string Document(const std::string& strSetting, unsigned short nPort, const char* pszHost = "127.0.0.2")
{
	return "[setting]\nservers=s\n" + strSetting + "\n[s]\nhost=" + pszHost + "\nport=" + std::to_string(nPort) + "\n";
}

class WorkerTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		g_calls.nKind1 = 0;
		g_calls.nKind2 = 0;
		g_calls.nResult1 = 0;
		g_calls.nResult2 = 40;
		ASSERT_TRUE(m_listener.Start("127.0.0.2"));
		ASSERT_TRUE(m_worker.Prepare(FillReport));
	}

	std::string Doc(const std::string& strSetting) { return Document(strSetting, m_listener.Port()); }

	CUdpListener m_listener;
	CScriptedWorker m_worker;
};
}

TEST_F(WorkerTest, InitialFetchGivesUpAfterThreeAttempts)
{
	for (int i = 0; i < 4; ++i)
		m_worker.Queue(kFailedFetch);
	m_worker.Queue(Doc("log=1\ninterval=100"));
	m_worker.InitialFetch();
	EXPECT_EQ(m_worker.Fetches(), 3);
	EXPECT_EQ(m_worker.GetSettings().m_nUpdateSetting, 1200000);
	EXPECT_EQ(m_worker.GetSettings().m_nLog, 0);
	EXPECT_EQ(m_worker.GetSettings().m_nBootstrap, 0);
	EXPECT_EQ(m_worker.GetSettings().m_strHost, "");
	m_worker.ArmTimers();
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{0, 1200000}}));
	EXPECT_EQ(m_worker.GetReportTimer(), 0u);

	// Each update tick tries once; the one that succeeds brings the new period and, with reports now on,
	// the report timer with period interval.
	m_worker.OnTimer(m_worker.GetUpdateTimer());
	EXPECT_EQ(m_worker.Fetches(), 4);
	EXPECT_TRUE(m_worker.TakeArms().empty());
	m_worker.OnTimer(m_worker.GetUpdateTimer());
	EXPECT_EQ(m_worker.Fetches(), 5);
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{101, 1800000}, {0, 100}}));
	EXPECT_EQ(m_worker.GetReportTimer(), 102u);
}

TEST_F(WorkerTest, RetriesRightAwayAndArmsBootstrapFirst)
{
	m_worker.Queue(kFailedFetch);
	m_worker.Queue(Doc("bootstrap=500\nlog=1\ninterval=60000\nupdate_setting=70000"));
	m_worker.InitialFetch();
	EXPECT_EQ(m_worker.Fetches(), 2);
	m_worker.ArmTimers();
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{0, 70000}, {0, 500}}));
}

TEST_F(WorkerTest, ReportTicksFrameSendAndReArm)
{
	m_worker.Queue(Doc("bootstrap=10000\nlog=1\ninterval=60000\nlog_bufmap=1\nlog_connections=1"));
	m_worker.InitialFetch();
	m_worker.ArmTimers();
	m_worker.TakeArms();
	UINT_PTR nReport = m_worker.GetReportTimer();

	// Kind 1 returns 0: only the kind-2 report goes out, with the library's kind in byte 0.
	m_worker.OnTimer(nReport);
	std::vector<std::string> datagrams = m_listener.Collect(300);
	ASSERT_EQ(datagrams.size(), 1u);
	ASSERT_EQ(datagrams[0].size(), 40u);
	EXPECT_EQ(datagrams[0][0], 2);
	for (size_t i = 1; i < 40; ++i)
		ASSERT_EQ(datagrams[0][i], 'a' + static_cast<int>((i + 2) % 26)) << i;
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{nReport, 60000}}));

	g_calls.nResult1 = 1;
	g_calls.nResult2 = STAT_REPORT_BUFFER_SIZE;
	m_worker.OnTimer(nReport);
	datagrams = m_listener.Collect(300);
	ASSERT_EQ(datagrams.size(), 2u);
	EXPECT_EQ(datagrams[0], std::string(1, '\x01'));
	EXPECT_EQ(datagrams[1].size(), 4096u);

	// Results beyond the buffer or below 0 send nothing; unknown timer ids are ignored.
	g_calls.nResult1 = STAT_REPORT_BUFFER_SIZE + 1;
	g_calls.nResult2 = -1;
	m_worker.OnTimer(nReport);
	m_worker.OnTimer(nReport + 1000);
	EXPECT_TRUE(m_listener.Collect(300).empty());
	EXPECT_EQ(g_calls.nKind1, 3);
	EXPECT_EQ(g_calls.nKind2, 3);
	// The server was looked up once, when the document was applied, not at each of the three ticks.
	EXPECT_EQ(m_worker.Lookups(), 1);
}

TEST_F(WorkerTest, SwitchesAndLookupDecideWhatIsCalled)
{
	// Both kinds off: the report tick runs but the callback is never asked.
	m_worker.Queue(Doc("log=1\ninterval=1000"));
	m_worker.InitialFetch();
	m_worker.ArmTimers();
	m_worker.OnTimer(m_worker.GetReportTimer());
	// A host that does not resolve skips the whole tick.
	m_worker.Queue(Document("log=1\ninterval=1000\nlog_bufmap=1\nlog_connections=1", m_listener.Port(),
		"no-such-host.invalid"));
	m_worker.OnTimer(m_worker.GetUpdateTimer());
	ASSERT_EQ(m_worker.GetSettings().m_strHost, "no-such-host.invalid");
	m_worker.OnTimer(m_worker.GetReportTimer());
	m_worker.OnTimer(m_worker.GetReportTimer());
	EXPECT_EQ(g_calls.nKind1 + g_calls.nKind2, 0);
	EXPECT_TRUE(m_listener.Collect(200).empty());
	// Each document's server is looked up once; ticks do not retry a name that did not resolve.
	EXPECT_EQ(m_worker.Lookups(), 2);
	// Reports off: no look-up at all.
	m_worker.Queue(Doc("log=0\ninterval=1000"));
	m_worker.OnTimer(m_worker.GetUpdateTimer());
	EXPECT_EQ(m_worker.Lookups(), 2);
}

TEST_F(WorkerTest, UpdateTicksReArmOnlyWhatChanged)
{
	m_worker.Queue(Doc("log=1\ninterval=0"));
	m_worker.InitialFetch();
	m_worker.ArmTimers();
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{0, 1800000}}));
	UINT_PTR nUpdate = m_worker.GetUpdateTimer();

	// interval 30000 now: the report timer is created with interval, not bootstrap.
	m_worker.Queue(Doc("log=1\ninterval=30000\nbootstrap=5"));
	m_worker.OnTimer(nUpdate);
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{0, 30000}}));
	UINT_PTR nReport = m_worker.GetReportTimer();
	EXPECT_NE(nReport, 0u);

	// Same document again: nothing is re-armed.
	m_worker.Queue(Doc("log=1\ninterval=30000\nbootstrap=5"));
	m_worker.OnTimer(nUpdate);
	EXPECT_TRUE(m_worker.TakeArms().empty());

	// A new update period re-arms the update timer only.
	m_worker.Queue(Doc("log=1\ninterval=30000\nupdate_setting=120000"));
	m_worker.OnTimer(nUpdate);
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{nUpdate, 120000}}));

	// A new interval re-arms the report timer under its id.
	m_worker.Queue(Doc("log=1\ninterval=45000\nupdate_setting=120000"));
	m_worker.OnTimer(nUpdate);
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{nReport, 45000}}));

	// A failed fetch changes nothing.
	m_worker.Queue(kFailedFetch);
	m_worker.OnTimer(nUpdate);
	EXPECT_TRUE(m_worker.TakeArms().empty());
	EXPECT_TRUE(m_worker.TakeKills().empty());
	EXPECT_EQ(m_worker.GetSettings().m_nInterval, 45000);

	// log 0: the report timer goes; the update timer keeps its period.
	m_worker.Queue(Doc("log=0\ninterval=45000\nupdate_setting=120000"));
	m_worker.OnTimer(nUpdate);
	EXPECT_EQ(m_worker.TakeKills(), std::vector<UINT_PTR>{nReport});
	EXPECT_EQ(m_worker.GetReportTimer(), 0u);
	EXPECT_TRUE(m_worker.TakeArms().empty());

	// log back on with the same interval: log was off before, so the timer comes back.
	m_worker.Queue(Doc("log=1\ninterval=45000\nupdate_setting=120000"));
	m_worker.OnTimer(nUpdate);
	EXPECT_EQ(m_worker.TakeArms(), (std::vector<TimerCall>{{0, 45000}}));

	// The servers disappear: reports go off although the log key says 1.
	m_worker.Queue("[setting]\nlog=1\ninterval=45000\nupdate_setting=120000\n");
	m_worker.OnTimer(nUpdate);
	EXPECT_EQ(m_worker.TakeKills().size(), 1u);
	EXPECT_EQ(m_worker.GetReportTimer(), 0u);
	EXPECT_EQ(m_worker.GetSettings().m_nPort, m_listener.Port()) << "the old server stays";
}

TEST_F(WorkerTest, StopFlagSkipsTheFetch)
{
	CScriptedWorker worker;
	worker.Queue(Doc("log=1"));
	EXPECT_EQ(worker.Exit(nullptr), 0);
	worker.InitialFetch();
	EXPECT_EQ(worker.Fetches(), 0);
	EXPECT_EQ(worker.GetSettings().m_nUpdateSetting, 1200000);
}
