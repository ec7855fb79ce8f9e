#include "controls/Livemediapluginctrl.h"

const CLSID CLivemediapluginctrl::clsid =
	{ 0x9D8168F2, 0x26F1, 0x48FB, { 0xB7, 0xC7, 0x65, 0x72, 0x1B, 0x24, 0xAD, 0xC3 } };

void CLivemediapluginctrl::SetStartupFlag(unsigned short nNewValue)
{
	SetProperty(4, VT_UI2, nNewValue);
}

void CLivemediapluginctrl::SetLoadingUrl1(const char* pszNewValue)
{
	SetProperty(11, VT_BSTR, pszNewValue);
}

void CLivemediapluginctrl::SetLoadingUrl2(const char* pszNewValue)
{
	SetProperty(12, VT_BSTR, pszNewValue);
}

void CLivemediapluginctrl::OpenStream(const char* pszUrl, unsigned long nValue)
{
	static const BYTE params[] = VTS_BSTR VTS_UI4;
	InvokeHelper(5, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pszUrl, nValue);
}

void CLivemediapluginctrl::StartStream()
{
	static const BYTE params[] = VTS_NONE;
	InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, params);
}

void CLivemediapluginctrl::CloseStream()
{
	static const BYTE params[] = VTS_NONE;
	InvokeHelper(7, DISPATCH_METHOD, VT_EMPTY, nullptr, params);
}

void CLivemediapluginctrl::PrepareStream()
{
	static const BYTE params[] = VTS_NONE;
	InvokeHelper(8, DISPATCH_METHOD, VT_EMPTY, nullptr, params);
}

void CLivemediapluginctrl::SetOption(const char* pszName, const char* pszValue)
{
	static const BYTE params[] = VTS_BSTR VTS_BSTR;
	InvokeHelper(13, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pszName, pszValue);
}
