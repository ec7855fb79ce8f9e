#include "skin/SkinFrame.h"

#include "framework/WideText.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace
{
// Caption text: the face "楷体", 13 pixels high at 96 DPI, a little bolder than normal.
const wchar_t kTitleFace[] = L"楷体";
const int kTitleHeight = 13;
const int kTitleWeight = 550;
const BYTE kTitlePitchAndFamily = 0x20;
const UINT kTitleFormat = DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_WORD_ELLIPSIS;
// The program's icon, drawn when the window has no small icon of its own.
const int kProgramIconId = 128;

// One edge of the frame: its image runs along the edge from a fixed first cap over repeated middle
// tiles to a fixed last cap; across the edge it holds the active half first, then the inactive half.
struct EdgeTiling
{
	bool bHorizontal;
	int nThickness;    // across the edge, one half
	int nCapEnd;       // end of the first cap
	int nCapStart;     // start of the last cap
	int nLastCapEnd;   // end of the last cap's source
	int nEndOffset;    // where the last cap ends, from the edge's end
};

void CopyPart(HDC hDC, HDC hSource, const EdgeTiling& edge, int nAlong, int nAcross, int nLength, int nSourceAlong,
	int nSourceAcross)
{
	if (nLength <= 0 || edge.nThickness <= 0)
		return;
	if (edge.bHorizontal)
		::BitBlt(hDC, nAlong, nAcross, nLength, edge.nThickness, hSource, nSourceAlong, nSourceAcross, SRCCOPY);
	else
		::BitBlt(hDC, nAcross, nAlong, edge.nThickness, nLength, hSource, nSourceAcross, nSourceAlong, SRCCOPY);
}

// nStart and nAcross are the edge's position along and across; the image's own length is nImageLength.
void TileEdge(HDC hDC, HDC hSource, const EdgeTiling& edge, int nStart, int nAcross, int nLength, int nImageLength,
	BOOL bInactive)
{
	int nSourceAcross = bInactive ? edge.nThickness : 0;
	int nTile = std::max(edge.nCapStart - edge.nCapEnd, 1);
	int nEnd = nStart + nLength;
	int nTiles = std::max((nLength - nImageLength) / nTile + 1, 0);
	CopyPart(hDC, hSource, edge, nStart, nAcross, edge.nCapEnd, 0, nSourceAcross);
	for (int i = 0; i <= nTiles; ++i)
	{
		int nPos = nStart + edge.nCapEnd + i * nTile;
		if (nPos >= nEnd)
			break;
		CopyPart(hDC, hSource, edge, nPos, nAcross, std::min(nTile, nEnd - nPos), edge.nCapEnd, nSourceAcross);
	}
	int nLastCap = edge.nLastCapEnd - edge.nCapStart;
	CopyPart(hDC, hSource, edge, nEnd + edge.nEndOffset - nLastCap, nAcross, nLastCap, edge.nCapStart, nSourceAcross);
}

// The off-screen caption strip: 32 bits per pixel, top row first.
CBitmap CreateStrip(int nWidth, int nHeight)
{
	BITMAPINFO info = {};
	info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
	info.bmiHeader.biWidth = nWidth;
	info.bmiHeader.biHeight = -nHeight;
	info.bmiHeader.biPlanes = 1;
	info.bmiHeader.biBitCount = 32;
	info.bmiHeader.biCompression = BI_RGB;
	void* pBits = nullptr;
	return CBitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0));
}

// Every maximal run of non-key pixels of row y, as a one-pixel-high rectangle.
template <typename IsKey>
void CollectRuns(const BYTE* pRow, int y, int nWidth, std::vector<RECT>& rects, IsKey isKey)
{
	int x = 0;
	while (x < nWidth)
	{
		while (x < nWidth && isKey(pRow, x))
			++x;
		int nStart = x;
		while (x < nWidth && !isKey(pRow, x))
			++x;
		if (x > nStart)
			rects.push_back(RECT{nStart, y, x, y + 1});
	}
}

