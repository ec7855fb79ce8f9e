#include "framework/EventSink.h"

#include <ocidl.h>

#include <vector>

// The COM side of the sink. Its own reference count keeps it alive while a control still holds it;
// its owner empties it before going.
class CEventSink::CDispatch final : public IDispatch
{
public:
	void SetEventInterface(REFIID iid) { m_iid = iid; }
	void Add(DISPID dispid, Handler handler) { m_handlers.emplace_back(dispid, std::move(handler)); }
	void Clear() { m_handlers.clear(); }

	STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
	{
		if (!ppv)
			return E_POINTER;
		if (riid == IID_IUnknown || riid == IID_IDispatch || riid == m_iid)
		{
			*ppv = static_cast<IDispatch*>(this);
			AddRef();
			return S_OK;
		}
		*ppv = nullptr;
		return E_NOINTERFACE;
	}
	STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&m_nRef); }
	STDMETHODIMP_(ULONG) Release() override
	{
		LONG nRef = ::InterlockedDecrement(&m_nRef);
		if (nRef == 0)
			delete this;
		return nRef;
	}

	STDMETHODIMP GetTypeInfoCount(UINT* pnCount) override
	{
		if (pnCount)
			*pnCount = 0;
		return pnCount ? S_OK : E_POINTER;
	}
	STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
	STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
	STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* pParams, VARIANT*, EXCEPINFO*,
		UINT*) override
	{
		DISPPARAMS paramsNone = {};
		for (const auto& entry : m_handlers)
		{
			if (entry.first != dispid)
				continue;
			// A handler may end the window that owns the sink: the sink, disconnected and emptied, and the
			// handler itself must live until the call is over.
			AddRef();
			CComPtr<CDispatch> pSelf(this);
			Handler handler = entry.second;
			// An exception must not unwind into the control that fired the event.
			try
			{
				return handler(pParams ? pParams : &paramsNone);
			}
			catch (...)
			{
				AfxReportException("CEventSink::Invoke");
				return DISP_E_EXCEPTION;
			}
		}
		// Events nobody asked for are simply not handled.
		return S_OK;
	}

private:
	~CDispatch() = default;

	LONG m_nRef = 1;
	IID m_iid = IID_IDispatch;
	std::vector<std::pair<DISPID, Handler>> m_handlers;
};

long CEventArg<long>::Get(VARIANT& var)
{
	VARIANT varLong;
	::VariantInit(&varLong);
	if (FAILED(::VariantChangeType(&varLong, CEventArg<VARIANT*>::Get(var), 0, VT_I4)))
		return 0;
	return varLong.lVal;
}

CString CEventArg<CString>::Get(VARIANT& var)
{
	VARIANT varText;
	::VariantInit(&varText);
	if (FAILED(::VariantChangeType(&varText, CEventArg<VARIANT*>::Get(var), 0, VT_BSTR)))
		return CString();
	CString str = AfxBstrToString(varText.bstrVal);
	::VariantClear(&varText);
	return str;
}

CEventSink::CEventSink()
	: m_pDispatch(new CDispatch)
{
}

CEventSink::~CEventSink()
{
	Disconnect();
	m_pDispatch->Clear();
}

void CEventSink::AddHandler(DISPID dispid, Handler handler)
{
	m_pDispatch->Add(dispid, std::move(handler));
}

BOOL CEventSink::Connect(const CWnd& wndControl, REFIID diid)
{
	Disconnect();
	CComPtr<IConnectionPointContainer> pContainer =
		AfxGetControl(wndControl.m_hWnd).Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
	CComPtr<IConnectionPoint> pPoint;
	if (!pContainer || FAILED(pContainer->FindConnectionPoint(diid, &pPoint)) || !pPoint)
		return FALSE;
	m_pDispatch->SetEventInterface(diid);
	DWORD dwCookie = 0;
	if (FAILED(pPoint->Advise(m_pDispatch.Get(), &dwCookie)) || !dwCookie)
		return FALSE;
	m_hWndControl = wndControl.m_hWnd;
	m_iid = diid;
	m_dwCookie = dwCookie;
	return TRUE;
}

void CEventSink::Disconnect()
{
	if (!m_dwCookie)
		return;
	// A control whose window is gone has been released and has let go of its sinks.
	CComPtr<IConnectionPointContainer> pContainer =
		AfxGetControl(m_hWndControl).Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
	CComPtr<IConnectionPoint> pPoint;
	if (pContainer && SUCCEEDED(pContainer->FindConnectionPoint(m_iid, &pPoint)) && pPoint)
		pPoint->Unadvise(m_dwCookie);
	m_dwCookie = 0;
	m_hWndControl = nullptr;
}
