// Colour-key work on bitmaps, shared by the image button and the skinned frame.
//   MakeMask          one-bit mask of an image's key colour; the key pixels of the image become black
//   MakeGreyImage     a grey copy of an image, optionally keeping its key-coloured pixels
//   RegionFromImage   the window region of an image's pixels that are not the key colour
//   DrawMasked        an image through its mask (AND the mask, OR the image), or copied plainly
//   EnlargeNearest    an image enlarged to a display scale by nearest neighbour, cell by cell
#pragma once

#include "framework/Gdi.h"
#include "ui/DpiScale.h"

#include <vector>

// The key is the image's pixel at (x, y); fails when x or y is negative or the image cannot be read.
BOOL MakeMask(HBITMAP hImage, CBitmap& mask, int x, int y);
// The output is compatible with the desktop; with x or y negative no pixel is kept.
BOOL MakeGreyImage(HBITMAP hImage, CBitmap& output, int x, int y);
// Null when the image cannot be read.
HRGN RegionFromImage(HBITMAP hImage, COLORREF crKey);
void DrawMasked(HBITMAP hImage, HDC hDC, int x, int y, int cx, int cy, int xSrc, int ySrc, HBITMAP hMask);

// The pixels of a bitmap as 32-bit BGRX values, top row first; empty when it cannot be read.
bool ReadPixels(HBITMAP hBitmap, SIZE& size, std::vector<DWORD>& pixels);
// A bitmap compatible with the desktop holding such pixels; null on failure.
HBITMAP BitmapFromPixels(const std::vector<DWORD>& pixels, SIZE size);
// The size of an image of nCols x nRows equal cells at the scale: each cell scaled alone, so that the cells
// (state pictures, active and inactive halves) stay equal; empty when the image has fewer pixels than cells.
SIZE ScaledCellsSize(SIZE size, int nCols, int nRows, const CDpiScale& scale);
// The image enlarged so by nearest neighbour, never smoothed, so that a key colour stays exact; pixels
// beyond the last whole cell are left out. Null when unreadable or beyond 32767 pixels a side or 16 M in all.
HBITMAP EnlargeNearest(HBITMAP hImage, int nCols, int nRows, const CDpiScale& scale);

// A COLORREF as the BGRX value of a 32-bit device-independent pixel.
inline DWORD PixelOf(COLORREF cr)
{
	return (static_cast<DWORD>(GetRValue(cr)) << 16) | (static_cast<DWORD>(GetGValue(cr)) << 8) | GetBValue(cr);
}
