// The image button bound to a dialog's button: the looks by state, the window region cut by the key
// colour and by black, the tooltip, check-box mode, focus on disabling, and a double click with the real
// pointer through the framework's modal loop giving two clicks, and the button to screen readers in this process.
#include "UiTestResources.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "resources/resource.h"
#include "support/LinuxTools.h"
#include "ui/ImageButton.h"

#include <gtest/gtest.h>

#include <oleacc.h>

#include <thread>

namespace
{
const COLORREF kFill = RGB(0, 255, 0);
const COLORREF kNormal = RGB(72, 72, 76);
const COLORREF kHover = RGB(104, 104, 110);
const COLORREF kPressed = RGB(48, 48, 52);
const COLORREF kGrey = RGB(72, 72, 72);

class CButtonTestDlg : public CDialog
{
public:
	CButtonTestDlg() : CDialog(IDD_BUTTON_TEST) {}

	CImageButton m_btnToggle;
	CImageButton m_btnCheck;
	int m_nClicks = 0;
	int m_nOtherNotifications = 0;
	bool m_bFocusedOnClick = false;

	BEGIN_MSG_MAP(CButtonTestDlg)
		REFLECT_NOTIFICATIONS()
		if (uMsg == WM_COMMAND && LOWORD(wParam) == IDC_BUTTON_TOGGLE)
		{
			if (HIWORD(wParam) == BN_CLICKED)
				++m_nClicks;
			else
				++m_nOtherNotifications;
			m_bFocusedOnClick = ::GetFocus() == m_btnToggle.GetSafeHwnd();
			return TRUE;
		}
		CHAIN_MSG_MAP(CDialog)
	END_MSG_MAP()

	void DoDataExchange() override
	{
		DDX_Control(*this, IDC_BUTTON_TOGGLE, m_btnToggle);
		DDX_Control(*this, IDC_TEST_CHECK, m_btnCheck);
	}
};

// The button drawn into a memory bitmap filled with kFill, in the given item state.
class CDrawnButton
{
public:
	CDrawnButton(CImageButton& button, UINT nState) : m_dc(nullptr), m_bitmap(::CreateBitmap(20, 40, 1, 32, nullptr))
	{
		CSelectObject selBitmap(m_dc, m_bitmap);
		CBrush brush(::CreateSolidBrush(kFill));
		RECT rc = {0, 0, 20, 40};
		::FillRect(m_dc, &rc, brush);
		DRAWITEMSTRUCT dis = {};
		dis.CtlType = ODT_BUTTON;
		dis.itemState = nState;
		dis.hwndItem = button;
		dis.hDC = m_dc;
		::GetClientRect(button, &dis.rcItem);
		// Through the dialog, as the system asks it, reflected back to the button.
		::SendMessageA(::GetParent(button), WM_DRAWITEM, ::GetDlgCtrlID(button), reinterpret_cast<LPARAM>(&dis));
	}

