#include "app/ProgramFolder.h"

#include "framework/WideText.h"

#include <string>

CString NarrowFolderPath(const wchar_t* pszFolder)
{
	std::string str;
	if (FromWideExact(pszFolder, str))
		return CString(str);
	// A folder code page 936 cannot spell ("Łukasz", Korean) is still reachable by its short name.
	wchar_t szShort[MAX_PATH + 1] = {};
	DWORD cch = ::GetShortPathNameW(pszFolder, szShort, MAX_PATH);
	if (cch == 0 || cch >= MAX_PATH || !FromWideExact(szShort, str))
		return CString();
	return CString(str);
}

CString GetAppDirectory()
{
	wchar_t szPath[MAX_PATH + 1] = {};
	DWORD cch = ::GetModuleFileNameW(nullptr, szPath, MAX_PATH);
	if (cch == 0 || cch >= MAX_PATH)
		return CString();
	std::wstring strPath(szPath, cch);
	return NarrowFolderPath(strPath.substr(0, strPath.rfind(L'\\') + 1).c_str());
}

CString GetSettingsFilePath()
{
	CString strDir = GetAppDirectory();
	return strDir.IsEmpty() ? strDir : strDir + "tarnconfig.ini";
}
