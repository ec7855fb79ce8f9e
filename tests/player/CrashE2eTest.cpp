// The release build's own checks: the manifest the program carries and what it does to the process, and
// the crash report a faulting hosted control leaves behind.
#include "PlayerSuite.h"

#include "framework/WideText.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

namespace
{
const DWORD kEndTimeout = 30000;

class CrashE2eTest : public CPlayerSuite
{
protected:
	static std::string DumpFolder() { return H().Folder() + "tarnTVPlayerLog\\"; }

	// The names of the dump files in the log folder, oldest first.
	static std::vector<std::string> Dumps()
	{
		std::vector<std::string> names;
		WIN32_FIND_DATAA fd;
		HANDLE hFind = w936::FindFirstFileA((DumpFolder() + "QuiloPlayer-*.dmp").c_str(), &fd);
		if (hFind == INVALID_HANDLE_VALUE)
			return names;
		do
			names.push_back(fd.cFileName);
		while (w936::FindNextFileA(hFind, &fd));
		::FindClose(hFind);
		std::sort(names.begin(), names.end());
		return names;
	}

	static void RemoveDumps()
	{
		for (const std::string& strName : Dumps())
			w936::DeleteFileA((DumpFolder() + strName).c_str());
	}

	// Processes whose parent is the given process and whose name is the given one.
	static int CountChildren(DWORD dwParent, const char* pszName)
	{
		int nCount = 0;
		HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
		PROCESSENTRY32 pe = {};
		pe.dwSize = sizeof(pe);
		for (BOOL b = ::Process32First(hSnap, &pe); b; b = ::Process32Next(hSnap, &pe))
			nCount += pe.th32ParentProcessID == dwParent && _stricmp(pe.szExeFile, pszName) == 0;
		::CloseHandle(hSnap);
		return nCount;
	}

