#include "app/Log.h"

#include "app/ProgramFolder.h"
#include "framework/Handle.h"
#include "framework/PrivateProfile.h"
#include "framework/WideText.h"

#include <shlwapi.h>

#include <cstdio>

namespace
{
const char* LevelLabel(unsigned int nLevel)
{
	static const char* const kLabels[] = {"!SEC_INFO", "ERR ", "WARN", "IMPT", "INFO", "VERB", "DEBG"};
	return nLevel < sizeof(kLabels) / sizeof(kLabels[0]) ? kLabels[nLevel] : "UNKN";
}

// Verbosity from the settings file; a missing entry is written back as 1.
int ReadDebugLevel(CProfileFile& settings)
{
	const int kMissing = 1000;
	int nLevel = settings.GetInt("Debug", "DebugLevel", kMissing);
	if (nLevel == kMissing)
	{
		settings.WriteString("Debug", "DebugLevel", "1");
		nLevel = 1;
	}
	return nLevel >= 0 && nLevel <= 6 ? nLevel : 6;
}

bool WriteAll(HANDLE hFile, const char* pData, DWORD cb)
{
	DWORD cbWritten = 0;
	return ::WriteFile(hFile, pData, cb, &cbWritten, nullptr) != FALSE;
}
}

void WriteLog(unsigned int nLevel, CString strMessage)
{
	CString strDir = GetAppDirectory();
	// Without its own folder the program has nowhere to keep a log.
	if (strDir.IsEmpty())
		return;
	CString strIni = GetSettingsFilePath();
	if (!::PathFileExistsW(ToWide(strIni).c_str()))
	{
		::CreateDirectoryW(ToWide(strDir).c_str(), nullptr);
		CFileHandle hIni(::CreateFileW(ToWide(strIni).c_str(), STANDARD_RIGHTS_ALL, FILE_SHARE_WRITE, nullptr, CREATE_NEW,
			FILE_ATTRIBUTE_NORMAL, nullptr));
	}

	// The settings file is read once per record; a file too large to read leaves the defaults.
	CProfileFile settings;
	settings.Load(strIni);
	if (nLevel > static_cast<unsigned int>(ReadDebugLevel(settings)))
		return;

	CString strDefaultPath = strDir + "tarnTVPlayerLog\\tarnTVPlayer.log";
	CString strPath = settings.GetString("Debug", "DebugPath", strDefaultPath, 255);
	CString strFolder = strPath.Left(strPath.ReverseFind('\\') + 1);
	if (!strFolder.IsEmpty() && !::PathFileExistsW(ToWide(strFolder).c_str()))
		::CreateDirectoryW(ToWide(strFolder).c_str(), nullptr);

	// Readers may share the file too: a log viewer holding it open must not make records vanish.
	CFileHandle hFile(::CreateFileW(ToWide(strPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
		FILE_ATTRIBUTE_NORMAL, nullptr));
	if (!hFile)
		return;
	::SetFilePointer(hFile.Get(), 0, nullptr, FILE_END);

	SYSTEMTIME st;
	::GetLocalTime(&st);
	char szHeader[128];
	int cbHeader = snprintf(szHeader, sizeof(szHeader), "%s %04d-%02d-%02d %02d:%02d:%02d", LevelLabel(nLevel),
		st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
	if (cbHeader < 0)
		return;
	static const char kSeparator[] = {' ', static_cast<char>(0xA1), static_cast<char>(0xAA), ' '};
	static const char kTerminator[] = "\r\n\r\n";
	if (WriteAll(hFile.Get(), szHeader, static_cast<DWORD>(strlen(szHeader)))
		&& WriteAll(hFile.Get(), kSeparator, sizeof(kSeparator))
		&& WriteAll(hFile.Get(), strMessage, static_cast<DWORD>(strMessage.GetLength())))
		WriteAll(hFile.Get(), kTerminator, sizeof(kTerminator) - 1);
}
