#include "app/CrashDump.h"

#include "app/Log.h"
#include "app/ProgramFolder.h"
#include "framework/Handle.h"
#include "framework/WideText.h"

#include <windows.h>
#include <dbghelp.h>

#include <cwchar>

namespace
{
// Older dumps are removed so that a player that faults again and again never fills the disk.
const int kKeptDumps = 5;
const size_t kPathChars = MAX_PATH + 64;
// How long the faulting thread waits for the dump before it ends the process without one.
const DWORD kDumpTimeoutMs = 20000;

// All the filter works with, prepared at start: a faulting process may have a damaged heap.
struct CCrashState
{
	wchar_t szFolder[kPathChars];
	wchar_t szPattern[kPathChars];
	wchar_t szDbgHelp[kPathChars];
	char szFolder936[kPathChars * 2];
	LONG nEntered;
	// Filled by the faulting thread for the dump thread.
	wchar_t szDumpPath[kPathChars];
	EXCEPTION_POINTERS* pExceptionInfo;
	DWORD dwThreadId;
	bool bWritten;
};
CCrashState g_crash;
// The dump is written by a thread of its own, started at start and waiting: the faulting thread's stack may
// be nearly used up, and a process writes its own dump best from a thread that is not the one it describes.
CHandle g_hDumpRequest;
CHandle g_hDumpDone;
CHandle g_hDumpThread;

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

// Writes the dump; true when the file was written whole.
bool WriteDump(const wchar_t* pszPath, EXCEPTION_POINTERS* pExceptionInfo)
{
	// Loaded by its full system path only now: a dbghelp.dll beside the program is never picked up.
	HMODULE hDbgHelp = ::LoadLibraryW(g_crash.szDbgHelp);
	if (!hDbgHelp)
		return false;
	auto pfnWrite = reinterpret_cast<PFN_MINIDUMPWRITEDUMP>(
		reinterpret_cast<void*>(::GetProcAddress(hDbgHelp, "MiniDumpWriteDump")));
	if (!pfnWrite)
		return false;
	HANDLE hFile = ::CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return false;
	MINIDUMP_EXCEPTION_INFORMATION mei = {g_crash.dwThreadId, pExceptionInfo, FALSE};
	BOOL bWritten = pfnWrite(::GetCurrentProcess(), ::GetCurrentProcessId(), hFile, MiniDumpNormal, &mei, nullptr,
		nullptr);
	::CloseHandle(hFile);
	if (!bWritten)
		::DeleteFileW(pszPath);
	return bWritten != FALSE;
}

DWORD WINAPI DumpThread(void*)
{
	if (::WaitForSingleObject(g_hDumpRequest.Get(), INFINITE) != WAIT_OBJECT_0)
		return 1;
	g_crash.bWritten = WriteDump(g_crash.szDumpPath, g_crash.pExceptionInfo);
	::SetEvent(g_hDumpDone.Get());
	return 0;
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* pExceptionInfo)
{
	// A second fault, in this thread or another, only waits for the first one to end the process.
	if (::InterlockedExchange(&g_crash.nEntered, 1) != 0)
	{
		::Sleep(INFINITE);
		return EXCEPTION_EXECUTE_HANDLER;
	}
	SYSTEMTIME st;
	::GetLocalTime(&st);
	wchar_t szPath[kPathChars];
	wcscpy(szPath, g_crash.szFolder);
	::CreateDirectoryW(szPath, nullptr);
	PutDumpName(szPath + wcslen(szPath), st);
	wcscpy(g_crash.szDumpPath, szPath);
	g_crash.pExceptionInfo = pExceptionInfo;
	g_crash.dwThreadId = ::GetCurrentThreadId();
	bool bWritten = ::SetEvent(g_hDumpRequest.Get())
		&& ::WaitForSingleObject(g_hDumpDone.Get(), kDumpTimeoutMs) == WAIT_OBJECT_0 && g_crash.bWritten;
	if (bWritten)
		PruneDumps();

	char szMessage[sizeof(g_crash.szFolder936) + 128];
	char* p = PutText(szMessage, bWritten ? "程序异常终止, 转储文件 " : "程序异常终止, 未能写入转储文件 ");
	p = PutText(p, g_crash.szFolder936);
	p = PutDumpName(p, st);
	p = PutText(p, ", 异常代码 0x");
	DWORD dwCode = pExceptionInfo && pExceptionInfo->ExceptionRecord ? pExceptionInfo->ExceptionRecord->ExceptionCode : 0;
	for (int nShift = 28; nShift >= 0; nShift -= 4)
		*p++ = "0123456789ABCDEF"[(dwCode >> nShift) & 0xF];
	*p = 0;
	WriteLog(LOG_ERR, szMessage);
	::TerminateProcess(::GetCurrentProcess(), dwCode ? dwCode : 1);
	return EXCEPTION_EXECUTE_HANDLER;
}

// The log file's folder: the DebugPath setting's, or the default log folder beside the program.
std::wstring LogFolder()
{
	std::wstring strDir = ToWide(GetAppDirectory());
	std::wstring strIni = ToWide(GetSettingsFilePath());
	std::wstring strDefault = strDir + L"tarnTVPlayerLog\\tarnTVPlayer.log";
	wchar_t szPath[256] = {};
	::GetPrivateProfileStringW(L"Debug", L"DebugPath", strDefault.c_str(), szPath, 256, strIni.c_str());
	std::wstring strPath(szPath);
	size_t nSlash = strPath.find_last_of(L'\\');
	return nSlash == std::wstring::npos ? strDir : strPath.substr(0, nSlash + 1);
}
}

void InstallCrashDumps()
{
	// Neither the system's fault dialog nor its critical-error boxes ever wait for a user.
	::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
	std::wstring strFolder = LogFolder();
	wchar_t szSystem[MAX_PATH] = {};
	UINT nSystem = ::GetSystemDirectoryW(szSystem, MAX_PATH);
	g_hDumpRequest.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
	g_hDumpDone.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
	if (g_hDumpRequest && g_hDumpDone)
		g_hDumpThread.Reset(::CreateThread(nullptr, 64 * 1024, &DumpThread, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION,
			nullptr));
	if (!g_hDumpThread || GetAppDirectory().IsEmpty() || strFolder.size() + 48 >= kPathChars || nSystem == 0 || nSystem >= MAX_PATH)
	{
		WriteLog(LOG_ERR, "转储文件不可用");
		return;
	}
	wcscpy(g_crash.szFolder, strFolder.c_str());
	wcscpy(g_crash.szPattern, (strFolder + L"QuiloPlayer-*.dmp").c_str());
	wcscpy(g_crash.szDbgHelp, (std::wstring(szSystem) + L"\\dbghelp.dll").c_str());
	std::string strFolder936 = FromWide(strFolder);
	if (strFolder936.size() < sizeof(g_crash.szFolder936))
		strcpy(g_crash.szFolder936, strFolder936.c_str());

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
