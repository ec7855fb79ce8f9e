#include "standins/StandinControl.h"

#include "framework/OleControl.h"
#include "standins/JournalWriter.h"
#include "standins/StandinFault.h"
#include "standins/StandinIds.h"

#include <exdisp.h>
#include <olectl.h>

#include <cstdlib>

namespace
{
LONG g_nObjects = 0;

const wchar_t kViewClass[] = L"QuiloStandinView";
// The view's timer that completes a navigation.
const UINT_PTR kNavigateTimer = 1;
const DISPID kBeforeNavigate2 = 250;
const DISPID kNavigateComplete2 = 252;

// One dispatch member of the real control: its id, kind and argument types.
struct CMember
{
	DISPID dispid;
	bool bPut;
	std::vector<VARTYPE> types;
};

const std::vector<CMember>& Members(StandinKind kind)
{
	static const std::vector<CMember> flash = {
		{ 102, true, { VT_BSTR } },   // Movie
		{ 123, true, { VT_I4 } },     // BackgroundColor
		{ 202, true, { VT_BSTR } },   // AllowFullScreen
	};
	static const std::vector<CMember> live = {
		{ 4, true, { VT_UI2 } },
		{ 11, true, { VT_BSTR } },
		{ 12, true, { VT_BSTR } },
		{ 5, false, { VT_BSTR, VT_UI4 } },   // OpenStream
		{ 6, false, {} },                    // StartStream
		{ 7, false, {} },                    // CloseStream
		{ 8, false, {} },                    // PrepareStream
		{ 13, false, { VT_BSTR, VT_BSTR } }, // SetOption
	};
	static const std::vector<CMember> browser = {
		{ 500, false, { VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT, VT_BYREF | VT_VARIANT,
			VT_BYREF | VT_VARIANT } },   // Navigate2
	};
	return kind == StandinKind::Flash ? flash : kind == StandinKind::Live ? live : browser;
}

std::string Environment(const char* pszName)
{
	char szValue[64];
	DWORD nLength = ::GetEnvironmentVariableA(pszName, szValue, sizeof(szValue));
	return nLength > 0 && nLength < sizeof(szValue) ? std::string(szValue, nLength) : std::string();
}

// A call that fails as a control's own exception does.
HRESULT Refuse(EXCEPINFO* pExcepInfo, const wchar_t* pszDescription)
{
	if (pExcepInfo)
	{
		*pExcepInfo = EXCEPINFO();
		pExcepInfo->scode = E_FAIL;
		pExcepInfo->bstrSource = ::SysAllocString(L"QuiloStandins");
		pExcepInfo->bstrDescription = ::SysAllocString(pszDescription);
	}
	return DISP_E_EXCEPTION;
}

HINSTANCE ModuleInstance()
{
	HMODULE hModule = nullptr;
	::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
		reinterpret_cast<LPCWSTR>(&g_nObjects), &hModule);
	return hModule;
}
}

CStandinControl::CStandinControl(StandinKind kind)
	: m_kind(kind)
{
	::InterlockedIncrement(&g_nObjects);
}

CStandinControl::~CStandinControl()
{
	DestroyView();
	::InterlockedDecrement(&g_nObjects);
}

LONG CStandinControl::ObjectCount()
{
	return g_nObjects;
}

STDMETHODIMP CStandinControl::QueryInterface(REFIID riid, void** ppv)
{
	if (!ppv)
		return E_POINTER;
	*ppv = nullptr;
	if (riid == IID_IUnknown || riid == IID_IOleObject)
		*ppv = static_cast<IOleObject*>(this);
	else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
		*ppv = static_cast<IOleInPlaceObject*>(this);
	else if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
		*ppv = static_cast<IPersistStreamInit*>(this);
	else if (riid == IID_IDispatch)
		*ppv = static_cast<IDispatch*>(this);
	else if (riid == IID_IConnectionPointContainer && m_kind != StandinKind::Flash)
		*ppv = static_cast<IConnectionPointContainer*>(this);
	else
		return E_NOINTERFACE;
	AddRef();
	return S_OK;
}

STDMETHODIMP_(ULONG) CStandinControl::AddRef()
{
	return ::InterlockedIncrement(&m_nRef);
}

