// Hosting of ActiveX controls on atl.dll's host window: start-up of the container and the parameter
// type lists of late-bound calls (CWnd::InvokeHelper).
#pragma once

#include "framework/ComPtr.h"
#include "framework/DispatchException.h"

#include <ole2.h>

// Parameter type codes, one byte each, concatenated into a zero-terminated list.
#define VTS_I4 "\x03"
#define VTS_BSTR "\x0E"         // narrow text (code page 936), passed as an automation string
#define VTS_UI2 "\x12"
#define VTS_UI4 "\x13"
#define VTS_DISPATCH "\x09"
#define VTS_PBOOL "\x4B"
#define VTS_PVARIANT "\x4C"
#define VTS_NONE ""

// The narrow text type of VTS_BSTR; VT_BSTR itself stands for wide text.
const VARTYPE VT_BSTRA = 14;

// Readies the thread for hosting controls: OLE and atl.dll's "AtlAxWin" window class.
void AfxEnableControlContainer();

// An automation string holding narrow code page 936 text; the caller frees it with SysFreeString.
BSTR AfxAllocBstr(const char* psz);
// The code page 936 form of an automation string.
CString AfxBstrToString(BSTR bstr);
// The control hosted in an "AtlAxWin" window; empty when the window hosts none.
CComPtr<IUnknown> AfxGetControl(HWND hWnd);
