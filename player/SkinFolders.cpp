#include "player/SkinFolders.h"

#include "app/Log.h"
#include "app/SettingsFile.h"
#include "framework/FileFind.h"
#include "framework/PrivateProfile.h"
#include "framework/WideText.h"
#include "player/Settings.h"

#include <shlwapi.h>

#include <algorithm>

CString GetSkinDirectory()
{
	CString strApp = GetAppDirectory();
	return strApp.IsEmpty() ? strApp : strApp + "skin\\";
}

CString GetDefaultSkinDirectory()
{
	CString strSkin = GetSkinDirectory();
	return strSkin.IsEmpty() ? strSkin : strSkin + "现代\\";
}

int EnumSkinDirectories(CString strRoot, CStringArray& arrDirs)
{
	arrDirs.RemoveAll();
	// An empty root would become the drive's root once the backslash is added.
	if (strRoot.IsEmpty())
		return 0;
	if (strRoot.Right(1) != "\\")
		strRoot += "\\";
	if (!::PathFileExistsW(ToWide(strRoot).c_str()))
		return arrDirs.GetSize();

	CFileFind finder;
	BOOL bWorking = finder.FindFile(strRoot + "*.*");
	while (bWorking)
	{
		bWorking = finder.FindNextFile();
		if (finder.IsDots() || !finder.IsDirectory())
			continue;
		CString strName = finder.GetFileName();
		if (strName.MakeLower() == "melbotv")
			continue;
		arrDirs.Add(finder.GetFilePath() + "\\");
	}
	finder.Close();
	return arrDirs.GetSize();
}

bool IsSkinPathOfProgram(const CString& strPath, const CString& strAppDir)
{
	// The program folder itself may hold "skin" ("C:\Skins Pack\QuiloPlayer\"): the saved path must go
	// on with "skin" right after it, not merely contain it somewhere.
	if (strAppDir.IsEmpty() || strPath.GetLength() < strAppDir.GetLength() + 4)
		return false;
	return strPath.Left(strAppDir.GetLength()).CompareNoCase(strAppDir) == 0
		&& strPath.Mid(strAppDir.GetLength(), 4).CompareNoCase("skin") == 0;
}

CString ReadSkinPath(const CStringArray& arrDirs)
{
	if (GetAppDirectory().IsEmpty())
		return CString();
	CProfileFile storage;
	CString strPath = ReadSettingsFile(storage).GetString("tarnTVPlayer", "SkinPath", GetDefaultSkinDirectory(), 260);
	strPath.Trim();
	strPath.MakeLower();

	// A skin saved by an installation in another folder is never used, nor a path that only starts in
	// this one's skin folder ("skin\..\..\elsewhere\"): images load only from a folder of the list.
	if (!IsSkinPathOfProgram(strPath, GetAppDirectory()) || FindListedSkin(arrDirs, strPath) < 0)
		strPath = GetDefaultSkinDirectory();
	return strPath;
}

int FindListedSkin(const CStringArray& arrDirs, const CString& strSkinPath)
{
	for (int i = 0; i < arrDirs.GetSize(); ++i)
	{
		if (arrDirs[i].CompareNoCase(strSkinPath) == 0)
			return i;
	}
	return -1;
}

int FindSkinIndex(const CStringArray& arrDirs, const CString& strSkinPath)
{
	return std::max(FindListedSkin(arrDirs, strSkinPath), 0);
}

void SaveSkinPath(const CStringArray& arrDirs, int nSkinIndex)
{
	CString strIni = GetSettingsFilePath();
	if (strIni.IsEmpty() || nSkinIndex < 0 || nSkinIndex >= arrDirs.GetSize())
		return;
	CProfileFile settings;
	if (!settings.Load(strIni) || !settings.WriteString("tarnTVPlayer", "SkinPath", arrDirs[nSkinIndex]))
		WriteLog(LOG_ERR, "skin choice not saved to " + strIni);
}
