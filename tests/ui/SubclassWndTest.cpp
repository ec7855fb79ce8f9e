// Hook chains on real windows: order, detaching in either order, destruction while hooked, and the
// current-message record around each message.
#include "framework/Dialog.h"
#include "ui/SubclassWnd.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const UINT kProbe = WM_APP + 7;

// The window's own procedure: it answers kProbe with 100 and writes what reached it.
std::string g_strTrace;

LRESULT CALLBACK OwnProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	if (uMsg == kProbe)
	{
		g_strTrace += "own;";
		return 100 + static_cast<LRESULT>(wParam);
	}
	if (uMsg == WM_NCDESTROY)
		g_strTrace += "own-ncdestroy;";
	return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

// A Unicode window, as the program's windows are: its procedure reads back as itself through the wide calls.
HWND CreateProbeWindow()
{
	static ATOM s_atom = [] {
		WNDCLASSW wc = {};
		wc.lpfnWndProc = &OwnProc;
		wc.hInstance = ::GetModuleHandleW(nullptr);
		wc.lpszClassName = L"QuiloHookProbe";
		return ::RegisterClassW(&wc);
	}();
	(void)s_atom;
	return ::CreateWindowW(L"QuiloHookProbe", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
		::GetModuleHandleW(nullptr), nullptr);
}

// Writes its name, passes the probe on and adds its own share to the result.
class CTraceHook : public CSubclassWnd
{
public:
	explicit CTraceHook(const char* pszName, LRESULT nAdd = 0) : m_strName(pszName), m_nAdd(nAdd) {}

	bool m_bForwardCurrent = false;
	bool m_bDuringDestroy = false;
	MSG m_msgSeen = {};

protected:
	LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
	{
		if (uMsg == WM_NCDESTROY)
			m_bDuringDestroy = true;
		if (uMsg != kProbe)
			return CSubclassWnd::OnMessage(uMsg, wParam, lParam);
		g_strTrace += m_strName + ";";
		m_msgSeen = AfxGetCurrentMessage();
		LRESULT lResult = m_bForwardCurrent ? ForwardCurrentMessage() : CSubclassWnd::OnMessage(uMsg, wParam, lParam);
		return lResult + m_nAdd;
	}

private:
	std::string m_strName;
	LRESULT m_nAdd;
};

LRESULT Probe(HWND hWnd, WPARAM wParam = 0)
{
	g_strTrace.clear();
	return ::SendMessageA(hWnd, kProbe, wParam, 0);
}

WNDPROC ProcOf(HWND hWnd)
{
	return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
}

TEST(SubclassWnd, HooksChainNewestFirstAndDetachInEitherOrder)
{
	for (bool bOlderFirst : {true, false})
	{
		HWND hWnd = CreateProbeWindow();
		ASSERT_TRUE(hWnd);
		CTraceHook hookA("A", 10), hookB("B", 1000);
		ASSERT_TRUE(hookA.AttachToHandle(hWnd));
		ASSERT_TRUE(hookB.AttachToHandle(hWnd));
		EXPECT_EQ(ProcOf(hWnd), &HookedWindowProc);
		EXPECT_EQ(Probe(hWnd, 5), 1115);
		EXPECT_EQ(g_strTrace, "B;A;own;");

		CTraceHook& first = bOlderFirst ? hookA : hookB;
		CTraceHook& second = bOlderFirst ? hookB : hookA;
		ASSERT_TRUE(first.AttachToHandle(nullptr));
		EXPECT_FALSE(first.IsAttached());
		EXPECT_EQ(ProcOf(hWnd), &HookedWindowProc);
		EXPECT_EQ(Probe(hWnd), bOlderFirst ? 1100 : 110);
		EXPECT_EQ(g_strTrace, bOlderFirst ? "B;own;" : "A;own;");

		ASSERT_TRUE(second.AttachToHandle(nullptr));
		EXPECT_EQ(ProcOf(hWnd), &OwnProc);
		EXPECT_EQ(Probe(hWnd), 100);
		EXPECT_EQ(g_strTrace, "own;");
		::DestroyWindow(hWnd);
	}
}

