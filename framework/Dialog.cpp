#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
	: m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
	HookWindowCreate(this);
	INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
		m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr, &CDialog::DialogProc, 0);
	UnhookWindowCreate();
	return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
	m_nIDTemplate = nIDTemplate;
	m_pParentWnd = pParentWnd;
	HookWindowCreate(this);
	HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
		pParentWnd ? pParentWnd->m_hWnd : nullptr, &CDialog::DialogProc, 0);
	UnhookWindowCreate();
	return hWnd != nullptr;
}

BOOL CDialog::OnInitDialog()
{
	DoDataExchange();
	return TRUE;
}
