// The whole player window end to end: the side panel beside the player, both dragged with the real
// pointer, the side-panel button, the menus and their commands, the notification messages, the About box
// and the skin choice, on a copy of QuiloPlayer.exe with the stand-in controls and the shipped skins.
#include "PlayerSuite.h"

#include "framework/Gdi.h"
#include "support/LinuxTools.h"
#include "support/Rects.h"
#include "support/Processes.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace
{
const char kPanelCaption[] = "MelboTV 快乐视界";
const char kAboutCaption[] = "关于 MelboTV播放器";
const UINT kTrayMessage = WM_USER + 100;
const int kToggleButtonId = 1002;
const int kBrowserId = 1005;
const int kHitMenuButton = 7778;
const int kPanelWidth = 490;
const int kPlayerWidth = 500;
const int kHeight = 468;

RECT Moved(RECT rc, int dx, int dy)
{
	::OffsetRect(&rc, dx, dy);
	return rc;
}

std::string ClassOf(HWND hWnd)
{
	char szClass[64] = {};
	::GetClassNameA(hWnd, szClass, sizeof(szClass));
	return szClass;
}

std::string TextOf(HWND hWnd)
{
	return processes::WindowText(hWnd);
}

// A dialog of the player's: owned by it, with this caption.
HWND FindOwnedDialog(HWND hWndOwner, const char* pszCaption)
{
	return processes::FindTopLevel([=](HWND hWnd) {
		// Shown once its initialisation is over.
		return ::GetWindow(hWnd, GW_OWNER) == hWndOwner && ClassOf(hWnd) == "#32770" && TextOf(hWnd) == pszCaption
			&& ::IsWindowVisible(hWnd);
	});
}

// Whether the button shows, on the screen, the program's bitmap resource nID: every pixel of the image
// but those of its key colour (its top-left pixel), which lie outside the button's shape.
bool ButtonShows(HWND hButton, const std::string& strProgram, UINT nID)
{
	HMODULE hModule = w936::LoadLibraryExA(strProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
	CBitmap bitmap(static_cast<HBITMAP>(::LoadImageA(hModule, MAKEINTRESOURCEA(nID), IMAGE_BITMAP, 0, 0,
		LR_CREATEDIBSECTION)));
	if (hModule)
		::FreeLibrary(hModule);
	SIZE size = GetBitmapSize(bitmap);
	if (size.cx <= 0)
		return false;
	std::vector<COLORREF> image(static_cast<size_t>(size.cx) * size.cy);
	CCompatibleDC dc(nullptr);
	{
		CSelectObject select(dc, bitmap);
		for (int y = 0; y < size.cy; ++y)
			for (int x = 0; x < size.cx; ++x)
				image[static_cast<size_t>(y) * size.cx + x] = ::GetPixel(dc, x, y);
	}
	linuxtools::CScreenShot shot;
	if (!shot.Take(WindowRect(hButton)) || shot.Width() != size.cx)
		return false;
	const COLORREF crKey = image[0];
	for (int y = 0; y < size.cy; ++y)
		for (int x = 0; x < size.cx; ++x)
		{
			COLORREF cr = image[static_cast<size_t>(y) * size.cx + x];
			if (cr != crKey && cr != RGB(0, 0, 0) && !linuxtools::ColoursNear(shot.Pixel(x, y), cr))
				return false;
		}
	return true;
}

std::string Pos(int x, int y)
{
	return std::to_string(x) + " " + std::to_string(y);
}

// The skin folders in the order the file system lists them, as the player lists them.
std::vector<std::string> SkinFolders(const std::string& strRoot)
{
	std::vector<std::string> folders;
	WIN32_FIND_DATAA data;
	HANDLE hFind = w936::FindFirstFileA((strRoot + "*.*").c_str(), &data);
	if (hFind == INVALID_HANDLE_VALUE)
		return folders;
	do
	{
		std::string strName = data.cFileName;
		if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strName != "." && strName != "..")
			folders.push_back(strRoot + strName + "\\");
	} while (w936::FindNextFileA(hFind, &data));
	::FindClose(hFind);
	return folders;
}

void CopyFolder(const std::string& strFrom, const std::string& strTo)
{
	w936::CreateDirectoryA(strTo.c_str(), nullptr);
	WIN32_FIND_DATAA data;
	HANDLE hFind = w936::FindFirstFileA((strFrom + "*.*").c_str(), &data);
	if (hFind == INVALID_HANDLE_VALUE)
		return;
	do
	{
		if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
			w936::CopyFileA((strFrom + data.cFileName).c_str(), (strTo + data.cFileName).c_str(), FALSE);
	} while (w936::FindNextFileA(hFind, &data));
	::FindClose(hFind);
}

// Stands in for the taskbar: Wine's shell hands each notification-icon call, as a copy-data message whose
// number is the action, to the first window of class "Shell_TrayWnd"; a topmost one of this process comes
// before the desktop's own. Its thread answers while the test waits.
class CFakeTaskbar
{
public:
	struct Icon
	{
		DWORD dwAction;
		HWND hWnd;
		UINT uID;
		UINT uFlags;
		UINT uCallbackMessage;
		std::wstring strTip;
		int cx, cy;
		// The icon's colour bitmap, as GetBitmapBits reads it.
		std::vector<BYTE> colour;
		// Whether the icon's window was on the screen when the shell got the call.
		bool bWindowShown;
	};

	CFakeTaskbar()
	{
		m_hReady = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
		m_hThread = ::CreateThread(nullptr, 0, &ThreadProc, this, 0, &m_dwThread);
		::WaitForSingleObject(m_hReady, 5000);
	}
	~CFakeTaskbar()
	{
		::PostThreadMessageA(m_dwThread, WM_QUIT, 0, 0);
		::WaitForSingleObject(m_hThread, 5000);
		::CloseHandle(m_hThread);
		::CloseHandle(m_hReady);
	}
	bool Ready() const { return m_hWnd != nullptr; }
	// The first call of that action; false when none came yet.
	bool First(DWORD dwAction, Icon& icon)
	{
		std::lock_guard<std::mutex> lock(m_mutex);
		auto it = std::find_if(m_calls.begin(), m_calls.end(), [&](const Icon& call) { return call.dwAction == dwAction; });
		if (it == m_calls.end())
			return false;
		icon = *it;
		return true;
	}

private:
	// The record in the layout of Wine's shell, the icon's mask and colour bits after it.
	struct NotifyData
	{
		LONG hWnd;
		UINT uID;
		UINT uFlags;
		UINT uCallbackMessage;
		WCHAR szTip[128];
		DWORD dwState;
		DWORD dwStateMask;
		WCHAR szInfo[256];
		UINT uTimeout;
		WCHAR szInfoTitle[64];
		DWORD dwInfoFlags;
		GUID guidItem;
		UINT width;
		UINT height;
		UINT planes;
		UINT bpp;
	};

	static DWORD WINAPI ThreadProc(LPVOID pParam)
	{
		auto* pThis = static_cast<CFakeTaskbar*>(pParam);
		WNDCLASSA wc = {};
		wc.lpfnWndProc = &WindowProc;
		wc.hInstance = ::GetModuleHandleA(nullptr);
		wc.lpszClassName = "Shell_TrayWnd";
		::RegisterClassA(&wc);
		pThis->m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
			wc.hInstance, nullptr);
		::SetWindowLongPtrA(pThis->m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
		::SetEvent(pThis->m_hReady);
		MSG msg;
		while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
			::DispatchMessageA(&msg);
		::DestroyWindow(pThis->m_hWnd);
		return 0;
	}

	static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
	{
		auto* pThis = reinterpret_cast<CFakeTaskbar*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
		const auto* pCopy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
		if (uMsg != WM_COPYDATA || !pThis || !pCopy || pCopy->cbData < sizeof(NotifyData))
			return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
		const auto* pData = static_cast<const NotifyData*>(pCopy->lpData);
		Icon icon = {static_cast<DWORD>(pCopy->dwData), reinterpret_cast<HWND>(static_cast<LONG_PTR>(pData->hWnd)),
			pData->uID, pData->uFlags, pData->uCallbackMessage, pData->szTip, static_cast<int>(pData->width),
			static_cast<int>(pData->height), {}, false};
		icon.bWindowShown = ::IsWindowVisible(icon.hWnd) != FALSE;
		size_t cbColour = static_cast<size_t>(pData->width) * pData->height * pData->bpp / 8;
		if (cbColour <= pCopy->cbData - sizeof(NotifyData))
		{
			const BYTE* pEnd = static_cast<const BYTE*>(pCopy->lpData) + pCopy->cbData;
			icon.colour.assign(pEnd - cbColour, pEnd);
		}
		std::lock_guard<std::mutex> lock(pThis->m_mutex);
		pThis->m_calls.push_back(icon);
		return TRUE;
	}

	HANDLE m_hReady = nullptr;
	HANDLE m_hThread = nullptr;
	DWORD m_dwThread = 0;
	HWND m_hWnd = nullptr;
	std::mutex m_mutex;
	std::vector<Icon> m_calls;
};

// The colour bits of the program's icon resource nID at that size.
std::vector<BYTE> IconColourBits(const std::string& strProgram, UINT nID, int cx, int cy)
{
	std::vector<BYTE> bits;
	HMODULE hModule = w936::LoadLibraryExA(strProgram.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
	HICON hIcon = static_cast<HICON>(::LoadImageA(hModule, MAKEINTRESOURCEA(nID), IMAGE_ICON, cx, cy, 0));
	ICONINFO info = {};
	if (hIcon && ::GetIconInfo(hIcon, &info))
	{
		BITMAP bm = {};
		::GetObjectA(info.hbmColor, sizeof(bm), &bm);
		bits.resize(static_cast<size_t>(bm.bmWidthBytes) * bm.bmHeight);
		::GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), bits.data());
		::DeleteObject(info.hbmColor);
		::DeleteObject(info.hbmMask);
	}
	if (hIcon)
		::DestroyIcon(hIcon);
	if (hModule)
		::FreeLibrary(hModule);
	return bits;
}

