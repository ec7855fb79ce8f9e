// The skinned windows as a screen reader sees them (MSAA, across processes through Wine's oleacc): the caption
// buttons of the player, its side panel and its About box through OBJID_TITLEBAR, the side-panel button through
// OBJID_CLIENT; names, roles, states, places against the frame's hit testing, presses through the default
// actions, the events an out-of-context hook sees, a skin change, and objects kept after their window closed.
// scripts/test runs it at several display scales and system code pages too.
#include "PlayerSuite.h"

#include "framework/ComPtr.h"
#include "framework/Gdi.h"
#include "support/LinuxTools.h"
#include "support/Processes.h"
#include "support/Rects.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const int kHitTopmost = 7777;
const int kHitMenu = 7778;
const int kToggleId = 1002;
const int kBrowserId = 1005;
const WPARAM kAboutCommand = 16;
const UINT kFirstSkinCommand = 10000;
const wchar_t kPanelTitle[] = L"MelboTV 快乐视界";

int S(int n)
{
	CClientDC dc(nullptr);
	return ::MulDiv(n, ::GetDeviceCaps(dc, LOGPIXELSX), 96);
}

VARIANT Child(LONG n)
{
	VARIANT var;
	var.vt = VT_I4;
	var.lVal = n;
	return var;
}

// A text property of the object or a child; "<error XXXXXXXX>" when the call fails.
template <typename Call>
std::string Text(Call call)
{
	BSTR bstr = nullptr;
	HRESULT hr = call(&bstr);
	char szError[32];
	std::snprintf(szError, sizeof(szError), "<error %08lX>", static_cast<unsigned long>(hr));
	std::string str = SUCCEEDED(hr) && bstr ? Utf8(bstr) : FAILED(hr) ? szError : "";
	::SysFreeString(bstr);
	return str;
}

std::string Name(IAccessible* p, LONG n) { return Text([&](BSTR* b) { return p->get_accName(Child(n), b); }); }
std::string Action(IAccessible* p, LONG n)
{
	return Text([&](BSTR* b) { return p->get_accDefaultAction(Child(n), b); });
}

// A VT_I4 property of the object or a child (role, state); -1 when the call fails.
template <typename Call>
LONG Number(Call call)
{
	VARIANT var;
	::VariantInit(&var);
	return SUCCEEDED(call(&var)) && var.vt == VT_I4 ? var.lVal : -1;
}
LONG Role(IAccessible* p, LONG n) { return Number([&](VARIANT* v) { return p->get_accRole(Child(n), v); }); }
LONG State(IAccessible* p, LONG n) { return Number([&](VARIANT* v) { return p->get_accState(Child(n), v); }); }

RECT Location(IAccessible* p, LONG n)
{
	LONG x = 0, y = 0, cx = 0, cy = 0;
	p->accLocation(&x, &y, &cx, &cy, Child(n));
	return RECT{x, y, x + cx, y + cy};
}

LONG ChildCount(IAccessible* p)
{
	LONG n = -1;
	return SUCCEEDED(p->get_accChildCount(&n)) ? n : -1;
}

// The children's names, "|" between them.
std::string Names(IAccessible* p)
{
	std::string str;
	for (LONG i = 1; i <= ChildCount(p); ++i)
		str += (i > 1 ? "|" : "") + Name(p, i);
	return str;
}

// The child of that name; 0 when there is none.
LONG Find(IAccessible* p, const wchar_t* pszName)
{
	for (LONG i = 1; i <= ChildCount(p); ++i)
		if (Name(p, i) == Utf8(pszName))
			return i;
	return 0;
}

CComPtr<IAccessible> Object(HWND hWnd, LONG idObject)
{
	CComPtr<IAccessible> p;
	::AccessibleObjectFromWindow(hWnd, static_cast<DWORD>(idObject), __uuidof(IAccessible),
		reinterpret_cast<void**>(&p));
	return p;
}

int Hit(HWND hWnd, POINT pt)
{
	DWORD_PTR dwResult = 0;
	::SendMessageTimeoutW(hWnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y), SMTO_NORMAL, 5000, &dwResult);
	return static_cast<int>(dwResult);
}

