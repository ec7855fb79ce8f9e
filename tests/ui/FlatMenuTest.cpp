// Owner-drawn flat menus: the menu templates of the program read (and malformed ones refused), the menus
// built from them, the style arithmetic, measuring, drawing into memory, item images, and one real menu
// on the display whose screenshot shows the image column, the selection box and the check mark.
#include "UiTestResources.h"
#include "framework/Gdi.h"
#include "player/SkinMenu.h"
#include "resources/resource.h"
#include "support/LinuxTools.h"
#include "ui/FlatMenu.h"
#include "ui/MenuTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace
{
std::vector<unsigned char> MenuResource(UINT nID)
{
	HMODULE hModule = ::GetModuleHandleA(nullptr);
	HRSRC hResource = ::FindResourceA(hModule, MAKEINTRESOURCEA(nID), reinterpret_cast<LPCSTR>(RT_MENU));
	if (!hResource)
		return {};
	auto* p = static_cast<const unsigned char*>(::LockResource(::LoadResource(hModule, hResource)));
	return std::vector<unsigned char>(p, p + ::SizeofResource(hModule, hResource));
}

// "depth:flags:command:text|" for each item.
std::string Describe(const std::vector<MenuTemplateItem>& items)
{
	std::string str;
	for (const MenuTemplateItem& item : items)
	{
		char sz[32];
		std::snprintf(sz, sizeof(sz), "%d:%x:%u:", item.nDepth, item.nFlags, item.nCommand);
		std::wstring strText(item.strText.begin(), item.strText.end());
		char szText[128] = {};
		::WideCharToMultiByte(CP_UTF8, 0, strText.c_str(), -1, szText, sizeof(szText), nullptr, nullptr);
		str += std::string(sz) + szText + "|";
	}
	return str;
}

// Flat drawing everywhere, as the player sets it before each menu.
class FlatStyle : public ::testing::Test
{
protected:
	void SetUp() override
	{
		m_nSavedClassic = CFlatMenu::ClassicDrawMode;
		CFlatMenu::ClassicDrawMode = 1;
		CFlatMenu::XpDrawMode = 1;
	}
	void TearDown() override { CFlatMenu::ClassicDrawMode = m_nSavedClassic; }

	int m_nSavedClassic = 0;
};

TEST(MenuTemplate, TheProgramsMenusReadAsWritten)
{
	std::vector<MenuTemplateItem> items;
	std::vector<unsigned char> tray = MenuResource(IDR_MENU_TRAY);
	ASSERT_TRUE(ParseMenuTemplate(tray.data(), tray.size(), items));
	EXPECT_EQ(Describe(items), u8"0:90:0:Tray|1:0:32790:显示QuiloPlayer|1:0:0:|1:0:32786:官方网站|1:0:32785:帮助|"
		u8"1:0:32795:意见反馈|1:0:16:关于|1:0:0:|1:80:2:退出|");
	std::vector<unsigned char> frame = MenuResource(IDR_MENU_BUTTON);
	ASSERT_TRUE(ParseMenuTemplate(frame.data(), frame.size(), items));
	EXPECT_EQ(Describe(items), u8"0:90:0:Botton|1:0:32782:隐藏QuiloPlayer|1:0:0:|1:10:0:更换皮肤|2:88:32797:缺省|"
		u8"1:0:0:|1:0:32786:官方网站|1:0:32785:帮助|1:0:32795:意见反馈|1:0:16:关于|1:0:0:|1:80:2:退出|");

	// Every piece cut short of its end is refused, and read only within its bytes (the copy is exact).
	for (size_t cb = 0; cb < frame.size(); ++cb)
	{
		std::vector<unsigned char> cut(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(cb));
		EXPECT_FALSE(ParseMenuTemplate(cut.data(), cut.size(), items)) << cb;
		EXPECT_TRUE(items.empty());
	}
}

TEST(MenuTemplate, MalformedTemplatesAreRefused)
{
	auto item = [](uint16_t nFlags, const char16_t* psz, int nCommand = -1) {
		std::vector<unsigned char> b = {static_cast<unsigned char>(nFlags), static_cast<unsigned char>(nFlags >> 8)};
		if (nCommand >= 0)
			b.insert(b.end(), {static_cast<unsigned char>(nCommand), static_cast<unsigned char>(nCommand >> 8)});
		for (; *psz; ++psz)
			b.insert(b.end(), {static_cast<unsigned char>(*psz), static_cast<unsigned char>(*psz >> 8)});
		b.insert(b.end(), {0, 0});
		return b;
	};
	auto join = [](std::initializer_list<std::vector<unsigned char>> parts) {
		std::vector<unsigned char> all;
		for (const auto& part : parts)
			all.insert(all.end(), part.begin(), part.end());
		return all;
	};
	const std::vector<unsigned char> header = {0, 0, 0, 0};
	std::vector<MenuTemplateItem> items;
	auto parses = [&](const std::vector<unsigned char>& data) { return ParseMenuTemplate(data.data(), data.size(), items); };

	EXPECT_TRUE(parses(join({header, item(0x90, u"P"), item(0x80, u"x", 7)})));
	// Trailing bytes after the closed top level are not read.
	EXPECT_TRUE(parses(join({header, item(0x80, u"x", 7), {1, 2, 3}})));
	// Another version (the extended template), a header offset past the end, a level never closed.
	EXPECT_FALSE(parses(join({{1, 0, 4, 0}, item(0x80, u"x", 7)})));
	EXPECT_FALSE(parses(join({{0, 0, 200, 0}, item(0x80, u"x", 7)})));
	EXPECT_FALSE(parses(join({header, item(0x90, u"P"), item(0, u"x", 7)})));
	EXPECT_FALSE(parses(join({header, item(0x10, u"P"), item(0x80, u"x", 7)})));
	EXPECT_FALSE(parses(header));
	EXPECT_FALSE(ParseMenuTemplate(nullptr, 10, items));
	// Seventeen nested pop-ups are too deep; sixteen are not.
	for (int nDepth : {16, 17})
	{
		std::vector<unsigned char> data = header;
		for (int i = 0; i < nDepth; ++i)
			data = join({data, item(0x90, u"P")});
		data = join({data, item(0x80, u"x", 7)});
		EXPECT_EQ(parses(data), nDepth <= kMaxMenuTemplateDepth) << nDepth;
	}
}

TEST_F(FlatStyle, LoadedMenusAreOwnerDrawnAndTheSkinListIsRebuilt)
{
	CFlatMenu menu;
	EXPECT_FALSE(menu.LoadFromResource(4242));
	EXPECT_EQ(menu.GetSafeHmenu(), nullptr);
	ASSERT_TRUE(menu.LoadFromResource(IDR_MENU_BUTTON));
	CMenu* pPopup = menu.GetSubMenu(0);
	ASSERT_NE(pPopup, nullptr);
	ASSERT_EQ(pPopup->GetMenuItemCount(), 10);
	EXPECT_EQ(pPopup->GetMenuItemID(9), static_cast<UINT>(IDCANCEL));
	for (int i = 0; i < 10; ++i)
		EXPECT_TRUE(::GetMenuState(*pPopup, i, MF_BYPOSITION) & MF_OWNERDRAW) << i;
	EXPECT_TRUE(::GetMenuState(*pPopup, 1, MF_BYPOSITION) & MF_SEPARATOR);

	auto* pSkins = dynamic_cast<CFlatMenu*>(pPopup->GetSubMenu(2));
	ASSERT_NE(pSkins, nullptr);
	EXPECT_EQ(pSkins->GetMenuItemCount(), 1);
	EXPECT_TRUE(::GetMenuState(*pSkins, ID_MENU_SKIN_DEFAULT, MF_BYCOMMAND) & MF_CHECKED);
	EXPECT_TRUE(pSkins->Items()[0]->m_strText == L"缺省");
	int nPos = -1;
	EXPECT_EQ(menu.FindMenuOfCommand(ID_MENU_SKIN_DEFAULT, nPos), pSkins);
	EXPECT_EQ(nPos, 0);

	// As the frame menu opens: the placeholder goes and the folders are listed by name, the current one checked.
	CStringArray dirs;
	for (const char* pszDir : {"C:\\Q\\skin\\经典\\", "C:\\Q\\skin\\Modern\\", "C:\\Q\\skin\\蓝色\\"})
		dirs.Add(pszDir);
	FillSkinMenu(*pSkins, dirs, 1);
	ASSERT_EQ(pSkins->GetMenuItemCount(), 3);
	ASSERT_EQ(pSkins->Items().size(), 3u);
	EXPECT_TRUE(pSkins->Items()[0]->m_strText == L"经典");
	EXPECT_TRUE(pSkins->Items()[1]->m_strText == L"Modern");
	EXPECT_TRUE(pSkins->Items()[2]->m_strText == L"蓝色");
	// Screen readers find each owner-drawn item's UTF-16 text at the start of its data.
	for (int i = 0; i < 3; ++i)
	{
		MENUITEMINFOW mii = {};
		mii.cbSize = sizeof(mii);
		mii.fMask = MIIM_DATA;
		ASSERT_TRUE(::GetMenuItemInfoW(*pSkins, i, TRUE, &mii)) << i;
		const auto* pInfo = reinterpret_cast<const MSAAMENUINFO*>(mii.dwItemData);
		ASSERT_NE(pInfo, nullptr);
		EXPECT_EQ(pInfo->dwMSAASignature, static_cast<DWORD>(MSAA_MENU_SIG));
		EXPECT_EQ(std::wstring(pInfo->pszWText, pInfo->cchWText),
			std::wstring(i == 0 ? L"经典" : i == 1 ? L"Modern" : L"蓝色")) << i;
	}
	for (int i = 0; i < 3; ++i)
	{
		EXPECT_EQ(pSkins->GetMenuItemID(i), static_cast<UINT>(ID_SKIN_FIRST + i));
		EXPECT_EQ((::GetMenuState(*pSkins, i, MF_BYPOSITION) & MF_CHECKED) != 0, i == 1) << i;
	}
	EXPECT_EQ(menu.FindMenuOfCommand(ID_MENU_SKIN_DEFAULT, nPos), nullptr);

	// By command, searched through the sub-menus; a pop-up goes with its sub-menu.
	EXPECT_TRUE(menu.RemoveItem(10001, MF_BYCOMMAND));
	EXPECT_EQ(pSkins->Items().size(), 2u);
	HMENU hSkins = *pSkins;
	EXPECT_TRUE(static_cast<CFlatMenu*>(pPopup)->RemoveItem(2, MF_BYPOSITION));
	EXPECT_FALSE(::IsMenu(hSkins));
	EXPECT_EQ(CMenu::FromHandle(hSkins), nullptr);
	EXPECT_EQ(pPopup->GetMenuItemCount(), 9);

	HMENU hMenu = menu;
	menu.ReleaseMenu();
	EXPECT_FALSE(::IsMenu(hMenu));
	EXPECT_EQ(menu.GetSafeHmenu(), nullptr);
}

TEST_F(FlatStyle, AcceleratorTextsLineUp)
{
	CFlatMenu menu;
	ASSERT_TRUE(menu.LoadFromResource(IDR_MENU_ACCELERATORS));
	auto* pEdit = dynamic_cast<CFlatMenu*>(menu.GetSubMenu(0));
	ASSERT_NE(pEdit, nullptr);
	const auto& items = pEdit->Items();
	ASSERT_EQ(items.size(), 3u);
	// The widest label with one space sets the place of every accelerator.
	EXPECT_TRUE(items[1]->m_strText == L"Select everything \tCtrl+A");
	EXPECT_TRUE(items[2]->m_strText == L"Find");
	std::wstring strUndo = items[0]->m_strText;
	size_t nTab = strUndo.find(L'\t');
	ASSERT_NE(nTab, std::wstring::npos);
	EXPECT_EQ(strUndo.substr(nTab), L"\tCtrl+Z");
	EXPECT_EQ(strUndo.substr(0, 5), L"Undo ");
	EXPECT_EQ(strUndo.find_first_not_of(L' ', 4), nTab);

	CClientDC dc(MenuMeasureWindow());
	CFont font(CreateMenuFont());
	CSelectObject selFont(dc, font);
	auto width = [&](const std::wstring& str) {
		std::string strNarrow(str.begin(), str.end());
		SIZE size = {};
		::GetTextExtentPoint32A(dc, strNarrow.c_str(), static_cast<int>(strNarrow.size()), &size);
		return size.cx;
	};
	int nTarget = width(L"Select everything ");
	EXPECT_GE(width(strUndo.substr(0, nTab)), nTarget);
	EXPECT_LT(width(strUndo.substr(0, nTab - 1)), nTarget);
}

TEST(FlatMenuStyle, BlendsVersionsThemesAndTheStyleInForce)
{
	const COLORREF cr = RGB(0, 100, 255);
	EXPECT_EQ(BlendTowardWhite(cr, 0), cr);
	EXPECT_EQ(BlendTowardWhite(cr, 1.5), cr);
	EXPECT_EQ(BlendTowardWhite(cr, -0.5), cr);
	EXPECT_EQ(BlendTowardWhite(cr, 1), RGB(255, 255, 255));
	EXPECT_EQ(BlendTowardWhite(cr, 0.5), RGB(127, 177, 255));
	EXPECT_EQ(BlendTowardWhite(RGB(10, 20, 30), 0.85), RGB(218, 219, 221));

	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32s, 3, 10), 0);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_WINDOWS, 4, 0), 2);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_WINDOWS, 4, 10), 3);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_WINDOWS, 4, 90), 4);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_NT, 4, 0), 5);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_NT, 5, 0), 6);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_NT, 5, 1), 7);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_NT, 5, 2), 1);
	EXPECT_EQ(OsStyleCodeOf(VER_PLATFORM_WIN32_NT, 6, 1), 1);

	EXPECT_TRUE(IsClassicThemeName("C:\\WINDOWS\\Resources\\Themes\\Windows Classic.theme"));
	EXPECT_TRUE(IsClassicThemeName("c:\\themes\\WINDOWS CLASSIC.THEME"));
	EXPECT_FALSE(IsClassicThemeName("C:\\WINDOWS\\Resources\\Themes\\Luna.theme"));
	EXPECT_FALSE(IsClassicThemeName("Classic.theme"));
	EXPECT_FALSE(IsClassicThemeName(""));
	// Read once: a theme set later does not change the answer of this process.
	bool bClassic = CFlatMenu::ClassicThemeActive();
	HKEY hKey = nullptr;
	ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Plus!\\Themes\\Current", 0, nullptr, 0,
		KEY_WRITE, nullptr, &hKey, nullptr), ERROR_SUCCESS);
	const char* pszValue = bClassic ? "Luna.theme" : "X:\\Windows Classic.theme";
	::RegSetValueExA(hKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszValue), static_cast<DWORD>(strlen(pszValue) + 1));
	EXPECT_EQ(CFlatMenu::ClassicThemeActive(), bClassic);
	::RegDeleteValueA(hKey, nullptr);
	::RegCloseKey(hKey);

	// With both modes set, Windows 2000 and XP with the classic theme are flat in the plain colours; XP
	// with another theme has the XP look. A mode of 0 leaves its systems classic.
	for (auto choice : {ChooseMenuStyle(6, false, 1, 1), ChooseMenuStyle(7, true, 1, 1), ChooseMenuStyle(1, false, 1, 1)})
	{
		EXPECT_TRUE(choice.bFlat);
		EXPECT_FALSE(choice.bXpLook);
	}
	MenuStyleChoice xp = ChooseMenuStyle(7, false, 1, 1);
	EXPECT_TRUE(xp.bFlat && xp.bXpLook);
	EXPECT_FALSE(ChooseMenuStyle(6, false, 1, 0).bFlat);
	EXPECT_FALSE(ChooseMenuStyle(7, false, 0, 1).bFlat);

	FlatMenuColors plain = GetFlatMenuColors(false);
	FlatMenuColors xpColors = GetFlatMenuColors(true);
	EXPECT_EQ(plain.crSelect, BlendTowardWhite(::GetSysColor(COLOR_HIGHLIGHT), 0.85));
	EXPECT_EQ(plain.crColumn, BlendTowardWhite(::GetSysColor(COLOR_BTNFACE), 0.25));
	EXPECT_EQ(xpColors.crSelect, BlendTowardWhite(::GetSysColor(COLOR_HIGHLIGHT), 0.7));
	EXPECT_EQ(xpColors.crColumn, ::GetSysColor(COLOR_BTNFACE));
	EXPECT_EQ(plain.crBack, ::GetSysColor(COLOR_WINDOW));
}

