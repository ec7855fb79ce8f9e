#include "skin/SkinFrame.h"

#include "framework/Handle.h"
#include "framework/Picture.h"
#include "framework/WideText.h"
#include "framework/PrivateProfile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

namespace
{
const char kPersonality[] = "Personality";
const char kColours[] = "Colours";
const COLORREF kDefaultBarColour = 0xCFCFCF;
const COLORREF kDefaultTransColour = 0xFF00FF;
// Coordinates and offsets beyond this lie outside any window; keeping them here keeps the arithmetic
// on them from overflowing.
const int kMaxCoordinate = 32767;
// Picture files larger than this are refused rather than read into memory.
const LONGLONG kMaxPictureFile = 64 * 1024 * 1024;
// The description file is read into memory on the window's thread: its size and the number of button
// sections read are bounded. A description is a few hundred bytes, and the frame has seven button slots.
const LONGLONG kMaxDescriptionFile = 64 * 1024;
const int kMaxButtonSections = 32;

bool IsBlank(char ch)
{
	return ch == ' ' || ch == '\t' || ch == '\n';
}

int ReadCoordinate(const char* pszSection, const char* pszKey, const CProfileFile& profile)
{
	return std::clamp(profile.GetInt(pszSection, pszKey, 0), -kMaxCoordinate, kMaxCoordinate);
}

// The first column (or row) of an image's far cap: at least one past the near cap, so that the middle
// tile is never empty; caps wider than their image are cut to it.
void ComputeCaps(int nLength, int nNearCap, int nFarCap, int& nNearEnd, int& nFarStart)
{
	nNearEnd = std::clamp(nNearCap, 0, std::max(nLength - 1, 0));
	nFarStart = nLength - std::clamp(nFarCap, 0, nLength);
	if (nFarStart <= nNearEnd)
		nFarStart = nNearEnd + 1;
}

// The position of the last backslash or slash that is not the trail byte of a double-byte character.
int LastSeparator(const CString& strPath)
{
	int nLast = -1;
	const char* psz = strPath;
	for (int i = 0; psz[i]; ++i)
	{
		if (psz[i] == '\\' || psz[i] == '/')
			nLast = i;
		else if (IsLeadByte(psz[i]) && psz[i + 1])
			++i;
	}
	return nLast;
}

uint32_t ReadLittleEndian(const BYTE* pData, size_t nOffset, int nBytes)
{
	uint32_t n = 0;
	for (int i = nBytes - 1; i >= 0; --i)
		n = (n << 8) | pData[nOffset + i];
	return n;
}

// The size of a signed 32-bit field (a bottom-up bitmap has a negative height).
uint64_t ReadMagnitude(const BYTE* pData, size_t nOffset)
{
	int64_t n = static_cast<int32_t>(ReadLittleEndian(pData, nOffset, 4));
	return static_cast<uint64_t>(n < 0 ? -n : n);
}

// A missing file reads as one without keys; an oversized one is refused.
bool IsDescriptionTooLarge(const char* pszPath)
{
	WIN32_FILE_ATTRIBUTE_DATA data = {};
	if (!::GetFileAttributesExW(ToWide(pszPath).c_str(), GetFileExInfoStandard, &data))
		return false;
	return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) > kMaxDescriptionFile;
}

