#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace
{
// The system's dialog class, which every template of the program uses.
const char kDialogClass[] = "#32770";
}

IMPLEMENT_DYNAMIC(CDialog, CWnd)

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
	: m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
	HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
	// As the system's modal loop does, the owner takes no input while the dialog runs.
	bool bEnableParent = hWndParent && !::EnableWindow(hWndParent, FALSE);
	m_bModal = true;
	m_bEndModal = false;
	m_nModalResult = -1;
	HookWindowCreate(this, kDialogClass, hWndParent);
	HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), hWndParent,
		&CDialog::DialogProc, 0);
	UnhookWindowCreate();
	// A dialog whose creation failed, or that its initialisation destroyed, is gone already, though the
	// system may hand back its handle.
	if (hWnd && ::IsWindow(hWnd))
	{
		if (!m_bEndModal && ::IsWindow(hWnd) && !::IsWindowVisible(hWnd))
			::ShowWindow(hWnd, SW_SHOWNORMAL);
		RunModalLoop();
		if (::IsWindow(hWnd))
			::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
				SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
	}
	if (bEnableParent)
		::EnableWindow(hWndParent, TRUE);
	if (hWndParent && ::GetActiveWindow() == hWnd)
		::SetActiveWindow(hWndParent);
	if (hWnd && ::IsWindow(hWnd))
		::DestroyWindow(hWnd);
	m_bModal = false;
	return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
	m_nIDTemplate = nIDTemplate;
	m_pParentWnd = pParentWnd;
	HWND hWndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
	HookWindowCreate(this, kDialogClass, hWndParent);
	HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nIDTemplate), hWndParent,
		&CDialog::DialogProc, 0);
	UnhookWindowCreate();
	// A dialog whose creation failed, or that its initialisation destroyed, is gone, though the system may
	// still hand back its handle.
	return hWnd && ::IsWindow(hWnd);
}

BOOL CDialog::OnInitDialog()
{
	DoDataExchange();
	return TRUE;
}
