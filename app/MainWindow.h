// The program's main window as the application object sees it: the window property by which a second
// instance finds it, and the call that runs it. The player window supplies the window (player/), so that
// the shell needs nothing above the framework.
#pragma once

#include "framework/WinApp.h"

// The running main window carries this property (value 1); a second instance finds it by it.
inline constexpr char kPlayerWindowProp[] = "Tarn_QuiloPlayer_MainWindow";

// Constructs the main window, makes it the application's main window and runs it modally; returns when it
// has ended and is gone.
void RunMainWindow(CWinApp& app);