// A plain bitmap file (4 to 32 bits a pixel, uncompressed or with colour masks, its headers and colour table
// whole) made a screen bitmap straight from its pixels, as the picture object makes it before drawing it
// unchanged; null for any other file, which the picture object reads. The rows were checked beforehand
// (IsTruncatedBitmap).
HBITMAP DecodePlainBitmap(const std::vector<BYTE>& data, HDC hScreen)
{
	const size_t kFileHeader = 14;
	const BYTE* p = data.data();
	if (data.size() < kFileHeader + 40 || p[0] != 'B' || p[1] != 'M')
		return nullptr;
	uint32_t nOffBits = ReadLittleEndian(p, 10, 4);
	uint32_t nHeaderSize = ReadLittleEndian(p, 14, 4);
	int32_t nWidth = static_cast<int32_t>(ReadLittleEndian(p, 18, 4));
	int32_t nHeight = static_cast<int32_t>(ReadLittleEndian(p, 22, 4));
	uint32_t nPlanes = ReadLittleEndian(p, 26, 2);
	uint32_t nBits = ReadLittleEndian(p, 28, 2);
	uint32_t nCompression = ReadLittleEndian(p, 30, 4);
	uint32_t nClrUsed = ReadLittleEndian(p, 46, 4);
	bool bMasks = nCompression == BI_BITFIELDS && (nBits == 16 || nBits == 32);
	if (nHeaderSize < 40 || nHeaderSize > 124 || nPlanes != 1 || (nCompression != BI_RGB && !bMasks)
		|| (nBits != 4 && nBits != 8 && nBits != 16 && nBits != 24 && nBits != 32) || (nBits > 8 && nClrUsed != 0)
		|| (nBits <= 8 && nClrUsed > (1u << nBits)))
		return nullptr;
	if (nWidth <= 0 || nWidth > kMaxCoordinate || nHeight == 0 || nHeight < -kMaxCoordinate || nHeight > kMaxCoordinate)
		return nullptr;
	uint64_t nColours = nBits <= 8 ? (nClrUsed ? nClrUsed : 1u << nBits) : 0;
	uint64_t nTableEnd = kFileHeader + nHeaderSize + (nHeaderSize == 40 && bMasks ? 12 : 0) + nColours * 4;
	if (nTableEnd > nOffBits || nOffBits >= data.size())
		return nullptr;
	std::optional<CClientDC> dcOwn;
	if (!hScreen)
	{
		dcOwn.emplace(nullptr);
		hScreen = *dcOwn;
	}
	const auto* pInfo = reinterpret_cast<const BITMAPINFO*>(p + kFileHeader);
	return ::CreateDIBitmap(hScreen, &pInfo->bmiHeader, CBM_INIT, p + nOffBits, pInfo, DIB_RGB_COLORS);
}

bool ReadWholeFile(const char* pszPath, std::vector<BYTE>& data)
{
	CFileHandle file(::CreateFileW(ToWide(pszPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
		FILE_ATTRIBUTE_NORMAL, nullptr));
	LARGE_INTEGER size = {};
	if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxPictureFile)
		return false;
	data.resize(static_cast<size_t>(size.QuadPart));
	DWORD cbRead = 0;
	return ::ReadFile(file.Get(), data.data(), static_cast<DWORD>(data.size()), &cbRead, nullptr)
		&& cbRead == data.size();
}
}

