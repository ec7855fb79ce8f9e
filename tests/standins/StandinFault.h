// Faults of a hosted control, made on request: the way a third-party control brings its host down.
#pragma once

#include <windows.h>

#include <string>

// strAsked "[thread |posted ][overflow |locked ]<call>": when strCall matches, jumps to address 0, runs out of
// stack, or jumps to 0 holding the loader's lock: here, on a thread it starts, or when hWndLater gets the
// message it posts. (Wine ignores a fault inside a window procedure that a message sent from another thread
// called, so faults that must end the program take a thread or a posted message.)
void FaultIfAsked(const std::string& strAsked, const std::string& strCall, HWND hWndLater);
// What hWndLater does with the posted message: the fault its wParam names.
const UINT kFaultMessage = WM_APP + 77;
void FaultNow(int nFault);
