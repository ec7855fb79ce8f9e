// CDialog: a dialog from a resource template, modal (DoModal) or modeless (Create).
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd
{
public:
	explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

// Operations
	INT_PTR DoModal();
	BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
	void EndDialog(INT_PTR nResult) { ::EndDialog(m_hWnd, nResult); }

// Overridables
	virtual BOOL OnInitDialog();
	virtual void OnOK() { EndDialog(IDOK); }
	virtual void OnCancel() { EndDialog(IDCANCEL); }
	// Binds child controls to their member objects; called by OnInitDialog.
	virtual void DoDataExchange() {}

	BEGIN_MSG_MAP(CDialog)
		if (uMsg == WM_INITDIALOG) { lResult = OnInitDialog(); return TRUE; }
		COMMAND_ID_HANDLER(IDOK, OnOK)
		COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
	END_MSG_MAP()

protected:
	UINT m_nIDTemplate;
	CWnd* m_pParentWnd;

private:
	static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
};
