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
	if (!m_strSkinFolder.IsEmpty() && m_skinFrame.LoadSkinFile(m_strSkinFolder + "Append.ini"))
	{
		m_skinFrame.InstallSkin(this, FALSE, TRUE);
		SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
	}
	return TRUE;
}
