// The skinned player at the display scale of the prefix it runs in (LogPixels; scripts/test runs this suite
// at 96, 120, 144 and 192 DPI): sizes, hit codes, the window shape, the caption strip against the shipped
// skin's image for the scale, the caption text, and a DPI change sent as Windows sends it.
#include "PlayerSuite.h"

#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "framework/WideText.h"
#include "support/LinuxTools.h"
#include "support/Processes.h"
#include "support/Rects.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace
{
using linuxtools::CScreenShot;

const int kHitTopmost = 7777;
const int kHitMenu = 7778;
// The shipped "现代" skin and the player's own figures at 96 DPI.
const int kPlayerWidth = 500;
const int kPlayerHeight = 468;
const int kPanelWidth = 490;
const int kCaption = 30;
const int kBorder = 4;
const int kButtonWidth = 28;
const int kButtonHeight = 22;
const int kButtonTop = 4;
const int kFirstButtonX = 34;
const int kButtonStep = 29;
const int kTextShift = 26;
const int kIconLeft = 4;
const int kIconTop = 5;
const int kIconSize = 16;
const char kPanelCaption[] = "MelboTV 快乐视界";
const UINT kPanelHideId = 186;

int Dpi()
{
	CClientDC dc(nullptr);
	return ::GetDeviceCaps(dc, LOGPIXELSX);
}

int S(int n, int nDpi = Dpi())
{
	return ::MulDiv(n, nDpi, 96);
}

class ScaleE2eTest : public CPlayerSuite
{
protected:
	void SetUp() override
	{
		CPlayerSuite::SetUp();
		w936::WritePrivateProfileStringA("tarnTVPlayer", "SkinPath", nullptr, (H().Folder() + "tarnconfig.ini").c_str());
		linuxtools::PointerMove(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
	}

	// The player in its default skin, shown, with its panel; the panel, or null.
	static HWND Start()
	{
		HWND hWnd = H().StartPlayer();
		if (!hWnd)
			return nullptr;
		HWND hPanel = nullptr;
		WaitFor([&] {
			hPanel = processes::FindTopLevel([=](HWND h) {
				return ::GetWindow(h, GW_OWNER) == hWnd && processes::WindowText(h) == kPanelCaption && ::IsWindowVisible(h);
			});
			return hPanel != nullptr;
		}, 5000);
		for (HWND h : {hWnd, hPanel})
			::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
		::SetForegroundWindow(hWnd);
		WaitFor([&] { return ::GetForegroundWindow() == hWnd; }, 3000);
		return hPanel;
	}

	static int Hit(HWND hWnd, int x, int y)
	{
		RECT rc = WindowRect(hWnd);
		DWORD_PTR dwResult = 0;
		::SendMessageTimeoutA(hWnd, WM_NCHITTEST, 0, MAKELPARAM(rc.left + x, rc.top + y), SMTO_NORMAL, 5000, &dwResult);
		return static_cast<int>(dwResult);
	}

	// The caption buttons' hit codes at their centres, and the icon's and the caption's, at nDpi.
	static void ExpectHitCodes(HWND hWnd, int nDpi)
	{
		const int cx = WindowRect(hWnd).right - WindowRect(hWnd).left;
		const int codes[] = {HTCLOSE, HTMAXBUTTON, HTMINBUTTON, kHitTopmost, kHitMenu};
		for (int i = 0; i < 5; ++i)
		{
			// A button's XCoord is its left edge's distance from the window's right edge.
			int nLeft = cx - S(kFirstButtonX + i * kButtonStep, nDpi);
			int nRight = nLeft + S(kButtonWidth, nDpi);
			int nTop = S(kButtonTop, nDpi);
			int nBottom = nTop + S(kButtonHeight, nDpi);
			EXPECT_EQ(Hit(hWnd, (nLeft + nRight) / 2, (nTop + nBottom) / 2), codes[i]) << "button " << i << " at " << nDpi;
			// Its corners belong to it, the pixels beside it do not.
			EXPECT_EQ(Hit(hWnd, nLeft, nTop), codes[i]) << "button " << i << " at " << nDpi;
			EXPECT_EQ(Hit(hWnd, nRight - 1, nBottom - 1), codes[i]) << "button " << i << " at " << nDpi;
			EXPECT_NE(Hit(hWnd, nLeft, nBottom), codes[i]) << "button " << i << " at " << nDpi;
		}
		int nIcon = S(kIconSize, nDpi);
		EXPECT_EQ(Hit(hWnd, S(kIconLeft, nDpi) + nIcon - 1, S(kIconTop, nDpi) + nIcon - 1), HTSYSMENU) << nDpi;
		EXPECT_EQ(Hit(hWnd, cx / 2, S(kCaption, nDpi) - 1), HTCAPTION) << nDpi;
		EXPECT_EQ(Hit(hWnd, cx / 2, S(kCaption, nDpi)), HTCLIENT) << nDpi;
	}

	// Sends WM_DPICHANGED as Windows does, its suggested rectangle in the player's own memory: a pointer
	// in a message to another process is not carried over.
	static bool SendDpiChanged(HWND hWnd, int nDpi, const RECT& rcSuggested)
	{
		DWORD dwProcess = 0;
		::GetWindowThreadProcessId(hWnd, &dwProcess);
		CHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, dwProcess));
		if (!process)
			return false;
		void* pRemote = ::VirtualAllocEx(process.Get(), nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
		SIZE_T cbWritten = 0;
		bool bSent = pRemote && ::WriteProcessMemory(process.Get(), pRemote, &rcSuggested, sizeof(RECT), &cbWritten)
			&& cbWritten == sizeof(RECT)
			&& ::SendMessageTimeoutA(hWnd, WM_DPICHANGED, MAKEWPARAM(nDpi, nDpi), reinterpret_cast<LPARAM>(pRemote),
				SMTO_NORMAL, 10000, nullptr);
		if (pRemote)
			::VirtualFreeEx(process.Get(), pRemote, 0, MEM_RELEASE);
		return bSent;
	}
};

TEST_F(ScaleE2eTest, PlayerPanelAndFrameAreDrawnAtTheDisplayScale)
{
	HWND hPanel = Start();
	ASSERT_TRUE(hPanel);
	HWND hWnd = H().PlayerWindow();
	RECT rcPlayer = WindowRect(hWnd);
	const int cx = rcPlayer.right - rcPlayer.left;
	const int cy = rcPlayer.bottom - rcPlayer.top;
	EXPECT_EQ(cx, S(kPlayerWidth));
	EXPECT_EQ(cy, S(kPlayerHeight));
	EXPECT_EQ(RectText(WindowRect(hPanel)),
		RectText({rcPlayer.right, rcPlayer.top, rcPlayer.right + S(kPanelWidth), rcPlayer.bottom}));
	RECT rcClient;
	::GetClientRect(hWnd, &rcClient);
	EXPECT_EQ(rcClient.right, cx - 2 * S(kBorder));
	EXPECT_EQ(rcClient.bottom, cy - S(kCaption) - S(kBorder));
	ExpectHitCodes(hWnd, Dpi());
	// The side-panel button (11 x 33 at 100 %) against the client area's right edge, its images as large.
	HWND hToggle = ::GetDlgItem(hWnd, 1002);
	RECT rcToggle = WindowRect(hToggle);
	POINT ptClientRight = {rcClient.right, 0};
	::ClientToScreen(hWnd, &ptClientRight);
	EXPECT_EQ(RectText(rcToggle), RectText({ptClientRight.x - S(11), rcToggle.top, ptClientRight.x, rcToggle.top + S(33)}));
	CRgn rgnToggle(::CreateRectRgn(0, 0, 0, 0));
	RECT rcShape = {};
	if (::GetWindowRgn(hToggle, rgnToggle) != ERROR)
		::GetRgnBox(rgnToggle, &rcShape);
	EXPECT_GT(rcShape.right, S(11) - S(2)) << RectText(rcShape);
	EXPECT_GT(rcShape.bottom, S(33) - S(2)) << RectText(rcShape);
	// Its pixels are the program's image drawn for this scale, wherever the image is not key-coloured.
	std::unique_ptr<HINSTANCE__, decltype(&::FreeLibrary)> program(::LoadLibraryExW(
		ToWide((H().Folder() + "QuiloPlayer.exe").c_str()).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), &::FreeLibrary);
	const UINT nImageId = kPanelHideId + (Dpi() == 96 ? 0 : 1000 * (S(100) - 100) / 25);
	CBitmap bmpToggle(::LoadBitmapW(program.get(), MAKEINTRESOURCEW(nImageId)));
	ASSERT_FALSE(bmpToggle.IsNull()) << nImageId;
	ASSERT_EQ(GetBitmapSize(bmpToggle).cx, S(11));
	CCompatibleDC dcToggle(nullptr);
	CSelectObject selToggle(dcToggle, bmpToggle);
	const COLORREF crKey = ::GetPixel(dcToggle, 0, 0);
	CScreenShot shotToggle;
	ASSERT_TRUE(shotToggle.Take(rcToggle, linuxtools::KeepPath("scale-toggle.png")));
	int nTogglePixels = 0;
	for (int y = 0; y < S(33); ++y)
		for (int x = 0; x < S(11); ++x)
		{
			COLORREF crImage = ::GetPixel(dcToggle, x, y);
			if (crImage == crKey)
				continue;
			ASSERT_EQ(linuxtools::ColourText(shotToggle.Pixel(x, y)), linuxtools::ColourText(crImage)) << x << "," << y;
			++nTogglePixels;
		}
	EXPECT_GT(nTogglePixels, S(11) * S(33) * 3 / 4);

	// The rounded caption corners are cut from the key colour of the image at this scale.
	CRgn rgn(::CreateRectRgn(0, 0, 0, 0));
	ASSERT_EQ(::GetWindowRgn(hWnd, rgn), COMPLEXREGION);
	EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
	EXPECT_FALSE(::PtInRegion(rgn, S(1), S(1)));
	EXPECT_FALSE(::PtInRegion(rgn, cx - 1 - S(1), S(1)));
	EXPECT_TRUE(::PtInRegion(rgn, S(7), S(7)));
	EXPECT_TRUE(::PtInRegion(rgn, cx / 2, 0));
	EXPECT_TRUE(::PtInRegion(rgn, 0, S(kCaption)));

	// The rows above the buttons, pixel for pixel the shipped image for this scale (its near cap, middle
	// tiles and far cap), wherever the window shape shows them.
	std::string strFolder = H().Folder() + "skin\\现代\\";
	std::string strImage = strFolder + (Dpi() == 96 ? std::string() : std::to_string(S(100)) + "\\") + "Top.bmp";
	CBitmap bmpTop(static_cast<HBITMAP>(::LoadImageW(nullptr, ToWide(strImage.c_str()).c_str(), IMAGE_BITMAP, 0, 0,
		LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
	ASSERT_FALSE(bmpTop.IsNull()) << strImage;
	SIZE sizeTop = GetBitmapSize(bmpTop);
	ASSERT_EQ(sizeTop.cy, 2 * S(kCaption));
	auto readCap = [&](const char* pszKey) {
		char szValue[16] = {};
		w936::GetPrivateProfileStringA("Personality", pszKey, "0", szValue, sizeof(szValue), (strFolder + "Main.ini").c_str());
		return S(atoi(szValue));
	};
	const int nCapEnd = readCap("TopTopHeight");
	const int nCapStart = sizeTop.cx - readCap("TopBotHeight");
	const int nLength = cx - 2 * S(kBorder) + 1;
	const int nLastCap = sizeTop.cx - 1 - nCapStart;
	CCompatibleDC dcImage(nullptr);
	CSelectObject select(dcImage, bmpTop);
	CScreenShot shot;
	// The caption strip alone: at 192 DPI the window is taller than the test screen.
	ASSERT_TRUE(shot.Take(RECT{rcPlayer.left, rcPlayer.top, rcPlayer.right, rcPlayer.top + S(kCaption)},
		linuxtools::KeepPath("scale-caption.png"))) << RectText(rcPlayer);
	int nCompared = 0;
	for (int y = 0; y < S(kButtonTop); ++y)
		for (int x = S(kBorder); x < cx - S(kBorder); ++x)
		{
			int c = x - S(kBorder);
			int nSource = c < nCapEnd ? c : c >= nLength - nLastCap ? nCapStart + c - (nLength - nLastCap)
				: nCapEnd + (c - nCapEnd) % (nCapStart - nCapEnd);
			if (!::PtInRegion(rgn, x, y))
				continue;
			COLORREF crImage = ::GetPixel(dcImage, nSource, y);
			ASSERT_EQ(linuxtools::ColourText(shot.Pixel(x, y)), linuxtools::ColourText(crImage)) << "at " << x << "," << y;
			++nCompared;
		}
	EXPECT_GT(nCompared, cx * S(kButtonTop) / 2);

	// The title: white, starting at its scaled shift (clear of the icon), within the caption and left of
	// the buttons, in a font grown with the scale.
	RECT rcInk = {cx, cy, -1, -1};
	const int nIconRight = S(kIconLeft) + S(kIconSize);
	for (int y = 0; y < S(kCaption); ++y)
		for (int x = nIconRight; x < cx - S(kFirstButtonX + 4 * kButtonStep); ++x)
			if (linuxtools::ColoursNear(shot.Pixel(x, y), RGB(255, 255, 255), 60))
				rcInk = RECT{std::min<LONG>(rcInk.left, x), std::min<LONG>(rcInk.top, y), std::max<LONG>(rcInk.right, x + 1),
					std::max<LONG>(rcInk.bottom, y + 1)};
	ASSERT_GE(rcInk.right, 0) << "no title drawn";
	EXPECT_GE(rcInk.left, S(kTextShift)) << RectText(rcInk);
	EXPECT_GT(rcInk.left, nIconRight) << RectText(rcInk);
	EXPECT_GE(rcInk.top, S(2)) << RectText(rcInk);
	EXPECT_LE(rcInk.bottom, S(kCaption) - 1) << RectText(rcInk);
	EXPECT_GE(rcInk.bottom - rcInk.top, S(9)) << RectText(rcInk);
	EXPECT_TRUE(H().ClosePlayer());
}

TEST_F(ScaleE2eTest, PanelSnapsWithinTheScaledDistanceByARealDrag)
{
	HWND hPanel = Start();
	ASSERT_TRUE(hPanel);
	// The pair at the screen's left edge, so that the panel's right edge lies beyond the snapping distance
	// of the screen's right edge (at 120 DPI the pair is 1237 pixels wide).
	HWND hWnd = H().PlayerWindow();
	const int nTop = WindowRect(hWnd).top;
	::SetWindowPos(hWnd, nullptr, 0, nTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
	::SetWindowPos(hPanel, nullptr, S(kPlayerWidth), nTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
	ASSERT_TRUE(WaitFor([&] { return WindowRect(hPanel).left == S(kPlayerWidth) && WindowRect(hWnd).left == 0; }, 3000));
	const RECT rcFlush = WindowRect(hPanel);
	// Dragged by its caption (near its left end: at 192 DPI the panel reaches past the test screen) a
	// little way from the player: within the snapping distance (15 at 100 %) it comes back flush, beyond it
	// it stays. Distances between 15 and the scaled one tell a scaled distance from an unscaled one.
	const int nSnap = S(15);
	for (int dx : {nSnap - 3, nSnap + 3})
	{
		RECT rc = WindowRect(hPanel);
		POINT pt = {-1, -1};
		for (int y = rc.top + 1; y < rc.top + S(kCaption) && pt.y < 0; ++y)
		{
			DWORD_PTR dwHit = 0;
			::SendMessageTimeoutA(hPanel, WM_NCHITTEST, 0, MAKELPARAM(rc.left + S(60), y), SMTO_NORMAL, 3000, &dwHit);
			if (dwHit == HTCAPTION)
				pt = POINT{rc.left + S(60), y};
		}
		ASSERT_GE(pt.y, 0);
		auto pos = [](int x, int y) { return std::to_string(x) + " " + std::to_string(y); };
		ASSERT_TRUE(linuxtools::XdoTool("mousemove " + pos(pt.x, pt.y) + " sleep 0.2 mousedown 1 sleep 0.2 mousemove "
			+ pos(pt.x + dx / 2, pt.y) + " sleep 0.2 mousemove " + pos(pt.x + dx, pt.y) + " sleep 0.2 mouseup 1"));
		RECT rcExpected = rcFlush;
		if (dx > nSnap)
			::OffsetRect(&rcExpected, dx, 0);
		EXPECT_TRUE(WaitFor([&] { return RectText(WindowRect(hPanel)) == RectText(rcExpected); }, 3000))
			<< "moved by " << dx << ": " << RectText(WindowRect(hPanel)) << ", expected " << RectText(rcExpected);
	}
	EXPECT_TRUE(H().ClosePlayer());
}

TEST_F(ScaleE2eTest, DpiChangeRescalesTheRunningPlayerAndItsPanelAndBack)
{
	HWND hPanel = Start();
	ASSERT_TRUE(hPanel);
	HWND hWnd = H().PlayerWindow();
	const int nDpi = Dpi();
	const int nOther = nDpi == 144 ? 96 : 144;
	RECT rcStart = WindowRect(hWnd);
	for (int nTo : {nOther, nDpi})
	{
		RECT rc = WindowRect(hWnd);
		int nFrom = nTo == nOther ? nDpi : nOther;
		RECT rcSuggested = {rc.left, rc.top, rc.left + ::MulDiv(rc.right - rc.left, nTo, nFrom),
			rc.top + ::MulDiv(rc.bottom - rc.top, nTo, nFrom)};
		ASSERT_TRUE(SendDpiChanged(hWnd, nTo, rcSuggested));
		EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcSuggested)) << nTo;
		RECT rcClient;
		::GetClientRect(hWnd, &rcClient);
		EXPECT_EQ(rcClient.right, rcSuggested.right - rcSuggested.left - 2 * S(kBorder, nTo)) << nTo;
		EXPECT_EQ(rcClient.bottom, rcSuggested.bottom - rcSuggested.top - S(kCaption, nTo) - S(kBorder, nTo)) << nTo;
		ExpectHitCodes(hWnd, nTo);
		// The side-panel button takes the new scale, its shape cut from the images made for it.
		HWND hToggle = ::GetDlgItem(hWnd, 1002);
		RECT rcToggle = WindowRect(hToggle);
		EXPECT_EQ(rcToggle.right - rcToggle.left, S(11, nTo)) << nTo;
		EXPECT_EQ(rcToggle.bottom - rcToggle.top, S(33, nTo)) << nTo;
		CRgn rgnToggle(::CreateRectRgn(0, 0, 0, 0));
		RECT rcShape = {};
		if (::GetWindowRgn(hToggle, rgnToggle) != ERROR)
			::GetRgnBox(rgnToggle, &rcShape);
		EXPECT_EQ(rcShape.bottom, S(33, nTo)) << nTo;
		// The panel follows at the same scale, flush against the player; its close button (34 from its
		// right edge, 4 down) where that scale puts it.
		RECT rcPanel = WindowRect(hPanel);
		EXPECT_EQ(RectText(rcPanel), RectText({rcSuggested.right, rcSuggested.top,
			rcSuggested.right + S(kPanelWidth, nTo), rcSuggested.bottom})) << nTo;
		int nPanelWidth = rcPanel.right - rcPanel.left;
		EXPECT_EQ(Hit(hPanel, nPanelWidth - S(kFirstButtonX, nTo) + S(kButtonWidth, nTo) - 1, S(kButtonTop, nTo)), HTCLOSE) << nTo;
		EXPECT_NE(Hit(hPanel, nPanelWidth - S(kFirstButtonX, nTo) + S(kButtonWidth, nTo), S(kButtonTop, nTo)), HTCLOSE) << nTo;
	}
	EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcStart));
	EXPECT_TRUE(H().ClosePlayer());
}
}
