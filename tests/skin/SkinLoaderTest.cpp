// The skin description loader on files the tests write (well-formed and broken), the colour-key
// region in every pixel format, and the frame on a window of this process.
#include "SkinFiles.h"

#include "framework/PrivateProfile.h"
#include "framework/Wnd.h"
#include "skin/BitmapFile.h"
#include "skin/SkinFrame.h"
#include "support/TestFiles.h"
#include "support/Rects.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{
using skinfiles::WriteSolidBmp;

// Opens the frame's fields to the tests.
class CSkinProbe : public CSkinFrame
{
public:
	using CSkinFrame::HitTest;
	using CSkinFrame::m_bActive;
	using CSkinFrame::m_bLoaded;
	using CSkinFrame::m_bUsesTran;
	using CSkinFrame::m_bmpButtons;
	using CSkinFrame::m_bmpDialog;
	using CSkinFrame::m_bmpLeft;
	using CSkinFrame::m_bmpTop;
	using CSkinFrame::m_crInactiveTitle;
	using CSkinFrame::m_crTitle;
	using CSkinFrame::m_crTrans;
	using CSkinFrame::m_nBottomCapLeft;
	using CSkinFrame::m_nBottomCapRightStart;
	using CSkinFrame::m_nBottomHeight;
	using CSkinFrame::m_nCaptionHeight;
	using CSkinFrame::m_nLeftCapBottomStart;
	using CSkinFrame::m_nLeftCapTop;
	using CSkinFrame::m_nLeftWidth;
	using CSkinFrame::m_nRightCapBottomStart;
	using CSkinFrame::m_nRightCapTop;
	using CSkinFrame::m_nRightWidth;
	using CSkinFrame::m_nTextShift;
	using CSkinFrame::m_nTopCapLeft;
	using CSkinFrame::m_nTopCapRightStart;
	using CSkinFrame::m_rcButtons;
};

class SkinLoaderTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite() { ::CoInitialize(nullptr); }
	static void TearDownTestSuite() { ::CoUninitialize(); }

	void SetUp() override
	{
		m_strFolder = testfiles::ProgramFolder() + "skintest\\";
		testfiles::Remove(m_strFolder);
		w936::CreateDirectoryA(m_strFolder.c_str(), nullptr);
		WriteSolidBmp(m_strFolder + "top.bmp", 40, 20, RGB(10, 20, 30));
		WriteSolidBmp(m_strFolder + "left.bmp", 6, 30, RGB(10, 20, 30));
		WriteSolidBmp(m_strFolder + "right.bmp", 8, 30, RGB(10, 20, 30));
		WriteSolidBmp(m_strFolder + "bottom.bmp", 30, 6, RGB(10, 20, 30));
		WriteSolidBmp(m_strFolder + "btn.bmp", 30, 8, RGB(1, 2, 3));
		WriteSolidBmp(m_strFolder + "btn2.bmp", 60, 9, RGB(4, 5, 6));
	}

	void TearDown() override { testfiles::Remove(m_strFolder); }

	// Writes a description with the four edge images and the extra lines; its path.
	std::string Describe(const std::string& strPersonality, const std::string& strRest = std::string(),
		const char* pszName = "Main.ini")
	{
		std::string strPath = m_strFolder + pszName;
		testfiles::WriteAll(strPath, "[Personality]\r\nTop=skinparts\\top.bmp\r\nLeft=C:/elsewhere/left.bmp\r\n"
			"Right=right.bmp\r\nBottom=bottom.bmp\r\n" + strPersonality + "\r\n" + strRest);
		return strPath;
	}

	static std::string Button(int n, const char* pszImage, int nAction, int x = 0, int y = 0)
	{
		return "[Button" + std::to_string(n) + "]\r\nButtonImage=" + pszImage + "\r\nAction=" + std::to_string(nAction)
			+ "\r\nXCoord=" + std::to_string(x) + "\r\nYCoord=" + std::to_string(y) + "\r\n";
	}

	std::string m_strFolder;
};

