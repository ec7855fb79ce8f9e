// CMenu: a menu the program borrows by its handle; DestroyMenu is explicit. A menu object attached to a
// handle is found again from the handle (FromHandle), which is how a window's owner-drawn menu items
// reach the object that draws them (CHAIN_MSG_MAP_MEMBER).
#pragma once

#include "framework/Wnd.h"

class CMenu
{
public:
	CMenu() = default;
	CMenu(const CMenu&) = delete;
	CMenu& operator=(const CMenu&) = delete;
	// Lets go of the handle without destroying the menu.
	virtual ~CMenu();

// Attributes
	HMENU m_hMenu = nullptr;
	operator HMENU() const { return m_hMenu; }
	HMENU GetSafeHmenu() const { return m_hMenu; }
	// The object attached to a menu handle; null when the handle has none.
	static CMenu* FromHandle(HMENU hMenu);

	int GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
	UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
	// The object of the sub-menu at nPos; null when there is none or it has no object.
	CMenu* GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

// Operations
	BOOL Attach(HMENU hMenu);
	HMENU Detach();
	BOOL CreateMenu() { return Attach(::CreateMenu()); }
	BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
	BOOL DestroyMenu();

	// An owner-drawn or bitmap item's last argument is its data, not text.
	BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* pszNewItem)
	{
		if (nFlags & (MF_OWNERDRAW | MF_BITMAP) || !pszNewItem)
			return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, reinterpret_cast<const wchar_t*>(pszNewItem));
		return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, ToWide(pszNewItem).c_str());
	}
	BOOL RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
	UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
	// With TPM_RETURNCMD the result is the chosen command, 0 for none.
	BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd) const
	{
		return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->GetSafeHwnd() : nullptr, nullptr);
	}

// Overridables: owner-drawn items
	virtual void DrawItem(LPDRAWITEMSTRUCT) {}
	virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}

	// The owner-draw messages of the window that shows the menu: an item is drawn by the object of its
	// menu; this object measures every owner-drawn menu item of the window (the message names no menu).
	BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
};