	COLORREF At(int x, int y)
	{
		CSelectObject selBitmap(m_dc, m_bitmap);
		return ::GetPixel(m_dc, x, y);
	}

private:
	CCompatibleDC m_dc;
	CBitmap m_bitmap;
};

POINT ScreenPoint(HWND hWnd, int x, int y)
{
	POINT pt = {x, y};
	::ClientToScreen(hWnd, &pt);
	return pt;
}

LPARAM ClientPoint(int x, int y)
{
	return MAKELPARAM(x, y);
}

SIZE WindowSize(HWND hWnd)
{
	RECT rc;
	::GetWindowRect(hWnd, &rc);
	return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

TEST(ImageButton, BoundButtonsDrawTheirLooksByState)
{
	CButtonTestDlg dlg;
	ASSERT_TRUE(dlg.Create(IDD_BUTTON_TEST));
	HWND hToggle = dlg.m_btnToggle;
	ASSERT_TRUE(hToggle);
	// Both became owner-drawn; the check box stays a check box.
	EXPECT_EQ(::GetWindowLongPtrA(hToggle, GWL_STYLE) & 0x0F, BS_OWNERDRAW);
	EXPECT_EQ(::GetWindowLongPtrA(dlg.m_btnCheck, GWL_STYLE) & 0x0F, BS_OWNERDRAW);
	EXPECT_EQ(::SendMessageA(hToggle, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON), DLGC_UNDEFPUSHBUTTON);

	ASSERT_TRUE(dlg.m_btnToggle.SetImages(IDB_PANEL_HIDE, IDB_PANEL_HIDE_HOVER, IDB_PANEL_HIDE_PRESSED, 0, TRUE));
	SIZE size = WindowSize(hToggle);
	EXPECT_EQ(size.cx, 11);
	EXPECT_EQ(size.cy, 33);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(5, 5), kNormal);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, ODS_SELECTED).At(5, 5), kPressed);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, ODS_DISABLED | ODS_SELECTED).At(5, 5), kGrey);
	// The key-coloured corner lets what lies under the button show.
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(0, 0), kFill);

	// The mouse over the button lights it up, until it leaves.
	::SetWindowPos(dlg, HWND_TOPMOST, 100, 100, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
	::UpdateWindow(dlg);
	ASSERT_EQ(::WindowFromPoint(ScreenPoint(hToggle, 5, 5)), hToggle);
	::SendMessageA(hToggle, WM_MOUSEMOVE, 0, ClientPoint(5, 5));
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(5, 5), kHover);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, ODS_SELECTED).At(5, 5), kPressed);
	::SendMessageA(hToggle, WM_MOUSELEAVE, 0, 0);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(5, 5), kNormal);
	// Entering with the left button held (a press that began elsewhere) does not.
	::SendMessageA(hToggle, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(5, 5));
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(5, 5), kNormal);
	::SendMessageA(hToggle, WM_MOUSEMOVE, 0, ClientPoint(5, 5));
	::SendMessageA(hToggle, WM_KILLFOCUS, 0, 0);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(5, 5), kNormal);

	// Check-box mode: checked draws pressed.
	ASSERT_TRUE(dlg.m_btnCheck.SetImages(IDB_PANEL_SHOW, IDB_PANEL_SHOW_HOVER, IDB_PANEL_SHOW_PRESSED, 0, TRUE));
	::SendMessageA(dlg.m_btnCheck, BM_SETCHECK, BST_INDETERMINATE, 0);
	EXPECT_EQ(::SendMessageA(dlg.m_btnCheck, BM_GETCHECK, 0, 0), 1);
	EXPECT_EQ(CDrawnButton(dlg.m_btnCheck, 0).At(5, 5), kPressed);
	::SendMessageA(dlg.m_btnCheck, BM_SETCHECK, BST_UNCHECKED, 0);
	EXPECT_EQ(CDrawnButton(dlg.m_btnCheck, 0).At(5, 5), kNormal);
	// A plain button ignores the check.
	::SendMessageA(hToggle, BM_SETCHECK, BST_CHECKED, 0);
	EXPECT_EQ(::SendMessageA(hToggle, BM_GETCHECK, 0, 0), 0);

	// A zero id leaves no images: nothing is drawn, and the size stays.
	EXPECT_TRUE(dlg.m_btnToggle.SetImages(IDB_PANEL_HIDE, 0, IDB_PANEL_HIDE_PRESSED, 0, TRUE));
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, 0).At(5, 5), kFill);
	size = WindowSize(hToggle);
	EXPECT_EQ(size.cx, 11);
	EXPECT_EQ(size.cy, 33);
	// A missing image fails.
	EXPECT_FALSE(dlg.m_btnToggle.SetImages(IDB_PANEL_HIDE, 4242, IDB_PANEL_HIDE_PRESSED, 0, TRUE));
	dlg.DestroyWindow();
}

