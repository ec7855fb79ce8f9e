#include "framework/OleControl.h"

#include "framework/WideText.h"

#include <cstring>
#include <vector>

// atl.dll's control host; its header is not part of MinGW.
extern "C" BOOL WINAPI AtlAxWinInit();
extern "C" HRESULT WINAPI AtlAxGetControl(HWND hWnd, IUnknown** ppUnk);

namespace
{
// The by-reference flag of a parameter type code (a byte, unlike VT_BYREF).
const BYTE kByRef = 0x40;

// Variants that are cleared however the call ends.
class CVariants
{
public:
	explicit CVariants(size_t nCount) : m_vars(nCount)
	{
		for (VARIANT& var : m_vars)
			::VariantInit(&var);
	}
	CVariants(const CVariants&) = delete;
	CVariants& operator=(const CVariants&) = delete;
	~CVariants()
	{
		for (VARIANT& var : m_vars)
			::VariantClear(&var);
	}

	VARIANT& operator[](size_t nIndex) { return m_vars[nIndex]; }
	VARIANT* Data() { return m_vars.empty() ? nullptr : m_vars.data(); }

private:
	std::vector<VARIANT> m_vars;
};

// Fills one argument from the caller's list; the caller's references are borrowed, as by-value
// interfaces get their own reference, which VariantClear gives back.
void ReadArgument(BYTE nType, va_list& argList, VARIANT& var)
{
	switch (nType)
	{
	case VT_I4:
		var.vt = VT_I4;
		var.lVal = va_arg(argList, long);
		break;
	case VT_UI2:
		var.vt = VT_UI2;
		var.uiVal = static_cast<USHORT>(va_arg(argList, int));
		break;
	case VT_UI4:
		var.vt = VT_UI4;
		var.ulVal = va_arg(argList, unsigned long);
		break;
	case VT_BSTRA:
		var.bstrVal = AfxAllocBstr(va_arg(argList, const char*));
		if (!var.bstrVal)
			throw COleDispatchException(E_OUTOFMEMORY);
		var.vt = VT_BSTR;
		break;
	case VT_DISPATCH:
		var.vt = VT_DISPATCH;
		var.pdispVal = va_arg(argList, IDispatch*);
		if (var.pdispVal)
			var.pdispVal->AddRef();
		break;
	case kByRef | VT_BOOL:
		var.vt = VT_BYREF | VT_BOOL;
		var.pboolVal = va_arg(argList, VARIANT_BOOL*);
		break;
	case kByRef | VT_VARIANT:
		var.vt = VT_BYREF | VT_VARIANT;
		var.pvarVal = va_arg(argList, VARIANT*);
		break;
	default:
		throw COleDispatchException(DISP_E_BADVARTYPE);
	}
}
}

void AfxEnableControlContainer()
{
	// Controls are apartment objects: created and called on this thread only.
	::OleInitialize(nullptr);
	::AtlAxWinInit();
}

BSTR AfxAllocBstr(const char* psz)
{
	std::wstring str = ToWide(psz ? psz : "");
	return ::SysAllocStringLen(str.data(), static_cast<UINT>(str.size()));
}

CString AfxBstrToString(BSTR bstr)
{
	int nLength = static_cast<int>(::SysStringLen(bstr));
	return nLength == 0 ? CString() : CString(FromWide(bstr, nLength));
}

CComPtr<IUnknown> AfxGetControl(HWND hWnd)
{
	CComPtr<IUnknown> pUnknown;
	if (!hWnd || FAILED(::AtlAxGetControl(hWnd, &pUnknown)))
		pUnknown.Release();
	return pUnknown;
}

CAxWindow::~CAxWindow()
{
	if (IsWindow())
		DestroyWindow();
}

BOOL CAxWindow::Create(const char*, const char* pszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
	UINT nID, void*)
{
	return CreateControl(m_clsid, pszWindowName, dwStyle, rect, pParentWnd, nID);
}

void CAxWindow::PostNcDestroy()
{
	m_pCtrlDispatch.Release();
	m_hWndDispatch = nullptr;
}

