#include "app/QuiloPlayerApp.h"

#include "framework/Dialog.h"
#include "resources/resource.h"

CQuiloPlayerApp theApp;

BOOL CQuiloPlayerApp::InitInstance()
{
	CDialog dlg(IDD_QUILOPLAYER_DIALOG);
	m_pMainWnd = &dlg;
	dlg.DoModal();
	m_pMainWnd = nullptr;
	return FALSE;
}