namespace
{
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

CSkinFrame::CSkinFrame()
	: m_crTrans(kDefaultTransColour)
	, m_crBar(kDefaultBarColour)
	, m_crMenu(kDefaultBarColour)
{
}

CSkinFrame::~CSkinFrame()
{
	// The hook goes before the images it draws with.
	AttachToHandle(nullptr);
}

void CSkinFrame::ReleaseImages()
{
	m_bmpTop.DeleteObject();
	m_bmpLeft.DeleteObject();
	m_bmpRight.DeleteObject();
	m_bmpBottom.DeleteObject();
	m_bmpDialog.DeleteObject();
	for (CBitmap& bmp : m_bmpButtons)
		bmp.DeleteObject();
}

BOOL CSkinFrame::LoadSkinImage(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue)
{
	bmpSlot.DeleteObject();
	if (strValue.IsEmpty())
		return FALSE;
	// Images always come from the description's own folder, whatever folder the value names.
	CString strFile = SplitFileName(strValue, TRUE);
	if (strFile.IsEmpty())
		return FALSE;
	CString strPath = strFolder.IsEmpty() ? strFile : strFolder + "/" + strFile;
	return LoadPictureFile(bmpSlot, strPath, RGB(0, 0, 0));
}

void CSkinFrame::StoreButtonRect(int nSlot, int nXCoord, int nYCoord)
{
	SIZE size = GetBitmapSize(m_bmpButtons[nSlot]);
	int nWidth = size.cx / m_nButtonImgCount;
	m_rcButtons[nSlot] = RECT{nXCoord - nWidth, nYCoord, nXCoord, nYCoord + size.cy};
}

BOOL CSkinFrame::LoadSkinFile(const char* pszPath)
{
	BOOL bLoaded = ReadDescription(pszPath);
	m_access.SkinChanged();
	if (IsAttached())
		FitCaptionStyle();
	return bLoaded;
}

BOOL CSkinFrame::ReadDescription(const char* pszPath)
{
	// Every image goes, also those a failed load left behind: a maximise image kept from an earlier
	// attempt would otherwise push this skin's first maximise image into the restore slot.
	ReleaseImages();
	m_crBar = kDefaultBarColour;
	m_crMenu = kDefaultBarColour;
	m_bLoaded = FALSE;

	CString strFile = pszPath ? pszPath : "";
	m_strPath = strFile;
	// The description is read once; every key below is looked up in memory.
	CProfileFile profile;
	if (!LoadDescription(strFile, profile))
		return FALSE;
	CString strFolder = SplitFolder(strFile);
	CString strDialog = profile.GetString(kPersonality, "DialogBmp", "");
	if (!strDialog.IsEmpty())
		LoadImageForScale(m_bmpDialog, strFolder, strDialog, 1, 1);

	// Top and bottom hold the active half above the inactive one, left and right beside it.
	if (!LoadImageForScale(m_bmpTop, strFolder, profile.GetString(kPersonality, "Top", ""), 1, 2)
		|| !LoadImageForScale(m_bmpLeft, strFolder, profile.GetString(kPersonality, "Left", ""), 2, 1)
		|| !LoadImageForScale(m_bmpRight, strFolder, profile.GetString(kPersonality, "Right", ""), 2, 1)
		|| !LoadImageForScale(m_bmpBottom, strFolder, profile.GetString(kPersonality, "Bottom", ""), 1, 2))
		return FALSE;

	SIZE sizeTop = GetBitmapSize(m_bmpTop);
	SIZE sizeLeft = GetBitmapSize(m_bmpLeft);
	SIZE sizeRight = GetBitmapSize(m_bmpRight);
	SIZE sizeBottom = GetBitmapSize(m_bmpBottom);
	m_nCaptionHeight = sizeTop.cy / 2;
	m_nLeftWidth = sizeLeft.cx / 2;
	m_nRightWidth = sizeRight.cx / 2;
	m_nBottomHeight = sizeBottom.cy / 2;

	auto readCap = [&](const char* pszKey) { return m_dpi.Scale(ReadCoordinate(kPersonality, pszKey, profile)); };
	int nTopTop = readCap("TopTopHeight");
	int nTopBot = readCap("TopBotHeight");
	int nLeftTop = readCap("LeftTopHeight");
	int nLeftBot = readCap("LeftBotHeight");
	int nRightTop = readCap("RightTopHeight");
	int nRightBot = readCap("RightBotHeight");
	int nBottomTop = readCap("BottomTopHeight");
	int nBottomBot = readCap("BottomBotHeight");
	ComputeCaps(sizeTop.cx, nTopTop, nTopBot, m_nTopCapLeft, m_nTopCapRightStart);
	ComputeCaps(sizeLeft.cy, nLeftTop, nLeftBot, m_nLeftCapTop, m_nLeftCapBottomStart);
	ComputeCaps(sizeRight.cy, nRightTop, nRightBot, m_nRightCapTop, m_nRightCapBottomStart);
	ComputeCaps(sizeBottom.cx, nBottomTop, nBottomBot, m_nBottomCapLeft, m_nBottomCapRightStart);

	int nButtonCount = std::min(profile.GetInt(kPersonality, "ButtonCount", 0), kMaxButtonSections);
	// A count of 0 or below would divide by zero: each button image then holds one picture for every state.
	m_nButtonImgCount = std::clamp(profile.GetInt(kPersonality, "ButtonImgCount", 3), 1,
		kMaxCoordinate);

	for (int i = 0; i < nButtonCount; ++i)
	{
		CString strSection;
		strSection.Format("Button%d", i);
		int nAction = profile.GetInt(strSection, "Action", 0);
		int nSlot = FixedSlotOf(nAction);
		if (nAction == SKIN_ACTION_MAXIMIZE)
			nSlot = m_bmpButtons[SKIN_SLOT_MAXIMIZE].IsNull() ? SKIN_SLOT_MAXIMIZE : SKIN_SLOT_RESTORE;
		else if (nAction == SKIN_ACTION_TOPMOST)
			nSlot = m_bmpButtons[SKIN_SLOT_TOPMOST].IsNull() ? SKIN_SLOT_TOPMOST : SKIN_SLOT_PINNED;
		// A section that does nothing costs one look-up.
		if (nSlot < 0)
			continue;
		CString strImage = profile.GetString(strSection, "ButtonImage", "");
		if (!LoadImageForScale(m_bmpButtons[nSlot], strFolder, strImage, m_nButtonImgCount, 1))
			return FALSE;
		StoreButtonRect(nSlot, m_dpi.Scale(ReadCoordinate(strSection, "XCoord", profile)),
			m_dpi.Scale(ReadCoordinate(strSection, "YCoord", profile)));
	}

	m_nTextShift = m_dpi.Scale(ReadCoordinate(kPersonality, "TextShift", profile));
	m_nTextShiftVert = m_dpi.Scale(ReadCoordinate(kPersonality, "TextShiftVert", profile));

	m_crTitle = ReadSkinColour(kColours, "TitleText", profile, ::GetSysColor(COLOR_CAPTIONTEXT));
	m_crInactiveTitle = ReadSkinColour(kColours, "InactiveTitleText", profile, ::GetSysColor(COLOR_CAPTIONTEXT));
	m_bUsesTran = profile.GetInt(kPersonality, "UsesTran", 0) != 0;
	if (m_bUsesTran)
		m_crTrans = ReadSkinColour(kColours, "TransColor", profile, kDefaultTransColour);
	m_crBar = ReadSkinColour(kColours, "BarColor", profile, kDefaultBarColour);
	m_crMenu = ReadSkinColour(kColours, "MenuColor", profile, kDefaultBarColour);
	m_crButtonFace = ReadSkinColour(kColours, "ButtonFace", profile, ::GetSysColor(COLOR_BTNFACE));
	m_crButtonText = ReadSkinColour(kColours, "ButtonText", profile, ::GetSysColor(COLOR_BTNTEXT));
	m_crButtonHilight = ReadSkinColour(kColours, "ButtonHilight", profile, ::GetSysColor(COLOR_BTNFACE));
	m_crButtonFocus = ReadSkinColour(kColours, "ButtonFocus", profile, ::GetSysColor(COLOR_BTNFACE));

	m_bLoaded = TRUE;
	return TRUE;
}

COLORREF CSkinFrame::ReadSkinColour(const char* pszSection, const char* pszKey, const CProfileFile& profile,
	COLORREF crDefault)
{
	CString strValue = profile.GetString(pszSection, pszKey, "");
	if (strValue.IsEmpty())
		return crDefault;
	int nParts[3] = {};
	const char* psz = strValue;
	for (int& nPart : nParts)
	{
		CString strToken;
		psz = NextToken(psz, strToken);
		// strtol, unlike atoi, is defined for numbers too large for an int; only the low byte is kept.
		nPart = static_cast<int>(strtol(strToken, nullptr, 10) & 0xFF);
	}
	return RGB(nParts[0], nParts[1], nParts[2]);
}

BOOL CSkinFrame::LoadPictureFile(CBitmap& bmpSlot, const char* pszPath, COLORREF crBack)
{
	if (!bmpSlot.IsNull() || !pszPath)
		return FALSE;
	std::vector<BYTE> data;
	if (!ReadWholeFile(pszPath, data) || IsTruncatedBitmap(data.data(), data.size()))
		return FALSE;
	// A plain bitmap, as every shipped skin image is, needs no picture object: it covers its whole rectangle.
	if (HBITMAP hPlain = DecodePlainBitmap(data, SharedScreenDC()))
	{
		bmpSlot.Attach(hPlain);
		return TRUE;
	}
	CComPtr<IPicture> pPicture = AfxLoadPicture(data.data(), data.size());
	if (!pPicture)
		return FALSE;
	OLE_XSIZE_HIMETRIC nWidthHm = 0;
	OLE_YSIZE_HIMETRIC nHeightHm = 0;
	if (FAILED(pPicture->get_Width(&nWidthHm)) || FAILED(pPicture->get_Height(&nHeightHm)))
		return FALSE;

	CClientDC dcScreen(nullptr);
	int cx = ::MulDiv(nWidthHm, ::GetDeviceCaps(dcScreen, LOGPIXELSX), 2540);
	int cy = ::MulDiv(nHeightHm, ::GetDeviceCaps(dcScreen, LOGPIXELSY), 2540);
	if (cx <= 0 || cy <= 0 || cx > kMaxCoordinate || cy > kMaxCoordinate)
		return FALSE;
	CBitmap bmp(::CreateCompatibleBitmap(dcScreen, cx, cy));
	CCompatibleDC dc(dcScreen);
	if (bmp.IsNull() || !dc)
		return FALSE;
	{
		CSelectObject select(dc, bmp);
		if (crBack != CLR_INVALID)
		{
			CBrush brush(::CreateSolidBrush(crBack));
			RECT rc = {0, 0, cx, cy};
			::FillRect(dc, &rc, brush);
		}
		// The picture's origin is its bottom-left corner: a negative height renders it upright.
		if (FAILED(pPicture->Render(dc, 0, 0, cx, cy, 0, nHeightHm, nWidthHm, -nHeightHm, nullptr)))
			return FALSE;
	}
	bmpSlot = std::move(bmp);
	return TRUE;
}

BOOL CSkinFrame::IsTruncatedBitmap(const BYTE* pData, size_t cbData)
{
	if (cbData < 2 || pData[0] != 'B' || pData[1] != 'M')
		return FALSE;
	const size_t kHeaders = 14 + 40;
	if (cbData < kHeaders)
		return TRUE;
	uint32_t nOffBits = ReadLittleEndian(pData, 10, 4);
	uint32_t nHeaderSize = ReadLittleEndian(pData, 14, 4);
	uint32_t nCompression = ReadLittleEndian(pData, 30, 4);
	if (nHeaderSize < 40 || (nCompression != BI_RGB && nCompression != BI_BITFIELDS))
		return FALSE;
	if (nOffBits > cbData)
		return TRUE;
	// A row holds at most 2^31 pixels of 65535 bits, so the stride fits; the product of stride and rows
	// may not, and is never formed.
	uint64_t nStride = (ReadMagnitude(pData, 18) * ReadLittleEndian(pData, 28, 2) + 31) / 32 * 4;
	uint64_t nRoom = cbData - nOffBits;
	return nStride > 0 && ReadMagnitude(pData, 22) > nRoom / nStride;
}

CString CSkinFrame::SplitFolder(const CString& strPath)
{
	return strPath.Left(LastSeparator(strPath) + 1);
}

CString CSkinFrame::SplitFileName(const CString& strPath, BOOL bKeepExtension)
{
	CString strName = strPath.Mid(LastSeparator(strPath) + 1);
	if (!bKeepExtension)
	{
		int nDot = strName.Find('.');
		if (nDot >= 0)
			strName = strName.Left(nDot);
	}
	return strName;
}

const char* CSkinFrame::NextToken(const char* pszText, CString& strToken, const char* pszSeparators)
{
	strToken.Empty();
	if (!pszText)
		return pszText;
	const char* pszSet = pszSeparators ? pszSeparators : " \t\n";
	const char* p = pszText;
	std::string strCopy;
	while (*p && !strchr(pszSet, *p))
	{
		// A byte above 128 leads a two-byte character, whose second byte is never taken for a separator.
		if (static_cast<BYTE>(*p) > 128 && p[1])
		{
			strCopy.append(p, 2);
			p += 2;
		}
		else
			strCopy += *p++;
	}
	if (*p)
		++p;
	size_t nFirst = 0;
	size_t nEnd = strCopy.size();
	while (nFirst < nEnd && IsBlank(strCopy[nFirst]))
		++nFirst;
	while (nEnd > nFirst && IsBlank(strCopy[nEnd - 1]))
		--nEnd;
	strToken = CString(strCopy.substr(nFirst, nEnd - nFirst));
	return p;
}