BOOL CAxWindow::CreateControl(REFCLSID clsid, const char* pszWindowName, DWORD dwStyle, const RECT& rect,
	CWnd* pParentWnd, UINT nID)
{
	if (m_hWnd)
		return FALSE;
	WCHAR szClsid[40];
	if (!::StringFromGUID2(clsid, szClsid, ARRAYSIZE(szClsid)))
		return FALSE;
	HWND hWndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
	// A control in a container is always its child, whatever style the caller named.
	if (hWndParent)
		dwStyle |= WS_CHILD;

	// Attached before the host window's own creation handling, which creates the control and subclasses
	// the window on top of this object: the host then hands back the window's last message on destruction.
	HookWindowCreate(this, "AtlAxWin", hWndParent);
	HWND hWnd = ::CreateWindowExW(0, L"AtlAxWin", szClsid, dwStyle, rect.left, rect.top,
		rect.right - rect.left, rect.bottom - rect.top, hWndParent,
		reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), ::GetModuleHandleW(nullptr), nullptr);
	UnhookWindowCreate();
	if (hWnd && m_hWnd != hWnd)
		SubclassWindow(hWnd);

	// The host window exists even when the class id named no control it could create.
	if (!hWnd || !AfxGetControl(hWnd))
	{
		if (hWnd)
			::DestroyWindow(hWnd);
		if (m_hWnd)
			UnsubclassWindow();
		return FALSE;
	}
	SetWindowText(pszWindowName);
	return TRUE;
}

void CAxWindow::InvokeHelper(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void* pvRet, const BYTE* pbParamInfo, ...)
{
	va_list argList;
	va_start(argList, pbParamInfo);
	try
	{
		InvokeHelperV(dwDispID, wFlags, vtRet, pvRet, pbParamInfo, argList);
	}
	catch (...)
	{
		va_end(argList);
		throw;
	}
	va_end(argList);
}

void CAxWindow::SetProperty(DISPID dwDispID, VARTYPE vtProp, ...)
{
	// Text properties take narrow text, as everywhere in the program.
	const BYTE params[2] = { static_cast<BYTE>(vtProp == VT_BSTR ? VT_BSTRA : vtProp), 0 };
	va_list argList;
	va_start(argList, vtProp);
	try
	{
		InvokeHelperV(dwDispID, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, params, argList);
	}
	catch (...)
	{
		va_end(argList);
		throw;
	}
	va_end(argList);
}

void CAxWindow::InvokeHelperV(DISPID dwDispID, WORD wFlags, VARTYPE vtRet, void*, const BYTE* pbParamInfo,
	va_list argList)
{
	// The controls' operations return nothing; results are not converted.
	if (vtRet != VT_EMPTY)
		throw COleDispatchException(DISP_E_BADVARTYPE);
	if (!m_pCtrlDispatch || m_hWndDispatch != m_hWnd)
	{
		m_pCtrlDispatch = AfxGetControl(m_hWnd).Query<IDispatch>(IID_IDispatch);
		m_hWndDispatch = m_hWnd;
	}
	if (!m_pCtrlDispatch)
		throw COleDispatchException(E_NOINTERFACE);
	// Held for the call: the control may destroy its window while it runs.
	CComPtr<IDispatch> pDispatch = m_pCtrlDispatch;

	size_t nArgs = pbParamInfo ? std::strlen(reinterpret_cast<const char*>(pbParamInfo)) : 0;
	CVariants args(nArgs);
	// Invoke takes the arguments last first.
	for (size_t i = 0; i < nArgs; ++i)
		ReadArgument(pbParamInfo[i], argList, args[nArgs - 1 - i]);

	DISPID dispidNamed = DISPID_PROPERTYPUT;
	DISPPARAMS params = { args.Data(), nullptr, static_cast<UINT>(nArgs), 0 };
	if (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
	{
		params.rgdispidNamedArgs = &dispidNamed;
		params.cNamedArgs = 1;
	}
	EXCEPINFO excepInfo = {};
	UINT nArgErr = 0;
	HRESULT hr = pDispatch->Invoke(dwDispID, IID_NULL, LOCALE_USER_DEFAULT, wFlags, &params, nullptr,
		&excepInfo, &nArgErr);
	if (hr == DISP_E_EXCEPTION && excepInfo.pfnDeferredFillIn)
		excepInfo.pfnDeferredFillIn(&excepInfo);
	CString strDescription = AfxBstrToString(excepInfo.bstrDescription);
	::SysFreeString(excepInfo.bstrSource);
	::SysFreeString(excepInfo.bstrDescription);
	::SysFreeString(excepInfo.bstrHelpFile);
	if (hr == DISP_E_EXCEPTION)
		throw COleDispatchException(excepInfo.scode ? excepInfo.scode : hr, excepInfo.wCode, strDescription);
	if (FAILED(hr))
		throw COleDispatchException(hr);
}