// Every caption button as the system names it, role push button, with the size given, the frame answering its
// hit code at the centre of its place, and the title bar's hit testing naming it there too.
void ExpectButtonsWhereHitTestingIs(HWND hWnd, IAccessible* pTitle, SIZE size)
{
	const std::pair<const wchar_t*, int> codes[] = {{L"关闭", HTCLOSE}, {L"最小化", HTMINBUTTON},
		{L"最大化", HTMAXBUTTON}, {L"还原", HTMAXBUTTON}, {L"置顶", kHitTopmost}, {L"取消置顶", kHitTopmost},
		{L"菜单", kHitMenu}};
	ASSERT_GT(ChildCount(pTitle), 0);
	for (LONG i = 1; i <= ChildCount(pTitle); ++i)
	{
		auto it = std::find_if(std::begin(codes), std::end(codes),
			[&](const auto& c) { return Utf8(c.first) == Name(pTitle, i); });
		ASSERT_NE(it, std::end(codes)) << Name(pTitle, i);
		RECT rc = Location(pTitle, i);
		POINT ptCentre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
		EXPECT_EQ(Hit(hWnd, ptCentre), it->second) << Name(pTitle, i) << " at " << RectText(rc);
		EXPECT_EQ(rc.right - rc.left, size.cx) << Name(pTitle, i);
		EXPECT_EQ(rc.bottom - rc.top, size.cy) << Name(pTitle, i);
		EXPECT_EQ(Role(pTitle, i), ROLE_SYSTEM_PUSHBUTTON);
		EXPECT_EQ(Action(pTitle, i), Utf8(L"按"));
		VARIANT varHit;
		::VariantInit(&varHit);
		EXPECT_EQ(pTitle->accHitTest(ptCentre.x, ptCentre.y, &varHit), S_OK);
		EXPECT_EQ(varHit.vt == VT_I4 ? varHit.lVal : -1, i) << Name(pTitle, i);
	}
}

// What an out-of-context hook of this process saw of the player's objects.
struct SeenEvent
{
	DWORD dwEvent;
	HWND hWnd;
	LONG idObject;
	LONG idChild;
};
std::vector<SeenEvent> g_events;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD, DWORD)
{
	g_events.push_back(SeenEvent{dwEvent, hWnd, idObject, idChild});
}

// Pumps this thread's messages (the hook's events come as messages) until the event is seen, at most nMs.
bool SawEvent(DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD nMs = 5000)
{
	DWORD dwStart = ::GetTickCount();
	for (;;)
	{
		MSG msg;
		while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
			::DispatchMessageW(&msg);
		for (const SeenEvent& e : g_events)
			if (e.dwEvent == dwEvent && e.hWnd == hWnd && e.idObject == idObject && e.idChild == idChild)
				return true;
		if (::GetTickCount() - dwStart >= nMs)
			return false;
		::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
	}
}

class AccessibleE2eTest : public CPlayerSuite
{
protected:
	static void SetUpTestSuite()
	{
		CPlayerSuite::SetUpTestSuite();
		::CoInitialize(nullptr);
	}

	static void TearDownTestSuite()
	{
		::CoUninitialize();
		CPlayerSuite::TearDownTestSuite();
	}

	void SetUp() override
	{
		CPlayerSuite::SetUp();
		// The default skin.
		w936::WritePrivateProfileStringA("tarnTVPlayer", "SkinPath", nullptr,
			(H().Folder() + "tarnconfig.ini").c_str());
		linuxtools::PointerMove(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
		g_events.clear();
	}

	void TearDown() override
	{
		if (m_hHook)
			::UnhookWinEvent(m_hHook);
		CPlayerSuite::TearDown();
	}

	// The player in the default skin, in front, with its panel shown; the panel, or null.
	HWND Start()
	{
		HWND hWnd = H().StartPlayer();
		if (!hWnd)
			return nullptr;
		HWND hPanel = nullptr;
		WaitFor([&] {
			hPanel = processes::FindTopLevel([=](HWND h) {
				return ::GetWindow(h, GW_OWNER) == hWnd && Utf8(Title(h)) == Utf8(kPanelTitle) && ::IsWindowVisible(h);
			});
			return hPanel != nullptr;
		}, 5000);
		::SetForegroundWindow(hWnd);
		WaitFor([&] { return ::GetForegroundWindow() == hWnd; }, 3000);
		m_hHook = ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_NAMECHANGE, nullptr, &OnWinEvent,
			processes::ProcessOf(hWnd), 0, WINEVENT_OUTOFCONTEXT);
		return hPanel;
	}

