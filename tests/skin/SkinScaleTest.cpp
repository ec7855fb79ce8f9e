// The frame at another display scale, without a window: a skin with only 100 % images enlarged by
// nearest neighbour, a scale folder's images taken only at the size that scale gives, and the arithmetic.
#include "SkinFiles.h"

#include "skin/SkinFrame.h"
#include "support/TestFiles.h"
#include "support/Wide936.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <set>
#include <string>

namespace
{
using namespace skinfiles;

class CScaleProbe : public CSkinFrame
{
public:
	using CSkinFrame::m_bmpLeft;
	using CSkinFrame::m_bmpTop;
	using CSkinFrame::m_nCaptionHeight;
	using CSkinFrame::m_nLeftWidth;
	using CSkinFrame::m_nRightWidth;
	using CSkinFrame::m_nBottomHeight;
	using CSkinFrame::m_nTextShift;
	using CSkinFrame::m_nTopCapLeft;
	using CSkinFrame::m_nTopCapRightStart;
	using CSkinFrame::m_rcButtons;
};

COLORREF PixelOf(HBITMAP hBitmap, int x, int y)
{
	CCompatibleDC dc(nullptr);
	CSelectObject select(dc, hBitmap);
	return ::GetPixel(dc, x, y);
}

class SkinScaleTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite() { ::CoInitialize(nullptr); }
	static void TearDownTestSuite() { ::CoUninitialize(); }

	void SetUp() override
	{
		m_strFolder = testfiles::ProgramFolder() + "scaletest\\";
		WriteTestSkin(m_strFolder, true);
	}

	std::string m_strFolder;
};

TEST(DpiScale, ArithmeticRoundsAsMulDivAndRefusesAbsurdValues)
{
	CDpiScale scale(144);
	EXPECT_EQ(scale.Scale(15), 23);
	EXPECT_EQ(scale.Scale(-5), -8);
	EXPECT_EQ(scale.Unscale(750), 500);
	EXPECT_EQ(CDpiScale(120).GetPercent(), 125);
	EXPECT_EQ(CDpiScale(168).GetPercent(), 175);
	EXPECT_TRUE(CDpiScale().IsBase());
	EXPECT_EQ(CDpiScale(0).GetDpi(), 96u);
	EXPECT_EQ(CDpiScale(100000).GetDpi(), 96u);
	EXPECT_EQ(CDpiScale(384).GetDpi(), 384u);
}

TEST_F(SkinScaleTest, HundredPercentImagesAreEnlargedCellByCellByNearestNeighbour)
{
	CScaleProbe frame;
	ASSERT_TRUE(frame.LoadSkinFile((m_strFolder + "Main.ini").c_str()));
	frame.SetDpi(144);
	ASSERT_TRUE(frame.IsLoaded());
	const CDpiScale& s = frame.GetScale();
	EXPECT_EQ(frame.m_nCaptionHeight, s.Scale(kCaption));
	EXPECT_EQ(frame.m_nLeftWidth, s.Scale(kLeft));
	EXPECT_EQ(frame.m_nRightWidth, s.Scale(kRight));
	EXPECT_EQ(frame.m_nBottomHeight, s.Scale(kBottom));
	EXPECT_EQ(frame.m_nTextShift, s.Scale(kTextShift));
	// Caps: 10 of a 60-pixel caption image at 100 %.
	EXPECT_EQ(frame.m_nTopCapLeft, s.Scale(10));
	EXPECT_EQ(frame.m_nTopCapRightStart, s.Scale(60) - s.Scale(10));
	const RECT& rcClose = frame.m_rcButtons[SKIN_SLOT_CLOSE];
	EXPECT_EQ(rcClose.left, s.Scale(kCloseX) - s.Scale(kButtonWidth));
	EXPECT_EQ(rcClose.right, s.Scale(kCloseX));
	EXPECT_EQ(rcClose.top, s.Scale(kButtonTop));
	EXPECT_EQ(rcClose.bottom, s.Scale(kButtonTop) + s.Scale(kButtonHeight));

	// Each half of the left border is 5 pixels at 100 %, 8 here: the inactive half starts at column 8 whatever
	// 10 x 1.5 would give, and no pixel is a blend: the key stays exact at the outer corner of both halves.
	SIZE size = GetBitmapSize(frame.m_bmpLeft);
	ASSERT_EQ(size.cx, 2 * s.Scale(kLeft));
	ASSERT_EQ(size.cy, s.Scale(40));
	std::set<COLORREF> colours;
	for (int y = 0; y < size.cy; ++y)
		for (int x = 0; x < size.cx; ++x)
			colours.insert(PixelOf(frame.m_bmpLeft, x, y));
	EXPECT_EQ(colours, (std::set<COLORREF>{kKey, kLeftActive, kLeftInactive}));
	const int nHalf = s.Scale(kLeft);
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, 0, 0), kKey);
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, nHalf, 0), kKey);
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, nHalf - 1, s.Scale(20)), kLeftActive);
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, nHalf, s.Scale(20)), kLeftInactive);
	// Source pixel (1, 0) is key, (1, 1) is not: at 1.5 the key covers rows 0 and 1 of columns 0 to 2 less
	// what source row 1 gives (rows 2 on).
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, s.Scale(2) - 1, 0), kKey);
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, s.Scale(2), s.Scale(2)), kLeftActive);

	// Back at 100 % the images are the files' own.
	frame.SetDpi(96);
	EXPECT_EQ(GetBitmapSize(frame.m_bmpLeft).cx, 2 * kLeft);
	EXPECT_EQ(frame.m_nCaptionHeight, kCaption);
}