TEST_F(SkinLoaderTest, FourImagesAloneLoadWithEveryDefault)
{
	CSkinProbe skin;
	// Folders written in the values are ignored: the images come from the description's folder.
	ASSERT_TRUE(skin.LoadSkinFile(Describe("").c_str()));
	EXPECT_TRUE(skin.m_bLoaded);
	EXPECT_EQ(skin.m_nCaptionHeight, 10);
	EXPECT_EQ(skin.m_nLeftWidth, 3);
	EXPECT_EQ(skin.m_nRightWidth, 4);
	EXPECT_EQ(skin.m_nBottomHeight, 3);
	// No caps: every edge is one tile, the whole image.
	EXPECT_EQ(skin.m_nTopCapLeft, 0);
	EXPECT_EQ(skin.m_nTopCapRightStart, 40);
	EXPECT_EQ(skin.m_nLeftCapBottomStart, 30);
	EXPECT_EQ(skin.m_nBottomCapRightStart, 30);
	for (const CBitmap& bmp : skin.m_bmpButtons)
		EXPECT_TRUE(bmp.IsNull());
	EXPECT_TRUE(skin.m_bmpDialog.IsNull());
	EXPECT_FALSE(skin.m_bUsesTran);
	EXPECT_EQ(skin.m_crTitle, ::GetSysColor(COLOR_CAPTIONTEXT));
	EXPECT_EQ(skin.m_crInactiveTitle, ::GetSysColor(COLOR_CAPTIONTEXT));
	EXPECT_EQ(skin.m_crTrans, RGB(255, 0, 255));
	EXPECT_EQ(skin.GetBarColor(), 0xCFCFCFu);
	EXPECT_EQ(skin.GetButtonHilightColor(), ::GetSysColor(COLOR_BTNFACE));
	EXPECT_EQ(GetBitmapSize(skin.m_bmpTop).cx, 40);
}

TEST_F(SkinLoaderTest, KeysFillTheirSlotsInOrder)
{
	std::string strButtons = Button(0, "btn.bmp", 1, 50, 4) + Button(1, "btn2.bmp", 1, 80, 5)
		+ Button(2, "btn.bmp", 1, 90, 6) + Button(3, "missing.bmp", 3) + Button(4, "missing.bmp", 9)
		+ Button(5, "btn.bmp", 4, 20, 1) + Button(6, "btn2.bmp", 0, 30, 2) + Button(7, "btn.bmp", 2, 40, 3)
		+ Button(8, "btn.bmp", 5, 60, 7) + Button(9, "missing.bmp", 0);
	std::string strPath = Describe("TopTopHeight=5\r\nTopBotHeight=7\r\nLeftTopHeight=4\r\nLeftBotHeight=6\r\n"
		"RightTopHeight=3\r\nRightBotHeight=2\r\nBottomTopHeight=8\r\nBottomBotHeight=9\r\nButtonCount=9\r\n"
		"TextShift=33\r\nUsesTran=1\r\nDialogBmp=absent.bmp",
		strButtons + "[Colours]\r\nTitleText=1 2 3\r\nInactiveTitleText=4 5 6\r\nTransColor=0 255 0\r\nBarColor=7 8 9\r\n");
	CSkinProbe skin;
	ASSERT_TRUE(skin.LoadSkinFile(strPath.c_str()));
	EXPECT_EQ(skin.m_nTopCapLeft, 5);
	EXPECT_EQ(skin.m_nTopCapRightStart, 33);
	EXPECT_EQ(skin.m_nLeftCapTop, 4);
	EXPECT_EQ(skin.m_nLeftCapBottomStart, 24);
	EXPECT_EQ(skin.m_nRightCapTop, 3);
	EXPECT_EQ(skin.m_nRightCapBottomStart, 28);
	EXPECT_EQ(skin.m_nBottomCapLeft, 8);
	EXPECT_EQ(skin.m_nBottomCapRightStart, 21);
	// First Action 1 is maximise, the second restore, the third replaces the restore image and place.
	EXPECT_EQ(RectText(skin.m_rcButtons[SKIN_SLOT_MAXIMIZE]), "40,4,50,12");
	EXPECT_EQ(RectText(skin.m_rcButtons[SKIN_SLOT_RESTORE]), "80,6,90,14");
	EXPECT_EQ(GetBitmapSize(skin.m_bmpButtons[SKIN_SLOT_RESTORE]).cx, 30);
	EXPECT_EQ(RectText(skin.m_rcButtons[SKIN_SLOT_TOPMOST]), "10,1,20,9");
	EXPECT_TRUE(skin.m_bmpButtons[SKIN_SLOT_PINNED].IsNull());
	EXPECT_EQ(RectText(skin.m_rcButtons[SKIN_SLOT_CLOSE]), "10,2,30,11");
	EXPECT_EQ(RectText(skin.m_rcButtons[SKIN_SLOT_MINIMIZE]), "30,3,40,11");
	EXPECT_EQ(RectText(skin.m_rcButtons[SKIN_SLOT_MENU]), "50,7,60,15");
	// Button9 lies beyond ButtonCount: its missing image is never asked for.
	EXPECT_EQ(skin.m_nTextShift, 33);
	EXPECT_EQ(skin.m_crTitle, RGB(1, 2, 3));
	EXPECT_EQ(skin.m_crInactiveTitle, RGB(4, 5, 6));
	EXPECT_EQ(skin.m_crTrans, RGB(0, 255, 0));
	EXPECT_EQ(skin.GetBarColor(), RGB(7, 8, 9));
	EXPECT_EQ(skin.GetMenuColor(), 0xCFCFCFu);

	// Without UsesTran the key colour is not read at all.
	CSkinProbe plain;
	ASSERT_TRUE(plain.LoadSkinFile(Describe("", "[Colours]\r\nTransColor=0 255 0\r\n").c_str()));
	EXPECT_EQ(plain.m_crTrans, RGB(255, 0, 255));
}

