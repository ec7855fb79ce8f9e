// The entry points of Stat.dll. The statistics web server is fixed when the library is built (STAT_HOST):
// nothing at run time can point a built library elsewhere.
#include "stat/StatWorker.h"

#ifndef STAT_HOST
#error STAT_HOST must name the statistics web server
#endif

namespace
{
CStatWorker g_worker(STAT_HOST);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
	return TRUE;
}

// No C++ exception may reach the host: it may not even be written in C++.
extern "C" HANDLE __cdecl StartLogThread(ReportCallback pfnCallback)
{
	try
	{
		return g_worker.Start(pfnCallback);
	}
	catch (...)
	{
		return nullptr;
	}
}

extern "C" int __cdecl ExitLogThread(HANDLE hThread)
{
	try
	{
		return g_worker.Exit(hThread);
	}
	catch (...)
	{
		return 0;
	}
}
