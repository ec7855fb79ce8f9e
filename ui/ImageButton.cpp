#include "ui/ImageButton.h"

#include "framework/WinApp.h"
#include "ui/BitmapTools.h"

namespace
{
const UINT kButtonTypeMask = 0x0F;
const UINT_PTR kToolId = 1;
const int kMaxTipWidth = 400;
// Images drawn for a scale sit at the 100 % image's id plus this step for each 25 % above 100 %.
const UINT kScaledImageIdStep = 1000;
}

CImageButton::~CImageButton()
{
	ReleaseImages();
}

void CImageButton::ReleaseImages()
{
	m_bmpNormal.DeleteObject();
	m_bmpHover.DeleteObject();
	m_bmpPressed.DeleteObject();
	m_bmpDisabled.DeleteObject();
	m_bmpMask.DeleteObject();
}

void CImageButton::PreSubclassWindow()
{
	DWORD dwStyle = GetStyle();
	UINT nType = dwStyle & kButtonTypeMask;
	m_bCheckBox = (nType & BS_CHECKBOX) != 0;
	m_bDefault = nType == BS_DEFPUSHBUTTON;
	::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>((dwStyle & ~kButtonTypeMask) | BS_OWNERDRAW));
	m_dpi = CDpiScale::ForWindow(m_hWnd);
	SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
	CButton::PreSubclassWindow();
}