TEST_F(SkinScaleTest, ScaleFolderImagesAreTakenOnlyAtTheirScalesSize)
{
	// 150\top.bmp drawn for 150 % (90 x 60), 150\left.bmp one pixel too narrow: that one is enlarged instead.
	const COLORREF kDrawn = RGB(12, 34, 56);
	std::string strScale = m_strFolder + "150\\";
	w936::CreateDirectoryA(strScale.c_str(), nullptr);
	WriteSolidBmp(strScale + "top.bmp", 90, 60, kDrawn);
	WriteSolidBmp(strScale + "left.bmp", 15, 60, kDrawn);
	CScaleProbe frame;
	ASSERT_TRUE(frame.LoadSkinFile((m_strFolder + "Main.ini").c_str()));
	frame.SetDpi(144);
	EXPECT_EQ(PixelOf(frame.m_bmpTop, 45, 10), kDrawn);
	EXPECT_EQ(GetBitmapSize(frame.m_bmpLeft).cx, 16);
	EXPECT_EQ(PixelOf(frame.m_bmpLeft, 3, 30), kLeftActive);
	// At 125 % there is no folder: enlarged.
	frame.SetDpi(120);
	EXPECT_EQ(PixelOf(frame.m_bmpTop, 10, 10), kTopActive);
	testfiles::Remove(strScale + "top.bmp");
	testfiles::Remove(strScale + "left.bmp");
	w936::RemoveDirectoryA(strScale.c_str());
}

TEST(SkinScale, ImagesTooLargeToEnlargeAreRefusedWithoutHarm)
{
	CClientDC dcScreen(nullptr);
	CBitmap bmp(::CreateCompatibleBitmap(dcScreen, 20000, 2));
	ASSERT_FALSE(bmp.IsNull());
	// 80000 pixels wide at 400 %: beyond any window.
	EXPECT_TRUE(CSkinFrame::EnlargeImage(bmp, 1, 2, CDpiScale(384)).IsNull());
	// Fewer pixels than cells, or no cells: nothing to enlarge.
	EXPECT_TRUE(CSkinFrame::EnlargeImage(bmp, 1, 3, CDpiScale(144)).IsNull());
	EXPECT_TRUE(CSkinFrame::EnlargeImage(bmp, 0, 1, CDpiScale(144)).IsNull());
	EXPECT_TRUE(CSkinFrame::EnlargeImage(nullptr, 1, 1, CDpiScale(144)).IsNull());
	CBitmap bmpSmall(::CreateCompatibleBitmap(dcScreen, 3, 2));
	SIZE size = GetBitmapSize(CSkinFrame::EnlargeImage(bmpSmall, 3, 2, CDpiScale(120)));
	EXPECT_EQ(size.cx, 3 * 1);
	EXPECT_EQ(size.cy, 2 * 1);
}
}