	static std::wstring Title(HWND hWnd)
	{
		wchar_t szText[256] = {};
		::GetWindowTextW(hWnd, szText, 256);
		return szText;
	}

	HWINEVENTHOOK m_hHook = nullptr;
};

TEST_F(AccessibleE2eTest, PlayerCaptionButtonsAreNamedPlacedAndPressed)
{
	ASSERT_TRUE(Start());
	HWND hWnd = H().PlayerWindow();
	const RECT rcStart = WindowRect(hWnd);
	CComPtr<IAccessible> pTitle = Object(hWnd, OBJID_TITLEBAR);
	ASSERT_TRUE(pTitle);
	EXPECT_EQ(Name(pTitle.Get(), CHILDID_SELF), Utf8(L"MelboTV播放器"));
	EXPECT_EQ(Role(pTitle.Get(), CHILDID_SELF), ROLE_SYSTEM_TITLEBAR);
	// Left to right, as the shipped skin draws them; none pressed, hidden or unavailable.
	EXPECT_EQ(Names(pTitle.Get()), Utf8(L"菜单|置顶|最小化|最大化|关闭"));
	for (LONG i = 1; i <= ChildCount(pTitle.Get()); ++i)
		EXPECT_EQ(State(pTitle.Get(), i) & ~STATE_SYSTEM_HOTTRACKED, 0) << Name(pTitle.Get(), i);
	ExpectButtonsWhereHitTestingIs(hWnd, pTitle.Get(), SIZE{S(28), S(22)});

	// Maximise and restore: a new name, which an out-of-context hook hears, and new places hit testing agrees with.
	RECT rcWork;
	::SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
	const LONG nMax = Find(pTitle.Get(), L"最大化");
	ASSERT_EQ(pTitle->accDoDefaultAction(Child(nMax)), S_OK);
	EXPECT_TRUE(SawEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_TITLEBAR, nMax));
	EXPECT_TRUE(WaitFor([&] { return RectText(WindowRect(hWnd)) == RectText(rcWork); }, 5000));
	EXPECT_EQ(Name(pTitle.Get(), nMax), Utf8(L"还原"));
	ExpectButtonsWhereHitTestingIs(hWnd, pTitle.Get(), SIZE{S(28), S(22)});
	// Restored the way the system menu does it, the name changes back as well.
	g_events.clear();
	::PostMessageW(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
	EXPECT_TRUE(SawEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_TITLEBAR, nMax));
	EXPECT_TRUE(WaitFor([&] { return RectText(WindowRect(hWnd)) == RectText(rcStart); }, 5000));
	EXPECT_EQ(Name(pTitle.Get(), nMax), Utf8(L"最大化"));

	// Pinning and unpinning.
	const LONG nPin = Find(pTitle.Get(), L"置顶");
	ASSERT_EQ(pTitle->accDoDefaultAction(Child(nPin)), S_OK);
	EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongPtrW(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 3000));
	EXPECT_TRUE(WaitFor([&] { return Name(pTitle.Get(), nPin) == Utf8(L"取消置顶"); }, 3000));
	ASSERT_EQ(pTitle->accDoDefaultAction(Child(nPin)), S_OK);
	EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongPtrW(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }, 3000));
	EXPECT_TRUE(WaitFor([&] { return Name(pTitle.Get(), nPin) == Utf8(L"置顶"); }, 3000));

	// The menu button opens the frame menu.
	ASSERT_EQ(pTitle->accDoDefaultAction(Child(Find(pTitle.Get(), L"菜单"))), S_OK);
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() != nullptr; }, 3000));
	EXPECT_TRUE(linuxtools::TypeKeys(hWnd, "Escape"));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 3000));

	// Minimised, the buttons are not drawn: invisible, and pressing them does nothing.
	const LONG nMin = Find(pTitle.Get(), L"最小化");
	ASSERT_EQ(pTitle->accDoDefaultAction(Child(nMin)), S_OK);
	ASSERT_TRUE(WaitFor([&] { return ::IsIconic(hWnd) != FALSE; }, 5000));
	EXPECT_EQ(State(pTitle.Get(), nMin) & STATE_SYSTEM_INVISIBLE, STATE_SYSTEM_INVISIBLE);
	EXPECT_TRUE(FAILED(pTitle->accDoDefaultAction(Child(nMax))));
	::PostMessageW(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
	ASSERT_TRUE(WaitFor([&] { return !::IsIconic(hWnd); }, 5000));
	EXPECT_TRUE(WaitFor([&] { return State(pTitle.Get(), nMin) == 0; }, 3000)) << State(pTitle.Get(), nMin);

	// Close asks first, as a click does.
	ASSERT_EQ(pTitle->accDoDefaultAction(Child(Find(pTitle.Get(), L"关闭"))), S_OK);
	HWND hQuestion = H().FindExitQuestion(5000);
	ASSERT_TRUE(hQuestion);
	EXPECT_TRUE(CPlayerHarness::ClickButton(hQuestion, IDNO));
	EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hQuestion); }, 3000));

	// A reader that keeps the object after the player has gone gets failures, nothing worse.
	ASSERT_TRUE(H().ClosePlayer());
	EXPECT_EQ(ChildCount(pTitle.Get()), -1);
	EXPECT_EQ(Name(pTitle.Get(), 1).rfind("<error", 0), 0u);
}

