// The images and descriptions that the skinned frames of one start share, so that each is read and decoded
// once.
#include "skin/SkinFrame.h"

#include "framework/Handle.h"
#include "framework/PrivateProfile.h"
#include "framework/WideText.h"

#include <memory>
#include <vector>

namespace
{
// The description file is read into memory on the window's thread: its size is bounded. A description is
// a few hundred bytes.
const LONGLONG kMaxDescriptionFile = 64 * 1024;

// A missing file reads as one without keys; an oversized one is refused.
bool IsDescriptionTooLarge(const char* pszPath)
{
	WIN32_FILE_ATTRIBUTE_DATA data = {};
	if (!::GetFileAttributesExW(ToWide(pszPath).c_str(), GetFileExInfoStandard, &data))
		return false;
	return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) > kMaxDescriptionFile;
}

// What the frames loaded while a CImageShare lives: each image (a copy is handed out) and each description,
// failures too, so that nothing is read or decoded twice.
struct CSharedImage
{
	CString strKey;
	CBitmap bmp;
	BOOL bLoaded;
};
struct CSharedDescription
{
	CString strPath;
	CProfileFile profile;
	BOOL bLoaded;
};
struct CImageStore
{
	// The thread whose loads use it, and its shares alive; handed over: kept for that thread's next share.
	DWORD dwThread = 0;
	int nShares = 0;
	bool bHandedOver = false;
	std::vector<CSharedImage> images;
	std::vector<CSharedDescription> descriptions;
	// Taken at the first decoding: one for them all, not one for each (and given back by the thread that took it).
	std::unique_ptr<CClientDC> pScreen;
};
std::unique_ptr<CImageStore> g_pStore;

CImageStore* StoreForThisThread()
{
	return g_pStore && g_pStore->dwThread == ::GetCurrentThreadId() && g_pStore->nShares > 0 ? g_pStore.get() : nullptr;
}

// A bitmap of the same format holding the same pixels; null on failure. No device context is needed: the
// pixels are copied as they are stored.
CBitmap CopyImage(HBITMAP hImage)
{
	BITMAP bm = {};
	if (!hImage || !::GetObjectW(hImage, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
		return CBitmap();
	std::vector<BYTE> bits(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight * bm.bmPlanes);
	if (::GetBitmapBits(hImage, static_cast<LONG>(bits.size()), bits.data()) != static_cast<LONG>(bits.size()))
		return CBitmap();
	return CBitmap(::CreateBitmap(bm.bmWidth, bm.bmHeight, bm.bmPlanes, bm.bmBitsPixel, bits.data()));
}
}

CSkinFrame::CImageShare::CImageShare()
{
	DWORD dwThread = ::GetCurrentThreadId();
	if (!g_pStore)
	{
		g_pStore.reset(new CImageStore);
		g_pStore->dwThread = dwThread;
	}
	// Another thread's store stays that thread's: this share shares nothing.
	if (g_pStore->dwThread != dwThread)
		return;
	m_bActive = true;
	++g_pStore->nShares;
	g_pStore->bHandedOver = false;
}

CSkinFrame::CImageShare::~CImageShare()
{
	if (m_bActive && g_pStore && --g_pStore->nShares == 0 && !g_pStore->bHandedOver)
		g_pStore.reset();
}

void CSkinFrame::CImageShare::HandOver(DWORD dwThread)
{
	if (!m_bActive || !g_pStore)
		return;
	g_pStore->pScreen.reset();
	g_pStore->dwThread = dwThread;
	g_pStore->bHandedOver = true;
	// This share's end leaves the store alone.
	--g_pStore->nShares;
	m_bActive = false;
}

HDC CSkinFrame::SharedScreenDC()
{
	CImageStore* pStore = StoreForThisThread();
	if (!pStore)
		return nullptr;
	if (!pStore->pScreen)
		pStore->pScreen.reset(new CClientDC(nullptr));
	return *pStore->pScreen;
}

BOOL CSkinFrame::LoadImageForScale(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue, int nCols,
	int nRows)
{
	CImageStore* pStore = StoreForThisThread();
	if (!pStore)
		return ReadImageForScale(bmpSlot, strFolder, strValue, nCols, nRows);
	CString strKey;
	strKey.Format("%s\n%s\n%d %d %u", static_cast<const char*>(strFolder), static_cast<const char*>(strValue), nCols,
		nRows, m_dpi.GetDpi());
	bmpSlot.DeleteObject();
	for (const CSharedImage& image : pStore->images)
	{
		if (image.strKey != strKey)
			continue;
		if (image.bLoaded)
			bmpSlot = CopyImage(image.bmp);
		return image.bLoaded && !bmpSlot.IsNull();
	}
	BOOL bLoaded = ReadImageForScale(bmpSlot, strFolder, strValue, nCols, nRows);
	CBitmap bmpKept = bLoaded ? CopyImage(bmpSlot) : CBitmap();
	if (!bLoaded || !bmpKept.IsNull())
		pStore->images.push_back({strKey, std::move(bmpKept), bLoaded});
	return bLoaded;
}

BOOL CSkinFrame::LoadDescription(const CString& strPath, CProfileFile& profile)
{
	CImageStore* pStore = StoreForThisThread();
	if (pStore)
	{
		for (const CSharedDescription& description : pStore->descriptions)
		{
			if (description.strPath != strPath)
				continue;
			if (description.bLoaded)
				profile = description.profile;
			return description.bLoaded;
		}
	}
	BOOL bLoaded = !IsDescriptionTooLarge(strPath) && profile.Load(strPath);
	if (pStore)
		pStore->descriptions.push_back({strPath, profile, bLoaded});
	return bLoaded;
}

