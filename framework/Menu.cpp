#include "framework/Menu.h"

#include <map>

namespace
{
std::map<HMENU, CMenu*>& MenuMap()
{
	static std::map<HMENU, CMenu*> s_map;
	return s_map;
}
}

CMenu::~CMenu()
{
	Detach();
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
	auto it = MenuMap().find(hMenu);
	return it != MenuMap().end() ? it->second : nullptr;
}

BOOL CMenu::Attach(HMENU hMenu)
{
	Detach();
	if (!hMenu)
		return FALSE;
	m_hMenu = hMenu;
	MenuMap()[hMenu] = this;
	return TRUE;
}

HMENU CMenu::Detach()
{
	HMENU hMenu = m_hMenu;
	if (hMenu)
	{
		auto it = MenuMap().find(hMenu);
		if (it != MenuMap().end() && it->second == this)
			MenuMap().erase(it);
	}
	m_hMenu = nullptr;
	return hMenu;
}

BOOL CMenu::DestroyMenu()
{
	HMENU hMenu = Detach();
	return hMenu && ::DestroyMenu(hMenu);
}

BOOL CMenu::ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM lParam, LRESULT& lResult)
{
	if (uMsg == WM_DRAWITEM)
	{
		auto* pDrawItem = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
		CMenu* pMenu = pDrawItem->CtlType == ODT_MENU ? FromHandle(reinterpret_cast<HMENU>(pDrawItem->hwndItem)) : nullptr;
		if (!pMenu)
			return FALSE;
		pMenu->DrawItem(pDrawItem);
		lResult = TRUE;
		return TRUE;
	}
	if (uMsg == WM_MEASUREITEM)
	{
		auto* pMeasureItem = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
		if (pMeasureItem->CtlType != ODT_MENU || !m_hMenu)
			return FALSE;
		MeasureItem(pMeasureItem);
		lResult = TRUE;
		return TRUE;
	}
	return FALSE;
}
