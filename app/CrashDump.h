// Crash reports: an exception no one handles, in any thread, leaves a small minidump in the log folder and
// a record naming it, and ends the process at once, with neither the system's error dialog nor a debugger.
#pragma once

// Prepares everything the filter needs (folder, names, messages), starts the waiting dump and watch threads
// and installs the filter; call once at start, on the window thread (whose unseen end counts as a fault),
// after the settings file exists. From here on every fault leaves its dump. Libraries hosted in another
// program never call it: their host owns the process.
void InstallCrashDumps();
// Once the window has painted: the dump thread loads the dump writer (dbghelp) before any fault, which it
// otherwise does only when one comes.
void CompleteCrashDumps();
