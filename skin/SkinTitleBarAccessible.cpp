#include "skin/SkinTitleBarAccessible.h"

#include "framework/WideText.h"
#include "skin/SkinFrame.h"

#include <algorithm>

class CSkinTitleBarAccessible : public CAccessibleObject
{
public:
	CSkinTitleBarAccessible(HWND hWnd, CSkinFrame* pFrame) : CAccessibleObject(hWnd, false), m_pFrame(pFrame) {}

	STDMETHODIMP get_accParent(IDispatch** ppParent) override;
	STDMETHODIMP get_accChildCount(LONG* pnCount) override;
	STDMETHODIMP get_accChild(VARIANT varChild, IDispatch** ppChild) override;
	STDMETHODIMP get_accName(VARIANT varChild, BSTR* pbstrName) override;
	STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
	STDMETHODIMP get_accState(VARIANT varChild, VARIANT* pvarState) override;
	STDMETHODIMP get_accDefaultAction(VARIANT varChild, BSTR* pbstrAction) override;
	STDMETHODIMP accLocation(LONG* px, LONG* py, LONG* pcx, LONG* pcy, VARIANT varChild) override;
	STDMETHODIMP accNavigate(LONG nDir, VARIANT varStart, VARIANT* pvarEnd) override;
	STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* pvarChild) override;
	STDMETHODIMP accDoDefaultAction(VARIANT varChild) override;

protected:
	void OnDisconnect() override { m_pFrame = nullptr; }

private:
	// The caption now and the button a variant names (null for the title bar itself): E_FAIL once cut off,
	// E_INVALIDARG for a child the caption does not have.
	HRESULT Read(const VARIANT& varChild, SkinCaption& caption, const SkinCaptionButton*& pButton) const;

	// Valid only until the frame disconnects the object: the frame's window or the frame itself is going.
	CSkinFrame* m_pFrame;
};

namespace
{
struct ButtonKind
{
	int nAction;
	int nHitCode;
};

const ButtonKind kButtonKinds[] = {{SKIN_ACTION_CLOSE, HTCLOSE}, {SKIN_ACTION_MINIMIZE, HTMINBUTTON},
	{SKIN_ACTION_MAXIMIZE, HTMAXBUTTON}, {SKIN_ACTION_TOPMOST, HT_SKIN_TOPMOST}, {SKIN_ACTION_MENU, HT_SKIN_MENU}};
}

HRESULT CSkinTitleBarAccessible::Read(const VARIANT& varChild, SkinCaption& caption,
	const SkinCaptionButton*& pButton) const
{
	pButton = nullptr;
	if (!m_pFrame || !GetHwnd() || !m_pFrame->DescribeCaption(caption))
		return E_FAIL;
	LONG nChild = 0;
	if (!ChildOf(varChild, nChild) || nChild < 0 || nChild > static_cast<LONG>(caption.buttons.size()))
		return E_INVALIDARG;
	if (nChild != CHILDID_SELF)
		pButton = &caption.buttons[static_cast<size_t>(nChild) - 1];
	return S_OK;
}

STDMETHODIMP CSkinTitleBarAccessible::get_accParent(IDispatch** ppParent)
{
	if (!ppParent)
		return E_POINTER;
	*ppParent = nullptr;
	HWND hWnd = m_pFrame ? GetHwnd() : nullptr;
	return hWnd ? ::AccessibleObjectFromWindow(hWnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(ppParent))
		: E_FAIL;
}

STDMETHODIMP CSkinTitleBarAccessible::get_accChildCount(LONG* pnCount)
{
	if (!pnCount)
		return E_POINTER;
	*pnCount = 0;
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	VARIANT varSelf = {};
	SetChild(&varSelf, CHILDID_SELF);
	HRESULT hr = Read(varSelf, caption, pButton);
	if (SUCCEEDED(hr))
		*pnCount = static_cast<LONG>(caption.buttons.size());
	return hr;
}

STDMETHODIMP CSkinTitleBarAccessible::get_accChild(VARIANT varChild, IDispatch** ppChild)
{
	if (!ppChild)
		return E_POINTER;
	*ppChild = nullptr;
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	// The buttons are simple elements of the title bar, not objects of their own.
	return FAILED(hr) ? hr : pButton ? S_FALSE : E_INVALIDARG;
}

STDMETHODIMP CSkinTitleBarAccessible::get_accName(VARIANT varChild, BSTR* pbstrName)
{
	if (!pbstrName)
		return E_POINTER;
	*pbstrName = nullptr;
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	return FAILED(hr) ? hr : Text(pButton ? pButton->strName : caption.strTitle, pbstrName);
}

STDMETHODIMP CSkinTitleBarAccessible::get_accRole(VARIANT varChild, VARIANT* pvarRole)
{
	if (!pvarRole)
		return E_POINTER;
	::VariantInit(pvarRole);
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	if (SUCCEEDED(hr))
		SetChild(pvarRole, pButton ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_TITLEBAR);
	return hr;
}

