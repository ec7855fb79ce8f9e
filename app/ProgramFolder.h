// Where the program keeps its files: its own folder, and the settings file "tarnconfig.ini" in it.
#pragma once

#include "framework/String.h"

// A folder's path in code page 936, through its short name where the long one has characters 936 cannot
// spell; empty when neither form can be spelt.
CString NarrowFolderPath(const wchar_t* pszFolder);
// The folder of the running program with a trailing backslash; empty when its module name cannot be
// read or spelt, so that nothing is ever looked for or saved in the current drive's root instead.
CString GetAppDirectory();
// The program folder + "tarnconfig.ini"; empty when the folder is.
CString GetSettingsFilePath();
