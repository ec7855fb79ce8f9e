#include "standins/StandinFault.h"

#include <windows.h>

namespace
{
typedef void (*PFN_NOTHING)();

// Read through a volatile so that the compiler cannot see the call is to address 0.
void JumpToZero()
{
	static PFN_NOTHING volatile pfnNothing = nullptr;
	pfnNothing();
}

DWORD WINAPI FaultingThread(void*)
{
	JumpToZero();
	return 0;
}
}

void FaultIfAsked(const std::string& strAsked, const std::string& strCall)
{
	if (strAsked == strCall)
		JumpToZero();
	if (strAsked == "thread " + strCall)
	{
		HANDLE hThread = ::CreateThread(nullptr, 0, &FaultingThread, nullptr, 0, nullptr);
		if (hThread)
			::CloseHandle(hThread);
	}
}
