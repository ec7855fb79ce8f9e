#include "framework/Picture.h"

#include <cstring>

CComPtr<IPicture> AfxLoadPicture(const void* pData, size_t cbData)
{
	CComPtr<IPicture> pPicture;
	if (!pData || cbData == 0 || cbData > 0x7FFFFFFF)
		return pPicture;
	HGLOBAL hGlobal = ::GlobalAlloc(GMEM_MOVEABLE, cbData);
	void* pGlobal = hGlobal ? ::GlobalLock(hGlobal) : nullptr;
	if (!pGlobal)
	{
		if (hGlobal)
			::GlobalFree(hGlobal);
		return pPicture;
	}
	memcpy(pGlobal, pData, cbData);
	::GlobalUnlock(hGlobal);
	// The stream frees the memory when it goes.
	CComPtr<IStream> pStream;
	if (FAILED(::CreateStreamOnHGlobal(hGlobal, TRUE, &pStream)))
	{
		::GlobalFree(hGlobal);
		return pPicture;
	}
	if (FAILED(::OleLoadPicture(pStream.Get(), static_cast<LONG>(cbData), FALSE, IID_IPicture,
			reinterpret_cast<void**>(&pPicture))))
		pPicture.Release();
	return pPicture;
}
