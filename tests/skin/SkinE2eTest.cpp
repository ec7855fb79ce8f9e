// The skinned frame end to end: a copy of QuiloPlayer.exe runs with the shipped skins or with a skin
// folder this test writes, and is looked at and driven from outside: hit codes asked from this process,
// the window's region and client area, real pointer clicks through xdotool, and screenshots.
#include "PlayerSuite.h"
#include "SkinFiles.h"

#include "framework/Gdi.h"
#include "support/LinuxTools.h"
#include "support/Rects.h"
#include "support/Processes.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
using namespace skinfiles;
using linuxtools::CScreenShot;

// The frame's own hit codes of its stay-on-top and menu buttons.
const int kHitTopmost = 7777;
const int kHitMenu = 7778;

class SkinE2eTest : public CPlayerSuite
{
protected:
	static void SetUpTestSuite()
	{
		CPlayerSuite::SetUpTestSuite();
		WriteTestSkin(H().Folder() + "skin\\test1\\", true);
		WriteTestSkin(H().Folder() + "skin\\test0\\", false);
	}

	void SetUp() override
	{
		CPlayerSuite::SetUp();
		// The pointer waits in a corner where no player window lies.
		linuxtools::PointerMove(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
	}

	// Starts the player with the skin folder under "skin\" (null: no saved choice, the default skin).
	static HWND StartWithSkin(const char* pszSkin)
	{
		std::string strIni = H().Folder() + "tarnconfig.ini";
		std::string strPath = pszSkin ? H().Folder() + "skin\\" + pszSkin + "\\" : std::string();
		w936::WritePrivateProfileStringA("tarnTVPlayer", "SkinPath", pszSkin ? strPath.c_str() : nullptr, strIni.c_str());
		HWND hWnd = H().StartPlayer();
		if (hWnd)
		{
			m_rcStart = WindowRect(hWnd);
			Activate(hWnd);
		}
		return hWnd;
	}

	static bool Activate(HWND hWnd)
	{
		::SetForegroundWindow(hWnd);
		return WaitFor([&] { return ::GetForegroundWindow() == hWnd; }, 3000);
	}

	// A point of the player window, relative to its top-left corner, in screen coordinates.
	static POINT At(int x, int y)
	{
		RECT rc = WindowRect(H().PlayerWindow());
		return POINT{rc.left + x, rc.top + y};
	}

	static int Hit(int x, int y)
	{
		POINT pt = At(x, y);
		DWORD_PTR dwResult = 0;
		::SendMessageTimeoutA(H().PlayerWindow(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y), SMTO_NORMAL, 5000, &dwResult);
		return static_cast<int>(dwResult);
	}


	static int Width() { RECT rc = WindowRect(H().PlayerWindow()); return rc.right - rc.left; }
	static int Height() { RECT rc = WindowRect(H().PlayerWindow()); return rc.bottom - rc.top; }

	// Takes screenshots of the player until the pixel (relative to the window) has the colour, at most
	// 5 s; the colour seen last.
	static COLORREF WaitForPixel(int x, int y, COLORREF crExpected)
	{
		COLORREF crSeen = CLR_INVALID;
		WaitFor([&] {
			CScreenShot shot;
			crSeen = shot.Take(WindowRect(H().PlayerWindow())) ? shot.Pixel(x, y) : CLR_INVALID;
			return linuxtools::ColoursNear(crSeen, crExpected);
		}, 5000);
		return crSeen;
	}

	// Clicks a caption button of the test skin once the frame shows it lit under the pointer, so the
	// click cannot overtake the pointer's arrival.
	static bool ClickButton(int x, int y)
	{
		POINT pt = At(x, y);
		if (!linuxtools::PointerMove(pt.x, pt.y))
			return false;
		WaitForPixel(x, y, kButtonStates[2]);
		return linuxtools::PointerClick(pt.x, pt.y);
	}

	// Pixels of the caption's text box, left of the buttons, that lie nearer the text colour than the
	// caption's own colour (the title is drawn smoothed), in a screenshot.
	static int CaptionPixels(COLORREF crText, COLORREF crCaption)
	{
		CScreenShot shot;
		if (!shot.Take(WindowRect(H().PlayerWindow())))
			return -1;
		auto distance = [](COLORREF a, COLORREF b) {
			return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b))
				+ std::abs(GetBValue(a) - GetBValue(b));
		};
		int nCount = 0;
		for (int y = 2; y < kCaption; ++y)
			for (int x = kTextShift; x < Width() - kMenuX; ++x)
				nCount += distance(shot.Pixel(x, y), crText) < distance(shot.Pixel(x, y), crCaption);
		return nCount;
	}

	static RECT m_rcStart;
};

