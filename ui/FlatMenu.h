// CFlatMenu: a menu whose items draw themselves, flat (a light image column on the left, a tinted
// selection box, images from toolbar bitmaps) or in the classic look, whatever the system's menus look
// like. Each item is appended owner-drawn with its OwnerMenuItem record as item data.
//   FlatMenu.cpp        loading, appending, removing, freeing
//   FlatMenuStyle.cpp   the system version and theme, the style in force, colours
//   FlatMenuDraw.cpp    measuring and drawing items
//   FlatMenuImages.cpp  item images: toolbar resources and the process-wide shared image list
#pragma once

#include "framework/ImageList.h"
#include "framework/Menu.h"

#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

struct OwnerMenuItem
{
	// First, where screen readers look for the text of an owner-drawn item; points into m_strText.
	MSAAMENUINFO m_accessible = {};
	// With an optional tab followed by the accelerator text; set through SetText.
	std::wstring m_strText;
	void SetText(std::wstring strText)
	{
		m_strText = std::move(strText);
		m_accessible.dwMSAASignature = static_cast<DWORD>(MSAA_MENU_SIG);
		m_accessible.cchWText = static_cast<DWORD>(m_strText.size());
		m_accessible.pszWText = &m_strText[0];
	}
	int m_nOwnImageIndex = -1;
	// Position in the shared image list; -1 for none.
	int m_nSharedImageIndex = -1;
	// -1: the item has no image of its own.
	int m_nOwnImageMarker = -1;
	UINT m_nMenuFlags = 0;
	// The command, or the sub-menu handle of a pop-up item.
	UINT_PTR m_nCommand = 0;
	CImageList m_ownImages;
};

// How items are drawn: flat or classic, and whether with the colours of the Windows XP look.
struct MenuStyleChoice
{
	bool bFlat;
	bool bXpLook;
};

struct FlatMenuColors
{
	COLORREF crBack;
	COLORREF crColumn;
	COLORREF crSelect;
	COLORREF crText;
	COLORREF crFrame;
};

class CFlatMenu : public CMenu
{
public:
	CFlatMenu();
	~CFlatMenu() override;

// Process-wide switches (FlatMenuStyle.cpp)
	// The system's family and version, read at program start (see OsStyleCodeOf).
	static const int OsStyleCode;
	// The flat style on Windows XP with a theme other than the classic one.
	static int XpDrawMode;
	// The flat style everywhere else.
	static int ClassicDrawMode;
	// Each item image gets a faded and a shadow copy for the raised look of selected images.
	static int RaisedBitmaps;
	// 0: a grayed item is never drawn as selected.
	static int SelectGrayedItems;
	// Whether the current user's theme is "Windows Classic"; read once.
	static bool ClassicThemeActive();
	static MenuStyleChoice StyleInForce();

// Operations
	// Frees what the menu held and fills it from a menu resource; FALSE when there is none or it is malformed.
	virtual BOOL LoadFromResource(UINT nID) { return LoadFromResource(MAKEINTRESOURCEW(nID)); }
	// A name in code page 936.
	virtual BOOL LoadFromResource(const char* pszName);
	virtual BOOL LoadFromResource(const wchar_t* pszName);
	virtual void ReleaseMenu();

	// Appends one owner-drawn item (command 0: a separator). nImage 0 or more: the image of the command in
	// toolbar resource nImage; below 0: the command's image in the shared list, if it has one.
	BOOL AppendItemWide(const wchar_t* pszText, UINT nFlags, UINT_PTR nCommand, int nImage = -1);
	// The text in code page 936.
	BOOL AppendItem(UINT nFlags, UINT_PTR nCommand, const char* pszText, int nImage = -1);
	// By position (MF_BYPOSITION) or by command (searched in the sub-menus too); a pop-up goes with its sub-menu.
	BOOL RemoveItem(UINT nPosOrCommand, UINT nFlags);
	// The menu holding the command (this one or a sub-menu, depth first) and its position; null when none.
	CFlatMenu* FindMenuOfCommand(UINT nCommand, int& nPos);
	// Images for checked items without an image of their own; the menu takes the list over.
	void SetCheckImages(HIMAGELIST hImages, int nCheckIndex, int nSelectedCheckIndex);

// Attributes
	const std::vector<std::unique_ptr<OwnerMenuItem>>& Items() const { return m_items; }
	int ImageWidth() const { return m_nImageWidth; }
	int ImageHeight() const { return m_nImageHeight; }
	// 7 with the flat style and raised images, else 4.
	static int ItemPadding();

// Overridables
	void DrawItem(LPDRAWITEMSTRUCT pDrawItem) override;
	void MeasureItem(LPMEASUREITEMSTRUCT pMeasureItem) override;

private:
	struct SubMenu
	{
		HMENU hMenu;
		// Null for a sub-menu the caller made.
		std::unique_ptr<CFlatMenu> pMenu;
	};
	// Where an item's image is drawn from.
	struct ItemImage
	{
		HIMAGELIST hList = nullptr;
		int nIndex = -1;
		// The faded copy follows at nIndex + 1, the shadow copy at nIndex + 2.
		bool bRaised = false;
	};

