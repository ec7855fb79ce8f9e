#include "player/AboutDlg.h"

#include "resources/resource.h"

CAboutDlg::CAboutDlg(const CString& strSkinFolder, CWnd* pParentWnd)
	: CDialog(IDD_ABOUTBOX, pParentWnd)
	, m_strSkinFolder(strSkinFolder)
{
}

BOOL CAboutDlg::OnInitDialog()
{
	CDialog::OnInitDialog();
	int bFirstSkin = 1;
	if (!m_strSkinFolder.IsEmpty())
		m_skinFrame.ApplyTo(this, m_strSkinFolder + "Append.ini", FALSE, TRUE, bFirstSkin);
	return TRUE;
}
