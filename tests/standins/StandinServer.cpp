// The in-process server of the three stand-in controls: class objects, and the object count that tests
// read to see controls released.
#include "standins/StandinControl.h"
#include "standins/StandinIds.h"

#include <string>

namespace
{
class CClassFactory final : public IClassFactory
{
public:
	explicit CClassFactory(StandinKind kind) : m_kind(kind) {}

	// Static objects: the server never unloads, so their references are not counted.
	STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
	{
		if (!ppv)
			return E_POINTER;
		if (riid == IID_IUnknown || riid == IID_IClassFactory)
		{
			*ppv = static_cast<IClassFactory*>(this);
			return S_OK;
		}
		*ppv = nullptr;
		return E_NOINTERFACE;
	}
	STDMETHODIMP_(ULONG) AddRef() override { return 2; }
	STDMETHODIMP_(ULONG) Release() override { return 1; }

	STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override
	{
		if (!ppv)
			return E_POINTER;
		*ppv = nullptr;
		if (pOuter)
			return CLASS_E_NOAGGREGATION;
		if (Refused())
			return E_FAIL;
		CComPtr<IOleObject> pObject(new CStandinControl(m_kind));
		return pObject->QueryInterface(riid, ppv);
	}
	STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
	bool Refused() const
	{
		char szValue[16];
		DWORD nLength = ::GetEnvironmentVariableA(standins::kEnvRefuse, szValue, sizeof(szValue));
		if (nLength == 0 || nLength >= sizeof(szValue))
			return false;
		std::string strValue(szValue, nLength);
		if (m_kind == StandinKind::Browser)
			return strValue == "browser";
		return strValue == "both" || strValue == (m_kind == StandinKind::Flash ? "flash" : "live");
	}

	const StandinKind m_kind;
};

CClassFactory g_factoryFlash(StandinKind::Flash);
CClassFactory g_factoryLive(StandinKind::Live);
CClassFactory g_factoryBrowser(StandinKind::Browser);
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
	if (!ppv)
		return E_POINTER;
	*ppv = nullptr;
	if (clsid == standins::kClsidFlash)
		return g_factoryFlash.QueryInterface(riid, ppv);
	if (clsid == standins::kClsidLive)
		return g_factoryLive.QueryInterface(riid, ppv);
	if (clsid == standins::kClsidBrowser)
		return g_factoryBrowser.QueryInterface(riid, ppv);
	return CLASS_E_CLASSNOTAVAILABLE;
}

// Kept loaded: the view window class and the object count must stay valid for the whole process.
extern "C" HRESULT WINAPI DllCanUnloadNow()
{
	return S_FALSE;
}

extern "C" LONG WINAPI StandinObjectCount()
{
	return CStandinControl::ObjectCount();
}
