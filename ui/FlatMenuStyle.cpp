#include "ui/FlatMenu.h"

#include "framework/Handle.h"
#include "framework/WideText.h"
#include "framework/WinApp.h"
#include "ui/DpiScale.h"

#include <string>

namespace
{
const wchar_t kThemeKey[] = L"Software\\Microsoft\\Plus!\\Themes\\Current";
const wchar_t kClassicTheme[] = L"Windows Classic.theme";
const int kMaxThemeValue = 260;

int ReadOsStyleCode()
{
	OSVERSIONINFOW osvi = {};
	osvi.dwOSVersionInfoSize = sizeof(osvi);
	if (!::GetVersionExW(&osvi))
		return 1;
	return OsStyleCodeOf(osvi.dwPlatformId, osvi.dwMajorVersion, osvi.dwMinorVersion);
}

bool ReadClassicTheme()
{
	CRegKey key;
	if (::RegOpenKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
		return false;
	wchar_t szValue[kMaxThemeValue + 1] = {};
	DWORD cbValue = kMaxThemeValue * sizeof(wchar_t);
	DWORD dwType = 0;
	if (::RegQueryValueExW(key.Get(), nullptr, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue) != ERROR_SUCCESS
		|| (dwType != REG_SZ && dwType != REG_EXPAND_SZ))
		return false;
	return IsClassicThemeName(FromWide(szValue).c_str());
}
}

const int CFlatMenu::OsStyleCode = ReadOsStyleCode();
int CFlatMenu::XpDrawMode = 1;
int CFlatMenu::ClassicDrawMode = 0;
int CFlatMenu::RaisedBitmaps = 1;
int CFlatMenu::SelectGrayedItems = 0;

int OsStyleCodeOf(DWORD dwPlatformId, DWORD dwMajorVersion, DWORD dwMinorVersion)
{
	if (dwPlatformId != VER_PLATFORM_WIN32_NT)
	{
		if (dwMajorVersion < 4)
			return 0;
		if (dwMajorVersion == 4 && dwMinorVersion == 10)
			return 3;
		if (dwMajorVersion == 4 && dwMinorVersion == 90)
			return 4;
		return 2;
	}
	if (dwMajorVersion == 4)
		return 5;
	if (dwMajorVersion == 5 && dwMinorVersion == 0)
		return 6;
	if (dwMajorVersion == 5 && dwMinorVersion == 1)
		return 7;
	return 1;
}

bool IsClassicThemeName(const char* pszThemePath)
{
	// Compared as UTF-16: a trail byte of code page 936 is never taken for a letter of the name.
	std::wstring strPath = pszThemePath ? ToWide(pszThemePath) : std::wstring();
	size_t nSuffix = sizeof(kClassicTheme) / sizeof(kClassicTheme[0]) - 1;
	return strPath.size() >= nSuffix && ::lstrcmpiW(strPath.c_str() + strPath.size() - nSuffix, kClassicTheme) == 0;
}

bool CFlatMenu::ClassicThemeActive()
{
	static const bool s_bClassic = ReadClassicTheme();
	return s_bClassic;
}

MenuStyleChoice ChooseMenuStyle(int nOsStyleCode, bool bClassicTheme, int nXpDrawMode, int nClassicDrawMode)
{
	bool bXpLook = nOsStyleCode == 7 && !bClassicTheme;
	return MenuStyleChoice{bXpLook ? nXpDrawMode == 1 : nClassicDrawMode == 1, bXpLook};
}

MenuStyleChoice CFlatMenu::StyleInForce()
{
	return ChooseMenuStyle(OsStyleCode, ClassicThemeActive(), XpDrawMode, ClassicDrawMode);
}

int CFlatMenu::ItemPadding()
{
	return StyleInForce().bFlat && RaisedBitmaps ? 7 : 4;
}

COLORREF BlendTowardWhite(COLORREF cr, double dFactor)
{
	if (!(dFactor > 0 && dFactor <= 1))
		return cr;
	auto blend = [dFactor](BYTE c) { return static_cast<BYTE>(c + dFactor * (255 - c)); };
	return RGB(blend(GetRValue(cr)), blend(GetGValue(cr)), blend(GetBValue(cr)));
}

FlatMenuColors GetFlatMenuColors(bool bXpLook)
{
	COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
	COLORREF crHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
	return FlatMenuColors{::GetSysColor(COLOR_WINDOW), bXpLook ? crFace : BlendTowardWhite(crFace, 0.25),
		BlendTowardWhite(crHighlight, bXpLook ? 0.7 : 0.85), ::GetSysColor(COLOR_MENUTEXT), crHighlight};
}

UINT MenuDpi()
{
	return CDpiScale::GetWindowDpi(MenuMeasureWindow());
}

HFONT CreateMenuFont(UINT nDpi)
{
	NONCLIENTMETRICSW ncm;
	if (!CDpiScale::GetNonClientMetrics(ncm, nDpi ? nDpi : MenuDpi()))
		return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
	return ::CreateFontIndirectW(&ncm.lfMenuFont);
}

int MenuBarHeight(UINT nDpi)
{
	return CDpiScale::GetSystemMetric(SM_CYMENU, nDpi ? nDpi : MenuDpi());
}

HWND MenuMeasureWindow()
{
	CWnd* pMainWnd = AfxGetMainWnd();
	return pMainWnd && pMainWnd->GetSafeHwnd() ? pMainWnd->GetSafeHwnd() : ::GetDesktopWindow();
}
