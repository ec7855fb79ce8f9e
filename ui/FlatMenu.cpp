#include "ui/FlatMenu.h"

#include "framework/Gdi.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "ui/MenuTemplate.h"

#include <algorithm>

namespace
{
// The template flags an item keeps; the end flag would read as MF_HILITE, and pop-up and owner-draw are ours.
const UINT kKeptTemplateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK | MF_HELP
	| MF_SEPARATOR;
const int kMaxMenuString = 1024;

int TextWidth(HDC hDC, const std::wstring& str)
{
	SIZE size = {};
	::GetTextExtentPoint32W(hDC, str.c_str(), static_cast<int>(str.size()), &size);
	return size.cx;
}

std::wstring LabelOf(const std::wstring& strText)
{
	return strText.substr(0, strText.find(L'\t'));
}
}

CFlatMenu::CFlatMenu() = default;

CFlatMenu::~CFlatMenu()
{
	ReleaseMenu();
}

BOOL CFlatMenu::LoadFromResource(const char* pszName)
{
	if (IS_INTRESOURCE(pszName))
		return LoadFromResource(MAKEINTRESOURCEW(LOWORD(reinterpret_cast<ULONG_PTR>(pszName))));
	return LoadFromResource(ToWide(pszName).c_str());
}

BOOL CFlatMenu::LoadFromResource(const wchar_t* pszName)
{
	ReleaseMenu();
	HINSTANCE hInstance = AfxGetResourceHandle();
	HRSRC hResource = ::FindResourceW(hInstance, pszName, reinterpret_cast<LPCWSTR>(RT_MENU));
	HGLOBAL hData = hResource ? ::LoadResource(hInstance, hResource) : nullptr;
	const void* pData = hData ? ::LockResource(hData) : nullptr;
	std::vector<MenuTemplateItem> items;
	if (!pData || !ParseMenuTemplate(pData, ::SizeofResource(hInstance, hResource), items) || !CreateMenu())
		return FALSE;

	// The menus being filled, this one first; an item of depth d goes into the menu at d.
	std::vector<CFlatMenu*> stack = {this};
	for (const MenuTemplateItem& item : items)
	{
		for (; static_cast<int>(stack.size()) > item.nDepth + 1; stack.pop_back())
			stack.back()->AlignAccelerators();
		CFlatMenu* pCurrent = stack.back();
		std::wstring strText(item.strText.begin(), item.strText.end());
		UINT nFlags = item.nFlags & kKeptTemplateFlags;
		if (!(item.nFlags & kMenuTemplatePopup))
		{
			pCurrent->AppendItemWide(strText.c_str(), nFlags, item.nCommand);
			continue;
		}
		auto pSubMenu = std::make_unique<CFlatMenu>();
		if (!pSubMenu->CreatePopupMenu())
		{
			ReleaseMenu();
			return FALSE;
		}
		pSubMenu->m_checkImages.Attach(pCurrent->m_checkImages);
		pSubMenu->m_bCheckListShared = 1;
		pSubMenu->m_nCheckIndex = pCurrent->m_nCheckIndex;
		pSubMenu->m_nSelectedCheckIndex = pCurrent->m_nSelectedCheckIndex;
		CFlatMenu* pNext = pSubMenu.get();
		HMENU hSubMenu = pSubMenu->m_hMenu;
		pCurrent->m_subMenus.push_back(SubMenu{hSubMenu, std::move(pSubMenu)});
		pCurrent->AppendItemWide(strText.c_str(), nFlags | MF_POPUP, reinterpret_cast<UINT_PTR>(hSubMenu));
		stack.push_back(pNext);
	}
	for (; !stack.empty(); stack.pop_back())
		stack.back()->AlignAccelerators();
	return TRUE;
}