class WindowE2eTest : public CPlayerSuite
{
protected:
	static void SetUpTestSuite()
	{
		CPlayerSuite::SetUpTestSuite();
		w936::SetEnvironmentVariableA("QUILO_BROWSER_JOURNAL", BrowserJournal().c_str());
	}

	void SetUp() override
	{
		CPlayerSuite::SetUp();
		H().ServeConfig(std::string());
		testfiles::Remove(BrowserJournal());
		w936::WritePrivateProfileStringA("tarnTVPlayer", "SkinPath", nullptr, Ini().c_str());
		// The pointer waits in a corner where no window of the player lies.
		linuxtools::PointerMove(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
	}

	static std::string Ini() { return H().Folder() + "tarnconfig.ini"; }
	static std::string SkinRoot() { return H().Folder() + "skin\\"; }
	static std::string BrowserJournal() { return H().Folder() + "browser.txt"; }

	// Starts the player and waits for its side panel; the panel, or null.
	static HWND StartWithPanel(const std::vector<std::string>& extraEnv = {})
	{
		HWND hWnd = H().StartPlayer(extraEnv);
		if (!hWnd)
			return nullptr;
		HWND hPanel = nullptr;
		WaitFor([&] {
			hPanel = FindOwnedDialog(hWnd, kPanelCaption);
			return hPanel && ::IsWindowVisible(hPanel);
		}, 5000);
		// Above the windows of tests running beside this one.
		for (HWND h : {hWnd, hPanel})
			::SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
		return hPanel;
	}

	// The player with its panel, in the default skin (which cuts its caption corners out of the window), and
	// the place of the other shipped skin in the skin list; -1 when either is missing.
	static int StartInDefaultSkin(HWND& hPanel)
	{
		hPanel = StartWithPanel();
		std::vector<std::string> folders = SkinFolders(SkinRoot());
		auto itClassic = std::find(folders.begin(), folders.end(), ClassicSkin());
		CRgn rgn(::CreateRectRgn(0, 0, 0, 0));
		if (!hPanel || itClassic == folders.end() || ::GetWindowRgn(H().PlayerWindow(), rgn) != COMPLEXREGION)
			return -1;
		return static_cast<int>(itClassic - folders.begin());
	}

	static std::string ClassicSkin() { return SkinRoot() + "经典\\"; }

	// A point on the window's caption, nX pixels from its left edge, as its frame answers.
	static POINT CaptionPoint(HWND hWnd, int nX)
	{
		RECT rc = WindowRect(hWnd);
		for (int y = rc.top + 1; y < rc.top + 40; ++y)
		{
			DWORD_PTR dwHit = 0;
			::SendMessageTimeoutA(hWnd, WM_NCHITTEST, 0, MAKELPARAM(rc.left + nX, y), SMTO_NORMAL, 3000, &dwHit);
			if (dwHit == HTCAPTION)
				return POINT{rc.left + nX, y};
		}
		return POINT{-1, -1};
	}

	// Presses at the point, moves by (dx, dy) in two steps and releases.
	static bool Drag(POINT pt, int dx, int dy)
	{
		return linuxtools::XdoTool("mousemove " + Pos(pt.x, pt.y) + " sleep 0.2 mousedown 1 sleep 0.2 mousemove "
			+ Pos(pt.x + dx / 2, pt.y + dy / 2) + " sleep 0.2 mousemove " + Pos(pt.x + dx, pt.y + dy)
			+ " sleep 0.2 mouseup 1 sleep 0.3");
	}

	static bool BrowserFillsPanel(HWND hPanel)
	{
		// The browser's rectangle is the panel's client rectangle: none of the page is under the frame.
		RECT rc = {}, rcClient = {};
		HWND hBrowser = ::GetDlgItem(hPanel, kBrowserId);
		::GetClientRect(hPanel, &rcClient);
		if (!::GetWindowRect(hBrowser, &rc) || rcClient.right == 0)
			return false;
		::MapWindowPoints(nullptr, hPanel, reinterpret_cast<POINT*>(&rc), 2);
		return ::EqualRect(&rc, &rcClient) != FALSE;
	}

	static int Navigations()
	{
		std::vector<std::string> calls = H().Calls();
		return static_cast<int>(std::count_if(calls.begin(), calls.end(),
			[](const std::string& s) { return s.rfind("browser Navigate2", 0) == 0; }));
	}

	static bool Post(UINT uMsg, WPARAM wParam, LPARAM lParam = 0)
	{
		return ::PostMessageA(H().PlayerWindow(), uMsg, wParam, lParam) != FALSE;
	}

	static std::string SavedSkin()
	{
		char sz[MAX_PATH] = {};
		w936::GetPrivateProfileStringA("tarnTVPlayer", "SkinPath", "<none>", sz, sizeof(sz), Ini().c_str());
		return sz;
	}

	static bool HasCaptionStyle(HWND hWnd) { return (::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CAPTION) != 0; }

	// Clicks the player's menu button, found by the frame's hit code; true once the menu shows.
	static bool OpenFrameMenu()
	{
		HWND hWnd = H().PlayerWindow();
		RECT rc = WindowRect(hWnd);
		for (int x = rc.right - 200; x < rc.right; ++x)
		{
			DWORD_PTR dwHit = 0;
			::SendMessageTimeoutA(hWnd, WM_NCHITTEST, 0, MAKELPARAM(x, rc.top + 10), SMTO_NORMAL, 3000, &dwHit);
			if (dwHit == static_cast<DWORD_PTR>(kHitMenuButton))
			{
				::SetForegroundWindow(hWnd);
				return linuxtools::PointerClick(x + 3, rc.top + 10)
					&& WaitFor([] { return FindShownMenu() != nullptr; }, 3000);
			}
		}
		return false;
	}

	// Brings hWnd to the front and waits until its thread's focus is inside it; that focus, or null.
	static HWND FocusInFront(HWND hWnd)
	{
		::SetForegroundWindow(hWnd);
		GUITHREADINFO info = {};
		info.cbSize = sizeof(info);
		DWORD dwThread = ::GetWindowThreadProcessId(hWnd, nullptr);
		bool bReady = WaitFor([&] {
			return ::GetForegroundWindow() == hWnd && ::GetGUIThreadInfo(dwThread, &info) && info.hwndActive == hWnd
				&& (info.hwndFocus == hWnd || ::IsChild(hWnd, info.hwndFocus));
		}, 5000);
		return bReady ? info.hwndFocus : nullptr;
	}

	static HWND ThreadFocus(HWND hWnd)
	{
		GUITHREADINFO info = {};
		info.cbSize = sizeof(info);
		return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hWnd, nullptr), &info) ? info.hwndFocus : nullptr;
	}

};