	// Frees the records and the sub-menus' objects; the system menu is destroyed (with its sub-menus)
	// only when bDestroy is set, else just let go.
	void Release(bool bDestroy);
	BOOL RemoveAt(int nPos);
	// Pads each item's label so that the accelerator texts (after a tab) line up.
	void AlignAccelerators();
	void MakePopupHeadersSystemDrawn();
	const CFlatMenu* FindItemOwner(const OwnerMenuItem* pItem) const;

	void SetItemImage(OwnerMenuItem& item, int nToolbarID);
	ItemImage FindItemImage(const OwnerMenuItem& item) const;
	// The first image of the command in the shared list; -1 when it has none.
	static int FindSharedImage(UINT_PTR nCommand);
	void DrawFlatItem(HDC hDC, const RECT& rcItem, const OwnerMenuItem& item, UINT nState, bool bRadio) const;
	void DrawClassicItem(HDC hDC, const RECT& rcItem, const OwnerMenuItem& item, UINT nState, bool bRadio) const;
	void DrawItemText(HDC hDC, const RECT& rcItem, const std::wstring& strText, int xText, COLORREF crText) const;
	void DrawDisabledImage(HDC hDC, const ItemImage& image, int x, int y) const;

	std::vector<std::unique_ptr<OwnerMenuItem>> m_items;
	std::vector<SubMenu> m_subMenus;
	int m_nImageWidth = 16;
	int m_nImageHeight = 15;
	COLORREF m_crMask = RGB(192, 192, 192);
	int m_bUseMaskColor = 0;
	// 0: disabled images by the highlight-and-shadow method; 1: through a one-bit device-independent bitmap.
	int m_nDisabledMethod = 0;
	CImageList m_checkImages;
	// The check image list is the parent menu's: sub-menus share it.
	int m_bCheckListShared = 0;
	int m_nSelectedCheckIndex = -1;
	int m_nCheckIndex = -1;
	int m_bImagesAreIcons = 0;
	// No caller sets it: each append would turn pop-up items into system-drawn text items.
	int m_bSystemPopupHeaders = 0;
};

// Helpers of the menu code, plain functions for their tests (FlatMenuStyle.cpp).
// 0 Win32s, 2 Windows 95, 3 Windows 98, 4 Windows Me, 5 NT 4, 6 Windows 2000, 7 Windows XP, 1 every other NT.
int OsStyleCodeOf(DWORD dwPlatformId, DWORD dwMajorVersion, DWORD dwMinorVersion);
// A theme file name ending in "Windows Classic.theme", in any letter case.
bool IsClassicThemeName(const char* pszThemePath);
MenuStyleChoice ChooseMenuStyle(int nOsStyleCode, bool bClassicTheme, int nXpDrawMode, int nClassicDrawMode);
FlatMenuColors GetFlatMenuColors(bool bXpLook);
// Each channel c becomes c + factor x (255 - c) for a factor above 0 and at most 1; else unchanged.
COLORREF BlendTowardWhite(COLORREF cr, double dFactor);
// The menu font of the system's non-client metrics at nDpi (0: the DPI of the window menus are measured in,
// so that a menu of a window on a monitor of another scale is drawn at that scale).
HFONT CreateMenuFont(UINT nDpi = 0);
// The height of a menu bar's line at nDpi (0: as above).
int MenuBarHeight(UINT nDpi = 0);
// The device context menus are measured in: the main window's, or the desktop's.
HWND MenuMeasureWindow();
