#include "support/Wide936.h"

#include "framework/PrivateProfile.h"
#include "framework/WideText.h"

#include <cstring>

namespace w936
{
namespace
{
std::wstring W(const char* psz) { return psz ? ToWide(psz) : std::wstring(); }
const wchar_t* P(const char* psz, const std::wstring& str) { return psz ? str.c_str() : nullptr; }

// Copies into a caller's buffer with the ...A calls' rule: the length copied, or the size needed when short.
DWORD CopyOut(const std::string& str, char* psz, DWORD cch)
{
	if (str.size() + 1 > cch)
		return static_cast<DWORD>(str.size() + 1);
	memcpy(psz, str.c_str(), str.size() + 1);
	return static_cast<DWORD>(str.size());
}

void Narrow(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA* pData)
{
	memcpy(pData, &wide, offsetof(WIN32_FIND_DATAW, cFileName));
	std::string strName = FromWide(wide.cFileName);
	std::string strShort = FromWide(wide.cAlternateFileName);
	lstrcpynA(pData->cFileName, strName.c_str(), MAX_PATH);
	lstrcpynA(pData->cAlternateFileName, strShort.c_str(), 14);
}
}

std::string NarrowPath(const std::wstring& strPath)
{
	std::string str;
	if (FromWideExact(strPath.c_str(), str))
		return str;
	wchar_t szShort[MAX_PATH + 1] = {};
	DWORD cch = ::GetShortPathNameW(strPath.c_str(), szShort, MAX_PATH);
	return cch > 0 && cch < MAX_PATH ? FromWide(szShort) : FromWide(strPath);
}

DWORD GetModuleFileNameA(HMODULE hModule, char* pszPath, DWORD cch)
{
	wchar_t szPath[MAX_PATH + 1] = {};
	DWORD cchWide = ::GetModuleFileNameW(hModule, szPath, MAX_PATH);
	if (cchWide == 0 || cchWide >= MAX_PATH)
		return 0;
	return CopyOut(NarrowPath(szPath), pszPath, cch);
}

DWORD GetTempPathA(DWORD cch, char* pszPath)
{
	wchar_t szPath[MAX_PATH + 1] = {};
	DWORD cchWide = ::GetTempPathW(MAX_PATH, szPath);
	if (cchWide == 0 || cchWide >= MAX_PATH)
		return 0;
	return CopyOut(NarrowPath(szPath), pszPath, cch);
}

BOOL CreateProcessA(const char* pszProgram, char* pszCommandLine, LPSECURITY_ATTRIBUTES pProcess,
	LPSECURITY_ATTRIBUTES pThread, BOOL bInherit, DWORD dwFlags, void* pEnvironment, const char* pszFolder,
	STARTUPINFOA* pStartup, PROCESS_INFORMATION* pInfo)
{
	std::wstring strProgram = W(pszProgram), strCommandLine = W(pszCommandLine), strFolder = W(pszFolder);
	STARTUPINFOW si = {};
	si.cb = sizeof(si);
	si.dwFlags = pStartup->dwFlags;
	si.wShowWindow = pStartup->wShowWindow;
	return ::CreateProcessW(P(pszProgram, strProgram), pszCommandLine ? &strCommandLine[0] : nullptr, pProcess,
		pThread, bInherit, dwFlags, pEnvironment, P(pszFolder, strFolder), &si, pInfo);
}

HANDLE FindFirstFileA(const char* pszPattern, WIN32_FIND_DATAA* pData)
{
	WIN32_FIND_DATAW wide = {};
	HANDLE hFind = ::FindFirstFileW(W(pszPattern).c_str(), &wide);
	if (hFind != INVALID_HANDLE_VALUE)
		Narrow(wide, pData);
	return hFind;
}

BOOL FindNextFileA(HANDLE hFind, WIN32_FIND_DATAA* pData)
{
	WIN32_FIND_DATAW wide = {};
	if (!::FindNextFileW(hFind, &wide))
		return FALSE;
	Narrow(wide, pData);
	return TRUE;
}

DWORD GetFileAttributesA(const char* pszPath) { return ::GetFileAttributesW(W(pszPath).c_str()); }
BOOL CreateDirectoryA(const char* pszPath, LPSECURITY_ATTRIBUTES pAttributes)
{
	return ::CreateDirectoryW(W(pszPath).c_str(), pAttributes);
}
BOOL RemoveDirectoryA(const char* pszPath) { return ::RemoveDirectoryW(W(pszPath).c_str()); }
BOOL DeleteFileA(const char* pszPath) { return ::DeleteFileW(W(pszPath).c_str()); }
BOOL CopyFileA(const char* pszFrom, const char* pszTo, BOOL bFailIfExists)
{
	return ::CopyFileW(W(pszFrom).c_str(), W(pszTo).c_str(), bFailIfExists);
}
BOOL MoveFileA(const char* pszFrom, const char* pszTo) { return ::MoveFileW(W(pszFrom).c_str(), W(pszTo).c_str()); }

HANDLE CreateFileA(const char* pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pAttributes,
	DWORD dwDisposition, DWORD dwFlags, HANDLE hTemplate)
{
	return ::CreateFileW(W(pszPath).c_str(), dwAccess, dwShare, pAttributes, dwDisposition, dwFlags, hTemplate);
}

HMODULE LoadLibraryExA(const char* pszPath, HANDLE hFile, DWORD dwFlags)
{
	return ::LoadLibraryExW(W(pszPath).c_str(), hFile, dwFlags);
}

BOOL SetEnvironmentVariableA(const char* pszName, const char* pszValue)
{
	std::wstring strValue = W(pszValue);
	return ::SetEnvironmentVariableW(W(pszName).c_str(), P(pszValue, strValue));
}

DWORD GetEnvironmentVariableA(const char* pszName, char* pszValue, DWORD cch)
{
	wchar_t szValue[32768] = {};
	DWORD cchWide = ::GetEnvironmentVariableW(W(pszName).c_str(), szValue, ARRAYSIZE(szValue));
	if (cchWide == 0 || cchWide >= ARRAYSIZE(szValue))
		return 0;
	return CopyOut(FromWide(szValue), pszValue, cch);
}

BOOL WritePrivateProfileStringA(const char* pszSection, const char* pszKey, const char* pszValue, const char* pszPath)
{
	CProfileFile file;
	if (!file.Load(pszPath))
		return FALSE;
	return !pszKey || !pszValue ? file.Remove(pszSection, pszKey) : file.WriteString(pszSection, pszKey, pszValue);
}

DWORD GetPrivateProfileStringA(const char* pszSection, const char* pszKey, const char* pszDefault, char* pszValue,
	DWORD cch, const char* pszPath)
{
	CProfileFile file;
	file.Load(pszPath);
	std::string strValue = file.GetString(pszSection, pszKey, pszDefault).GetString();
	if (cch == 0)
		return 0;
	if (strValue.size() >= cch)
		strValue.resize(cch - 1);
	memcpy(pszValue, strValue.c_str(), strValue.size() + 1);
	return static_cast<DWORD>(strValue.size());
}
}
