// CExplorer1: the web browser control of the side panel.
#pragma once

#include "framework/Wnd.h"

#include <oaidl.h>

class CExplorer1 : public CWnd
{
public:
	static const CLSID clsid;  // {8856F961-340A-11D0-A96B-00C04FD705A2}

	~CExplorer1() override;

	virtual BOOL Create(const char* pszClassName, const char* pszWindowName, DWORD dwStyle, const RECT& rect,
		CWnd* pParentWnd, UINT nID, void* pContext = nullptr);

	// dispatch id 500, five variant pointers
	void Navigate2(VARIANT* pURL, VARIANT* pFlags, VARIANT* pTargetFrameName, VARIANT* pPostData, VARIANT* pHeaders);
};
