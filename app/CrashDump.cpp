#include "app/CrashDump.h"

#include "app/Log.h"
#include "app/ProgramFolder.h"
#include "app/SettingsFile.h"
#include "framework/Handle.h"
#include "framework/PrivateProfile.h"
#include "framework/WideText.h"

#include <windows.h>
#include <dbghelp.h>
#include <winternl.h>

#include <cwchar>

namespace
{
// Older dumps are removed so that a player that faults again and again never fills the disk.
const int kKeptDumps = 5;
const size_t kPathChars = MAX_PATH + 64;
// How long the faulting thread waits for the dump before it ends the process without one.
const DWORD kDumpTimeoutMs = 20000;

// All the handler works with, prepared at start: a faulting process may have a damaged heap.
struct CCrashState
{
	wchar_t szFolder[kPathChars];
	wchar_t szPattern[kPathChars];
	wchar_t szDbgHelp[kPathChars];
	wchar_t szLog[kPathChars];
	char szFolder936[kPathChars * 2];
	// Whether the log takes records of the error level.
	bool bRecord;
	DWORD dwDumpThread;
	DWORD dwThreadExitCode;
	CRITICAL_SECTION* pLoaderLock;
	// The first faulting thread, and what it leaves for the dump thread.
	LONG nFaultingThread;
	EXCEPTION_POINTERS* pExceptionInfo;
	SYSTEMTIME st;
};
CCrashState g_crash;
// The dump is written by a thread of its own, waiting: the faulting thread's stack may be nearly used up, and a
// process writes its own dump best from a thread that is not the one it describes. It starts once the window
// has painted (CompleteCrashDumps), or at the first fault before that: a thread costs the process memory (a
// megabyte under Wine) that the start does not need. 0: not started, 1: being started, 2: started (or failed).
CHandle g_hDumpRequest;
CHandle g_hDumpThread;
volatile LONG g_nDumpThreadState = 0;
CHandle g_hWindowThread;
// The watch of the window thread runs from the start on a thread the program lends (ClaimCrashWatch), else
// on one of its own from CompleteCrashDumps on. 1 once a thread has it.
CHandle g_hWatchThread;
volatile LONG g_nWatchClaimed = 0;
// Set once the window has painted: the dump thread then loads dbghelp, which it leaves until then (or until a
// fault) so that the start's own loading does not wait for it.
CHandle g_hHelperWanted;

typedef BOOL(WINAPI* PFN_MINIDUMPWRITEDUMP)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
	PMINIDUMP_EXCEPTION_INFORMATION, PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);
typedef BOOL(WINAPI* PFN_GETPOLICY)(LPDWORD);
typedef BOOL(WINAPI* PFN_SETPOLICY)(DWORD);

// Writes n decimal digits of v at p; no formatting library runs inside the filter.
template <typename T> T* PutDigits(T* p, unsigned int v, int n)
{
	for (int i = n - 1; i >= 0; --i, v /= 10)
		p[i] = static_cast<T>('0' + v % 10);
	return p + n;
}

template <typename T> T* PutText(T* p, const char* psz)
{
	while (*psz)
		*p++ = static_cast<T>(*psz++);
	return p;
}

// "QuiloPlayer-YYYYMMDD-HHMMSS-mmm.dmp": names sort as the times they were written.
template <typename T> T* PutDumpName(T* p, const SYSTEMTIME& st)
{
	p = PutText(p, "QuiloPlayer-");
	p = PutDigits(p, st.wYear, 4);
	p = PutDigits(p, st.wMonth, 2);
	p = PutDigits(p, st.wDay, 2);
	*p++ = '-';
	p = PutDigits(p, st.wHour, 2);
	p = PutDigits(p, st.wMinute, 2);
	p = PutDigits(p, st.wSecond, 2);
	*p++ = '-';
	p = PutDigits(p, st.wMilliseconds, 3);
	p = PutText(p, ".dmp");
	*p = 0;
	return p;
}

// Removes the oldest dumps until kKeptDumps remain; a bounded number of passes over the folder.
void PruneDumps()
{
	for (int nPass = 0; nPass < 64; ++nPass)
	{
		WIN32_FIND_DATAW fd;
		HANDLE hFind = ::FindFirstFileW(g_crash.szPattern, &fd);
		if (hFind == INVALID_HANDLE_VALUE)
			return;
		int nCount = 0;
		wchar_t szOldest[MAX_PATH] = {};
		do
		{
			if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
				continue;
			++nCount;
			if (!szOldest[0] || wcscmp(fd.cFileName, szOldest) < 0)
				wcsncpy(szOldest, fd.cFileName, MAX_PATH - 1);
		} while (::FindNextFileW(hFind, &fd));
		::FindClose(hFind);
		if (nCount <= kKeptDumps)
			return;
		wchar_t szPath[kPathChars];
		wcscpy(szPath, g_crash.szFolder);
		if (wcslen(szPath) + wcslen(szOldest) >= kPathChars || !::DeleteFileW(wcscat(szPath, szOldest)))
			return;
	}
}