// The key colour in the form of a pixel of a 16-bit bitmap with these channel masks.
DWORD KeyToMasked(COLORREF crKey, const DWORD dwMasks[3])
{
	const BYTE channels[3] = {GetRValue(crKey), GetGValue(crKey), GetBValue(crKey)};
	DWORD dwPixel = 0;
	for (int i = 0; i < 3; ++i)
	{
		DWORD dwMask = dwMasks[i];
		if (!dwMask)
			continue;
		int nShift = 0;
		while (!(dwMask & (1u << nShift)))
			++nShift;
		int nBits = 0;
		while (nShift + nBits < 32 && (dwMask & (1u << (nShift + nBits))))
			++nBits;
		DWORD dwValue = nBits >= 8 ? static_cast<DWORD>(channels[i]) << (nBits - 8) : channels[i] >> (8 - nBits);
		dwPixel |= (dwValue << nShift) & dwMask;
	}
	return dwPixel;
}
}

void CSkinFrame::DrawTopEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const
{
	SIZE size = GetBitmapSize(m_bmpTop);
	EdgeTiling edge = {true, m_nCaptionHeight, m_nTopCapLeft, m_nTopCapRightStart, size.cx - 1, 0};
	TileEdge(hDC, hSource, edge, x, y, nLength, size.cx, bInactive);
}

void CSkinFrame::DrawBottomEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const
{
	SIZE size = GetBitmapSize(m_bmpBottom);
	EdgeTiling edge = {true, m_nBottomHeight, m_nBottomCapLeft, m_nBottomCapRightStart, size.cx - 1, -1};
	TileEdge(hDC, hSource, edge, x, y, nLength, size.cx, bInactive);
}

void CSkinFrame::DrawLeftEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const
{
	SIZE size = GetBitmapSize(m_bmpLeft);
	EdgeTiling edge = {false, m_nLeftWidth, m_nLeftCapTop, m_nLeftCapBottomStart, size.cy, 0};
	TileEdge(hDC, hSource, edge, y, x, nLength, size.cy, bInactive);
}

void CSkinFrame::DrawRightEdge(HDC hDC, HDC hSource, int x, int y, int nLength, BOOL bInactive) const
{
	SIZE size = GetBitmapSize(m_bmpRight);
	EdgeTiling edge = {false, m_nRightWidth, m_nRightCapTop, m_nRightCapBottomStart, size.cy, 0};
	TileEdge(hDC, hSource, edge, y, x, nLength, size.cy, bInactive);
}

void CSkinFrame::PaintEdges(HDC hSource, HDC hStrip, HDC hWindow, int nWidth, int nHeight, BOOL bInactive) const
{
	// Each image is selected once: the strip gets Top, Left and Right in this order, the window Left,
	// Right and Bottom.
	int nRightX = nWidth - m_nRightWidth;
	{
		CSelectObject select(hSource, m_bmpTop);
		DrawTopEdge(hStrip, hSource, m_nLeftWidth, 0, nWidth - m_nLeftWidth - m_nRightWidth + 1, bInactive);
	}
	{
		CSelectObject select(hSource, m_bmpLeft);
		if (hWindow)
			DrawLeftEdge(hWindow, hSource, 0, 0, nHeight, bInactive);
		DrawLeftEdge(hStrip, hSource, 0, 0, GetBitmapSize(m_bmpLeft).cy, bInactive);
	}
	{
		CSelectObject select(hSource, m_bmpRight);
		if (hWindow)
			DrawRightEdge(hWindow, hSource, nRightX, 0, nHeight, bInactive);
		DrawRightEdge(hStrip, hSource, nRightX, 0, GetBitmapSize(m_bmpRight).cy, bInactive);
	}
	if (hWindow)
	{
		CSelectObject select(hSource, m_bmpBottom);
		DrawBottomEdge(hWindow, hSource, m_nLeftWidth, nHeight - m_nBottomHeight, nRightX - m_nLeftWidth, bInactive);
	}
}

