#include "player/Settings.h"

#include "app/MakerSites.h"

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
	return GetAppDirectory() + "tarnconfig.ini";
}

CString ReadClientConfigUrl()
{
	CString strUrl;
	::GetPrivateProfileStringA("tarnTVPlayer", "ClientConfigUrl", MAKER_CLIENT_CONFIG_URL, strUrl.GetBuffer(1024), 1025,
		GetSettingsFilePath());
	strUrl.ReleaseBuffer();
	return strUrl.Trim();
}