// Writes the dump with the function looked up before the fault; true when the file was written whole.
bool WriteDump(PFN_MINIDUMPWRITEDUMP pfnWrite, const wchar_t* pszPath)
{
	if (!pfnWrite)
		return false;
	HANDLE hFile = ::CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return false;
	MINIDUMP_EXCEPTION_INFORMATION mei = {static_cast<DWORD>(g_crash.nFaultingThread), g_crash.pExceptionInfo, FALSE};
	BOOL bWritten = pfnWrite(::GetCurrentProcess(), ::GetCurrentProcessId(), hFile, MiniDumpNormal,
		g_crash.pExceptionInfo ? &mei : nullptr, nullptr, nullptr);
	::CloseHandle(hFile);
	if (!bWritten)
		::DeleteFileW(pszPath);
	return bWritten != FALSE;
}

// The fault's code; for a window thread that ended without one, its exit code.
DWORD ExceptionCode()
{
	EXCEPTION_POINTERS* p = g_crash.pExceptionInfo;
	return p && p->ExceptionRecord ? p->ExceptionRecord->ExceptionCode : g_crash.dwThreadExitCode;
}

// The record naming the dump, written straight to the log file prepared at start.
void WriteRecord(bool bWritten)
{
	if (!g_crash.bRecord)
		return;
	char szRecord[sizeof(g_crash.szFolder936) + 256];
	int cbHead = FormatLogRecordHead(LOG_ERR, g_crash.st, szRecord, 64);
	char* p = PutText(szRecord + cbHead, g_crash.pExceptionInfo ? "程序异常终止" : "界面线程意外终止");
	p = PutText(p, bWritten ? ", 转储文件 " : ", 未能写入转储文件 ");
	p = PutText(p, g_crash.szFolder936);
	p = PutDumpName(p, g_crash.st);
	p = PutText(p, ", 异常代码 0x");
	DWORD dwCode = ExceptionCode();
	for (int nShift = 28; nShift >= 0; nShift -= 4)
		*p++ = "0123456789ABCDEF"[(dwCode >> nShift) & 0xF];
	p = PutText(p, kLogRecordEnd);
	AppendToLogFile(g_crash.szLog, szRecord, static_cast<DWORD>(p - szRecord));
}

// Waits for a fault, then writes the dump, keeps the newest dumps and writes the record. dbghelp is loaded
// here before any fault, once the window has painted (CompleteCrashDumps): loading it at fault time would wait
// for the loader lock, which a fault inside a DLL's start-up holds. A fault before that loads it then: the
// faulting thread has given the lock up by the time it asks for the dump.
DWORD WINAPI DumpThread(void*)
{
	HANDLE handles[] = {g_hDumpRequest.Get(), g_hHelperWanted.Get()};
	DWORD dwWait = ::WaitForMultipleObjects(handles[1] ? 2 : 1, handles, FALSE, INFINITE);
	HMODULE hDbgHelp = ::LoadLibraryW(g_crash.szDbgHelp);
	auto pfnWrite = hDbgHelp ? reinterpret_cast<PFN_MINIDUMPWRITEDUMP>(
		reinterpret_cast<void*>(::GetProcAddress(hDbgHelp, "MiniDumpWriteDump"))) : nullptr;
	// Woken for the helper only: now the fault is waited for.
	if (dwWait == WAIT_OBJECT_0 + 1)
		dwWait = ::WaitForSingleObject(g_hDumpRequest.Get(), INFINITE);
	if (dwWait != WAIT_OBJECT_0)
		return 1;
	wchar_t szPath[kPathChars];
	wcscpy(szPath, g_crash.szFolder);
	::CreateDirectoryW(szPath, nullptr);
	PutDumpName(szPath + wcslen(szPath), g_crash.st);
	bool bWritten = WriteDump(pfnWrite, szPath);
	if (bWritten)
		PruneDumps();
	WriteRecord(bWritten);
	// Ended here, not by the faulting thread, which may itself have been ended meanwhile.
	::TerminateProcess(::GetCurrentProcess(), ExceptionCode() ? ExceptionCode() : 1);
	return 0;
}

