// Fair floor of the hand-off benchmark: the least a GUI program does to hand a link over. It finds the
// top-level window that carries the player's property and sends it its command line as the copy-data
// message, then ends.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
	HWND hWnd = ::GetWindow(::GetDesktopWindow(), GW_CHILD);
	while (hWnd && !::GetPropA(hWnd, "Tarn_QuiloPlayer_MainWindow"))
		hWnd = ::GetWindow(hWnd, GW_HWNDNEXT);
	if (!hWnd)
		return 1;
	const char* pszCommandLine = ::GetCommandLineA();
	COPYDATASTRUCT cds = {0, static_cast<DWORD>(strlen(pszCommandLine)), const_cast<char*>(pszCommandLine)};
	::SendMessageA(hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
	return 0;
}
