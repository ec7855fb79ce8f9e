// GDI scope objects: each pairs its acquiring call with the release in its destructor.
//   CPaintDC           BeginPaint / EndPaint
//   CCompatibleDC      CreateCompatibleDC / DeleteDC
//   CCompatibleBitmap  CreateCompatibleBitmap / DeleteObject
//   CSelectObject      SelectObject / re-select of the previous object
#pragma once

#include <windows.h>

class CPaintDC
{
public:
	explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
	CPaintDC(const CPaintDC&) = delete;
	CPaintDC& operator=(const CPaintDC&) = delete;
	~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }

	operator HDC() const { return m_hDC; }

private:
	HWND m_hWnd;
	HDC m_hDC;
	PAINTSTRUCT m_ps;
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

class CCompatibleBitmap
{
public:
	CCompatibleBitmap(HDC hDC, int cx, int cy) : m_hBitmap(::CreateCompatibleBitmap(hDC, cx, cy)) {}
	CCompatibleBitmap(const CCompatibleBitmap&) = delete;
	CCompatibleBitmap& operator=(const CCompatibleBitmap&) = delete;
	~CCompatibleBitmap() { if (m_hBitmap) ::DeleteObject(m_hBitmap); }

	operator HBITMAP() const { return m_hBitmap; }

private:
	HBITMAP m_hBitmap;
};

class CSelectObject
{
public:
	CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
	CSelectObject(const CSelectObject&) = delete;
	CSelectObject& operator=(const CSelectObject&) = delete;
	~CSelectObject() { if (m_hOld) ::SelectObject(m_hDC, m_hOld); }

private:
	HDC m_hDC;
	HGDIOBJ m_hOld;
};