STDMETHODIMP CSkinTitleBarAccessible::get_accState(VARIANT varChild, VARIANT* pvarState)
{
	if (!pvarState)
		return E_POINTER;
	::VariantInit(pvarState);
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	if (SUCCEEDED(hr))
		SetChild(pvarState, pButton ? pButton->nState : caption.nState);
	return hr;
}

STDMETHODIMP CSkinTitleBarAccessible::get_accDefaultAction(VARIANT varChild, BSTR* pbstrAction)
{
	if (!pbstrAction)
		return E_POINTER;
	*pbstrAction = nullptr;
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	return FAILED(hr) ? hr : pButton ? Text(kPressAction, pbstrAction) : DISP_E_MEMBERNOTFOUND;
}

STDMETHODIMP CSkinTitleBarAccessible::accLocation(LONG* px, LONG* py, LONG* pcx, LONG* pcy, VARIANT varChild)
{
	if (!px || !py || !pcx || !pcy)
		return E_POINTER;
	*px = *py = *pcx = *pcy = 0;
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	if (FAILED(hr))
		return hr;
	const RECT& rc = pButton ? pButton->rc : caption.rc;
	*px = rc.left;
	*py = rc.top;
	*pcx = rc.right - rc.left;
	*pcy = rc.bottom - rc.top;
	return S_OK;
}

STDMETHODIMP CSkinTitleBarAccessible::accNavigate(LONG nDir, VARIANT varStart, VARIANT* pvarEnd)
{
	if (!pvarEnd)
		return E_POINTER;
	::VariantInit(pvarEnd);
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varStart, caption, pButton);
	if (FAILED(hr))
		return hr;
	// The buttons lie in a row, left to right; from the title bar itself only its first and last child.
	const LONG nCount = static_cast<LONG>(caption.buttons.size());
	const LONG nFrom = pButton ? static_cast<LONG>(pButton - caption.buttons.data()) + 1 : CHILDID_SELF;
	LONG nTo = 0;
	if (nFrom == CHILDID_SELF)
		nTo = nDir == NAVDIR_FIRSTCHILD ? 1 : nDir == NAVDIR_LASTCHILD ? nCount : 0;
	else if (nDir == NAVDIR_NEXT || nDir == NAVDIR_RIGHT)
		nTo = nFrom + 1;
	else if (nDir == NAVDIR_PREVIOUS || nDir == NAVDIR_LEFT)
		nTo = nFrom - 1;
	if (nTo < 1 || nTo > nCount)
		return S_FALSE;
	SetChild(pvarEnd, nTo);
	return S_OK;
}

STDMETHODIMP CSkinTitleBarAccessible::accHitTest(LONG x, LONG y, VARIANT* pvarChild)
{
	if (!pvarChild)
		return E_POINTER;
	::VariantInit(pvarChild);
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	VARIANT varSelf = {};
	SetChild(&varSelf, CHILDID_SELF);
	HRESULT hr = Read(varSelf, caption, pButton);
	if (FAILED(hr))
		return hr;
	// The frame's own hit testing decides, so that a reader and the mouse agree on every pixel.
	const POINT pt = {x, y};
	const int nCode = m_pFrame->HitTestScreen(pt);
	for (size_t i = 0; i < caption.buttons.size(); ++i)
	{
		if (caption.buttons[i].nHitCode == nCode)
		{
			SetChild(pvarChild, static_cast<LONG>(i) + 1);
			return S_OK;
		}
	}
	if (!::PtInRect(&caption.rc, pt))
		return S_FALSE;
	SetChild(pvarChild, CHILDID_SELF);
	return S_OK;
}

STDMETHODIMP CSkinTitleBarAccessible::accDoDefaultAction(VARIANT varChild)
{
	SkinCaption caption;
	const SkinCaptionButton* pButton = nullptr;
	HRESULT hr = Read(varChild, caption, pButton);
	if (FAILED(hr))
		return hr;
	if (!pButton)
		return DISP_E_MEMBERNOTFOUND;
	// A button that is not drawn, or whose window takes no input, cannot be clicked either.
	if (pButton->nState & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE))
		return E_FAIL;
	// m_pFrame is valid: Read checked it, and nothing of the frame ran since.
	return m_pFrame->PressCaptionButton(pButton->nHitCode) ? S_OK : E_FAIL;
}

CSkinCaptionAccess::~CSkinCaptionAccess()
{
	Disconnect();
}

UINT CSkinCaptionAccess::PressMessage()
{
	static const UINT s_nMessage = ::RegisterWindowMessageW(L"QuiloSkinFrame.PressCaptionButton");
	return s_nMessage;
}

LRESULT CSkinCaptionAccess::OnGetObject(CSkinFrame& frame, WPARAM wParam, LPARAM lParam)
{
	// The object id is a 32-bit value, whatever the width of lParam.
	HWND hWnd = frame.GetHwnd();
	if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_TITLEBAR) || !hWnd)
		return 0;
	if (!m_pObject)
		m_pObject = CComPtr<CAccessibleObject>(new CSkinTitleBarAccessible(hWnd, &frame));
	return m_pObject->Lresult(wParam);
}

