// The wrappers of the Flash player and the live plug-in against their stand-ins: every operation reaches
// the control with its dispatch id, kind and arguments; creation is judged by the control; failed calls
// throw; destroying the window releases the control. The browser wrapper against its stand-in too (Wine's
// own browser has no HTML engine here and completes no navigation).
#include "ControlHost.h"

#include "controls/Explorer1.h"
#include "controls/Livemediapluginctrl.h"
#include "controls/Shockwaveflash1.h"
#include "standins/StandinIds.h"

using standins::JournalRecord;

namespace
{
const RECT kEmpty = { 0, 0, 0, 0 };
const BYTE* Params(const char* psz) { return reinterpret_cast<const BYTE*>(psz); }

// The error a call throws, S_OK when it throws nothing.
template <class Call>
HRESULT ErrorOf(Call call)
{
	try
	{
		call();
	}
	catch (const COleDispatchException& e)
	{
		return e.m_scError;
	}
	return S_OK;
}
}

TEST_F(ControlHostTest, WrappersPassEveryOperationToTheirControl)
{
	CLivemediapluginctrl live;
	CShockwaveflash1 flash;
	RECT rcClient;
	m_host.GetClientRect(&rcClient);
	ASSERT_TRUE(live.Create(nullptr, "LivePlugIn", m_dwControlStyle, kEmpty, &m_host, 7777));
	ASSERT_TRUE(flash.Create(nullptr, "HttpPlayer", m_dwControlStyle, rcClient, &m_host, 7778));

	// The host windows carry the window names and ids and lead back to their wrappers.
	EXPECT_EQ(::GetDlgCtrlID(live), 7777);
	EXPECT_EQ(::GetDlgCtrlID(flash), 7778);
	EXPECT_EQ(live.GetWindowText(), "LivePlugIn");
	EXPECT_EQ(flash.GetWindowText(), "HttpPlayer");
	EXPECT_EQ(::GetParent(flash), m_host.m_hWnd);
	EXPECT_EQ(CWnd::FromHandle(flash), &flash);
	EXPECT_EQ(::GetDlgItem(m_host, 7778), flash.m_hWnd);

	// Start-up, as the player window does it.
	live.SetStartupFlag(1);
	live.SetLoadingUrl1("http://127.0.0.3/loading.swf");
	live.SetLoadingUrl2("http://127.0.0.3/loading.swf");
	flash.SetBackgroundColor(0);
	flash.SetAllowFullScreen("true");
	flash.SetMovie("http://127.0.0.3/播放器/界面.swf?频道=中文");
	// The Chinese text reached the control as the right automation string, not only as bytes that a
	// second conversion turns back.
	EXPECT_EQ(ViewText(flash), L"Flash: http://127.0.0.3/播放器/界面.swf?频道=中文");

	// A live play, a Flash play, full-screen exit, and values at the edges of their types.
	flash.SetMovie("http://");
	live.MoveWindow(rcClient);
	flash.MoveWindow(kEmpty);
	live.PrepareStream();
	live.OpenStream("p2p://流\t二台", 100);
	live.StartStream();
	EXPECT_EQ(ViewText(live), L"Live: p2p://流\t二台");
	live.SetOption("FULLSCREEN", "FALSE");
	live.CloseStream();
	live.OpenStream("", 4000000000UL);
	flash.SetBackgroundColor(-2);
	live.SetStartupFlag(65535);

	const std::vector<JournalRecord> expected = {
		{ "live", 4, "put", { "1" } },
		{ "live", 11, "put", { "http://127.0.0.3/loading.swf" } },
		{ "live", 12, "put", { "http://127.0.0.3/loading.swf" } },
		{ "flash", 123, "put", { "0" } },
		{ "flash", 202, "put", { "true" } },
		{ "flash", 102, "put", { "http://127.0.0.3/播放器/界面.swf?频道=中文" } },
		{ "flash", 102, "put", { "http://" } },
		{ "live", 8, "method", {} },
		{ "live", 5, "method", { "p2p://流\t二台", "100" } },
		{ "live", 6, "method", {} },
		{ "live", 13, "method", { "FULLSCREEN", "FALSE" } },
		{ "live", 7, "method", {} },
		{ "live", 5, "method", { "", "4000000000" } },
		{ "flash", 123, "put", { "-2" } },
		{ "live", 4, "put", { "65535" } },
	};
	EXPECT_EQ(m_journal.Records(), expected);

	// The stand-ins' views follow their host windows' sizes.
	RECT rcView = ViewRect(live);
	EXPECT_EQ(rcView.right, rcClient.right);
	EXPECT_EQ(rcView.bottom, rcClient.bottom);
	flash.MoveWindow(0, 0, 320, 200);
	rcView = ViewRect(flash);
	EXPECT_EQ(rcView.right, 320);
	EXPECT_EQ(rcView.bottom, 200);
}

