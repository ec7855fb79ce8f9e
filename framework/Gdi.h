// GDI owners and scope objects.
//   CGdiObject<T>      owns one GDI object (CBitmap, CRgn, CBrush, CFont, CPen) and deletes it
//   CPaintDC           BeginPaint / EndPaint
//   CClientDC          GetDC / ReleaseDC
//   CWindowDC          GetWindowDC / ReleaseDC
//   CCompatibleDC      CreateCompatibleDC / DeleteDC
//   CMemoryDC          an off-screen copy of a rectangle of a DC, copied back in its destructor
//   CSelectObject      SelectObject / re-select of the previous object
//   FillOffScreen      a fill through a CMemoryDC
#pragma once

#include <windows.h>

#include <utility>

template <typename T>
class CGdiObject
{
public:
	CGdiObject() = default;
	// Takes over a handle the caller created.
	explicit CGdiObject(T h) : m_h(h) {}
	CGdiObject(const CGdiObject&) = delete;
	CGdiObject& operator=(const CGdiObject&) = delete;
	CGdiObject(CGdiObject&& other) noexcept : m_h(std::exchange(other.m_h, nullptr)) {}
	CGdiObject& operator=(CGdiObject&& other) noexcept { Attach(other.Detach()); return *this; }
	~CGdiObject() { DeleteObject(); }

	operator T() const { return m_h; }
	T GetSafeHandle() const { return m_h; }
	bool IsNull() const { return m_h == nullptr; }

	void Attach(T h) { DeleteObject(); m_h = h; }
	// Hands the object on (to the system, say: a window region belongs to the window once set).
	T Detach() { return std::exchange(m_h, nullptr); }
	void DeleteObject()
	{
		if (m_h)
			::DeleteObject(std::exchange(m_h, nullptr));
	}

private:
	T m_h = nullptr;
};

using CBitmap = CGdiObject<HBITMAP>;
using CRgn = CGdiObject<HRGN>;
using CBrush = CGdiObject<HBRUSH>;
using CFont = CGdiObject<HFONT>;
using CPen = CGdiObject<HPEN>;

// The size of a bitmap in pixels; 0 x 0 for none.
inline SIZE GetBitmapSize(HBITMAP hBitmap)
{
	BITMAP bm = {};
	if (!hBitmap || !::GetObjectW(hBitmap, sizeof(bm), &bm))
		return SIZE{0, 0};
	return SIZE{bm.bmWidth, bm.bmHeight};
}

class CPaintDC
{
public:
	explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
	CPaintDC(const CPaintDC&) = delete;
	CPaintDC& operator=(const CPaintDC&) = delete;
	~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

	operator HDC() const { return m_hDC; }
	const PAINTSTRUCT& PaintStruct() const { return m_ps; }

private:
	HWND m_hWnd;
	HDC m_hDC;
	PAINTSTRUCT m_ps;
};

class CClientDC
{
public:
	explicit CClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
	CClientDC(const CClientDC&) = delete;
	CClientDC& operator=(const CClientDC&) = delete;
	~CClientDC() { if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC); }

	operator HDC() const { return m_hDC; }

private:
	HWND m_hWnd;
	HDC m_hDC;
};

class CWindowDC
{
public:
	explicit CWindowDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetWindowDC(hWnd)) {}
	CWindowDC(const CWindowDC&) = delete;
	CWindowDC& operator=(const CWindowDC&) = delete;
	~CWindowDC() { if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC); }

	operator HDC() const { return m_hDC; }

private:
	HWND m_hWnd;
	HDC m_hDC;
};

class CCompatibleDC
{
public:
	explicit CCompatibleDC(HDC hDC) : m_hDC(::CreateCompatibleDC(hDC)) {}
	CCompatibleDC(const CCompatibleDC&) = delete;
	CCompatibleDC& operator=(const CCompatibleDC&) = delete;
	~CCompatibleDC() { if (m_hDC) ::DeleteDC(m_hDC); }

	operator HDC() const { return m_hDC; }

private:
	HDC m_hDC;
};

class CSelectObject
{
public:
	CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
	CSelectObject(const CSelectObject&) = delete;
	CSelectObject& operator=(const CSelectObject&) = delete;
	~CSelectObject() { if (m_hOld && m_hOld != HGDI_ERROR) ::SelectObject(m_hDC, m_hOld); }

private:
	HDC m_hDC;
	HGDIOBJ m_hOld;
};

// Draws into an off-screen bitmap of the rectangle rc of hDC; the destructor copies it back in one piece.
class CMemoryDC
{
public:
	CMemoryDC(HDC hDC, const RECT& rc)
		: m_hDCTarget(hDC), m_rc(rc), m_dc(hDC)
		, m_bitmap(::CreateCompatibleBitmap(hDC, rc.right - rc.left, rc.bottom - rc.top))
		, m_hOld(::SelectObject(m_dc, m_bitmap))
	{
		::SetViewportOrgEx(m_dc, -rc.left, -rc.top, nullptr);
	}
	CMemoryDC(const CMemoryDC&) = delete;
	CMemoryDC& operator=(const CMemoryDC&) = delete;
	~CMemoryDC()
	{
		::BitBlt(m_hDCTarget, m_rc.left, m_rc.top, m_rc.right - m_rc.left, m_rc.bottom - m_rc.top, m_dc,
			m_rc.left, m_rc.top, SRCCOPY);
		::SelectObject(m_dc, m_hOld);
	}

	operator HDC() const { return m_dc; }

private:
	HDC m_hDCTarget;
	RECT m_rc;
	CCompatibleDC m_dc;
	CBitmap m_bitmap;
	HGDIOBJ m_hOld;
};

// Fills the rectangle through an off-screen bitmap copied back in one piece, so that resizing does not flicker.
inline void FillOffScreen(HDC hDC, const RECT& rc, HBRUSH hBrush)
{
	CMemoryDC dcMemory(hDC, rc);
	::FillRect(dcMemory, &rc, hBrush);
}
