// CStandinControl: a small ActiveX control that stands in for the Flash player, the live plug-in or the
// web browser. It journals every dispatch call, checks it against the real control's table (id, kind,
// argument types), and shows its current movie, stream or page address in a window of its own inside the
// host. The browser fires BeforeNavigate2 within Navigate2 and NavigateComplete2 a little later, as a
// page that loads does.
#pragma once

#include "framework/ComPtr.h"

#include <ocidl.h>
#include <oleidl.h>

#include <string>
#include <utility>
#include <vector>

enum class StandinKind { Flash, Live, Browser };

class CStandinControl final
	: public IOleObject, public IOleInPlaceObject, public IPersistStreamInit, public IDispatch,
	  public IConnectionPointContainer, public IConnectionPoint
{
public:
	explicit CStandinControl(StandinKind kind);
	CStandinControl(const CStandinControl&) = delete;
	CStandinControl& operator=(const CStandinControl&) = delete;

	// Live objects of this module.
	static LONG ObjectCount();

// IUnknown
	STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
	STDMETHODIMP_(ULONG) AddRef() override;
	STDMETHODIMP_(ULONG) Release() override;

// IOleObject
	STDMETHODIMP SetClientSite(IOleClientSite* pSite) override;
	STDMETHODIMP GetClientSite(IOleClientSite** ppSite) override;
	STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
	STDMETHODIMP Close(DWORD) override;
	STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
	STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
	STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
	STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
	STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG, HWND hWndParent,
		LPCRECT prcPos) override;
	STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
	STDMETHODIMP Update() override { return S_OK; }
	STDMETHODIMP IsUpToDate() override { return S_OK; }
	STDMETHODIMP GetUserClassID(CLSID* pClsid) override;
	STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
	STDMETHODIMP SetExtent(DWORD, SIZEL* pSize) override;
	STDMETHODIMP GetExtent(DWORD, SIZEL* pSize) override;
	STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
	// Unadvise, shared with IConnectionPoint by its signature, is below: IOleObject advises nobody.
	STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
	STDMETHODIMP GetMiscStatus(DWORD, DWORD* pStatus) override;
	STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

// IOleInPlaceObject
	STDMETHODIMP GetWindow(HWND* phWnd) override;
	STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
	STDMETHODIMP InPlaceDeactivate() override;
	STDMETHODIMP UIDeactivate() override { return S_OK; }
	STDMETHODIMP SetObjectRects(LPCRECT prcPos, LPCRECT) override;
	STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

// IPersistStreamInit
	STDMETHODIMP GetClassID(CLSID* pClsid) override { return GetUserClassID(pClsid); }
	STDMETHODIMP IsDirty() override { return S_FALSE; }
	STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
	STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
	STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
	STDMETHODIMP InitNew() override { return S_OK; }

// IDispatch
	STDMETHODIMP GetTypeInfoCount(UINT* pnCount) override;
	STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
	STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
	STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD wFlags, DISPPARAMS* pParams, VARIANT*,
		EXCEPINFO* pExcepInfo, UINT* pnArgErr) override;

// IConnectionPointContainer: one point, for the stand-in's events
	STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
	STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppPoint) override;

// IConnectionPoint
	STDMETHODIMP GetConnectionInterface(IID* pIid) override;
	STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppContainer) override;
	STDMETHODIMP Advise(IUnknown* pSink, DWORD* pdwCookie) override;
	STDMETHODIMP Unadvise(DWORD dwCookie) override;
	STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

private:
	~CStandinControl();

	static LRESULT CALLBACK ViewProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
	void CreateView(HWND hWndParent, const RECT& rc);
	void DestroyView();
	// Shows "Flash: <movie>" or "Live: <stream>".
	void ShowAddress(BSTR bstrAddress);
	HRESULT Apply(DISPID dispid, DISPPARAMS* pParams, EXCEPINFO* pExcepInfo);
	void FireStreamState(long nState);
	void FireEvent(DISPID dispid, DISPPARAMS& params);
	void FireBeforeNavigate();
	void FireNavigateComplete();
	// The current address as an automation string; the caller clears it.
	VARIANT AddressVariant() const;
	// The event interface of this kind's connection point.
	REFIID EventInterface() const;
	const char* ControlName() const;

	LONG m_nRef = 1;
	const StandinKind m_kind;
	CComPtr<IOleClientSite> m_pSite;
	HWND m_hWndView = nullptr;
	SIZEL m_sizeExtent = { 0, 0 };
	std::wstring m_strAddress;
	std::vector<std::pair<DWORD, CComPtr<IDispatch>>> m_sinks;
	DWORD m_dwNextCookie = 1;
};
