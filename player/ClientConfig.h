// The six addresses the player takes from its client configuration document.
#pragma once

#include "framework/String.h"

class CClientConfig
{
public:
	// Downloads the document at strUrl and takes its fields. Nothing that goes wrong on the way, not even
	// an exception, leaves this step: the built-in defaults stand in for what could not be read.
	void LoadClientConfig(const CString& strUrl);
	// The two halves of that: the document at strUrl (empty when it could not be read; never throws), which
	// any thread may fetch, and taking its fields.
	static CString DownloadClientConfig(const CString& strUrl);
	void TakeClientConfig(const CString& strText);

	// Unescapes the document once and takes each "key=value##" field; keys ignore letter case,
	// values keep it, the first occurrence wins, absent keys keep the built-in defaults.
	void ConfigParam(CString strText);

	CString m_strWebUrl;
	CString m_strHelpUrl;
	CString m_strHomeUrl;
	CString m_strFeedbackUrl;
	CString m_strDefaultLoadingUrl;
	CString m_strPlayerUrl;

private:
	void UseDefaults();
};
