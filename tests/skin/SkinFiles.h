// Skin folders the skin tests write for themselves: BMP files and description files, and the test
// skin whose every part has a colour of its own, so that screenshots tell the parts apart.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace skinfiles
{
// A 24-bit BMP of fnPixel(x, y).
void WriteBmp(const std::string& strPath, int nWidth, int nHeight, const std::function<COLORREF(int, int)>& fnPixel);
void WriteSolidBmp(const std::string& strPath, int nWidth, int nHeight, COLORREF cr);

const COLORREF kKey = RGB(255, 0, 255);
const COLORREF kTopActive = RGB(200, 40, 40);
const COLORREF kTopInactive = RGB(40, 40, 200);
const COLORREF kLeftActive = RGB(0, 160, 0);
const COLORREF kLeftInactive = RGB(160, 160, 0);
const COLORREF kRightActive = RGB(0, 160, 160);
const COLORREF kRightInactive = RGB(100, 0, 160);
const COLORREF kBottomActive = RGB(90, 90, 90);
const COLORREF kBottomInactive = RGB(220, 220, 220);
// Caption button pictures: normal, pressed, hover; the top-left pixel of each is the key colour.
const COLORREF kButtonStates[3] = {RGB(255, 255, 0), RGB(0, 255, 255), RGB(255, 128, 0)};
const COLORREF kPinnedNormal = RGB(0, 128, 255);

// Frame thicknesses and button places of the test skin (XCoord: from the window's right edge).
const int kCaption = 20;
const int kLeft = 5;
const int kRight = 6;
const int kBottom = 4;
const int kButtonWidth = 14;
const int kButtonHeight = 12;
const int kButtonTop = 4;
const int kCloseX = 20;
const int kMaxX = 36;
const int kMinX = 52;
const int kTopmostX = 68;
const int kMenuX = 84;
const int kTextShift = 30;

// Writes Main.ini, an Append.ini alike, and their images into the folder (created); the key colour rounds
// the caption's outer corner pixels.
void WriteTestSkin(const std::string& strFolder, bool bUsesTran);
}