TEST_F(SkinLoaderTest, ReloadReleasesEveryOldImage)
{
	CSkinProbe skin;
	ASSERT_TRUE(skin.LoadSkinFile(Describe("ButtonCount=2", Button(0, "btn.bmp", 1) + Button(1, "btn.bmp", 0)).c_str()));
	std::vector<HBITMAP> old = {skin.m_bmpTop, skin.m_bmpLeft, skin.m_bmpButtons[SKIN_SLOT_MAXIMIZE],
		skin.m_bmpButtons[SKIN_SLOT_CLOSE]};
	ASSERT_TRUE(skin.LoadSkinFile(Describe("", "", "Other.ini").c_str()));
	for (HBITMAP h : old)
		EXPECT_EQ(::GetObjectType(h), 0u);
	EXPECT_TRUE(skin.m_bmpButtons[SKIN_SLOT_MAXIMIZE].IsNull());

	// A load that failed after its first maximise image leaves nothing that pushes the next skin's
	// maximise image into the restore slot.
	EXPECT_FALSE(skin.LoadSkinFile(Describe("ButtonCount=2", Button(0, "btn.bmp", 1) + Button(1, "", 0), "Bad.ini").c_str()));
	EXPECT_FALSE(skin.m_bLoaded);
	ASSERT_TRUE(skin.LoadSkinFile(Describe("ButtonCount=1", Button(0, "btn.bmp", 1, 70)).c_str()));
	EXPECT_FALSE(skin.m_bmpButtons[SKIN_SLOT_MAXIMIZE].IsNull());
	EXPECT_TRUE(skin.m_bmpButtons[SKIN_SLOT_RESTORE].IsNull());
}

