// Benchmark of the skinned frame at 100, 150 and 200 %: PaintFrame of a 1920-pixel-wide window against a
// BitBlt of its caption strip, RegionFromColourKey of a 3840-pixel strip, both measured in the same run,
// and the nearest-neighbour enlargement a skin without scaled images costs once per DPI.
//   skin_bench [ROUNDS]   (default 1000; run beside the program's "skin\" folder)
#include "framework/WideText.h"
#include "framework/Wnd.h"
#include "skin/SkinFrame.h"
#include "support/TestFiles.h"

#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace
{
class CBenchFrame : public CSkinFrame
{
public:
	using CSkinFrame::PaintActiveStrip;
	using CSkinFrame::PaintFrame;
	HBITMAP TopImage() const { return m_bmpTop; }
	COLORREF KeyColour() const { return m_crTrans; }
};

double Milliseconds(int nRounds, const std::function<void()>& fn)
{
	LARGE_INTEGER freq, start, end;
	::QueryPerformanceFrequency(&freq);
	::QueryPerformanceCounter(&start);
	for (int i = 0; i < nRounds; ++i)
		fn();
	::GdiFlush();
	::QueryPerformanceCounter(&end);
	return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
}
}

int main(int argc, char** argv)
{
	int nRounds = argc > 1 ? atoi(argv[1]) : 1000;
	if (nRounds <= 0)
		nRounds = 1000;
	::CoInitialize(nullptr);
	std::string strSkin = testfiles::ProgramFolder() + "skin\\现代\\Main.ini";
	CBenchFrame frame;
	if (!frame.LoadSkinFile(strSkin.c_str()))
	{
		printf("skin bench: cannot load %s\n", strSkin.c_str());
		return 1;
	}
	HWND hWnd = ::CreateWindowExW(0, L"STATIC", ToWide("MelboTV播放器 skin bench").c_str(),
		WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE, 0, 0, 1920, 600,
		nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
	CWnd wnd;
	wnd.m_hWnd = hWnd;
	if (!hWnd || !frame.InstallSkin(&wnd, TRUE, TRUE))
	{
		printf("skin bench: no window\n");
		return 1;
	}
	::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);

	CWindowDC dc(hWnd);
	printf("skin bench, %d rounds each (window 1920 x 600)\n", nRounds);
	// The same window at 100, 150 and 200 %: the frame reads the skin again at each scale (the shipped
	// skin's images drawn for it); the floor is a BitBlt of that scale's caption strip.
	for (UINT nDpi : {96u, 144u, 192u})
	{
		frame.SetDpi(nDpi);
		::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
		CBitmap bmpStrip = frame.PaintActiveStrip(dc, 3840);
		SIZE sizeStrip = GetBitmapSize(bmpStrip);
		double dBlit, dPaint, dRegion;
		{
			// Into an off-screen bitmap of the strip's size, so that no part of the copy is clipped away.
			CCompatibleDC dcStrip(dc);
			CCompatibleDC dcTarget(dc);
			CBitmap bmpTarget(::CreateCompatibleBitmap(dc, sizeStrip.cx, sizeStrip.cy));
			CSelectObject selectStrip(dcStrip, bmpStrip);
			CSelectObject selectTarget(dcTarget, bmpTarget);
			dBlit = Milliseconds(nRounds, [&] { ::BitBlt(dcTarget, 0, 0, 1920, sizeStrip.cy, dcStrip, 0, 0, SRCCOPY); });
		}
		dPaint = Milliseconds(nRounds, [&] { frame.PaintFrame(); });
		dRegion = Milliseconds(nRounds, [&] { CRgn rgn = CSkinFrame::RegionFromColourKey(bmpStrip, frame.KeyColour(), dc); });
		// A user skin without images for the scale: its caption image enlarged once per DPI.
		CDpiScale scale(nDpi);
		double dEnlarge = Milliseconds(nRounds / 10 + 1, [&] { CSkinFrame::EnlargeImage(frame.TopImage(), 1, 2, scale); });
		printf(" %d %% (caption strip 1920 x %ld, region strip %ld x %ld)\n", scale.GetPercent(), sizeStrip.cy, sizeStrip.cx,
			sizeStrip.cy);
		printf("  BitBlt of the caption strip %8.1f ms  %7.3f ms each  (floor)\n", dBlit, dBlit / nRounds);
		printf("  PaintFrame                  %8.1f ms  %7.3f ms each  %6.1f x floor\n", dPaint, dPaint / nRounds,
			dPaint / dBlit);
		printf("  RegionFromColourKey         %8.1f ms  %7.3f ms each  %6.1f x floor\n", dRegion, dRegion / nRounds,
			dRegion / dBlit);
		printf("  EnlargeImage of Top (once)  %8.3f ms each\n", dEnlarge / (nRounds / 10 + 1));
	}
	::DestroyWindow(hWnd);
	::CoUninitialize();
	return 0;
}
