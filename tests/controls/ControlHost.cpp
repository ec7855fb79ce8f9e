#include "ControlHost.h"

namespace
{
const char kHostClass[] = "QuiloControlTestHost";

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
	++*reinterpret_cast<int*>(lParam);
	return TRUE;
}
}

void ControlHostTest::SetUpTestSuite()
{
	AfxEnableControlContainer();
	WNDCLASSA wc = {};
	wc.lpfnWndProc = &::DefWindowProcA;
	wc.hInstance = ::GetModuleHandleA(nullptr);
	wc.lpszClassName = kHostClass;
	::RegisterClassA(&wc);
}

void ControlHostTest::SetUp()
{
	HWND hWnd = ::CreateWindowExA(0, kHostClass, "host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
		10, 10, 640, 480, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
	ASSERT_NE(hWnd, nullptr);
	ASSERT_TRUE(m_host.SubclassWindow(hWnd));
}

void ControlHostTest::TearDown()
{
	if (m_host.IsWindow())
		m_host.DestroyWindow();
}

int ControlHostTest::CountChildren() const
{
	int nCount = 0;
	::EnumChildWindows(m_host.m_hWnd, &CountChild, reinterpret_cast<LPARAM>(&nCount));
	return nCount;
}

std::wstring ControlHostTest::ViewText(const CWnd& wndControl)
{
	HWND hWndView = ::FindWindowExW(wndControl.m_hWnd, nullptr, L"QuiloStandinView", nullptr);
	if (!hWndView)
		return L"(no view)";
	WCHAR szText[512] = {};
	::GetWindowTextW(hWndView, szText, ARRAYSIZE(szText));
	return szText;
}

RECT ControlHostTest::ViewRect(const CWnd& wndControl)
{
	RECT rc = {};
	HWND hWndView = ::FindWindowExW(wndControl.m_hWnd, nullptr, L"QuiloStandinView", nullptr);
	if (hWndView)
		::GetClientRect(hWndView, &rc);
	return rc;
}

void ControlHostTest::Pump(DWORD nMilliseconds, const bool* pbDone)
{
	DWORD dwStart = ::GetTickCount();
	while (::GetTickCount() - dwStart < nMilliseconds && !(pbDone && *pbDone))
	{
		MSG msg;
		while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
		{
			::TranslateMessage(&msg);
			::DispatchMessageA(&msg);
		}
		::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
	}
}
