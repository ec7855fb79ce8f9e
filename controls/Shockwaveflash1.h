// CShockwaveflash1: the Flash player control, reached through late-bound dispatch calls.
#pragma once

#include "framework/OleControl.h"

class CShockwaveflash1 : public CAxWindow
{
public:
	static const CLSID clsid;  // {D27CDB6E-AE6D-11CF-96B8-444553540000}

	CShockwaveflash1() : CAxWindow(clsid) {}

	void SetMovie(const char* pszNewValue);           // dispatch id 102, property put, text
	void SetBackgroundColor(long nNewValue);          // dispatch id 123, property put, 32-bit
	void SetAllowFullScreen(const char* pszNewValue); // dispatch id 202, property put, text
};
