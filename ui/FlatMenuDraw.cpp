// Measuring and drawing the items of a CFlatMenu.
#include "ui/FlatMenu.h"

#include "framework/Gdi.h"

#include <algorithm>
#include <iterator>

namespace
{
// The check mark: seven one-pixel strokes three pixels long, their tops this far below the mark's origin.
const int kCheckStrokeTops[] = {2, 3, 4, 3, 2, 1, 0};
const int kCheckStrokeLength = 3;
const int kCheckBoxSize = 16;
const int kRadioSize = 6;
const int kTextGap = 8;

void Fill(HDC hDC, const RECT& rc, COLORREF cr)
{
	CBrush brush(::CreateSolidBrush(cr));
	::FillRect(hDC, &rc, brush);
}

void Frame(HDC hDC, const RECT& rc, COLORREF cr)
{
	CBrush brush(::CreateSolidBrush(cr));
	::FrameRect(hDC, &rc, brush);
}

void Draw3dBox(HDC hDC, const RECT& rc, COLORREF crTopLeft, COLORREF crBottomRight)
{
	Fill(hDC, RECT{rc.left, rc.top, rc.right - 1, rc.top + 1}, crTopLeft);
	Fill(hDC, RECT{rc.left, rc.top, rc.left + 1, rc.bottom - 1}, crTopLeft);
	Fill(hDC, RECT{rc.left, rc.bottom - 1, rc.right, rc.bottom}, crBottomRight);
	Fill(hDC, RECT{rc.right - 1, rc.top, rc.right, rc.bottom}, crBottomRight);
}

// The check mark (or the radio dot) with its origin at x, y.
void DrawMark(HDC hDC, int x, int y, COLORREF cr, bool bRadio)
{
	if (bRadio)
	{
		CBrush brush(::CreateSolidBrush(cr));
		CPen pen(::CreatePen(PS_SOLID, 1, cr));
		CSelectObject selBrush(hDC, brush);
		CSelectObject selPen(hDC, pen);
		::Ellipse(hDC, x, y, x + kRadioSize, y + kRadioSize);
		return;
	}
	for (int i = 0; i < static_cast<int>(std::size(kCheckStrokeTops)); ++i)
		Fill(hDC, RECT{x + i, y + kCheckStrokeTops[i], x + i + 1, y + kCheckStrokeTops[i] + kCheckStrokeLength}, cr);
}

// Draws a one-bit picture (0 where the image is) in a colour: PSDPxax keeps the destination under 1.
void DrawMono(HDC hDC, int x, int y, int cx, int cy, HDC hDCMono, COLORREF cr)
{
	const DWORD kPatternWhereSourceBlack = 0x00B8074A;
	CBrush brush(::CreateSolidBrush(cr));
	CSelectObject selBrush(hDC, brush);
	COLORREF crOldBk = ::SetBkColor(hDC, RGB(255, 255, 255));
	COLORREF crOldText = ::SetTextColor(hDC, RGB(0, 0, 0));
	::BitBlt(hDC, x, y, cx, cy, hDCMono, 0, 0, kPatternWhereSourceBlack);
	::SetBkColor(hDC, crOldBk);
	::SetTextColor(hDC, crOldText);
}

bool IsGrayed(UINT nState)
{
	return (nState & ODS_GRAYED) != 0;
}
}

void CFlatMenu::MeasureItem(LPMEASUREITEMSTRUCT pMeasureItem)
{
	const auto* pItem = reinterpret_cast<const OwnerMenuItem*>(pMeasureItem->itemData);
	const CFlatMenu* pOwner = FindItemOwner(pItem);
	if (!pItem || !pOwner)
		return;
	const bool bFlat = StyleInForce().bFlat;
	const int nPadding = ItemPadding();
	const int nMenuBar = MenuBarHeight();
	if (pItem->m_nMenuFlags & MF_SEPARATOR)
	{
		pMeasureItem->itemWidth = 0;
		pMeasureItem->itemHeight = static_cast<UINT>(std::max((nPadding + pOwner->m_nImageHeight) / 2, nMenuBar / 2));
		return;
	}
	CClientDC dc(MenuMeasureWindow());
	CFont font(CreateMenuFont());
	// The oldest systems measure with the context's own font.
	CSelectObject selFont(dc, OsStyleCode >= 2 ? font.GetSafeHandle() : ::GetCurrentObject(dc, OBJ_FONT));
	SIZE size = {};
	::GetTextExtentPoint32W(dc, pItem->m_strText.c_str(), static_cast<int>(pItem->m_strText.size()), &size);
	if (OsStyleCode < 2)
	{
		// The menu draws with the menu font, which grows with the display's scale while the context's own
		// font may not: the item takes the wider of the two, so that its text is never cut.
		CSelectObject selMenuFont(dc, font);
		SIZE sizeMenuFont = {};
		::GetTextExtentPoint32W(dc, pItem->m_strText.c_str(), static_cast<int>(pItem->m_strText.size()), &sizeMenuFont);
		size.cx = std::max(size.cx, sizeMenuFont.cx);
	}
	int nWidth = bFlat ? size.cx + pOwner->m_nImageWidth + nPadding + kTextGap : size.cx + 2 * pOwner->m_nImageWidth + 1;
	pMeasureItem->itemWidth = static_cast<UINT>(std::max(nWidth, 0));
	pMeasureItem->itemHeight = static_cast<UINT>(std::max(pOwner->m_nImageHeight + nPadding, nMenuBar));
}

