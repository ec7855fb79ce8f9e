// The tests' texts and paths are code page 936, as the program's are; Windows must read them so whatever
// the system's code page. These stand in for the ...A calls the tests use, with their signatures: each
// converts with the program's conversion pair and calls the ...W function. Settings files are read and
// written by the program's own reader, as the platform's calls would read them in the system's code page.
#pragma once

#include <windows.h>

#include <string>

namespace w936
{
DWORD GetModuleFileNameA(HMODULE hModule, char* pszPath, DWORD cch);
DWORD GetTempPathA(DWORD cch, char* pszPath);
BOOL CreateProcessA(const char* pszProgram, char* pszCommandLine, LPSECURITY_ATTRIBUTES pProcess,
	LPSECURITY_ATTRIBUTES pThread, BOOL bInherit, DWORD dwFlags, void* pEnvironment, const char* pszFolder,
	STARTUPINFOA* pStartup, PROCESS_INFORMATION* pInfo);
HANDLE FindFirstFileA(const char* pszPattern, WIN32_FIND_DATAA* pData);
BOOL FindNextFileA(HANDLE hFind, WIN32_FIND_DATAA* pData);
DWORD GetFileAttributesA(const char* pszPath);
BOOL CreateDirectoryA(const char* pszPath, LPSECURITY_ATTRIBUTES pAttributes);
BOOL RemoveDirectoryA(const char* pszPath);
BOOL DeleteFileA(const char* pszPath);
BOOL CopyFileA(const char* pszFrom, const char* pszTo, BOOL bFailIfExists);
BOOL MoveFileA(const char* pszFrom, const char* pszTo);
HANDLE CreateFileA(const char* pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pAttributes,
	DWORD dwDisposition, DWORD dwFlags, HANDLE hTemplate);
HMODULE LoadLibraryExA(const char* pszPath, HANDLE hFile, DWORD dwFlags);
BOOL SetEnvironmentVariableA(const char* pszName, const char* pszValue);
DWORD GetEnvironmentVariableA(const char* pszName, char* pszValue, DWORD cch);
// A null value removes the key, a null key the section, as the platform's call does.
BOOL WritePrivateProfileStringA(const char* pszSection, const char* pszKey, const char* pszValue, const char* pszPath);
DWORD GetPrivateProfileStringA(const char* pszSection, const char* pszKey, const char* pszDefault, char* pszValue,
	DWORD cch, const char* pszPath);

// A path in code page 936, through its short name where the long one has characters 936 cannot spell.
std::string NarrowPath(const std::wstring& strPath);
}
