#include "ui/Accessible.h"

#include "framework/WideText.h"

// Every IAccessible call that the derived class leaves: the standard object's answer, E_FAIL once cut off.
#define QUILO_STANDARD_ANSWER(call) \
	if (!GetHwnd()) \
		return E_FAIL; \
	return m_pStandard ? m_pStandard->call : DISP_E_MEMBERNOTFOUND

namespace
{
void Clear(BSTR* pbstr)
{
	if (pbstr)
		*pbstr = nullptr;
}

void Clear(VARIANT* pvar)
{
	if (pvar)
		::VariantInit(pvar);
}
}

CAccessibleObject::CAccessibleObject(HWND hWnd, bool bStandardClient)
	: m_hWnd(hWnd)
{
	if (bStandardClient)
		::CreateStdAccessibleObject(hWnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&m_pStandard));
}

LRESULT CAccessibleObject::Lresult(WPARAM wParam)
{
	return GetHwnd() ? ::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(this)) : 0;
}

void CAccessibleObject::Disconnect()
{
	if (!m_hWnd)
		return;
	m_hWnd = nullptr;
	m_pStandard.Release();
	OnDisconnect();
	// The stubs' references go; a proxy's next call fails with RPC_E_DISCONNECTED.
	AddRef();
	::CoDisconnectObject(static_cast<IAccessible*>(this), 0);
	Release();
}

bool CAccessibleObject::ChildOf(const VARIANT& var, LONG& nChild)
{
	if (var.vt != VT_I4)
		return false;
	nChild = var.lVal;
	return true;
}

HRESULT CAccessibleObject::Text(const std::wstring& str, BSTR* pbstr)
{
	if (!pbstr)
		return E_POINTER;
	*pbstr = ::SysAllocStringLen(str.data(), static_cast<UINT>(str.size()));
	return *pbstr ? S_OK : E_OUTOFMEMORY;
}

HRESULT CAccessibleObject::Text(const char* psz, BSTR* pbstr)
{
	return Text(ToWide(psz), pbstr);
}

void CAccessibleObject::SetChild(VARIANT* pvar, LONG nChild)
{
	pvar->vt = VT_I4;
	pvar->lVal = nChild;
}

STDMETHODIMP CAccessibleObject::QueryInterface(REFIID riid, void** ppv)
{
	if (!ppv)
		return E_POINTER;
	if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible))
	{
		*ppv = static_cast<IAccessible*>(this);
		AddRef();
		return S_OK;
	}
	*ppv = nullptr;
	return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CAccessibleObject::AddRef()
{
	return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}

STDMETHODIMP_(ULONG) CAccessibleObject::Release()
{
	LONG nRefs = ::InterlockedDecrement(&m_nRefs);
	if (nRefs == 0)
		delete this;
	return static_cast<ULONG>(nRefs);
}

STDMETHODIMP CAccessibleObject::GetTypeInfoCount(UINT* pnCount)
{
	if (!pnCount)
		return E_POINTER;
	*pnCount = 0;
	return S_OK;
}

STDMETHODIMP CAccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo)
{
	if (ppInfo)
		*ppInfo = nullptr;
	return E_NOTIMPL;
}

STDMETHODIMP CAccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
	return E_NOTIMPL;
}

STDMETHODIMP CAccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
	return E_NOTIMPL;
}

STDMETHODIMP CAccessibleObject::get_accParent(IDispatch** ppParent)
{
	if (ppParent)
		*ppParent = nullptr;
	QUILO_STANDARD_ANSWER(get_accParent(ppParent));
}

STDMETHODIMP CAccessibleObject::get_accChildCount(LONG* pnCount)
{
	if (pnCount)
		*pnCount = 0;
	QUILO_STANDARD_ANSWER(get_accChildCount(pnCount));
}

STDMETHODIMP CAccessibleObject::get_accChild(VARIANT varChild, IDispatch** ppChild)
{
	if (ppChild)
		*ppChild = nullptr;
	QUILO_STANDARD_ANSWER(get_accChild(varChild, ppChild));
}

