// The skinned frame's caption to screen readers (MSAA). WM_GETOBJECT for OBJID_TITLEBAR is answered with a title
// bar named by the window's title, with one push button per caption button the skin shows, left to right, named
// as the system names its own ("最小化", "最大化" or "还原", "关闭", "置顶" or "取消置顶", "菜单"); their states
// as drawn (pressed, hot, unavailable while the window is disabled, invisible while it is hidden or minimised),
// their places the rectangles that painting and hit testing use, and their default action what a click does.
// After each paint of the frame, what changed since the last one is raised with NotifyWinEvent: a button's name
// or state, the title, and the children as a whole after a skin change (EVENT_OBJECT_REORDER).
//   CSkinCaptionAccess        what the frame holds: its object once asked for, and what readers were last told
//   CSkinTitleBarAccessible   the object; it reaches the frame only until the frame disconnects it (its window
//                             destroyed, the frame detached or gone)
#pragma once

#include "ui/Accessible.h"

#include <windows.h>

#include <string>
#include <vector>

class CSkinFrame;

// One caption button as readers hear it; the rectangle in screen coordinates.
struct SkinCaptionButton
{
	int nHitCode = 0;
	RECT rc = {};
	std::wstring strName;
	LONG nState = 0;
};

// The caption strip and its buttons, left to right.
struct SkinCaption
{
	std::wstring strTitle;
	RECT rc = {};
	LONG nState = 0;
	std::vector<SkinCaptionButton> buttons;
};

class CSkinCaptionAccess
{
public:
	CSkinCaptionAccess() = default;
	CSkinCaptionAccess(const CSkinCaptionAccess&) = delete;
	CSkinCaptionAccess& operator=(const CSkinCaptionAccess&) = delete;
	~CSkinCaptionAccess();

	// WM_GETOBJECT: the answer for OBJID_TITLEBAR; 0 for every other id, which goes on to the default processing.
	LRESULT OnGetObject(CSkinFrame& frame, WPARAM wParam, LPARAM lParam);
	// Raises the events of what changed since the last call.
	void Announce(const CSkinFrame& frame);
	// A skin was loaded: the next announcement tells readers to read the children afresh.
	void SkinChanged() { m_bSkinChanged = true; }
	// The object handed out is cut off (its window is going, or the frame).
	void Disconnect();

	// Posted to the frame's window by a press through the object: wParam the button's hit code, lParam the
	// screen point of its lower-left corner. The frame handles it as a click's release there.
	static UINT PressMessage();

private:
	CComPtr<CAccessibleObject> m_pObject;
	SkinCaption m_last;
	bool m_bKnown = false;
	bool m_bSkinChanged = false;
};
