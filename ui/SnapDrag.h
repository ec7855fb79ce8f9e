// CSnapDrag: the mouse handlers that every window of the snapping group shares (the player window and the
// side panel). Chained from the window's message map (CHAIN_MSG_MAP_MEMBER), they feed the group and
// leave the message to the window's own handling, except a press on the caption: the system's move loop
// would move that window alone and swallow the release, so the group's capture carries that drag.
#pragma once

#include <windows.h>

class CSnapDrag
{
public:
	BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
};
