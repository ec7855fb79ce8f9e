// Crash reports: an exception no one handles, in any thread, leaves a small minidump in the log folder and
// a record naming it, and ends the process at once, with neither the system's error dialog nor a debugger.
#pragma once

// Prepares everything the filter needs (folder, names, messages) and installs it; call once at start, on
// the window thread (whose unseen end counts as a fault), after the settings file exists. Libraries hosted in another program never call it: their host owns
// the process.
void InstallCrashDumps();
