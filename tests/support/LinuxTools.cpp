#include "support/LinuxTools.h"

#include "support/TestFiles.h"
#include "support/Wide936.h"
#include "framework/WideText.h"

#include <cstdlib>
#include <cstdio>

namespace linuxtools
{
namespace
{
std::string TempFolder()
{
	char szPath[MAX_PATH] = {};
	w936::GetTempPathA(MAX_PATH, szPath);
	return szPath;
}

std::string Unique(const char* pszStem)
{
	static int s_nCount = 0;
	return TempFolder() + "quilo-" + pszStem + "-" + std::to_string(::GetCurrentProcessId()) + "-"
		+ std::to_string(++s_nCount);
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

bool XdoTool(const std::string& strArgs)
{
	return Run("xdotool " + strArgs) == 0;
}

namespace
{
// The X window that has the keyboard focus of the display; 0 when none could be read.
unsigned long XFocus()
{
	std::string strFile = Unique("focus");
	std::string strUnix = UnixPath(strFile);
	if (strUnix.empty() || Run("xdotool getwindowfocus -f > '" + strUnix + "'") != 0)
		return 0;
	unsigned long nWindow = strtoul(testfiles::ReadAll(strFile).c_str(), nullptr, 10);
	testfiles::Remove(strFile);
	return nWindow;
}

bool Ready(HWND hTop)
{
	GUITHREADINFO gti = {};
	gti.cbSize = sizeof(gti);
	if (::GetForegroundWindow() != hTop || !::GetGUIThreadInfo(::GetWindowThreadProcessId(hTop, nullptr), &gti)
		|| gti.hwndActive != hTop)
		return false;
	// Wine keeps the X window of each top-level window in this property.
	auto nXWindow = static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(::GetPropA(hTop, "__wine_x11_whole_window")));
	return nXWindow && XFocus() == nXWindow;
}
}

bool WaitForKeyboard(HWND hWnd, DWORD nMs)
{
	HWND hTop = ::GetAncestor(hWnd, GA_ROOT);
	if (!hTop)
		return false;
	if (::GetForegroundWindow() != hTop)
		::SetForegroundWindow(hTop);
	DWORD dwStart = ::GetTickCount();
	while (!Ready(hTop))
	{
		if (::GetTickCount() - dwStart > nMs)
			return false;
		PumpMessages();
		::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
	}
	return true;
}

bool TypeKeys(HWND hWnd, const std::string& strKeys)
{
	return WaitForKeyboard(hWnd) && XdoTool("key " + strKeys);
}

std::string KeepPath(const char* pszName)
{
	const char* pszFolder = std::getenv("QUILO_SCREENSHOT_DIR");
	return pszFolder && *pszFolder ? std::string(pszFolder) + "/" + pszName : std::string();
}

std::string UnixPath(const std::string& strWindowsPath)
{
	// Wine's own export: the Unix name of a Windows path, allocated on the process heap.
	using UnixNameFn = char*(CDECL*)(LPCWSTR);
	static UnixNameFn s_pfn = reinterpret_cast<UnixNameFn>(
		reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
	if (!s_pfn)
		return std::string();
	std::wstring strWide = ToWide(strWindowsPath);
	char* psz = s_pfn(strWide.c_str());
	if (!psz)
		return std::string();
	std::string str(psz);
	::HeapFree(::GetProcessHeap(), 0, psz);
	return str;
}

int Run(const std::string& strCommand, DWORD nMs)
{
	// Wine hands no process handle for a Unix program (see below): the script reports its end in a file.
	std::string strScript = Unique("run") + ".sh";
	std::string strDone = Unique("run") + ".done";
	std::string strDoneUnix = UnixPath(strDone);
	std::string strScriptUnix = UnixPath(strScript);
	if (strDoneUnix.empty() || strScriptUnix.empty())
		return -1;
	testfiles::WriteAll(strScript, strCommand + "\nstatus=$?\necho $status > '" + strDoneUnix + ".tmp'\nmv '"
		+ strDoneUnix + ".tmp' '" + strDoneUnix + "'\n");
	std::string strCommandLine = "/bin/sh \"" + strScriptUnix + "\"";
	std::vector<char> commandLine(strCommandLine.begin(), strCommandLine.end());
	commandLine.push_back('\0');
	STARTUPINFOA si = {};
	si.cb = sizeof(si);
	PROCESS_INFORMATION pi = {};
	if (!w936::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
	{
		testfiles::Remove(strScript);
		return -1;
	}
	// For a Unix program Wine reports success without filling in the two handles: what is there is whatever
	// the stack held, often a live handle of this process. Closing it closed, now and then, the event, thread
	// or desktop handle of a later step, and the process could then make no window at all.
	DWORD dwStart = ::GetTickCount();
	while (!testfiles::Exists(strDone) && ::GetTickCount() - dwStart < nMs)
	{
		PumpMessages();
		::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
	}
	std::string strStatus = testfiles::ReadAll(strDone);
	testfiles::Remove(strDone);
	testfiles::Remove(strScript);
	return strStatus.empty() ? -1 : atoi(strStatus.c_str());
}

bool PointerMove(int x, int y)
{
	if (!XdoTool("mousemove " + std::to_string(x) + " " + std::to_string(y)))
		return false;
	// A click sent before Wine has taken in the move lands where the pointer was.
	DWORD dwStart = ::GetTickCount();
	POINT pt = {};
	while (::GetCursorPos(&pt) && (pt.x != x || pt.y != y))
	{
		if (::GetTickCount() - dwStart > 3000)
			return false;
		PumpMessages();
		::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
	}
	return true;
}

bool PointerClick(int x, int y)
{
	return XdoTool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
}

bool PointerDown(int x, int y)
{
	return XdoTool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1");
}

bool PointerUp(int x, int y)
{
	return XdoTool("mousemove " + std::to_string(x) + " " + std::to_string(y) + " mouseup 1");
}

bool CScreenShot::TakeScreen(const std::string& strKeepAs)
{
	RECT rc = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
	return Take(rc, strKeepAs);
}

bool CScreenShot::Take(const RECT& rc, const std::string& strKeepAs)
{
	m_nWidth = m_nHeight = 0;
	m_rgb.clear();
	int nWidth = rc.right - rc.left;
	int nHeight = rc.bottom - rc.top;
	if (nWidth <= 0 || nHeight <= 0)
		return false;
	std::string strFile = Unique("shot") + ".ppm";
	std::string strGeometry = std::to_string(nWidth) + "x" + std::to_string(nHeight) + "+" + std::to_string(rc.left)
		+ "+" + std::to_string(rc.top);
	std::string strFileUnix = UnixPath(strFile);
	std::string strCommand = "import -window root -crop " + strGeometry + " +repage -depth 8 '" + strFileUnix + "'";
	if (!strKeepAs.empty())
		strCommand += " && convert '" + strFileUnix + "' '" + strKeepAs + "'";
	if (Run(strCommand) != 0)
		return false;
	std::string strData = testfiles::ReadAll(strFile);
	testfiles::Remove(strFile);
	// A binary portable pixmap: "P6", width, height, maximum 255, then red-green-blue triples.
	int nW = 0, nH = 0, nMax = 0, nHeader = 0;
	if (sscanf(strData.c_str(), "P6 %d %d %d%n", &nW, &nH, &nMax, &nHeader) != 3 || nMax != 255 || nW != nWidth
		|| nH != nHeight || strData.size() < static_cast<size_t>(nHeader) + 1 + 3u * nW * nH)
		return false;
	m_rgb.assign(strData.begin() + nHeader + 1, strData.begin() + nHeader + 1 + 3 * nW * nH);
	m_nWidth = nW;
	m_nHeight = nH;
	return true;
}

COLORREF CScreenShot::Pixel(int x, int y) const
{
	if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight)
		return CLR_INVALID;
	const BYTE* p = &m_rgb[3 * (static_cast<size_t>(y) * m_nWidth + x)];
	return RGB(p[0], p[1], p[2]);
}

bool ColoursNear(COLORREF a, COLORREF b, int nTolerance)
{
	if (a == CLR_INVALID || b == CLR_INVALID)
		return false;
	return abs(GetRValue(a) - GetRValue(b)) <= nTolerance && abs(GetGValue(a) - GetGValue(b)) <= nTolerance
		&& abs(GetBValue(a) - GetBValue(b)) <= nTolerance;
}

std::string ColourText(COLORREF cr)
{
	if (cr == CLR_INVALID)
		return "none";
	return std::to_string(GetRValue(cr)) + " " + std::to_string(GetGValue(cr)) + " " + std::to_string(GetBValue(cr));
}
}
