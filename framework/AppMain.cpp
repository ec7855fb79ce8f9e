// The process entry of a program built on the framework.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
	return AfxWinMain(hInstance);
}