TEST_F(WindowE2eTest, PanelStandsFlushRightAndShowsItsPageOnceLoaded)
{
	// The page takes a while to load: until then the browser has no size and the panel shows black.
	HWND hPanel = StartWithPanel({"QUILO_STANDIN_NAVIGATE_MS=2500"});
	ASSERT_TRUE(hPanel);
	HWND hWnd = H().PlayerWindow();
	int cxScreen = ::GetSystemMetrics(SM_CXSCREEN), cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
	RECT rcPlayer = WindowRect(hWnd);
	int nLeft = (cxScreen - kPlayerWidth - kPanelWidth) / 2, nTop = (cyScreen - kHeight) / 2;
	EXPECT_EQ(RectText(rcPlayer), RectText({nLeft, nTop, nLeft + kPlayerWidth, nTop + kHeight}));
	EXPECT_EQ(RectText(WindowRect(hPanel)),
		RectText({rcPlayer.right, rcPlayer.top, rcPlayer.right + kPanelWidth, rcPlayer.top + kHeight}));
	// Both wear the skin's frame.
	EXPECT_FALSE(HasCaptionStyle(hWnd));
	EXPECT_FALSE(HasCaptionStyle(hPanel));

	RECT rcBrowser = WindowRect(::GetDlgItem(hPanel, kBrowserId));
	EXPECT_EQ(rcBrowser.right - rcBrowser.left, 0);
	EXPECT_EQ(rcBrowser.bottom - rcBrowser.top, 0);
	RECT rcClient;
	::GetClientRect(hPanel, &rcClient);
	POINT ptMiddle = {rcClient.right / 2, rcClient.bottom / 2};
	::ClientToScreen(hPanel, &ptMiddle);
	linuxtools::CScreenShot shot;
	RECT rcSpot = {ptMiddle.x, ptMiddle.y, ptMiddle.x + 1, ptMiddle.y + 1};
	EXPECT_TRUE(shot.Take(rcSpot) && shot.Pixel(0, 0) == RGB(0, 0, 0)) << linuxtools::ColourText(shot.Pixel(0, 0));

	EXPECT_TRUE(WaitFor([&] { return BrowserFillsPanel(hPanel); }, 10000));
	EXPECT_EQ(Navigations(), 1);
}

