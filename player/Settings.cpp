#include "player/Settings.h"

#include "app/Log.h"
#include "app/MakerSites.h"
#include "app/SettingsFile.h"
#include "framework/PrivateProfile.h"

CString ReadClientConfigUrl()
{
	CString strIni = GetSettingsFilePath();
	if (strIni.IsEmpty())
		return MAKER_CLIENT_CONFIG_URL;
	CProfileFile storage;
	BOOL bLoaded = FALSE;
	const CProfileFile& settings = ReadSettingsFile(storage, &bLoaded);
	if (!bLoaded)
		WriteLog(LOG_WARN, "settings file unreadable or too large: " + strIni);
	CString strUrl = settings.GetString("tarnTVPlayer", "ClientConfigUrl", MAKER_CLIENT_CONFIG_URL, 1024);
	return strUrl.Trim();
}
