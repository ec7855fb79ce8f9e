// CAboutDlg: the About box, skinned from the current skin folder's "Append.ini".
#pragma once

#include "framework/Dialog.h"
#include "skin/SkinFrame.h"

#include <functional>

class CAboutDlg : public CDialog
{
public:
	// strSkinFolder: the skin folder in use, with its trailing backslash; empty shows the box unskinned.
	// fnMenuButton: what the skin's menu button does, called with the screen point of its release.
	CAboutDlg(const CString& strSkinFolder, CWnd* pParentWnd, std::function<void(int x, int y)> fnMenuButton);

protected:
	BOOL OnInitDialog() override;

private:
	CSkinFrame m_skinFrame;
	CString m_strSkinFolder;
};