void CFlatMenu::DrawItem(LPDRAWITEMSTRUCT pDrawItem)
{
	const auto* pItem = reinterpret_cast<const OwnerMenuItem*>(pDrawItem->itemData);
	if (pDrawItem->CtlType != ODT_MENU || !pItem || FindItemOwner(pItem) != this)
		return;
	MENUITEMINFOW mii = {};
	mii.cbSize = sizeof(mii);
	mii.fMask = MIIM_FTYPE;
	bool bRadio = ::GetMenuItemInfoW(m_hMenu, pDrawItem->itemID, FALSE, &mii) && (mii.fType & MFT_RADIOCHECK);
	UINT nState = pDrawItem->itemState;
	const bool bPalette = (::GetDeviceCaps(pDrawItem->hDC, RASTERCAPS) & RC_PALETTE) != 0;
	if (!StyleInForce().bFlat || bPalette)
	{
		DrawClassicItem(pDrawItem->hDC, pDrawItem->rcItem, *pItem, nState, bRadio);
		return;
	}
	if (!IsGrayed(nState) || SelectGrayedItems)
	{
		DrawFlatItem(pDrawItem->hDC, pDrawItem->rcItem, *pItem, nState, bRadio);
		return;
	}
	// A grayed item is never drawn selected; it is composed off screen with the menu font.
	CMemoryDC dc(pDrawItem->hDC, pDrawItem->rcItem);
	CFont font(CreateMenuFont());
	CSelectObject selFont(dc, font);
	DrawFlatItem(dc, pDrawItem->rcItem, *pItem, nState & ~ODS_SELECTED, bRadio);
}

