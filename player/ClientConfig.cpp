#include "player/ClientConfig.h"

#include "app/Log.h"
#include "app/MakerSites.h"

#include <shlwapi.h>

void CClientConfig::ConfigParam(CString strText)
{
	// Nothing to unescape in an empty document (a failed download); it still gets the defaults.
	if (!strText.IsEmpty())
	{
		HRESULT hr = ::UrlUnescapeA(strText.GetBuffer(0), nullptr, nullptr, URL_UNESCAPE_INPLACE);
		strText.ReleaseBuffer();
		if (FAILED(hr))
			return;
	}
	WriteLog(LOG_DEBG, "ConfigParam_UrlUnescape: " + strText);

	m_strWebUrl = MAKER_WEB_URL;
	m_strHelpUrl = MAKER_HELP_URL;
	m_strHomeUrl = MAKER_HOME_URL;
	m_strFeedbackUrl = MAKER_FEEDBACK_URL;
	m_strDefaultLoadingUrl = MAKER_DEFAULT_LOADING_URL;
	m_strPlayerUrl = MAKER_PLAYER_URL;

	CString strCased(strText);
	strCased.Trim();
	if (strCased.Right(2) != "##")
		strCased += "##";
	// The document need not be code page 936 text (a UTF-8 page, say): keys are found byte by byte.
	CString strLower(strCased);
	strLower.MakeLowerBytes();

	const struct
	{
		const char* pszKey;
		CString* pstrValue;
	} fields[] = {
		{"weburl=", &m_strWebUrl},
		{"helpurl=", &m_strHelpUrl},
		{"homeurl=", &m_strHomeUrl},
		{"feedbackurl=", &m_strFeedbackUrl},
		{"defaultloadingurl=", &m_strDefaultLoadingUrl},
		{"playerurl=", &m_strPlayerUrl},
	};
	for (const auto& field : fields)
	{
		int nKey = strLower.FindBytes(field.pszKey);
		if (nKey < 0)
			continue;
		int nStart = nKey + static_cast<int>(strlen(field.pszKey));
		int nEnd = strLower.FindBytes("##", nStart);
		*field.pstrValue = strCased.Mid(nStart, nEnd - nStart);
	}
}
