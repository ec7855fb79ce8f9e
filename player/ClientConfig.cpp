#include "player/ClientConfig.h"

#include "app/Log.h"
#include "app/MakerSites.h"
#include "net/UrlDownload.h"
#include "player/ConfigFields.h"


void CClientConfig::LoadClientConfig(const CString& strUrl)
{
	TakeClientConfig(DownloadClientConfig(strUrl));
}

CString CClientConfig::DownloadClientConfig(const CString& strUrl)
{
	try
	{
		return DownloadURL_socket(strUrl, "");
	}
	catch (...)
	{
		return CString();
	}
}

void CClientConfig::TakeClientConfig(const CString& strText)
{
	try
	{
		ConfigParam(CString(strText).Trim());
	}
	catch (...)
	{
		WriteLog(LOG_ERR, "ConfigParam异常");
		UseDefaults();
	}
}

void CClientConfig::ConfigParam(CString strText)
{
	// Up to the first zero byte, as an in-place unescape of the text left it.
	strText = UnescapeUrlBytes(strText.GetString()).c_str();
	WriteLog(LOG_DEBG, "ConfigParam_UrlUnescape: " + strText);

	UseDefaults();
	CString* const members[CONFIG_FIELD_COUNT] = {&m_strWebUrl, &m_strHelpUrl, &m_strHomeUrl, &m_strFeedbackUrl,
		&m_strDefaultLoadingUrl, &m_strPlayerUrl};
	ConfigValues values = ReadConfigFields(strText.Str());
	for (int i = 0; i < CONFIG_FIELD_COUNT; ++i)
	{
		if (values[i])
			*members[i] = *values[i];
	}
}

void CClientConfig::UseDefaults()
{
	m_strWebUrl = MAKER_WEB_URL;
	m_strHelpUrl = MAKER_HELP_URL;
	m_strHomeUrl = MAKER_HOME_URL;
	m_strFeedbackUrl = MAKER_FEEDBACK_URL;
	m_strDefaultLoadingUrl = MAKER_DEFAULT_LOADING_URL;
	m_strPlayerUrl = MAKER_PLAYER_URL;
}