TEST_F(ControlHostTest, CreationIsJudgedByTheControl)
{
	{
		standins::CEnvironmentScope refuse(standins::kEnvRefuse, "live");
		CLivemediapluginctrl live;
		CShockwaveflash1 flash;
		EXPECT_FALSE(live.Create(nullptr, "LivePlugIn", m_dwControlStyle, kEmpty, &m_host, 7777));
		EXPECT_EQ(live.m_hWnd, nullptr);
		EXPECT_EQ(CountChildren(), 0);
		EXPECT_TRUE(flash.Create(nullptr, "HttpPlayer", m_dwControlStyle, kEmpty, &m_host, 7778));
		flash.DestroyWindow();
	}
	{
		standins::CEnvironmentScope refuse(standins::kEnvRefuse, "both");
		CShockwaveflash1 flash;
		EXPECT_FALSE(flash.Create(nullptr, "HttpPlayer", m_dwControlStyle, kEmpty, &m_host, 7778));
		EXPECT_EQ(flash.m_hWnd, nullptr);
	}
	// A class id nobody registered: atl.dll still makes its window, which must not stay.
	const CLSID clsidNone = { 0x0BADC0DE, 0x1111, 0x2222, { 0x33, 0x33, 0x44, 0x44, 0x55, 0x55, 0x66, 0x66 } };
	CAxWindow wnd(clsidNone);
	EXPECT_FALSE(wnd.Create(nullptr, "none", m_dwControlStyle, kEmpty, &m_host, 1));
	EXPECT_EQ(wnd.m_hWnd, nullptr);
	EXPECT_EQ(CountChildren(), 0);
	// Nothing was called on a control that was never made.
	EXPECT_TRUE(m_journal.Records().empty());
	// A wrapper without a control throws rather than pretending.
	CShockwaveflash1 flash;
	EXPECT_EQ(ErrorOf([&] { flash.SetMovie("x"); }), E_NOINTERFACE);
}

TEST_F(ControlHostTest, FailedCallsThrowDispatchExceptions)
{
	CLivemediapluginctrl live;
	CShockwaveflash1 flash;
	ASSERT_TRUE(live.Create(nullptr, "LivePlugIn", m_dwControlStyle, kEmpty, &m_host, 7777));
	ASSERT_TRUE(flash.Create(nullptr, "HttpPlayer", m_dwControlStyle, kEmpty, &m_host, 7778));
	{
		standins::CEnvironmentScope fail(standins::kEnvFailOpenStream, "1");
		live.PrepareStream();
		try
		{
			live.OpenStream("p2p://频道", 100);
			ADD_FAILURE() << "OpenStream did not throw";
		}
		catch (const COleDispatchException& e)
		{
			EXPECT_EQ(e.m_scError, E_FAIL);
			EXPECT_EQ(e.m_strDescription, "OpenStream refused");
		}
	}
	live.OpenStream("p2p://频道", 100);
	EXPECT_EQ(m_journal.Records().size(), 3u);

	// Unknown member, a property called as a method, a wrong argument type, a result type not converted.
	EXPECT_EQ(ErrorOf([&] { live.InvokeHelper(99, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(VTS_NONE)); }),
		DISP_E_MEMBERNOTFOUND);
	EXPECT_EQ(ErrorOf([&] { flash.InvokeHelper(102, DISPATCH_METHOD, VT_EMPTY, nullptr, Params(VTS_BSTR), "x"); }),
		DISP_E_MEMBERNOTFOUND);
	EXPECT_EQ(ErrorOf([&] { flash.InvokeHelper(102, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, Params(VTS_I4), 5L); }),
		DISP_E_TYPEMISMATCH);
	EXPECT_EQ(ErrorOf([&] { live.InvokeHelper(6, DISPATCH_METHOD, VT_I4, nullptr, Params(VTS_NONE)); }),
		DISP_E_BADVARTYPE);
	EXPECT_EQ(ErrorOf([&] { live.InvokeHelper(6, DISPATCH_METHOD, VT_EMPTY, nullptr, Params("\x07")); }),
		DISP_E_BADVARTYPE);
	// The controls stay usable after failures.
	EXPECT_NO_THROW(flash.SetMovie("http://127.0.0.3/a.flv"));
}

