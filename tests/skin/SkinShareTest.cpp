// Reading a skin once: while a share lives, frames that load the same description or image take the first
// reading of it (also when a share is handed from the thread that read to the one that loads), and plain
// bitmap files of every depth come out as the picture object draws them.
#include "SkinFiles.h"

#include "framework/Picture.h"
#include "skin/SkinFrame.h"
#include "support/TestFiles.h"
#include "ui/BitmapTools.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace
{
using skinfiles::kCaption;
using skinfiles::kTopActive;

class CShareProbe : public CSkinFrame
{
public:
	using CSkinFrame::m_bmpTop;
	using CSkinFrame::m_nTextShift;

	// The top-left pixel of the caption strip's image; 0 when it has none.
	DWORD TopPixel() const
	{
		SIZE size = {};
		std::vector<DWORD> pixels;
		return ReadPixels(m_bmpTop, size, pixels) && !pixels.empty() ? pixels[0] & 0xFFFFFF : 0;
	}
};

class SkinShareTest : public ::testing::Test
{
protected:
	static void SetUpTestSuite() { ::CoInitialize(nullptr); }
	static void TearDownTestSuite() { ::CoUninitialize(); }

	void SetUp() override
	{
		testfiles::Remove(m_strFolder);
		skinfiles::WriteTestSkin(m_strFolder, true);
	}

	void TearDown() override { testfiles::Remove(m_strFolder); }

	std::string Main() const { return m_strFolder + "Main.ini"; }
	std::string Panel() const { return m_strFolder + "Append.ini"; }

	const std::string m_strFolder = testfiles::ProgramFolder() + "sharetest\\";
};

TEST_F(SkinShareTest, FramesTakeTheFirstReadingWhileAShareLives)
{
	CShareProbe first, second, third;
	{
		CSkinFrame::CImageShare share;
		ASSERT_TRUE(first.LoadSkinFile(Main().c_str()));
		EXPECT_EQ(first.TopPixel(), PixelOf(kTopActive));
		// Changed on disk once read: a description without images, another caption strip.
		testfiles::WriteAll(Main(), "[Personality]\r\nTextShift=3\r\n");
		skinfiles::WriteSolidBmp(m_strFolder + "top.bmp", 60, 2 * kCaption, RGB(1, 2, 3));
		ASSERT_TRUE(second.LoadSkinFile(Main().c_str()));
		EXPECT_EQ(second.TopPixel(), PixelOf(kTopActive));
		EXPECT_EQ(second.m_nTextShift, first.m_nTextShift);
		// The panel's description is read; the caption strip it names too is the one read before.
		ASSERT_TRUE(third.LoadSkinFile(Panel().c_str()));
		EXPECT_EQ(third.TopPixel(), PixelOf(kTopActive));
		// Each frame holds a copy of its own.
		EXPECT_NE(first.m_bmpTop.GetSafeHandle(), second.m_bmpTop.GetSafeHandle());
	}
	// With the share gone every load reads the files.
	CShareProbe fourth;
	EXPECT_FALSE(fourth.LoadSkinFile(Main().c_str()));
	ASSERT_TRUE(fourth.LoadSkinFile(Panel().c_str()));
	EXPECT_EQ(fourth.TopPixel(), PixelOf(RGB(1, 2, 3)));
	// The frames keep their images after the share.
	EXPECT_EQ(first.TopPixel(), PixelOf(kTopActive));
}

TEST_F(SkinShareTest, FailuresAreSharedToo)
{
	testfiles::Remove(m_strFolder + "top.bmp");
	CSkinFrame::CImageShare share;
	CShareProbe first, second;
	EXPECT_FALSE(first.LoadSkinFile(Main().c_str()));
	skinfiles::WriteSolidBmp(m_strFolder + "top.bmp", 60, 2 * kCaption, RGB(1, 2, 3));
	EXPECT_FALSE(second.LoadSkinFile(Panel().c_str()));
}

TEST_F(SkinShareTest, AShareHandedOverServesTheOtherThreadsNextShare)
{
	DWORD dwThisThread = ::GetCurrentThreadId();
	bool bRead = false;
	std::thread([&] {
		CSkinFrame::CImageShare share;
		CShareProbe frame;
		bRead = frame.LoadSkinFile(Main().c_str()) && frame.LoadSkinFile(Panel().c_str());
		share.HandOver(dwThisThread);
		// The thread that handed it over reads for itself again.
		CShareProbe after;
		testfiles::WriteAll(m_strFolder + "Other.ini", "[Personality]\r\n");
		EXPECT_FALSE(after.LoadSkinFile((m_strFolder + "Other.ini").c_str()));
	}).join();
	ASSERT_TRUE(bRead);
	testfiles::Remove(m_strFolder);
	{
		CSkinFrame::CImageShare share;
		CShareProbe main, panel;
		EXPECT_TRUE(main.LoadSkinFile(Main().c_str()));
		EXPECT_TRUE(panel.LoadSkinFile(Panel().c_str()));
		EXPECT_EQ(panel.TopPixel(), PixelOf(kTopActive));
	}
	CShareProbe after;
	EXPECT_FALSE(after.LoadSkinFile(Main().c_str()));
}

void Put(std::string& str, uint32_t n, int nBytes)
{
	for (int i = 0; i < nBytes; ++i)
		str += static_cast<char>((n >> (8 * i)) & 0xFF);
}

// A bitmap file of nBits a pixel (4 and 8 with a palette of 16 colours, 16 as 5-5-5 or with 5-6-5 masks,
// 24 and 32), bottom-up or top-down, of colours each depth holds exactly.
std::string BitmapFile(int nBits, bool bMasks, bool bTopDown, int nWidth, int nHeight)
{
	static const COLORREF kPalette[16] = {RGB(0, 0, 0), RGB(255, 0, 255), RGB(248, 0, 0), RGB(0, 248, 0),
		RGB(0, 0, 248), RGB(248, 248, 0), RGB(0, 248, 248), RGB(64, 128, 192), RGB(200, 40, 40), RGB(40, 40, 200),
		RGB(8, 16, 24), RGB(120, 120, 120), RGB(248, 248, 248), RGB(96, 0, 160), RGB(0, 160, 96), RGB(160, 96, 0)};
	auto index = [](int x, int y) { return (x * 3 + y * 5) % 16; };
	size_t nStride = (static_cast<size_t>(nWidth) * nBits + 31) / 32 * 4;
	std::string strPixels;
	for (int nRow = 0; nRow < nHeight; ++nRow)
	{
		int y = bTopDown ? nRow : nHeight - 1 - nRow;
		std::string strRow;
		for (int x = 0; x < nWidth; ++x)
		{
			COLORREF cr = kPalette[index(x, y)];
			uint32_t r = GetRValue(cr), g = GetGValue(cr), b = GetBValue(cr);
			if (nBits == 4)
			{
				if (x % 2 == 0)
					strRow += static_cast<char>(index(x, y) << 4);
				else
					strRow.back() = static_cast<char>(strRow.back() | index(x, y));
			}
			else if (nBits == 8)
				strRow += static_cast<char>(index(x, y));
			else if (nBits == 16)
				Put(strRow, bMasks ? (r >> 3) << 11 | (g >> 2) << 5 | b >> 3 : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3, 2);
			else
				Put(strRow, b | g << 8 | r << 16, nBits / 8);
		}
		strRow.resize(nStride, '\0');
		strPixels += strRow;
	}
	std::string strTable;
	if (bMasks)
	{
		Put(strTable, 0xF800, 4);
		Put(strTable, 0x07E0, 4);
		Put(strTable, 0x001F, 4);
	}
	if (nBits <= 8)
	{
		for (int i = 0; i < (1 << nBits); ++i)
			Put(strTable, i < 16 ? (GetBValue(kPalette[i]) | GetGValue(kPalette[i]) << 8 | GetRValue(kPalette[i]) << 16) : 0, 4);
	}
	std::string strFile = "BM";
	uint32_t nOffBits = static_cast<uint32_t>(14 + 40 + strTable.size());
	Put(strFile, static_cast<uint32_t>(nOffBits + strPixels.size()), 4);
	Put(strFile, 0, 4);
	Put(strFile, nOffBits, 4);
	Put(strFile, 40, 4);
	Put(strFile, static_cast<uint32_t>(nWidth), 4);
	Put(strFile, static_cast<uint32_t>(bTopDown ? -nHeight : nHeight), 4);
	Put(strFile, 1, 2);
	Put(strFile, static_cast<uint32_t>(nBits), 2);
	Put(strFile, bMasks ? BI_BITFIELDS : BI_RGB, 4);
	Put(strFile, static_cast<uint32_t>(strPixels.size()), 4);
	for (int i = 0; i < 4; ++i)
		Put(strFile, 0, 4);
	return strFile + strTable + strPixels;
}

// The picture object's drawing of the file, as the loader made it before it read plain bitmaps itself.
CBitmap DrawnByPicture(const std::string& strFile)
{
	CComPtr<IPicture> pPicture = AfxLoadPicture(strFile.data(), strFile.size());
	OLE_XSIZE_HIMETRIC nWidthHm = 0;
	OLE_YSIZE_HIMETRIC nHeightHm = 0;
	if (!pPicture || FAILED(pPicture->get_Width(&nWidthHm)) || FAILED(pPicture->get_Height(&nHeightHm)))
		return CBitmap();
	CClientDC dcScreen(nullptr);
	int cx = ::MulDiv(nWidthHm, ::GetDeviceCaps(dcScreen, LOGPIXELSX), 2540);
	int cy = ::MulDiv(nHeightHm, ::GetDeviceCaps(dcScreen, LOGPIXELSY), 2540);
	CBitmap bmp(::CreateCompatibleBitmap(dcScreen, cx, cy));
	CCompatibleDC dc(dcScreen);
	CSelectObject select(dc, bmp);
	pPicture->Render(dc, 0, 0, cx, cy, 0, nHeightHm, nWidthHm, -nHeightHm, nullptr);
	return bmp;
}

TEST_F(SkinShareTest, PlainBitmapsOfEveryDepthComeOutAsThePictureObjectDrawsThem)
{
	struct Form
	{
		int nBits;
		bool bMasks;
	};
	for (Form form : {Form{4, false}, Form{8, false}, Form{16, false}, Form{16, true}, Form{24, false}, Form{32, false}})
	{
		for (bool bTopDown : {false, true})
		{
			std::string strPath = m_strFolder + "plain.bmp";
			std::string strFile = BitmapFile(form.nBits, form.bMasks, bTopDown, 13, 7);
			testfiles::WriteAll(strPath, strFile);
			CBitmap bmpLoaded;
			ASSERT_TRUE(CSkinFrame::LoadPictureFile(bmpLoaded, strPath.c_str(), RGB(0, 0, 0))) << form.nBits;
			CBitmap bmpDrawn = DrawnByPicture(strFile);
			SIZE sizeLoaded = {}, sizeDrawn = {};
			std::vector<DWORD> loaded, drawn;
			ASSERT_TRUE(ReadPixels(bmpLoaded, sizeLoaded, loaded));
			ASSERT_TRUE(ReadPixels(bmpDrawn, sizeDrawn, drawn));
			EXPECT_EQ(sizeLoaded.cx, 13);
			EXPECT_EQ(sizeLoaded.cy, 7);
			EXPECT_EQ(sizeLoaded.cx, sizeDrawn.cx);
			EXPECT_EQ(sizeLoaded.cy, sizeDrawn.cy);
			EXPECT_TRUE(loaded == drawn) << form.nBits << (form.bMasks ? " masks" : "") << (bTopDown ? " top-down" : "");
			// The top-left pixel is palette entry 0, the one to its right entry 3 (16 bits widen 248 as they will).
			ASSERT_EQ(loaded.size(), 13u * 7u);
			EXPECT_EQ(loaded[0] & 0xFFFFFF, PixelOf(RGB(0, 0, 0)));
			if (form.nBits != 16)
			{
				EXPECT_EQ(loaded[1] & 0xFFFFFF, PixelOf(RGB(0, 248, 0)));
			}
		}
	}
}
}
