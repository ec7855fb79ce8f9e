#include "player/Settings.h"

#include "app/MakerSites.h"

CString ReadClientConfigUrl()
{
	CString strIni = GetSettingsFilePath();
	if (strIni.IsEmpty())
		return MAKER_CLIENT_CONFIG_URL;
	CString strUrl;
	::GetPrivateProfileStringA("tarnTVPlayer", "ClientConfigUrl", MAKER_CLIENT_CONFIG_URL, strUrl.GetBuffer(1024), 1025,
		strIni);
	strUrl.ReleaseBuffer();
	return strUrl.Trim();
}