// Starts the dump thread once, whoever asks first; FALSE when it could not be started. A caller that finds it
// being started waits for that (bounded): nothing here allocates.
bool StartDumpThread()
{
	if (::InterlockedCompareExchange(&g_nDumpThreadState, 1, 0) == 0)
	{
		if (g_hDumpRequest)
			g_hDumpThread.Reset(::CreateThread(nullptr, 0, &DumpThread, nullptr, 0, &g_crash.dwDumpThread));
		::InterlockedExchange(&g_nDumpThreadState, 2);
	}
	for (int i = 0; i < 2000 && ::InterlockedCompareExchange(&g_nDumpThreadState, 2, 2) != 2; ++i)
		::Sleep(1);
	return ::InterlockedCompareExchange(&g_nDumpThreadState, 2, 2) == 2 && g_hDumpThread;
}

// The window thread ending while the process lives is a fault no handler saw: Wine ends a thread whose
// stack overflowed past its last page without any handler, and the process would live on without a window,
// holding its instance. The watch then asks for the dump and, as a faulting thread does, ends the process
// if the dump thread does not (dbghelp can wait forever for a lock that a thread it suspended holds). A fault
// that asks for its dump before the dump thread runs has it started here, on a stack of its own.
void WatchWindowThreadHere()
{
	if (!g_hWindowThread || !g_hDumpRequest)
		return;
	HANDLE handles[] = {g_hWindowThread.Get(), g_hDumpRequest.Get()};
	DWORD dwWait = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
	if (dwWait == WAIT_OBJECT_0 + 1)
	{
		StartDumpThread();
		dwWait = ::WaitForSingleObject(g_hWindowThread.Get(), INFINITE);
	}
	if (dwWait != WAIT_OBJECT_0)
		return;
	if (::InterlockedCompareExchange(&g_crash.nFaultingThread, static_cast<LONG>(::GetCurrentThreadId()), 0) == 0)
	{
		::GetExitCodeThread(g_hWindowThread.Get(), &g_crash.dwThreadExitCode);
		::GetLocalTime(&g_crash.st);
		::SetEvent(g_hDumpRequest.Get());
	}
	// A fault being handled already: its request follows at once, unless the handling itself ended the
	// thread (a stack overflow can), and then the dump is asked for all the same.
	else if (::WaitForSingleObject(g_hDumpRequest.Get(), kDumpTimeoutMs / 4) != WAIT_OBJECT_0)
		::SetEvent(g_hDumpRequest.Get());
	if (StartDumpThread())
		::WaitForSingleObject(g_hDumpThread.Get(), kDumpTimeoutMs);
	::TerminateProcess(::GetCurrentProcess(), ExceptionCode() ? ExceptionCode() : 1);
}

DWORD WINAPI WatchThread(void*)
{
	WatchWindowThreadHere();
	return 0;
}