void CFlatMenu::DrawFlatItem(HDC hDC, const RECT& rcItem, const OwnerMenuItem& item, UINT nState, bool bRadio) const
{
	const bool bXpLook = StyleInForce().bXpLook;
	const FlatMenuColors colors = GetFlatMenuColors(bXpLook);
	const COLORREF crChecked = BlendTowardWhite(::GetSysColor(COLOR_HIGHLIGHT), 0.85);
	const int nPadding = ItemPadding();
	const int nColumn = m_nImageWidth + nPadding;
	const RECT rcColumn = {rcItem.left, rcItem.top, rcItem.left + nColumn, rcItem.bottom};
	const bool bSelected = (nState & ODS_SELECTED) != 0;
	const bool bGrayed = IsGrayed(nState);
	const bool bChecked = (nState & ODS_CHECKED) != 0;

	if (item.m_nMenuFlags & MF_SEPARATOR)
	{
		Fill(hDC, rcItem, colors.crBack);
		Fill(hDC, rcColumn, colors.crColumn);
		RECT rcLine = {rcItem.left + nColumn + nPadding, (rcItem.top + rcItem.bottom) / 2, rcItem.right, rcItem.bottom};
		::DrawEdge(hDC, &rcLine, EDGE_ETCHED, BF_TOP);
		return;
	}
	if (bSelected)
	{
		Fill(hDC, rcItem, colors.crSelect);
		Frame(hDC, rcItem, colors.crFrame);
	}
	else
	{
		Fill(hDC, rcItem, colors.crBack);
		Fill(hDC, rcColumn, colors.crColumn);
	}

	const int nItemHeight = rcItem.bottom - rcItem.top;
	const int x = rcItem.left + std::max(0, (nColumn - m_nImageWidth + 1) / 2);
	const int y = rcItem.top + std::max(0, (nItemHeight - m_nImageHeight + 1) / 2);
	const RECT rcBox = {rcColumn.left + 1, rcColumn.top + 1, rcColumn.right - 1, rcColumn.bottom - 1};
	const ItemImage image = FindItemImage(item);
	auto draw = [&](int nOffset, int xAt, int yAt) {
		::ImageList_Draw(image.hList, image.nIndex + nOffset, hDC, xAt, yAt, ILD_TRANSPARENT);
	};
	if (image.hList && bGrayed)
	{
		Fill(hDC, rcBox, bSelected ? colors.crSelect : colors.crColumn);
		DrawDisabledImage(hDC, image, x, y);
		if (bSelected)
			Frame(hDC, rcBox, colors.crFrame);
	}
	else if (image.hList && bSelected)
	{
		Fill(hDC, rcBox, colors.crSelect);
		if (bChecked)
		{
			Frame(hDC, rcBox, colors.crFrame);
			draw(0, x - 1, y - 1);
		}
		else if (image.bRaised)
		{
			draw(2, x + 1, y + 1);
			draw(0, x - 1, y - 1);
		}
		else
			draw(0, x, y);
	}
	else if (image.hList && bChecked)
	{
		Fill(hDC, rcBox, crChecked);
		Frame(hDC, rcBox, colors.crFrame);
		draw(0, x - 1, y - 1);
	}
	else if (image.hList)
	{
		Fill(hDC, rcBox, colors.crColumn);
		draw(image.bRaised ? 1 : 0, x, y);
	}
	else if (bChecked)
	{
		int nCheckIndex = bSelected ? m_nSelectedCheckIndex : m_nCheckIndex;
		if (!m_checkImages.IsNull() && nCheckIndex > 0)
		{
			Fill(hDC, rcBox, colors.crColumn);
			::ImageList_Draw(m_checkImages, bSelected ? 1 : 0, hDC, x, y, ILD_TRANSPARENT);
		}
		else
		{
			int xBox = rcItem.left + (nColumn - kCheckBoxSize) / 2;
			int yBox = rcItem.top + (nItemHeight - kCheckBoxSize) / 2;
			RECT rcCheck = {xBox, yBox, xBox + kCheckBoxSize, yBox + kCheckBoxSize};
			Fill(hDC, rcCheck, crChecked);
			Frame(hDC, rcCheck, colors.crFrame);
			DrawMark(hDC, xBox + 5, yBox + 4, colors.crText, bRadio);
		}
	}

	COLORREF crText = colors.crText;
	if (bGrayed)
		crText = bSelected || bXpLook ? ::GetSysColor(COLOR_GRAYTEXT) : BlendTowardWhite(::GetSysColor(COLOR_GRAYTEXT), 0.4);
	DrawItemText(hDC, rcItem, item.m_strText, rcItem.left + nColumn + kTextGap, crText);
}

