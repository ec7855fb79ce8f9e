// The program's main window as the application object sees it: the window property by which a second
// instance finds it, and the call that runs it. The player window supplies the window (player/), so that
// the shell needs nothing above the framework.
#pragma once

#include "framework/WinApp.h"

#include <functional>

// The running main window carries this property (value 1); a second instance finds it by it.
inline constexpr char kPlayerWindowProp[] = "Tarn_QuiloPlayer_MainWindow";

// Starts reading what the main window's initialisation needs (the client configuration's download, the skin's
// descriptions and images) on a thread of its own, beside the making of the window; call once, on the thread
// that runs the window, before RunMainWindow. That thread goes on with fnThen once the reading is done. FALSE
// when no thread could be started: the window reads it all itself, and fnThen never runs.
bool PrepareMainWindow(std::function<void()> fnThen = {});
// Constructs the main window, makes it the application's main window and runs it modally; returns when it
// has ended and is gone. fnAfterFirstPaint runs once on the window's thread, from its message queue right
// after the window's first paint (or as it ends, when it never painted): the start's work the user does not
// see at once.
void RunMainWindow(CWinApp& app, std::function<void()> fnAfterFirstPaint = {});
