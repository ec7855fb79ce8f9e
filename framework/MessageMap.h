// Message maps: a chain of tests inside one ProcessWindowMessage member, with crackers that hand
// typed arguments to ordinary member functions. A handler that wants the default processing calls
// Default() (or the base class handler, which does).
#pragma once

#include <windows.h>

#define BEGIN_MSG_MAP(theClass) \
public: \
	BOOL ProcessWindowMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override \
	{ \
		(void)wParam; (void)lParam; (void)lResult;

#define END_MSG_MAP() \
		return FALSE; \
	}

#define CHAIN_MSG_MAP(theBase) \
	if (theBase::ProcessWindowMessage(uMsg, wParam, lParam, lResult)) \
		return TRUE;

// LRESULT func(WPARAM, LPARAM)
#define MESSAGE_HANDLER(msg, func) \
	if (uMsg == (msg)) { lResult = func(wParam, lParam); return TRUE; }

// void func()
#define COMMAND_ID_HANDLER(id, func) \
	if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) { func(); lResult = 0; return TRUE; }

// void func(UINT nID)
#define COMMAND_RANGE_HANDLER(idFirst, idLast, func) \
	if (uMsg == WM_COMMAND && LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast)) \
	{ func(LOWORD(wParam)); lResult = 0; return TRUE; }

// int OnCreate(LPCREATESTRUCT)
#define MSG_WM_CREATE(func) \
	if (uMsg == WM_CREATE) { lResult = func(reinterpret_cast<LPCREATESTRUCT>(lParam)); return TRUE; }

// void OnDestroy()
#define MSG_WM_DESTROY(func) \
	if (uMsg == WM_DESTROY) { func(); lResult = 0; return TRUE; }

// void OnSize(UINT nType, int cx, int cy)
#define MSG_WM_SIZE(func) \
	if (uMsg == WM_SIZE) \
	{ func(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))); lResult = 0; return TRUE; }

// BOOL OnEraseBkgnd(HDC)
#define MSG_WM_ERASEBKGND(func) \
	if (uMsg == WM_ERASEBKGND) { lResult = func(reinterpret_cast<HDC>(wParam)); return TRUE; }

// void OnPaint()
#define MSG_WM_PAINT(func) \
	if (uMsg == WM_PAINT) { func(); lResult = 0; return TRUE; }

// HCURSOR OnQueryDragIcon()
#define MSG_WM_QUERYDRAGICON(func) \
	if (uMsg == WM_QUERYDRAGICON) { lResult = reinterpret_cast<LRESULT>(func()); return TRUE; }

// void OnTimer(UINT_PTR nIDEvent)
#define MSG_WM_TIMER(func) \
	if (uMsg == WM_TIMER) { func(static_cast<UINT_PTR>(wParam)); lResult = 0; return TRUE; }

// BOOL OnCopyData(HWND hWndFrom, PCOPYDATASTRUCT)
#define MSG_WM_COPYDATA(func) \
	if (uMsg == WM_COPYDATA) \
	{ lResult = func(reinterpret_cast<HWND>(wParam), reinterpret_cast<PCOPYDATASTRUCT>(lParam)); return TRUE; }

// void OnSysCommand(UINT nID, LPARAM lParam)
#define MSG_WM_SYSCOMMAND(func) \
	if (uMsg == WM_SYSCOMMAND) { func(static_cast<UINT>(wParam), lParam); lResult = 0; return TRUE; }

// void func(UINT nFlags, POINT point)
#define MSG_MOUSE_HANDLER(msg, func) \
	if (uMsg == (msg)) \
	{ POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) }; \
	  func(static_cast<UINT>(wParam), pt); lResult = 0; return TRUE; }

// void func(UINT nHitTest, POINT ptScreen): the non-client mouse messages
#define MSG_NCMOUSE_HANDLER(msg, func) \
	if (uMsg == (msg)) \
	{ POINT pt = { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) }; \
	  func(static_cast<UINT>(wParam), pt); lResult = 0; return TRUE; }

// Hands a member object (a menu, say) the messages it answers: its
// BOOL ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&).
#define CHAIN_MSG_MAP_MEMBER(theMember) \
	if ((theMember).ProcessWindowMessage(m_hWnd, uMsg, wParam, lParam, lResult)) \
		return TRUE;

// Sends the notifications of controls bound to objects back to them (CWnd::ReflectNotifications). Put it
// first: a control's command still reaches the handlers below it.
#define REFLECT_NOTIFICATIONS() \
	if (CWnd::ReflectNotifications(m_hWnd, uMsg, wParam, lParam, lResult)) \
		return TRUE;