STDMETHODIMP CAccessibleObject::get_accName(VARIANT varChild, BSTR* pbstrName)
{
	Clear(pbstrName);
	QUILO_STANDARD_ANSWER(get_accName(varChild, pbstrName));
}

STDMETHODIMP CAccessibleObject::get_accValue(VARIANT varChild, BSTR* pbstrValue)
{
	Clear(pbstrValue);
	QUILO_STANDARD_ANSWER(get_accValue(varChild, pbstrValue));
}

STDMETHODIMP CAccessibleObject::get_accDescription(VARIANT varChild, BSTR* pbstrDescription)
{
	Clear(pbstrDescription);
	QUILO_STANDARD_ANSWER(get_accDescription(varChild, pbstrDescription));
}

STDMETHODIMP CAccessibleObject::get_accRole(VARIANT varChild, VARIANT* pvarRole)
{
	Clear(pvarRole);
	QUILO_STANDARD_ANSWER(get_accRole(varChild, pvarRole));
}

STDMETHODIMP CAccessibleObject::get_accState(VARIANT varChild, VARIANT* pvarState)
{
	Clear(pvarState);
	QUILO_STANDARD_ANSWER(get_accState(varChild, pvarState));
}

STDMETHODIMP CAccessibleObject::get_accHelp(VARIANT varChild, BSTR* pbstrHelp)
{
	Clear(pbstrHelp);
	QUILO_STANDARD_ANSWER(get_accHelp(varChild, pbstrHelp));
}

STDMETHODIMP CAccessibleObject::get_accHelpTopic(BSTR* pbstrHelpFile, VARIANT varChild, LONG* pnTopic)
{
	Clear(pbstrHelpFile);
	QUILO_STANDARD_ANSWER(get_accHelpTopic(pbstrHelpFile, varChild, pnTopic));
}

STDMETHODIMP CAccessibleObject::get_accKeyboardShortcut(VARIANT varChild, BSTR* pbstrShortcut)
{
	Clear(pbstrShortcut);
	QUILO_STANDARD_ANSWER(get_accKeyboardShortcut(varChild, pbstrShortcut));
}

STDMETHODIMP CAccessibleObject::get_accFocus(VARIANT* pvarChild)
{
	Clear(pvarChild);
	QUILO_STANDARD_ANSWER(get_accFocus(pvarChild));
}

STDMETHODIMP CAccessibleObject::get_accSelection(VARIANT* pvarChildren)
{
	Clear(pvarChildren);
	QUILO_STANDARD_ANSWER(get_accSelection(pvarChildren));
}

STDMETHODIMP CAccessibleObject::get_accDefaultAction(VARIANT varChild, BSTR* pbstrAction)
{
	Clear(pbstrAction);
	QUILO_STANDARD_ANSWER(get_accDefaultAction(varChild, pbstrAction));
}

STDMETHODIMP CAccessibleObject::accSelect(LONG nFlags, VARIANT varChild)
{
	QUILO_STANDARD_ANSWER(accSelect(nFlags, varChild));
}

STDMETHODIMP CAccessibleObject::accLocation(LONG* px, LONG* py, LONG* pcx, LONG* pcy, VARIANT varChild)
{
	for (LONG* p : {px, py, pcx, pcy})
		if (p)
			*p = 0;
	QUILO_STANDARD_ANSWER(accLocation(px, py, pcx, pcy, varChild));
}

STDMETHODIMP CAccessibleObject::accNavigate(LONG nDir, VARIANT varStart, VARIANT* pvarEnd)
{
	Clear(pvarEnd);
	QUILO_STANDARD_ANSWER(accNavigate(nDir, varStart, pvarEnd));
}

STDMETHODIMP CAccessibleObject::accHitTest(LONG x, LONG y, VARIANT* pvarChild)
{
	Clear(pvarChild);
	QUILO_STANDARD_ANSWER(accHitTest(x, y, pvarChild));
}