RECT SkinE2eTest::m_rcStart = {};

#define EXPECT_PIXEL(x, y, cr) \
	EXPECT_EQ(linuxtools::ColourText(WaitForPixel((x), (y), (cr))), linuxtools::ColourText(cr)) << "at " << (x) << "," << (y)

TEST_F(SkinE2eTest, ShippedModernSkinFramesThePlayer)
{
	HWND hWnd = StartWithSkin(nullptr);
	ASSERT_TRUE(hWnd);
	EXPECT_EQ(::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CAPTION, 0);
	// "skin\现代\": a 30-pixel caption, borders of 4.
	RECT rcClient;
	::GetClientRect(hWnd, &rcClient);
	EXPECT_EQ(rcClient.right, Width() - 8);
	EXPECT_EQ(rcClient.bottom, Height() - 34);
	CRgn rgn(::CreateRectRgn(0, 0, 0, 0));
	ASSERT_EQ(::GetWindowRgn(hWnd, rgn), COMPLEXREGION);
	EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
	EXPECT_FALSE(::PtInRegion(rgn, Width() - 1, 0));
	EXPECT_TRUE(::PtInRegion(rgn, Width() / 2, 0));
	EXPECT_TRUE(::PtInRegion(rgn, 0, Height() - 1));
	EXPECT_TRUE(H().ClosePlayer());
}