STDMETHODIMP_(ULONG) CStandinControl::Release()
{
	LONG nRef = ::InterlockedDecrement(&m_nRef);
	if (nRef == 0)
		delete this;
	return nRef;
}

STDMETHODIMP CStandinControl::SetClientSite(IOleClientSite* pSite)
{
	if (pSite)
		pSite->AddRef();
	m_pSite = CComPtr<IOleClientSite>(pSite);
	return S_OK;
}

STDMETHODIMP CStandinControl::GetClientSite(IOleClientSite** ppSite)
{
	if (!ppSite)
		return E_POINTER;
	*ppSite = m_pSite.Get();
	if (*ppSite)
		(*ppSite)->AddRef();
	return S_OK;
}

STDMETHODIMP CStandinControl::Close(DWORD)
{
	DestroyView();
	// The sinks hold the host's objects; a closed control lets them go.
	m_sinks.clear();
	return S_OK;
}

STDMETHODIMP CStandinControl::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hWndParent,
	LPCRECT prcPos)
{
	if (iVerb != OLEIVERB_INPLACEACTIVATE && iVerb != OLEIVERB_SHOW && iVerb != OLEIVERB_UIACTIVATE
		&& iVerb != OLEIVERB_PRIMARY)
		return OLEOBJ_S_INVALIDVERB;
	if (!hWndParent || !prcPos)
		return E_INVALIDARG;
	// The host activates again when its window is shown: the view is made once.
	if (m_hWndView)
	{
		SetObjectRects(prcPos, prcPos);
		return S_OK;
	}
	CreateView(hWndParent, *prcPos);
	if (!m_hWndView)
		return E_FAIL;
	// Told that the control is active in place, the host passes its size changes on (SetObjectRects).
	IOleClientSite* pSite = pActiveSite ? pActiveSite : m_pSite.Get();
	CComPtr<IOleInPlaceSite> pInPlaceSite;
	if (pSite && SUCCEEDED(pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pInPlaceSite)))
		&& pInPlaceSite && pInPlaceSite->CanInPlaceActivate() == S_OK)
		pInPlaceSite->OnInPlaceActivate();
	return S_OK;
}

STDMETHODIMP CStandinControl::GetUserClassID(CLSID* pClsid)
{
	if (!pClsid)
		return E_POINTER;
	*pClsid = m_kind == StandinKind::Flash ? standins::kClsidFlash
		: m_kind == StandinKind::Live ? standins::kClsidLive : standins::kClsidBrowser;
	return S_OK;
}

STDMETHODIMP CStandinControl::SetExtent(DWORD, SIZEL* pSize)
{
	if (!pSize)
		return E_POINTER;
	m_sizeExtent = *pSize;
	return S_OK;
}

STDMETHODIMP CStandinControl::GetExtent(DWORD, SIZEL* pSize)
{
	if (!pSize)
		return E_POINTER;
	*pSize = m_sizeExtent;
	return S_OK;
}

STDMETHODIMP CStandinControl::GetMiscStatus(DWORD, DWORD* pStatus)
{
	if (!pStatus)
		return E_POINTER;
	*pStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE
		| OLEMISC_RECOMPOSEONRESIZE;
	return S_OK;
}

STDMETHODIMP CStandinControl::GetWindow(HWND* phWnd)
{
	if (!phWnd)
		return E_POINTER;
	*phWnd = m_hWndView;
	return m_hWndView ? S_OK : E_FAIL;
}

STDMETHODIMP CStandinControl::InPlaceDeactivate()
{
	DestroyView();
	return S_OK;
}

STDMETHODIMP CStandinControl::SetObjectRects(LPCRECT prcPos, LPCRECT)
{
	if (!prcPos)
		return E_POINTER;
	if (m_hWndView)
		::MoveWindow(m_hWndView, prcPos->left, prcPos->top, prcPos->right - prcPos->left,
			prcPos->bottom - prcPos->top, TRUE);
	return S_OK;
}

STDMETHODIMP CStandinControl::GetTypeInfoCount(UINT* pnCount)
{
	if (!pnCount)
		return E_POINTER;
	*pnCount = 0;
	return S_OK;
}

