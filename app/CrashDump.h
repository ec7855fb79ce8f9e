// Crash reports: an exception no one handles, in any thread, leaves a small minidump in the log folder and
// a record naming it, and ends the process at once, with neither the system's error dialog nor a debugger.
#pragma once

// Prepares everything the filter needs (folder, names, messages) and installs it; call once at start, on the
// window thread (whose unseen end counts as a fault), after the settings file exists. From here on every fault
// leaves its dump: the dump thread starts at the first fault, or with CompleteCrashDumps, whichever comes first.
// Libraries hosted in another program never call it: their host owns the process.
void InstallCrashDumps();
// The calling code lends a thread of its own to the watch of the window thread (an unseen end of that thread is
// a fault), on which it will call WatchWindowThread; FALSE when the watch is had already or cannot be kept.
bool ClaimCrashWatch();
// The watch, on a thread that is not the window thread; returns only when it has nothing to watch.
void WatchWindowThread();
// Once the window has painted: the dump thread starts and loads the dump writer (dbghelp) before any fault, and
// the watch gets a thread of its own unless one was lent.
void CompleteCrashDumps();