TEST_F(SkinE2eTest, EveryRegionAnswersItsHitCode)
{
	ASSERT_TRUE(StartWithSkin("test1"));
	const int cx = Width();
	const int cy = Height();
	const int y = kButtonTop + 3;
	struct Case
	{
		int x, y, nCode;
	};
	const Case normal[] = {{cx - kCloseX + 3, y, HTCLOSE}, {cx - kMaxX + 3, y, HTMAXBUTTON}, {cx - kMinX + 3, y, HTMINBUTTON},
		{cx - kTopmostX + 3, y, kHitTopmost}, {cx - kMenuX + 3, y, kHitMenu}, {kLeft + 3, 8, HTSYSMENU},
		{1, 1, HTTOPLEFT}, {cx - 2, 1, HTTOPRIGHT}, {1, cy - 1, HTBOTTOMLEFT}, {cx - 1, cy - 1, HTBOTTOMRIGHT},
		{1, cy / 2, HTLEFT}, {cx - 2, cy / 2, HTRIGHT}, {cx / 2, cy - 2, HTBOTTOM}, {cx / 2, 1, HTTOP}, {cx / 2, 10, HTCAPTION},
		{cx / 2, cy / 2, HTCLIENT}};
	for (const Case& c : normal)
		EXPECT_EQ(Hit(c.x, c.y), c.nCode) << "at " << c.x << "," << c.y;

	// Left of the screen's origin the coordinates are negative, and still hit the border.
	::SetWindowPos(H().PlayerWindow(), nullptr, -30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
	ASSERT_TRUE(WaitFor([] { return WindowRect(H().PlayerWindow()).left == -30; }, 3000));
	EXPECT_EQ(Hit(1, cy / 2), HTLEFT);
	EXPECT_EQ(Hit(cx / 2, 10), HTCAPTION);
	::SetWindowPos(H().PlayerWindow(), nullptr, m_rcStart.left, m_rcStart.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

	// Maximised by the frame: onto the work area, no sizing borders, the restore button in its place.
	RECT rcWork;
	::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
	ASSERT_TRUE(WaitFor([] { return WindowRect(H().PlayerWindow()).left == m_rcStart.left; }, 3000));
	ASSERT_TRUE(ClickButton(cx - kMaxX + 3, y));
	ASSERT_TRUE(WaitFor([&] { return RectText(WindowRect(H().PlayerWindow())) == RectText(rcWork); }, 5000))
		<< RectText(WindowRect(H().PlayerWindow()));
	EXPECT_FALSE(::IsZoomed(H().PlayerWindow()));
	const int mx = Width();
	const int my = Height();
	const Case maximized[] = {{1, 1, HTCLIENT}, {1, my / 2, HTCLIENT}, {mx - 1, my - 1, HTCLIENT}, {mx / 2, my - 2, HTCLIENT},
		{mx / 2, 10, HTCAPTION}, {mx - kMaxX + 3, y, HTMAXBUTTON}, {mx - kCloseX + 3, y, HTCLOSE}};
	for (const Case& c : maximized)
		EXPECT_EQ(Hit(c.x, c.y), c.nCode) << "maximised, at " << c.x << "," << c.y;
	ASSERT_TRUE(ClickButton(mx - kMaxX + 3, y));
	EXPECT_TRUE(WaitFor([] { return RectText(WindowRect(H().PlayerWindow())) == RectText(m_rcStart); }, 5000))
		<< RectText(WindowRect(H().PlayerWindow()));
	EXPECT_EQ(Hit(1, cy / 2), HTLEFT);
}

TEST_F(SkinE2eTest, ClientAreaAndWindowShapeFollowTheSkin)
{
	HWND hWnd = StartWithSkin("test1");
	ASSERT_TRUE(hWnd);
	RECT rcClient;
	::GetClientRect(hWnd, &rcClient);
	EXPECT_EQ(rcClient.right, Width() - kLeft - kRight);
	EXPECT_EQ(rcClient.bottom, Height() - kCaption - kBottom);
	// The key colour's pixels of the caption strip are cut out, of its left and right images alike.
	auto expectShape = [&](int cx, int cy) {
		CRgn rgn(::CreateRectRgn(0, 0, 0, 0));
		ASSERT_EQ(::GetWindowRgn(hWnd, rgn), COMPLEXREGION);
		for (POINT pt : {POINT{0, 0}, POINT{1, 0}, POINT{0, 1}, POINT{cx - 1, 0}, POINT{cx - 2, 0}, POINT{cx - 1, 1}})
			EXPECT_FALSE(::PtInRegion(rgn, pt.x, pt.y)) << pt.x << "," << pt.y;
		for (POINT pt : {POINT{1, 1}, POINT{cx - 2, 1}, POINT{cx / 2, 0}, POINT{0, kCaption}, POINT{cx - 1, cy - 1}})
			EXPECT_TRUE(::PtInRegion(rgn, pt.x, pt.y)) << pt.x << "," << pt.y;
	};
	expectShape(Width(), Height());
	// A resize cuts the corners of the new size.
	::SetWindowPos(hWnd, nullptr, 0, 0, 620, 480, SWP_NOMOVE | SWP_NOZORDER);
	ASSERT_TRUE(WaitFor([] { return Width() == 620; }, 3000));
	expectShape(620, 480);
	::GetClientRect(hWnd, &rcClient);
	EXPECT_EQ(rcClient.right, 620 - kLeft - kRight);

	// Without UsesTran the frame gives the window its whole rectangle as region, after every paint.
	hWnd = StartWithSkin("test0");
	ASSERT_TRUE(hWnd);
	auto wholeRegion = [&] {
		CRgn rgn(::CreateRectRgn(0, 0, 0, 0));
		RECT rcBox = {};
		return ::GetWindowRgn(hWnd, rgn) == SIMPLEREGION && ::GetRgnBox(rgn, &rcBox) != ERROR
			&& RectText(rcBox) == "0,0," + std::to_string(Width()) + "," + std::to_string(Height());
	};
	EXPECT_TRUE(WaitFor(wholeRegion, 3000));
	::SetWindowPos(hWnd, nullptr, 0, 0, 600, 470, SWP_NOMOVE | SWP_NOZORDER);
	ASSERT_TRUE(WaitFor([] { return Width() == 600; }, 3000));
	EXPECT_TRUE(WaitFor(wholeRegion, 3000));
}

TEST_F(SkinE2eTest, CaptionButtonsActWhenClicked)
{
	HWND hWnd = StartWithSkin("test1");
	ASSERT_TRUE(hWnd);
	const int cx = Width();
	const int y = kButtonTop + 3;

	ASSERT_TRUE(ClickButton(cx - kMinX + 3, y));
	ASSERT_TRUE(WaitFor([&] { return ::IsIconic(hWnd) != FALSE; }, 5000));
	// Long enough for the leave tracking, which checks the pointer every hover time, to see it gone.
	::Sleep(1500);
	// Restored the way the taskbar does it.
	::PostMessageA(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
	ASSERT_TRUE(WaitFor([&] { return !::IsIconic(hWnd); }, 5000));
	EXPECT_TRUE(WaitFor([] { return RectText(WindowRect(H().PlayerWindow())) == RectText(m_rcStart); }, 3000))
		<< RectText(WindowRect(hWnd));
	Activate(hWnd);
	// The pointer left the frame while it was minimised: leaving it now still puts a lit button out.
	POINT ptClose = At(cx - kCloseX + 5, kButtonTop + 5);
	ASSERT_TRUE(linuxtools::PointerMove(ptClose.x, ptClose.y));
	EXPECT_PIXEL(cx - kCloseX + 5, kButtonTop + 5, kButtonStates[2]);
	ASSERT_TRUE(linuxtools::PointerMove(m_rcStart.right + 40, m_rcStart.bottom + 20));
	EXPECT_PIXEL(cx - kCloseX + 5, kButtonTop + 5, kButtonStates[0]);

	ASSERT_TRUE(ClickButton(cx - kTopmostX + 3, y));
	EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongPtrA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }, 3000));
	// The pinned picture now shows.
	EXPECT_PIXEL(cx - kTopmostX + 5, kButtonTop + 5, kPinnedNormal);
	ASSERT_TRUE(ClickButton(cx - kTopmostX + 3, y));
	EXPECT_TRUE(WaitFor([&] { return (::GetWindowLongPtrA(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }, 3000));

	// The menu button pops up the player's button menu; Escape closes it again.
	ASSERT_TRUE(ClickButton(cx - kMenuX + 3, y));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() != nullptr; }, 3000));
	EXPECT_TRUE(linuxtools::TypeKeys(hWnd, "Escape"));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 3000));
	DWORD_PTR dwResult = 0;
	EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &dwResult));

	// So does the About box's menu button (the test skin's "Append.ini" has one too).
	::PostMessageA(hWnd, WM_COMMAND, 16, 0);
	HWND hAbout = nullptr;
	ASSERT_TRUE(WaitFor([&] {
		hAbout = processes::FindTopLevel([&](HWND h) {
			return ::GetWindow(h, GW_OWNER) == hWnd && ::IsWindowVisible(h)
				&& processes::WindowText(h) == "关于 MelboTV播放器";
		});
		return hAbout != nullptr;
	}, 5000));
	RECT rcAbout = WindowRect(hAbout);
	POINT ptMenu = {rcAbout.right - kMenuX + 3, rcAbout.top + y};
	::SendMessageTimeoutA(hAbout, WM_NCHITTEST, 0, MAKELPARAM(ptMenu.x, ptMenu.y), SMTO_NORMAL, 3000, &dwResult);
	ASSERT_EQ(dwResult, static_cast<DWORD_PTR>(kHitMenu));
	ASSERT_TRUE(linuxtools::PointerMove(ptMenu.x, ptMenu.y));
	ASSERT_TRUE(linuxtools::PointerClick(ptMenu.x, ptMenu.y));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() != nullptr; }, 3000));
	// A click beside it closes it (the player's menu above showed Escape does): the keyboard, with a menu
	// open and no window manager, is not reliably the box's.
	ASSERT_TRUE(linuxtools::PointerClick(rcAbout.left + 8, rcAbout.bottom - 8));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 3000));
	EXPECT_TRUE(CPlayerHarness::ClickButton(hAbout, IDOK));
	ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hAbout); }, 3000));

	// Close asks first; No keeps the player.
	ASSERT_TRUE(ClickButton(cx - kCloseX + 3, y));
	HWND hQuestion = H().FindExitQuestion(5000);
	ASSERT_TRUE(hQuestion);
	EXPECT_TRUE(CPlayerHarness::ClickButton(hQuestion, IDNO));
	EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hQuestion); }, 3000));
	EXPECT_EQ(::WaitForSingleObject(H().PlayerProcess(), 500), static_cast<DWORD>(WAIT_TIMEOUT));
	EXPECT_TRUE(H().ClosePlayer());
}

