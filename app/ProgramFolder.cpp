#include "app/ProgramFolder.h"

CString GetAppDirectory()
{
	char szPath[MAX_PATH + 1] = {};
	DWORD cch = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
	if (cch == 0 || cch >= MAX_PATH)
		return CString();
	CString strPath(szPath);
	return strPath.Left(strPath.ReverseFind('\\') + 1);
}

CString GetSettingsFilePath()
{
	CString strDir = GetAppDirectory();
	return strDir.IsEmpty() ? strDir : strDir + "tarnconfig.ini";
}
