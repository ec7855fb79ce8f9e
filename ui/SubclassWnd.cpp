#include "ui/SubclassWnd.h"

#include <map>

namespace
{
// Set on a window whose procedure could not be given back because a later subclasser sits on top of it:
// HookedWindowProc then stays in the chain and forwards there.
const wchar_t kOwnProcProp[] = L"QuiloUi.OwnProc";

std::map<HWND, CSubclassWnd*>& HookMap()
{
	static std::map<HWND, CSubclassWnd*> s_map;
	return s_map;
}

CSubclassWnd* NewestHook(HWND hWnd)
{
	auto it = HookMap().find(hWnd);
	return it != HookMap().end() ? it->second : nullptr;
}

bool IsHookOnTop(HWND hWnd)
{
	return ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&HookedWindowProc);
}
}

CSubclassWnd::~CSubclassWnd()
{
	if (m_hWnd)
		AttachToHandle(nullptr);
}

BOOL CSubclassWnd::AttachTo(CWnd* pWnd)
{
	return AttachToHandle(pWnd ? pWnd->GetSafeHwnd() : nullptr);
}

BOOL CSubclassWnd::AttachToHandle(HWND hWnd)
{
	if (!hWnd)
	{
		if (!m_hWnd)
			return TRUE;
		CSubclassWnd* pNewest = NewestHook(m_hWnd);
		if (pNewest == this)
		{
			if (m_pNext)
				HookMap()[m_hWnd] = m_pNext;
			else
			{
				HookMap().erase(m_hWnd);
				if (IsHookOnTop(m_hWnd))
					::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnOwnProc));
				else if (::IsWindow(m_hWnd))
					::SetPropW(m_hWnd, kOwnProcProp, reinterpret_cast<HANDLE>(m_pfnOwnProc));
			}
		}
		else
		{
			for (CSubclassWnd* pHook = pNewest; pHook; pHook = pHook->m_pNext)
			{
				if (pHook->m_pNext == this)
				{
					pHook->m_pNext = m_pNext;
					break;
				}
			}
		}
		m_pfnOwnProc = nullptr;
		m_pNext = nullptr;
		m_hWnd = nullptr;
		return TRUE;
	}

	// A hook watches one window at a time.
	if (m_hWnd)
		AttachToHandle(nullptr);
	if (!::IsWindow(hWnd))
		return FALSE;
	m_pNext = NewestHook(hWnd);
	if (m_pNext)
		m_pfnOwnProc = m_pNext->m_pfnOwnProc;
	else if (WNDPROC pfnLeft = reinterpret_cast<WNDPROC>(::RemovePropW(hWnd, kOwnProcProp)))
		m_pfnOwnProc = pfnLeft;
	else
		m_pfnOwnProc = reinterpret_cast<WNDPROC>(
			::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedWindowProc)));
	HookMap()[hWnd] = this;
	m_hWnd = hWnd;
	return TRUE;
}

LRESULT CSubclassWnd::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	return PassOn(uMsg, wParam, lParam);
}

LRESULT CSubclassWnd::ForwardCurrentMessage()
{
	const MSG& msg = AfxGetCurrentMessage();
	return PassOn(msg.message, msg.wParam, msg.lParam);
}

LRESULT CSubclassWnd::PassOn(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	if (m_pNext)
		return m_pNext->OnMessage(uMsg, wParam, lParam);
	if (m_pfnOwnProc)
		return ::CallWindowProcW(m_pfnOwnProc, m_hWnd, uMsg, wParam, lParam);
	return 0;
}

LRESULT CALLBACK HookedWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	CCurrentMessageScope current(hWnd, uMsg, wParam, lParam);
	LRESULT lResult = 0;
	CSubclassWnd* pHook = NewestHook(hWnd);
	if (!pHook)
	{
		// Every hook left while a later subclasser kept this procedure in the chain.
		WNDPROC pfnOwn = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kOwnProcProp));
		if (uMsg == WM_NCDESTROY)
			::RemovePropW(hWnd, kOwnProcProp);
		lResult = pfnOwn ? ::CallWindowProcW(pfnOwn, hWnd, uMsg, wParam, lParam)
			: ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
	}
	else if (uMsg == WM_NCDESTROY)
	{
		// The window's last message: no hook may outlive it, and its own procedure sees it unhooked.
		WNDPROC pfnOwn = pHook->m_pfnOwnProc;
		while (CSubclassWnd* pNewest = NewestHook(hWnd))
			pNewest->AttachToHandle(nullptr);
		lResult = ::CallWindowProcW(pfnOwn, hWnd, uMsg, wParam, lParam);
	}
	else
	{
		try
		{
			lResult = pHook->OnMessage(uMsg, wParam, lParam);
		}
		catch (...)
		{
			// An exception must never unwind through the system's window code.
			lResult = 0;
			AfxReportException("HookedWindowProc");
		}
	}
	return lResult;
}
