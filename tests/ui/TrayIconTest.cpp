// The notification-area icon against a recording shell call: add, modify and delete, the tooltip cut,
// and the icon put back when the taskbar is re-created.
#include "resources/resource.h"
#include "framework/WideText.h"
#include "ui/TrayIcon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
const UINT kTrayMessage = WM_USER + 100;

struct ShellCall
{
	DWORD dwMessage;
	UINT uFlags;
	DWORD cbSize;
	HWND hWnd;
	UINT uID;
	UINT uCallbackMessage;
	HICON hIcon;
	std::string strTip;
};
std::vector<ShellCall> g_calls;
BOOL g_bShellAnswer = TRUE;

BOOL WINAPI RecordShellCall(DWORD dwMessage, PNOTIFYICONDATAW pData)
{
	g_calls.push_back(ShellCall{dwMessage, pData->uFlags, pData->cbSize, pData->hWnd, pData->uID,
		pData->uCallbackMessage, pData->hIcon, FromWide(pData->szTip)});
	return g_bShellAnswer;
}

class CCountingTrayIcon : public CTrayIcon
{
public:
	explicit CCountingTrayIcon(UINT nID) : CTrayIcon(nID) { SetShellCall(&RecordShellCall); }

	int m_nNotifies = 0;
	LPARAM m_lLastNotify = 0;

	LRESULT OnNotify(WPARAM, LPARAM lParam) override
	{
		++m_nNotifies;
		m_lLastNotify = lParam;
		return 0;
	}
};

// What the window procedure of the notification window and its parent saw, as "message;".
std::vector<UINT> g_seen;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	if (uMsg >= WM_USER)
		g_seen.push_back(uMsg);
	return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
}

