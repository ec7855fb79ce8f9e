// The stand-ins' journal: one line per call received, appended to the file named by the environment.
#pragma once

#include <windows.h>

// Line: control, dispatch id, kind, then each argument in call order, separated by tabs; text arguments
// in code page 936 with backslash, tab and line breaks escaped.
void AppendJournal(const char* pszControl, DISPID dispid, const char* pszKind, const DISPPARAMS* pParams);
