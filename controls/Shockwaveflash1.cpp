#include "controls/Shockwaveflash1.h"

const CLSID CShockwaveflash1::clsid =
	{ 0xD27CDB6E, 0xAE6D, 0x11CF, { 0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00 } };

void CShockwaveflash1::SetMovie(const char* pszNewValue)
{
	static const BYTE params[] = VTS_BSTR;
	InvokeHelper(102, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, pszNewValue);
}

void CShockwaveflash1::SetBackgroundColor(long nNewValue)
{
	static const BYTE params[] = VTS_I4;
	InvokeHelper(123, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, nNewValue);
}

void CShockwaveflash1::SetAllowFullScreen(const char* pszNewValue)
{
	static const BYTE params[] = VTS_BSTR;
	InvokeHelper(202, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, pszNewValue);
}
