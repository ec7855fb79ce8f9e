// CEventSink: receives the events of one hosted control through its connection point and hands each
// event to an ordinary member function of the host, the event's arguments becoming the function's.
//
//	m_sinkBrowser.On(252, this, &CAppendDlg::OnNavigateComplete2);  // void (IDispatch*, VARIANT*)
//	m_sinkBrowser.Connect(m_browser, DIID_DWebBrowserEvents2);
//
// Argument types a handler may take: IDispatch*, VARIANT*, VARIANT_BOOL*, long, CString (from text).
#pragma once

#include "framework/OleControl.h"

#include <functional>
#include <type_traits>
#include <utility>

// One event argument as a handler's parameter type asks for it.
template <class T> struct CEventArg;

template <> struct CEventArg<VARIANT*>
{
	static VARIANT* Get(VARIANT& var) { return var.vt == (VT_BYREF | VT_VARIANT) ? var.pvarVal : &var; }
};

template <> struct CEventArg<IDispatch*>
{
	static IDispatch* Get(VARIANT& var)
	{
		VARIANT* pVar = CEventArg<VARIANT*>::Get(var);
		if (!pVar)
			return nullptr;
		if (pVar->vt == VT_DISPATCH)
			return pVar->pdispVal;
		return pVar->vt == (VT_BYREF | VT_DISPATCH) && pVar->ppdispVal ? *pVar->ppdispVal : nullptr;
	}
};

template <> struct CEventArg<VARIANT_BOOL*>
{
	static VARIANT_BOOL* Get(VARIANT& var)
	{
		VARIANT* pVar = CEventArg<VARIANT*>::Get(var);
		if (!pVar)
			return nullptr;
		if (pVar->vt == VT_BOOL)
			return &pVar->boolVal;
		return pVar->vt == (VT_BYREF | VT_BOOL) ? pVar->pboolVal : nullptr;
	}
};

template <> struct CEventArg<long>
{
	static long Get(VARIANT& var);
};

template <> struct CEventArg<CString>
{
	static CString Get(VARIANT& var);
};

class CEventSink
{
public:
	CEventSink();
	CEventSink(const CEventSink&) = delete;
	CEventSink& operator=(const CEventSink&) = delete;
	// Disconnects, and drops the handlers, so that a late event reaches nothing.
	~CEventSink();

// Operations
	// Routes event dispid to pfn on pObject.
	template <class T, class... Args>
	void On(DISPID dispid, T* pObject, void (T::*pfn)(Args...))
	{
		AddHandler(dispid, [pObject, pfn](DISPPARAMS* pParams) -> HRESULT
		{
			return Call(pParams, pObject, pfn, std::index_sequence_for<Args...>());
		});
	}

	// Advises the sink on the control's connection point for the event interface diid.
	BOOL Connect(const CWnd& wndControl, REFIID diid);
	void Disconnect();
	BOOL IsConnected() const { return m_dwCookie != 0; }

private:
	using Handler = std::function<HRESULT(DISPPARAMS*)>;
	class CDispatch;

	void AddHandler(DISPID dispid, Handler handler);

	template <class T, class... Args, size_t... I>
	static HRESULT Call(DISPPARAMS* pParams, T* pObject, void (T::*pfn)(Args...), std::index_sequence<I...>)
	{
		if (pParams->cArgs < sizeof...(Args))
			return DISP_E_BADPARAMCOUNT;
		// The arguments arrive last first.
		(pObject->*pfn)(CEventArg<std::decay_t<Args>>::Get(pParams->rgvarg[pParams->cArgs - 1 - I])...);
		return S_OK;
	}

	CComPtr<CDispatch> m_pDispatch;
	// The control is reached again through its window, so that the sink holds no reference to it.
	HWND m_hWndControl = nullptr;
	IID m_iid = {};
	DWORD m_dwCookie = 0;
};