// Measures one item through the owner-draw message, as the window showing the menu passes it on.
MEASUREITEMSTRUCT Measure(CFlatMenu& menu, const OwnerMenuItem* pItem)
{
	MEASUREITEMSTRUCT mis = {};
	mis.CtlType = ODT_MENU;
	mis.itemData = reinterpret_cast<ULONG_PTR>(pItem);
	LRESULT lResult = 0;
	EXPECT_TRUE(menu.ProcessWindowMessage(nullptr, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis), lResult));
	return mis;
}

TEST_F(FlatStyle, ItemAndSeparatorHeights)
{
	CFlatMenu menu;
	ASSERT_TRUE(menu.LoadFromResource(IDR_MENU_TRAY));
	auto* pTray = dynamic_cast<CFlatMenu*>(menu.GetSubMenu(0));
	ASSERT_NE(pTray, nullptr);
	const int nMenuBar = ::GetSystemMetrics(SM_CYMENU);
	EXPECT_EQ(CFlatMenu::ItemPadding(), 7);
	// The top menu measures its sub-menus' items too.
	MEASUREITEMSTRUCT separator = Measure(menu, pTray->Items()[1].get());
	EXPECT_EQ(separator.itemHeight, static_cast<UINT>(std::max(11, nMenuBar / 2)));
	EXPECT_EQ(separator.itemWidth, 0u);
	MEASUREITEMSTRUCT item = Measure(menu, pTray->Items()[0].get());
	EXPECT_EQ(item.itemHeight, static_cast<UINT>(std::max(22, nMenuBar)));
	EXPECT_GT(item.itemWidth, 16u + 7u + 8u);

	// In the classic style the padding is 4.
	CFlatMenu::ClassicDrawMode = 0;
	CFlatMenu::XpDrawMode = 0;
	EXPECT_EQ(CFlatMenu::ItemPadding(), 4);
	EXPECT_EQ(Measure(menu, pTray->Items()[1].get()).itemHeight, static_cast<UINT>(std::max(9, nMenuBar / 2)));
	EXPECT_EQ(Measure(menu, pTray->Items()[0].get()).itemHeight, static_cast<UINT>(std::max(19, nMenuBar)));
}