STDMETHODIMP CAccessibleObject::accDoDefaultAction(VARIANT varChild)
{
	QUILO_STANDARD_ANSWER(accDoDefaultAction(varChild));
}

STDMETHODIMP CAccessibleObject::put_accName(VARIANT varChild, BSTR bstrName)
{
	QUILO_STANDARD_ANSWER(put_accName(varChild, bstrName));
}

STDMETHODIMP CAccessibleObject::put_accValue(VARIANT varChild, BSTR bstrValue)
{
	QUILO_STANDARD_ANSWER(put_accValue(varChild, bstrValue));
}

STDMETHODIMP CAccessibleButton::get_accName(VARIANT varChild, BSTR* pbstrName)
{
	LONG nChild = 0;
	if (m_strName.empty() || !ChildOf(varChild, nChild) || nChild != CHILDID_SELF)
		return CAccessibleObject::get_accName(varChild, pbstrName);
	Clear(pbstrName);
	return GetHwnd() ? Text(m_strName, pbstrName) : E_FAIL;
}

STDMETHODIMP CAccessibleButton::get_accRole(VARIANT varChild, VARIANT* pvarRole)
{
	LONG nChild = 0;
	if (!ChildOf(varChild, nChild) || nChild != CHILDID_SELF)
		return CAccessibleObject::get_accRole(varChild, pvarRole);
	Clear(pvarRole);
	if (!GetHwnd())
		return E_FAIL;
	SetChild(pvarRole, ROLE_SYSTEM_PUSHBUTTON);
	return S_OK;
}

STDMETHODIMP CAccessibleButton::get_accDefaultAction(VARIANT varChild, BSTR* pbstrAction)
{
	LONG nChild = 0;
	if (!ChildOf(varChild, nChild) || nChild != CHILDID_SELF)
		return CAccessibleObject::get_accDefaultAction(varChild, pbstrAction);
	Clear(pbstrAction);
	return GetHwnd() ? Text(kPressAction, pbstrAction) : E_FAIL;
}

STDMETHODIMP CAccessibleButton::accDoDefaultAction(VARIANT varChild)
{
	LONG nChild = 0;
	if (!ChildOf(varChild, nChild) || nChild != CHILDID_SELF)
		return E_INVALIDARG;
	HWND hWnd = GetHwnd();
	HWND hParent = hWnd ? ::GetParent(hWnd) : nullptr;
	if (!hParent || !::IsWindowEnabled(hWnd))
		return E_FAIL;
	// Posted: the command may run a modal loop, which must not hold the reader's call.
	WPARAM wParam = MAKEWPARAM(::GetDlgCtrlID(hWnd), BN_CLICKED);
	return ::PostMessageW(hParent, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(hWnd)) ? S_OK : E_FAIL;
}

void CAccessibleButtonLink::SetName(HWND hWnd, const char* pszName)
{
	std::wstring strName = ToWide(pszName ? pszName : "");
	if (strName == m_strName)
		return;
	m_strName = strName;
	if (m_pObject)
		m_pObject->SetName(m_strName);
	if (hWnd)
		::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_CLIENT, CHILDID_SELF);
}

LRESULT CAccessibleButtonLink::OnGetObject(HWND hWnd, WPARAM wParam, LPARAM lParam)
{
	// The object id is a 32-bit value, whatever the width of lParam.
	if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT) || m_strName.empty() || !hWnd)
		return 0;
	if (m_pObject && m_pObject->GetHwnd() != hWnd)
		Disconnect();
	if (!m_pObject)
		m_pObject = CComPtr<CAccessibleButton>(new CAccessibleButton(hWnd));
	m_pObject->SetName(m_strName);
	return m_pObject->Lresult(wParam);
}

void CAccessibleButtonLink::Disconnect()
{
	if (m_pObject)
		m_pObject->Disconnect();
	m_pObject.Release();
}