void CSkinCaptionAccess::Announce(const CSkinFrame& frame)
{
	SkinCaption caption;
	HWND hWnd = frame.GetHwnd();
	if (!hWnd || !frame.DescribeCaption(caption))
		return;
	if (m_bKnown)
	{
		auto sameButton = [](const SkinCaptionButton& a, const SkinCaptionButton& b) {
			return a.nHitCode == b.nHitCode;
		};
		bool bSameButtons = std::equal(caption.buttons.begin(), caption.buttons.end(), m_last.buttons.begin(),
			m_last.buttons.end(), sameButton);
		if (caption.strTitle != m_last.strTitle)
			::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_TITLEBAR, CHILDID_SELF);
		if (!bSameButtons || m_bSkinChanged)
			::NotifyWinEvent(EVENT_OBJECT_REORDER, hWnd, OBJID_TITLEBAR, CHILDID_SELF);
		for (size_t i = 0; bSameButtons && i < caption.buttons.size(); ++i)
		{
			const LONG nChild = static_cast<LONG>(i) + 1;
			if (caption.buttons[i].strName != m_last.buttons[i].strName)
				::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_TITLEBAR, nChild);
			if (caption.buttons[i].nState != m_last.buttons[i].nState)
				::NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hWnd, OBJID_TITLEBAR, nChild);
		}
	}
	m_last = std::move(caption);
	m_bKnown = true;
	m_bSkinChanged = false;
}

void CSkinCaptionAccess::Disconnect()
{
	if (m_pObject)
		m_pObject->Disconnect();
	m_pObject.Release();
	m_bKnown = false;
}

BOOL CSkinFrame::DescribeCaption(SkinCaption& caption) const
{
	HWND hWnd = GetHwnd();
	if (!m_bLoaded || !hWnd)
		return FALSE;
	RECT rcWindow = {};
	::GetWindowRect(hWnd, &rcWindow);
	caption.rc = RECT{rcWindow.left, rcWindow.top, rcWindow.right, rcWindow.top + m_nCaptionHeight};
	// The window's own text, read as UTF-16: no code page comes between it and the reader.
	int nLength = ::GetWindowTextLengthW(hWnd);
	caption.strTitle.assign(static_cast<size_t>(std::max(nLength, 0)) + 1, L'\0');
	caption.strTitle.resize(static_cast<size_t>(::GetWindowTextW(hWnd, &caption.strTitle[0], nLength + 1)));
	// Minimised, the platform draws the window; a disabled window (behind a modal box) takes no clicks.
	caption.nState = (::IsWindowVisible(hWnd) && !::IsIconic(hWnd) ? 0 : STATE_SYSTEM_INVISIBLE)
		| (::IsWindowEnabled(hWnd) ? 0 : STATE_SYSTEM_UNAVAILABLE);
	caption.buttons.clear();
	for (const ButtonKind& kind : kButtonKinds)
	{
		RECT rc = GetButtonRect(kind.nAction);
		if (!IsButtonShown(kind.nAction) || ::IsRectEmpty(&rc))
			continue;
		::OffsetRect(&rc, rcWindow.left, rcWindow.top);
		// Named for what a press does now, as the system names its own buttons (code page 936 texts).
		const char* pszName = kind.nAction == SKIN_ACTION_CLOSE ? "关闭"
			: kind.nAction == SKIN_ACTION_MINIMIZE ? "最小化"
			: kind.nAction == SKIN_ACTION_MAXIMIZE ? (m_nWindowState == SKIN_STATE_MAXIMIZED ? "还原" : "最大化")
			: kind.nAction == SKIN_ACTION_TOPMOST ? (m_bTopmost ? "取消置顶" : "置顶") : "菜单";
		const int nLook = GetButtonState(kind.nHitCode);
		const LONG nLookState = nLook == 1 ? STATE_SYSTEM_PRESSED : nLook == 2 ? STATE_SYSTEM_HOTTRACKED : 0;
		caption.buttons.push_back(SkinCaptionButton{kind.nHitCode, rc, ToWide(pszName), caption.nState | nLookState});
	}
	std::stable_sort(caption.buttons.begin(), caption.buttons.end(),
		[](const SkinCaptionButton& a, const SkinCaptionButton& b) { return a.rc.left < b.rc.left; });
	return TRUE;
}

BOOL CSkinFrame::PressCaptionButton(int nHitCode)
{
	SkinCaption caption;
	if (!DescribeCaption(caption))
		return FALSE;
	for (const SkinCaptionButton& button : caption.buttons)
	{
		// Released at the button's lower-left corner: the menu button's menu opens there, as from the keyboard.
		if (button.nHitCode == nHitCode)
			return ::PostMessageW(GetHwnd(), CSkinCaptionAccess::PressMessage(), static_cast<WPARAM>(nHitCode),
				MAKELPARAM(button.rc.left, button.rc.bottom));
	}
	return FALSE;
}

BOOL CSkinFrame::AttachToHandle(HWND hWnd)
{
	m_access.Disconnect();
	return CSubclassWnd::AttachToHandle(hWnd);
}