STDMETHODIMP CStandinControl::Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams, VARIANT*,
	EXCEPINFO* pExcepInfo, UINT* pnArgErr)
{
	const bool bPut = (wFlags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
	const char* pszKind = bPut ? "put" : (wFlags & DISPATCH_METHOD) ? "method" : "get";
	const char* pszControl = ControlName();
	AppendJournal(pszControl, dispid, pszKind, pParams);
	if (Environment(standins::kEnvFail) == std::string(pszControl) + " " + std::to_string(dispid))
		return Refuse(pExcepInfo, L"call refused");
	FaultIfAsked(Environment(standins::kEnvFault), std::string(pszControl) + " " + std::to_string(dispid), m_hWndView);

	// Checked as strictly as a control with a type library would.
	const CMember* pMember = nullptr;
	for (const CMember& member : Members(m_kind))
	{
		if (member.dispid == dispid)
			pMember = &member;
	}
	if (!pMember || (bPut != pMember->bPut) || (!bPut && !(wFlags & DISPATCH_METHOD)))
		return DISP_E_MEMBERNOTFOUND;
	if (!pParams)
		return E_INVALIDARG;
	if (bPut && (pParams->cNamedArgs != 1 || !pParams->rgdispidNamedArgs
		|| pParams->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
		return DISP_E_PARAMNOTOPTIONAL;
	if (!bPut && pParams->cNamedArgs != 0)
		return DISP_E_NONAMEDARGS;
	if (pParams->cArgs != pMember->types.size())
		return DISP_E_BADPARAMCOUNT;
	for (UINT i = 0; i < pParams->cArgs; ++i)
	{
		if (pParams->rgvarg[pParams->cArgs - 1 - i].vt != pMember->types[i])
		{
			if (pnArgErr)
				*pnArgErr = pParams->cArgs - 1 - i;
			return DISP_E_TYPEMISMATCH;
		}
	}
	return Apply(dispid, pParams, pExcepInfo);
}

HRESULT CStandinControl::Apply(DISPID dispid, DISPPARAMS* pParams, EXCEPINFO* pExcepInfo)
{
	if (m_kind == StandinKind::Flash)
	{
		if (dispid == 102)
			ShowAddress(pParams->rgvarg[0].bstrVal);
		return S_OK;
	}
	if (m_kind == StandinKind::Browser)
	{
		const VARIANT* pUrl = pParams->rgvarg[4].pvarVal;
		ShowAddress(pUrl && pUrl->vt == VT_BSTR ? pUrl->bstrVal : nullptr);
		FireBeforeNavigate();
		std::string strDelay = Environment(standins::kEnvNavigateMs);
		UINT nDelay = strDelay.empty() ? 150 : static_cast<UINT>(std::atoi(strDelay.c_str()));
		if (!m_hWndView || !::SetTimer(m_hWndView, kNavigateTimer, nDelay, nullptr))
			FireNavigateComplete();
		return S_OK;
	}
	switch (dispid)
	{
	case 5:
		if (Environment(standins::kEnvFailOpenStream) == "1")
			return Refuse(pExcepInfo, L"OpenStream refused");
		ShowAddress(pParams->rgvarg[1].bstrVal);
		FireStreamState(1);
		break;
	case 6:
		FireStreamState(2);
		break;
	case 7:
		FireStreamState(0);
		break;
	}
	return S_OK;
}

void CStandinControl::FireStreamState(long nState)
{
	VARIANT args[2];
	args[0] = AddressVariant();
	::VariantInit(&args[1]);
	args[1].vt = VT_I4;
	args[1].lVal = nState;
	DISPPARAMS params = { args, nullptr, 2, 0 };
	FireEvent(standins::kEventStreamState, params);
	::VariantClear(&args[0]);
}

void CStandinControl::FireEvent(DISPID dispid, DISPPARAMS& params)
{
	// A sink may disconnect itself, or end the control's host, while it is called.
	AddRef();
	CComPtr<CStandinControl> pSelf(this);
	auto sinks = m_sinks;
	for (auto& sink : sinks)
		sink.second->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void CStandinControl::FireBeforeNavigate()
{
	// BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel), last argument first.
	VARIANT varUrl = AddressVariant(), varEmpty;
	::VariantInit(&varEmpty);
	VARIANT_BOOL bCancel = VARIANT_FALSE;
	VARIANT args[7];
	for (VARIANT& arg : args)
		::VariantInit(&arg);
	args[0].vt = VT_BYREF | VT_BOOL;
	args[0].pboolVal = &bCancel;
	for (int i = 1; i <= 4; ++i)
	{
		args[i].vt = VT_BYREF | VT_VARIANT;
		args[i].pvarVal = &varEmpty;
	}
	args[5].vt = VT_BYREF | VT_VARIANT;
	args[5].pvarVal = &varUrl;
	args[6].vt = VT_DISPATCH;
	args[6].pdispVal = static_cast<IDispatch*>(this);
	DISPPARAMS params = { args, nullptr, 7, 0 };
	FireEvent(kBeforeNavigate2, params);
	::VariantClear(&varUrl);
}

void CStandinControl::FireNavigateComplete()
{
	// NavigateComplete2(pDisp, URL), last argument first.
	VARIANT varUrl = AddressVariant();
	VARIANT args[2];
	::VariantInit(&args[0]);
	::VariantInit(&args[1]);
	args[0].vt = VT_BYREF | VT_VARIANT;
	args[0].pvarVal = &varUrl;
	args[1].vt = VT_DISPATCH;
	args[1].pdispVal = static_cast<IDispatch*>(this);
	DISPPARAMS params = { args, nullptr, 2, 0 };
	FireEvent(kNavigateComplete2, params);
	::VariantClear(&varUrl);
}

VARIANT CStandinControl::AddressVariant() const
{
	VARIANT var;
	::VariantInit(&var);
	var.vt = VT_BSTR;
	var.bstrVal = ::SysAllocStringLen(m_strAddress.data(), static_cast<UINT>(m_strAddress.size()));
	return var;
}

REFIID CStandinControl::EventInterface() const
{
	return m_kind == StandinKind::Browser ? DIID_DWebBrowserEvents2 : standins::kDiidEvents;
}

const char* CStandinControl::ControlName() const
{
	return m_kind == StandinKind::Flash ? "flash" : m_kind == StandinKind::Live ? "live" : "browser";
}

STDMETHODIMP CStandinControl::FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint)
{
	if (!ppPoint)
		return E_POINTER;
	*ppPoint = nullptr;
	if (riid != EventInterface())
		return CONNECT_E_NOCONNECTION;
	*ppPoint = static_cast<IConnectionPoint*>(this);
	AddRef();
	return S_OK;
}

STDMETHODIMP CStandinControl::GetConnectionInterface(IID* pIid)
{
	if (!pIid)
		return E_POINTER;
	*pIid = EventInterface();
	return S_OK;
}

STDMETHODIMP CStandinControl::GetConnectionPointContainer(IConnectionPointContainer** ppContainer)
{
	if (!ppContainer)
		return E_POINTER;
	*ppContainer = static_cast<IConnectionPointContainer*>(this);
	AddRef();
	return S_OK;
}

STDMETHODIMP CStandinControl::Advise(IUnknown* pSink, DWORD* pdwCookie)
{
	if (!pSink || !pdwCookie)
		return E_POINTER;
	CComPtr<IDispatch> pDispatch;
	if (FAILED(pSink->QueryInterface(EventInterface(), reinterpret_cast<void**>(&pDispatch))) || !pDispatch)
		return CONNECT_E_CANNOTCONNECT;
	*pdwCookie = m_dwNextCookie++;
	m_sinks.emplace_back(*pdwCookie, pDispatch);
	return S_OK;
}

STDMETHODIMP CStandinControl::Unadvise(DWORD dwCookie)
{
	for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it)
	{
		if (it->first == dwCookie)
		{
			m_sinks.erase(it);
			return S_OK;
		}
	}
	return CONNECT_E_NOCONNECTION;
}

void CStandinControl::CreateView(HWND hWndParent, const RECT& rc)
{
	WNDCLASSW wc = {};
	wc.lpfnWndProc = &CStandinControl::ViewProc;
	wc.hInstance = ModuleInstance();
	wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
	wc.lpszClassName = kViewClass;
	::RegisterClassW(&wc);  // fails harmlessly once registered

	m_hWndView = ::CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_VISIBLE, rc.left, rc.top, rc.right - rc.left,
		rc.bottom - rc.top, hWndParent, nullptr, wc.hInstance, nullptr);
	if (!m_hWndView)
		return;
	::SetWindowLongPtrW(m_hWndView, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
	ShowAddress(nullptr);
}

void CStandinControl::DestroyView()
{
	HWND hWnd = m_hWndView;
	m_hWndView = nullptr;
	if (hWnd)
	{
		::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
		::DestroyWindow(hWnd);
	}
}

void CStandinControl::ShowAddress(BSTR bstrAddress)
{
	if (bstrAddress)
		m_strAddress.assign(bstrAddress, ::SysStringLen(bstrAddress));
	if (!m_hWndView)
		return;
	// The view's text is what it paints, so that tests can read it as well as see it.
	const wchar_t* pszPrefix = m_kind == StandinKind::Flash ? L"Flash: " : m_kind == StandinKind::Live ? L"Live: "
		: L"Library: ";
	std::wstring strText = pszPrefix + m_strAddress;
	::SetWindowTextW(m_hWndView, strText.c_str());
	::InvalidateRect(m_hWndView, nullptr, TRUE);
}

LRESULT CALLBACK CStandinControl::ViewProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	switch (uMsg)
	{
	case WM_PAINT:
	{
		PAINTSTRUCT ps;
		HDC hDC = ::BeginPaint(hWnd, &ps);
		RECT rc;
		::GetClientRect(hWnd, &rc);
		HBRUSH hBrush = ::CreateSolidBrush(RGB(0x20, 0x30, 0x60));
		::FillRect(hDC, &rc, hBrush);
		::DeleteObject(hBrush);
		WCHAR szText[1024];
		int nLength = ::GetWindowTextW(hWnd, szText, ARRAYSIZE(szText));
		HFONT hFont = ::CreateFontW(-32, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
			CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, L"WenQuanYi Zen Hei");
		HGDIOBJ hOldFont = ::SelectObject(hDC, hFont);
		::SetBkMode(hDC, TRANSPARENT);
		::SetTextColor(hDC, RGB(0xFF, 0xFF, 0xFF));
		::InflateRect(&rc, -12, -12);
		::DrawTextW(hDC, szText, nLength, &rc, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
		::SelectObject(hDC, hOldFont);
		::DeleteObject(hFont);
		::EndPaint(hWnd, &ps);
		return 0;
	}
	case WM_ERASEBKGND:
		return 1;
	case kFaultMessage:
		FaultNow(static_cast<int>(wParam));
		return 0;
	case WM_SETFOCUS:
		// The keyboard given to a control whose window is not shown yet activated that hidden window.
		if (auto* pThis = reinterpret_cast<CStandinControl*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
		{
			if (!::IsWindowVisible(::GetAncestor(hWnd, GA_ROOT)))
				AppendJournal(pThis->ControlName(), WM_SETFOCUS, "message", nullptr);
		}
		break;
	case WM_LBUTTONDOWN:
		// A click into the control takes the keyboard there, as it does into a page's field.
		::SetFocus(hWnd);
		return 0;
	case WM_CONTEXTMENU:
		// A control's own context menu, as the browser shows one for its page: noted, not passed up.
		if (auto* pThis = reinterpret_cast<CStandinControl*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
			AppendJournal(pThis->ControlName(), WM_CONTEXTMENU, "message", nullptr);
		return 0;
	case WM_TIMER:
		if (wParam == kNavigateTimer)
		{
			::KillTimer(hWnd, kNavigateTimer);
			if (auto* pThis = reinterpret_cast<CStandinControl*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
				pThis->FireNavigateComplete();
			return 0;
		}
		break;
	case WM_NCDESTROY:
		// Destroyed with its host window before the control was closed.
		if (auto* pThis = reinterpret_cast<CStandinControl*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA)))
			pThis->m_hWndView = nullptr;
		break;
	}
	return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}
