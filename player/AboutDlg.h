// CAboutDlg: the About box, skinned from the current skin folder's "Append.ini".
#pragma once

#include "framework/Dialog.h"
#include "skin/SkinFrame.h"

class CAboutDlg : public CDialog
{
public:
	// strSkinFolder: the skin folder in use, with its trailing backslash; empty shows the box unskinned.
	CAboutDlg(const CString& strSkinFolder, CWnd* pParentWnd);

protected:
	BOOL OnInitDialog() override;

private:
	CSkinFrame m_skinFrame;
	CString m_strSkinFolder;
};