void CFlatMenu::DrawClassicItem(HDC hDC, const RECT& rcItem, const OwnerMenuItem& item, UINT nState, bool bRadio) const
{
	const bool bXpLook = StyleInForce().bXpLook;
	const COLORREF crMenu = ::GetSysColor(COLOR_MENU);
	const COLORREF crLight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
	const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
	const bool bGrayed = IsGrayed(nState);
	const bool bSelected = (nState & ODS_SELECTED) != 0 && (!bGrayed || SelectGrayedItems);
	const bool bChecked = (nState & ODS_CHECKED) != 0;
	Fill(hDC, rcItem, crMenu);
	if (item.m_nMenuFlags & MF_SEPARATOR)
	{
		RECT rcLine = {rcItem.left, (rcItem.top + rcItem.bottom) / 2, rcItem.right, rcItem.bottom};
		::DrawEdge(hDC, &rcLine, EDGE_ETCHED, BF_TOP);
		return;
	}
	if (bSelected)
		Fill(hDC, RECT{rcItem.left + m_nImageWidth + 5, rcItem.top, rcItem.right, rcItem.bottom}, ::GetSysColor(COLOR_HIGHLIGHT));

	const RECT rcBox = {rcItem.left, rcItem.top, rcItem.left + m_nImageWidth + 4, rcItem.bottom};
	const int x = rcBox.left + 2;
	const int y = rcItem.top + std::max<int>(0, (rcItem.bottom - rcItem.top - m_nImageHeight + 1) / 2);
	const ItemImage image = FindItemImage(item);
	const COLORREF crCheckedBox = BlendTowardWhite(bXpLook ? ::GetSysColor(COLOR_BTNFACE) : crMenu, 0.6);
	if (image.hList)
	{
		if (bChecked)
			Fill(hDC, rcBox, crCheckedBox);
		if (bGrayed)
			DrawDisabledImage(hDC, image, x, y);
		else
			::ImageList_Draw(image.hList, image.nIndex, hDC, x, y, ILD_TRANSPARENT);
		if (bSelected)
			Draw3dBox(hDC, rcBox, crLight, crShadow);
		else if (bChecked)
			Draw3dBox(hDC, rcBox, crShadow, crLight);
	}
	else if (bChecked)
	{
		if (!bSelected)
			Fill(hDC, rcBox, crCheckedBox);
		Draw3dBox(hDC, rcBox, crShadow, crLight);
		DrawMark(hDC, rcBox.left + (rcBox.right - rcBox.left - 7) / 2, rcItem.top + (rcItem.bottom - rcItem.top - 6) / 2,
			::GetSysColor(COLOR_MENUTEXT), bRadio);
	}

	const int xText = rcItem.left + m_nImageWidth + 9;
	if (bGrayed)
	{
		RECT rcShifted = {rcItem.left + 1, rcItem.top + 1, rcItem.right + 1, rcItem.bottom + 1};
		DrawItemText(hDC, rcShifted, item.m_strText, xText + 1, crLight);
		DrawItemText(hDC, rcItem, item.m_strText, xText, ::GetSysColor(COLOR_GRAYTEXT));
	}
	else
		DrawItemText(hDC, rcItem, item.m_strText, xText, ::GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
}

void CFlatMenu::DrawItemText(HDC hDC, const RECT& rcItem, const std::wstring& strText, int xText, COLORREF crText) const
{
	RECT rcText = {xText, rcItem.top, rcItem.right, rcItem.bottom};
	int nOldMode = ::SetBkMode(hDC, TRANSPARENT);
	COLORREF crOld = ::SetTextColor(hDC, crText);
	const UINT nFormat = DT_SINGLELINE | DT_VCENTER;
	std::wstring strLeft = strText.substr(0, strText.find(L'\t'));
	::DrawTextW(hDC, strLeft.c_str(), static_cast<int>(strLeft.size()), &rcText, nFormat | DT_LEFT);
	size_t nLastTab = strText.rfind(L'\t');
	if (nLastTab != std::wstring::npos)
	{
		std::wstring strRight = strText.substr(nLastTab + 1);
		rcText.right -= m_nImageWidth;
		::DrawTextW(hDC, strRight.c_str(), static_cast<int>(strRight.size()), &rcText, nFormat | DT_RIGHT);
	}
	::SetTextColor(hDC, crOld);
	::SetBkMode(hDC, nOldMode);
}

void CFlatMenu::DrawDisabledImage(HDC hDC, const ItemImage& image, int x, int y) const
{
	const int cx = m_nImageWidth;
	const int cy = m_nImageHeight;
	CBitmap bmpMono(::CreateBitmap(cx, cy, 1, 1, nullptr));
	if (bmpMono.IsNull())
		return;
	if (m_nDisabledMethod != 0)
	{
		// The image on white, through a one-bit device-independent bitmap: its dark pixels become 0.
		CBitmap bmpColour(::CreateCompatibleBitmap(hDC, cx, cy));
		{
			CCompatibleDC dcColour(hDC);
			CSelectObject selColour(dcColour, bmpColour);
			Fill(dcColour, RECT{0, 0, cx, cy}, RGB(255, 255, 255));
			::ImageList_Draw(image.hList, image.nIndex, dcColour, 0, 0, ILD_TRANSPARENT);
		}
		struct
		{
			BITMAPINFOHEADER header;
			RGBQUAD colours[2];
		} bmi = {};
		bmi.header.biSize = sizeof(bmi.header);
		bmi.header.biWidth = cx;
		bmi.header.biHeight = cy;
		bmi.header.biPlanes = 1;
		bmi.header.biBitCount = 1;
		bmi.colours[1] = RGBQUAD{255, 255, 255, 0};
		std::vector<BYTE> bits(static_cast<size_t>((cx + 31) / 32 * 4) * cy);
		::GetDIBits(hDC, bmpColour, 0, cy, bits.data(), reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS);
		::SetDIBits(hDC, bmpMono, 0, cy, bits.data(), reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS);
	}
	CCompatibleDC dcMono(hDC);
	CSelectObject selMono(dcMono, bmpMono);
	// The highlight-and-shadow method takes the image's mask: 1 around the image, 0 on it.
	if (m_nDisabledMethod == 0)
		::ImageList_Draw(image.hList, image.nIndex, dcMono, 0, 0, ILD_MASK);
	DrawMono(hDC, x + 1, y + 1, cx, cy, dcMono, ::GetSysColor(COLOR_3DHILIGHT));
	DrawMono(hDC, x, y, cx, cy, dcMono, ::GetSysColor(COLOR_3DSHADOW));
}