// An item drawn into a memory bitmap through the owner-draw message.
class CDrawnItem
{
public:
	static const int kWidth = 200;
	static const int kHeight = 24;

	CDrawnItem(CMenu& chained, CFlatMenu& owner, const OwnerMenuItem& item, UINT nState)
		: m_dc(nullptr), m_bitmap(::CreateBitmap(kWidth, kHeight, 1, 32, nullptr))
	{
		CSelectObject selBitmap(m_dc, m_bitmap);
		DRAWITEMSTRUCT dis = {};
		dis.CtlType = ODT_MENU;
		dis.itemID = static_cast<UINT>(item.m_nCommand);
		dis.itemState = nState;
		dis.hwndItem = reinterpret_cast<HWND>(owner.GetSafeHmenu());
		dis.hDC = m_dc;
		dis.rcItem = RECT{0, 0, kWidth, kHeight};
		dis.itemData = reinterpret_cast<ULONG_PTR>(&item);
		LRESULT lResult = 0;
		m_bRouted = chained.ProcessWindowMessage(nullptr, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis), lResult);
	}

	COLORREF At(int x, int y)
	{
		CSelectObject selBitmap(m_dc, m_bitmap);
		return ::GetPixel(m_dc, x, y);
	}
	std::vector<DWORD> Pixels()
	{
		std::vector<DWORD> pixels(kWidth * kHeight);
		::GetBitmapBits(m_bitmap, static_cast<LONG>(pixels.size() * sizeof(DWORD)), pixels.data());
		return pixels;
	}

	bool m_bRouted = false;