TEST_F(SkinE2eTest, ScreenshotsShowActiveInactiveAndButtonStates)
{
	HWND hWnd = StartWithSkin("test1");
	ASSERT_TRUE(hWnd);
	const int cx = Width();
	const int cy = Height();
	EXPECT_PIXEL(cx / 2, 2, kTopActive);
	EXPECT_PIXEL(2, 10, kLeftActive);
	EXPECT_PIXEL(2, cy / 2, kLeftActive);
	EXPECT_PIXEL(cx - 3, cy / 2, kRightActive);
	EXPECT_PIXEL(cx / 2, cy - 2, kBottomActive);
	const int nCloseX = cx - kCloseX;
	EXPECT_PIXEL(nCloseX + 5, kButtonTop + 5, kButtonStates[0]);
	// A key pixel of a button picture lets the caption show through.
	EXPECT_PIXEL(nCloseX, kButtonTop, kTopActive);
	// The stay-on-top button shows its normal picture while not pinned.
	EXPECT_PIXEL(cx - kTopmostX + 5, kButtonTop + 5, kButtonStates[0]);
	CScreenShot shot;
	ASSERT_TRUE(shot.Take(WindowRect(hWnd)));
	EXPECT_FALSE(linuxtools::ColoursNear(shot.Pixel(0, 0), kKey));
	// The title, from TextShift on, in the active title colour (white) and never the inactive one (black).
	EXPECT_GT(CaptionPixels(RGB(255, 255, 255), kTopActive), 20);
	EXPECT_EQ(CaptionPixels(RGB(0, 0, 0), kTopActive), 0);

	// Another window takes the activation: the inactive halves.
	HWND hOther = ::CreateWindowExA(WS_EX_TOPMOST, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
		::GetModuleHandleA(nullptr), nullptr);
	ASSERT_TRUE(hOther);
	Activate(hOther);
	EXPECT_PIXEL(cx / 2, 2, kTopInactive);
	EXPECT_PIXEL(2, cy / 2, kLeftInactive);
	EXPECT_PIXEL(cx - 3, cy / 2, kRightInactive);
	EXPECT_PIXEL(cx / 2, cy - 2, kBottomInactive);
	EXPECT_GT(CaptionPixels(RGB(0, 0, 0), kTopInactive), 20);
	EXPECT_EQ(CaptionPixels(RGB(255, 255, 255), kTopInactive), 0);
	::DestroyWindow(hOther);
	Activate(hWnd);
	EXPECT_PIXEL(cx / 2, 2, kTopActive);

	// Hover, press, and a release over the caption, which does nothing.
	POINT ptClose = At(nCloseX + 5, kButtonTop + 5);
	ASSERT_TRUE(linuxtools::PointerMove(ptClose.x, ptClose.y));
	EXPECT_PIXEL(nCloseX + 5, kButtonTop + 5, kButtonStates[2]);
	ASSERT_TRUE(linuxtools::PointerDown(ptClose.x, ptClose.y));
	EXPECT_PIXEL(nCloseX + 5, kButtonTop + 5, kButtonStates[1]);
	POINT ptCaption = At(cx / 2, 10);
	ASSERT_TRUE(linuxtools::PointerMove(ptCaption.x, ptCaption.y));
	ASSERT_TRUE(linuxtools::PointerUp(ptCaption.x, ptCaption.y));
	EXPECT_PIXEL(nCloseX + 5, kButtonTop + 5, kButtonStates[0]);
	EXPECT_EQ(H().FindExitQuestion(500), nullptr);
	// Leaving the frame from a lit button puts it out.
	ASSERT_TRUE(linuxtools::PointerMove(ptClose.x, ptClose.y));
	EXPECT_PIXEL(nCloseX + 5, kButtonTop + 5, kButtonStates[2]);
	RECT rcWindow = WindowRect(hWnd);
	ASSERT_TRUE(linuxtools::PointerMove(rcWindow.right + 40, rcWindow.bottom + 20));
	EXPECT_PIXEL(nCloseX + 5, kButtonTop + 5, kButtonStates[0]);
}
}