void CSkinFrame::PaintFrame()
{
	HWND hWnd = GetHwnd();
	// A hidden frame is painted when it shows (its frame change on showing); activation, resizing and
	// the text change while it is hidden would paint what no one sees.
	if (!m_bLoaded || !::IsWindowVisible(hWnd))
		return;
	// Readers hear what the paint shows.
	m_access.Announce(*this);
	RECT rcWindow;
	::GetWindowRect(hWnd, &rcWindow);
	int nWidth = rcWindow.right - rcWindow.left;
	int nHeight = rcWindow.bottom - rcWindow.top;
	CWindowDC dc(hWnd);
	if (!dc || nWidth <= 0 || nHeight <= 0)
		return;
	// The caption strip is composed off screen and copied in one piece; the borders are painted directly.
	int nStripHeight = std::max(m_nCaptionHeight, 1);
	CCompatibleDC dcSource(dc);
	CCompatibleDC dcStrip(dc);
	CBitmap bmpStrip = CreateStrip(nWidth, nStripHeight);
	if (!dcSource || !dcStrip || bmpStrip.IsNull())
		return;

	::ExcludeClipRect(dc, 0, 0, nWidth, m_nCaptionHeight);
	{
		CSelectObject selectStrip(dcStrip, bmpStrip);
		PaintEdges(dcSource, dcStrip, dc, nWidth, nHeight, !m_bActive);
	}
	::SelectClipRgn(dc, nullptr);

	if (m_bUsesTran)
	{
		CRgn rgn(::CreateRectRgn(0, m_nCaptionHeight, nWidth, nHeight));
		CRgn rgnStrip = RegionFromColourKey(bmpStrip, m_crTrans, dc);
		::CombineRgn(rgn, rgn, rgnStrip, RGN_XOR);
		::SelectClipRgn(dc, rgn);
	}
	else
	{
		// The region belongs to the window once set.
		CRgn rgn(::CreateRectRgn(0, 0, nWidth, nHeight));
		if (::SetWindowRgn(hWnd, rgn, FALSE))
			rgn.Detach();
	}

	{
		CSelectObject selectStrip(dcStrip, bmpStrip);
		// The transparent buttons share one pair of scratch DCs.
		std::optional<CCompatibleDC> dcMask;
		std::optional<CCompatibleDC> dcCopy;
		if (m_bUsesTran)
		{
			dcMask.emplace(dc);
			dcCopy.emplace(dc);
		}
		HDC hMaskDC = dcMask ? static_cast<HDC>(*dcMask) : nullptr;
		HDC hCopyDC = dcCopy ? static_cast<HDC>(*dcCopy) : nullptr;
		const std::pair<int, int> buttons[] = {{SKIN_ACTION_CLOSE, HTCLOSE}, {SKIN_ACTION_MINIMIZE, HTMINBUTTON},
			{SKIN_ACTION_MAXIMIZE, HTMAXBUTTON}, {SKIN_ACTION_TOPMOST, HT_SKIN_TOPMOST}, {SKIN_ACTION_MENU, HT_SKIN_MENU}};
		for (const auto& [nAction, nHitCode] : buttons)
			DrawCaptionButton(dcStrip, dcSource, nAction, GetButtonState(nHitCode), hMaskDC, hCopyDC);
		DrawIconAndTitle(dcStrip, nWidth);
		::BitBlt(dc, 0, 0, nWidth, m_nCaptionHeight, dcStrip, 0, 0, SRCCOPY);
	}
	::SelectClipRgn(dc, nullptr);
}

