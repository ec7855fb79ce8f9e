#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace
{
// The system's dialog class, which every template of the program uses.
const char kDialogClass[] = "#32770";
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
	: m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
	HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
	HookWindowCreate(this, kDialogClass, hWndParent);
	INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hWndParent,
		&CDialog::DialogProc, 0);
	UnhookWindowCreate();
	return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
	m_nIDTemplate = nIDTemplate;
	m_pParentWnd = pParentWnd;
	HWND hWndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
	HookWindowCreate(this, kDialogClass, hWndParent);
	HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate), hWndParent,
		&CDialog::DialogProc, 0);
	UnhookWindowCreate();
	// A dialog whose initialisation failed is destroyed, though the system may still hand back its handle.
	return hWnd && ::IsWindow(hWnd);
}

BOOL CDialog::OnInitDialog()
{
	DoDataExchange();
	return TRUE;
}