TEST_F(SkinLoaderTest, BrokenImagesFailTheLoad)
{
	testfiles::WriteAll(m_strFolder + "empty.bmp", "");
	testfiles::WriteAll(m_strFolder + "text.bmp", "this is not a picture at all");
	std::string strTop = testfiles::ReadAll(m_strFolder + "top.bmp");
	testfiles::WriteAll(m_strFolder + "truncated.bmp", strTop.substr(0, 60));
	// A header that claims a picture far larger than its data.
	std::string strHuge = strTop.substr(0, 54);
	strHuge.replace(18, 8, std::string("\xFF\xFF\x00\x00\xFF\xFF\x00\x00", 8));
	testfiles::WriteAll(m_strFolder + "huge.bmp", strHuge);
	for (const char* pszImage : {"empty.bmp", "text.bmp", "truncated.bmp", "huge.bmp", "absent.bmp", "", "skinparts\\"})
	{
		CSkinProbe skin;
		std::string strPath = m_strFolder + "Broken.ini";
		testfiles::WriteAll(strPath, std::string("[Personality]\r\nTop=top.bmp\r\nLeft=left.bmp\r\nRight=right.bmp\r\n"
			"Bottom=") + pszImage + "\r\n");
		EXPECT_FALSE(skin.LoadSkinFile(strPath.c_str())) << pszImage;
		EXPECT_FALSE(skin.m_bLoaded) << pszImage;
		// The same file as a caption button, with every edge present.
		EXPECT_FALSE(skin.LoadSkinFile(Describe("ButtonCount=1", Button(0, pszImage, 5)).c_str())) << pszImage;
	}
	// Dimensions whose pixel total does not fit 64 bits are refused as well.
	auto truncated = [](const std::string& strFile) {
		return IsTruncatedBitmapFile(reinterpret_cast<const uint8_t*>(strFile.data()), strFile.size());
	};
	std::string strAbsurd = strTop.substr(0, 54);
	strAbsurd.replace(18, 8, std::string("\xFF\xFF\xFF\x7F\xFF\xFF\xFF\x7F", 8));
	strAbsurd.replace(28, 2, std::string("\x20\x00", 2));
	EXPECT_TRUE(truncated(strAbsurd));
	EXPECT_TRUE(truncated(strTop.substr(0, 60)));
	EXPECT_FALSE(truncated(strTop));

	CSkinProbe skin;
	EXPECT_FALSE(skin.LoadSkinFile((m_strFolder + "NoSuchFile.ini").c_str()));
	EXPECT_FALSE(skin.LoadSkinFile(nullptr));
	// A slot that holds an image is not loaded over.
	CBitmap bmp;
	ASSERT_TRUE(CSkinFrame::LoadPictureFile(bmp, (m_strFolder + "btn.bmp").c_str(), CLR_INVALID));
	EXPECT_FALSE(CSkinFrame::LoadPictureFile(bmp, (m_strFolder + "btn2.bmp").c_str(), 0));
	EXPECT_EQ(GetBitmapSize(bmp).cx, 30);
}