TEST(ImageButton, WindowShapeLeavesOutTheKeyColourAndBlack)
{
	CButtonTestDlg dlg;
	ASSERT_TRUE(dlg.Create(IDD_BUTTON_TEST));
	ASSERT_TRUE(dlg.m_btnToggle.SetImages(IDB_BUTTON_TEST, IDB_BUTTON_TEST, IDB_BUTTON_TEST, 0, TRUE));
	CRgn region(::CreateRectRgn(0, 0, 0, 0));
	ASSERT_NE(::GetWindowRgn(dlg.m_btnToggle, region), ERROR);
	// The key colour (the top row's first four pixels) and the black block are outside.
	for (POINT pt : {POINT{0, 0}, POINT{3, 0}, POINT{8, 8}, POINT{9, 9}})
		EXPECT_FALSE(::PtInRegion(region, pt.x, pt.y)) << pt.x << "," << pt.y;
	for (POINT pt : {POINT{4, 0}, POINT{0, 1}, POINT{5, 5}, POINT{10, 9}, POINT{11, 11}})
		EXPECT_TRUE(::PtInRegion(region, pt.x, pt.y)) << pt.x << "," << pt.y;
	RECT rcBox;
	::GetRgnBox(region, &rcBox);
	EXPECT_EQ(rcBox.right, 12);
	EXPECT_EQ(rcBox.bottom, 12);
	// The grey disabled copy keeps the key colour see-through and turns colours grey.
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, ODS_DISABLED).At(0, 0), kFill);
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, ODS_DISABLED).At(5, 5), RGB(59, 59, 59));
	EXPECT_EQ(CDrawnButton(dlg.m_btnToggle, ODS_DISABLED).At(1, 1), RGB(75, 75, 75));
	dlg.DestroyWindow();
}

TEST(ImageButton, TooltipAndFocusWhenDisabled)
{
	CButtonTestDlg dlg;
	ASSERT_TRUE(dlg.Create(IDD_BUTTON_TEST));
	dlg.m_btnToggle.SetImages(IDB_PANEL_HIDE, IDB_PANEL_HIDE_HOVER, IDB_PANEL_HIDE_PRESSED, 0, TRUE);
	dlg.m_btnToggle.SetTooltip(nullptr, TRUE);
	dlg.m_btnToggle.SetTooltip("隐藏视频库", TRUE);
	dlg.m_btnToggle.SetTooltip("显示视频库", TRUE);
	HWND hTip = nullptr;
	for (HWND h = ::FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); h; h = ::FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr))
	{
		if (::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId())
			hTip = h;
	}
	ASSERT_TRUE(hTip);
	EXPECT_EQ(::SendMessageA(hTip, TTM_GETTOOLCOUNT, 0, 0), 1);
	EXPECT_EQ(::SendMessageA(hTip, TTM_GETMAXTIPWIDTH, 0, 0), 400);
	char szText[80] = {};
	TOOLINFOA ti = {};
	ti.cbSize = TTTOOLINFOA_V2_SIZE;
	ti.hwnd = dlg.m_btnToggle;
	ti.uId = 1;
	ti.lpszText = szText;
	::SendMessageA(hTip, TTM_GETTEXTA, sizeof(szText), reinterpret_cast<LPARAM>(&ti));
	EXPECT_STREQ(szText, "显示视频库");

	// Disabled, the button hands the focus on to the next control, though it did not have it.
	HWND hPlain = dlg.GetDlgItem(IDC_TEST_PLAIN);
	::SetFocus(hPlain);
	ASSERT_EQ(::GetFocus(), hPlain);
	dlg.m_btnToggle.EnableWindow(FALSE);
	EXPECT_EQ(::GetFocus(), dlg.m_btnCheck.GetSafeHwnd());
	dlg.DestroyWindow();
	EXPECT_FALSE(::IsWindow(hTip));
}

// A tooltip whose window is left for later names the button at once; no message the button gets makes the
// window, the next call that may make it does.
TEST(ImageButton, TooltipWindowLeftForLaterNamesTheButtonAtOnce)
{
	::CoInitialize(nullptr);
	CButtonTestDlg dlg;
	ASSERT_TRUE(dlg.Create(IDD_BUTTON_TEST));
	auto tooltips = [] {
		int nCount = 0;
		for (HWND h = ::FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); h;
			h = ::FindWindowExA(nullptr, h, TOOLTIPS_CLASSA, nullptr))
			nCount += ::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId();
		return nCount;
	};
	int nBefore = tooltips();
	dlg.m_btnToggle.SetTooltip("隐藏视频库", TRUE, FALSE);
	MSG msg = {};
	msg.hwnd = dlg.m_btnToggle;
	msg.message = WM_MOUSEMOVE;
	msg.lParam = MAKELPARAM(2, 2);
	dlg.m_btnToggle.PreTranslateMessage(&msg);
	EXPECT_EQ(tooltips(), nBefore);
	IAccessible* pButton = nullptr;
	ASSERT_EQ(::AccessibleObjectFromWindow(dlg.m_btnToggle, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
		reinterpret_cast<void**>(&pButton)), S_OK);
	VARIANT varSelf = {};
	varSelf.vt = VT_I4;
	BSTR bstrName = nullptr;
	ASSERT_EQ(pButton->get_accName(varSelf, &bstrName), S_OK);
	EXPECT_STREQ(bstrName, L"隐藏视频库");
	::SysFreeString(bstrName);
	pButton->Release();
	dlg.m_btnToggle.SetTooltip("显示视频库", TRUE);
	EXPECT_EQ(tooltips(), nBefore + 1);
	dlg.DestroyWindow();
	::CoUninitialize();
}