TEST_F(ControlHostTest, DestroyingTheWindowReleasesTheControl)
{
	long nBefore = std::max(standins::ObjectCount(), 0L);
	{
		CLivemediapluginctrl live;
		CShockwaveflash1 flash;
		ASSERT_TRUE(live.Create(nullptr, "LivePlugIn", m_dwControlStyle, kEmpty, &m_host, 7777));
		ASSERT_TRUE(flash.Create(nullptr, "HttpPlayer", m_dwControlStyle, kEmpty, &m_host, 7778));
		EXPECT_EQ(standins::ObjectCount(), nBefore + 2);
		EXPECT_TRUE(live.DestroyWindow());
		EXPECT_EQ(live.m_hWnd, nullptr);
		EXPECT_EQ(standins::ObjectCount(), nBefore + 1);
		// flash goes with its wrapper, its window still up
	}
	EXPECT_EQ(standins::ObjectCount(), nBefore);
	EXPECT_EQ(CountChildren(), 0);

	// A window object that let go of its control window, which stays: the window still releases its control
	// when it goes, as the host's own procedure stays in the chain.
	HWND hWnd = nullptr;
	{
		CAxWindow wnd(standins::kClsidFlash);
		ASSERT_TRUE(wnd.Create(nullptr, "x", m_dwControlStyle, kEmpty, &m_host, 1));
		hWnd = wnd.UnsubclassWindow();
	}
	EXPECT_TRUE(::IsWindow(hWnd));
	EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
	EXPECT_EQ(standins::ObjectCount(), nBefore + 1);
	::DestroyWindow(hWnd);
	EXPECT_EQ(standins::ObjectCount(), nBefore);
}

TEST_F(ControlHostTest, ControlWindowMadeElsewhereCanBeBound)
{
	// As a dialog template makes it: atl.dll's host window named by the class id, bound to its wrapper
	// afterwards, on top of the host's own subclassing.
	long nBefore = std::max(standins::ObjectCount(), 0L);
	HWND hWnd = ::CreateWindowExW(0, L"AtlAxWin", L"{D27CDB6E-AE6D-11CF-96B8-444553540000}", WS_CHILD | WS_VISIBLE,
		0, 0, 200, 100, m_host, reinterpret_cast<HMENU>(1005), nullptr, nullptr);
	ASSERT_NE(hWnd, nullptr);
	CShockwaveflash1 flash;
	ASSERT_TRUE(flash.SubclassWindow(hWnd));
	flash.SetMovie("http://127.0.0.3/模板.swf");
	EXPECT_EQ(m_journal.Records(), (std::vector<JournalRecord>{ { "flash", 102, "put", { "http://127.0.0.3/模板.swf" } } }));
	EXPECT_EQ(standins::ObjectCount(), nBefore + 1);

	// The host takes itself out of the chain on WM_DESTROY, and the wrapper with it: the wrapper still
	// learns that its window is gone.
	::DestroyWindow(hWnd);
	EXPECT_EQ(flash.m_hWnd, nullptr);
	EXPECT_EQ(standins::ObjectCount(), nBefore);
}

TEST_F(ControlHostTest, BrowserIsCreatedAndNavigates)
{
	CExplorer1 browser;
	RECT rc = { 0, 0, 400, 300 };
	ASSERT_TRUE(browser.Create(nullptr, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, rc, &m_host, 1005));
	EXPECT_EQ(::GetDlgCtrlID(browser), 1005);
	VARIANT varUrl;
	::VariantInit(&varUrl);
	varUrl.vt = VT_BSTR;
	varUrl.bstrVal = AfxAllocBstr("about:blank");
	EXPECT_NO_THROW(browser.Navigate2(&varUrl, nullptr, nullptr, nullptr, nullptr));
	::VariantClear(&varUrl);
	Pump(200);
	EXPECT_TRUE(browser.DestroyWindow());
	EXPECT_EQ(browser.m_hWnd, nullptr);
}
