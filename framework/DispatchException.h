// COleDispatchException: a failed late-bound call on a hosted control, thrown by value.
#pragma once

#include "framework/String.h"

class COleDispatchException
{
public:
	COleDispatchException(HRESULT scError, WORD wCode = 0, const CString& strDescription = CString())
		: m_scError(scError), m_wCode(wCode), m_strDescription(strDescription) {}

	HRESULT m_scError;          // the call's result, or the exception's own code
	WORD m_wCode;               // the control's error code, 0 when it gave none
	CString m_strDescription;   // the control's description (code page 936), may be empty
};