// The loader's lock (its place in the process environment block, the same on every Windows since NT);
// null when it cannot be found.
CRITICAL_SECTION* FindLoaderLock()
{
	typedef NTSTATUS(NTAPI* PFN_QUERYPROCESS)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
	auto pfnQuery = reinterpret_cast<PFN_QUERYPROCESS>(reinterpret_cast<void*>(
		::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
	PROCESS_BASIC_INFORMATION info = {};
	if (!pfnQuery || pfnQuery(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0
		|| !info.PebBaseAddress)
		return nullptr;
	const size_t kLoaderLockOffset = sizeof(void*) == 8 ? 0x110 : 0xA0;
	return *reinterpret_cast<CRITICAL_SECTION**>(reinterpret_cast<BYTE*>(info.PebBaseAddress) + kLoaderLockOffset);
}

// The loader's lock, when this thread holds it (a fault inside a DLL's start-up), is given up: the dump's
// module look-ups would wait for it forever, and the process ends anyway.
void LeaveLoaderLock()
{
	CRITICAL_SECTION* pLock = g_crash.pLoaderLock;
	HANDLE hMe = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(::GetCurrentThreadId()));
	for (int i = 0; pLock && pLock->OwningThread == hMe && i < 64; ++i)
		::LeaveCriticalSection(pLock);
}

// On the faulting thread: only hands the fault to the dump thread, waits for it (bounded) and ends the
// process. It allocates nothing and keeps its stack small: the fault may be a stack overflow.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pExceptionInfo)
{
	LONG nMe = static_cast<LONG>(::GetCurrentThreadId());
	LONG nFirst = ::InterlockedCompareExchange(&g_crash.nFaultingThread, nMe, 0);
	if (nFirst != 0)
	{
		// A fault while handling one, on the faulting thread or the dump thread, ends the process at once;
		// another thread only waits for the first fault to end it.
		if (nFirst == nMe || static_cast<DWORD>(nMe) == g_crash.dwDumpThread)
			::TerminateProcess(::GetCurrentProcess(), ExceptionCode() ? ExceptionCode() : 1);
		::Sleep(INFINITE);
		return EXCEPTION_EXECUTE_HANDLER;
	}
	::GetLocalTime(&g_crash.st);
	g_crash.pExceptionInfo = pExceptionInfo;
	LeaveLoaderLock();
	// Before the dump thread runs, the watch starts it on its own stack when it sees the request; without a
	// watch this thread starts it.
	if (::InterlockedCompareExchange(&g_nDumpThreadState, 2, 2) != 2 && ::SetEvent(g_hDumpRequest.Get()))
	{
		for (int i = 0; i < 1000 && g_nWatchClaimed && ::InterlockedCompareExchange(&g_nDumpThreadState, 2, 2) != 2; ++i)
			::Sleep(1);
	}
	if (static_cast<DWORD>(nMe) != g_crash.dwDumpThread && StartDumpThread() && ::SetEvent(g_hDumpRequest.Get()))
		::WaitForSingleObject(g_hDumpThread.Get(), kDumpTimeoutMs);
	::TerminateProcess(::GetCurrentProcess(), ExceptionCode() ? ExceptionCode() : 1);
	return EXCEPTION_EXECUTE_HANDLER;
}
}

void InstallCrashDumps()
{
	// Neither the system's fault dialog nor its critical-error boxes ever wait for a user.
	::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
	CProfileFile storage;
	const CProfileFile& settings = ReadSettingsFile(storage);
	std::wstring strLog = ToWide(LogFilePath(settings));
	size_t nSlash = strLog.find_last_of(L'\\');
	std::wstring strFolder = nSlash == std::wstring::npos ? ToWide(GetAppDirectory()) : strLog.substr(0, nSlash + 1);
	wchar_t szSystem[MAX_PATH] = {};
	UINT nSystem = ::GetSystemDirectoryW(szSystem, MAX_PATH);
	if (strLog.empty() || strLog.size() >= kPathChars || strFolder.size() + 48 >= kPathChars || nSystem == 0
		|| nSystem >= MAX_PATH)
	{
		WriteLog(LOG_ERR, "转储文件不可用");
		return;
	}
	wcscpy(g_crash.szFolder, strFolder.c_str());
	wcscpy(g_crash.szPattern, (strFolder + L"QuiloPlayer-*.dmp").c_str());
	wcscpy(g_crash.szLog, strLog.c_str());
	wcscpy(g_crash.szDbgHelp, (std::wstring(szSystem) + L"\\dbghelp.dll").c_str());
	std::string strFolder936 = FromWide(strFolder);
	if (strFolder936.size() < sizeof(g_crash.szFolder936))
		strcpy(g_crash.szFolder936, strFolder936.c_str());
	g_crash.bRecord = LogVerbosity(settings) >= static_cast<int>(LOG_ERR);
	g_crash.pLoaderLock = FindLoaderLock();

	HANDLE hWindowThread = nullptr;
	if (::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &hWindowThread,
		SYNCHRONIZE | THREAD_QUERY_LIMITED_INFORMATION, FALSE, 0))
		g_hWindowThread.Reset(hWindowThread);
	// Manual reset: the watcher looks whether a fault asked already without taking the request.
	g_hDumpRequest.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
	g_hHelperWanted.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
	if (!g_hDumpRequest)
	{
		WriteLog(LOG_ERR, "转储文件不可用");
		return;
	}
	// 64-bit Windows swallows faults in window procedures called back from the kernel unless told not to.
	HMODULE hKernel = ::GetModuleHandleW(L"kernel32.dll");
	auto pfnGet = reinterpret_cast<PFN_GETPOLICY>(
		reinterpret_cast<void*>(::GetProcAddress(hKernel, "GetProcessUserModeExceptionPolicy")));
	auto pfnSet = reinterpret_cast<PFN_SETPOLICY>(
		reinterpret_cast<void*>(::GetProcAddress(hKernel, "SetProcessUserModeExceptionPolicy")));
	DWORD dwPolicy = 0;
	const DWORD kCallbackFilterEnabled = 0x1;
	if (pfnGet && pfnSet && pfnGet(&dwPolicy))
		pfnSet(dwPolicy & ~kCallbackFilterEnabled);
	::SetUnhandledExceptionFilter(&CrashFilter);
}

bool ClaimCrashWatch()
{
	return g_hWindowThread && g_hDumpRequest && ::InterlockedCompareExchange(&g_nWatchClaimed, 1, 0) == 0;
}

void WatchWindowThread()
{
	WatchWindowThreadHere();
}

void CompleteCrashDumps()
{
	if (!g_hDumpRequest)
		return;
	if (!StartDumpThread())
		WriteLog(LOG_ERR, "转储文件不可用");
	if (g_hHelperWanted)
		::SetEvent(g_hHelperWanted.Get());
	if (ClaimCrashWatch())
		g_hWatchThread.Reset(::CreateThread(nullptr, 0, &WatchThread, nullptr, 0, nullptr));
}
