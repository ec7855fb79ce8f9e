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

std::string Lower(std::string str)
{
	for (char& c : str)
		if (c >= 'A' && c <= 'Z')
			c = static_cast<char>(c - 'A' + 'a');
	return str;
}

std::string Trim(const std::string& str)
{
	size_t nStart = str.find_first_not_of(" \t");
	size_t nEnd = str.find_last_not_of(" \t\r");
	return nStart == std::string::npos ? std::string() : str.substr(nStart, nEnd - nStart + 1);
}

// Drops the key's lines (or, with no key, the whole section) from a settings file, every other byte kept.
BOOL RemoveFromProfile(const char* pszSection, const char* pszKey, const char* pszPath)
{
	HANDLE hFile = w936::CreateFileA(pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return TRUE;
	std::string strText(static_cast<size_t>(::GetFileSize(hFile, nullptr)), '\0');
	DWORD cbRead = 0;
	BOOL bRead = strText.empty() || ::ReadFile(hFile, &strText[0], static_cast<DWORD>(strText.size()), &cbRead, nullptr);
	::CloseHandle(hFile);
	if (!bRead)
		return FALSE;
	std::string strOut;
	bool bInSection = false;
	for (size_t nStart = 0; nStart < strText.size();)
	{
		size_t nEnd = strText.find('\n', nStart);
		nEnd = nEnd == std::string::npos ? strText.size() : nEnd + 1;
		std::string strLine = Trim(strText.substr(nStart, nEnd - nStart - (strText[nEnd - 1] == '\n')));
		if (!strLine.empty() && strLine[0] == '[')
			bInSection = Lower(Trim(strLine.substr(1, strLine.find(']') - 1))) == Lower(pszSection);
		bool bDrop = bInSection
			&& (!pszKey || (strLine.find('=') != std::string::npos
				&& Lower(Trim(strLine.substr(0, strLine.find('=')))) == Lower(pszKey)));
		if (!bDrop)
			strOut += strText.substr(nStart, nEnd - nStart);
		nStart = nEnd;
	}
	hFile = w936::CreateFileA(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
	if (hFile == INVALID_HANDLE_VALUE)
		return FALSE;
	DWORD cbWritten = 0;
	BOOL bWritten = ::WriteFile(hFile, strOut.data(), static_cast<DWORD>(strOut.size()), &cbWritten, nullptr);
	::CloseHandle(hFile);
	return bWritten;
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
	if (!pszKey || !pszValue)
		return RemoveFromProfile(pszSection, pszKey, pszPath);
	CProfileFile file;
	return file.Load(pszPath) && file.WriteString(pszSection, pszKey, pszValue);
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