TEST_F(SkinLoaderTest, OutOfRangeValuesTakeSoundOnes)
{
	WriteSolidBmp(m_strFolder + "dot.bmp", 1, 1, RGB(9, 9, 9));
	std::string strValue(1000, 'x');
	std::string strBytes;
	for (int i = 0; i < 1000; ++i)
		strBytes += static_cast<char>(i % 2 ? 0x81 + i % 100 : 0x20 + i % 90);
	std::string strPath = Describe("ButtonImgCount=0\r\nTopTopHeight=500\r\nTopBotHeight=900\r\nLeftTopHeight=-40\r\n"
		"LeftBotHeight=100000\r\nButtonCount=3\r\nTextShift=2147483647",
		Button(0, "btn.bmp", 0, 2147483647, -2147483647) + Button(1, (strValue + ".bmp").c_str(), 3)
			+ Button(2, "dot.bmp", 2) + "[Colours]\r\nTitleText=" + strBytes + "\r\nInactiveTitleText=" + strValue
			+ "\r\nBarColor=255,0,255\r\nMenuColor=1  2 3\r\nButtonFace=256 -1 99999999999\r\nButtonText= \r\n");
	CSkinProbe skin;
	ASSERT_TRUE(skin.LoadSkinFile(strPath.c_str()));
	// ButtonImgCount 0: the whole image is the one picture of every state.
	RECT rcClose = skin.m_rcButtons[SKIN_SLOT_CLOSE];
	EXPECT_EQ(rcClose.right - rcClose.left, 30);
	EXPECT_EQ(rcClose.bottom - rcClose.top, 8);
	// Caps are cut to their image and the middle tile keeps one pixel.
	EXPECT_EQ(skin.m_nTopCapLeft, 39);
	EXPECT_EQ(skin.m_nTopCapRightStart, 40);
	EXPECT_EQ(skin.m_nLeftCapTop, 0);
	EXPECT_EQ(skin.m_nLeftCapBottomStart, 1);
	EXPECT_EQ(skin.m_nTextShift, 32767);
	EXPECT_EQ(skin.GetBarColor(), RGB(255, 0, 0));
	// Two blanks make an empty token, which reads as 0.
	EXPECT_EQ(skin.GetMenuColor(), RGB(1, 0, 2));
	EXPECT_EQ(skin.GetButtonFaceColor(), RGB(0, 255, 255));
	EXPECT_EQ(skin.GetButtonTextColor(), ::GetSysColor(COLOR_BTNTEXT));
	EXPECT_EQ(skin.m_crInactiveTitle, RGB(0, 0, 0));

	// Images of one pixel: no frame at all, and nothing divides by zero.
	std::string strDots = m_strFolder + "Dots.ini";
	testfiles::WriteAll(strDots, "[Personality]\r\nTop=dot.bmp\r\nLeft=dot.bmp\r\nRight=dot.bmp\r\nBottom=dot.bmp\r\n"
		"ButtonImgCount=1000\r\nButtonCount=1\r\n[Button0]\r\nButtonImage=dot.bmp\r\nAction=0\r\n");
	CSkinProbe dots;
	ASSERT_TRUE(dots.LoadSkinFile(strDots.c_str()));
	EXPECT_EQ(dots.m_nCaptionHeight, 0);
	EXPECT_EQ(dots.m_nTopCapRightStart, 1);
	EXPECT_EQ(dots.m_rcButtons[SKIN_SLOT_CLOSE].right - dots.m_rcButtons[SKIN_SLOT_CLOSE].left, 0);
}

TEST_F(SkinLoaderTest, LargeDescriptionsAreReadWithinBounds)
{
	// A count near INT_MAX over a thousand sections that do nothing; the unreadable close image of the
	// first section past the bound is never asked for, the close image just before it is.
	std::string strButtons;
	for (int i = 0; i < 1000; ++i)
		strButtons += Button(i, i == 32 ? "missing.bmp" : "btn.bmp", i == 31 || i == 32 ? 0 : 3);
	std::string strPath = Describe("ButtonCount=2147483647", strButtons);
	CSkinProbe skin;
	DWORD dwStart = ::GetTickCount();
	ASSERT_TRUE(skin.LoadSkinFile(strPath.c_str()));
	std::printf("loaded in %lu ms\n", static_cast<unsigned long>(::GetTickCount() - dwStart));
	EXPECT_FALSE(skin.m_bmpButtons[SKIN_SLOT_CLOSE].IsNull());
	// A file larger than any description, whose every key read would scan it all, is refused.
	strPath = Describe("ButtonCount=2147483647", strButtons + std::string(64 * 1024, ';'));
	dwStart = ::GetTickCount();
	EXPECT_FALSE(skin.LoadSkinFile(strPath.c_str()));
	std::printf("refused in %lu ms\n", static_cast<unsigned long>(::GetTickCount() - dwStart));
}

