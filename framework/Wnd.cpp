#include "framework/Wnd.h"

#include "framework/WideText.h"

#include <cstdio>
#include <unordered_map>

namespace
{
// The window property that leads from an HWND to its CWnd.
const wchar_t kThisProp[] = L"QuiloFw.CWnd";
// The procedure a detached trampoline still forwards to, when it could not be taken out of the chain.
const wchar_t kSuperProp[] = L"QuiloFw.Super";
// What kThisProp records, held in the process too: every message looks its window's object up, and Wine
// answers each GetProp with a round trip to its server. Any thread may attach windows; never destroyed, as
// messages may come late.
SRWLOCK g_lockAttached = SRWLOCK_INIT;
std::unordered_map<HWND, CWnd*>& AttachedWindows()
{
	static auto* s_pMap = new std::unordered_map<HWND, CWnd*>;
	return *s_pMap;
}

void RecordAttached(HWND hWnd, CWnd* pWnd)
{
	::AcquireSRWLockExclusive(&g_lockAttached);
	if (pWnd)
		AttachedWindows()[hWnd] = pWnd;
	else
		AttachedWindows().erase(hWnd);
	::ReleaseSRWLockExclusive(&g_lockAttached);
}

// Per-thread creation hook, as a window is attached before its first message: the object and the kind
// of window it waits for.
thread_local HHOOK t_hHookCbt = nullptr;
thread_local CWnd* t_pWndInit = nullptr;
thread_local wchar_t t_szClassInit[64] = {};
thread_local HWND t_hWndParentInit = nullptr;

thread_local MSG t_msgCurrent = {};
AfxExceptionReporter g_pfnReporter = nullptr;
}

MSG& AfxGetCurrentMessage()
{
	return t_msgCurrent;
}

void AfxSetExceptionReporter(AfxExceptionReporter pfnReporter)
{
	g_pfnReporter = pfnReporter;
}

void AfxReportException(const char* pszWhere)
{
	if (g_pfnReporter)
		g_pfnReporter(pszWhere);
}

const CRuntimeClass CWnd::classCWnd = { "CWnd", nullptr };

CWnd::~CWnd()
{
	if (m_hWnd && m_pfnSuper)
		UnsubclassWindow();
	else if (m_hWnd && FromHandle(m_hWnd) == this)
		RecordAttached(m_hWnd, nullptr);
}

CString CWnd::GetWindowText() const
{
	CString str;
	int nLength = ::GetWindowTextLengthW(m_hWnd);
	if (nLength > 0)
	{
		std::wstring strWide(nLength + 1, L'\0');
		strWide.resize(::GetWindowTextW(m_hWnd, &strWide[0], nLength + 1));
		str = FromWide(strWide).c_str();
	}
	return str;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
	if (!hWnd)
		return nullptr;
	::AcquireSRWLockShared(&g_lockAttached);
	auto it = AttachedWindows().find(hWnd);
	CWnd* pWnd = it != AttachedWindows().end() ? it->second : nullptr;
	::ReleaseSRWLockShared(&g_lockAttached);
	return pWnd;
}

void CWnd::Attach(HWND hWnd)
{
	m_hWnd = hWnd;
	::SetPropW(hWnd, kThisProp, this);
	RecordAttached(hWnd, this);
	m_pfnSuper = reinterpret_cast<WNDPROC>(
		::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
}

bool CWnd::IsTrampolineOnTop(HWND hWnd)
{
	return ::GetWindowLongPtrW(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::WindowProc);
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
	if (m_hWnd || !::IsWindow(hWnd) || FromHandle(hWnd) || ::GetPropW(hWnd, kSuperProp))
		return FALSE;
	m_hWnd = hWnd;
	PreSubclassWindow();
	Attach(hWnd);
	return m_pfnSuper != nullptr;
}

HWND CWnd::UnsubclassWindow()
{
	HWND hWnd = m_hWnd;
	if (!hWnd)
		return nullptr;
	if (m_pfnSuper)
	{
		// Restoring the old procedure under a later subclasser (atl.dll's control host) would cut that
		// one out of the chain: the trampoline stays and forwards.
		if (IsTrampolineOnTop(hWnd))
			::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
		else
			::SetPropW(hWnd, kSuperProp, reinterpret_cast<HANDLE>(m_pfnSuper));
	}
	::RemovePropW(hWnd, kThisProp);
	RecordAttached(hWnd, nullptr);
	m_pfnSuper = nullptr;
	m_hWnd = nullptr;
	return hWnd;
}

BOOL CWnd::ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
	return FALSE;
}

