// Event sinks: events fired by a control reach ordinary member functions of the host with typed
// arguments, until the sink disconnects or goes; a sink keeps no control alive.
#include "ControlHost.h"

#include "controls/Explorer1.h"
#include "controls/Livemediapluginctrl.h"
#include "controls/Shockwaveflash1.h"
#include "framework/EventSink.h"
#include "standins/StandinIds.h"

#include <exdisp.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
const RECT kEmpty = { 0, 0, 0, 0 };

// Stands for a dialog that handles its controls' events.
class CEventHost
{
public:
	void OnStreamState(long nState, CString strStream) { m_events.emplace_back(nState, strStream); }
	void OnThrowingHandler(long, CString) { throw COleDispatchException(E_FAIL); }
	void OnBeforeNavigate2(IDispatch* pDisp, VARIANT* pvarUrl, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
		VARIANT_BOOL* pbCancel)
	{
		m_bBeforeNavigate = true;
		m_bBrowserGiven = pDisp != nullptr;
		if (pvarUrl && pvarUrl->vt == VT_BSTR)
			m_strUrl = AfxBstrToString(pvarUrl->bstrVal);
		m_bCancelGiven = pbCancel != nullptr && *pbCancel == VARIANT_FALSE;
	}

	std::vector<std::pair<long, CString>> m_events;
	bool m_bBeforeNavigate = false;
	bool m_bBrowserGiven = false;
	bool m_bCancelGiven = false;
	CString m_strUrl;
};

using Events = std::vector<std::pair<long, CString>>;

std::vector<std::string> g_reports;
void RecordReport(const char* pszWhere)
{
	g_reports.push_back(pszWhere);
}
}

TEST_F(ControlHostTest, ControlEventsReachTheHostsMemberFunctions)
{
	CLivemediapluginctrl live;
	ASSERT_TRUE(live.Create(nullptr, "LivePlugIn", m_dwControlStyle, kEmpty, &m_host, 7777));
	CEventHost host;
	CEventSink sink;
	sink.On(standins::kEventStreamState, &host, &CEventHost::OnStreamState);
	ASSERT_TRUE(sink.Connect(live, standins::kDiidEvents));
	EXPECT_TRUE(sink.IsConnected());

	live.OpenStream("p2p://体育频道", 100);
	live.StartStream();
	EXPECT_EQ(host.m_events, (Events{ { 1, "p2p://体育频道" }, { 2, "p2p://体育频道" } }));

	sink.Disconnect();
	EXPECT_FALSE(sink.IsConnected());
	live.CloseStream();
	EXPECT_EQ(host.m_events.size(), 2u);

	// A handler that throws does not unwind into the control, whose call still succeeds; the exception is
	// reported.
	{
		g_reports.clear();
		AfxSetExceptionReporter(&RecordReport);
		CEventSink sinkThrowing;
		sinkThrowing.On(standins::kEventStreamState, &host, &CEventHost::OnThrowingHandler);
		ASSERT_TRUE(sinkThrowing.Connect(live, standins::kDiidEvents));
		EXPECT_NO_THROW(live.StartStream());
		AfxSetExceptionReporter(nullptr);
		EXPECT_EQ(g_reports, std::vector<std::string>{"CEventSink::Invoke"});
	}
	// A sink that went disconnected itself: the next event reaches nobody.
	EXPECT_NO_THROW(live.CloseStream());
	EXPECT_EQ(host.m_events.size(), 2u);
}

