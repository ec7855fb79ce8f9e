// CDpiScale: one window's display scale. Every pixel figure of the program is a 96-DPI figure; Scale()
// turns it into the window's device pixels. The value is read at creation (Windows sends no DPI message
// then) and replaced from WM_DPICHANGED.
// GetDpiForWindow is looked up once at run time: Windows 7 and 8 lack it, and a static import of a
// missing function stops the program loading. Without it the window has the system DPI.
#pragma once

#include <windows.h>

#include <cstddef>

class CDpiScale
{
public:
	static constexpr UINT kBaseDpi = 96;
	// Beyond 4 x the images and fonts would be absurd; a bad message must not make them so.
	static constexpr UINT kMaxDpi = 4 * kBaseDpi;

	explicit CDpiScale(UINT nDpi = kBaseDpi) { SetDpi(nDpi); }

	UINT GetDpi() const { return m_nDpi; }
	void SetDpi(UINT nDpi) { m_nDpi = nDpi < kBaseDpi / 2 || nDpi > kMaxDpi ? kBaseDpi : nDpi; }
	BOOL IsBase() const { return m_nDpi == kBaseDpi; }
	// The scale in percent (100, 125, 150 ...).
	int GetPercent() const { return Scale(100); }
	int Scale(int n) const { return ::MulDiv(n, static_cast<int>(m_nDpi), kBaseDpi); }
	int Unscale(int n) const { return ::MulDiv(n, kBaseDpi, static_cast<int>(m_nDpi)); }
	RECT Scale(const RECT& rc) const { return RECT{Scale(rc.left), Scale(rc.top), Scale(rc.right), Scale(rc.bottom)}; }

	// The DPI the system draws at (LOGPIXELSX of the screen).
	static UINT GetSystemDpi()
	{
		HDC hDC = ::GetDC(nullptr);
		int nDpi = hDC ? ::GetDeviceCaps(hDC, LOGPIXELSX) : 0;
		if (hDC)
			::ReleaseDC(nullptr, hDC);
		return nDpi > 0 ? static_cast<UINT>(nDpi) : kBaseDpi;
	}

	// The window's DPI where the system knows per-window DPI, else the system DPI; hWnd may be null.
	static UINT GetWindowDpi(HWND hWnd)
	{
		using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
		static const auto pfnGetDpiForWindow = User32<GetDpiForWindowFn>("GetDpiForWindow");
		UINT nDpi = hWnd && pfnGetDpiForWindow ? pfnGetDpiForWindow(hWnd) : 0;
		return nDpi ? nDpi : GetSystemDpi();
	}

	static CDpiScale ForWindow(HWND hWnd) { return CDpiScale(GetWindowDpi(hWnd)); }

	// Keeps the dialog manager from re-laying out a dialog on a DPI change (Windows 10 1703 and later):
	// its owner lays it out itself. FALSE where the system has no such behaviour.
	static BOOL KeepDialogLayout(HWND hDlg)
	{
		// DDC_DISABLE_ALL, which older headers lack.
		const int kDisableAll = 1;
		using SetBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
		static const auto pfnSetBehavior = User32<SetBehaviorFn>("SetDialogDpiChangeBehavior");
		return pfnSetBehavior && pfnSetBehavior(hDlg, kDisableAll, kDisableAll);
	}

	// The non-client metrics (the record's older size, which every system version accepts) at nDpi: Windows
	// before 10 (1607) gives them only at the system DPI, whose fonts are then scaled.
	static BOOL GetNonClientMetrics(NONCLIENTMETRICSW& ncm, UINT nDpi)
	{
		using SpiForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
		static const auto pfnSpiForDpi = User32<SpiForDpiFn>("SystemParametersInfoForDpi");
		ncm = NONCLIENTMETRICSW{};
		ncm.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(ncm.lfMessageFont);
		if (pfnSpiForDpi && pfnSpiForDpi(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0, nDpi))
			return TRUE;
		if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
			return FALSE;
		const int nSystemDpi = static_cast<int>(GetSystemDpi());
		for (LOGFONTW* pFont : {&ncm.lfCaptionFont, &ncm.lfSmCaptionFont, &ncm.lfMenuFont, &ncm.lfStatusFont,
				&ncm.lfMessageFont})
			pFont->lfHeight = ::MulDiv(pFont->lfHeight, static_cast<int>(nDpi), nSystemDpi);
		return TRUE;
	}

	// A system metric at nDpi (the system DPI's, scaled, before Windows 10 1607).
	static int GetSystemMetric(int nIndex, UINT nDpi)
	{
		using MetricsForDpiFn = int(WINAPI*)(int, UINT);
		static const auto pfnMetricsForDpi = User32<MetricsForDpiFn>("GetSystemMetricsForDpi");
		if (pfnMetricsForDpi)
			return pfnMetricsForDpi(nIndex, nDpi);
		return ::MulDiv(::GetSystemMetrics(nIndex), static_cast<int>(nDpi), static_cast<int>(GetSystemDpi()));
	}

private:
	// A function of user32 that older systems lack, found at run time; null where it is missing.
	template <class Fn>
	static Fn User32(const char* pszName)
	{
		return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), pszName)));
	}

	UINT m_nDpi = kBaseDpi;
};
