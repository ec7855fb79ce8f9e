// CWnd: a window the program handles through a message map. It borrows its HWND: the system owns the
// window; the object only subclasses it between attachment and WM_NCDESTROY.
#pragma once

#include "framework/MessageMap.h"
#include "framework/RuntimeClass.h"
#include "framework/String.h"
#include "framework/WideText.h"

// The framework's per-thread record of the message being handled: every window procedure of the program
// writes it around each message, and Default() passes on what it holds.
MSG& AfxGetCurrentMessage();

// Writes one message into that record for the length of its handling and puts back what was there, so
// that nested messages do not clobber the one an outer handler may still pass on.
class CCurrentMessageScope
{
public:
	CCurrentMessageScope(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
		: m_msgSaved(AfxGetCurrentMessage())
	{
		MSG& msg = AfxGetCurrentMessage();
		msg.hwnd = hWnd;
		msg.message = uMsg;
		msg.wParam = wParam;
		msg.lParam = lParam;
	}
	CCurrentMessageScope(const CCurrentMessageScope&) = delete;
	CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;
	~CCurrentMessageScope() { AfxGetCurrentMessage() = m_msgSaved; }

private:
	MSG m_msgSaved;
};

// Exceptions are stopped at every system boundary (window procedures, hooks, event sinks) and handed here
// with the boundary's name; the application sets who hears of them (its log).
using AfxExceptionReporter = void (*)(const char* pszWhere);
void AfxSetExceptionReporter(AfxExceptionReporter pfnReporter);
void AfxReportException(const char* pszWhere);

class CWnd
{
public:
	CWnd() = default;
	CWnd(const CWnd&) = delete;
	CWnd& operator=(const CWnd&) = delete;
	virtual ~CWnd();

// Run-time class
	static const CRuntimeClass classCWnd;
	virtual const CRuntimeClass* GetRuntimeClass() const { return &classCWnd; }
	bool IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

// Attributes
	HWND m_hWnd = nullptr;
	operator HWND() const { return m_hWnd; }
	HWND GetSafeHwnd() const { return m_hWnd; }
	BOOL IsWindow() const { return ::IsWindow(m_hWnd); }

// Operations
	BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
	BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
	BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
	BOOL DestroyWindow() { return ::DestroyWindow(m_hWnd); }
	BOOL MoveWindow(int x, int y, int cx, int cy, BOOL bRepaint = TRUE) { return ::MoveWindow(m_hWnd, x, y, cx, cy, bRepaint); }
	BOOL MoveWindow(const RECT& rc, BOOL bRepaint = TRUE) { return MoveWindow(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, bRepaint); }
	BOOL SetWindowPos(HWND hWndAfter, int x, int y, int cx, int cy, UINT nFlags) { return ::SetWindowPos(m_hWnd, hWndAfter, x, y, cx, cy, nFlags); }
	BOOL GetClientRect(RECT* pRect) const { return ::GetClientRect(m_hWnd, pRect); }
	BOOL GetWindowRect(RECT* pRect) const { return ::GetWindowRect(m_hWnd, pRect); }
	BOOL ScreenToClient(POINT* pPoint) const { return ::ScreenToClient(m_hWnd, pPoint); }
	BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
	UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr); }
	BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
	HICON SetIcon(HICON hIcon, BOOL bBigIcon) { return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon))); }
	HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
	HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
	BOOL SetWindowText(const char* psz) { return ::SetWindowTextW(m_hWnd, ToWide(psz ? psz : "").c_str()); }
	CString GetWindowText() const;
	BOOL SetProp(const char* pszName, HANDLE hData) { return ::SetPropW(m_hWnd, ToWide(pszName).c_str(), hData); }
	HANDLE RemoveProp(const char* pszName) { return ::RemovePropW(m_hWnd, ToWide(pszName).c_str()); }
	LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageW(m_hWnd, uMsg, wParam, lParam); }
	BOOL PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) { return ::PostMessageW(m_hWnd, uMsg, wParam, lParam); }
	BOOL Invalidate(BOOL bErase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, bErase); }

// Operations of controls and their parents
	HWND GetParent() const { return ::GetParent(m_hWnd); }
	DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
	BOOL ClientToScreen(POINT* pPoint) const { return ::ClientToScreen(m_hWnd, pPoint); }
	HWND SetFocus() { return ::SetFocus(m_hWnd); }
	BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
	BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
	HWND SetCapture() { return ::SetCapture(m_hWnd); }
	// The region belongs to the window once set.
	int SetWindowRgn(HRGN hRgn, BOOL bRedraw) { return ::SetWindowRgn(m_hWnd, hRgn, bRedraw); }

// Message handling
	// Attaches the object to an existing window and routes its messages through the message map.
	BOOL SubclassWindow(HWND hWnd);
	HWND UnsubclassWindow();
	static CWnd* FromHandle(HWND hWnd);

	virtual BOOL ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

// Message routing (framework/MessageRouting.cpp)
	// Sees a message of this window or of a window below it before it is dispatched; TRUE when handled.
	virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
	// Offers the message to the window it is for and to each parent up to hWndStop, innermost first.
	static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
	// A control's notification to its parent goes back to the control (OCM_ messages) when the control
	// is bound to an object; TRUE when the control's answer is the parent's (REFLECT_NOTIFICATIONS).
	static BOOL ReflectNotifications(HWND hWndParent, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

protected:
// Default handlers: the default processing of the message being handled
	int OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
	void OnDestroy() { Default(); }
	void OnSize(UINT, int, int) { Default(); }
	void OnPaint() { Default(); }
	void OnTimer(UINT_PTR) { Default(); }
	void OnSysCommand(UINT, LPARAM) { Default(); }
	BOOL OnCopyData(HWND, PCOPYDATASTRUCT) { return static_cast<BOOL>(Default()); }

	// The message being handled, passed to the window's original procedure.
	LRESULT Default();
	// Another message, or the same one changed, passed to the window's original procedure.
	LRESULT DefaultWith(UINT uMsg, WPARAM wParam, LPARAM lParam) { return ::CallWindowProcW(m_pfnSuper, m_hWnd, uMsg, wParam, lParam); }
	// Runs when an existing window is bound to this object (SubclassWindow), before any of its messages
	// reaches the message map.
	virtual void PreSubclassWindow() {}
	// Called after the window is gone (WM_NCDESTROY); m_hWnd is already null.
	virtual void PostNcDestroy() {}

	// The next window of class pszClass (its registered name, "#32770" for dialogs) with parent or owner
	// hWndParent created on this thread is attached to pWnd before it sees any message. Windows of other
	// kinds that the thread creates meanwhile (an input method's, say) are left alone.
	static void HookWindowCreate(CWnd* pWnd, const char* pszClass, HWND hWndParent);
	static void UnhookWindowCreate();

	static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
	static LRESULT CALLBACK CbtHookProc(int nCode, WPARAM wParam, LPARAM lParam);
	// Whether the window in creation is the one HookWindowCreate waits for.
	static bool IsAwaitedWindow(HWND hWnd, const CBT_CREATEWNDW* pCreate);
	// Whether messages reach this class's procedure first.
	static bool IsTrampolineOnTop(HWND hWnd);
	void Attach(HWND hWnd);

	WNDPROC m_pfnSuper = nullptr;
};