void CFlatMenu::AlignAccelerators()
{
	CClientDC dc(MenuMeasureWindow());
	CFont font(CreateMenuFont());
	CSelectObject selFont(dc, font);
	int nTarget = 0;
	for (const auto& pItem : m_items)
		nTarget = std::max(nTarget, TextWidth(dc, LabelOf(pItem->m_strText) + L" "));
	for (const auto& pItem : m_items)
	{
		size_t nTab = pItem->m_strText.find(L'\t');
		if (nTab == std::wstring::npos)
			continue;
		std::wstring strLabel = pItem->m_strText.substr(0, nTab);
		// Bounded: a font may measure a space as nothing.
		int nWidth = TextWidth(dc, strLabel);
		for (int nSpaces = 0; nWidth < nTarget && nSpaces < nTarget; ++nSpaces)
		{
			strLabel += L' ';
			int nWider = TextWidth(dc, strLabel);
			if (nWider <= nWidth)
				break;
			nWidth = nWider;
		}
		pItem->SetText(strLabel + pItem->m_strText.substr(nTab));
	}
}

BOOL CFlatMenu::AppendItemWide(const wchar_t* pszText, UINT nFlags, UINT_PTR nCommand, int nImage)
{
	if (!m_hMenu)
		return FALSE;
	if (nCommand)
		nFlags |= MF_OWNERDRAW;
	else
		nFlags = (nFlags & MF_BYPOSITION) | MF_SEPARATOR | MF_OWNERDRAW;
	if (nFlags & MF_POPUP)
	{
		HMENU hSubMenu = reinterpret_cast<HMENU>(nCommand);
		if (std::none_of(m_subMenus.begin(), m_subMenus.end(), [&](const SubMenu& sub) { return sub.hMenu == hSubMenu; }))
			m_subMenus.push_back(SubMenu{hSubMenu, nullptr});
	}

	auto pItem = std::make_unique<OwnerMenuItem>();
	pItem->SetText(pszText ? pszText : L"");
	pItem->m_nMenuFlags = nFlags;
	pItem->m_nCommand = nCommand;
	if (nImage >= 0)
		SetItemImage(*pItem, nImage);
	else
		pItem->m_nSharedImageIndex = FindSharedImage(nCommand);
	OwnerMenuItem* pRecord = pItem.get();
	m_items.push_back(std::move(pItem));
	if (!::AppendMenuW(m_hMenu, nFlags, nCommand, reinterpret_cast<LPCWSTR>(pRecord)))
	{
		m_items.pop_back();
		return FALSE;
	}
	if (m_bSystemPopupHeaders)
		MakePopupHeadersSystemDrawn();
	return TRUE;
}

BOOL CFlatMenu::AppendItem(UINT nFlags, UINT_PTR nCommand, const char* pszText, int nImage)
{
	return AppendItemWide(ToWide(pszText ? pszText : "").c_str(), nFlags, nCommand, nImage);
}

void CFlatMenu::MakePopupHeadersSystemDrawn()
{
	// Where this menu's records start among its items: the first item whose string is a record's text.
	int nCount = GetMenuItemCount();
	int nStart = -1;
	for (int nPos = 0; nPos < nCount && nStart < 0; ++nPos)
	{
		wchar_t szText[kMaxMenuString] = {};
		if (::GetMenuStringW(m_hMenu, nPos, szText, kMaxMenuString, MF_BYPOSITION) <= 0)
			continue;
		for (size_t i = 0; i < m_items.size(); ++i)
		{
			if (m_items[i]->m_strText == szText)
			{
				nStart = nPos - static_cast<int>(i);
				break;
			}
		}
	}
	if (nStart < 0)
		return;
	for (size_t i = 0; i < m_items.size(); ++i)
	{
		int nPos = nStart + static_cast<int>(i);
		HMENU hSubMenu = ::GetSubMenu(m_hMenu, nPos);
		if (!hSubMenu)
			continue;
		m_items[i]->m_nMenuFlags = MF_BYPOSITION | MF_POPUP;
		::ModifyMenuW(m_hMenu, nPos, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(hSubMenu),
			m_items[i]->m_strText.c_str());
	}
}

