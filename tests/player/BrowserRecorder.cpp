// Stands in for the system's browser program beside the player under test ("IEXPLORE.EXE" in the
// program's folder, which the shell searches first): it writes its command line to the file that
// QUILO_BROWSER_JOURNAL names, one line per start, and ends.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
	char szPath[MAX_PATH] = {};
	if (!::GetEnvironmentVariableA("QUILO_BROWSER_JOURNAL", szPath, sizeof(szPath)))
		return 1;
	HANDLE hFile = ::CreateFileA(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
		FILE_ATTRIBUTE_NORMAL, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return 1;
	const char* pszCommandLine = ::GetCommandLineA();
	DWORD nWritten = 0;
	::WriteFile(hFile, pszCommandLine, static_cast<DWORD>(std::strlen(pszCommandLine)), &nWritten, nullptr);
	::WriteFile(hFile, "\n", 1, &nWritten, nullptr);
	::CloseHandle(hFile);
	return 0;
}
