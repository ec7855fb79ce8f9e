// One small document fetched over HTTP with CHttpSocket; every failure is logged and gives "".
#pragma once

#include "framework/String.h"

CString DownloadURL_socket(CString strUrl, CString strCookie);
