// Rectangles as tests compare them: "left,top,right,bottom".
#pragma once

#include <windows.h>

#include <string>

inline std::string RectText(const RECT& rc)
{
	return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) + ","
		+ std::to_string(rc.bottom);
}

inline RECT WindowRect(HWND hWnd)
{
	RECT rc = {};
	::GetWindowRect(hWnd, &rc);
	return rc;
}
