// The client configuration from a real web server, nginx on 127.0.0.4:80, as a maker's server may send it:
// a static file arrives with a length; the same document made by server-side includes arrives in the
// chunked coding of HTTP/1.1, with chunk boundaries inside its addresses. The player must take the same
// addresses from both.
#include "PlayerSuite.h"

#include "support/LinuxTools.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

namespace
{
const char kAddress[] = "127.0.0.4";
// Fixed, so that an nginx left behind by a run that died is found and stopped.
const char kPidFile[] = "/tmp/quilo-nginx-127.0.0.4.pid";

// The document both ways: each include of the empty file ends a chunk where it stands.
const char kDocument[] = "weburl=http://127.0.0.4/vm{}p/default_new.aspx##playerurl=http://127.0.0.4/player/tarn{}"
	"player.swf##defaultloadingurl=http://127.0.0.4/source/images/live/loading.swf##";

std::string Document(const std::string& strCut)
{
	std::string str = kDocument;
	for (size_t n = str.find("{}"); n != std::string::npos; n = str.find("{}", n))
		str.replace(n, 2, strCut);
	return str;
}

class CNginx
{
public:
	explicit CNginx(const std::string& strFolder) : m_strFolder(strFolder) {}
	~CNginx() { Stop(); }

	// Writes its configuration and pages into the folder and starts the server; true once it listens.
	bool Start()
	{
		Stop();
		w936::CreateDirectoryA(m_strFolder.c_str(), nullptr);
		w936::CreateDirectoryA((m_strFolder + "www").c_str(), nullptr);
		w936::CreateDirectoryA((m_strFolder + "www\\ssi").c_str(), nullptr);
		std::string strUnix = linuxtools::UnixPath(m_strFolder);
		if (strUnix.empty())
			return false;
		testfiles::WriteAll(m_strFolder + "nginx.conf", std::string("pid ") + kPidFile + ";\n"
			"user root;\nworker_processes 1;\nevents { worker_connections 16; }\n"
			"http {\n  access_log off;\n  types { text/html html; }\n"
			"  server {\n    listen " + kAddress + ":80;\n    root " + strUnix + "www;\n"
			"    location /ssi/ { ssi on; }\n  }\n}\n");
		testfiles::WriteAll(m_strFolder + "www\\empty.html", "");
		testfiles::WriteAll(m_strFolder + "www\\clientconfig.html", Document(""));
		testfiles::WriteAll(m_strFolder + "www\\ssi\\clientconfig.html",
			Document("<!--# include virtual=\"/empty.html\" -->"));
		// The command returns once the server listens, or fails.
		return linuxtools::Run("nginx -p '" + strUnix + "' -e '" + strUnix + "error.log' -c '" + strUnix
			+ "nginx.conf'") == 0;
	}

	std::string ErrorLog() const { return testfiles::ReadAll(m_strFolder + "error.log"); }

private:
	// Ends the server of the pid file and waits until it has gone (and with it, its port).
	static void Stop()
	{
		linuxtools::Run(std::string("p=") + kPidFile + "; if [ -f $p ]; then kill $(cat $p);"
			" while [ -f $p ] && kill -0 $(cat $p); do sleep 0.05; done; fi 2>/dev/null; rm -f $p");
	}

	std::string m_strFolder;
};

// The whole response to a GET, as it came over the connection.
std::string RawGet(const char* pszPath)
{
	SOCKET hSocket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
	sockaddr_in addr = {};
	addr.sin_family = AF_INET;
	addr.sin_port = ::htons(80);
	addr.sin_addr.s_addr = ::inet_addr(kAddress);
	DWORD dwTimeout = 5000;
	::setsockopt(hSocket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&dwTimeout), sizeof(dwTimeout));
	std::string strResponse;
	if (::connect(hSocket, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == 0)
	{
		std::string strRequest = std::string("GET ") + pszPath + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
		::send(hSocket, strRequest.data(), static_cast<int>(strRequest.size()), 0);
		char buffer[4096];
		for (int n; (n = ::recv(hSocket, buffer, sizeof(buffer), 0)) > 0;)
			strResponse.append(buffer, static_cast<size_t>(n));
	}
	::closesocket(hSocket);
	return strResponse;
}

class WebServerE2eTest : public CPlayerSuite
{
protected:
	void TearDown() override
	{
		CPlayerSuite::TearDown();
		H().SetConfigUrl(kDemoConfigUrl);
	}
};
}

TEST_F(WebServerE2eTest, ChunkedConfigurationGivesTheAddressesOfTheStaticFile)
{
	CNginx nginx(H().Folder() + "nginx\\");
	ASSERT_TRUE(nginx.Start()) << nginx.ErrorLog();
	// What the player meets: a length, and chunks of which one ends inside the library address.
	EXPECT_NE(RawGet("/clientconfig.html").find("\r\nContent-Length: "), std::string::npos);
	std::string strChunked = RawGet("/ssi/clientconfig.html");
	ASSERT_NE(strChunked.find("\r\nTransfer-Encoding: chunked\r\n"), std::string::npos) << strChunked;
	ASSERT_NE(strChunked.find("http://127.0.0.4/vm\r\n"), std::string::npos) << strChunked;

	std::vector<std::vector<std::string>> calls;
	for (const char* pszPath : {"/clientconfig.html", "/ssi/clientconfig.html"})
	{
		ASSERT_TRUE(H().SetConfigUrl(std::string("http://") + kAddress + pszPath));
		H().ClearJournal();
		H().ClearLog();
		ASSERT_TRUE(H().StartPlayer()) << pszPath;
		calls.push_back(H().Calls());
		EXPECT_EQ(CPlayerHarness::Count(H().Log(), "ERR "), 0) << pszPath << "\n" << H().Log();
		H().KillPlayer();
	}
	ASSERT_FALSE(calls[1].empty());
	EXPECT_EQ(calls[1].front(), "browser Navigate2 http://127.0.0.4/vmp/default_new.aspx null null null null");
	EXPECT_EQ(calls[1].back(), "flash SetMovie http://127.0.0.4/player/tarnplayer.swf");
	EXPECT_EQ(calls[1], calls[0]);
}