BOOL CFlatMenu::RemoveItem(UINT nPosOrCommand, UINT nFlags)
{
	if (nFlags & MF_BYPOSITION)
		return RemoveAt(static_cast<int>(nPosOrCommand));
	int nPos = -1;
	CFlatMenu* pMenu = FindMenuOfCommand(nPosOrCommand, nPos);
	return pMenu && pMenu->RemoveAt(nPos);
}

BOOL CFlatMenu::RemoveAt(int nPos)
{
	MENUITEMINFOW mii = {};
	mii.cbSize = sizeof(mii);
	mii.fMask = MIIM_DATA | MIIM_SUBMENU;
	if (!m_hMenu || !::GetMenuItemInfoW(m_hMenu, static_cast<UINT>(nPos), TRUE, &mii)
		|| !::RemoveMenu(m_hMenu, static_cast<UINT>(nPos), MF_BYPOSITION))
		return FALSE;
	auto* pRecord = reinterpret_cast<OwnerMenuItem*>(mii.dwItemData);
	m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
		[&](const std::unique_ptr<OwnerMenuItem>& pItem) { return pItem.get() == pRecord; }), m_items.end());
	if (mii.hSubMenu)
	{
		auto it = std::find_if(m_subMenus.begin(), m_subMenus.end(), [&](const SubMenu& sub) { return sub.hMenu == mii.hSubMenu; });
		if (it != m_subMenus.end() && it->pMenu)
			it->pMenu->ReleaseMenu();
		else
			::DestroyMenu(mii.hSubMenu);
		if (it != m_subMenus.end())
			m_subMenus.erase(it);
	}
	return TRUE;
}

CFlatMenu* CFlatMenu::FindMenuOfCommand(UINT nCommand, int& nPos)
{
	int nCount = m_hMenu ? GetMenuItemCount() : 0;
	for (int i = 0; i < nCount; ++i)
	{
		HMENU hSubMenu = ::GetSubMenu(m_hMenu, i);
		if (!hSubMenu)
		{
			if (GetMenuItemID(i) == nCommand)
			{
				nPos = i;
				return this;
			}
			continue;
		}
		for (const SubMenu& sub : m_subMenus)
		{
			if (sub.hMenu != hSubMenu || !sub.pMenu)
				continue;
			if (CFlatMenu* pFound = sub.pMenu->FindMenuOfCommand(nCommand, nPos))
				return pFound;
		}
	}
	return nullptr;
}

const CFlatMenu* CFlatMenu::FindItemOwner(const OwnerMenuItem* pItem) const
{
	for (const auto& pOwn : m_items)
	{
		if (pOwn.get() == pItem)
			return this;
	}
	for (const SubMenu& sub : m_subMenus)
	{
		if (const CFlatMenu* pFound = sub.pMenu ? sub.pMenu->FindItemOwner(pItem) : nullptr)
			return pFound;
	}
	return nullptr;
}

void CFlatMenu::SetCheckImages(HIMAGELIST hImages, int nCheckIndex, int nSelectedCheckIndex)
{
	if (m_bCheckListShared)
		m_checkImages.Detach();
	m_checkImages.Attach(hImages);
	m_bCheckListShared = 0;
	m_nCheckIndex = nCheckIndex;
	m_nSelectedCheckIndex = nSelectedCheckIndex;
}

void CFlatMenu::ReleaseMenu()
{
	Release(true);
}

void CFlatMenu::Release(bool bDestroy)
{
	// The system destroys a menu with all its sub-menus: theirs are only let go.
	for (SubMenu& sub : m_subMenus)
	{
		if (sub.pMenu)
			sub.pMenu->Release(false);
	}
	m_subMenus.clear();
	m_items.clear();
	if (m_bCheckListShared)
		m_checkImages.Detach();
	m_checkImages.DeleteImageList();
	m_bCheckListShared = 0;
	if (bDestroy)
		DestroyMenu();
	else
		Detach();
}
