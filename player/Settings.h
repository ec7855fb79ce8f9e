// Where the program keeps its files, and the settings it reads from "tarnconfig.ini".
#pragma once

#include "framework/String.h"

// The folder of the running program with a trailing backslash; empty when it cannot be read.
CString GetAppDirectory();
// The program folder + "tarnconfig.ini".
CString GetSettingsFilePath();
// The client configuration address ("ClientConfigUrl"), trimmed.
CString ReadClientConfigUrl();