private:
	CCompatibleDC m_dc;
	CBitmap m_bitmap;
};

TEST_F(FlatStyle, DrawnItemsShowColumnSelectionAndCheckMark)
{
	CFlatMenu menu;
	ASSERT_TRUE(menu.LoadFromResource(IDR_MENU_BUTTON));
	auto* pPopup = dynamic_cast<CFlatMenu*>(menu.GetSubMenu(0));
	auto* pSkins = dynamic_cast<CFlatMenu*>(pPopup->GetSubMenu(2));
	ASSERT_TRUE(pPopup && pSkins);
	const FlatMenuColors colors = GetFlatMenuColors(false);
	const COLORREF crHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
	const COLORREF crChecked = BlendTowardWhite(crHighlight, 0.85);
	const int nColumn = 16 + 7;

	// The checked skin: its 16 x 16 box centred in the column, the mark 5 right and 4 down from its corner.
	CDrawnItem checked(menu, *pSkins, *pSkins->Items()[0], ODS_CHECKED);
	ASSERT_TRUE(checked.m_bRouted);
	const int xBox = (nColumn - 16) / 2, yBox = (CDrawnItem::kHeight - 16) / 2;
	EXPECT_EQ(checked.At(1, 1), colors.crColumn);
	EXPECT_EQ(checked.At(xBox, yBox), crHighlight);
	EXPECT_EQ(checked.At(xBox + 15, yBox + 15), crHighlight);
	EXPECT_EQ(checked.At(xBox + 2, yBox + 2), crChecked);
	const int tops[] = {2, 3, 4, 3, 2, 1, 0};
	for (int i = 0; i < 7; ++i)
	{
		int x = xBox + 5 + i, y = yBox + 4 + tops[i];
		EXPECT_EQ(checked.At(x, y - 1), crChecked) << i;
		EXPECT_EQ(checked.At(x, y), colors.crText) << i;
		EXPECT_EQ(checked.At(x, y + 2), colors.crText) << i;
		EXPECT_EQ(checked.At(x, y + 3), crChecked) << i;
	}
	EXPECT_EQ(checked.At(CDrawnItem::kWidth - 2, 2), colors.crBack);

	// A selected item: filled with the selection colour and framed in the highlight colour.
	CDrawnItem selected(menu, *pPopup, *pPopup->Items()[4], ODS_SELECTED);
	EXPECT_EQ(selected.At(0, 0), crHighlight);
	EXPECT_EQ(selected.At(CDrawnItem::kWidth - 1, 10), crHighlight);
	EXPECT_EQ(selected.At(3, 3), colors.crSelect);
	EXPECT_EQ(selected.At(CDrawnItem::kWidth - 5, 3), colors.crSelect);

	// A grayed item under the mouse is drawn exactly as one that is not.
	CDrawnItem grayed(menu, *pPopup, *pPopup->Items()[4], ODS_GRAYED);
	CDrawnItem grayedSelected(menu, *pPopup, *pPopup->Items()[4], ODS_GRAYED | ODS_SELECTED);
	EXPECT_EQ(grayed.At(CDrawnItem::kWidth - 5, 3), colors.crBack);
	EXPECT_TRUE(grayed.Pixels() == grayedSelected.Pixels());

	// A separator: the column and an etched line along the middle, right of the column.
	CDrawnItem separator(menu, *pPopup, *pPopup->Items()[1], 0);
	EXPECT_EQ(separator.At(2, CDrawnItem::kHeight / 2), colors.crColumn);
	EXPECT_EQ(separator.At(100, CDrawnItem::kHeight / 2), ::GetSysColor(COLOR_BTNSHADOW));
	EXPECT_EQ(separator.At(100, CDrawnItem::kHeight / 2 - 2), colors.crBack);
}

