// CTrayIcon: one icon with a tooltip in the shell's notification area. Its notification message reaches
// the window the owner names (and OnNotify); the icon is put back when the taskbar is re-created.
//   TrayHook   the hook on the notification window and on its top-level parent
#pragma once

#include "framework/Handle.h"
#include "ui/SubclassWnd.h"

#include <shellapi.h>

class CTrayIcon;

class TrayHook : public CSubclassWnd
{
public:
	explicit TrayHook(CTrayIcon* pOwner) : m_pOwner(pOwner) {}

protected:
	LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
	CTrayIcon* m_pOwner;
};

class CTrayIcon
{
public:
	// The tooltip starts as string resource nID, when there is one.
	explicit CTrayIcon(UINT nID);
	CTrayIcon(const CTrayIcon&) = delete;
	CTrayIcon& operator=(const CTrayIcon&) = delete;
	// Removes the icon.
	virtual ~CTrayIcon();

// Operations
	// The window (null: none) that receives message uMsg for the icon's mouse events.
	BOOL SetNotifyWindow(CWnd* pWnd, UINT uMsg);
	// Icon and tooltip from the resources of that id; 0 removes the icon. With nSize the icon is the one
	// drawn nSize pixels square (the small-icon size of the display's scale), else the system's.
	BOOL SetIconFromResource(UINT nID, int nSize = 0);
	// Shows hIcon (null: removes it) with the tooltip (code page 936), when one is given; the shell call's success.
	BOOL SetIconHandle(HICON hIcon, const char* pszTip);

	// The shell's notification-icon call; tests put a recording one in its place.
	using ShellNotifyProc = BOOL (WINAPI*)(DWORD dwMessage, PNOTIFYICONDATAW pData);
	void SetShellCall(ShellNotifyProc pfnShellNotify) { m_pfnShellNotify = pfnShellNotify; }

// Attributes
	const NOTIFYICONDATAW& IconRecord() const { return m_nid; }
	// The number of the message the shell broadcasts when the taskbar is re-created.
	static UINT TaskbarCreatedMessage();

// Overridables
	virtual LRESULT OnNotify(WPARAM, LPARAM) { return 0; }
	virtual LRESULT OnTaskbarRestart(WPARAM, LPARAM);

private:
	friend class TrayHook;

	void LoadTip(UINT nID);
	// Cut as CopyTrayTip cuts, then widened into the record.
	void SetTip(const char* pszTip);

	// In the shell's first form: its size is that form's, whatever the headers' record holds beyond it.
	NOTIFYICONDATAW m_nid;
	// The sized icon the record shows, kept until another replaces it.
	CIconHandle m_icon;
	TrayHook m_hookNotify;
	TrayHook m_hookParent;
	ShellNotifyProc m_pfnShellNotify = &::Shell_NotifyIconW;
};

// Copies the text into a tooltip field of cbField bytes (terminator included) without splitting a
// double-byte character of code page 936.
void CopyTrayTip(char* pszField, size_t cbField, const char* pszText);