LRESULT CWnd::Default()
{
	const MSG& msg = t_msgCurrent;
	return ::CallWindowProcW(m_pfnSuper, m_hWnd, msg.message, msg.wParam, msg.lParam);
}

LRESULT CALLBACK CWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	CWnd* pWnd = FromHandle(hWnd);
	if (!pWnd)
	{
		WNDPROC pfnSuper = reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kSuperProp));
		if (!pfnSuper)
			return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
		if (uMsg == WM_NCDESTROY)
			::RemovePropW(hWnd, kSuperProp);
		return ::CallWindowProcW(pfnSuper, hWnd, uMsg, wParam, lParam);
	}

	// A procedure below this one may restore an older one on WM_DESTROY (atl.dll's control host does),
	// which cuts this trampoline out before WM_NCDESTROY.
	const bool bOnTop = uMsg == WM_DESTROY && IsTrampolineOnTop(hWnd);

	LRESULT lResult = 0;
	try
	{
		CCurrentMessageScope current(hWnd, uMsg, wParam, lParam);
		if (!pWnd->ProcessWindowMessage(uMsg, wParam, lParam, lResult))
			lResult = pWnd->Default();
	}
	catch (...)
	{
		// An exception must never unwind through the system's window code. A window whose creation
		// messages failed is not created (0 fails WM_NCCREATE, -1 WM_CREATE); after any other message,
		// a dialog's initialisation included, the window goes on with what its handler got done.
		char szWhere[40];
		snprintf(szWhere, sizeof(szWhere), "CWnd::WindowProc(0x%04X)", uMsg);
		AfxReportException(szWhere);
		lResult = uMsg == WM_CREATE ? -1 : 0;
	}

	if (bOnTop && !IsTrampolineOnTop(hWnd))
	{
		pWnd->m_pfnSuper = nullptr;
		pWnd->UnsubclassWindow();
		pWnd->PostNcDestroy();
	}
	else if (uMsg == WM_NCDESTROY)
	{
		pWnd->UnsubclassWindow();
		pWnd->PostNcDestroy();
	}
	return lResult;
}

LRESULT CALLBACK CWnd::CbtHookProc(int nCode, WPARAM wParam, LPARAM lParam)
{
	if (nCode == HCBT_CREATEWND && t_pWndInit && IsAwaitedWindow(reinterpret_cast<HWND>(wParam),
		reinterpret_cast<const CBT_CREATEWNDW*>(lParam)))
	{
		CWnd* pWnd = t_pWndInit;
		UnhookWindowCreate();
		pWnd->Attach(reinterpret_cast<HWND>(wParam));
		return 0;
	}
	return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool CWnd::IsAwaitedWindow(HWND hWnd, const CBT_CREATEWNDW* pCreate)
{
	wchar_t szClass[sizeof(t_szClassInit) / sizeof(t_szClassInit[0])] = {};
	return pCreate && pCreate->lpcs && pCreate->lpcs->hwndParent == t_hWndParentInit
		&& ::GetClassNameW(hWnd, szClass, sizeof(szClass) / sizeof(szClass[0])) > 0 && ::lstrcmpiW(szClass, t_szClassInit) == 0;
}

void CWnd::HookWindowCreate(CWnd* pWnd, const char* pszClass, HWND hWndParent)
{
	UnhookWindowCreate();
	t_pWndInit = pWnd;
	lstrcpynW(t_szClassInit, ToWide(pszClass ? pszClass : "").c_str(), sizeof(t_szClassInit) / sizeof(t_szClassInit[0]));
	t_hWndParentInit = hWndParent;
	t_hHookCbt = ::SetWindowsHookExW(WH_CBT, &CWnd::CbtHookProc, nullptr, ::GetCurrentThreadId());
}

void CWnd::UnhookWindowCreate()
{
	if (t_hHookCbt)
		::UnhookWindowsHookEx(t_hHookCbt);
	t_hHookCbt = nullptr;
	t_pWndInit = nullptr;
	t_szClassInit[0] = '\0';
	t_hWndParentInit = nullptr;
}
