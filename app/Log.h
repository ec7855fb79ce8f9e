// The diagnostic log: one timestamped record per call, appended to the log file when the level is
// within the verbosity configured in the settings file.
#pragma once

#include "app/LogLevel.h"
#include "framework/String.h"

#include <windows.h>

class CProfileFile;

void WriteLog(unsigned int nLevel, CString strMessage);

// The log file's path from settings already read: their "DebugPath", else the default log folder beside the
// program; empty when the program has no folder of its own.
CString LogFilePath(const CProfileFile& settings);
// The verbosity the settings give: levels above it are not written. A missing entry counts as 1.
int LogVerbosity(const CProfileFile& settings);
// The start of a record, "LEVL YYYY-MM-DD HH:MM:SS" and its separator, into a buffer of at least 64 bytes;
// its length. The message and the terminator kLogRecordEnd follow it.
int FormatLogRecordHead(unsigned int nLevel, const SYSTEMTIME& st, char* pszBuffer, size_t cbBuffer);
extern const char kLogRecordEnd[];
// Appends the bytes to the log file, making its folder when missing; no heap, no settings read.
bool AppendToLogFile(const wchar_t* pszPath, const char* pData, DWORD cbData);
