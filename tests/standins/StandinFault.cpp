#include "standins/StandinFault.h"

#include <windows.h>

#include <cstring>

namespace
{
typedef void (*PFN_NOTHING)();

// Read through a volatile so that the compiler cannot see the call is to address 0.
void JumpToZero()
{
	static PFN_NOTHING volatile pfnNothing = nullptr;
	pfnNothing();
}

// Recurses until the stack runs out.
int Overflow(int nDepth)
{
	volatile char buffer[512];
	buffer[0] = static_cast<char>(nDepth);
	return nDepth < 0 ? 0 : Overflow(nDepth + 1) + buffer[0];
}

// Faults holding the loader's lock, as a fault inside a DLL's start-up does (Wine's loader catches faults in
// DllMain itself, so the lock is taken here).
void FaultHoldingLoaderLock()
{
	typedef LONG(NTAPI* PFN_LOCK)(ULONG, ULONG*, ULONG_PTR*);
	auto pfnLock = reinterpret_cast<PFN_LOCK>(
		reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "LdrLockLoaderLock")));
	ULONG_PTR nCookie = 0;
	if (pfnLock)
		pfnLock(0, nullptr, &nCookie);
	JumpToZero();
}

enum class Fault { Jump, Overflow, Locked };
}

void FaultNow(int nFault)
{
	Fault fault = static_cast<Fault>(nFault);
	if (fault == Fault::Overflow)
		Overflow(0);
	else if (fault == Fault::Locked)
		FaultHoldingLoaderLock();
	JumpToZero();
}

namespace
{
DWORD WINAPI FaultingThread(void* pFault)
{
	FaultNow(static_cast<int>(reinterpret_cast<INT_PTR>(pFault)));
	return 0;
}

// Takes the word and its blank from the front of str when it stands there.
bool Take(std::string& str, const char* pszWord)
{
	size_t nLength = strlen(pszWord);
	if (str.compare(0, nLength, pszWord) != 0 || str.size() <= nLength || str[nLength] != ' ')
		return false;
	str.erase(0, nLength + 1);
	return true;
}
}

void FaultIfAsked(const std::string& strAsked, const std::string& strCall, HWND hWndLater)
{
	std::string str = strAsked;
	bool bThread = Take(str, "thread");
	bool bPosted = !bThread && Take(str, "posted");
	Fault fault = Take(str, "overflow") ? Fault::Overflow : Take(str, "locked") ? Fault::Locked : Fault::Jump;
	if (str != strCall)
		return;
	if (bPosted)
	{
		::PostMessageW(hWndLater, kFaultMessage, static_cast<WPARAM>(fault), 0);
		return;
	}
	if (!bThread)
		FaultNow(static_cast<int>(fault));
	HANDLE hThread = ::CreateThread(nullptr, 0, &FaultingThread, reinterpret_cast<void*>(static_cast<INT_PTR>(fault)),
		0, nullptr);
	if (hThread)
		::CloseHandle(hThread);
}