TEST_F(FlatStyle, AcceleratorItemsAreMeasuredWholeAndDrawnRightAligned)
{
	CFlatMenu menu;
	ASSERT_TRUE(menu.LoadFromResource(IDR_MENU_ACCELERATORS));
	auto* pEdit = dynamic_cast<CFlatMenu*>(menu.GetSubMenu(0));
	ASSERT_NE(pEdit, nullptr);
	const OwnerMenuItem& undo = *pEdit->Items()[0];

	// Width: the whole text, accelerator included, as the measuring context's font has it (and at least as
	// the menu font has it); then the image column, padding and gap (flat), or two image widths and one (classic).
	CClientDC dcMeasure(MenuMeasureWindow());
	CFont font(CreateMenuFont());
	SIZE size = {}, sizeMenuFont = {};
	{
		CSelectObject selFont(dcMeasure, CFlatMenu::OsStyleCode >= 2 ? font.GetSafeHandle() : ::GetCurrentObject(dcMeasure, OBJ_FONT));
		::GetTextExtentPoint32W(dcMeasure, undo.m_strText.c_str(), static_cast<int>(undo.m_strText.size()), &size);
	}
	CSelectObject selFont(dcMeasure, font);
	::GetTextExtentPoint32W(dcMeasure, undo.m_strText.c_str(), static_cast<int>(undo.m_strText.size()), &sizeMenuFont);
	size.cx = std::max(size.cx, sizeMenuFont.cx);
	EXPECT_EQ(Measure(menu, &undo).itemWidth, static_cast<UINT>(size.cx + 16 + 7 + 8));
	CFlatMenu::ClassicDrawMode = 0;
	CFlatMenu::XpDrawMode = 0;
	EXPECT_EQ(Measure(menu, &undo).itemWidth, static_cast<UINT>(size.cx + 2 * 16 + 1));
	CFlatMenu::ClassicDrawMode = 1;
	CFlatMenu::XpDrawMode = 1;

	// Drawn: the label from the column plus 8, the accelerator ending one image width before the right edge,
	// nothing between them; an item without a tab has its label only.
	CCompatibleDC dc(nullptr);
	auto width = [&](const wchar_t* psz) {
		SIZE sizeText = {};
		::GetTextExtentPoint32W(dc, psz, lstrlenW(psz), &sizeText);
		return static_cast<int>(sizeText.cx);
	};
	const COLORREF crBack = GetFlatMenuColors(false).crBack;
	auto inkedColumns = [&](const OwnerMenuItem& item) {
		CDrawnItem drawn(menu, *pEdit, item, 0);
		std::vector<int> columns;
		for (int x = 16 + 7; x < CDrawnItem::kWidth; ++x)
		{
			for (int y = 0; y < CDrawnItem::kHeight; ++y)
			{
				if (drawn.At(x, y) != crBack)
				{
					columns.push_back(x);
					break;
				}
			}
		}
		return columns;
	};
	const int xText = 16 + 7 + 8, xRight = CDrawnItem::kWidth - 16;
	std::vector<int> columns = inkedColumns(undo);
	ASSERT_FALSE(columns.empty());
	EXPECT_GE(columns.front(), xText);
	EXPECT_LE(columns.front(), xText + 2);
	EXPECT_LT(columns.back(), xRight);
	EXPECT_GE(columns.back(), xRight - 3);
	for (int x : columns)
		EXPECT_TRUE(x < xText + width(L"Undo") || x >= xRight - width(L"Ctrl+Z")) << x;
	columns = inkedColumns(*pEdit->Items()[2]);
	ASSERT_FALSE(columns.empty());
	EXPECT_LT(columns.back(), xText + width(L"Find"));
}

