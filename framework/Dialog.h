// CDialog: a dialog from a resource template, modal (DoModal) or modeless (Create). The modal loop is the
// framework's own (framework/DialogModal.cpp): each message is pre-translated before it is dispatched.
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd
{
	DECLARE_DYNAMIC(CDialog)

public:
	explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

// Operations
	INT_PTR DoModal();
	BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
	void EndDialog(INT_PTR nResult);

// Overridables
	virtual BOOL OnInitDialog();
	virtual void OnOK() { EndDialog(IDOK); }
	virtual void OnCancel() { EndDialog(IDCANCEL); }
	// Binds child controls to their member objects; called by OnInitDialog.
	virtual void DoDataExchange() {}
	// Hosted controls translate their keys first, then the dialog manager takes its keys (Tab, Enter, Escape).
	BOOL PreTranslateMessage(MSG* pMsg) override;

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
	INT_PTR RunModalLoop();

	// While DoModal runs: EndDialog ends its loop with this result.
	bool m_bModal = false;
	bool m_bEndModal = false;
	INT_PTR m_nModalResult = -1;
};
