#include "ui/BitmapTools.h"

#include <algorithm>
#include <vector>

namespace
{
// Above this many rectangles a region is made from what was gathered and merged into the result.
const size_t kRegionBatch = 2000;
const size_t kRectGrowth = 100;

BITMAPINFO TopDownInfo(SIZE size)
{
	BITMAPINFO bmi = {};
	bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
	bmi.bmiHeader.biWidth = size.cx;
	bmi.bmiHeader.biHeight = -size.cy;
	bmi.bmiHeader.biPlanes = 1;
	bmi.bmiHeader.biBitCount = 32;
	bmi.bmiHeader.biCompression = BI_RGB;
	return bmi;
}

// Merges the gathered rectangles into the result (made on first use).
void MergeRects(CRgn& result, std::vector<RECT>& rects, const RECT& rcBound)
{
	if (rects.empty())
		return;
	std::vector<BYTE> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
	auto* pData = reinterpret_cast<RGNDATA*>(buffer.data());
	pData->rdh.dwSize = sizeof(RGNDATAHEADER);
	pData->rdh.iType = RDH_RECTANGLES;
	pData->rdh.nCount = static_cast<DWORD>(rects.size());
	pData->rdh.rcBound = rcBound;
	std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(pData->Buffer));
	CRgn part(::ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), pData));
	if (result.IsNull())
		result = std::move(part);
	else if (!part.IsNull())
		::CombineRgn(result, result, part, RGN_OR);
	rects.clear();
}
}

bool ReadPixels(HBITMAP hBitmap, SIZE& size, std::vector<DWORD>& pixels)
{
	size = GetBitmapSize(hBitmap);
	pixels.clear();
	if (size.cx <= 0 || size.cy <= 0)
		return false;
	pixels.resize(static_cast<size_t>(size.cx) * size.cy);
	BITMAPINFO bmi = TopDownInfo(size);
	CClientDC dcScreen(nullptr);
	if (::GetDIBits(dcScreen, hBitmap, 0, size.cy, pixels.data(), &bmi, DIB_RGB_COLORS) != size.cy)
	{
		pixels.clear();
		return false;
	}
	for (DWORD& pixel : pixels)
		pixel &= 0x00FFFFFF;
	return true;
}

HBITMAP BitmapFromPixels(const std::vector<DWORD>& pixels, SIZE size)
{
	CClientDC dcScreen(nullptr);
	CBitmap bitmap(::CreateCompatibleBitmap(dcScreen, size.cx, size.cy));
	BITMAPINFO bmi = TopDownInfo(size);
	if (bitmap.IsNull() || ::SetDIBits(dcScreen, bitmap, 0, size.cy, pixels.data(), &bmi, DIB_RGB_COLORS) != size.cy)
		return nullptr;
	return bitmap.Detach();
}