TEST_F(ControlHostTest, SinkConnectsOnlyWhereTheControlHasThePoint)
{
	CLivemediapluginctrl live;
	CShockwaveflash1 flash;
	ASSERT_TRUE(live.Create(nullptr, "LivePlugIn", m_dwControlStyle, kEmpty, &m_host, 7777));
	ASSERT_TRUE(flash.Create(nullptr, "HttpPlayer", m_dwControlStyle, kEmpty, &m_host, 7778));
	CEventSink sink;
	EXPECT_FALSE(sink.Connect(flash, standins::kDiidEvents));      // no connection points at all
	EXPECT_FALSE(sink.Connect(live, DIID_DWebBrowserEvents2));    // not this interface
	CWnd none;
	EXPECT_FALSE(sink.Connect(none, standins::kDiidEvents));
	EXPECT_FALSE(sink.IsConnected());

	// The sink holds no reference to the control: destroying the window releases it while connected.
	long nBefore = standins::ObjectCount();
	ASSERT_TRUE(sink.Connect(live, standins::kDiidEvents));
	live.DestroyWindow();
	EXPECT_EQ(standins::ObjectCount(), nBefore - 1);
	sink.Disconnect();
	EXPECT_FALSE(sink.IsConnected());
}

TEST_F(ControlHostTest, BrowserEventsReachTheSink)
{
	CExplorer1 browser;
	RECT rc = { 0, 0, 400, 300 };
	ASSERT_TRUE(browser.Create(nullptr, "", WS_CHILD | WS_VISIBLE, rc, &m_host, 1005));
	CEventHost host;
	CEventSink sink;
	sink.On(250, &host, &CEventHost::OnBeforeNavigate2);
	ASSERT_TRUE(sink.Connect(browser, DIID_DWebBrowserEvents2));

	VARIANT varUrl;
	::VariantInit(&varUrl);
	varUrl.vt = VT_BSTR;
	varUrl.bstrVal = AfxAllocBstr("about:blank");
	EXPECT_NO_THROW(browser.Navigate2(&varUrl, nullptr, nullptr, nullptr, nullptr));
	::VariantClear(&varUrl);
	Pump(3000, &host.m_bBeforeNavigate);
	ASSERT_TRUE(host.m_bBeforeNavigate);
	EXPECT_TRUE(host.m_bBrowserGiven);
	EXPECT_EQ(host.m_strUrl, "about:blank");
	EXPECT_TRUE(host.m_bCancelGiven);
}

// Owns its sink, as a dialog does, and ends itself inside an event, as a panel closed from its page would.
class CSelfEndingHost
{
public:
	explicit CSelfEndingHost(std::unique_ptr<CSelfEndingHost>& rOwner, int& rnCalls) : m_rOwner(rOwner), m_rnCalls(rnCalls)
	{
		m_sink.On(250, this, &CSelfEndingHost::OnBeforeNavigate2);
		m_sink.On(252, this, &CSelfEndingHost::OnNavigateComplete2);
	}
	void OnBeforeNavigate2(IDispatch*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT_BOOL*)
	{
		++m_rnCalls;
		m_rOwner.reset();
	}
	void OnNavigateComplete2(IDispatch*, VARIANT*) { ++m_rnCalls; }

	CEventSink m_sink;

private:
	std::unique_ptr<CSelfEndingHost>& m_rOwner;
	int& m_rnCalls;
};

TEST_F(ControlHostTest, AHandlerThatEndsItsOwnerEndsTheEventsToo)
{
	CExplorer1 browser;
	RECT rc = { 0, 0, 400, 300 };
	ASSERT_TRUE(browser.Create(nullptr, "", WS_CHILD | WS_VISIBLE, rc, &m_host, 1005));
	int nCalls = 0;
	std::unique_ptr<CSelfEndingHost> pHost;
	pHost = std::make_unique<CSelfEndingHost>(pHost, nCalls);
	ASSERT_TRUE(pHost->m_sink.Connect(browser, DIID_DWebBrowserEvents2));
	VARIANT varUrl;
	::VariantInit(&varUrl);
	varUrl.vt = VT_BSTR;
	varUrl.bstrVal = AfxAllocBstr("http://127.0.0.1/page");
	// The sink and its handler table go inside the first event; the call still returns normally ...
	EXPECT_NO_THROW(browser.Navigate2(&varUrl, nullptr, nullptr, nullptr, nullptr));
	::VariantClear(&varUrl);
	EXPECT_EQ(pHost, nullptr);
	// ... and the navigation's completion reaches nobody.
	Pump(1000);
	EXPECT_EQ(nCalls, 1);
}
