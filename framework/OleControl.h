// Hosting of ActiveX controls on atl.dll's host window: start-up of the container, CAxWindow (a window
// hosting one control, with its late-bound calls) and the parameter type lists of those calls.
#pragma once

#include "framework/ComPtr.h"
#include "framework/DispatchException.h"
#include "framework/Wnd.h"

#include <ole2.h>

#include <cstdarg>

// Parameter type codes, one byte each, concatenated into a zero-terminated list.
#define VTS_I4 "\x03"
#define VTS_BSTR "\x0E"         // narrow text (code page 936), passed as an automation string
#define VTS_UI2 "\x12"
#define VTS_UI4 "\x13"
#define VTS_DISPATCH "\x09"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"
#define VTS_NONE ""

// The narrow text type of VTS_BSTR; VT_BSTR itself stands for wide text.
const VARTYPE VT_BSTRA = 14;

// Readies the thread for hosting controls: OLE and atl.dll's "AtlAxWin" window class.
void AfxEnableControlContainer();

// An automation string holding narrow code page 936 text; the caller frees it with SysFreeString.
BSTR AfxAllocBstr(const char* psz);
// The code page 936 form of an automation string.
CString AfxBstrToString(BSTR bstr);
// The control hosted in an "AtlAxWin" window; empty when the window hosts none.
CComPtr<IUnknown> AfxGetControl(HWND hWnd);

// CAxWindow: an atl.dll host window holding one control of a fixed class, reached through late-bound calls.
// The host window does not outlive its object.
class CAxWindow : public CWnd
{
public:
	explicit CAxWindow(REFCLSID clsid) : m_clsid(clsid) {}
	~CAxWindow() override;

// Operations
	// Creates the object's control; the class name and the context are not used (the framework's signature).
	virtual BOOL Create(const char* pszClassName, const char* pszWindowName, DWORD dwStyle, const RECT& rect,
		CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
	// Creates control clsid in a host window and attaches this object to that window, which takes the
	// window name as its text and nID as its control id. Fails, leaving no window, when the control itself
	// cannot be created.
	BOOL CreateControl(REFCLSID clsid, const char* pszWindowName, DWORD dwStyle, const RECT& rect,
		CWnd* pParentWnd, UINT nID);
	// A late-bound call on the hosted control: the arguments follow the type list pbParamInfo (VTS_...).
	// A failed call throws COleDispatchException.
	void InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo, ...);
	void InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo,
		va_list argList);
	// A property put of one value of type vtProp (VT_BSTR takes narrow text); throws as InvokeHelper.
	void SetProperty(DISPID dwDispID, VARTYPE vtProp, ...);

protected:
	void PostNcDestroy() override;

private:
	const CLSID m_clsid;
	// The hosted control's dispatch interface, taken at the first call and let go with the window.
	CComPtr<IDispatch> m_pCtrlDispatch;
	HWND m_hWndDispatch = nullptr;
};