BOOL MakeMask(HBITMAP hImage, CBitmap& mask, int x, int y)
{
	SIZE size = GetBitmapSize(hImage);
	if (x < 0 || y < 0 || x >= size.cx || y >= size.cy)
		return FALSE;
	CCompatibleDC dcImage(nullptr);
	CCompatibleDC dcMask(nullptr);
	CSelectObject selImage(dcImage, hImage);
	COLORREF crKey = ::GetPixel(dcImage, x, y);
	mask.Attach(::CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
	if (mask.IsNull())
		return FALSE;
	CSelectObject selMask(dcMask, mask);
	// Colour to one bit: pixels of the background colour become 1.
	::SetBkColor(dcImage, crKey);
	::BitBlt(dcMask, 0, 0, size.cx, size.cy, dcImage, 0, 0, SRCCOPY);
	// One bit to colour: 1 becomes white, 0 black; AND with the inverted mask blackens the key pixels.
	::SetBkColor(dcImage, RGB(255, 255, 255));
	::SetTextColor(dcImage, RGB(0, 0, 0));
	const DWORD kDestAndNotSource = 0x00220326;
	::BitBlt(dcImage, 0, 0, size.cx, size.cy, dcMask, 0, 0, kDestAndNotSource);
	return TRUE;
}

BOOL MakeGreyImage(HBITMAP hImage, CBitmap& output, int x, int y)
{
	SIZE size;
	std::vector<DWORD> pixels;
	if (!ReadPixels(hImage, size, pixels))
		return FALSE;
	bool bKeep = x >= 0 && y >= 0 && x < size.cx && y < size.cy;
	DWORD dwKey = bKeep ? pixels[static_cast<size_t>(y) * size.cx + x] : 0;
	for (DWORD& pixel : pixels)
	{
		if (bKeep && pixel == dwKey)
			continue;
		int nGrey = static_cast<int>(0.299 * ((pixel >> 16) & 0xFF) + 0.587 * ((pixel >> 8) & 0xFF) + 0.114 * (pixel & 0xFF));
		pixel = (static_cast<DWORD>(nGrey) << 16) | (static_cast<DWORD>(nGrey) << 8) | static_cast<DWORD>(nGrey);
	}
	output.Attach(BitmapFromPixels(pixels, size));
	return !output.IsNull();
}

HRGN RegionFromImage(HBITMAP hImage, COLORREF crKey)
{
	SIZE size;
	std::vector<DWORD> pixels;
	if (!ReadPixels(hImage, size, pixels))
		return nullptr;
	const DWORD dwKey = PixelOf(crKey);
	CRgn result;
	std::vector<RECT> rects;
	rects.reserve(kRectGrowth);
	RECT rcBound = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
	for (int y = 0; y < size.cy; ++y)
	{
		const DWORD* pRow = &pixels[static_cast<size_t>(y) * size.cx];
		for (int x = 0; x < size.cx;)
		{
			if (pRow[x] == dwKey)
			{
				++x;
				continue;
			}
			int xStart = x;
			while (x < size.cx && pRow[x] != dwKey)
				++x;
			if (rects.size() == rects.capacity())
				rects.reserve(rects.capacity() + kRectGrowth);
			rects.push_back(RECT{xStart, y, x, y + 1});
			rcBound.left = std::min<LONG>(rcBound.left, xStart);
			rcBound.top = std::min<LONG>(rcBound.top, y);
			rcBound.right = std::max<LONG>(rcBound.right, x);
			rcBound.bottom = std::max<LONG>(rcBound.bottom, y + 1);
			if (rects.size() == kRegionBatch)
				MergeRects(result, rects, rcBound);
		}
	}
	MergeRects(result, rects, rcBound);
	// An image made only of the key colour gives an empty region.
	if (result.IsNull())
		result.Attach(::CreateRectRgn(0, 0, 0, 0));
	return result.Detach();
}

void DrawMasked(HBITMAP hImage, HDC hDC, int x, int y, int cx, int cy, int xSrc, int ySrc, HBITMAP hMask)
{
	if (!hImage)
		return;
	CCompatibleDC dcImage(hDC);
	CSelectObject selImage(dcImage, hImage);
	if (!hMask)
	{
		::BitBlt(hDC, x, y, cx, cy, dcImage, xSrc, ySrc, SRCCOPY);
		return;
	}
	CCompatibleDC dcMask(hDC);
	CSelectObject selMask(dcMask, hMask);
	// The mask's 1 (key) keeps the destination, its 0 clears it for the image.
	COLORREF crOldBk = ::SetBkColor(hDC, RGB(255, 255, 255));
	COLORREF crOldText = ::SetTextColor(hDC, RGB(0, 0, 0));
	::BitBlt(hDC, x, y, cx, cy, dcMask, xSrc, ySrc, SRCAND);
	::BitBlt(hDC, x, y, cx, cy, dcImage, xSrc, ySrc, SRCPAINT);
	::SetBkColor(hDC, crOldBk);
	::SetTextColor(hDC, crOldText);
}

SIZE ScaledCellsSize(SIZE size, int nCols, int nRows, const CDpiScale& scale)
{
	if (nCols <= 0 || nRows <= 0 || size.cx < nCols || size.cy < nRows)
		return SIZE{0, 0};
	return SIZE{scale.Scale(size.cx / nCols) * nCols, scale.Scale(size.cy / nRows) * nRows};
}

HBITMAP EnlargeNearest(HBITMAP hImage, int nCols, int nRows, const CDpiScale& scale)
{
	const LONGLONG kMaxPixels = 16 * 1024 * 1024;
	const int kMaxSide = 32767;
	SIZE size = GetBitmapSize(hImage);
	SIZE sizeNew = ScaledCellsSize(size, nCols, nRows, scale);
	if (sizeNew.cx <= 0 || sizeNew.cy <= 0 || sizeNew.cx > kMaxSide || sizeNew.cy > kMaxSide
		|| static_cast<LONGLONG>(sizeNew.cx) * sizeNew.cy > kMaxPixels)
		return nullptr;
	std::vector<DWORD> source;
	if (!ReadPixels(hImage, size, source))
		return nullptr;
	// Device pixel n of a cell nScaled wide shows source pixel n * nCell / nScaled of the same cell.
	auto sourceOf = [](int n, int nCell, int nScaled) { return n / nScaled * nCell + n % nScaled * nCell / nScaled; };
	const int nCellWidth = size.cx / nCols, nCellHeight = size.cy / nRows;
	const int nScaledWidth = sizeNew.cx / nCols, nScaledHeight = sizeNew.cy / nRows;
	std::vector<int> columns(sizeNew.cx);
	for (int x = 0; x < sizeNew.cx; ++x)
		columns[x] = sourceOf(x, nCellWidth, nScaledWidth);
	std::vector<DWORD> result(static_cast<size_t>(sizeNew.cx) * sizeNew.cy);
	for (int y = 0; y < sizeNew.cy; ++y)
	{
		const DWORD* pRow = source.data() + static_cast<size_t>(sourceOf(y, nCellHeight, nScaledHeight)) * size.cx;
		DWORD* pOut = result.data() + static_cast<size_t>(y) * sizeNew.cx;
		for (int x = 0; x < sizeNew.cx; ++x)
			pOut[x] = pRow[columns[x]];
	}
	return BitmapFromPixels(result, sizeNew);
}
