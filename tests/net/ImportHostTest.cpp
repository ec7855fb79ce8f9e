// Built as a QuiloPlayer.exe of its own (it holds and exports CHttpSocket like the program), this test
// loads the probe module, which was linked against the real program's import library, and lets it
// call the members through its imports.
#include "support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
TEST(HttpSocketImport, ModuleCallsMembersThroughTheProgram)
{
	CLoopbackHttpServer server;
	ASSERT_TRUE(server.Start("127.0.0.1", 0));
	server.SetResponse("HTTP/1.1 200 OK", "X-Probe: yes\r\n", "imported");

	HMODULE hProbe = ::LoadLibraryA("httpsocket_probe.dll");
	ASSERT_NE(hProbe, nullptr) << ::GetLastError();
	using ProbeFunction = int (*)(unsigned short, char*, int);
	auto pfnProbe = reinterpret_cast<ProbeFunction>(
		reinterpret_cast<void (*)()>(::GetProcAddress(hProbe, "ProbeHttpSocket")));
	ASSERT_NE(pfnProbe, nullptr);
	char szResult[64] = {};
	EXPECT_EQ(pfnProbe(server.Port(), szResult, sizeof(szResult)), 1);
	EXPECT_STREQ(szResult, "200|yes|imported");
	::FreeLibrary(hProbe);
	ASSERT_EQ(server.Requests().size(), 1u);
	EXPECT_EQ(server.Requests()[0].substr(0, 22), "GET /probe HTTP/1.1\r\nH");
}
}
