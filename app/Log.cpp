#include "app/Log.h"

#include "app/ProgramFolder.h"
#include "app/SettingsFile.h"
#include "framework/Handle.h"
#include "framework/PrivateProfile.h"
#include "framework/WideText.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace
{
const char* LevelLabel(unsigned int nLevel)
{
	static const char* const kLabels[] = {"!SEC_INFO", "ERR ", "WARN", "IMPT", "INFO", "VERB", "DEBG"};
	return nLevel < sizeof(kLabels) / sizeof(kLabels[0]) ? kLabels[nLevel] : "UNKN";
}

const int kMissingLevel = 1000;

// Verbosity from the settings file; a missing entry is written back as 1.
int ReadDebugLevel(CProfileFile& settings)
{
	if (settings.GetInt("Debug", "DebugLevel", kMissingLevel) == kMissingLevel)
		settings.WriteString("Debug", "DebugLevel", "1");
	return LogVerbosity(settings);
}

bool WriteAll(HANDLE hFile, const char* pData, DWORD cb)
{
	DWORD cbWritten = 0;
	return ::WriteFile(hFile, pData, cb, &cbWritten, nullptr) != FALSE;
}
}

const char kLogRecordEnd[] = "\r\n\r\n";

int LogVerbosity(const CProfileFile& settings)
{
	int nLevel = settings.GetInt("Debug", "DebugLevel", kMissingLevel);
	if (nLevel == kMissingLevel)
		return 1;
	return nLevel >= 0 && nLevel <= 6 ? nLevel : 6;
}

CString LogFilePath(const CProfileFile& settings)
{
	CString strDir = GetAppDirectory();
	if (strDir.IsEmpty())
		return strDir;
	return settings.GetString("Debug", "DebugPath", strDir + "tarnTVPlayerLog\\tarnTVPlayer.log", 255);
}

int FormatLogRecordHead(unsigned int nLevel, const SYSTEMTIME& st, char* pszBuffer, size_t cbBuffer)
{
	// The separator is "—" in code page 936, blanks around it.
	int cb = snprintf(pszBuffer, cbBuffer, "%s %04d-%02d-%02d %02d:%02d:%02d \xA1\xAA ", LevelLabel(nLevel), st.wYear,
		st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
	return cb > 0 && static_cast<size_t>(cb) < cbBuffer ? cb : 0;
}

bool AppendToLogFile(const wchar_t* pszPath, const char* pData, DWORD cbData)
{
	wchar_t szFolder[MAX_PATH + 1] = {};
	const wchar_t* pszSlash = wcsrchr(pszPath, L'\\');
	size_t nFolder = pszSlash ? static_cast<size_t>(pszSlash - pszPath + 1) : 0;
	if (nFolder > 0 && nFolder <= MAX_PATH)
	{
		wcsncpy(szFolder, pszPath, nFolder);
		if (::GetFileAttributesW(szFolder) == INVALID_FILE_ATTRIBUTES)
			::CreateDirectoryW(szFolder, nullptr);
	}
	// Readers may share the file too: a log viewer holding it open must not make records vanish.
	CFileHandle hFile(::CreateFileW(pszPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
		OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
	return hFile && WriteAll(hFile.Get(), pData, cbData);
}

void WriteLog(unsigned int nLevel, CString strMessage)
{
	CString strDir = GetAppDirectory();
	// Without its own folder the program has nowhere to keep a log.
	if (strDir.IsEmpty())
		return;
	EnsureSettingsFile();

	// The settings file is read once per record (during the start, the start's one reading); one that cannot be
	// read leaves the defaults, and is never written.
	CProfileFile storage;
	CProfileFile& settings = ReadSettingsFile(storage);
	if (nLevel > static_cast<unsigned int>(ReadDebugLevel(settings)))
		return;

	SYSTEMTIME st;
	::GetLocalTime(&st);
	char szHead[64];
	int cbHead = FormatLogRecordHead(nLevel, st, szHead, sizeof(szHead));
	if (cbHead == 0)
		return;
	std::string strRecord = std::string(szHead, static_cast<size_t>(cbHead)) + strMessage.GetString() + kLogRecordEnd;
	AppendToLogFile(ToWide(LogFilePath(settings)).c_str(), strRecord.data(), static_cast<DWORD>(strRecord.size()));
}
