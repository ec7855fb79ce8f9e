#include "skin/SkinFrame.h"

#include "ui/BitmapTools.h"

SIZE CSkinFrame::ScaledImageSize(SIZE size, int nCols, int nRows, const CDpiScale& scale)
{
	return ScaledCellsSize(size, nCols, nRows, scale);
}

CBitmap CSkinFrame::EnlargeImage(HBITMAP hImage, int nCols, int nRows, const CDpiScale& scale)
{
	return CBitmap(EnlargeNearest(hImage, nCols, nRows, scale));
}

BOOL CSkinFrame::ReadImageForScale(CBitmap& bmpSlot, const CString& strFolder, const CString& strValue, int nCols,
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

void CSkinFrame::AdoptWindowScale(HWND hWnd)
{
	// The description was read at the system's DPI; a window on a monitor of another scale re-reads it.
	SetDpi(CDpiScale::GetWindowDpi(hWnd));
	// The frame's owner lays out its skinned window itself when the scale changes.
	CDpiScale::KeepDialogLayout(hWnd);
}

LRESULT CSkinFrame::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
	SetDpi(LOWORD(wParam));
	const RECT* pSuggested = reinterpret_cast<const RECT*>(lParam);
	if (pSuggested)
		::SetWindowPos(GetHwnd(), nullptr, pSuggested->left, pSuggested->top, pSuggested->right - pSuggested->left,
			pSuggested->bottom - pSuggested->top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
	return PassOn(WM_DPICHANGED, wParam, lParam);
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
