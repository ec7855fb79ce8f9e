// Stat.dll for its hosts: a worker thread that fetches the statistics settings document and sends the
// reports that the host's callback fills, as UDP datagrams. Both exports are cdecl; link with the import
// library (libStat.dll.a for MinGW, or one made from Stat.def) or load them by name (ordinals:
// ExitLogThread 1, StartLogThread 2). The host must have started Windows Sockets (WSAStartup) before
// reports can go out. Reports go out at most once per process: a worker started after ExitLogThread
// ends at once.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Size of the report buffer handed to the callback.
#define STAT_REPORT_BUFFER_SIZE 4096

// Fills the report buffer for a kind (1 buffer map, 2 connections) and returns how many of its bytes to
// send, at most STAT_REPORT_BUFFER_SIZE; 0 (or any result outside 1 to STAT_REPORT_BUFFER_SIZE) sends
// nothing. Byte 0 is replaced by the kind. Runs on the worker thread, beside the host's own threads.
typedef int(__cdecl* ReportCallback)(char* pBuffer, int nKind);

// Starts the worker; returns its thread handle, or NULL for a NULL callback, a failure, or while a
// worker started earlier has not been stopped.
HANDLE __cdecl StartLogThread(ReportCallback pfnCallback);
// Stops the worker and closes the handle that StartLogThread returned; always 0. A worker still busy
// 100 ms later (in the callback, for instance) is terminated, after "Terminating thread..." on
// standard output.
int __cdecl ExitLogThread(HANDLE hThread);

typedef HANDLE(__cdecl* StartLogThreadProc)(ReportCallback pfnCallback);
typedef int(__cdecl* ExitLogThreadProc)(HANDLE hThread);

#ifdef __cplusplus
}
#endif
