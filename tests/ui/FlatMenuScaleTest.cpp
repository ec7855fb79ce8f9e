// The flat menu's items at the display scale of the prefix (scripts/test runs this at 96, 120, 144 and
// 192 DPI): each item is measured tall and wide enough for its text in the menu font, which is the font
// the menu draws with.
#include "framework/Gdi.h"
#include "resources/resource.h"
#include "ui/DpiScale.h"
#include "ui/FlatMenu.h"

#include <gtest/gtest.h>

#include <string>

TEST(FlatMenuScale, ItemsAreTallAndWideEnoughForTheirTextsInTheMenuFont)
{
	CFlatMenu menu;
	ASSERT_TRUE(menu.LoadFromResource(IDR_MENU_TRAY));
	auto* pTray = dynamic_cast<CFlatMenu*>(menu.GetSubMenu(0));
	ASSERT_NE(pTray, nullptr);
	CFont font(CreateMenuFont());
	CClientDC dc(nullptr);
	CSelectObject select(dc, font);
	int nMeasured = 0;
	for (const auto& pItem : pTray->Items())
	{
		if (pItem->m_nMenuFlags & MF_SEPARATOR)
			continue;
		MEASUREITEMSTRUCT mis = {};
		mis.CtlType = ODT_MENU;
		mis.itemData = reinterpret_cast<ULONG_PTR>(pItem.get());
		LRESULT lResult = 0;
		ASSERT_TRUE(menu.ProcessWindowMessage(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis), lResult));
		SIZE size = {};
		::GetTextExtentPoint32W(dc, pItem->m_strText.c_str(), static_cast<int>(pItem->m_strText.size()), &size);
		// The text starts past the image column (16 pixels and a gap of 9) and must end inside the item.
		EXPECT_GE(static_cast<int>(mis.itemWidth), size.cx + 16 + 9) << "item " << nMeasured;
		EXPECT_GE(static_cast<int>(mis.itemHeight), size.cy) << "item " << nMeasured;
		++nMeasured;
	}
	EXPECT_GE(nMeasured, 5);
}

// A menu of a window on a monitor of another scale is drawn at that scale: the font and the line height follow
// the DPI asked for (Wine gives every window the system's DPI, so only the asked-for DPI can show it here).
TEST(FlatMenuScale, TheMenuFontAndLineFollowTheDpiAskedFor)
{
	const UINT nDpi = CDpiScale::GetSystemDpi();
	CClientDC dc(nullptr);
	auto width = [&dc](UINT nFontDpi) {
		CFont font(CreateMenuFont(nFontDpi));
		CSelectObject select(dc, font);
		SIZE size = {};
		::GetTextExtentPoint32W(dc, L"Show QuiloPlayer", 16, &size);
		return static_cast<int>(size.cx);
	};
	EXPECT_EQ(width(0), width(nDpi));
	EXPECT_GE(width(2 * nDpi) * 10, width(nDpi) * 18);
	EXPECT_EQ(MenuBarHeight(0), MenuBarHeight(nDpi));
	EXPECT_GE(MenuBarHeight(2 * nDpi) * 10, MenuBarHeight(nDpi) * 18);
}