TEST_F(WindowE2eTest, DraggingThePlayerCarriesThePanelWhichAloneSnapsBack)
{
	HWND hPanel = StartWithPanel();
	ASSERT_TRUE(hPanel);
	HWND hWnd = H().PlayerWindow();
	RECT rcPlayer = WindowRect(hWnd), rcPanel = WindowRect(hPanel);

	// By the caption: the system's move loop would take the player alone.
	POINT pt = CaptionPoint(hWnd, 150);
	ASSERT_GE(pt.y, 0);
	ASSERT_TRUE(Drag(pt, 100, 60));
	rcPlayer = Moved(rcPlayer, 100, 60);
	rcPanel = Moved(rcPanel, 100, 60);
	EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcPlayer));
	EXPECT_EQ(RectText(WindowRect(hPanel)), RectText(rcPanel));

	// The panel alone moves alone ...
	pt = CaptionPoint(hPanel, 150);
	ASSERT_GE(pt.y, 0);
	ASSERT_TRUE(Drag(pt, 60, 40));
	EXPECT_EQ(RectText(WindowRect(hPanel)), RectText(Moved(rcPanel, 60, 40)));
	EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcPlayer));
	// ... and coming within 10 pixels of the player's right edge it snaps flush against it.
	pt = CaptionPoint(hPanel, 150);
	ASSERT_TRUE(Drag(pt, -50, -40));
	EXPECT_EQ(RectText(WindowRect(hPanel)), RectText(rcPanel));
	EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcPlayer));

	// Sized by its corner, the panel keeps its width and its browser takes the new size.
	ASSERT_TRUE(WaitFor([&] { return BrowserFillsPanel(hPanel); }, 10000));
	POINT ptCorner = {rcPanel.right - 2, rcPanel.bottom - 2};
	DWORD_PTR dwHit = 0;
	::SendMessageTimeoutA(hPanel, WM_NCHITTEST, 0, MAKELPARAM(ptCorner.x, ptCorner.y), SMTO_NORMAL, 3000, &dwHit);
	ASSERT_EQ(dwHit, static_cast<DWORD_PTR>(HTBOTTOMRIGHT));
	ASSERT_TRUE(Drag(ptCorner, 60, 50));
	EXPECT_EQ(RectText(WindowRect(hPanel)),
		RectText({rcPanel.left, rcPanel.top, rcPanel.left + kPanelWidth, rcPanel.bottom + 50}));
	EXPECT_TRUE(BrowserFillsPanel(hPanel));
	RECT rcClient = {};
	::GetClientRect(hPanel, &rcClient);
	EXPECT_LT(rcClient.right, kPanelWidth);
}

