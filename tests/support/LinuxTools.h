// Linux programs started from a Windows test under Wine: xdotool drives the X server's real pointer and
// keyboard (a Windows process cannot move the pointer), ImageMagick's import takes screenshots of what the
// display shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace linuxtools
{
// Runs a shell command line on the Linux side and waits until it has ended, at most nMs, dispatching this
// thread's messages meanwhile (the test's own windows see the input); its exit status, or -1 when it
// could not be started or did not end in time.
int Run(const std::string& strCommand, DWORD nMs = 30000);
// "xdotool ARGS": true when it succeeded.
bool XdoTool(const std::string& strArgs);
// The Unix path of a Windows path; empty when Wine has none.
std::string UnixPath(const std::string& strWindowsPath);

// Waits, at most nMs, until what is typed reaches hWnd's window: its top-level window in front, active in its
// thread, and holding the X server's keyboard focus (Wine hands the focus to X on its own time, and a key
// typed before that goes to whichever window X still has it on).
bool WaitForKeyboard(HWND hWnd, DWORD nMs = 5000);
// "xdotool key KEYS" once the keyboard reaches hWnd; false when it never did.
bool TypeKeys(HWND hWnd, const std::string& strKeys);

// Real pointer input, in screen coordinates.
bool PointerMove(int x, int y);
bool PointerClick(int x, int y);
bool PointerDown(int x, int y);
bool PointerUp(int x, int y);

// A screenshot of a rectangle of the screen.
class CScreenShot
{
public:
	// strKeepAs (a Unix path, optional) keeps a copy in the format its extension names.
	bool Take(const RECT& rc, const std::string& strKeepAs = std::string());
	bool TakeScreen(const std::string& strKeepAs = std::string());
	int Width() const { return m_nWidth; }
	int Height() const { return m_nHeight; }
	// The pixel at (x, y) of the rectangle; CLR_INVALID outside it.
	COLORREF Pixel(int x, int y) const;

private:
	int m_nWidth = 0;
	int m_nHeight = 0;
	std::vector<BYTE> m_rgb;
};

// Where a test keeps a copy of its screenshot: NAME in the folder QUILO_SCREENSHOT_DIR names (a Unix
// path); empty when that is not set.
std::string KeepPath(const char* pszName);

// Every channel within nTolerance.
bool ColoursNear(COLORREF a, COLORREF b, int nTolerance = 8);
std::string ColourText(COLORREF cr);
}
