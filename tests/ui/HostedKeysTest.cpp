// The framework's pre-translation of a dialog: a hosted control's in-place object sees a key before the
// dialog manager, and keeps it when it says it used it; otherwise Escape still reaches OnCancel.
#include "UiTestResources.h"
#include "framework/Dialog.h"
#include "framework/OleControl.h"

#include <gtest/gtest.h>

#include <vector>

extern "C" HRESULT WINAPI AtlAxAttachControl(IUnknown* pControl, HWND hWnd, IUnknown** ppContainer);

namespace
{
// A control that answers only what a host asks of it, and records the keys it is offered.
class CKeyControl final : public IOleObject, public IOleInPlaceActiveObject
{
public:
	std::vector<WPARAM> m_keys;
	// The keys it says it used.
	WPARAM m_nUsedKey = 0;

	STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
	{
		if (riid == IID_IUnknown || riid == IID_IOleObject)
			*ppv = static_cast<IOleObject*>(this);
		else if (riid == IID_IOleInPlaceActiveObject || riid == IID_IOleWindow)
			*ppv = static_cast<IOleInPlaceActiveObject*>(this);
		else
		{
			*ppv = nullptr;
			return E_NOINTERFACE;
		}
		AddRef();
		return S_OK;
	}
	STDMETHODIMP_(ULONG) AddRef() override { return ++m_nRefs; }
	STDMETHODIMP_(ULONG) Release() override { return --m_nRefs; }

	STDMETHODIMP TranslateAccelerator(LPMSG pMsg) override
	{
		m_keys.push_back(pMsg->wParam);
		return pMsg->wParam == m_nUsedKey ? S_OK : S_FALSE;
	}
	STDMETHODIMP GetWindow(HWND*) override { return E_FAIL; }
	STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
	STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
	STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
	STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
	STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

	STDMETHODIMP SetClientSite(IOleClientSite*) override { return S_OK; }
	STDMETHODIMP GetClientSite(IOleClientSite** pp) override { *pp = nullptr; return E_FAIL; }
	STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
	STDMETHODIMP Close(DWORD) override { return S_OK; }
	STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
	STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
	STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
	STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
	STDMETHODIMP DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override { return S_OK; }
	STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
	STDMETHODIMP Update() override { return S_OK; }
	STDMETHODIMP IsUpToDate() override { return S_OK; }
	STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
	STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
	STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
	STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
	STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
	STDMETHODIMP Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
	STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
	STDMETHODIMP GetMiscStatus(DWORD, DWORD* pStatus) override { *pStatus = 0; return S_OK; }
	STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

private:
	ULONG m_nRefs = 1;
};

class CHostDialog : public CDialog
{
public:
	CHostDialog() : CDialog(IDD_BUTTON_TEST) {}
	int m_nCancels = 0;
	void OnCancel() override { ++m_nCancels; }
};

MSG KeyDown(HWND hWnd, WPARAM nKey)
{
	MSG msg = {};
	msg.hwnd = hWnd;
	msg.message = WM_KEYDOWN;
	msg.wParam = nKey;
	return msg;
}

TEST(DialogPreTranslate, HostedControlGetsItsKeysBeforeTheDialogManager)
{
	AfxEnableControlContainer();
	CKeyControl control;
	{
		CHostDialog dlg;
		ASSERT_TRUE(dlg.Create(IDD_BUTTON_TEST));
		HWND hHost = ::CreateWindowExA(0, "AtlAxWin", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, dlg, nullptr, nullptr, nullptr);
		ASSERT_TRUE(hHost);
		// The host keeps the control while its container lives.
		CComPtr<IUnknown> pContainer;
		ASSERT_EQ(::AtlAxAttachControl(static_cast<IOleObject*>(&control), hHost, &pContainer), S_OK);
		ASSERT_TRUE(AfxGetControl(hHost));
		HWND hInside = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, hHost, nullptr, nullptr, nullptr);

		// A key for a window inside the host goes to the control; one it uses stops there.
		control.m_nUsedKey = VK_ESCAPE;
		MSG msg = KeyDown(hInside, VK_ESCAPE);
		EXPECT_TRUE(CWnd::WalkPreTranslateTree(dlg, &msg));
		EXPECT_EQ(control.m_keys, std::vector<WPARAM>{VK_ESCAPE});
		EXPECT_EQ(dlg.m_nCancels, 0);
		// One it leaves goes on to the dialog manager: Escape cancels.
		control.m_nUsedKey = 0;
		msg = KeyDown(hInside, VK_ESCAPE);
		EXPECT_TRUE(CWnd::WalkPreTranslateTree(dlg, &msg));
		EXPECT_EQ(control.m_keys.size(), 2u);
		EXPECT_EQ(dlg.m_nCancels, 1);
		// Keys for the dialog's other controls never reach it, nor do other messages.
		msg = KeyDown(dlg.GetDlgItem(IDC_TEST_PLAIN), VK_ESCAPE);
		EXPECT_TRUE(CWnd::WalkPreTranslateTree(dlg, &msg));
		msg = KeyDown(hInside, VK_TAB);
		msg.message = WM_MOUSEMOVE;
		EXPECT_FALSE(CWnd::WalkPreTranslateTree(dlg, &msg));
		EXPECT_EQ(control.m_keys.size(), 2u);
		EXPECT_EQ(dlg.m_nCancels, 2);
		dlg.DestroyWindow();
	}
}
}
