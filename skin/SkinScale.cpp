#include "skin/SkinFrame.h"

#include <vector>

namespace
{
// An enlarged image larger than this (64 MB at 32 bits) is refused: a skin's images are a few
// thousand pixels.
const LONGLONG kMaxScaledPixels = 16 * 1024 * 1024;
const int kMaxSide = 32767;

BITMAPINFO TopDown32(int nWidth, int nHeight)
{
	BITMAPINFO info = {};
	info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
	info.bmiHeader.biWidth = nWidth;
	info.bmiHeader.biHeight = -nHeight;
	info.bmiHeader.biPlanes = 1;
	info.bmiHeader.biBitCount = 32;
	info.bmiHeader.biCompression = BI_RGB;
	return info;
}

// The source pixel (along one axis) of device pixel n of an image made of nCells equal cells, each
// nCell pixels wide in the source and nScaledCell in the result.
int SourceOf(int n, int nCell, int nScaledCell)
{
	int nIndex = n / nScaledCell;
	return nIndex * nCell + (n % nScaledCell) * nCell / nScaledCell;
}
}

SIZE CSkinFrame::ScaledImageSize(SIZE size, int nCols, int nRows, const CDpiScale& scale)
{
	if (nCols <= 0 || nRows <= 0 || size.cx < nCols || size.cy < nRows)
		return SIZE{0, 0};
	return SIZE{scale.Scale(size.cx / nCols) * nCols, scale.Scale(size.cy / nRows) * nRows};
}

CBitmap CSkinFrame::EnlargeImage(HBITMAP hImage, int nCols, int nRows, const CDpiScale& scale)
{
	SIZE size = GetBitmapSize(hImage);
	SIZE sizeNew = ScaledImageSize(size, nCols, nRows, scale);
	if (sizeNew.cx <= 0 || sizeNew.cy <= 0 || sizeNew.cx > kMaxSide || sizeNew.cy > kMaxSide
		|| static_cast<LONGLONG>(sizeNew.cx) * sizeNew.cy > kMaxScaledPixels)
		return CBitmap();
	// Columns and rows beyond the last whole cell are left out, as the frame never shows them.
	int nCellWidth = size.cx / nCols;
	int nCellHeight = size.cy / nRows;
	int nScaledWidth = sizeNew.cx / nCols;
	int nScaledHeight = sizeNew.cy / nRows;

	CClientDC dcScreen(nullptr);
	BITMAPINFO info = TopDown32(size.cx, size.cy);
	std::vector<DWORD> source(static_cast<size_t>(size.cx) * size.cy);
	if (::GetDIBits(dcScreen, hImage, 0, size.cy, source.data(), &info, DIB_RGB_COLORS) != size.cy)
		return CBitmap();
	// Nearest neighbour only: every result pixel is a copy of one source pixel, so the key colour stays
	// exact and the shape cut from it matches the picture.
	std::vector<int> columns(sizeNew.cx);
	for (int x = 0; x < sizeNew.cx; ++x)
		columns[x] = SourceOf(x, nCellWidth, nScaledWidth);
	std::vector<DWORD> result(static_cast<size_t>(sizeNew.cx) * sizeNew.cy);
	for (int y = 0; y < sizeNew.cy; ++y)
	{
		const DWORD* pRow = source.data() + static_cast<size_t>(SourceOf(y, nCellHeight, nScaledHeight)) * size.cx;
		DWORD* pOut = result.data() + static_cast<size_t>(y) * sizeNew.cx;
		for (int x = 0; x < sizeNew.cx; ++x)
			pOut[x] = pRow[columns[x]];
	}
	CBitmap bmp(::CreateCompatibleBitmap(dcScreen, sizeNew.cx, sizeNew.cy));
	BITMAPINFO infoNew = TopDown32(sizeNew.cx, sizeNew.cy);
	if (bmp.IsNull()
		|| ::SetDIBits(dcScreen, bmp, 0, sizeNew.cy, result.data(), &infoNew, DIB_RGB_COLORS) != sizeNew.cy)
		return CBitmap();
	return bmp;
}

BOOL CSkinFrame::LoadImageForScale(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue, int nCols,
	int nRows)
{
	if (!LoadSkinImage(bmpSlot, strFolder, strValue))
		return FALSE;
	if (m_dpi.IsBase())
		return TRUE;
	// The image drawn for this scale, in the folder named by its percentage, when it has the size the
	// 100 % image has at this scale; anything else would not fit the description's coordinates.
	SIZE sizeWanted = ScaledImageSize(GetBitmapSize(bmpSlot), nCols, nRows, m_dpi);
	// An image narrower than its cells shows nothing at any scale, as at 100 %.
	if (sizeWanted.cx <= 0 || sizeWanted.cy <= 0)
		return TRUE;
	CString strScaleFolder;
	strScaleFolder.Format("%s%d", static_cast<const char*>(strFolder),
		m_dpi.GetPercent());
	CBitmap bmpDrawn;
	if (LoadSkinImage(bmpDrawn, strScaleFolder, strValue))
	{
		SIZE sizeDrawn = GetBitmapSize(bmpDrawn);
		if (sizeDrawn.cx == sizeWanted.cx && sizeDrawn.cy == sizeWanted.cy)
		{
			bmpSlot = std::move(bmpDrawn);
			return TRUE;
		}
	}
	CBitmap bmpEnlarged = EnlargeImage(bmpSlot, nCols, nRows, m_dpi);
	bmpSlot = std::move(bmpEnlarged);
	return !bmpSlot.IsNull();
}

BOOL CSkinFrame::SetDpi(UINT nDpi)
{
	CDpiScale scale(nDpi);
	if (scale.GetDpi() == m_dpi.GetDpi())
		return FALSE;
	m_dpi = scale;
	// The description is read again: its figures and images are kept only at the window's scale.
	if (!m_strPath.IsEmpty())
		LoadSkinFile(m_strPath);
	return TRUE;
}
