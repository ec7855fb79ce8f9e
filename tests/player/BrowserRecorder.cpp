// Stands in for the system's browser program beside the player under test ("IEXPLORE.EXE" in the
// program's folder, which the shell searches first): it writes its command line to the file that
// QUILO_BROWSER_JOURNAL names, one UTF-8 line per start (exact whatever the system's code page), and ends.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
	wchar_t szPath[MAX_PATH] = {};
	DWORD cchPath = ::GetEnvironmentVariableW(L"QUILO_BROWSER_JOURNAL", szPath, MAX_PATH);
	if (cchPath == 0 || cchPath >= MAX_PATH)
		return 1;
	HANDLE hFile = ::CreateFileW(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
		FILE_ATTRIBUTE_NORMAL, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return 1;
	const wchar_t* pszCommandLine = ::GetCommandLineW();
	int cb = ::WideCharToMultiByte(CP_UTF8, 0, pszCommandLine, -1, nullptr, 0, nullptr, nullptr);
	std::string strLine(cb > 0 ? static_cast<size_t>(cb) : 1, '\0');
	::WideCharToMultiByte(CP_UTF8, 0, pszCommandLine, -1, &strLine[0], cb, nullptr, nullptr);
	strLine.resize(strLine.size() - 1);
	DWORD nWritten = 0;
	::WriteFile(hFile, strLine.data(), static_cast<DWORD>(strLine.size()), &nWritten, nullptr);
	::WriteFile(hFile, "\n", 1, &nWritten, nullptr);
	::CloseHandle(hFile);
	return 0;
}
