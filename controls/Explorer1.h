// CExplorer1: the web browser control of the side panel.
#pragma once

#include "framework/OleControl.h"

#include <oaidl.h>

class CExplorer1 : public CAxWindow
{
public:
	static const CLSID clsid;  // {8856F961-340A-11D0-A96B-00C04FD705A2}

	CExplorer1() : CAxWindow(clsid) {}

	// dispatch id 500, five variant pointers
	void Navigate2(VARIANT* pURL, VARIANT* pFlags, VARIANT* pTargetFrameName, VARIANT* pPostData, VARIANT* pHeaders);
};
