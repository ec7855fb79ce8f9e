// CSubclassWnd: sees a window's messages before the window's own procedure does, without the window being
// written for it. Several hooks may watch one window; they are chained newest first, each passing the
// message on to the one attached before it and the last to the window's own procedure.
//   HookedWindowProc   the one procedure of every hooked window
//   HookMap            window -> newest hook, process-wide
#pragma once

#include "framework/Wnd.h"

class CSubclassWnd
{
public:
	CSubclassWnd() = default;
	CSubclassWnd(const CSubclassWnd&) = delete;
	CSubclassWnd& operator=(const CSubclassWnd&) = delete;
	virtual ~CSubclassWnd();

// Operations
	virtual BOOL AttachTo(CWnd* pWnd);
	// A window attaches this hook as its newest; null detaches it.
	virtual BOOL AttachToHandle(HWND hWnd);
	virtual BOOL IsAttached() const { return m_hWnd != nullptr; }

	HWND GetHwnd() const { return m_hWnd; }

protected:
	// Handles one message of the hooked window; the default passes it on.
	virtual LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
	// Passes on the message being handled now, as the framework's record of it says.
	virtual LRESULT ForwardCurrentMessage();
	// Hands the message to the hook attached before this one, or to the window's own procedure.
	LRESULT PassOn(UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
	friend LRESULT CALLBACK HookedWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

	HWND m_hWnd = nullptr;
	// The window's procedure from before its first hook.
	WNDPROC m_pfnOwnProc = nullptr;
	// The hook attached to the same window just before this one.
	CSubclassWnd* m_pNext = nullptr;
};

LRESULT CALLBACK HookedWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