TEST_F(WindowE2eTest, ButtonAndCloseHideThePanelWhichComesBackWithoutANewPage)
{
	HWND hPanel = StartWithPanel();
	ASSERT_TRUE(hPanel);
	ASSERT_TRUE(WaitFor([&] { return BrowserFillsPanel(hPanel); }, 10000));
	H().ClearJournal();
	HWND hWnd = H().PlayerWindow();
	HWND hButton = ::GetDlgItem(hWnd, kToggleButtonId);
	RECT rc = WindowRect(hWnd);

	// The pointer moving in the player shows the button; resting on it lights up the look that says what a
	// click does: the triangle toward the panel hides it (191), the one away from it shows it (173).
	auto restOnButton = [&] {
		linuxtools::PointerMove(rc.left + 100, rc.top + 200);
		RECT rcButton = WindowRect(hButton);
		return linuxtools::XdoTool("mousemove " + Pos(rc.left + 120, rc.top + 220) + " sleep 0.6 mousemove "
			+ Pos(rcButton.left + 5, rcButton.top + 16) + " sleep 0.2 mousemove " + Pos(rcButton.left + 6, rcButton.top + 17));
	};
	// The auto-hide timer may hide the button while the pointer rests: a small move on it shows it again.
	auto shows = [&](UINT nID) {
		int nMove = 0;
		return WaitFor([&] {
			RECT rcButton = WindowRect(hButton);
			linuxtools::PointerMove(rcButton.left + 5 + nMove++ % 2, rcButton.top + 16);
			return ::IsWindowVisible(hButton) && ButtonShows(hButton, H().ProgramPath(), nID);
		}, 8000);
	};
	auto clickButton = [&] {
		RECT rcButton = WindowRect(hButton);
		return linuxtools::PointerClick(rcButton.left + 5, rcButton.top + 16);
	};
	ASSERT_TRUE(restOnButton());
	EXPECT_TRUE(shows(191));
	ASSERT_TRUE(clickButton());
	EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hPanel); }, 3000));
	ASSERT_TRUE(restOnButton());
	EXPECT_TRUE(shows(173));
	ASSERT_TRUE(clickButton());
	EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(hPanel) != FALSE; }, 3000));

	// The panel's close request hides it the same way.
	::PostMessageA(hPanel, WM_CLOSE, 0, 0);
	EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hPanel); }, 3000));
	EXPECT_TRUE(::IsWindow(hPanel));
	ASSERT_TRUE(restOnButton());
	EXPECT_TRUE(shows(173));
	ASSERT_TRUE(clickButton());
	EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(hPanel) != FALSE; }, 3000));
	EXPECT_TRUE(BrowserFillsPanel(hPanel));
	EXPECT_EQ(Navigations(), 0);
}

TEST_F(WindowE2eTest, SkinChosenFromTheFrameMenuReskinsBothWindowsAndIsSaved)
{
	HWND hPanel = nullptr;
	int nClassic = StartInDefaultSkin(hPanel);
	ASSERT_GE(nClassic, 0);
	HWND hWnd = H().PlayerWindow();
	// The other skin keeps whole windows.
	CRgn rgn(::CreateRectRgn(0, 0, 0, 0));

	// The menu button opens the menu; the keyboard walks to "更换皮肤" and down its list to the skin.
	ASSERT_TRUE(OpenFrameMenu());
	std::string strKeys = "--delay 150 Down Down Right";
	for (int i = 0; i < nClassic; ++i)
		strKeys += " Down";
	ASSERT_TRUE(linuxtools::TypeKeys(hWnd, strKeys + " Return"));
	EXPECT_TRUE(WaitFor([&] { return ::GetWindowRgn(hWnd, rgn) != COMPLEXREGION; }, 5000));
	EXPECT_TRUE(WaitFor([&] { return ::GetWindowRgn(hPanel, rgn) != COMPLEXREGION; }, 5000));
	EXPECT_FALSE(HasCaptionStyle(hWnd));
	EXPECT_FALSE(HasCaptionStyle(hPanel));

	ASSERT_TRUE(H().ClosePlayer());
	EXPECT_EQ(SavedSkin(), ClassicSkin());
}

TEST_F(WindowE2eTest, ShiftF10AndTheMenuKeyOpenTheFrameMenuOnBothWindowsButNotInTheLibraryPage)
{
	HWND hPanel = nullptr;
	int nClassic = StartInDefaultSkin(hPanel);
	ASSERT_GE(nClassic, 0);
	HWND hWnd = H().PlayerWindow();
	CRgn rgn(::CreateRectRgn(0, 0, 0, 0));

	// In the library page the Menu key is the page's own: its fields have context menus of their own.
	ASSERT_TRUE(FocusInFront(hPanel));
	HWND hPage = ::GetWindow(::GetDlgItem(hPanel, kBrowserId), GW_CHILD);
	ASSERT_TRUE(hPage);
	::SendMessageTimeoutW(hPanel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hPage), TRUE, SMTO_NORMAL, 3000, nullptr);
	ASSERT_TRUE(WaitFor([&] { return ThreadFocus(hPanel) == hPage; }, 3000));
	H().ClearJournal();
	ASSERT_TRUE(linuxtools::TypeKeys(hPanel, "Menu"));
	EXPECT_TRUE(WaitFor([] { return H().Calls() == std::vector<std::string>{"browser ContextMenu"}; }, 5000));
	EXPECT_EQ(FindShownMenu(), nullptr);
	// Outside the page, on the browser's host, the Menu key opens the frame menu; Escape closes it and leaves
	// the focus where it was.
	HWND hHost = ::GetDlgItem(hPanel, kBrowserId);
	::SendMessageTimeoutW(hPanel, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hHost), TRUE, SMTO_NORMAL, 3000, nullptr);
	ASSERT_TRUE(WaitFor([&] { return ThreadFocus(hPanel) == hHost; }, 3000));
	ASSERT_TRUE(linuxtools::TypeKeys(hPanel, "Menu"));
	ASSERT_TRUE(WaitFor([] { return FindShownMenu() != nullptr; }, 5000));
	ASSERT_TRUE(linuxtools::TypeKeys(hPanel, "Escape"));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 5000));
	EXPECT_EQ(ThreadFocus(hPanel), hHost);

	// In live mode too: Escape closes the menu, and the plug-in's full screen is not asked to end.
	ASSERT_EQ(H().HandOff("wenlive2://peer/menu"), 0u);
	H().ClearJournal();
	ASSERT_TRUE(FocusInFront(hWnd));
	ASSERT_TRUE(linuxtools::TypeKeys(hWnd, "shift+F10"));
	ASSERT_TRUE(WaitFor([] { return FindShownMenu() != nullptr; }, 5000));
	ASSERT_TRUE(linuxtools::TypeKeys(hWnd, "Escape"));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 5000));
	// And the About box's Escape closes it.
	ASSERT_TRUE(Post(WM_COMMAND, 16));
	HWND hAbout = nullptr;
	ASSERT_TRUE(WaitFor([&] { return (hAbout = FindOwnedDialog(hWnd, kAboutCaption)) != nullptr; }, 5000));
	ASSERT_TRUE(linuxtools::TypeKeys(hAbout, "Escape"));
	EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hAbout); }, 5000));
	std::vector<std::string> calls = H().Calls();
	EXPECT_EQ(std::count(calls.begin(), calls.end(), "live SetOption FULLSCREEN FALSE"), 0);

	// On the player Shift+F10 opens it with the keyboard in it: the walk chooses a skin.
	ASSERT_EQ(H().HandOff("tarntvstream://http://127.0.0.3/menu.flv"), 0u);
	ASSERT_TRUE(FocusInFront(hWnd));
	ASSERT_TRUE(linuxtools::TypeKeys(hWnd, "shift+F10"));
	ASSERT_TRUE(WaitFor([] { return FindShownMenu() != nullptr; }, 5000));
	std::string strKeys = "--delay 150 Down Down Right";
	for (int i = 0; i < nClassic; ++i)
		strKeys += " Down";
	ASSERT_TRUE(linuxtools::TypeKeys(hWnd, strKeys + " Return"));
	EXPECT_TRUE(WaitFor([&] { return ::GetWindowRgn(hWnd, rgn) != COMPLEXREGION; }, 5000));
	ASSERT_TRUE(H().ClosePlayer());
	EXPECT_EQ(SavedSkin(), ClassicSkin());
}

