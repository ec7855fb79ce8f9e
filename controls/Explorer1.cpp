#include "controls/Explorer1.h"

const CLSID CExplorer1::clsid =
	{ 0x8856F961, 0x340A, 0x11D0, { 0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2 } };

void CExplorer1::Navigate2(VARIANT* pURL, VARIANT* pFlags, VARIANT* pTargetFrameName, VARIANT* pPostData,
	VARIANT* pHeaders)
{
	static const BYTE params[] = VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT VTS_PVARIANT;
	InvokeHelper(500, DISPATCH_METHOD, VT_EMPTY, nullptr, params, pURL, pFlags, pTargetFrameName, pPostData, pHeaders);
}
