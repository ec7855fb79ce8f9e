// MSAA objects for what the program draws itself, which the system cannot describe to screen readers (Narrator,
// NVDA): an IAccessible over one window, handed out in answer to WM_GETOBJECT through LresultFromObject.
//   CAccessibleObject      the common part: reference counts, IDispatch without type information, and every
//                          IAccessible method answered by a standard object of the window
//                          (CreateStdAccessibleObject) where the derived class leaves it
//   CAccessibleButton      a push button named otherwise than by its window text (the side-panel button by its
//                          tooltip); its default action is the click's notification to the parent
//   CAccessibleButtonLink  what a button control holds: the name, and the object once a reader asked for it
// Lifetime: a reader may keep an object after its window has gone. The owner disconnects it when the window
// is destroyed: it then holds nothing of the window or its owner, calls in this process fail with E_FAIL,
// calls from other processes with RPC_E_DISCONNECTED.
// The interface's id is __uuidof(IAccessible), never IID_IAccessible: MinGW's 64-bit oleacc import library
// makes that name an import of oleacc.dll's export, whose address is a jump stub, not the GUID.
#pragma once

#include "framework/ComPtr.h"

#include <windows.h>
#include <oleacc.h>

#include <string>

class CAccessibleObject : public IAccessible
{
public:
	CAccessibleObject(const CAccessibleObject&) = delete;
	CAccessibleObject& operator=(const CAccessibleObject&) = delete;

	// The answer to WM_GETOBJECT (with its wParam) that hands this object out.
	LRESULT Lresult(WPARAM wParam);
	// Cuts the object off its window and owner, for good; other processes' proxies are disconnected.
	void Disconnect();
	// Null once disconnected or after the window has gone.
	HWND GetHwnd() const { return m_hWnd && ::IsWindow(m_hWnd) ? m_hWnd : nullptr; }

	// IUnknown
	STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
	STDMETHODIMP_(ULONG) AddRef() override;
	STDMETHODIMP_(ULONG) Release() override;
	// IDispatch: no type information; readers call the IAccessible methods themselves.
	STDMETHODIMP GetTypeInfoCount(UINT* pnCount) override;
	STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppInfo) override;
	STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
	STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
	// IAccessible: the standard object's answers; DISP_E_MEMBERNOTFOUND without one.
	STDMETHODIMP get_accParent(IDispatch** ppParent) override;
	STDMETHODIMP get_accChildCount(LONG* pnCount) override;
	STDMETHODIMP get_accChild(VARIANT varChild, IDispatch** ppChild) override;
	STDMETHODIMP get_accName(VARIANT varChild, BSTR* pbstrName) override;
	STDMETHODIMP get_accValue(VARIANT varChild, BSTR* pbstrValue) override;
	STDMETHODIMP get_accDescription(VARIANT varChild, BSTR* pbstrDescription) override;
	STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
	STDMETHODIMP get_accState(VARIANT varChild, VARIANT* pvarState) override;
	STDMETHODIMP get_accHelp(VARIANT varChild, BSTR* pbstrHelp) override;
	STDMETHODIMP get_accHelpTopic(BSTR* pbstrHelpFile, VARIANT varChild, LONG* pnTopic) override;
	STDMETHODIMP get_accKeyboardShortcut(VARIANT varChild, BSTR* pbstrShortcut) override;
	STDMETHODIMP get_accFocus(VARIANT* pvarChild) override;
	STDMETHODIMP get_accSelection(VARIANT* pvarChildren) override;
	STDMETHODIMP get_accDefaultAction(VARIANT varChild, BSTR* pbstrAction) override;
	STDMETHODIMP accSelect(LONG nFlags, VARIANT varChild) override;
	STDMETHODIMP accLocation(LONG* px, LONG* py, LONG* pcx, LONG* pcy, VARIANT varChild) override;
	STDMETHODIMP accNavigate(LONG nDir, VARIANT varStart, VARIANT* pvarEnd) override;
	STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* pvarChild) override;
	STDMETHODIMP accDoDefaultAction(VARIANT varChild) override;
	STDMETHODIMP put_accName(VARIANT varChild, BSTR bstrName) override;
	STDMETHODIMP put_accValue(VARIANT varChild, BSTR bstrValue) override;

	// What Windows' Chinese edition calls a button's default action.
	static constexpr const char* kPressAction = "按";

protected:
	// bStandardClient: the window's standard client object (OBJID_CLIENT, as the system describes the control)
	// answers what the derived class does not.
	CAccessibleObject(HWND hWnd, bool bStandardClient);
	virtual ~CAccessibleObject() = default;
	// Drops what the derived object holds of its owner; called once, by Disconnect.
	virtual void OnDisconnect() {}

	// The child a variant names (CHILDID_SELF for the object itself); false when it is not a VT_I4.
	static bool ChildOf(const VARIANT& var, LONG& nChild);
	// A new BSTR of UTF-16 text, or of code page 936 text.
	static HRESULT Text(const std::wstring& str, BSTR* pbstr);
	static HRESULT Text(const char* psz, BSTR* pbstr);
	static void SetChild(VARIANT* pvar, LONG nChild);

private:
	LONG m_nRefs = 1;
	HWND m_hWnd;
	CComPtr<IAccessible> m_pStandard;
};

class CAccessibleButton : public CAccessibleObject
{
public:
	explicit CAccessibleButton(HWND hWnd) : CAccessibleObject(hWnd, true) {}

	void SetName(const std::wstring& strName) { m_strName = strName; }

	STDMETHODIMP get_accName(VARIANT varChild, BSTR* pbstrName) override;
	STDMETHODIMP get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
	STDMETHODIMP get_accDefaultAction(VARIANT varChild, BSTR* pbstrAction) override;
	// Posts the click's notification to the parent (BN_CLICKED), also while the button is hidden.
	STDMETHODIMP accDoDefaultAction(VARIANT varChild) override;

private:
	std::wstring m_strName;
};

class CAccessibleButtonLink
{
public:
	CAccessibleButtonLink() = default;
	CAccessibleButtonLink(const CAccessibleButtonLink&) = delete;
	CAccessibleButtonLink& operator=(const CAccessibleButtonLink&) = delete;
	~CAccessibleButtonLink() { Disconnect(); }

	// The name readers hear (code page 936); a change is raised as EVENT_OBJECT_NAMECHANGE.
	void SetName(HWND hWnd, const char* pszName);
	// WM_GETOBJECT: the answer for OBJID_CLIENT once a name is set; 0 for the default processing.
	LRESULT OnGetObject(HWND hWnd, WPARAM wParam, LPARAM lParam);
	// The window is being destroyed.
	void Disconnect();

private:
	std::wstring m_strName;
	CComPtr<CAccessibleButton> m_pObject;
};
