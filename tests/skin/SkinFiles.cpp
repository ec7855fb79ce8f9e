#include "SkinFiles.h"

#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <cstdint>

namespace skinfiles
{
namespace
{
void Put32(std::string& str, uint32_t n)
{
	for (int i = 0; i < 4; ++i)
		str += static_cast<char>((n >> (8 * i)) & 0xFF);
}

void Put16(std::string& str, uint16_t n)
{
	str += static_cast<char>(n & 0xFF);
	str += static_cast<char>(n >> 8);
}

// Key pixels at the outer top corner of a border half: the corner itself and its two neighbours.
bool IsOuterCorner(int x, int y, int nHalf, bool bRightSide)
{
	int nX = x % nHalf;
	if (bRightSide)
		nX = nHalf - 1 - nX;
	return (nX == 0 && y <= 1) || (nX == 1 && y == 0);
}

void WriteButton(const std::string& strPath, COLORREF crNormal)
{
	WriteBmp(strPath, 3 * kButtonWidth, kButtonHeight, [&](int x, int y) {
		int nState = x / kButtonWidth;
		if (x % kButtonWidth == 0 && y == 0)
			return kKey;
		return nState == 0 ? crNormal : kButtonStates[nState];
	});
}
}

void WriteBmp(const std::string& strPath, int nWidth, int nHeight, const std::function<COLORREF(int, int)>& fnPixel)
{
	int nStride = (nWidth * 3 + 3) & ~3;
	std::string strPixels;
	for (int y = nHeight - 1; y >= 0; --y)
	{
		std::string strRow;
		for (int x = 0; x < nWidth; ++x)
		{
			COLORREF cr = fnPixel(x, y);
			strRow += static_cast<char>(GetBValue(cr));
			strRow += static_cast<char>(GetGValue(cr));
			strRow += static_cast<char>(GetRValue(cr));
		}
		strRow.resize(nStride, '\0');
		strPixels += strRow;
	}
	std::string strFile = "BM";
	Put32(strFile, static_cast<uint32_t>(54 + strPixels.size()));
	Put32(strFile, 0);
	Put32(strFile, 54);
	Put32(strFile, 40);
	Put32(strFile, static_cast<uint32_t>(nWidth));
	Put32(strFile, static_cast<uint32_t>(nHeight));
	Put16(strFile, 1);
	Put16(strFile, 24);
	Put32(strFile, 0);
	Put32(strFile, static_cast<uint32_t>(strPixels.size()));
	for (int i = 0; i < 4; ++i)
		Put32(strFile, i < 2 ? 2835 : 0);
	testfiles::WriteAll(strPath, strFile + strPixels);
}

void WriteSolidBmp(const std::string& strPath, int nWidth, int nHeight, COLORREF cr)
{
	WriteBmp(strPath, nWidth, nHeight, [cr](int, int) { return cr; });
}

void WriteTestSkin(const std::string& strFolder, bool bUsesTran)
{
	w936::CreateDirectoryA(strFolder.c_str(), nullptr);
	WriteBmp(strFolder + "top.bmp", 60, 2 * kCaption, [](int, int y) { return y < kCaption ? kTopActive : kTopInactive; });
	WriteBmp(strFolder + "left.bmp", 2 * kLeft, 40, [](int x, int y) {
		if (IsOuterCorner(x, y, kLeft, false))
			return kKey;
		return x < kLeft ? kLeftActive : kLeftInactive;
	});
	WriteBmp(strFolder + "right.bmp", 2 * kRight, 40, [](int x, int y) {
		if (IsOuterCorner(x, y, kRight, true))
			return kKey;
		return x < kRight ? kRightActive : kRightInactive;
	});
	WriteBmp(strFolder + "bottom.bmp", 40, 2 * kBottom, [](int, int y) { return y < kBottom ? kBottomActive : kBottomInactive; });
	WriteButton(strFolder + "button.bmp", kButtonStates[0]);
	WriteButton(strFolder + "pinned.bmp", kPinnedNormal);

	std::string strIni = "[Personality]\r\nTop=top.bmp\r\nLeft=left.bmp\r\nRight=right.bmp\r\nBottom=bottom.bmp\r\n"
		"TopTopHeight=10\r\nTopBotHeight=10\r\nLeftTopHeight=20\r\nLeftBotHeight=5\r\nRightTopHeight=20\r\n"
		"RightBotHeight=5\r\nBottomTopHeight=5\r\nBottomBotHeight=5\r\nButtonCount=8\r\nButtonImgCount=3\r\n"
		"TextShift=" + std::to_string(kTextShift) + "\r\nTextShiftVert=0\r\nUsesTran=" + (bUsesTran ? "1" : "0") + "\r\n";
	struct Button
	{
		const char* pszImage;
		int nAction;
		int nX;
	};
	const Button buttons[] = {{"button.bmp", 0, kCloseX}, {"button.bmp", 1, kMaxX}, {"button.bmp", 1, kMaxX},
		{"button.bmp", 2, kMinX}, {"missing.bmp", 3, 100}, {"button.bmp", 4, kTopmostX}, {"pinned.bmp", 4, kTopmostX},
		{"button.bmp", 5, kMenuX}};
	for (size_t i = 0; i < sizeof(buttons) / sizeof(buttons[0]); ++i)
		strIni += "[Button" + std::to_string(i) + "]\r\nButtonImage=" + buttons[i].pszImage + "\r\nAction="
			+ std::to_string(buttons[i].nAction) + "\r\nXCoord=" + std::to_string(buttons[i].nX) + "\r\nYCoord="
			+ std::to_string(kButtonTop) + "\r\n";
	strIni += "[Colours]\r\nTitleText=255 255 255\r\nInactiveTitleText=0 0 0\r\nTransColor=255 0 255\r\n";
	testfiles::WriteAll(strFolder + "Main.ini", strIni);
	testfiles::WriteAll(strFolder + "Append.ini", strIni);
}
}