TEST_F(WindowE2eTest, SkinInUseIsFoundAgainWhenTheMenuRefillsTheList)
{
	ASSERT_TRUE(StartWithPanel());
	// Folders are added while the player runs until one of them is listed before the skin in use.
	const std::string strModern = SkinRoot() + "现代\\";
	auto position = [&] {
		std::vector<std::string> folders = SkinFolders(SkinRoot());
		return std::find(folders.begin(), folders.end(), strModern) - folders.begin();
	};
	const auto nStart = position();
	struct CAdded
	{
		std::vector<std::string> folders;
		~CAdded()
		{
			for (const std::string& strFolder : folders)
				testfiles::Remove(strFolder);
		}
	} added;
	for (int i = 0; i < 20 && position() == nStart; ++i)
	{
		added.folders.push_back(SkinRoot() + "Added" + std::to_string(i));
		CopyFolder(SkinRoot() + "经典\\", added.folders.back() + "\\");
	}
	ASSERT_NE(position(), nStart);
	// Opening the frame menu refills the list; the skin saved at the end is still the one in use.
	ASSERT_TRUE(OpenFrameMenu());
	ASSERT_TRUE(linuxtools::TypeKeys(H().PlayerWindow(), "Escape"));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 3000));
	ASSERT_TRUE(H().ClosePlayer());
	EXPECT_EQ(SavedSkin(), strModern);
}

TEST_F(WindowE2eTest, SkinCommandsThatLoadNothingLeaveAUsablePlayer)
{
	// A skin folder removed while the player runs: choosing it leaves both windows their ordinary frames.
	CopyFolder(SkinRoot() + "经典\\", SkinRoot() + "Gone\\");
	HWND hPanel = StartWithPanel();
	ASSERT_TRUE(hPanel);
	HWND hWnd = H().PlayerWindow();
	std::vector<std::string> folders = SkinFolders(SkinRoot());
	int nGone = static_cast<int>(std::find(folders.begin(), folders.end(), SkinRoot() + "Gone\\") - folders.begin());
	ASSERT_LT(nGone, static_cast<int>(folders.size()));
	testfiles::Remove(SkinRoot() + "Gone");
	ASSERT_TRUE(Post(WM_COMMAND, 10000 + nGone));
	EXPECT_TRUE(WaitFor([&] { return HasCaptionStyle(hWnd) && HasCaptionStyle(hPanel); }, 5000));
	CRgn rgn(::CreateRectRgn(0, 0, 0, 0));
	EXPECT_EQ(::GetWindowRgn(hWnd, rgn), ERROR);
	EXPECT_TRUE(WaitFor([] { return CPlayerHarness::Count(H().Log(), "加载皮肤失败") == 2; }, 3000)) << H().Log();
	DWORD_PTR dwResult = 0;
	EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &dwResult));
	// A skin that does exist puts the skinned frames back.
	int nModern = static_cast<int>(std::find(folders.begin(), folders.end(), SkinRoot() + "现代\\") - folders.begin());
	ASSERT_TRUE(Post(WM_COMMAND, 10000 + nModern));
	EXPECT_TRUE(WaitFor([&] { return !HasCaptionStyle(hWnd) && !HasCaptionStyle(hPanel); }, 5000));
	EXPECT_EQ(::GetWindowRgn(hWnd, rgn), COMPLEXREGION);

	// An index outside the list loads nothing and is not saved at the end.
	ASSERT_TRUE(Post(WM_COMMAND, 10000 + 900));
	EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &dwResult));
	EXPECT_FALSE(HasCaptionStyle(hWnd));
	ASSERT_TRUE(H().ClosePlayer());
	EXPECT_EQ(SavedSkin(), "<none>");
}

