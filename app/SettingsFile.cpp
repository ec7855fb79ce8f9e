#include "app/SettingsFile.h"

#include "app/ProgramFolder.h"
#include "framework/Handle.h"
#include "framework/WideText.h"

#include <shlwapi.h>

#include <memory>

namespace
{
// The kept reading and the thread it belongs to (0: none kept).
struct CKeptReading
{
	CProfileFile settings;
	BOOL bLoaded = FALSE;
	bool bRead = false;
	bool bEnsured = false;
};
std::unique_ptr<CKeptReading> g_pKept;
DWORD g_dwKeptThread = 0;

CKeptReading* KeptForThisThread()
{
	return g_dwKeptThread && g_dwKeptThread == ::GetCurrentThreadId() ? g_pKept.get() : nullptr;
}
}

CProfileFile& ReadSettingsFile(CProfileFile& storage, BOOL* pbLoaded)
{
	CKeptReading* pKept = KeptForThisThread();
	if (!pKept)
	{
		BOOL bLoaded = storage.Load(GetSettingsFilePath());
		if (pbLoaded)
			*pbLoaded = bLoaded;
		return storage;
	}
	if (!pKept->bRead)
	{
		pKept->bLoaded = pKept->settings.Load(GetSettingsFilePath());
		pKept->bRead = true;
	}
	if (pbLoaded)
		*pbLoaded = pKept->bLoaded;
	return pKept->settings;
}

void EnsureSettingsFile()
{
	CKeptReading* pKept = KeptForThisThread();
	if (pKept && pKept->bEnsured)
		return;
	CString strDir = GetAppDirectory();
	if (strDir.IsEmpty())
		return;
	CString strIni = strDir + "tarnconfig.ini";
	if (!::PathFileExistsW(ToWide(strIni).c_str()))
	{
		::CreateDirectoryW(ToWide(strDir).c_str(), nullptr);
		CFileHandle hIni(::CreateFileW(ToWide(strIni).c_str(), STANDARD_RIGHTS_ALL, FILE_SHARE_WRITE, nullptr,
			CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
	}
	if (pKept)
		pKept->bEnsured = true;
}

void KeepSettingsReading()
{
	g_pKept.reset(new CKeptReading);
	g_dwKeptThread = ::GetCurrentThreadId();
}

void DropSettingsReading()
{
	g_dwKeptThread = 0;
	g_pKept.reset();
}
