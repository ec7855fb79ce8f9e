// The diagnostic log: one timestamped record per call, appended to the log file when the level is
// within the verbosity configured in the settings file.
#pragma once

#include "framework/String.h"

enum LogLevel : unsigned int
{
	LOG_SEC_INFO = 0,
	LOG_ERR = 1,
	LOG_WARN = 2,
	LOG_IMPT = 3,
	LOG_INFO = 4,
	LOG_VERB = 5,
	LOG_DEBG = 6,
};

void WriteLog(unsigned int nLevel, CString strMessage);
