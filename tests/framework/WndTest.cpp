// The window trampoline: the creation hook attaches its object only to the window it waits for, and an
// exception in a handler is reported where it is stopped, failing the creation only when a creation
// message threw.
#include "framework/Dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{
const char kTargetClass[] = "QuiloTestTarget";
const char kOtherClass[] = "QuiloTestOther";

std::vector<std::string> g_reports;
void RecordReport(const char* pszWhere)
{
	g_reports.push_back(pszWhere);
}

void RegisterClasses()
{
	for (const char* pszClass : {kTargetClass, kOtherClass})
	{
		WNDCLASSA wc = {};
		wc.lpfnWndProc = &::DefWindowProcA;
		wc.hInstance = ::GetModuleHandleA(nullptr);
		wc.lpszClassName = pszClass;
		::RegisterClassA(&wc);
	}
}

HWND Create(const char* pszClass, HWND hWndParent = nullptr)
{
	return ::CreateWindowExA(0, pszClass, "", hWndParent ? WS_CHILD : WS_POPUP, 0, 0, 10, 10, hWndParent, nullptr,
		::GetModuleHandleA(nullptr), nullptr);
}

// A window that throws from the message it is told to, and counts the creation messages it sees.
class CTestWnd : public CWnd
{
public:
	using CWnd::HookWindowCreate;
	using CWnd::UnhookWindowCreate;

	UINT m_uThrowOn = 0;
	int m_nCreates = 0;

	BEGIN_MSG_MAP(CTestWnd)
		if (uMsg == m_uThrowOn)
			throw 1;
		if (uMsg == WM_CREATE)
			++m_nCreates;
	END_MSG_MAP()
};

// The input method's window, as a system with one makes it: inside the creation of the thread's window,
// before the framework's hook hears of that window.
HWND g_hWndOther = nullptr;
LRESULT CALLBACK CreateOtherFirst(int nCode, WPARAM wParam, LPARAM lParam)
{
	char szClass[32] = {};
	::GetClassNameA(reinterpret_cast<HWND>(wParam), szClass, sizeof(szClass));
	if (nCode == HCBT_CREATEWND && !g_hWndOther && strcmp(szClass, kTargetClass) == 0)
		g_hWndOther = Create(kOtherClass);
	return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

class WndTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite() { RegisterClasses(); }
	void SetUp() override
	{
		g_reports.clear();
		AfxSetExceptionReporter(&RecordReport);
	}
	void TearDown() override { AfxSetExceptionReporter(nullptr); }
};
}

TEST_F(WndTest, CreationHookAttachesOnlyToTheAwaitedWindow)
{
	CTestWnd wnd;
	CTestWnd::HookWindowCreate(&wnd, kTargetClass, nullptr);
	HHOOK hHook = ::SetWindowsHookExA(WH_CBT, &CreateOtherFirst, nullptr, ::GetCurrentThreadId());
	HWND hWnd = Create(kTargetClass);
	::UnhookWindowsHookEx(hHook);
	CTestWnd::UnhookWindowCreate();
	ASSERT_TRUE(hWnd);
	ASSERT_TRUE(g_hWndOther) << "the other window came first";
	EXPECT_EQ(CWnd::FromHandle(g_hWndOther), nullptr);
	EXPECT_EQ(wnd.m_hWnd, hWnd);
	EXPECT_EQ(wnd.m_nCreates, 1);

	// A window of the awaited class under another parent is not it either.
	CTestWnd child;
	CTestWnd::HookWindowCreate(&child, "STATIC", hWnd);
	HWND hWndElsewhere = Create("STATIC", g_hWndOther);
	HWND hWndChild = Create("STATIC", hWnd);
	CTestWnd::UnhookWindowCreate();
	EXPECT_EQ(CWnd::FromHandle(hWndElsewhere), nullptr);
	EXPECT_EQ(child.m_hWnd, hWndChild);

	::DestroyWindow(hWnd);
	::DestroyWindow(g_hWndOther);
	EXPECT_EQ(wnd.m_hWnd, nullptr);
	EXPECT_TRUE(g_reports.empty());
}