void CSkinFrame::DrawIconAndTitle(HDC hStrip, int nWidth)
{
	HWND hWnd = GetHwnd();
	if (m_bShowIcon)
	{
		HICON hIcon = reinterpret_cast<HICON>(::SendMessageW(hWnd, WM_GETICON, ICON_SMALL, 0));
		if (!hIcon)
			hIcon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId));
		int nIcon = m_dpi.Scale(kIconSize);
		if (hIcon)
			::DrawIconEx(hStrip, m_nLeftWidth, m_dpi.Scale(kIconTop), hIcon, nIcon, nIcon, 0, nullptr, DI_NORMAL);
	}

	if (m_strTitle.IsEmpty())
	{
		int nLength = ::GetWindowTextLengthW(hWnd);
		if (nLength > 0)
		{
			std::vector<wchar_t> title(static_cast<size_t>(nLength) + 1);
			int nRead = ::GetWindowTextW(hWnd, title.data(), nLength + 1);
			m_strTitle = FromWide(title.data(), nRead).c_str();
		}
	}
	CFont font(::CreateFontW(m_dpi.Scale(kTitleHeight), 0, 0, 0, kTitleWeight, FALSE, FALSE, FALSE, 0, 0, 0, 0,
		kTitlePitchAndFamily, kTitleFace));
	CSelectObject selectFont(hStrip, font);
	::SetTextColor(hStrip, m_bActive ? m_crTitle : m_crInactiveTitle);
	::SetBkMode(hStrip, TRANSPARENT);
	RECT rcText = {m_nTextShift, m_nTextShiftVert + m_dpi.Scale(2), nWidth - (GetBitmapSize(m_bmpTop).cx - m_nTopCapRightStart),
		m_nCaptionHeight};
	// The title is code page 936 text whatever character set the font reports.
	std::wstring strTitle = ToWide(m_strTitle);
	if (strTitle.empty())
		return;
	::DrawTextW(hStrip, strTitle.c_str(), static_cast<int>(strTitle.size()), &rcText, kTitleFormat);
}

int CSkinFrame::GetButtonState(int nHitCode) const
{
	if (m_nPressedCode == nHitCode)
		return 1;
	return m_nHoverCode == nHitCode ? 2 : 0;
}

void CSkinFrame::DrawCaptionButton(HDC hDC, HDC hSource, int nAction, int nState, HDC hMaskDC, HDC hCopyDC) const
{
	if (!IsButtonShown(nAction))
		return;
	HBITMAP hImage = GetButtonImage(nAction);
	RECT rcButton = GetButtonRect(nAction);
	int nWidth = rcButton.right - rcButton.left;
	if (!hImage || nWidth <= 0)
		return;
	// An image with fewer pictures than states shows its first one for the others.
	if (nState >= m_nButtonImgCount)
		nState = 0;
	// The image's own height: a button taller or shorter than the close button is neither cut nor
	// drawn from beyond its image.
	RECT rcSource = {nState * nWidth, 0, (nState + 1) * nWidth, GetBitmapSize(hImage).cy};
	CSelectObject select(hSource, hImage);
	DrawImagePart(hSource, hDC, rcButton.left, rcButton.top, rcSource, m_crTrans, m_bUsesTran, hMaskDC, hCopyDC);
}

void CSkinFrame::DrawImagePart(HDC hSource, HDC hDC, int x, int y, const RECT& rcSource, COLORREF crKey,
	BOOL bTransparent, HDC hMaskDC, HDC hCopyDC)
{
	int nWidth = rcSource.right - rcSource.left;
	int nHeight = rcSource.bottom - rcSource.top;
	if (nWidth <= 0 || nHeight <= 0)
		return;
	if (!bTransparent)
	{
		::BitBlt(hDC, x, y, nWidth, nHeight, hSource, rcSource.left, rcSource.top, SRCCOPY);
		return;
	}
	std::optional<CCompatibleDC> dcMask;
	std::optional<CCompatibleDC> dcCopy;
	if (!hMaskDC || !hCopyDC)
	{
		hMaskDC = dcMask.emplace(hDC);
		hCopyDC = dcCopy.emplace(hDC);
	}
	CBitmap bmpMask(::CreateBitmap(nWidth, nHeight, 1, 1, nullptr));
	CBitmap bmpCopy(::CreateCompatibleBitmap(hDC, nWidth, nHeight));
	if (!hMaskDC || !hCopyDC || bmpMask.IsNull() || bmpCopy.IsNull())
		return;
	CSelectObject selectMask(hMaskDC, bmpMask);
	CSelectObject selectCopy(hCopyDC, bmpCopy);

	// Mask: 1 where the source has the key colour.
	COLORREF crSourceBk = ::SetBkColor(hSource, crKey);
	::BitBlt(hMaskDC, 0, 0, nWidth, nHeight, hSource, rcSource.left, rcSource.top, SRCCOPY);
	::SetBkColor(hSource, crSourceBk);

	// The copy of the part with its key pixels black (mask bits 1 turn black, 0 white).
	::BitBlt(hCopyDC, 0, 0, nWidth, nHeight, hSource, rcSource.left, rcSource.top, SRCCOPY);
	COLORREF crCopyText = ::SetTextColor(hCopyDC, RGB(255, 255, 255));
	COLORREF crCopyBk = ::SetBkColor(hCopyDC, RGB(0, 0, 0));
	::BitBlt(hCopyDC, 0, 0, nWidth, nHeight, hMaskDC, 0, 0, SRCAND);
	::SetTextColor(hCopyDC, crCopyText);
	::SetBkColor(hCopyDC, crCopyBk);

	// The destination keeps its pixels under the key and turns black elsewhere, then takes the copy.
	COLORREF crText = ::SetTextColor(hDC, RGB(0, 0, 0));
	COLORREF crBk = ::SetBkColor(hDC, RGB(255, 255, 255));
	::BitBlt(hDC, x, y, nWidth, nHeight, hMaskDC, 0, 0, SRCAND);
	::SetTextColor(hDC, crText);
	::SetBkColor(hDC, crBk);
	::BitBlt(hDC, x, y, nWidth, nHeight, hCopyDC, 0, 0, SRCPAINT);
}

