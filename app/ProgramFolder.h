// Where the program keeps its files: its own folder, and the settings file "tarnconfig.ini" in it.
#pragma once

#include "framework/String.h"

// The folder of the running program with a trailing backslash; empty when its module name cannot be
// read, so that nothing is ever looked for or saved in the current drive's root instead.
CString GetAppDirectory();
// The program folder + "tarnconfig.ini"; empty when the folder is.
CString GetSettingsFilePath();