TEST_F(WndTest, ExceptionsAreReportedAndFailTheCreation)
{
	for (UINT uMsg : {WM_NCCREATE, WM_CREATE})
	{
		CTestWnd wnd;
		wnd.m_uThrowOn = uMsg;
		CTestWnd::HookWindowCreate(&wnd, kTargetClass, nullptr);
		HWND hWnd = Create(kTargetClass);
		CTestWnd::UnhookWindowCreate();
		EXPECT_EQ(hWnd, nullptr) << uMsg;
		EXPECT_EQ(wnd.m_hWnd, nullptr);
	}
	EXPECT_EQ(g_reports, (std::vector<std::string>{"CWnd::WindowProc(0x0081)", "CWnd::WindowProc(0x0001)"}));

	// Any other message: reported, and the window goes on.
	g_reports.clear();
	CTestWnd wnd;
	wnd.m_uThrowOn = WM_USER + 1;
	CTestWnd::HookWindowCreate(&wnd, kTargetClass, nullptr);
	HWND hWnd = Create(kTargetClass);
	CTestWnd::UnhookWindowCreate();
	ASSERT_TRUE(hWnd);
	EXPECT_EQ(::SendMessageA(hWnd, WM_USER + 1, 0, 0), 0);
	EXPECT_TRUE(::IsWindow(hWnd));
	EXPECT_EQ(::SendMessageA(hWnd, WM_USER + 2, 0, 0), 0);
	EXPECT_EQ(g_reports, std::vector<std::string>{"CWnd::WindowProc(0x0401)"});
	::DestroyWindow(hWnd);
}

namespace
{
// Throws from its initialisation after asking to be cancelled, so that a dialog that opens also ends.
class CThrowingDialog : public CDialog
{
public:
	CThrowingDialog() : CDialog(0) {}
	using CDialog::HookWindowCreate;
	using CDialog::UnhookWindowCreate;

protected:
	BOOL OnInitDialog() override
	{
		PostMessage(WM_COMMAND, IDCANCEL);
		throw 1;
	}
};

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM)
{
	return FALSE;
}

// A dialog template with no controls.
struct CEmptyTemplate
{
	DLGTEMPLATE dlg = {WS_POPUP | WS_CAPTION, 0, 0, 0, 0, 100, 50};
	WORD wMenu = 0, wClass = 0, wTitle = 0;
};
}

TEST_F(WndTest, ThrowingDialogInitialisationIsReportedAndTheDialogOpens)
{
	CEmptyTemplate tmpl;
	CThrowingDialog modeless;
	CThrowingDialog::HookWindowCreate(&modeless, "#32770", nullptr);
	HWND hWnd = ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), &tmpl.dlg, nullptr, &NoDialogProc, 0);
	CThrowingDialog::UnhookWindowCreate();
	EXPECT_TRUE(::IsWindow(hWnd));
	EXPECT_EQ(modeless.m_hWnd, hWnd);
	::DestroyWindow(hWnd);

	// The modal loop runs and ends with the cancel the dialog asked for.
	CThrowingDialog modal;
	CThrowingDialog::HookWindowCreate(&modal, "#32770", nullptr);
	INT_PTR nResult = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), &tmpl.dlg, nullptr, &NoDialogProc, 0);
	CThrowingDialog::UnhookWindowCreate();
	EXPECT_EQ(nResult, IDCANCEL);
	EXPECT_EQ(g_reports, (std::vector<std::string>{"CWnd::WindowProc(0x0110)", "CWnd::WindowProc(0x0110)"}));
}

// The object of a window is found from its handle (on every thread) while it is attached, and no longer once it
// is detached, its window destroyed or the object gone.
TEST_F(WndTest, ObjectsAreFoundFromTheirWindowsWhileAttached)
{
	HWND hWnd = Create(kOtherClass);
	ASSERT_TRUE(hWnd);
	{
		CTestWnd wnd;
		EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
		ASSERT_TRUE(wnd.SubclassWindow(hWnd));
		EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);
		CWnd* pFound = nullptr;
		std::thread([&] { pFound = CWnd::FromHandle(hWnd); }).join();
		EXPECT_EQ(pFound, &wnd);
		EXPECT_FALSE(CTestWnd().SubclassWindow(hWnd)) << "one object a window";
		EXPECT_EQ(wnd.UnsubclassWindow(), hWnd);
		EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
		ASSERT_TRUE(wnd.SubclassWindow(hWnd));
	}
	// The object went first.
	EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
	CTestWnd wnd;
	ASSERT_TRUE(wnd.SubclassWindow(hWnd));
	::DestroyWindow(hWnd);
	EXPECT_EQ(wnd.m_hWnd, nullptr);
	EXPECT_EQ(CWnd::FromHandle(hWnd), nullptr);
	EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
}