TEST_F(FlatStyle, ToolbarImagesGoToTheSharedListWithTheirRaisedCopies)
{
	CFlatMenu menu;
	ASSERT_TRUE(menu.CreatePopupMenu());
	ASSERT_TRUE(menu.AppendItemWide(L"First", MF_STRING, ID_TOOL_FIRST, IDR_TOOLBAR_TEST));
	ASSERT_TRUE(menu.AppendItemWide(L"Second", MF_STRING, ID_TOOL_SECOND, IDR_TOOLBAR_TEST));
	// Again with an image: replaced in place. Without one: the command's first image.
	ASSERT_TRUE(menu.AppendItemWide(L"First again", MF_STRING, ID_TOOL_FIRST, IDR_TOOLBAR_TEST));
	ASSERT_TRUE(menu.AppendItemWide(L"First once more", MF_STRING, ID_TOOL_FIRST));
	ASSERT_TRUE(menu.AppendItemWide(L"Other", MF_STRING, 4444, -1));
	const auto& items = menu.Items();
	int nFirst = items[0]->m_nSharedImageIndex;
	ASSERT_GE(nFirst, 0);
	EXPECT_EQ(items[1]->m_nSharedImageIndex, nFirst + 3);
	EXPECT_EQ(items[2]->m_nSharedImageIndex, nFirst);
	EXPECT_EQ(items[3]->m_nSharedImageIndex, nFirst);
	EXPECT_EQ(items[4]->m_nSharedImageIndex, -1);

	// Centred in the column at (4, 5): the faded copy while idle, the image itself raised when selected.
	const COLORREF crBlue = RGB(0, 0, 160);
	CDrawnItem idle(menu, menu, *items[0], 0);
	EXPECT_EQ(idle.At(4 + 8, 5 + 7), BlendTowardWhite(crBlue, 0.3));
	CDrawnItem selected(menu, menu, *items[0], ODS_SELECTED);
	EXPECT_EQ(selected.At(4 + 8, 5 + 7), crBlue);
	CDrawnItem second(menu, menu, *items[1], ODS_CHECKED);
	EXPECT_EQ(second.At(4 + 8 - 1, 5 + 7 - 1), RGB(160, 0, 0));
	// A grayed image is embossed: no pixel keeps its colour.
	CDrawnItem grayed(menu, menu, *items[0], ODS_GRAYED);
	for (int y = 0; y < CDrawnItem::kHeight; ++y)
	{
		for (int x = 0; x < 16 + 7; ++x)
			EXPECT_NE(grayed.At(x, y), crBlue);
	}
}

