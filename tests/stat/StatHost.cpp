// A host program of Stat.dll: loads the library beside it, runs the scenario named on its command line
// and prints what it saw as "key=value" lines on standard output, where the library's own message
// would appear too.
//   stat_test_host null | reports MS | stall MS | block | restart MS
#include <winsock2.h>

#include "stat/Stat.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
std::atomic<int> g_nKind1{0};
std::atomic<int> g_nKind2{0};
std::atomic<int> g_nOther{0};
HANDLE g_hEntered = nullptr;

// Kind 1 has nothing to say; kind 2 fills 40 bytes, byte 0 included (the library replaces it).
int __cdecl FillReport(char* pBuffer, int nKind)
{
	++(nKind == 1 ? g_nKind1 : g_nKind2);
	if (nKind != 2)
		return 0;
	for (int i = 0; i < 40; ++i)
		pBuffer[i] = static_cast<char>('A' + i % 26);
	return 40;
}

int __cdecl OtherReport(char*, int)
{
	++g_nOther;
	return 1;
}

int __cdecl BlockingReport(char*, int)
{
	::SetEvent(g_hEntered);
	::Sleep(1000);
	return 0;
}

void Print(const char* pszKey, const char* pszValue)
{
	std::printf("%s=%s\n", pszKey, pszValue);
	std::fflush(stdout);
}

void Print(const char* pszKey, long nValue)
{
	std::printf("%s=%ld\n", pszKey, nValue);
	std::fflush(stdout);
}

// An export as the given function type; void (*)() converts to any function pointer without complaint.
template <typename Function>
Function Export(HMODULE hModule, const char* pszName)
{
	return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)));
}

void* ExportAddress(HMODULE hModule, WORD nOrdinal)
{
	return reinterpret_cast<void*>(::GetProcAddress(hModule, MAKEINTRESOURCEA(nOrdinal)));
}

const char* Handle(HANDLE h)
{
	return h ? "handle" : "null";
}
}

int main(int argc, char** argv)
{
	if (argc < 2)
		return 2;
	const char* pszCase = argv[1];
	DWORD nRun = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 0;

	HMODULE hStat = ::LoadLibraryA("Stat.dll");
	if (!hStat)
		return 3;
	auto pfnStart = Export<StartLogThreadProc>(hStat, "StartLogThread");
	auto pfnExit = Export<ExitLogThreadProc>(hStat, "ExitLogThread");
	if (!pfnStart || !pfnExit)
		return 4;
	bool bOrdinals = ExportAddress(hStat, 1) == reinterpret_cast<void*>(pfnExit)
		&& ExportAddress(hStat, 2) == reinterpret_cast<void*>(pfnStart) && !ExportAddress(hStat, 3);
	Print("ordinals", bOrdinals ? "ok" : "wrong");

	// The library leaves the socket layer to its host.
	WSADATA data;
	::WSAStartup(MAKEWORD(2, 2), &data);
	g_hEntered = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);

	if (std::strcmp(pszCase, "null") == 0)
		Print("start", Handle(pfnStart(nullptr)));
	else if (std::strcmp(pszCase, "reports") == 0 || std::strcmp(pszCase, "stall") == 0)
	{
		HANDLE hThread = pfnStart(FillReport);
		Print("start", Handle(hThread));
		Print("second", Handle(pfnStart(OtherReport)));
		::Sleep(nRun);
		DWORD nStart = ::GetTickCount();
		Print("exit", pfnExit(hThread));
		Print("exit_ms", static_cast<long>(::GetTickCount() - nStart));
	}
	else if (std::strcmp(pszCase, "block") == 0)
	{
		HANDLE hThread = pfnStart(BlockingReport);
		Print("start", Handle(hThread));
		Print("entered", ::WaitForSingleObject(g_hEntered, 10000) == WAIT_OBJECT_0 ? 1 : 0);
		DWORD nStart = ::GetTickCount();
		Print("exit", pfnExit(hThread));
		Print("exit_ms", static_cast<long>(::GetTickCount() - nStart));
	}
	else if (std::strcmp(pszCase, "restart") == 0)
	{
		HANDLE hThread = pfnStart(FillReport);
		::Sleep(nRun);
		Print("exit", pfnExit(hThread));
		hThread = pfnStart(FillReport);
		Print("again", Handle(hThread));
		::Sleep(nRun);
		Print("exit", pfnExit(hThread));
	}
	else
		return 2;

	Print("kind1", static_cast<long>(g_nKind1));
	Print("kind2", static_cast<long>(g_nKind2));
	Print("other", static_cast<long>(g_nOther));
	::CloseHandle(g_hEntered);
	::WSACleanup();
	return 0;
}