TEST(ImageButton, RealDoubleClickGivesTwoClicksAndEscapeEndsTheModalLoop)
{
	CButtonTestDlg dlg;
	bool bClicked = false;
	std::thread worker([&] {
		HWND hDlg = nullptr;
		for (int i = 0; i < 500 && !(hDlg && ::IsWindowVisible(hDlg)); ++i)
		{
			hDlg = ::FindWindowA(nullptr, "Button test");
			::Sleep(10);
		}
		// Above the windows of tests that run beside this one.
		::SetWindowPos(hDlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
		HWND hToggle = ::GetDlgItem(hDlg, IDC_BUTTON_TOGGLE);
		RECT rc = {};
		::GetWindowRect(hToggle, &rc);
		bClicked = linuxtools::XdoTool("mousemove " + std::to_string(rc.left + 5) + " " + std::to_string(rc.top + 5)
			+ " sleep 0.3 click --repeat 2 --delay 60 1 sleep 0.5 key Escape sleep 0.3");
		// Should the key not end the dialog, it still ends.
		if (::IsWindow(hDlg))
			::PostMessageA(hDlg, WM_CLOSE, 0, 0);
	});
	INT_PTR nResult = dlg.DoModal();
	worker.join();
	ASSERT_TRUE(bClicked);
	EXPECT_EQ(nResult, IDCANCEL);
	EXPECT_EQ(dlg.m_nClicks, 2);
	EXPECT_EQ(dlg.m_nOtherNotifications, 0);
	EXPECT_TRUE(dlg.m_bFocusedOnClick);
	EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST(ImageButton, ScreenReadersHearTheTooltipAndPressTheButtonUntilItIsGone)
{
	::CoInitialize(nullptr);
	CButtonTestDlg dlg;
	ASSERT_TRUE(dlg.Create(IDD_BUTTON_TEST));
	dlg.m_btnToggle.SetTooltip("显示视频库", TRUE);
	IAccessible* pButton = nullptr;
	ASSERT_EQ(::AccessibleObjectFromWindow(dlg.m_btnToggle, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
		reinterpret_cast<void**>(&pButton)), S_OK);
	VARIANT varSelf = {};
	varSelf.vt = VT_I4;
	BSTR bstrName = nullptr;
	ASSERT_EQ(pButton->get_accName(varSelf, &bstrName), S_OK);
	EXPECT_STREQ(bstrName, L"显示视频库");
	::SysFreeString(bstrName);
	VARIANT varRole;
	ASSERT_EQ(pButton->get_accRole(varSelf, &varRole), S_OK);
	EXPECT_EQ(varRole.lVal, ROLE_SYSTEM_PUSHBUTTON);
	// The press is the click's notification to the dialog, once its messages are handled.
	ASSERT_EQ(pButton->accDoDefaultAction(varSelf), S_OK);
	MSG msg;
	while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
		::DispatchMessageW(&msg);
	EXPECT_EQ(dlg.m_nClicks, 1);
	// Kept after the window has gone, the object answers nothing.
	dlg.DestroyWindow();
	bstrName = nullptr;
	EXPECT_EQ(pButton->get_accName(varSelf, &bstrName), E_FAIL);
	EXPECT_EQ(bstrName, nullptr);
	EXPECT_EQ(pButton->accDoDefaultAction(varSelf), E_FAIL);
	pButton->Release();
	::CoUninitialize();
}
}
