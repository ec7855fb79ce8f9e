// Dialog data exchange: binding a dialog's child control to a member object.
#pragma once

#include "framework/Wnd.h"

// Binds control nIDC of the dialog to rControl (its PreSubclassWindow runs first); an object already
// bound stays as it is. FALSE when the dialog has no such control.
inline BOOL DDX_Control(const CWnd& dlg, int nIDC, CWnd& rControl)
{
	if (rControl.GetSafeHwnd())
		return TRUE;
	HWND hWndControl = dlg.GetDlgItem(nIDC);
	return hWndControl && rControl.SubclassWindow(hWndControl);
}
