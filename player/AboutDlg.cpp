#include "player/AboutDlg.h"

#include "resources/resource.h"

CAboutDlg::CAboutDlg(const CString& strSkinFolder, CWnd* pParentWnd, std::function<void(int x, int y)> fnMenuButton)
	: CDialog(IDD_ABOUTBOX, pParentWnd)
	, m_strSkinFolder(strSkinFolder)
{
	m_skinFrame.SetMenuButtonHandler(std::move(fnMenuButton));
}

BOOL CAboutDlg::OnInitDialog()
{
	CDialog::OnInitDialog();
	int bFirstSkin = 1;
	if (!m_strSkinFolder.IsEmpty())
		m_skinFrame.ApplyTo(this, m_strSkinFolder + "Append.ini", FALSE, TRUE, bFirstSkin);
	return TRUE;
}