CBitmap CSkinFrame::PaintActiveStrip(HDC hDC, int nWidth) const
{
	CBitmap bmpStrip;
	if (!m_bLoaded || nWidth <= 0)
		return bmpStrip;
	CCompatibleDC dcSource(hDC);
	CCompatibleDC dcStrip(hDC);
	bmpStrip = CreateStrip(nWidth, std::max(m_nCaptionHeight, 1));
	if (!dcSource || !dcStrip || bmpStrip.IsNull())
		return CBitmap();
	CSelectObject selectStrip(dcStrip, bmpStrip);
	PaintEdges(dcSource, dcStrip, nullptr, nWidth, 0, FALSE);
	return bmpStrip;
}

CRgn CSkinFrame::BuildCaptionRegion(int nWidth, int nHeight) const
{
	CRgn rgn(::CreateRectRgn(0, m_bUsesTran ? m_nCaptionHeight : 0, nWidth, nHeight));
	if (!m_bUsesTran)
		return rgn;
	CWindowDC dc(GetHwnd());
	CBitmap bmpStrip = PaintActiveStrip(dc, nWidth);
	if (!bmpStrip.IsNull())
	{
		CRgn rgnStrip = RegionFromColourKey(bmpStrip, m_crTrans, dc);
		::CombineRgn(rgn, rgn, rgnStrip, RGN_XOR);
	}
	return rgn;
}

