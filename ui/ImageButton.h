// CImageButton: an owner-drawn push button made of bitmap resources, one for each look (normal, under
// the mouse, pressed, disabled), composed off screen. With the transparent flag the images' key colour
// (their top-left pixel) is see-through and cuts the button's window to the image's shape. It has a
// tooltip and an optional check-box mode in which each click toggles the pressed look. Screen readers hear
// it as a push button named by its tooltip (ui/Accessible.h), whatever its window text.
#pragma once

#include "framework/Button.h"
#include "framework/Gdi.h"
#include "framework/ToolTipCtrl.h"
#include "ui/Accessible.h"
#include "ui/DpiScale.h"

#include <string>

class CImageButton : public CButton
{
public:
	CImageButton() = default;
	~CImageButton() override;

// Operations
	// Any of the first three ids 0: the button has no images afterwards. A disabled id 0 makes a grey
	// copy of the normal image. FALSE when a resource image cannot be loaded.
	BOOL SetImages(UINT nNormalID, UINT nHoverID, UINT nPressedID, UINT nDisabledID, BOOL bTransparent);
	// The tooltip's text, which names the button for screen readers at once. Its window is made now, or with
	// bMakeWindow FALSE (while none exists) by the next call that makes it: the player's start leaves it until
	// after its first paint.
	void SetTooltip(const char* pszText, BOOL bActivate, BOOL bMakeWindow = TRUE);
	// A new display scale (the owner's WM_DPICHANGED): the images are made again for it, and the tooltip,
	// whose font was chosen at its creation, is made anew.
	void SetScale(const CDpiScale& scale);

// Overridables
	void DrawItem(LPDRAWITEMSTRUCT pDrawItem) override;
	BOOL PreTranslateMessage(MSG* pMsg) override;

	BEGIN_MSG_MAP(CImageButton)
		MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
		MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
		MESSAGE_HANDLER(OCM_COMMAND, OnReflectedCommand)
		MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
		MESSAGE_HANDLER(WM_ENABLE, OnEnable)
		MESSAGE_HANDLER(WM_CANCELMODE, OnCancelMode)
		MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
		MESSAGE_HANDLER(OCM_CTLCOLORBTN, OnReflectedCtlColor)
		MESSAGE_HANDLER(BM_SETSTYLE, OnSetStyle)
		MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
		MESSAGE_HANDLER(BM_SETCHECK, OnSetCheck)
		MESSAGE_HANDLER(BM_GETCHECK, OnGetCheck)
		MESSAGE_HANDLER(WM_GETOBJECT, OnGetObject)
		MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
		CHAIN_MSG_MAP(CButton)
	END_MSG_MAP()

protected:
	void PreSubclassWindow() override;

private:
	LRESULT OnKillFocus(WPARAM, LPARAM);
	LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
	LRESULT OnReflectedCommand(WPARAM wParam, LPARAM);
	LRESULT OnActivate(WPARAM wParam, LPARAM);
	LRESULT OnEnable(WPARAM wParam, LPARAM);
	LRESULT OnCancelMode(WPARAM, LPARAM);
	LRESULT OnGetDlgCode(WPARAM, LPARAM);
	LRESULT OnReflectedCtlColor(WPARAM, LPARAM);
	LRESULT OnSetStyle(WPARAM wParam, LPARAM lParam);
	LRESULT OnMouseLeave(WPARAM, LPARAM);
	LRESULT OnSetCheck(WPARAM wParam, LPARAM);
	LRESULT OnGetCheck(WPARAM, LPARAM) { return m_nCheck; }
	LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
	LRESULT OnDestroy(WPARAM, LPARAM);

	void EnsureTooltip();
	// Leaves the hover look, if the button shows it.
	void LeaveHover();
	void ReleaseImages();
	// The look's resource image drawn for the button's scale, else the 100 % image enlarged to it.
	HBITMAP LoadLook(UINT nID) const;

	int m_bHover = 0;
	int m_bPressedLook = 0;
	int m_bDisabledLook = 0;
	int m_bCheckBox = 0;
	int m_bDefault = 0;
	int m_bTransparent = 0;
	CToolTipCtrl m_wndToolTip;
	int m_nCheck = 0;
	int m_nWidth = 0;
	int m_nHeight = 0;
	CBitmap m_bmpNormal;
	CBitmap m_bmpHover;
	CBitmap m_bmpPressed;
	CBitmap m_bmpDisabled;
	CBitmap m_bmpMask;
	CDpiScale m_dpi;
	UINT m_nImageIDs[4] = {};
	std::string m_strTip;
	int m_bTipActive = 0;
	CAccessibleButtonLink m_accessible;
};
