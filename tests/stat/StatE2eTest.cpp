// Stat.dll built for 127.0.0.2, loaded by a host program started once per case (the stop flag lives
// as long as the process), with the settings document served on 127.0.0.2:80 and the reports received
// on a UDP port of 127.0.0.2.
#include "tests/stat/StatServer.h"
#include "support/TestFiles.h"
#include "tests/stat/UdpListener.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
class StatE2eTest : public ::testing::Test
{
protected:
	void SetUp() override
	{
		ASSERT_TRUE(StartStatServer(m_server));
		ASSERT_TRUE(m_listener.Start("127.0.0.2"));
	}

	std::string Document(const std::string& strSetting) const
	{
		return "[setting]\r\nservers=s\r\n" + strSetting + "\r\n[s]\r\nhost=127.0.0.2\r\nport=" +
			std::to_string(m_listener.Port()) + "\r\n";
	}

	void Serve(const std::string& strSetting)
	{
		m_server.SetResponse("HTTP/1.1 200 OK", "Content-Type: text/plain\r\n", Document(strSetting));
	}

	// Runs the host with the arguments and returns everything it wrote to standard output.
	std::string RunHost(const std::string& strArgs)
	{
		SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
		HANDLE hRead = nullptr;
		HANDLE hWrite = nullptr;
		if (!::CreatePipe(&hRead, &hWrite, &sa, 0))
			return "<no pipe>";
		::SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
		STARTUPINFOA si = {};
		si.cb = sizeof(si);
		si.dwFlags = STARTF_USESTDHANDLES;
		si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
		si.hStdOutput = hWrite;
		si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
		std::string strCommand = "\"" + testfiles::ProgramFolder() + "stat_test_host.exe\" " + strArgs;
		PROCESS_INFORMATION pi = {};
		BOOL bCreated = ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr,
			testfiles::ProgramFolder().c_str(), &si, &pi);
		::CloseHandle(hWrite);
		std::string strOutput;
		if (bCreated)
		{
			char buffer[4096];
			DWORD cb = 0;
			while (::ReadFile(hRead, buffer, sizeof(buffer), &cb, nullptr) && cb > 0)
				strOutput.append(buffer, cb);
			::WaitForSingleObject(pi.hProcess, 30000);
			DWORD nExitCode = 0;
			::GetExitCodeProcess(pi.hProcess, &nExitCode);
			m_nHostExitCode = nExitCode;
			::CloseHandle(pi.hThread);
			::CloseHandle(pi.hProcess);
		}
		::CloseHandle(hRead);
		// Standard output is in text mode: every line ends in CR LF.
		strOutput.erase(std::remove(strOutput.begin(), strOutput.end(), '\r'), strOutput.end());
		return strOutput;
	}

	static bool Has(const std::string& strOutput, const std::string& strLine)
	{
		return ("\n" + strOutput).find("\n" + strLine + "\n") != std::string::npos;
	}

	static long Value(const std::string& strOutput, const std::string& strKey)
	{
		size_t nAt = ("\n" + strOutput).find("\n" + strKey + "=");
		return nAt == std::string::npos ? -1 : std::strtol(strOutput.c_str() + nAt + strKey.size() + 1, nullptr, 10);
	}

	CLoopbackHttpServer m_server;
	CUdpListener m_listener;
	DWORD m_nHostExitCode = 99;
};
}

TEST_F(StatE2eTest, NullCallbackStartsNothing)
{
	Serve("log=1\r\ninterval=100\r\nbootstrap=100\r\nlog_connections=1");
	std::string strOutput = RunHost("null");
	EXPECT_EQ(m_nHostExitCode, 0u);
	EXPECT_TRUE(Has(strOutput, "ordinals=ok")) << strOutput;
	EXPECT_TRUE(Has(strOutput, "start=null")) << strOutput;
	EXPECT_EQ(m_server.ConnectionCount(), 0);
	EXPECT_TRUE(m_listener.Collect(100).empty());
}