TEST(SubclassWnd, DestroyedWindowLeavesNoHookBehind)
{
	HWND hWnd = CreateProbeWindow();
	CTraceHook hookA("A"), hookB("B");
	hookA.AttachToHandle(hWnd);
	hookB.AttachToHandle(hWnd);
	g_strTrace.clear();
	ASSERT_TRUE(::DestroyWindow(hWnd));
	EXPECT_FALSE(hookA.IsAttached());
	EXPECT_FALSE(hookB.IsAttached());
	// Both were gone before the window's own procedure saw its last message.
	EXPECT_FALSE(hookA.m_bDuringDestroy);
	EXPECT_FALSE(hookB.m_bDuringDestroy);
	EXPECT_EQ(g_strTrace, "own-ncdestroy;");

	// A new window that happens to get the same handle starts unhooked; the old hooks can move to it.
	HWND hWndNew = CreateProbeWindow();
	EXPECT_EQ(ProcOf(hWndNew), &OwnProc);
	ASSERT_TRUE(hookA.AttachToHandle(hWndNew));
	EXPECT_EQ(Probe(hWndNew), 100);
	EXPECT_EQ(g_strTrace, "A;own;");
	::DestroyWindow(hWndNew);
	EXPECT_FALSE(hookA.IsAttached());
}

TEST(SubclassWnd, ForwardCurrentMessagePassesOnExactlyTheMessageBeingHandled)
{
	HWND hWnd = CreateProbeWindow();
	CTraceHook hookA("A", 10), hookB("B", 1000);
	hookA.AttachToHandle(hWnd);
	hookB.AttachToHandle(hWnd);
	hookB.m_bForwardCurrent = true;

	MSG& msgCurrent = AfxGetCurrentMessage();
	msgCurrent = MSG{reinterpret_cast<HWND>(0x1234), WM_USER, 11, 22, 33, {44, 55}};
	EXPECT_EQ(Probe(hWnd, 7), 1117);
	EXPECT_EQ(g_strTrace, "B;A;own;");
	EXPECT_EQ(hookB.m_msgSeen.hwnd, hWnd);
	EXPECT_EQ(hookB.m_msgSeen.message, kProbe);
	EXPECT_EQ(hookB.m_msgSeen.wParam, 7u);
	// Afterwards the record is what it was before the message.
	EXPECT_EQ(msgCurrent.hwnd, reinterpret_cast<HWND>(0x1234));
	EXPECT_EQ(msgCurrent.message, static_cast<UINT>(WM_USER));
	EXPECT_EQ(msgCurrent.wParam, 11u);
	EXPECT_EQ(msgCurrent.lParam, 22);
	EXPECT_EQ(msgCurrent.time, 33u);
	EXPECT_EQ(msgCurrent.pt.x, 44);
	msgCurrent = MSG{};
	::DestroyWindow(hWnd);
}

// A framework window under a hook: the hook sees the message first, the message map second.
class CProbeDialog : public CWnd
{
public:
	BEGIN_MSG_MAP(CProbeDialog)
		MESSAGE_HANDLER(kProbe, OnProbe)
	END_MSG_MAP()

	LRESULT OnProbe(WPARAM, LPARAM)
	{
		g_strTrace += "map;";
		return Default() + 1;
	}
};

WNDPROC g_pfnUnderLater = nullptr;

LRESULT CALLBACK LaterProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	if (uMsg == kProbe)
		g_strTrace += "later;";
	return ::CallWindowProcW(g_pfnUnderLater, hWnd, uMsg, wParam, lParam);
}

TEST(SubclassWnd, SitsOnTopOfTheFrameworkTrampolineAndGivesItBack)
{
	HWND hWnd = CreateProbeWindow();
	CProbeDialog wnd;
	ASSERT_TRUE(wnd.SubclassWindow(hWnd));
	WNDPROC pfnTrampoline = ProcOf(hWnd);
	CTraceHook hook("A", 10);
	hook.m_bForwardCurrent = true;
	ASSERT_TRUE(hook.AttachTo(&wnd));
	EXPECT_EQ(Probe(hWnd), 111);
	EXPECT_EQ(g_strTrace, "A;map;own;");
	hook.AttachToHandle(nullptr);
	EXPECT_EQ(ProcOf(hWnd), pfnTrampoline);

	// A later subclasser on top of the hook keeps working when the hook leaves under it.
	hook.AttachToHandle(hWnd);
	g_pfnUnderLater = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(hWnd, GWLP_WNDPROC,
		reinterpret_cast<LONG_PTR>(&LaterProc)));
	EXPECT_EQ(g_pfnUnderLater, &HookedWindowProc);
	hook.AttachToHandle(nullptr);
	EXPECT_EQ(ProcOf(hWnd), &LaterProc);
	EXPECT_EQ(Probe(hWnd), 101);
	EXPECT_EQ(g_strTrace, "later;map;own;");
	::DestroyWindow(hWnd);
	EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
}
}
