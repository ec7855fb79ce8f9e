#include "skin/SkinFrame.h"

#include "framework/Handle.h"
#include "framework/Picture.h"
#include "framework/WideText.h"
#include "framework/PrivateProfile.h"
#include "skin/BitmapFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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
// The number of button sections read is bounded: the frame has seven button slots.
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

// A plain bitmap file made a screen bitmap straight from its pixels, as the picture object makes it before
// drawing it unchanged; null for any other file, which the picture object reads.
HBITMAP DecodePlainBitmap(const std::vector<BYTE>& data, HDC hScreen)
{
	size_t nPixels = FindPlainBitmapPixels(data.data(), data.size(), kMaxCoordinate);
	if (nPixels == 0)
		return nullptr;
	std::optional<CClientDC> dcOwn;
	if (!hScreen)
	{
		dcOwn.emplace(nullptr);
		hScreen = *dcOwn;
	}
	const auto* pInfo = reinterpret_cast<const BITMAPINFO*>(data.data() + 14);
	return ::CreateDIBitmap(hScreen, &pInfo->bmiHeader, CBM_INIT, data.data() + nPixels, pInfo, DIB_RGB_COLORS);
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
	if (!ReadWholeFile(pszPath, data) || IsTruncatedBitmapFile(data.data(), data.size()))
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