TEST_F(WindowE2eTest, TrayIconMenuHidingAndRestoring)
{
	CFakeTaskbar taskbar;
	ASSERT_TRUE(taskbar.Ready());
	ASSERT_TRUE(StartWithPanel());
	HWND hWnd = H().PlayerWindow();
	// The icon as the shell receives it: for the player window, with message 1124, icon 128 and its tooltip.
	CFakeTaskbar::Icon icon = {};
	ASSERT_TRUE(WaitFor([&] { return taskbar.First(NIM_ADD, icon); }, 5000));
	EXPECT_EQ(icon.hWnd, hWnd);
	EXPECT_EQ(icon.uID, 229u);
	EXPECT_EQ(icon.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
	EXPECT_EQ(icon.uCallbackMessage, kTrayMessage);
	EXPECT_TRUE(icon.strTip == L"MelboTV播放器");
	// Added once the window is on the screen: the icon is no part of the first paint.
	EXPECT_TRUE(icon.bWindowShown);
	ASSERT_FALSE(icon.colour.empty());
	// At the small-icon size of the display's scale (16 at 100 %), drawn for that size.
	CClientDC dcScreen(nullptr);
	EXPECT_EQ(icon.cx, ::MulDiv(16, ::GetDeviceCaps(dcScreen, LOGPIXELSX), 96));
	EXPECT_EQ(icon.cy, icon.cx);
	EXPECT_TRUE(icon.colour == IconColourBits(H().ProgramPath(), 128, icon.cx, icon.cy));

	// A right click on the icon: menu 229 at the cursor; Escape closes it without a command.
	ASSERT_TRUE(linuxtools::PointerMove(300, 300));
	ASSERT_TRUE(Post(icon.uCallbackMessage, icon.uID, WM_RBUTTONUP));
	HWND hMenu = nullptr;
	ASSERT_TRUE(WaitFor([&] { return (hMenu = FindShownMenu()) != nullptr; }, 3000));
	RECT rcMenu = WindowRect(hMenu);
	EXPECT_EQ(rcMenu.left, 300);
	EXPECT_EQ(rcMenu.top, 300);
	ASSERT_TRUE(linuxtools::TypeKeys(hWnd, "Escape"));
	EXPECT_TRUE(WaitFor([] { return FindShownMenu() == nullptr; }, 3000));
	EXPECT_TRUE(::IsWindowVisible(hWnd));
	EXPECT_EQ(H().FindExitQuestion(300), nullptr);

	// "隐藏QuiloPlayer" hides it; a double click on the icon brings it back.
	ASSERT_TRUE(Post(WM_COMMAND, 32782));
	EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hWnd); }, 3000));
	ASSERT_TRUE(Post(icon.uCallbackMessage, icon.uID, WM_LBUTTONDBLCLK));
	EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(hWnd) && !::IsIconic(hWnd); }, 3000));
	// And so does "显示QuiloPlayer" of the tray menu.
	ASSERT_TRUE(Post(WM_COMMAND, 32782));
	EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(hWnd); }, 3000));
	ASSERT_TRUE(Post(WM_COMMAND, 32790));
	EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(hWnd) && !::IsIconic(hWnd); }, 3000));

	// "退出" asks first; No keeps the player.
	ASSERT_TRUE(Post(WM_COMMAND, IDCANCEL));
	HWND hQuestion = H().FindExitQuestion(3000);
	ASSERT_TRUE(hQuestion);
	EXPECT_TRUE(CPlayerHarness::ClickButton(hQuestion, IDNO));
	EXPECT_EQ(::WaitForSingleObject(H().PlayerProcess(), 500), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(WindowE2eTest, AboutBoxWearsTheSkinOrItsOwnFrameWithoutOne)
{
	for (bool bSkins : {true, false})
	{
		if (!bSkins)
		{
			ASSERT_TRUE(w936::MoveFileA((H().Folder() + "skin").c_str(), (H().Folder() + "skin.away").c_str()));
		}
		HWND hWnd = H().StartPlayer();
		ASSERT_TRUE(hWnd);
		// The menu item "关于": a command the frame turns into the system menu's About item.
		ASSERT_TRUE(Post(WM_COMMAND, 16));
		HWND hAbout = nullptr;
		EXPECT_TRUE(WaitFor([&] { return (hAbout = FindOwnedDialog(hWnd, kAboutCaption)) != nullptr; }, 5000));
		if (hAbout)
		{
			EXPECT_EQ(HasCaptionStyle(hAbout), !bSkins);
			EXPECT_TRUE(::FindWindowExA(hAbout, nullptr, "Static", "tarnTVPlayer Version 2.0.0.1"));
			// Modal: the player takes no input meanwhile.
			EXPECT_FALSE(::IsWindowEnabled(hWnd));
			EXPECT_TRUE(CPlayerHarness::ClickButton(hAbout, IDOK));
			EXPECT_TRUE(WaitFor([&] { return !::IsWindow(hAbout); }, 3000));
			EXPECT_TRUE(::IsWindowEnabled(hWnd));
		}
		H().KillPlayer();
		if (!bSkins)
		{
			ASSERT_TRUE(w936::MoveFileA((H().Folder() + "skin.away").c_str(), (H().Folder() + "skin").c_str()));
		}
	}
}

TEST_F(WindowE2eTest, SystemMenuEndsWithASeparatorAndTheAboutItem)
{
	HWND hWnd = H().StartPlayer();
	ASSERT_TRUE(hWnd);
	// The frame pops up the window's own system menu at a right click on the caption; the pointer then
	// rests on its last item.
	POINT pt = CaptionPoint(hWnd, 150);
	ASSERT_GE(pt.y, 0);
	::SetForegroundWindow(hWnd);
	ASSERT_TRUE(linuxtools::XdoTool("mousemove " + Pos(pt.x, pt.y) + " sleep 0.2 click 3"));
	HWND hMenu = nullptr;
	ASSERT_TRUE(WaitFor([&] { return (hMenu = FindShownMenu()) != nullptr; }, 3000));
	RECT rcMenu = WindowRect(hMenu);
	POINT ptLast = {(rcMenu.left + rcMenu.right) / 2, rcMenu.bottom - 8};
	ASSERT_TRUE(linuxtools::XdoTool("mousemove " + Pos(ptLast.x, ptLast.y - 1) + " sleep 0.2 mousemove "
		+ Pos(ptLast.x, ptLast.y) + " sleep 0.3"));

	// On the screen: the selected item ends the menu, and an etched line lies right above it.
	linuxtools::CScreenShot shot;
	ASSERT_TRUE(shot.Take(WindowRect(hMenu), linuxtools::KeepPath("system-menu.png")));
	auto rowIs = [&](int y, COLORREF cr) {
		for (int x = shot.Width() / 4; x < shot.Width() * 3 / 4; ++x)
		{
			if (!linuxtools::ColoursNear(shot.Pixel(x, y), cr))
				return false;
		}
		return true;
	};
	int ySelected = -1, ySelectedEnd = -1, yLine = -1;
	for (int y = 0; y < shot.Height(); ++y)
	{
		if (rowIs(y, ::GetSysColor(COLOR_HIGHLIGHT)))
		{
			ySelected = ySelected < 0 ? y : ySelected;
			ySelectedEnd = y;
		}
		else if (ySelected < 0 && rowIs(y, ::GetSysColor(COLOR_BTNSHADOW)))
			yLine = y;
	}
	ASSERT_GT(ySelected, 0);
	EXPECT_GT(yLine, ySelected - 8);
	EXPECT_GE(ySelectedEnd, shot.Height() - 6);
	// That item is the About command (16).
	ASSERT_TRUE(linuxtools::PointerClick(ptLast.x, ptLast.y));
	HWND hAbout = nullptr;
	EXPECT_TRUE(WaitFor([&] { return (hAbout = FindOwnedDialog(hWnd, kAboutCaption)) != nullptr; }, 5000));
	if (hAbout)
	{
		EXPECT_TRUE(CPlayerHarness::ClickButton(hAbout, IDOK));
	}
}

TEST_F(WindowE2eTest, MakersPagesOpenInTheSystemBrowserWithTheAddressAsItsOneArgument)
{
	// Blanks unescaped from "%20" stay inside the one argument; an address with a quote is refused.
	H().ServeConfig("homeurl=http://127.0.0.3/home%22%20-k##helpurl=http://127.0.0.3/help.html%20-k%20-extoff##"
		"feedbackurl=##");
	ASSERT_TRUE(H().StartPlayer());
	for (int nCommand : {32786, 32785, 32795})
		ASSERT_TRUE(Post(WM_COMMAND, nCommand));
	auto lines = [] {
		std::vector<std::string> result;
		std::string strJournal = testfiles::ReadAll(BrowserJournal());
		for (size_t nStart = 0, nEnd; (nEnd = strJournal.find('\n', nStart)) != std::string::npos; nStart = nEnd + 1)
			result.push_back(strJournal.substr(nStart, nEnd - nStart));
		return result;
	};
	ASSERT_TRUE(WaitFor([&] { return lines().size() == 2; }, 10000)) << testfiles::ReadAll(BrowserJournal());
	EXPECT_TRUE(WaitFor([] { return CPlayerHarness::Count(H().Log(), "OpenInBrowser_Refused: http://127.0.0.3/home\" -k") == 1; },
		3000)) << H().Log();
	// The program started is the system's browser; the empty feedback address starts it with nothing to open.
	std::vector<std::vector<std::wstring>> starts;
	for (const std::string& strLine : lines())
	{
		std::wstring strWide(strLine.size() + 1, L'\0');
		strWide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, strLine.c_str(), -1, &strWide[0],
			static_cast<int>(strWide.size())) - 1));
		int nArgs = 0;
		LPWSTR* ppArgs = ::CommandLineToArgvW(strWide.c_str(), &nArgs);
		ASSERT_TRUE(ppArgs);
		starts.emplace_back(ppArgs + 1, ppArgs + nArgs);
		::LocalFree(ppArgs);
		EXPECT_NE(strLine.find("IEXPLORE"), std::string::npos) << strLine;
	}
	std::sort(starts.begin(), starts.end());
	EXPECT_EQ(starts, (std::vector<std::vector<std::wstring>>{{}, {L"http://127.0.0.3/help.html -k -extoff"}}));
	DWORD_PTR dwResult = 0;
	EXPECT_TRUE(::SendMessageTimeoutA(H().PlayerWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 3000, &dwResult));
}

TEST_F(WindowE2eTest, PlayerGoesOnWithoutAPanelThatCannotBeMade)
{
	HWND hWnd = H().StartPlayer({"QUILO_STANDIN_REFUSE=browser"});
	ASSERT_TRUE(hWnd);
	EXPECT_EQ(CPlayerHarness::Count(H().Log(), "创建视频库窗口失败"), 1);
	EXPECT_EQ(FindOwnedDialog(hWnd, kPanelCaption), nullptr);
	// The player still plays and its button has nothing to show.
	EXPECT_EQ(H().HandOff("tarntvstream://http://127.0.0.3/n.flv"), 0u);
	ASSERT_TRUE(Post(WM_COMMAND, kToggleButtonId));
	DWORD_PTR dwResult = 0;
	EXPECT_TRUE(::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 3000, &dwResult));
	EXPECT_EQ(FindOwnedDialog(hWnd, kPanelCaption), nullptr);
	EXPECT_TRUE(H().ClosePlayer());
}
}