TEST(SkinTextTest, TokensPathsAndColours)
{
	CString strToken;
	const char* psz = CSkinFrame::NextToken("  12\t34\n", strToken);
	EXPECT_STREQ(strToken, "");
	psz = CSkinFrame::NextToken(psz, strToken);
	EXPECT_STREQ(strToken, "");
	psz = CSkinFrame::NextToken(psz, strToken);
	EXPECT_STREQ(strToken, "12");
	psz = CSkinFrame::NextToken(psz, strToken);
	EXPECT_STREQ(strToken, "34");
	EXPECT_EQ(*psz, '\0');
	psz = CSkinFrame::NextToken(psz, strToken);
	EXPECT_STREQ(strToken, "");
	EXPECT_EQ(*psz, '\0');
	// The second byte of a two-byte character ("丂" is 0x81 0x40) is never a separator.
	psz = CSkinFrame::NextToken("\x81\x40@ x @y", strToken, "@");
	EXPECT_STREQ(strToken, "\x81\x40");
	psz = CSkinFrame::NextToken(psz, strToken, "@");
	EXPECT_STREQ(strToken, "x");
	// A lead byte at the very end is copied alone, and nothing is read past the text.
	CSkinFrame::NextToken("ab\x81", strToken);
	EXPECT_STREQ(strToken, "ab\x81");

	// "昞" is 0x95 0x5C: its second byte is a backslash, which ends no folder.
	EXPECT_STREQ(CSkinFrame::SplitFolder("C:\\skin\\\x95\x5C.bmp"), "C:\\skin\\");
	EXPECT_STREQ(CSkinFrame::SplitFolder("C:/skin/a\\b.ini"), "C:/skin/a\\");
	EXPECT_STREQ(CSkinFrame::SplitFolder("Main.ini"), "");
	EXPECT_STREQ(CSkinFrame::SplitFileName("C:\\skin\\\x95\x5C.b.bmp", TRUE), "\x95\x5C.b.bmp");
	EXPECT_STREQ(CSkinFrame::SplitFileName("C:/skin/top.x.bmp", FALSE), "top");
	EXPECT_STREQ(CSkinFrame::SplitFileName("C:\\skin\\", TRUE), "");

	std::string strIni = testfiles::ProgramFolder() + "colours.ini";
	testfiles::WriteAll(strIni, "[C]\r\nA=255 0 255\r\nB=12\r\nC=0\t128\t64\r\nD=\r\n");
	CProfileFile profile;
	ASSERT_TRUE(profile.Load(strIni.c_str()));
	EXPECT_EQ(CSkinFrame::ReadSkinColour("C", "A", profile, 1), RGB(255, 0, 255));
	EXPECT_EQ(CSkinFrame::ReadSkinColour("C", "B", profile, 1), RGB(12, 0, 0));
	EXPECT_EQ(CSkinFrame::ReadSkinColour("C", "C", profile, 1), RGB(0, 128, 64));
	EXPECT_EQ(CSkinFrame::ReadSkinColour("C", "D", profile, 7), 7u);
	EXPECT_EQ(CSkinFrame::ReadSkinColour("C", "E", profile, 8), 8u);
	testfiles::Remove(strIni);
}

// A bitmap of the given depth whose pixels are key except where the pattern says 'x'.
CBitmap MakePatternBitmap(int nBits, const std::vector<std::string>& pattern, COLORREF crKey, COLORREF crOther)
{
	int nWidth = static_cast<int>(pattern[0].size());
	int nHeight = static_cast<int>(pattern.size());
	struct
	{
		BITMAPINFOHEADER bmiHeader;
		RGBQUAD bmiColors[256];
	} info = {};
	info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
	info.bmiHeader.biWidth = nWidth;
	info.bmiHeader.biHeight = -nHeight;
	info.bmiHeader.biPlanes = 1;
	info.bmiHeader.biBitCount = static_cast<WORD>(nBits);
	// Index 5 is the key, 9 the other colour; a second entry of the key colour counts as key too.
	info.bmiColors[5] = RGBQUAD{GetBValue(crKey), GetGValue(crKey), GetRValue(crKey), 0};
	info.bmiColors[7] = info.bmiColors[5];
	info.bmiColors[9] = RGBQUAD{GetBValue(crOther), GetGValue(crOther), GetRValue(crOther), 0};
	void* pBits = nullptr;
	CBitmap bmp(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pBits, nullptr, 0));
	if (bmp.IsNull())
		return bmp;
	CCompatibleDC dc(nullptr);
	CSelectObject select(dc, bmp);
	for (int y = 0; y < nHeight; ++y)
		for (int x = 0; x < nWidth; ++x)
		{
			bool bKey = pattern[y][x] != 'x';
			if (nBits == 8)
				static_cast<BYTE*>(pBits)[y * ((nWidth + 3) & ~3) + x] = bKey ? (x % 2 ? 7 : 5) : 9;
			else
				::SetPixel(dc, x, y, bKey ? crKey : crOther);
		}
	::GdiFlush();
	return bmp;
}