CRgn CSkinFrame::RegionFromColourKey(HBITMAP hBitmap, COLORREF crKey, HDC hDC)
{
	BITMAP bm = {};
	if (!hBitmap || !::GetObjectW(hBitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
		return CRgn(::CreateRectRgn(0, 0, 0, 0));
	const int nWidth = bm.bmWidth;
	const int nHeight = bm.bmHeight;
	// The pixels are read in the bitmap's own format; other depths are read as 32 bits.
	int nBits = bm.bmBitsPixel * bm.bmPlanes;
	if (nBits != 8 && nBits != 16 && nBits != 24)
		nBits = 32;

	struct
	{
		BITMAPINFOHEADER bmiHeader;
		RGBQUAD bmiColors[256];
	} info = {};
	info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
	info.bmiHeader.biWidth = nWidth;
	info.bmiHeader.biHeight = nHeight;
	info.bmiHeader.biPlanes = 1;
	info.bmiHeader.biBitCount = static_cast<WORD>(nBits);
	info.bmiHeader.biCompression = nBits == 16 ? BI_BITFIELDS : BI_RGB;
	DWORD* pMasks = reinterpret_cast<DWORD*>(info.bmiColors);
	if (nBits == 16)
	{
		pMasks[0] = 0xF800;
		pMasks[1] = 0x07E0;
		pMasks[2] = 0x001F;
	}
	// Read a few rows at a time, bottom-up as scan lines count, into a buffer small enough to come from
	// the heap's free blocks: a whole large strip would be a fresh allocation on every paint.
	const size_t nStride = ((static_cast<size_t>(nWidth) * nBits + 31) / 32) * 4;
	const int nChunk = static_cast<int>(std::max<size_t>(1, 32768 / nStride));
	std::vector<BYTE> bits(nStride * std::min(nChunk, nHeight));
	std::optional<CCompatibleDC> dcOwn;
	if (!hDC)
	{
		dcOwn.emplace(nullptr);
		hDC = *dcOwn;
	}

	// The key in the bitmap's format, known once the first read has filled the colour table or masks: a
	// colour-table lookup, a masked 16-bit value, or blue-green-red.
	bool bKeyIndex[256] = {};
	DWORD dwMask16 = 0;
	DWORD dwKey16 = 0;
	const BYTE keyBgr[3] = {GetBValue(crKey), GetGValue(crKey), GetRValue(crKey)};
	const DWORD dwKey32 = keyBgr[0] | (keyBgr[1] << 8) | (keyBgr[2] << 16);
	auto prepareKey = [&] {
		for (int i = 0; i < 256 && nBits == 8; ++i)
		{
			const RGBQUAD& q = info.bmiColors[i];
			bKeyIndex[i] = q.rgbRed == keyBgr[2] && q.rgbGreen == keyBgr[1] && q.rgbBlue == keyBgr[0];
		}
		dwMask16 = pMasks[0] | pMasks[1] | pMasks[2];
		dwKey16 = KeyToMasked(crKey, pMasks);
	};
	auto scanRow = [&](const BYTE* pRow, int y, std::vector<RECT>& rects) {
		switch (nBits)
		{
		case 8:
			CollectRuns(pRow, y, nWidth, rects, [&](const BYTE* p, int x) { return bKeyIndex[p[x]]; });
			break;
		case 16:
			CollectRuns(pRow, y, nWidth, rects,
				[&](const BYTE* p, int x) { return ((p[2 * x] | (p[2 * x + 1] << 8)) & dwMask16) == dwKey16; });
			break;
		case 24:
			CollectRuns(pRow, y, nWidth, rects, [&](const BYTE* p, int x) {
				return p[3 * x] == keyBgr[0] && p[3 * x + 1] == keyBgr[1] && p[3 * x + 2] == keyBgr[2];
			});
			break;
		default:
			CollectRuns(pRow, y, nWidth, rects, [&](const BYTE* p, int x) {
				DWORD dwPixel;
				memcpy(&dwPixel, p + 4 * x, sizeof(dwPixel));
				return (dwPixel & 0xFFFFFF) == dwKey32;
			});
			break;
		}
	};

	std::vector<RECT> rects;
	rects.reserve(nHeight);
	for (int nTop = 0; nTop < nHeight; nTop += nChunk)
	{
		int nRows = std::min(nChunk, nHeight - nTop);
		if (::GetDIBits(hDC, hBitmap, nHeight - nTop - nRows, nRows, bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
				DIB_RGB_COLORS) != nRows)
			return CRgn(::CreateRectRgn(0, 0, 0, 0));
		if (nTop == 0)
			prepareKey();
		for (int y = nTop; y < nTop + nRows; ++y)
			scanRow(bits.data() + nStride * (nTop + nRows - 1 - y), y, rects);
	}
	if (rects.empty())
		return CRgn(::CreateRectRgn(0, 0, 0, 0));
	RECT rcBound = {nWidth, rects.front().top, 0, rects.back().bottom};
	for (const RECT& rc : rects)
	{
		rcBound.left = std::min(rcBound.left, rc.left);
		rcBound.right = std::max(rcBound.right, rc.right);
	}

	std::vector<BYTE> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
	RGNDATA* pData = reinterpret_cast<RGNDATA*>(data.data());
	pData->rdh.dwSize = sizeof(RGNDATAHEADER);
	pData->rdh.iType = RDH_RECTANGLES;
	pData->rdh.nCount = static_cast<DWORD>(rects.size());
	pData->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
	pData->rdh.rcBound = rcBound;
	memcpy(pData->Buffer, rects.data(), rects.size() * sizeof(RECT));
	return CRgn(::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), pData));
}
