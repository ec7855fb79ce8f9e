// One small document fetched over HTTP with CHttpSocket; every failure is logged and gives "".
#pragma once

#include "framework/String.h"

// The whole download (connection, header and body) ends by then, whatever pace the server keeps.
const DWORD kDownloadDeadlineMs = 20000;

CString DownloadURL_socket(CString strUrl, CString strCookie, DWORD dwDeadlineMs = kDownloadDeadlineMs);