HWND CreateRecordingWindow(HWND hWndParent)
{
	static ATOM s_atom = [] {
		WNDCLASSA wc = {};
		wc.lpfnWndProc = &RecordingProc;
		wc.hInstance = ::GetModuleHandleA(nullptr);
		wc.lpszClassName = "QuiloTrayProbe";
		return ::RegisterClassA(&wc);
	}();
	(void)s_atom;
	return ::CreateWindowA("QuiloTrayProbe", "", hWndParent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 10, 10, hWndParent,
		nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

class CWndOf : public CWnd
{
public:
	explicit CWndOf(HWND hWnd) { m_hWnd = hWnd; }
	~CWndOf() override { m_hWnd = nullptr; }
};

TEST(TrayIcon, AddModifyAndDeleteGoToTheShellInTheFirstRecordForm)
{
	g_calls.clear();
	HWND hWnd = CreateRecordingWindow(nullptr);
	CWndOf wnd(hWnd);
	{
		// There is no string 229: the tooltip starts empty.
		CCountingTrayIcon tray(IDR_MENU_TRAY);
		EXPECT_EQ(std::wstring(tray.IconRecord().szTip), L"");
		EXPECT_EQ(tray.IconRecord().cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
		EXPECT_EQ(NOTIFYICONDATAW_V1_SIZE, sizeof(void*) == 4 ? 152u : 168u);
		ASSERT_TRUE(tray.SetNotifyWindow(&wnd, kTrayMessage));
		ASSERT_TRUE(tray.SetIconFromResource(IDR_MAINFRAME));
		ASSERT_TRUE(tray.SetIconFromResource(IDR_MAINFRAME));
		ASSERT_TRUE(tray.SetIconHandle(nullptr, nullptr));
		// Nothing is shown any more: removing again asks the shell nothing.
		ASSERT_TRUE(tray.SetIconHandle(nullptr, nullptr));
		ASSERT_EQ(g_calls.size(), 3u);
		EXPECT_EQ(g_calls[0].dwMessage, static_cast<DWORD>(NIM_ADD));
		EXPECT_EQ(g_calls[1].dwMessage, static_cast<DWORD>(NIM_MODIFY));
		EXPECT_EQ(g_calls[2].dwMessage, static_cast<DWORD>(NIM_DELETE));
		for (const ShellCall& call : g_calls)
		{
			EXPECT_EQ(call.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
			EXPECT_EQ(call.hWnd, hWnd);
			EXPECT_EQ(call.uID, static_cast<UINT>(IDR_MENU_TRAY));
			EXPECT_EQ(call.uCallbackMessage, kTrayMessage);
			EXPECT_EQ(call.strTip, "MelboTV播放器");
		}
		EXPECT_EQ(g_calls[0].uFlags, static_cast<UINT>(NIF_ICON | NIF_TIP | NIF_MESSAGE));
		EXPECT_NE(g_calls[0].hIcon, nullptr);
		EXPECT_EQ(g_calls[2].uFlags, static_cast<UINT>(NIF_TIP | NIF_MESSAGE));

		// A refused add leaves no icon: the next attempt adds again, and the end removes nothing.
		g_calls.clear();
		g_bShellAnswer = FALSE;
		EXPECT_FALSE(tray.SetIconFromResource(IDR_MAINFRAME));
		EXPECT_EQ(tray.IconRecord().hIcon, nullptr);
		g_bShellAnswer = TRUE;
		EXPECT_TRUE(tray.SetIconFromResource(IDR_MAINFRAME));
		ASSERT_EQ(g_calls.size(), 2u);
		EXPECT_EQ(g_calls[1].dwMessage, static_cast<DWORD>(NIM_ADD));
		g_calls.clear();
	}
	// The shown icon goes with its object.
	ASSERT_EQ(g_calls.size(), 1u);
	EXPECT_EQ(g_calls[0].dwMessage, static_cast<DWORD>(NIM_DELETE));
	::DestroyWindow(hWnd);
}

TEST(TrayIcon, TooltipIsCutAt64BytesWithoutSplittingACharacter)
{
	char szField[64];
	std::string strLong(62, 'a');
	// 62 bytes and a two-byte character: the character would end at byte 64, past the terminator's place.
	CopyTrayTip(szField, sizeof(szField), (strLong + "播放").c_str());
	EXPECT_EQ(std::string(szField), strLong);
	CopyTrayTip(szField, sizeof(szField), (strLong.substr(1) + "播放").c_str());
	EXPECT_EQ(std::string(szField), strLong.substr(1) + "播");
	std::string strChinese;
	for (int i = 0; i < 40; ++i)
		strChinese += "视";
	CopyTrayTip(szField, sizeof(szField), strChinese.c_str());
	EXPECT_EQ(std::string(szField), strChinese.substr(0, 62));

	g_calls.clear();
	HWND hWnd = CreateRecordingWindow(nullptr);
	CWndOf wnd(hWnd);
	CCountingTrayIcon tray(IDR_MENU_TRAY);
	tray.SetNotifyWindow(&wnd, kTrayMessage);
	tray.SetIconHandle(::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), (strLong + "播放").c_str());
	ASSERT_EQ(g_calls.size(), 1u);
	EXPECT_EQ(g_calls[0].strTip, strLong);
	tray.SetIconHandle(nullptr, nullptr);
	::DestroyWindow(hWnd);
}

TEST(TrayIcon, TaskbarCreatedAddsTheIconAgainAndOnlyTheNotifyWindowNotifies)
{
	HWND hWndParent = CreateRecordingWindow(nullptr);
	HWND hWndChild = CreateRecordingWindow(hWndParent);
	CWndOf child(hWndChild);
	CCountingTrayIcon tray(IDR_MENU_TRAY);
	tray.SetNotifyWindow(&child, kTrayMessage);
	ASSERT_TRUE(tray.SetIconFromResource(IDR_MAINFRAME));

	g_calls.clear();
	g_seen.clear();
	UINT nTaskbarCreated = CTrayIcon::TaskbarCreatedMessage();
	EXPECT_EQ(nTaskbarCreated, ::RegisterWindowMessageA("TaskbarCreated"));
	// The top-level parent hears the broadcast and the icon comes back with its last tooltip.
	::SendMessageA(hWndParent, nTaskbarCreated, 0, 0);
	ASSERT_EQ(g_calls.size(), 1u);
	EXPECT_EQ(g_calls[0].dwMessage, static_cast<DWORD>(NIM_ADD));
	EXPECT_EQ(g_calls[0].strTip, "MelboTV播放器");
	EXPECT_NE(g_calls[0].hIcon, nullptr);

	// The notification message notifies through the notify window only; both windows still get it.
	::SendMessageA(hWndParent, kTrayMessage, IDR_MENU_TRAY, WM_RBUTTONUP);
	EXPECT_EQ(tray.m_nNotifies, 0);
	::SendMessageA(hWndChild, kTrayMessage, IDR_MENU_TRAY, WM_LBUTTONDBLCLK);
	EXPECT_EQ(tray.m_nNotifies, 1);
	EXPECT_EQ(tray.m_lLastNotify, WM_LBUTTONDBLCLK);
	EXPECT_EQ(g_seen, (std::vector<UINT>{nTaskbarCreated, kTrayMessage, kTrayMessage}));

	// Without an icon shown, the broadcast adds nothing.
	tray.SetIconHandle(nullptr, nullptr);
	g_calls.clear();
	::SendMessageA(hWndParent, nTaskbarCreated, 0, 0);
	EXPECT_TRUE(g_calls.empty());
	::DestroyWindow(hWndParent);
}
}