TEST_F(AccessibleE2eTest, SidePanelButtonPanelAndAboutBox)
{
	HWND hPanel = Start();
	ASSERT_TRUE(hPanel);
	HWND hWnd = H().PlayerWindow();
	// The side-panel button is named by what it will do, its window text staying the template's.
	HWND hToggle = ::GetDlgItem(hWnd, kToggleId);
	CComPtr<IAccessible> pButton = Object(hToggle, OBJID_CLIENT);
	ASSERT_TRUE(pButton);
	EXPECT_EQ(Name(pButton.Get(), CHILDID_SELF), Utf8(L"隐藏视频库"));
	EXPECT_EQ(Role(pButton.Get(), CHILDID_SELF), ROLE_SYSTEM_PUSHBUTTON);
	EXPECT_EQ(Action(pButton.Get(), CHILDID_SELF), Utf8(L"按"));
	EXPECT_EQ(Utf8(Title(hToggle)), Utf8(L"显隐"));
	ASSERT_EQ(pButton->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
	EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hPanel); }, 3000));
	EXPECT_TRUE(SawEvent(EVENT_OBJECT_NAMECHANGE, hToggle, OBJID_CLIENT, CHILDID_SELF));
	EXPECT_EQ(Name(pButton.Get(), CHILDID_SELF), Utf8(L"显示视频库"));
	ASSERT_EQ(pButton->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
	EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(hPanel) != FALSE; }, 3000));
	EXPECT_TRUE(WaitFor([&] { return Name(pButton.Get(), CHILDID_SELF) == Utf8(L"隐藏视频库"); }, 3000));

	// The panel is named by its title and holds the library browser, as the system shows hosted controls.
	CComPtr<IAccessible> pPanel = Object(hPanel, OBJID_CLIENT);
	ASSERT_TRUE(pPanel);
	EXPECT_EQ(Name(pPanel.Get(), CHILDID_SELF), Utf8(kPanelTitle));
	VARIANT children[8];
	LONG nChildren = 0;
	ASSERT_TRUE(SUCCEEDED(::AccessibleChildren(pPanel.Get(), 0, 8, children, &nChildren)));
	bool bBrowser = false;
	for (LONG i = 0; i < nChildren; ++i)
	{
		CComPtr<IAccessible> pChild;
		HWND hChild = nullptr;
		if (children[i].vt == VT_DISPATCH && children[i].pdispVal)
			children[i].pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&pChild));
		bBrowser |= pChild && SUCCEEDED(::WindowFromAccessibleObject(pChild.Get(), &hChild))
			&& hChild == ::GetDlgItem(hPanel, kBrowserId);
		::VariantClear(&children[i]);
	}
	EXPECT_TRUE(bBrowser);
	// Its caption holds its close button, whose press hides it as the side-panel button would.
	CComPtr<IAccessible> pPanelTitle = Object(hPanel, OBJID_TITLEBAR);
	ASSERT_TRUE(pPanelTitle);
	EXPECT_EQ(Name(pPanelTitle.Get(), CHILDID_SELF), Utf8(kPanelTitle));
	EXPECT_EQ(Names(pPanelTitle.Get()), Utf8(L"关闭"));
	ExpectButtonsWhereHitTestingIs(hPanel, pPanelTitle.Get(), SIZE{S(28), S(22)});
	ASSERT_EQ(pPanelTitle->accDoDefaultAction(Child(1)), S_OK);
	EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hPanel); }, 3000));
	EXPECT_TRUE(WaitFor([&] { return Name(pButton.Get(), CHILDID_SELF) == Utf8(L"显示视频库"); }, 3000));

	// The About box: its title and close button; the player behind it takes no presses meanwhile.
	::PostMessageW(hWnd, WM_COMMAND, kAboutCommand, 0);
	HWND hAbout = nullptr;
	ASSERT_TRUE(WaitFor([&] {
		hAbout = processes::FindTopLevel([&](HWND h) {
			return ::GetWindow(h, GW_OWNER) == hWnd && ::IsWindowVisible(h)
				&& Utf8(Title(h)) == Utf8(L"关于 MelboTV播放器");
		});
		return hAbout != nullptr;
	}, 5000));
	CComPtr<IAccessible> pAbout = Object(hAbout, OBJID_TITLEBAR);
	ASSERT_TRUE(pAbout);
	EXPECT_EQ(Name(pAbout.Get(), CHILDID_SELF), Utf8(L"关于 MelboTV播放器"));
	EXPECT_EQ(Names(pAbout.Get()), Utf8(L"关闭"));
	ExpectButtonsWhereHitTestingIs(hAbout, pAbout.Get(), SIZE{S(28), S(22)});
	CComPtr<IAccessible> pTitle = Object(hWnd, OBJID_TITLEBAR);
	ASSERT_TRUE(pTitle);
	const LONG nPlayerClose = Find(pTitle.Get(), L"关闭");
	EXPECT_EQ(State(pTitle.Get(), nPlayerClose) & STATE_SYSTEM_UNAVAILABLE, STATE_SYSTEM_UNAVAILABLE);
	EXPECT_TRUE(FAILED(pTitle->accDoDefaultAction(Child(nPlayerClose))));
	ASSERT_EQ(pAbout->accDoDefaultAction(Child(1)), S_OK);
	ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hAbout); }, 3000));
	// The box's object, kept by a reader, is cut off; the player goes on.
	LONG nCount = 0;
	HRESULT hr = pAbout->get_accChildCount(&nCount);
	EXPECT_EQ(hr, RPC_E_DISCONNECTED) << std::hex << hr;
	EXPECT_EQ(Name(pAbout.Get(), CHILDID_SELF).rfind("<error", 0), 0u);
	DWORD_PTR dwResult = 0;
	EXPECT_TRUE(::SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &dwResult));
	EXPECT_TRUE(WaitFor([&] { return State(pTitle.Get(), nPlayerClose) == 0; }, 3000));
	EXPECT_TRUE(H().ClosePlayer());
}

