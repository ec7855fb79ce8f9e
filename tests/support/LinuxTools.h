// Linux programs run from a Windows test under Wine: xdotool drives the X server's real pointer and
// keyboard (a Windows process cannot move the pointer), ImageMagick's import takes screenshots.
// Wine starts a Unix program given by its absolute path but hands back no process handle, so each command
// runs under /bin/sh, which writes its exit status to a file the test waits for.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace linuxtools
{
// Runs a shell command line (no double quotes in it) and waits up to nMs for it, dispatching this
// thread's messages meanwhile; its exit status, or -1 when it did not start or finish.
int RunShell(const std::string& strCommand, DWORD nMs = 30000);
// "xdotool ARGS": true when it succeeded.
bool XdoTool(const std::string& strArgs);

// The whole display, as 0x00RRGGBB values, top row first.
struct CScreenshot
{
	int nWidth = 0;
	int nHeight = 0;
	std::vector<DWORD> pixels;

	COLORREF At(int x, int y) const;
};
// Where a test keeps a copy of its screenshot: NAME in the folder QUILO_SCREENSHOT_DIR names (a Unix
// path); empty when that is not set.
std::string KeepPath(const char* pszName);
// Takes a screenshot; strKeepAs (a Unix path, optional) keeps a copy in the format its extension names.
bool TakeScreenshot(CScreenshot& shot, const std::string& strKeepAs = std::string());
}
