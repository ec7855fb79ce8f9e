// The diagnostic log: one timestamped record per call, appended to the log file when the level is
// within the verbosity configured in the settings file.
#pragma once

#include "app/LogLevel.h"
#include "framework/String.h"

void WriteLog(unsigned int nLevel, CString strMessage);