// The window that shows the menu hands its owner-draw messages to the menu object.
class CMenuOwner : public CWnd
{
public:
	CFlatMenu m_menu;

	BEGIN_MSG_MAP(CMenuOwner)
		CHAIN_MSG_MAP_MEMBER(m_menu)
	END_MSG_MAP()
};

RECT ItemRect(HMENU hMenu, UINT nPos)
{
	RECT rc = {};
	::GetMenuItemRect(nullptr, hMenu, nPos, &rc);
	return rc;
}

TEST_F(FlatStyle, RealMenuShowsColumnSelectionBoxAndCheckMarkOnTheDisplay)
{
	HWND hWnd = ::CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 50, 50, nullptr, nullptr, nullptr, nullptr);
	CMenuOwner owner;
	ASSERT_TRUE(owner.SubclassWindow(hWnd));
	ASSERT_TRUE(owner.m_menu.LoadFromResource(IDR_MENU_BUTTON));
	CMenu* pPopup = owner.m_menu.GetSubMenu(0);
	ASSERT_NE(pPopup, nullptr);
	pPopup->CheckMenuItem(ID_MENU_HOME, MF_CHECKED);
	::SetForegroundWindow(hWnd);

	// While the menu runs its loop here, a second thread puts the pointer on "帮助" and takes the screenshot.
	linuxtools::CScreenShot shot;
	RECT rcIdle = {}, rcChecked = {}, rcSelected = {};
	bool bShown = false, bClosedByKey = false;
	std::thread worker([&] {
		for (int i = 0; i < 500 && !bShown; ++i)
		{
			HWND hMenuWnd = ::FindWindowA("#32768", nullptr);
			bShown = hMenuWnd && ::IsWindowVisible(hMenuWnd);
			::Sleep(10);
		}
		rcIdle = ItemRect(*pPopup, 0);
		rcChecked = ItemRect(*pPopup, 4);
		rcSelected = ItemRect(*pPopup, 5);
		linuxtools::XdoTool("mousemove " + std::to_string((rcSelected.left + rcSelected.right) / 2) + " "
			+ std::to_string((rcSelected.top + rcSelected.bottom) / 2) + " sleep 0.5");
		shot.TakeScreen(linuxtools::KeepPath("flat-menu.png"));
		linuxtools::TypeKeys(hWnd, "Escape");
		for (int i = 0; i < 500 && ::IsWindowVisible(::FindWindowA("#32768", nullptr)); ++i)
			::Sleep(10);
		// Should the key not reach the menu, the test fails but still ends.
		bClosedByKey = !::IsWindowVisible(::FindWindowA("#32768", nullptr));
		if (!bClosedByKey)
			::PostMessageA(hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
	});
	BOOL nCommand = pPopup->TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, 300, 200, &owner);
	worker.join();
	EXPECT_EQ(nCommand, 0);
	ASSERT_TRUE(bShown);
	EXPECT_TRUE(bClosedByKey);
	ASSERT_GT(shot.Width(), 0);

	const FlatMenuColors colors = GetFlatMenuColors(false);
	const COLORREF crHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
	const COLORREF crChecked = BlendTowardWhite(crHighlight, 0.85);
	// The image column of an idle item, the window colour right of it.
	EXPECT_EQ(shot.Pixel(rcIdle.left + 1, rcIdle.top + 1), colors.crColumn);
	EXPECT_EQ(shot.Pixel(rcIdle.left + 16 + 7 + 2, rcIdle.top + 1), colors.crBack);
	// The selection box under the pointer: framed in the highlight colour, filled with the selection colour.
	int yMiddle = (rcSelected.top + rcSelected.bottom) / 2;
	EXPECT_EQ(shot.Pixel(rcSelected.left, yMiddle), crHighlight);
	EXPECT_EQ(shot.Pixel(rcSelected.right - 1, yMiddle), crHighlight);
	EXPECT_EQ(shot.Pixel(rcSelected.right - 4, yMiddle), colors.crSelect);
	EXPECT_EQ(shot.Pixel(rcSelected.left + 2, rcSelected.top + 2), colors.crSelect);
	// The check mark of "官方网站" in its box.
	int xBox = rcChecked.left + (16 + 7 - 16) / 2;
	int yBox = rcChecked.top + (rcChecked.bottom - rcChecked.top - 16) / 2;
	EXPECT_EQ(shot.Pixel(xBox, yBox), crHighlight);
	EXPECT_EQ(shot.Pixel(xBox + 2, yBox + 2), crChecked);
	EXPECT_EQ(shot.Pixel(xBox + 5, yBox + 4 + 2), colors.crText);
	EXPECT_EQ(shot.Pixel(xBox + 5 + 2, yBox + 4 + 4 + 2), colors.crText);
	EXPECT_EQ(shot.Pixel(xBox + 5 + 6, yBox + 4), colors.crText);
	EXPECT_EQ(shot.Pixel(xBox + 5 + 6, yBox + 4 - 1), crChecked);
	::DestroyWindow(hWnd);
}
}
