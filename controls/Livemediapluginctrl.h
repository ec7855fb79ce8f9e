// CLivemediapluginctrl: the peer-to-peer live stream plug-in control.
#pragma once

#include "framework/OleControl.h"

class CLivemediapluginctrl : public CAxWindow
{
public:
	static const CLSID clsid;  // {9D8168F2-26F1-48FB-B7C7-65721B24ADC3}

	CLivemediapluginctrl() : CAxWindow(clsid) {}

	void SetStartupFlag(unsigned short nNewValue);        // property 4, VT_UI2
	void SetLoadingUrl1(const char* pszNewValue);         // property 11, VT_BSTR
	void SetLoadingUrl2(const char* pszNewValue);         // property 12, VT_BSTR
	void OpenStream(const char* pszUrl, unsigned long nValue);  // method 5
	void StartStream();                                   // method 6
	void CloseStream();                                   // method 7
	void PrepareStream();                                 // method 8
	void SetOption(const char* pszName, const char* pszValue);  // method 13
};