TEST_F(StatE2eTest, ReportsFollowBootstrapAndInterval)
{
	Serve("bootstrap=300\r\ninterval=200\r\nlog=1\r\nlog_bufmap=1\r\nlog_connections=1");
	std::string strOutput = RunHost("reports 1500");
	EXPECT_EQ(m_nHostExitCode, 0u);
	EXPECT_TRUE(Has(strOutput, "start=handle")) << strOutput;
	EXPECT_TRUE(Has(strOutput, "second=null")) << strOutput;
	EXPECT_TRUE(Has(strOutput, "exit=0")) << strOutput;
	EXPECT_TRUE(Has(strOutput, "other=0")) << strOutput;
	EXPECT_EQ(strOutput.find("Terminating"), std::string::npos) << strOutput;

	std::vector<std::string> requests = m_server.Requests();
	ASSERT_EQ(requests.size(), 1u);
	EXPECT_EQ(requests[0].rfind("GET /wenstat/settings.ini HTTP/1.1\r\n", 0), 0u) << requests[0];
	EXPECT_NE(requests[0].find("\r\nUser-Agent: Wendal Live\r\n"), std::string::npos) << requests[0];

	// Kind 1 is asked each tick but returns 0: each tick sends exactly one 40-byte kind-2 datagram.
	std::vector<std::string> datagrams = m_listener.Collect(200);
	EXPECT_GE(datagrams.size(), 3u);
	EXPECT_LE(datagrams.size(), 8u);
	EXPECT_EQ(Value(strOutput, "kind1"), static_cast<long>(datagrams.size())) << strOutput;
	EXPECT_EQ(Value(strOutput, "kind2"), static_cast<long>(datagrams.size())) << strOutput;
	std::string strExpected = "\x02" "BCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMN";
	for (const std::string& str : datagrams)
		EXPECT_EQ(str, strExpected);
}

TEST_F(StatE2eTest, NotFoundLeavesReportsOff)
{
	m_server.SetResponse("HTTP/1.1 404 Not Found", "",
		Document("bootstrap=100\r\ninterval=100\r\nlog=1\r\nlog_bufmap=1\r\nlog_connections=1"));
	std::string strOutput = RunHost("reports 1000");
	EXPECT_TRUE(Has(strOutput, "exit=0")) << strOutput;
	EXPECT_TRUE(Has(strOutput, "kind1=0")) << strOutput;
	EXPECT_TRUE(Has(strOutput, "kind2=0")) << strOutput;
	EXPECT_EQ(m_server.Requests().size(), 3u) << "three attempts at start-up";
	EXPECT_TRUE(m_listener.Collect(100).empty());
	EXPECT_EQ(strOutput.find("Terminating"), std::string::npos) << strOutput;
}

TEST_F(StatE2eTest, ExitCutsAStalledFetchShort)
{
	m_server.SetScript({});
	std::string strOutput = RunHost("stall 500");
	EXPECT_EQ(m_nHostExitCode, 0u);
	EXPECT_TRUE(Has(strOutput, "exit=0")) << strOutput;
	EXPECT_EQ(strOutput.find("Terminating"), std::string::npos) << strOutput;
	EXPECT_EQ(m_server.ConnectionCount(), 1);
	std::cout << "ExitLogThread during a stalled fetch took " << Value(strOutput, "exit_ms") << " ms\n";
}

TEST_F(StatE2eTest, BlockedCallbackIsTerminated)
{
	Serve("bootstrap=100\r\ninterval=100\r\nlog=1\r\nlog_connections=1");
	std::string strOutput = RunHost("block");
	EXPECT_EQ(m_nHostExitCode, 0u);
	EXPECT_TRUE(Has(strOutput, "entered=1")) << strOutput;
	EXPECT_NE(strOutput.find("entered=1\nTerminating thread...\nexit=0\n"), std::string::npos) << strOutput;
	EXPECT_GE(Value(strOutput, "exit_ms"), 90);
}

TEST_F(StatE2eTest, StartAfterExitNeverFetches)
{
	Serve("log=0");
	std::string strOutput = RunHost("restart 500");
	EXPECT_EQ(m_nHostExitCode, 0u);
	EXPECT_TRUE(Has(strOutput, "again=handle")) << strOutput;
	EXPECT_EQ(m_server.Requests().size(), 1u);
	EXPECT_EQ(strOutput.find("Terminating"), std::string::npos) << strOutput;
}
