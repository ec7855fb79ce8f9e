#include "support/LinuxTools.h"

#include "support/TestFiles.h"

#include <cstdio>
#include <cstdlib>

namespace linuxtools
{
namespace
{
// Z: is the Unix root in every Wine prefix.
std::string WindowsPathOf(const std::string& strUnixPath)
{
	std::string strPath = "Z:" + strUnixPath;
	for (char& ch : strPath)
	{
		if (ch == '/')
			ch = '\\';
	}
	return strPath;
}

std::string UniqueUnixPath(const char* pszExtension)
{
	static LONG s_nCounter = 0;
	char szPath[128];
	std::snprintf(szPath, sizeof(szPath), "/tmp/quilo-linux-%lu-%ld%s", ::GetCurrentProcessId(),
		::InterlockedIncrement(&s_nCounter), pszExtension);
	return szPath;
}

void PumpMessages()
{
	MSG msg;
	while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
	{
		::TranslateMessage(&msg);
		::DispatchMessageA(&msg);
	}
}
}

int RunShell(const std::string& strCommand, DWORD nMs)
{
	std::string strDone = UniqueUnixPath(".done");
	std::string strDoneWindows = WindowsPathOf(strDone);
	std::string strCommandLine = "/bin/sh -c \"" + strCommand + "; echo $? > " + strDone + "\"";
	STARTUPINFOA si = {};
	si.cb = sizeof(si);
	PROCESS_INFORMATION pi = {};
	if (!::CreateProcessA(nullptr, &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
		return -1;
	if (pi.hProcess)
		::CloseHandle(pi.hProcess);
	if (pi.hThread)
		::CloseHandle(pi.hThread);
	DWORD dwStart = ::GetTickCount();
	for (;;)
	{
		PumpMessages();
		// The status is complete once its line ends.
		std::string strStatus = testfiles::ReadAll(strDoneWindows);
		if (!strStatus.empty() && strStatus.back() == '\n')
		{
			testfiles::Remove(strDoneWindows);
			return std::atoi(strStatus.c_str());
		}
		if (::GetTickCount() - dwStart >= nMs)
			return -1;
		::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
	}
}

bool XdoTool(const std::string& strArgs)
{
	return RunShell("xdotool " + strArgs) == 0;
}

COLORREF CScreenshot::At(int x, int y) const
{
	if (x < 0 || y < 0 || x >= nWidth || y >= nHeight)
		return CLR_INVALID;
	DWORD dw = pixels[static_cast<size_t>(y) * nWidth + x];
	return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
}

std::string KeepPath(const char* pszName)
{
	const char* pszFolder = std::getenv("QUILO_SCREENSHOT_DIR");
	return pszFolder && *pszFolder ? std::string(pszFolder) + "/" + pszName : std::string();
}

bool TakeScreenshot(CScreenshot& shot, const std::string& strKeepAs)
{
	std::string strBmp = UniqueUnixPath(".bmp");
	std::string strCommand = "import -window root BMP3:" + strBmp;
	if (!strKeepAs.empty())
		strCommand += " && convert " + strBmp + " " + strKeepAs;
	if (RunShell(strCommand) != 0)
		return false;
	std::string strBmpWindows = WindowsPathOf(strBmp);
	HBITMAP hBitmap = static_cast<HBITMAP>(::LoadImageA(nullptr, strBmpWindows.c_str(), IMAGE_BITMAP, 0, 0,
		LR_LOADFROMFILE | LR_CREATEDIBSECTION));
	testfiles::Remove(strBmpWindows);
	if (!hBitmap)
		return false;
	BITMAP bm = {};
	::GetObjectA(hBitmap, sizeof(bm), &bm);
	shot.nWidth = bm.bmWidth;
	shot.nHeight = bm.bmHeight;
	shot.pixels.assign(static_cast<size_t>(bm.bmWidth) * bm.bmHeight, 0);
	BITMAPINFO bmi = {};
	bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
	bmi.bmiHeader.biWidth = bm.bmWidth;
	bmi.bmiHeader.biHeight = -bm.bmHeight;
	bmi.bmiHeader.biPlanes = 1;
	bmi.bmiHeader.biBitCount = 32;
	HDC hDC = ::GetDC(nullptr);
	int nRows = ::GetDIBits(hDC, hBitmap, 0, bm.bmHeight, shot.pixels.data(), &bmi, DIB_RGB_COLORS);
	::ReleaseDC(nullptr, hDC);
	::DeleteObject(hBitmap);
	for (DWORD& dw : shot.pixels)
		dw &= 0x00FFFFFF;
	return nRows == bm.bmHeight;
}
}
