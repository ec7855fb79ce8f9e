#include "framework/Wnd.h"

namespace
{
// The window property that leads from an HWND to its CWnd.
const char kThisProp[] = "QuiloFw.CWnd";
// The procedure a detached trampoline still forwards to, when it could not be taken out of the chain.
const char kSuperProp[] = "QuiloFw.Super";

// Per-thread creation hook, as a window is attached before its first message.
thread_local HHOOK t_hHookCbt = nullptr;
thread_local CWnd* t_pWndInit = nullptr;

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

CWnd::~CWnd()
{
	if (m_hWnd && m_pfnSuper)
		UnsubclassWindow();
}

CString CWnd::GetWindowText() const
{
	CString str;
	int nLength = ::GetWindowTextLengthA(m_hWnd);
	if (nLength > 0)
	{
		::GetWindowTextA(m_hWnd, str.GetBuffer(nLength), nLength + 1);
		str.ReleaseBuffer();
	}
	return str;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
	return static_cast<CWnd*>(::GetPropA(hWnd, kThisProp));
}

void CWnd::Attach(HWND hWnd)
{
	m_hWnd = hWnd;
	::SetPropA(hWnd, kThisProp, this);
	m_pfnSuper = reinterpret_cast<WNDPROC>(
		::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WindowProc)));
}

bool CWnd::IsTrampolineOnTop(HWND hWnd)
{
	return ::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&CWnd::WindowProc);
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
	if (m_hWnd || !::IsWindow(hWnd) || FromHandle(hWnd) || ::GetPropA(hWnd, kSuperProp))
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
			::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
		else
			::SetPropA(hWnd, kSuperProp, reinterpret_cast<HANDLE>(m_pfnSuper));
	}
	::RemovePropA(hWnd, kThisProp);
	m_pfnSuper = nullptr;
	m_hWnd = nullptr;
	m_pCtrlDispatch.Release();
	return hWnd;
}

BOOL CWnd::ProcessWindowMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
	return FALSE;
}

LRESULT CWnd::Default()
{
	const MSG& msg = t_msgCurrent;
	return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg.message, msg.wParam, msg.lParam);
}

LRESULT CALLBACK CWnd::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
	CWnd* pWnd = FromHandle(hWnd);
	if (!pWnd)
	{
		WNDPROC pfnSuper = reinterpret_cast<WNDPROC>(::GetPropA(hWnd, kSuperProp));
		if (!pfnSuper)
			return ::DefWindowProcA(hWnd, uMsg, wParam, lParam);
		if (uMsg == WM_NCDESTROY)
			::RemovePropA(hWnd, kSuperProp);
		return ::CallWindowProcA(pfnSuper, hWnd, uMsg, wParam, lParam);
	}

	// A procedure below this one may restore an older one on WM_DESTROY (atl.dll's control host does),
	// which cuts this trampoline out before WM_NCDESTROY.
	const bool bOnTop = uMsg == WM_DESTROY && IsTrampolineOnTop(hWnd);

	// Nested messages must not clobber the one an outer handler may still pass to Default().
	MSG msgSaved = t_msgCurrent;
	t_msgCurrent.hwnd = hWnd;
	t_msgCurrent.message = uMsg;
	t_msgCurrent.wParam = wParam;
	t_msgCurrent.lParam = lParam;
	LRESULT lResult = 0;
	try
	{
		if (!pWnd->ProcessWindowMessage(uMsg, wParam, lParam, lResult))
			lResult = pWnd->Default();
	}
	catch (...)
	{
		// An exception must never unwind through the system's window code.
		lResult = 0;
		AfxReportException("CWnd::WindowProc");
	}
	t_msgCurrent = msgSaved;

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
	if (nCode == HCBT_CREATEWND && t_pWndInit)
	{
		CWnd* pWnd = t_pWndInit;
		UnhookWindowCreate();
		pWnd->Attach(reinterpret_cast<HWND>(wParam));
		return 0;
	}
	return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void CWnd::HookWindowCreate(CWnd* pWnd)
{
	UnhookWindowCreate();
	t_pWndInit = pWnd;
	t_hHookCbt = ::SetWindowsHookExA(WH_CBT, &CWnd::CbtHookProc, nullptr, ::GetCurrentThreadId());
}

void CWnd::UnhookWindowCreate()
{
	if (t_hHookCbt)
		::UnhookWindowsHookEx(t_hHookCbt);
	t_hHookCbt = nullptr;
	t_pWndInit = nullptr;
}
