#include "support/Processes.h"
#include "support/Wide936.h"
#include "framework/WideText.h"

#include <algorithm>

namespace processes
{
HANDLE Start(const std::string& strProgram, const std::string& strArgs)
{
	return Start(strProgram, ToWide(strArgs));
}

HANDLE Start(const std::string& strProgram, const std::wstring& strArgs)
{
	std::wstring strPath = ToWide(strProgram);
	std::wstring strCommandLine = L"\"" + strPath + L"\"" + (strArgs.empty() ? L"" : L" " + strArgs);
	STARTUPINFOW si = {};
	si.cb = sizeof(si);
	PROCESS_INFORMATION pi = {};
	if (!::CreateProcessW(strPath.c_str(), &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
		return nullptr;
	::CloseHandle(pi.hThread);
	return pi.hProcess;
}

namespace
{
struct TopLevelSearch
{
	const std::function<bool(HWND)>* pTest;
	HWND hWnd;
};

BOOL CALLBACK TestTopLevel(HWND hWnd, LPARAM lParam)
{
	TopLevelSearch* pSearch = reinterpret_cast<TopLevelSearch*>(lParam);
	if (!(*pSearch->pTest)(hWnd))
		return TRUE;
	pSearch->hWnd = hWnd;
	return FALSE;
}
}

HWND FindTopLevel(const std::function<bool(HWND)>& test)
{
	TopLevelSearch search = {&test, nullptr};
	::EnumWindows(TestTopLevel, reinterpret_cast<LPARAM>(&search));
	return search.hWnd;
}

DWORD ProcessOf(HWND hWnd)
{
	DWORD dwProcessId = 0;
	::GetWindowThreadProcessId(hWnd, &dwProcessId);
	return dwProcessId;
}

double NowMs()
{
	static const LARGE_INTEGER s_freq = [] { LARGE_INTEGER f; ::QueryPerformanceFrequency(&f); return f; }();
	LARGE_INTEGER t;
	::QueryPerformanceCounter(&t);
	return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(s_freq.QuadPart);
}

double Median(std::vector<double> values)
{
	if (values.empty())
		return 0.0;
	std::sort(values.begin(), values.end());
	size_t n = values.size();
	return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
}

std::string processes::WindowText(HWND hWnd)
{
	wchar_t szText[512] = {};
	int nLength = ::GetWindowTextW(hWnd, szText, 512);
	if (nLength <= 0)
		return std::string();
	char szNarrow[1024] = {};
	int nNarrow = ::WideCharToMultiByte(936, 0, szText, nLength, szNarrow, sizeof(szNarrow) - 1, nullptr, nullptr);
	return std::string(szNarrow, nNarrow > 0 ? static_cast<size_t>(nNarrow) : 0);
}