TEST_F(AccessibleE2eTest, CaptionButtonsFollowASkinChange)
{
	ASSERT_TRUE(Start());
	HWND hWnd = H().PlayerWindow();
	CComPtr<IAccessible> pTitle = Object(hWnd, OBJID_TITLEBAR);
	ASSERT_TRUE(pTitle);
	// The skin menu lists the skin folders as the program finds them.
	std::vector<std::string> folders;
	WIN32_FIND_DATAA data;
	HANDLE hFind = w936::FindFirstFileA((H().Folder() + "skin\\*.*").c_str(), &data);
	for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = w936::FindNextFileA(hFind, &data))
		if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] != '.')
			folders.push_back(data.cFileName);
	if (hFind != INVALID_HANDLE_VALUE)
		::FindClose(hFind);
	auto itClassic = std::find(folders.begin(), folders.end(), std::string("经典"));
	ASSERT_NE(itClassic, folders.end());
	::PostMessageW(hWnd, WM_COMMAND, kFirstSkinCommand + (itClassic - folders.begin()), 0);
	// Readers are told to read the children afresh; the classic skin's buttons are smaller.
	EXPECT_TRUE(SawEvent(EVENT_OBJECT_REORDER, hWnd, OBJID_TITLEBAR, CHILDID_SELF));
	EXPECT_EQ(Names(pTitle.Get()), Utf8(L"菜单|置顶|最小化|最大化|关闭"));
	ExpectButtonsWhereHitTestingIs(hWnd, pTitle.Get(), SIZE{S(18), S(16)});
	EXPECT_TRUE(H().ClosePlayer());
}
}