BOOL CImageButton::SetImages(UINT nNormalID, UINT nHoverID, UINT nPressedID, UINT nDisabledID, BOOL bTransparent)
{
	ReleaseImages();
	m_nImageIDs[0] = nNormalID;
	m_nImageIDs[1] = nHoverID;
	m_nImageIDs[2] = nPressedID;
	m_nImageIDs[3] = nDisabledID;
	if (!nNormalID || !nHoverID || !nPressedID)
		return TRUE;
	m_bTransparent = bTransparent;

	CBitmap* looks[] = {&m_bmpNormal, &m_bmpHover, &m_bmpPressed};
	for (int i = 0; i < 3; ++i)
	{
		looks[i]->Attach(LoadLook(m_nImageIDs[i]));
		if (looks[i]->IsNull())
			return FALSE;
	}
	if (!nDisabledID)
	{
		int nKey = bTransparent ? 0 : -1;
		MakeGreyImage(m_bmpNormal, m_bmpDisabled, nKey, nKey);
	}
	else
	{
		m_bmpDisabled.Attach(LoadLook(nDisabledID));
		if (m_bmpDisabled.IsNull())
			return FALSE;
	}

	SIZE size = GetBitmapSize(m_bmpNormal);
	m_nWidth = size.cx;
	m_nHeight = size.cy;
	SetWindowPos(nullptr, 0, 0, m_nWidth, m_nHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

	if (bTransparent)
	{
		// Each image's key pixels turn black; the mask that stays is the last one made.
		for (CBitmap* pImage : {&m_bmpNormal, &m_bmpHover, &m_bmpPressed, &m_bmpDisabled})
			MakeMask(*pImage, m_bmpMask, 0, 0);
		// The normal image is black where it was key-coloured, so its black pixels are cut too.
		SetWindowRgn(RegionFromImage(m_bmpNormal, RGB(0, 0, 0)), TRUE);
	}
	Invalidate(TRUE);
	return TRUE;
}

HBITMAP CImageButton::LoadLook(UINT nID) const
{
	HINSTANCE hInstance = AfxGetResourceHandle();
	const int nPercent = m_dpi.GetPercent();
	if (nPercent > 100 && nPercent % 25 == 0)
	{
		const UINT nScaledID = nID + kScaledImageIdStep * static_cast<UINT>((nPercent - 100) / 25);
		if (::FindResourceW(hInstance, MAKEINTRESOURCEW(nScaledID), MAKEINTRESOURCEW(2)))
			return ::LoadBitmapW(hInstance, MAKEINTRESOURCEW(nScaledID));
	}
	// Enlarged by nearest neighbour, so that the key colour that cuts the button's shape stays exact.
	CBitmap image(::LoadBitmapW(hInstance, MAKEINTRESOURCEW(nID)));
	if (image.IsNull() || m_dpi.IsBase())
		return image.Detach();
	HBITMAP hEnlarged = EnlargeNearest(image, 1, 1, m_dpi);
	return hEnlarged ? hEnlarged : image.Detach();
}

void CImageButton::SetScale(const CDpiScale& scale)
{
	if (scale.GetDpi() == m_dpi.GetDpi())
		return;
	m_dpi = scale;
	if (m_nImageIDs[0])
		SetImages(m_nImageIDs[0], m_nImageIDs[1], m_nImageIDs[2], m_nImageIDs[3], m_bTransparent);
	if (m_wndToolTip.GetSafeHwnd())
	{
		m_wndToolTip.Destroy();
		if (!m_strTip.empty())
			SetTooltip(m_strTip.c_str(), m_bTipActive);
	}
}

void CImageButton::EnsureTooltip()
{
	if (m_wndToolTip.GetSafeHwnd())
		return;
	m_wndToolTip.Create(this, 0);
	m_wndToolTip.Activate(FALSE);
	m_wndToolTip.SetMaxTipWidth(kMaxTipWidth);
}

void CImageButton::SetTooltip(const char* pszText, BOOL bActivate, BOOL bMakeWindow)
{
	if (!pszText)
		return;
	m_strTip = pszText;
	m_bTipActive = bActivate;
	if (bMakeWindow || m_wndToolTip.GetSafeHwnd())
	{
		EnsureTooltip();
		if (m_wndToolTip.GetToolCount() == 0)
		{
			RECT rcClient;
			GetClientRect(&rcClient);
			m_wndToolTip.AddTool(this, pszText, rcClient, kToolId);
		}
		m_wndToolTip.UpdateTipText(pszText, this, kToolId);
		m_wndToolTip.Activate(bActivate);
	}
	m_accessible.SetName(m_hWnd, pszText);
}

BOOL CImageButton::PreTranslateMessage(MSG* pMsg)
{
	// The tooltip is made by SetTooltip, when its owner chooses (the player: after its first paint); until
	// then the button's messages have no tooltip to reach.
	if (m_wndToolTip.GetSafeHwnd())
		m_wndToolTip.RelayEvent(pMsg);
	// Fast clicks count one by one: the button's double click would be a single notification.
	if (pMsg->message == WM_LBUTTONDBLCLK)
		pMsg->message = WM_LBUTTONDOWN;
	return CButton::PreTranslateMessage(pMsg);
}

void CImageButton::DrawItem(LPDRAWITEMSTRUCT pDrawItem)
{
	m_bPressedLook = (pDrawItem->itemState & ODS_SELECTED) != 0 || (m_bCheckBox && m_nCheck);
	m_bDisabledLook = (pDrawItem->itemState & ODS_DISABLED) != 0;
	if (m_nWidth <= 0 || m_nHeight <= 0)
		return;

	HDC hDC = pDrawItem->hDC;
	CCompatibleDC dcMemory(hDC);
	CBitmap bmpMemory(::CreateCompatibleBitmap(hDC, m_nWidth, m_nHeight));
	if (!dcMemory || bmpMemory.IsNull())
		return;
	CSelectObject selMemory(dcMemory, bmpMemory);
	if (m_bTransparent)
		::BitBlt(dcMemory, 0, 0, m_nWidth, m_nHeight, hDC, 0, 0, SRCCOPY);

	HBITMAP hImage = m_bmpNormal;
	if (m_bDisabledLook)
		hImage = m_bmpDisabled;
	else if (m_bPressedLook)
		hImage = m_bmpPressed;
	else if (m_bHover)
		hImage = m_bmpHover;
	DrawMasked(hImage, dcMemory, 0, 0, m_nWidth, m_nHeight, 0, 0, m_bTransparent ? m_bmpMask.GetSafeHandle() : nullptr);
	::BitBlt(hDC, 0, 0, m_nWidth, m_nHeight, dcMemory, 0, 0, SRCCOPY);
}

void CImageButton::LeaveHover()
{
	if (!m_bHover)
		return;
	m_bHover = 0;
	Invalidate(TRUE);
}

LRESULT CImageButton::OnKillFocus(WPARAM, LPARAM)
{
	LRESULT lResult = Default();
	LeaveHover();
	return lResult;
}

LRESULT CImageButton::OnMouseMove(WPARAM wParam, LPARAM lParam)
{
	LRESULT lResult = Default();
	POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
	ClientToScreen(&pt);
	HWND hWndUnder = ::WindowFromPoint(pt);
	// A press that started elsewhere does not light the button up.
	if ((wParam & MK_LBUTTON) && !m_bHover)
		return lResult;
	if (hWndUnder != m_hWnd)
	{
		LeaveHover();
		return lResult;
	}
	if (!m_bHover)
	{
		m_bHover = 1;
		Invalidate(TRUE);
		TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
		::_TrackMouseEvent(&tme);
	}
	return lResult;
}

LRESULT CImageButton::OnReflectedCommand(WPARAM wParam, LPARAM)
{
	if (HIWORD(wParam) != BN_CLICKED)
		return 0;
	SetFocus();
	if (m_bCheckBox)
	{
		m_nCheck = !m_nCheck;
		Invalidate(TRUE);
	}
	return 0;
}

LRESULT CImageButton::OnActivate(WPARAM wParam, LPARAM)
{
	LRESULT lResult = Default();
	if (LOWORD(wParam) == WA_INACTIVE)
		LeaveHover();
	return lResult;
}

LRESULT CImageButton::OnEnable(WPARAM wParam, LPARAM)
{
	LRESULT lResult = Default();
	if (!wParam)
	{
		HWND hWndParent = GetParent();
		HWND hWndNext = ::GetNextDlgTabItem(hWndParent, m_hWnd, FALSE);
		::SetFocus(hWndNext && hWndNext != m_hWnd ? hWndNext : hWndParent);
		LeaveHover();
	}
	return lResult;
}

LRESULT CImageButton::OnCancelMode(WPARAM, LPARAM)
{
	LRESULT lResult = Default();
	LeaveHover();
	return lResult;
}

LRESULT CImageButton::OnGetDlgCode(WPARAM, LPARAM)
{
	return Default() | (m_bDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

LRESULT CImageButton::OnReflectedCtlColor(WPARAM, LPARAM)
{
	return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT CImageButton::OnSetStyle(WPARAM wParam, LPARAM lParam)
{
	UINT nType = static_cast<UINT>(wParam) & kButtonTypeMask;
	if (nType == BS_PUSHBUTTON || nType == BS_DEFPUSHBUTTON)
		m_bDefault = nType;
	return DefaultWith(BM_SETSTYLE, (wParam & ~static_cast<WPARAM>(kButtonTypeMask)) | BS_OWNERDRAW, lParam);
}

LRESULT CImageButton::OnMouseLeave(WPARAM, LPARAM)
{
	LeaveHover();
	return 0;
}

LRESULT CImageButton::OnSetCheck(WPARAM wParam, LPARAM)
{
	if (m_bCheckBox)
	{
		m_nCheck = wParam == BST_CHECKED || wParam == BST_INDETERMINATE;
		Invalidate(TRUE);
	}
	return 0;
}

LRESULT CImageButton::OnGetObject(WPARAM wParam, LPARAM lParam)
{
	LRESULT lResult = m_accessible.OnGetObject(m_hWnd, wParam, lParam);
	return lResult ? lResult : Default();
}

LRESULT CImageButton::OnDestroy(WPARAM, LPARAM)
{
	m_accessible.Disconnect();
	return Default();
}