	// Starts the player with the stand-in told to fault, plays a live link (OpenStream is the faulting
	// call) and waits for the process to end, at most nEndMs; checks the end and returns the window's thread
	// id.
	static DWORD FaultAndWait(const std::string& strFault, DWORD& dwExitCode, DWORD nEndMs = kEndTimeout)
	{
		HWND hWnd = H().StartPlayer({"QUILO_STANDIN_FAULT=" + strFault});
		EXPECT_TRUE(hWnd);
		DWORD dwThread = ::GetWindowThreadProcessId(hWnd, nullptr);
		DWORD dwProcess = ::GetProcessId(H().PlayerProcess());
		HANDLE hHandOff = H().Launch("wenlive2://peer/fault");
		EXPECT_EQ(::WaitForSingleObject(H().PlayerProcess(), nEndMs), static_cast<DWORD>(WAIT_OBJECT_0)) << strFault;
		EXPECT_EQ(CountChildren(dwProcess, "winedbg.exe"), 0);
		dwExitCode = 0;
		::GetExitCodeProcess(H().PlayerProcess(), &dwExitCode);
		if (hHandOff)
		{
			::WaitForSingleObject(hHandOff, kEndTimeout);
			::CloseHandle(hHandOff);
		}
		return dwThread;
	}
};

// The parts of a minidump the maker reads first: the faulting thread and its exception code.
struct CDumpSummary
{
	bool bSignature = false;
	DWORD dwExceptionThread = 0;
	DWORD dwExceptionCode = 0;
	std::vector<DWORD> threads;
	DWORD nModules = 0;
};

DWORD At(const std::string& strData, size_t nOffset)
{
	DWORD dw = 0;
	if (nOffset + 4 <= strData.size())
		memcpy(&dw, strData.data() + nOffset, 4);
	return dw;
}

CDumpSummary ParseDump(const std::string& strData)
{
	CDumpSummary summary;
	summary.bSignature = strData.compare(0, 4, "MDMP") == 0;
	DWORD nStreams = At(strData, 8), dwDirectory = At(strData, 12);
	for (DWORD i = 0; i < nStreams && i < 64; ++i)
	{
		size_t nEntry = dwDirectory + i * 12;
		DWORD dwType = At(strData, nEntry), dwRva = At(strData, nEntry + 8);
		if (dwType == 6) // ExceptionStream: thread id, alignment, then the exception record
		{
			summary.dwExceptionThread = At(strData, dwRva);
			summary.dwExceptionCode = At(strData, dwRva + 8);
		}
		else if (dwType == 3) // ThreadListStream: count, then 48-byte entries led by the thread id
		{
			for (DWORD n = 0; n < At(strData, dwRva) && n < 4096; ++n)
				summary.threads.push_back(At(strData, dwRva + 4 + n * 48));
		}
		else if (dwType == 4) // ModuleListStream
			summary.nModules = At(strData, dwRva);
	}
	return summary;
}

bool Contains(const std::vector<DWORD>& ids, DWORD dw) { return std::find(ids.begin(), ids.end(), dw) != ids.end(); }

TEST_F(CrashE2eTest, ManifestAsksForCommonControlsSixAndTheProcessGetsThem)
{
	HMODULE hExe = w936::LoadLibraryExA(H().ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
	ASSERT_TRUE(hExe);
	HRSRC hRes = ::FindResourceA(hExe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
	ASSERT_TRUE(hRes);
	std::string strManifest(static_cast<const char*>(::LockResource(::LoadResource(hExe, hRes))),
		::SizeofResource(hExe, hRes));
	::FreeLibrary(hExe);
	EXPECT_EQ(CPlayerHarness::Count(strManifest, "level=\"asInvoker\""), 1);
	EXPECT_EQ(CPlayerHarness::Count(strManifest, "<supportedOS Id="), 5);
	EXPECT_EQ(CPlayerHarness::Count(strManifest, "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), 1); // 10 and 11
	EXPECT_EQ(CPlayerHarness::Count(strManifest, "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), 1);
	// Per-monitor aware, the second form for Windows 10 before 1607.
	EXPECT_EQ(CPlayerHarness::Count(strManifest, ">PerMonitorV2, PerMonitor</dpiAwareness>"), 1);
	EXPECT_EQ(CPlayerHarness::Count(strManifest, ">true/pm</dpiAware>"), 1);

	// The effect: the comctl32 the running player loaded is the side-by-side version 6, not the system's 5.
	ASSERT_TRUE(H().StartPlayer());
	HANDLE hSnap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ::GetProcessId(H().PlayerProcess()));
	ASSERT_NE(hSnap, INVALID_HANDLE_VALUE);
	std::string strComctl;
	MODULEENTRY32 me = {};
	me.dwSize = sizeof(me);
	for (BOOL b = ::Module32First(hSnap, &me); b; b = ::Module32Next(hSnap, &me))
	{
		if (_stricmp(me.szModule, "comctl32.dll") == 0)
			strComctl = me.szExePath;
	}
	::CloseHandle(hSnap);
	EXPECT_EQ(CPlayerHarness::Count(strComctl, "microsoft.windows.common-controls_6595b64144ccf1df_6."), 1) << strComctl;

	// And the comctl32 that the exe's own manifest activates says it is version 6.
	ACTCTXW actCtx = {};
	actCtx.cbSize = sizeof(actCtx);
	actCtx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
	std::wstring strProgram = ToWide(H().ProgramPath());
	actCtx.lpSource = strProgram.c_str();
	actCtx.lpResourceName = MAKEINTRESOURCEW(1);
	HANDLE hActCtx = ::CreateActCtxW(&actCtx);
	ASSERT_NE(hActCtx, INVALID_HANDLE_VALUE);
	ULONG_PTR nCookie = 0;
	ASSERT_TRUE(::ActivateActCtx(hActCtx, &nCookie));
	HMODULE hComctl = ::LoadLibraryA("comctl32.dll");
	::DeactivateActCtx(0, nCookie);
	::ReleaseActCtx(hActCtx);
	ASSERT_TRUE(hComctl);
	char szActivated[MAX_PATH] = {};
	w936::GetModuleFileNameA(hComctl, szActivated, MAX_PATH);
	// Wine 8's comctl32 says 5.81 through DllGetVersion in either form: where it was loaded from tells them apart.
	EXPECT_EQ(CPlayerHarness::Count(szActivated, "microsoft.windows.common-controls_6595b64144ccf1df_6."), 1)
		<< szActivated;
	::FreeLibrary(hComctl);
}

TEST_F(CrashE2eTest, FaultInAThreadLeavesOneDumpARecordAndNoProcess)
{
	RemoveDumps();
	DWORD dwExitCode = 0;
	DWORD dwWindowThread = FaultAndWait("thread live 5", dwExitCode);
	EXPECT_EQ(dwExitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
	std::vector<std::string> dumps = Dumps();
	ASSERT_EQ(dumps.size(), 1u);
	CDumpSummary summary = ParseDump(testfiles::ReadAll(DumpFolder() + dumps[0]));
	EXPECT_TRUE(summary.bSignature);
	EXPECT_EQ(summary.dwExceptionCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
	EXPECT_TRUE(Contains(summary.threads, summary.dwExceptionThread));
	EXPECT_NE(summary.dwExceptionThread, dwWindowThread);
	EXPECT_GT(summary.nModules, 5u);
	EXPECT_EQ(CPlayerHarness::Count(H().Log(), "程序异常终止, 转储文件 " + DumpFolder() + dumps[0] + ", 异常代码 0xC0000005"), 1)
		<< H().Log();
}

// The crash handler's dump writer is loaded once the window has painted; a fault before that still leaves its
// dump and its record: one in a thread while the window is being made (the live plug-in's first call,
// SetStartupFlag, in the window's initialisation), and a stack overflow of the window thread from a message
// posted then, which comes before the first paint.
TEST_F(CrashE2eTest, FaultBeforeTheFirstPaintLeavesADumpAndARecord)
{
	const std::pair<const char*, const char*> faults[] = {{"thread live 4", "程序异常终止, 转储文件 "},
		{"posted overflow live 4", ", 转储文件 "}};
	for (const auto& fault : faults)
	{
		RemoveDumps();
		H().ClearLog();
		HANDLE hPlayer = H().Launch(std::string(), {std::string("QUILO_STANDIN_FAULT=") + fault.first});
		ASSERT_TRUE(hPlayer);
		EXPECT_EQ(::WaitForSingleObject(hPlayer, kEndTimeout), static_cast<DWORD>(WAIT_OBJECT_0)) << fault.first;
		EXPECT_EQ(CountChildren(::GetProcessId(hPlayer), "winedbg.exe"), 0);
		::TerminateProcess(hPlayer, 1);
		::CloseHandle(hPlayer);
		std::vector<std::string> dumps = Dumps();
		ASSERT_EQ(dumps.size(), 1u) << fault.first;
		EXPECT_TRUE(ParseDump(testfiles::ReadAll(DumpFolder() + dumps[0])).bSignature) << fault.first;
		EXPECT_EQ(CPlayerHarness::Count(H().Log(), fault.second + DumpFolder() + dumps[0]), 1)
			<< fault.first << "\n" << H().Log();
	}
	RemoveDumps();
}

TEST_F(CrashE2eTest, OnlyTheNewestDumpsStay)
{
	RemoveDumps();
	w936::CreateDirectoryA(DumpFolder().c_str(), nullptr);
	for (int i = 0; i < 7; ++i)
		testfiles::WriteAll(DumpFolder() + "QuiloPlayer-20200101-000000-00" + std::to_string(i) + ".dmp", "old");
	DWORD dwExitCode = 0;
	FaultAndWait("thread live 5", dwExitCode);
	EXPECT_EQ(dwExitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
	std::vector<std::string> dumps = Dumps();
	ASSERT_EQ(dumps.size(), 5u);
	EXPECT_EQ(dumps[0], "QuiloPlayer-20200101-000000-003.dmp");
	CDumpSummary summary = ParseDump(testfiles::ReadAll(DumpFolder() + dumps[4]));
	EXPECT_TRUE(summary.bSignature);
	EXPECT_EQ(summary.dwExceptionCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
	EXPECT_NE(summary.dwExceptionThread, 0u);
	EXPECT_EQ(CPlayerHarness::Count(H().Log(), "转储文件 " + DumpFolder() + dumps[4]), 1) << H().Log();
	RemoveDumps();
}

TEST_F(CrashE2eTest, FaultHoldingTheLoaderLockAndAWindowThreadStackOverflowEachLeaveADumpAndARecord)
{
	// Sooner than the handler's own 20 s wait for a dump that cannot come. 64-bit Wine ends a thread whose stack
	// overflows at once, with no handler: the window thread's end is what the program sees of it ("界面线程意外
	// 终止"); where the fault reaches the handler, its record says "程序异常终止".
	const DWORD kSoon = 15000;
	// 32-bit Wine hands the overflow to the handler, on the window thread itself.
	struct Fault
	{
		const char* pszKind;
		const char* pszRecord;
		DWORD dwCode;
		bool bWindowThread;
	};
	const Fault faults[] = {{"thread locked live 5", "程序异常终止, 转储文件 ", EXCEPTION_ACCESS_VIOLATION, false},
		{"posted overflow live 5", ", 转储文件 ", EXCEPTION_STACK_OVERFLOW, true}};
	for (const Fault& fault : faults)
	{
		RemoveDumps();
		H().ClearLog();
		DWORD dwExitCode = 0;
		DWORD dwWindowThread = FaultAndWait(fault.pszKind, dwExitCode, kSoon);
		H().KillPlayer();
		std::vector<std::string> dumps = Dumps();
		ASSERT_EQ(dumps.size(), 1u) << fault.pszKind;
		CDumpSummary summary = ParseDump(testfiles::ReadAll(DumpFolder() + dumps[0]));
		EXPECT_TRUE(summary.bSignature) << fault.pszKind;
		EXPECT_EQ(CPlayerHarness::Count(H().Log(), fault.pszRecord + DumpFolder() + dumps[0]), 1)
			<< fault.pszKind << "\n" << H().Log();
		if (summary.dwExceptionThread != 0)
		{
			EXPECT_EQ(dwExitCode, fault.dwCode) << fault.pszKind;
			EXPECT_EQ(summary.dwExceptionCode, fault.dwCode) << fault.pszKind;
			EXPECT_EQ(summary.dwExceptionThread == dwWindowThread, fault.bWindowThread) << fault.pszKind;
		}
	}
	RemoveDumps();
}
}
