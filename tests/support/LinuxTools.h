// Linux programs started from a Windows test under Wine: xdotool drives the X server's real pointer
// (a Windows process cannot move it), ImageMagick's import takes screenshots of what the display shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace linuxtools
{
// Runs a shell command line on the Linux side and waits until it has ended, at most nMs; its exit
// status, or -1 when it could not be started or did not end in time.
int Run(const std::string& strCommand, DWORD nMs = 15000);
// The Unix path of a Windows path; empty when Wine has none.
std::string UnixPath(const std::string& strWindowsPath);

// Real pointer input, in screen coordinates.
bool PointerMove(int x, int y);
bool PointerClick(int x, int y);
bool PointerDown(int x, int y);
bool PointerUp(int x, int y);

// A screenshot of a rectangle of the screen.
class CScreenShot
{
public:
	bool Take(const RECT& rc);
	int Width() const { return m_nWidth; }
	int Height() const { return m_nHeight; }
	// The pixel at (x, y) of the rectangle; CLR_INVALID outside it.
	COLORREF Pixel(int x, int y) const;

private:
	int m_nWidth = 0;
	int m_nHeight = 0;
	std::vector<BYTE> m_rgb;
};

// Every channel within nTolerance.
bool ColoursNear(COLORREF a, COLORREF b, int nTolerance = 8);
std::string ColourText(COLORREF cr);
}