TEST(SkinRegionTest, KeyPixelsAreCutInEveryFormat)
{
	const std::vector<std::string> pattern = {"..xxxx..", ".x.xx.x.", "xxxxxxxx", "........"};
	const COLORREF crKey = RGB(255, 0, 255);
	// 0 stands for a bitmap of the screen's own format, read through a copy like the 8, 16 and 24-bit ones.
	for (int nBits : {8, 16, 24, 32, 0})
	{
		CBitmap bmp = MakePatternBitmap(nBits ? nBits : 32, pattern, crKey, RGB(40, 200, 90));
		if (!nBits)
		{
			CClientDC dcScreen(nullptr);
			CBitmap bmpDevice(::CreateCompatibleBitmap(dcScreen, 8, 4));
			CCompatibleDC dcFrom(dcScreen);
			CCompatibleDC dcTo(dcScreen);
			CSelectObject selectFrom(dcFrom, bmp);
			CSelectObject selectTo(dcTo, bmpDevice);
			::BitBlt(dcTo, 0, 0, 8, 4, dcFrom, 0, 0, SRCCOPY);
			bmp = std::move(bmpDevice);
		}
		ASSERT_FALSE(bmp.IsNull()) << nBits;
		CRgn rgn = CSkinFrame::RegionFromColourKey(bmp, crKey);
		ASSERT_FALSE(rgn.IsNull()) << nBits;
		for (int y = 0; y < 4; ++y)
			for (int x = 0; x < 8; ++x)
				EXPECT_EQ(::PtInRegion(rgn, x, y) != FALSE, pattern[y][x] == 'x') << nBits << " bits at " << x << "," << y;
		// One rectangle per run: 1 + 3 + 1 rows of runs.
		std::vector<BYTE> data(::GetRegionData(rgn, 0, nullptr));
		::GetRegionData(rgn, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
		EXPECT_EQ(reinterpret_cast<RGNDATA*>(data.data())->rdh.nCount, 5u) << nBits;
	}
	// All key, no bitmap: empty regions.
	CBitmap bmpKey = MakePatternBitmap(32, {"...", "..."}, crKey, 0);
	RECT rcBox;
	EXPECT_EQ(::GetRgnBox(CSkinFrame::RegionFromColourKey(bmpKey, crKey), &rcBox), NULLREGION);
	EXPECT_EQ(::GetRgnBox(CSkinFrame::RegionFromColourKey(nullptr, crKey), &rcBox), NULLREGION);
}

TEST(SkinRegionTest, TransparentDrawingLeavesKeyPixelsAlone)
{
	CBitmap bmpSource = MakePatternBitmap(32, {"x.x", ".x."}, RGB(255, 0, 255), RGB(10, 200, 30));
	CBitmap bmpTarget = MakePatternBitmap(32, {"....", "...."}, RGB(1, 2, 3), 0);
	CCompatibleDC dcSource(nullptr);
	CCompatibleDC dcTarget(nullptr);
	CSelectObject selectSource(dcSource, bmpSource);
	CSelectObject selectTarget(dcTarget, bmpTarget);
	RECT rcPart = {1, 0, 3, 2};
	CSkinFrame::DrawImagePart(dcSource, dcTarget, 2, 0, rcPart, RGB(255, 0, 255), TRUE);
	EXPECT_EQ(::GetPixel(dcTarget, 1, 0), RGB(1, 2, 3));
	EXPECT_EQ(::GetPixel(dcTarget, 2, 0), RGB(1, 2, 3));
	EXPECT_EQ(::GetPixel(dcTarget, 3, 0), RGB(10, 200, 30));
	EXPECT_EQ(::GetPixel(dcTarget, 2, 1), RGB(10, 200, 30));
	EXPECT_EQ(::GetPixel(dcTarget, 3, 1), RGB(1, 2, 3));
	CSkinFrame::DrawImagePart(dcSource, dcTarget, 0, 0, rcPart, RGB(255, 0, 255), FALSE);
	EXPECT_EQ(::GetPixel(dcTarget, 0, 0), RGB(255, 0, 255));
}

// The frame on a window of this process that has no maximise box and no sizing border.
TEST_F(SkinLoaderTest, WindowWithoutMaximizeBoxNeverReportsIt)
{
	skinfiles::WriteTestSkin(m_strFolder + "test\\", true);
	HWND hWnd = ::CreateWindowExA(0, "STATIC", "probe", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE,
		40, 30, 300, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
	ASSERT_TRUE(hWnd);
	CWnd wnd;
	wnd.m_hWnd = hWnd;
	CSkinProbe frame;
	EXPECT_FALSE(frame.InstallSkin(&wnd, TRUE, TRUE));
	ASSERT_TRUE(frame.LoadSkinFile((m_strFolder + "test\\Main.ini").c_str()));
	EXPECT_FALSE(frame.InstallSkin(nullptr, TRUE, TRUE));
	ASSERT_TRUE(frame.InstallSkin(&wnd, TRUE, TRUE));
	EXPECT_EQ(::GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CAPTION, 0);
	::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
	RECT rcClient;
	::GetClientRect(hWnd, &rcClient);
	EXPECT_EQ(RectText(rcClient), "0,0," + std::to_string(300 - skinfiles::kLeft - skinfiles::kRight) + ","
		+ std::to_string(200 - skinfiles::kCaption - skinfiles::kBottom));

	auto hit = [&](int x, int y) { return static_cast<int>(::SendMessageA(hWnd, WM_NCHITTEST, 0, MAKELPARAM(40 + x, 30 + y))); };
	const int nButtonY = skinfiles::kButtonTop + 2;
	EXPECT_EQ(hit(300 - skinfiles::kCloseX + 2, nButtonY), HTCLOSE);
	EXPECT_EQ(hit(300 - skinfiles::kMinX + 2, nButtonY), HTMINBUTTON);
	EXPECT_EQ(hit(300 - skinfiles::kMaxX + 2, nButtonY), HTCAPTION);
	// No sizing border: the borders are client, a caption double click does nothing.
	EXPECT_EQ(hit(1, 100), HTCLIENT);
	EXPECT_EQ(hit(150, 199), HTCLIENT);
	::SendMessageA(hWnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(190, 40));
	RECT rcWindow;
	::GetWindowRect(hWnd, &rcWindow);
	EXPECT_EQ(RectText(rcWindow), "40,30,340,230");

	// Destroyed while hooked: the hook lets go, and nothing stays behind.
	::DestroyWindow(hWnd);
	EXPECT_FALSE(frame.IsAttached());
	EXPECT_EQ(frame.HitTest(50, 40), HTCLIENT);
}

// Maximised by the frame, minimised by its button, maximised from the taskbar while minimised, restored:
// back at the rectangle from before the first maximise.
TEST_F(SkinLoaderTest, RestoreRectangleOutlastsAMinimiseBetweenMaximises)
{
	skinfiles::WriteTestSkin(m_strFolder + "test\\", false);
	HWND hWnd = ::CreateWindowExA(0, "STATIC", "probe", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME
		| WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE, 40, 30, 300, 200, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
	ASSERT_TRUE(hWnd);
	CWnd wnd;
	wnd.m_hWnd = hWnd;
	CSkinProbe frame;
	ASSERT_TRUE(frame.LoadSkinFile((m_strFolder + "test\\Main.ini").c_str()));
	ASSERT_TRUE(frame.InstallSkin(&wnd, TRUE, TRUE));
	RECT rcWork;
	::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);

	::SendMessageA(hWnd, WM_NCLBUTTONUP, HTMAXBUTTON, 0);
	EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcWork));
	::SendMessageA(hWnd, WM_NCLBUTTONUP, HTMINBUTTON, 0);
	EXPECT_TRUE(::IsIconic(hWnd));
	::SendMessageA(hWnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
	EXPECT_FALSE(::IsIconic(hWnd));
	EXPECT_EQ(RectText(WindowRect(hWnd)), RectText(rcWork));
	::SendMessageA(hWnd, WM_SYSCOMMAND, SC_RESTORE, 0);
	EXPECT_EQ(RectText(WindowRect(hWnd)), "40,30,340,230");
	::DestroyWindow(hWnd);
}
}
