// Benchmark of Stat.dll (the copy built for 127.0.0.2), loaded into this program:
//   stat_bench on   the worker reports every 100 ms for 10 s: datagrams per second against the
//                   20 per second that two report kinds every 100 ms make
//   stat_bench off  reports switched off: CPU time of the process over 5 s with the worker waiting,
//                   against the same process over 5 s before the worker started
#include "tests/stat/StatServer.h"
#include "tests/stat/UdpListener.h"

#include "stat/Stat.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

namespace
{
std::atomic<int> g_nCalls{0};

int __cdecl FillReport(char* pBuffer, int)
{
	++g_nCalls;
	std::memset(pBuffer, 'r', 100);
	return 100;
}

double ProcessCpuMs()
{
	FILETIME ftCreation, ftExit, ftKernel, ftUser;
	::GetProcessTimes(::GetCurrentProcess(), &ftCreation, &ftExit, &ftKernel, &ftUser);
	auto ticks = [](const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; };
	return (ticks(ftKernel) + ticks(ftUser)) / 10000.0;
}

template <typename Function>
Function Export(HMODULE hModule, const char* pszName)
{
	return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)));
}
}

int main(int argc, char** argv)
{
	bool bOn = argc > 1 && std::strcmp(argv[1], "on") == 0;
	HMODULE hStat = ::LoadLibraryA("Stat.dll");
	auto pfnStart = Export<StartLogThreadProc>(hStat, "StartLogThread");
	auto pfnExit = Export<ExitLogThreadProc>(hStat, "ExitLogThread");
	CLoopbackHttpServer server;
	CUdpListener listener;
	if (!pfnStart || !pfnExit || !StartStatServer(server) || !listener.Start("127.0.0.2"))
	{
		std::printf("stat bench: cannot start (library, 127.0.0.2:80 or UDP)\n");
		return 1;
	}
	std::string strServer = "servers=s\n[s]\nhost=127.0.0.2\nport=" + std::to_string(listener.Port()) + "\n";
	std::string strSetting = bOn ? "[setting]\nbootstrap=100\ninterval=100\nlog=1\nlog_bufmap=1\nlog_connections=1\n"
		: "[setting]\nbootstrap=100\ninterval=100\nlog=0\n";
	server.SetResponse("HTTP/1.1 200 OK", "", strSetting + strServer);

	if (bOn)
	{
		const DWORD nRun = 10000;
		HANDLE hThread = pfnStart(FillReport);
		DWORD nStart = ::GetTickCount();
		size_t nDatagrams = listener.Collect(nRun).size();
		double dSeconds = (::GetTickCount() - nStart) / 1000.0;
		pfnExit(hThread);
		// The first tick comes after bootstrap (100 ms): 99 ticks in 10 s, two datagrams each.
		double dRate = nDatagrams / dSeconds;
		std::printf("stat bench (reports on, 100 ms interval, %.1f s): %zu datagrams, %.1f per second; "
			"expected 19.8 per second; ratio %.2f; callback calls %d\n",
			dSeconds, nDatagrams, dRate, dRate / 19.8, g_nCalls.load());
		return 0;
	}

	const DWORD nWindow = 5000;
	double dBefore = ProcessCpuMs();
	::Sleep(nWindow);
	double dBaseline = ProcessCpuMs() - dBefore;
	HANDLE hThread = pfnStart(FillReport);
	for (int i = 0; i < 500 && server.Requests().empty(); ++i)
		::Sleep(10);
	::Sleep(200);
	dBefore = ProcessCpuMs();
	::Sleep(nWindow);
	double dWorker = ProcessCpuMs() - dBefore;
	pfnExit(hThread);
	std::printf("stat bench (reports off, %u ms): process CPU %.1f ms with the worker waiting, %.1f ms before it "
		"started (baseline); difference %.1f ms; ratio %.2f; callback calls %d\n",
		static_cast<unsigned>(nWindow), dWorker, dBaseline, dWorker - dBaseline,
		dBaseline > 0 ? dWorker / dBaseline : 0.0, g_nCalls.load());
	return 0;
}
